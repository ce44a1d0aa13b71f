#include "graphlib/base/gen_array.h"

#include <climits>
#include <iostream>
#include <new>
#include <utility>

#include "graphlib/base/array_sort.h"
#include "graphlib/base/error.h"
#include "graphlib/base/random_source.h"
#include "graphlib/base/slot.h"

namespace graphlib {

namespace {

// Sorts n values kept in the slots themselves: copied out to a key array,
// sorted there by sort_keys(keys, n) and written back.
template <class T, class SortKeys>
void sort_slot_values(void** first, int n, SortKeys sort_keys) {
  T* keys = static_cast<T*>(std_memory_mgr.allocate_vector(static_cast<size_t>(n) * sizeof(T)));
  if (keys == nullptr) return;
  for (int i = 0; i < n; i++) keys[i] = graphlib_slot_value<T>(first[i]);
  sort_keys(keys, n);
  for (int i = 0; i < n; i++) first[i] = graphlib_copy(keys[i]);
  std_memory_mgr.deallocate_vector(keys);
}

}  // namespace

gen_array::gen_array() : v(nullptr), last(nullptr), sz(0), Low(0), High(-1), typed_paths(false) {}

gen_array::gen_array(int low, int high) : gen_array() {
  if (low > high) {
    std_error_handler(1, string("array: bad array bounds [%d..%d]", low, high).chars());
    return;
  }
  allocate(low, high);
}

gen_array::gen_array(int n) : gen_array() {
  if (n < 0) {
    std_error_handler(1, string("array: bad array bounds [0..%d]", n).chars());
    return;
  }
  allocate(0, n - 1);
}

bool gen_array::allocate(int low, int high) {
  // In 64 bits: the span of two ints, or its bytes, may not fit an int.
  long n = static_cast<long>(high) - static_cast<long>(low) + 1;
  v = last = nullptr;
  sz = 0;
  Low = 0;
  High = -1;
  if (n > INT_MAX) {
    std_error_handler(99, "array: out of memory");
    return false;
  }
  if (n > 0) {
    v = static_cast<void**>(std_memory_mgr.allocate_vector(static_cast<size_t>(n) * sizeof(void*)));
    if (v == nullptr) {
      std_error_handler(99, "array: out of memory");
      return false;
    }
    last = v + n - 1;
  }
  sz = static_cast<int>(n);
  Low = low;
  High = high;
  return true;
}

void gen_array::release() {
  if (v != nullptr) std_memory_mgr.deallocate_vector(v);
  v = last = nullptr;
}

gen_array::gen_array(const gen_array& A) : gen_array() {
  if (!allocate(A.Low, A.High)) return;
  for (int i = sz - 1; i >= 0; i--) {
    v[i] = A.v[i];
    A.copy_entry(v[i]);
  }
}

gen_array& gen_array::operator=(const gen_array& A) {
  if (this == &A) return *this;
  clear();
  if (sz != A.sz) {
    release();
    if (!allocate(A.Low, A.High)) return *this;
  }
  Low = A.Low;
  High = A.High;
  for (int i = sz - 1; i >= 0; i--) {
    v[i] = A.v[i];
    copy_entry(v[i]);
  }
  return *this;
}

gen_array::~gen_array() { release(); }

int gen_array::el_type_id() const { return 0; }
int gen_array::cmp(void*, void*) const { return 0; }
void gen_array::print_el(void*&, std::ostream&) const {}
void gen_array::read_el(void*&, std::istream&) const {}
void gen_array::clear_entry(void*&) const {}
void gen_array::copy_entry(void*&) const {}
void gen_array::init_entry(void*&) const {}

bool gen_array::needs_hooks() const {
  int code = el_type_id();
  return code != 3 && code != 7;
}

void gen_array::clear() {
  if (!needs_hooks()) return;
  for (int i = sz - 1; i >= 0; i--) clear_entry(v[i]);
}

void gen_array::init() {
  if (!needs_hooks()) return;
  for (int i = sz - 1; i >= 0; i--) init_entry(v[i]);
}

void gen_array::init(void* x) {
  for (int i = sz - 1; i >= 0; i--) v[i] = x;
  if (!needs_hooks()) return;
  for (int i = sz - 1; i >= 0; i--) copy_entry(v[i]);
}

void gen_array::init_first(void* const* values, int n) {
  // The values go to the first n slots: an array with fewer would overrun.
  if (sz < n) {
    std_error_handler(2, "array::init index out of range");
    return;
  }
  for (int i = 0; i < n; i++) v[i] = values[i];
  for (int i = 0; i < n; i++) copy_entry(v[i]);
}

void gen_array::init(void* x, void* y) {
  void* values[] = {x, y};
  init_first(values, 2);
}

void gen_array::init(void* x, void* y, void* z) {
  void* values[] = {x, y, z};
  init_first(values, 3);
}

void gen_array::init(void* w, void* x, void* y, void* z) {
  void* values[] = {w, x, y, z};
  init_first(values, 4);
}

void gen_array::resize(int low, int high) {
  if (low > high + 1L) {
    std_error_handler(1, string("array: bad array bounds [%d..%d]", low, high).chars());
    return;
  }
  void** old_v = v;
  int old_low = Low, old_high = High, old_sz = sz;
  v = nullptr;
  if (!allocate(low, high)) {
    // Keep the old contents rather than lose them.
    v = old_v;
    last = old_v ? old_v + old_sz - 1 : nullptr;
    sz = old_sz;
    Low = old_low;
    High = old_high;
    return;
  }
  for (long i = low; i <= high; i++) {
    void*& slot = v[i - low];
    if (i >= old_low && i <= old_high)
      slot = old_v[i - old_low];
    else
      init_entry(slot);
  }
  for (long i = old_low; i <= old_high; i++)
    if (i < low || i > high) clear_entry(old_v[i - old_low]);
  if (old_v != nullptr) std_memory_mgr.deallocate_vector(old_v);
}

void gen_array::swap(int i, int j) { std::swap(v[i - Low], v[j - Low]); }

void gen_array::permute() {
  for (int i = 0; i < sz - 1; i++) std::swap(v[i], v[rand_int(i, sz - 1)]);
}

void gen_array::permute(int l, int h) {
  if (l < Low || l > h || h > High) {
    std_error_handler(2, "array::permute illegal range");
    return;
  }
  int hi = h - Low;
  for (int i = l - Low; i < hi; i++) std::swap(v[i], v[rand_int(i, hi)]);
}

void gen_array::gen_quick_sort(void** l, void** r) {
  quicksort_range(
      0, r - l, [this, l](long a, long b) { return cmp(l[a], l[b]) < 0; },
      [l](long a, long b) { std::swap(l[a], l[b]); });
}

void gen_array::sort(int l, int h) {
  if (sz == 0) return;
  if (l < Low || l > High || h < l || h > High) {
    std_error_handler(2, "array::sort(l,h) illegal range");
    return;
  }
  if (l == h) return;
  int code = el_type_id();
  if ((code == 3 || code == 5 || code == 6) && !typed_paths) code = 0;
  void** first = v + (l - Low);
  int n = h - l + 1;
  size_t un = static_cast<size_t>(n);
  switch (code) {
    case 3:
      sort_slot_values<int>(first, n, [](int* keys, int m) { QUICKSORT_C(keys, keys + m - 1); });
      break;
    case 5:
      sort_slot_values<float>(first, n, [](float* keys, int m) { QUICKSORT_C(keys, keys + m - 1); });
      break;
    case 6: {
      double* keys = static_cast<double*>(std_memory_mgr.allocate_vector(un * sizeof(double)));
      if (keys == nullptr) return;
      for (int i = 0; i < n; i++) keys[i] = *static_cast<double*>(first[i]);
      QUICKSORT_P(keys, first, 0, n - 1);
      std_memory_mgr.deallocate_vector(keys);
      break;
    }
    default:
      gen_quick_sort(first, first + n - 1);
  }
}

void gen_array::int_sort(int l, int h) {
  if (sz == 0 || l == h) return;
  if (l < Low || l > High || h < l || h > High) {
    std_error_handler(2, "array::int_sort(l,h) illegal range");
    return;
  }
  void** first = v + (l - Low);
  int n = h - l + 1;
  sort_slot_values<int>(first, n, INTSORT);
}

int gen_array::search_cmp(int code, void* x, void* y) const {
  if (code == 3) {
    int a = graphlib_slot_value<int>(x), b = graphlib_slot_value<int>(y);
    return a < b ? -1 : (a > b ? 1 : 0);
  }
  if (code == 6) {
    double a = *static_cast<double*>(x), b = *static_cast<double*>(y);
    return a < b ? -1 : (a > b ? 1 : 0);
  }
  return cmp(x, y);
}

int gen_array::binary_search(void* x) {
  int code = typed_paths ? el_type_id() : 0;
  int lo = 0, hi = sz - 1;
  while (lo <= hi) {
    int m = lo + (hi - lo) / 2;
    int c = search_cmp(code, x, v[m]);
    if (c == 0) return m + Low;
    if (c > 0)
      lo = m + 1;
    else
      hi = m - 1;
  }
  return Low - 1;
}

int gen_array::binary_locate(void* x) {
  int code = typed_paths ? el_type_id() : 0;
  int lo = 0, hi = sz - 1;
  while (lo <= hi) {
    int m = lo + (hi - lo) / 2;
    if (search_cmp(code, x, v[m]) < 0)
      hi = m - 1;
    else
      lo = m + 1;
  }
  return hi + Low;
}

void gen_array::read(std::istream& is, string s) {
  clear();
  std::cout << s;
  int i = 0;
  for (; i < sz && is.good(); i++) {
    read_el(v[i], is);
    if (is.fail()) break;
  }
  for (; i < sz; i++) init_entry(v[i]);
}

void gen_array::print(std::ostream& os, string s, char space) const {
  os << s;
  for (int i = 0; i < sz; i++) {
    os << string(space);
    print_el(v[i], os);
  }
  os.flush();
}

void gen_array::print(std::ostream& os, char space) const {
  for (int i = 0; i < sz; i++) {
    if (i > 0) os << space;
    print_el(v[i], os);
  }
  os.flush();
}

gen_array2::gen_array2(int a, int b, int c, int d) : rows(a, b), Low1(a), Low2(c), High1(b), High2(d) {
  for (int i = b; i >= a; i--) store_row(i, new (std::nothrow) gen_array(c, d));
}

gen_array2::gen_array2(int n, int m) : rows(n), Low1(0), Low2(0), High1(n - 1), High2(m - 1) {
  for (int i = n - 1; i >= 0; i--) store_row(i, new (std::nothrow) gen_array(m));
}

void gen_array2::store_row(int i, gen_array* r) {
  if (i < rows.Low || i > rows.High) {
    std_error_handler(2, "array::entry index out of range");
    delete r;
    return;
  }
  rows.entry(i) = r;
}

gen_array* gen_array2::row(int i) const {
  if (i < rows.Low || i > rows.High) {
    std_error_handler(2, "array::entry index out of range");
    return nullptr;
  }
  return static_cast<gen_array*>(rows.entry(i));
}

gen_array* gen_array2::source_row(int i) const {
  if (i < rows.Low || i > rows.High) {
    std_error_handler(2, "array::inf index out of range");
    return nullptr;
  }
  return static_cast<gen_array*>(rows.entry(i));
}

void*& gen_array2::entry(int i, int j) {
  static void* nowhere = nullptr;
  gen_array* r = row(i);
  if (r == nullptr) return nowhere = nullptr;
  if (j < r->Low || j > r->High) {
    std_error_handler(2, "array::entry index out of range");
    return nowhere = nullptr;
  }
  return r->entry(j);
}

void gen_array2::make_rows_from(const gen_array2& A) {
  for (int i = Low1; i <= High1; i++) {
    gen_array* r = new (std::nothrow) gen_array(Low2, High2);
    if (r == nullptr) {
      std_error_handler(99, "array2: out of memory");
      rows.entry(i) = nullptr;
      continue;
    }
    store_row(i, r);
    gen_array* from = A.source_row(i);
    if (from != nullptr) copy_row(from, r);
  }
}

gen_array2::gen_array2(const gen_array2& A)
    : rows(A.rows.Low, A.rows.High), Low1(A.Low1), Low2(A.Low2), High1(A.High1), High2(A.High2) {
  for (int i = rows.Low; i <= rows.High; i++) rows.entry(i) = nullptr;
  make_rows_from(A);
}

gen_array2& gen_array2::operator=(const gen_array2& A) {
  // Deleting our rows first would lose the source's.
  if (this == &A) return *this;
  clear();
  delete_rows();
  Low1 = A.Low1;
  High1 = A.High1;
  Low2 = A.Low2;
  High2 = A.High2;
  rows = A.rows;
  for (int i = rows.Low; i <= rows.High; i++) rows.entry(i) = nullptr;
  make_rows_from(A);
  return *this;
}

void gen_array2::delete_rows() {
  for (int i = rows.Low; i <= rows.High; i++) {
    delete static_cast<gen_array*>(rows.entry(i));
    rows.entry(i) = nullptr;
  }
}

gen_array2::~gen_array2() { delete_rows(); }

void gen_array2::init(int r1, int r2, int c1, int c2) {
  for (int i = r1; i <= r2; i++) {
    gen_array* r = source_row(i);
    if (r == nullptr) return;
    for (int j = c1; j <= c2; j++) {
      if (j < r->Low || j > r->High) {
        std_error_handler(2, "array::entry index out of range");
        return;
      }
      init_entry(r->entry(j));
    }
  }
}

void gen_array2::clear() {
  for (int i = Low1; i <= High1; i++) {
    gen_array* r = source_row(i);
    if (r == nullptr) continue;
    for (int j = r->Low; j <= r->High; j++) clear_entry(r->entry(j));
  }
}

void gen_array2::copy_row(gen_array* from, gen_array* to) const {
  int n = from->sz < to->sz ? from->sz : to->sz;
  for (int i = n - 1; i >= 0; i--) {
    to->v[i] = from->v[i];
    copy_entry(to->v[i]);
  }
}

void gen_array2::clear_entry(void*& x) const { x = nullptr; }
void gen_array2::copy_entry(void*& x) const { x = nullptr; }
void gen_array2::init_entry(void*& x) const { x = nullptr; }

}  // namespace graphlib
