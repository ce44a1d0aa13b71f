#pragma once
// The typed array over gen_array: converts elements to and from slots and
// supplies the element hooks. A value that fits in a slot lives in it; a larger
// one (a list, a node array) is boxed on the heap and owned by the array.
#include "graphlib/base/memory_manager.h"

#include <istream>
#include <ostream>

#include "graphlib/base/cmp_base.h"
#include "graphlib/base/gen_array.h"
#include "graphlib/base/list.h"
#include "graphlib/base/slot.h"

namespace graphlib {

template <class T>
class array : public gen_array {
 public:
  typedef int (*cmp_function)(const T&, const T&);

  array() : gen_array(), cmp_obj(nullptr), cmp_ptr(nullptr) {}
  array(int low, int high) : gen_array(low, high), cmp_obj(nullptr), cmp_ptr(nullptr) { init(); }
  explicit array(int n) : gen_array(n), cmp_obj(nullptr), cmp_ptr(nullptr) { init(); }
  array(const array& A) : gen_array(A), cmp_obj(nullptr), cmp_ptr(nullptr) {}
  array& operator=(const array& A) {
    gen_array::operator=(A);
    return *this;
  }
  ~array() override { clear(); }

  // No bound check: one subtraction and one load.
  T& operator[](int i) { return graphlib_access(static_cast<const T*>(nullptr), entry(i)); }
  const T& operator[](int i) const { return graphlib_const_access(static_cast<const T*>(nullptr), entry(i)); }

  using gen_array::init;
  // Every element a copy of x (the old elements are released first).
  void init(const T& x) {
    clear();
    void* p = graphlib_copy(x);
    gen_array::init(p);
    graphlib_take<T>(p);
  }

  using gen_array::sort;
  void sort(cmp_function f) { sort(f, Low, High); }
  void sort(cmp_function f, int l, int h) {
    cmp_ptr = f;
    gen_array::sort(l, h);
  }
  void sort(const graphlib_cmp_base<T>& c) { sort(c, Low, High); }
  void sort(const graphlib_cmp_base<T>& c, int l, int h) {
    cmp_ptr = nullptr;
    cmp_obj = &c;
    gen_array::sort(l, h);
    cmp_obj = nullptr;
  }

  // In an array sorted ascending by f.
  int binary_search(cmp_function f, const T& x) {
    cmp_ptr = f;
    void* p = graphlib_copy(x);
    int i = gen_array::binary_search(p);
    graphlib_take<T>(p);
    return i;
  }
  int binary_locate(cmp_function f, const T& x) {
    cmp_ptr = f;
    void* p = graphlib_copy(x);
    int i = gen_array::binary_locate(p);
    graphlib_take<T>(p);
    return i;
  }

  const graphlib_cmp_base<T>* cmp_obj;
  cmp_function cmp_ptr;

  int el_type_id() const override { return 0; }
  int cmp(void* x, void* y) const override { return internal::compare_slots<T>(cmp_ptr, cmp_obj, x, y); }
  void print_el(void*& x, std::ostream& os) const override { internal::print_slot<T>(x, os); }
  void read_el(void*& x, std::istream& is) const override { internal::read_slot<T>(x, is); }
  void clear_entry(void*& x) const override {
    if constexpr (slot_traits<T>::boxed) {
      if (x != nullptr) graphlib_clear(graphlib_access(static_cast<const T*>(nullptr), x));
    } else {
      graphlib_clear(graphlib_access(static_cast<const T*>(nullptr), x));
    }
  }
  // A bool's cell is its low byte widened: the rest of the cell is not the array's.
  void copy_entry(void*& x) const override {
    if constexpr (slot_traits<T>::boxed) {
      if (x != nullptr) x = graphlib_copy(graphlib_const_access(static_cast<const T*>(nullptr), x));
    } else {
      x = graphlib_copy(graphlib_slot_value<T>(x));
    }
  }
  void init_entry(void*& x) const override { x = graphlib_create(static_cast<const T*>(nullptr)); }
};

}  // namespace graphlib
