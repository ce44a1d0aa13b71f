#pragma once
// Untyped singly linked list (cells with one element slot, head, tail and an
// always exact length) and the typed slist<T> over it. Elements follow the slot
// convention of the library's containers (slot.h).
#include "graphlib/base/memory_manager.h"

#include <type_traits>

#include "graphlib/base/slot.h"

namespace graphlib {

class slink : public small_object {
 public:
  slink(void* a, slink* s) : succ(s), e(a) {}

  // succ comes first: whole chains go back to the allocator linked through it.
  slink* succ;
  void* e;
};

class SLIST {
 public:
  SLIST();
  explicit SLIST(void* x);
  // Copies with the source's copy hook, since this object is still a plain
  // SLIST while it is built.
  SLIST(const SLIST& L);
  SLIST& operator=(const SLIST& L);
  virtual ~SLIST();

  int length() const { return count; }
  int size() const { return count; }
  bool empty() const { return h == nullptr; }
  slink* first() const { return h; }
  slink* last() const { return t; }
  slink* succ(slink* it) const { return it->succ; }

  slink* append(void* x);
  slink* push(void* x);
  // Inserts after it (it nil appends) and returns the first cell, not the new one.
  slink* insert(void* x, slink* it);
  void conc(SLIST& L);
  void* pop();
  void clear();

  virtual void clear_el(void*& x) const;
  virtual void copy_el(void*& x) const;
  // The element type codes of dlist: 3 int, 7 no clear or copy needed, 0 any.
  virtual int el_type_id() const;

  slink* h;
  slink* t;
  int count;

 private:
  void append_cells(const SLIST& L);
};

template <class T>
class slist : public SLIST {
 public:
  typedef slink* item;

  slist() : SLIST(), holder() {}
  slist(const slist& L) : SLIST(L), holder() {}
  slist& operator=(const slist& L) {
    SLIST::operator=(L);
    return *this;
  }
  ~slist() override { clear(); }

  slink* append(const T& x) { return SLIST::append(graphlib_copy(x)); }
  slink* push(const T& x) { return SLIST::push(graphlib_copy(x)); }
  slink* insert(const T& x, slink* it) { return SLIST::insert(graphlib_copy(x), it); }

  // The first element, moved into the list's holder: the reference is valid
  // until the next pop.
  T& pop() {
    if (h == nullptr) {
      SLIST::pop();
      return holder;
    }
    holder = graphlib_take<T>(SLIST::pop());
    return holder;
  }

  const T& contents(slink* it) const { return graphlib_const_access(static_cast<const T*>(nullptr), it->e); }
  const T& inf(slink* it) const { return contents(it); }
  const T& head() const { return contents(h); }
  const T& tail() const { return contents(t); }

  void clear_el(void*& x) const override { graphlib_clear(graphlib_access(static_cast<const T*>(nullptr), x)); }
  void copy_el(void*& x) const override { x = graphlib_copy(graphlib_const_access(static_cast<const T*>(nullptr), x)); }
  int el_type_id() const override { return std::is_same<T, int>::value ? 3 : 0; }

  T holder;
};

}  // namespace graphlib
