#pragma once
// The typed list over dlist: converts elements to and from slots and supplies
// the element hooks.
#include "graphlib/base/memory_manager.h"

#include <istream>
#include <ostream>
#include <type_traits>
#include <utility>

#include "graphlib/base/cmp_base.h"
#include "graphlib/base/dlist.h"
#include "graphlib/base/error.h"
#include "graphlib/base/slot.h"

namespace graphlib {

namespace internal {

template <class T, class = void>
struct printable : std::false_type {};
template <class T>
struct printable<T, std::void_t<decltype(std::declval<std::ostream&>() << std::declval<const T&>())>>
    : std::true_type {};

// Pointers are never read from text.
template <class T, class = void>
struct readable : std::false_type {};
template <class T>
struct readable<T, std::void_t<decltype(std::declval<std::istream&>() >> std::declval<T&>())>>
    : std::integral_constant<bool, !std::is_pointer<T>::value> {};

// The element hooks that lists and arrays share.
template <class T>
int compare_slots(int (*f)(const T&, const T&), const graphlib_cmp_base<T>* obj, void* x, void* y) {
  if (f) return f(graphlib_slot_value<T>(x), graphlib_slot_value<T>(y));
  // Nothing to compare with: the same report as a compare object without a function.
  if (obj == nullptr) return graphlib_cmp_base<T>()(graphlib_slot_value<T>(x), graphlib_slot_value<T>(y));
  return (*obj)(graphlib_slot_value<T>(x), graphlib_slot_value<T>(y));
}

template <class T>
void print_slot(void*& x, std::ostream& os) {
  if constexpr (printable<T>::value) os << graphlib_const_access(static_cast<const T*>(nullptr), x);
}

template <class T>
void read_slot(void*& x, std::istream& is) {
  if constexpr (readable<T>::value) {
    T value{};
    if (is >> value) x = graphlib_copy(value);
  } else {
    is.setstate(std::ios::failbit);
  }
}

}  // namespace internal

template <class T>
class list : public dlist {
 public:
  typedef dlink* item;

  list() : dlist(), cmp_obj(nullptr), cmp_ptr(nullptr), ord_ptr(nullptr), app_ptr(nullptr), holder() {}
  list(const list& L) : dlist(L), cmp_obj(nullptr), cmp_ptr(nullptr), ord_ptr(nullptr), app_ptr(nullptr), holder() {}
  list& operator=(const list& L) {
    dlist::operator=(L);
    return *this;
  }
  ~list() override { clear(); }

  list operator+(const list& L) const {
    list result(L);
    result.prepend_copies(*this, L);
    return result;
  }

  const T& contents(dlink* it) const { return graphlib_const_access(static_cast<const T*>(nullptr), it->e); }
  const T& inf(dlink* it) const { return contents(it); }
  T& operator[](dlink* it) { return graphlib_access(static_cast<const T*>(nullptr), it->e); }
  const T& operator[](dlink* it) const { return contents(it); }
  // An empty list has no first or last element: report it, and with a
  // returning handler hand back the holder's value rather than follow nil.
  const T& head() const {
    if (h == nullptr) {
      error_handler(1, "dlist::head(): empty list");
      return holder;
    }
    return contents(h);
  }
  const T& tail() const {
    if (t == nullptr) {
      error_handler(1, "dlist::tail(): empty list");
      return holder;
    }
    return contents(t);
  }
  const T& front() const { return contents(h); }
  const T& back() const { return contents(t); }

  dlink* append(const T& x) { return dlist::append(graphlib_copy(x)); }
  dlink* push(const T& x) { return dlist::push(graphlib_copy(x)); }
  dlink* push_back(const T& x) { return append(x); }
  dlink* push_front(const T& x) { return push(x); }
  dlink* insert(const T& x, dlink* it, int dir = 0) {
    if (it != nullptr && dir != 0 && dir != 1) return dlist::insert(nullptr, it, dir);
    return dlist::insert(graphlib_copy(x), it, dir);
  }

  // The first element, moved into the list's holder: the reference is valid
  // until the next pop.
  T& pop() {
    if (h == nullptr) {
      dlist::pop();
      return holder;
    }
    holder = graphlib_take<T>(dlist::pop());
    return holder;
  }
  T pop_back() {
    if (t == nullptr) {
      dlist::pop_back();
      return T();
    }
    return graphlib_take<T>(dlist::pop_back());
  }
  T del_item(dlink* it) {
    if (it == nullptr) {
      dlist::del(it);
      return T();
    }
    return graphlib_take<T>(dlist::del(it));
  }
  T del(dlink* it) { return del_item(it); }
  // Deletes every element equal to x.
  void remove(const T& x) {
    void* p = graphlib_copy(x);
    dlist::remove(p);
    graphlib_take<T>(p);
  }

  dlink* search(const T& x) const {
    void* p = graphlib_copy(x);
    dlink* it = dlist::search(p);
    graphlib_take<T>(p);
    return it;
  }
  int rank(const T& x) const {
    void* p = graphlib_copy(x);
    int r = dlist::rank(p);
    graphlib_take<T>(p);
    return r;
  }

  // Sorts by f, which is set only while the sort runs.
  void sort(int (*f)(const T&, const T&)) {
    cmp_ptr = f;
    quick_sort();
    cmp_ptr = nullptr;
  }
  using dlist::merge_sort;
  void merge_sort(int (*f)(const T&, const T&)) {
    cmp_ptr = f;
    dlist::merge_sort();
    cmp_ptr = nullptr;
  }
  // Stable sorts by the key f, which stays set.
  using dlist::bucket_sort;
  void bucket_sort(int i, int j, int (*f)(const T&)) {
    ord_ptr = f;
    dlist::bucket_sort(i, j);
  }
  void bucket_sort(int (*f)(const T&)) {
    ord_ptr = f;
    dlist::bucket_sort();
  }

  void apply(void (*f)(T&)) {
    app_ptr = f;
    dlist::apply();
  }

  graphlib_cmp_base<T>* cmp_obj;
  int (*cmp_ptr)(const T&, const T&);
  int (*ord_ptr)(const T&);
  void (*app_ptr)(T&);
  T holder;

  int cmp(void* x, void* y) const override { return internal::compare_slots<T>(cmp_ptr, cmp_obj, x, y); }
  int ord(void* x) const override { return ord_ptr ? ord_ptr(graphlib_slot_value<T>(x)) : 0; }
  void app(void*& x) override {
    if (app_ptr) app_ptr(graphlib_access(static_cast<const T*>(nullptr), x));
  }
  void read_el(void*& x, std::istream& is) const override { internal::read_slot<T>(x, is); }
  void print_el(void*& x, std::ostream& os) const override { internal::print_slot<T>(x, os); }
  void clear_el(void*& x) const override { graphlib_clear(graphlib_access(static_cast<const T*>(nullptr), x)); }
  void copy_el(void*& x) const override { x = graphlib_copy(graphlib_const_access(static_cast<const T*>(nullptr), x)); }
  int el_type_id() const override { return std::is_same<T, int>::value ? 3 : 0; }
};

// The loop over all elements: p advances before the body runs, so the body may
// delete the current item.
template <class T>
inline void GraphlibLoopInf(const list<T>& L, T& x, void* p) {
  if (p) x = L.contents(static_cast<dlink*>(p));
}

template <class T>
inline bool GraphlibLoopSucc(const list<T>&, void*& p) {
  if (p == nullptr) return false;
  p = static_cast<dlink*>(p)->succ;
  return true;
}

}  // namespace graphlib

#define graphlib_forall(x, L)                                                            \
  for (void* graphlib_loop_item = (L).first();                                           \
       graphlib::GraphlibLoopInf(L, x, graphlib_loop_item),                              \
             graphlib::GraphlibLoopSucc(L, graphlib_loop_item);)
