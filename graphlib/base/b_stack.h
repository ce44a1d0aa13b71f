#pragma once
// Bounded stack in one array whose capacity is fixed at construction; after it
// nothing is allocated.
#include "graphlib/base/memory_manager.h"

#include <new>

#include "graphlib/base/error.h"

namespace graphlib {

template <class T>
class b_stack {
 public:
  explicit b_stack(int n) : start(nullptr), stop(nullptr), top(nullptr) {
    if (n >= 0) start = new (std::nothrow) T[static_cast<size_t>(n)];
    if (start == nullptr) {
      std_error_handler(99, "bounded stack: out of memory");
      return;
    }
    top = start;
    stop = start + n;
  }
  virtual ~b_stack() { delete[] start; }
  b_stack(const b_stack&) = delete;
  b_stack& operator=(const b_stack&) = delete;

  // One bound test each: a full or empty stack is reported instead of writing
  // or reading outside the array.
  void push(const T& x) {
    if (top == stop) {
      std_error_handler(1, "bounded stack: overflow");
      return;
    }
    *top++ = x;
  }
  T pop() {
    if (top == start) {
      std_error_handler(1, "bounded stack: underflow");
      return T();
    }
    return *--top;
  }
  bool empty() const { return top == start; }

  T* start;
  T* stop;
  T* top;
};

}  // namespace graphlib
