#pragma once
// Unbounded stack: pushes and pops at the head of a singly linked list.
#include "graphlib/base/slist.h"

namespace graphlib {

template <class T>
class stack : public slist<T> {
 public:
  void push(const T& x) { slist<T>::push(x); }
  T& pop() { return slist<T>::pop(); }
  const T& top() const { return slist<T>::head(); }
};

}  // namespace graphlib
