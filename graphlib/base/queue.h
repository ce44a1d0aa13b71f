#pragma once
// Unbounded queue: appends at the tail and pops at the head of a singly linked list.
#include "graphlib/base/slist.h"

namespace graphlib {

template <class T>
class queue : public slist<T> {
 public:
  void append(const T& x) { slist<T>::append(x); }
  T& pop() { return slist<T>::pop(); }
  const T& top() const { return slist<T>::head(); }
};

}  // namespace graphlib
