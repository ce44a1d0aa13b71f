#include "graphlib/base/dlist.h"

#include <climits>
#include <utility>

#include "graphlib/base/array_sort.h"
#include "graphlib/base/error.h"
#include "graphlib/base/random_source.h"
#include "graphlib/base/slot.h"
#include "graphlib/base/string.h"

namespace graphlib {

namespace {

// The element type code that selects a sort's comparisons: the numeric codes
// only count while the typed paths are switched on.
int sort_code(const dlist& L) {
  int code = L.el_type_id();
  if (!L.typed_paths && (code == 3 || code == 5 || code == 6)) code = 0;
  return code;
}

template <class N>
int three_way(N a, N b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

int compare(const dlist& L, int code, void* x, void* y) {
  switch (code) {
    case 3:
      return three_way(graphlib_slot_value<int>(x), graphlib_slot_value<int>(y));
    case 5:
      return three_way(graphlib_slot_value<float>(x), graphlib_slot_value<float>(y));
    case 6:
      return three_way(*static_cast<double*>(x), *static_cast<double*>(y));
    default:
      return L.cmp(x, y);
  }
}

template <class T>
T* scratch(size_t n) {
  return static_cast<T*>(std_memory_mgr.allocate_vector(n * sizeof(T)));
}

// Scratch storage given back on every way out of the scope, also when a
// compare function throws.
template <class T>
class scoped_scratch {
 public:
  explicit scoped_scratch(size_t n) : p(scratch<T>(n)) {}
  ~scoped_scratch() {
    if (p != nullptr) std_memory_mgr.deallocate_vector(p);
  }
  scoped_scratch(const scoped_scratch&) = delete;
  scoped_scratch& operator=(const scoped_scratch&) = delete;
  T* get() const { return p; }

 private:
  T* p;
};

// D[1..n] in their new order, D[0] and D[n+1] nil.
void relink(dlist& L, dlink** D, int n) {
  for (int k = 1; k <= n; k++) {
    D[k]->succ = D[k + 1];
    D[k]->pred = D[k - 1];
  }
  L.h = D[1];
  L.t = D[n];
}

// A typed path: the keys copied into a flat array, sorted with the cells.
template <class K, class Key>
void sort_by_keys(dlink** D, int n, Key key) {
  scoped_scratch<K> keys(static_cast<size_t>(n) + 2);
  K* A = keys.get();
  if (A == nullptr) return;
  for (int k = 1; k <= n; k++) A[k] = key(D[k]->e);
  QUICKSORT_P(A, D, 1, n);
}

}  // namespace

void dlist::quick_sort() {
  int n = length();
  if (n < 2) return;
  int code = sort_code(*this);
  scoped_scratch<dlink*> cells(static_cast<size_t>(n) + 2);
  dlink** D = cells.get();
  if (D == nullptr) return;
  D[0] = D[n + 1] = nullptr;
  int k = 1;
  for (dlink* p = h; p; p = p->succ) D[k++] = p;
  if (code == 3) {
    sort_by_keys<int>(D, n, [](void* e) { return graphlib_slot_value<int>(e); });
  } else if (code == 5) {
    sort_by_keys<float>(D, n, [](void* e) { return graphlib_slot_value<float>(e); });
  } else if (code == 6) {
    sort_by_keys<double>(D, n, [](void* e) { return *static_cast<double*>(e); });
  } else {
    scoped_scratch<void*> elements(static_cast<size_t>(n) + 2);
    void** A = elements.get();
    if (A == nullptr) return;
    for (k = 1; k <= n; k++) A[k] = D[k]->e;
    gen_quick_sort(A, D, 1, n);
  }
  relink(*this, D, n);
}

void dlist::gen_quick_sort(void** A, dlink** D, int l, int r) {
  quicksort_range(
      l, r, [this, A](long a, long b) { return cmp(A[a], A[b]) < 0; },
      [A, D](long a, long b) {
        std::swap(A[a], A[b]);
        std::swap(D[a], D[b]);
      });
}

void dlist::gen_insertion_sort(dlink** l, dlink** r, dlink** m) {
  if (r <= l) return;
  if (m > r) m = r;
  dlink** least = l;
  for (dlink** p = l + 1; p <= m; p++)
    if (cmp((*p)->e, (*least)->e) < 0) least = p;
  std::swap(*l, *least);
  for (dlink** q = l + 2; q <= r; q++) {
    dlink* x = *q;
    dlink** p = q;
    // The least element at l ends the walk; the bound only guards a wrong m.
    while (p > l && cmp((*(p - 1))->e, x->e) > 0) {
      *p = *(p - 1);
      p--;
    }
    *p = x;
  }
}

void dlist::merge_sort() {
  if (length() < 2) return;
  int code = sort_code(*this);

  // Ascending runs, each ended by a nil succ, chained through the pred of their
  // first cells.
  dlink* chain = h;
  dlink* last_run = nullptr;
  for (dlink* p = h; p;) {
    dlink* start = p;
    while (p->succ && compare(*this, code, p->e, p->succ->e) <= 0) p = p->succ;
    dlink* next = p->succ;
    p->succ = nullptr;
    start->pred = nullptr;
    if (last_run) last_run->pred = start;
    last_run = start;
    p = next;
  }

  // Each pass pushes the merged pairs on the front of a new chain, so the runs
  // change their order from pass to pass.
  while (chain->pred) {
    dlink* merged = nullptr;
    dlink* a = chain;
    while (a) {
      dlink* b = a->pred;
      if (b == nullptr) {
        a->pred = merged;
        merged = a;
        break;
      }
      dlink* rest = b->pred;
      dlink head(nullptr, nullptr, nullptr);
      dlink* tail = &head;
      while (a && b) {
        if (compare(*this, code, a->e, b->e) <= 0) {
          tail->succ = a;
          a = a->succ;
        } else {
          tail->succ = b;
          b = b->succ;
        }
        tail = tail->succ;
      }
      tail->succ = a ? a : b;
      dlink* run = head.succ;
      run->pred = merged;
      merged = run;
      a = rest;
    }
    chain = merged;
  }

  h = chain;
  dlink* prev = nullptr;
  for (dlink* p = h; p; p = p->succ) {
    p->pred = prev;
    prev = p;
  }
  t = prev;
}

void dlist::merge(dlist& L) {
  if (&L == this || (h == nullptr && L.h == nullptr)) return;
  if (L.h == nullptr) {
    count = count >= 0 && L.count >= 0 ? count + L.count : -1;
    L.count = 0;
    return;
  }
  int code = sort_code(*this);
  dlink* walked;
  dlink* other;
  if (h == nullptr || cmp(h->e, L.h->e) > 0) {
    walked = L.h;
    other = h;
  } else {
    walked = h;
    other = L.h;
  }
  h = walked;
  while (other) {
    while (walked->succ && compare(*this, code, walked->succ->e, other->e) <= 0) walked = walked->succ;
    dlink* rest = walked->succ;
    walked->succ = other;
    other->pred = walked;
    walked = other;
    other = rest;
  }
  while (walked->succ) walked = walked->succ;
  t = walked;
  count = count >= 0 && L.count >= 0 ? count + L.count : -1;
  L.h = L.t = nullptr;
  L.count = 0;
}

void dlist::unique() {
  if (h == nullptr || h->succ == nullptr) return;
  int code = sort_code(*this);
  dlink* kept = h;
  for (dlink* p = h->succ; p;) {
    dlink* next = p->succ;
    if (compare(*this, code, kept->e, p->e) == 0) {
      if (code == 6)
        std_memory_mgr.deallocate_bytes(p->e, sizeof(double));
      else if (code != 3 && code != 5)
        clear_el(p->e);
      unlink(p);
    } else {
      kept = p;
    }
    p = next;
  }
}

namespace {

// Links the buckets' cells from the lowest bucket to the highest; each bucket
// head is its last cell, chained back through pred. Returns the first cell and
// sets last to the last one.
dlink* join_buckets(dlink** bucket, long long n, dlink*& last) {
  dlink* first = nullptr;
  last = nullptr;
  for (long long b = n - 1; b >= 0; b--) {
    dlink* end = bucket[b];
    if (end == nullptr) continue;
    if (last == nullptr)
      last = end;
    else {
      end->succ = first;
      first->pred = end;
    }
    dlink* start = end;
    while (start->pred) start = start->pred;
    first = start;
  }
  return first;
}

}  // namespace

void dlist::bucket_sort(int i, int j) {
  if (h == nullptr) return;
  // Counted wide: the full int range needs 2^32 buckets.
  long long n = static_cast<long long>(j) - i + 1;
  if (n < 0) n = 0;
  dlink** bucket = nullptr;
  if (n <= INT_MAX) bucket = scratch<dlink*>(static_cast<size_t>(n));
  if (bucket == nullptr) {
    if (n <= INT_MAX)
      std_error_handler(1, string("list::bucketsort: cannot allocate %d buckets (out of memory)", static_cast<int>(n)).chars());
    else
      std_error_handler(1, string("list::bucketsort: cannot allocate %lld buckets (out of memory)", n).chars());
    return;
  }
  for (long long b = 0; b < n; b++) bucket[b] = nullptr;

  dlink* p = h;
  while (p) {
    int k = ord(p->e);
    if (k < i || k > j) {
      std_error_handler(4, string("bucket_sort: value %d out of range", k).chars());
      // A handler that returns gets every cell back: the sorted part, then the rest.
      dlink* last;
      dlink* first = join_buckets(bucket, n, last);
      if (first) {
        h = first;
        last->succ = p;
        p->pred = last;
      }
      std_memory_mgr.deallocate_vector(bucket);
      return;
    }
    dlink* next = p->succ;
    dlink*& end = bucket[static_cast<long long>(k) - i];
    p->pred = end;
    p->succ = nullptr;
    if (end) end->succ = p;
    end = p;
    p = next;
  }
  h = join_buckets(bucket, n, t);
  std_memory_mgr.deallocate_vector(bucket);
}

void dlist::bucket_sort() {
  if (h == nullptr) return;
  int lo = ord(h->e);
  int hi = lo;
  for (dlink* p = h->succ; p; p = p->succ) {
    int k = ord(p->e);
    if (k < lo) lo = k;
    if (k > hi) hi = k;
  }
  bucket_sort(lo, hi);
}

void dlist::permute() {
  int n = length();
  if (n < 2) return;
  dlink** A = scratch<dlink*>(static_cast<size_t>(n) + 2);
  if (A == nullptr) return;
  A[0] = A[n + 1] = nullptr;
  int k = 1;
  for (dlink* p = h; p; p = p->succ) A[k++] = p;
  for (k = 1; k < n; k++) std::swap(A[k], A[rand_int(k, n)]);
  relink(*this, A, n);
  std_memory_mgr.deallocate_vector(A);
}

void dlist::permute(dlink** A) {
  int n = length();
  if (n < 1) return;
  for (int k = 0; k < n; k++) {
    A[k]->pred = k > 0 ? A[k - 1] : nullptr;
    A[k]->succ = k + 1 < n ? A[k + 1] : nullptr;
  }
  h = A[0];
  t = A[n - 1];
}

void dlist::reverse_items() {
  if (h == nullptr) return;
  for (dlink* p = h; p; p = p->pred) std::swap(p->succ, p->pred);
  std::swap(h, t);
}

void dlist::reverse_items(dlink* it1, dlink* it2) {
  if (h == nullptr) {
    std_error_handler(1, "dlist::reverse_items:  empty list.");
    return;
  }
  if (it2 == nullptr) it2 = t;
  if (it1 == nullptr) {
    std_error_handler(1, "dlist::reverse_items: illegal arguments.");
    return;
  }
  if (it1 == it2) return;
  dlink* p = it1;
  while (p && p != it2) p = p->succ;
  if (p == nullptr) {
    std_error_handler(1, "dlist::reverse_items(it1,it2): it1 not before it2");
    return;
  }
  int n = length();
  dlist A, B;
  split(it1, A, B, 0);
  conc(A);
  B.split(it2, A, B, 1);
  A.reverse_items();
  conc(A);
  conc(B);
  count = n;
}

void dlist::reverse(dlink* it1, dlink* it2) {
  if (it1 == it2 || (it2 && it2->succ == it1)) return;
  for (;;) {
    if (it1 == nullptr || it2 == nullptr) {
      std_error_handler(1, "list::reverse(it1,it2): illegal arguments.");
      return;
    }
    std::swap(it1->e, it2->e);
    it1 = it1->succ;
    it2 = it2->pred;
    if (it1 == it2 || (it2 && it2->succ == it1)) return;
  }
}

void dlist::reverse() {
  if (h) reverse(h, t);
}

}  // namespace graphlib
