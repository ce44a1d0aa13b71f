#pragma once
// Untyped doubly linked list: cells (items) holding one element slot each. The
// typed list<T> supplies the element hooks (compare, order, apply, read, print,
// clear, copy, type code) that the untyped operations call.
#include "graphlib/base/memory_manager.h"

#include <cstddef>
#include <istream>
#include <ostream>

#include "graphlib/base/string.h"

namespace graphlib {

class dlink : public small_object {
 public:
  dlink(void* a, dlink* p, dlink* s) : succ(s), pred(p), e(a) {}

  // succ comes first: whole chains go back to the allocator linked through it.
  dlink* succ;
  dlink* pred;
  void* e;
};

class dlist {
 public:
  dlist();
  explicit dlist(void* x);
  // Copies with the source's copy hook, since this object is still a plain
  // dlist while it is built.
  dlist(const dlist& L);
  dlist& operator=(const dlist& L);
  virtual ~dlist();

  // This list's elements followed by L's, each duplicated with L's copy hook.
  dlist operator+(const dlist& L) const;

  // The number of cells; an unknown count (-1) is recounted first.
  int length() const;
  int size() const { return length(); }
  bool empty() const { return h == nullptr; }
  void recompute_length() const;

  dlink* first() const { return h; }
  dlink* last() const { return t; }
  dlink* succ(dlink* it) const { return it->succ; }
  dlink* pred(dlink* it) const { return it->pred; }
  dlink* get_item(int i) const;
  // i steps after (before) it; nil when the walk runs off the list.
  dlink* succ(dlink* it, int i) const;
  dlink* pred(dlink* it, int i) const;
  dlink* search(void* x) const;
  int rank(void* x) const;
  dlink* max() const;
  dlink* min() const;

  dlink* append(void* x);
  dlink* push(void* x);
  // dir 0: after it, 1: before it; it nil appends.
  dlink* insert(void* x, dlink* it, int dir = 0);

  void* pop();
  void* pop_back();
  void* del(dlink* it);
  void remove(void* x);
  void clear();

  void swap(dlist& L);
  void conc(dlist& L, int dir = 0);
  void split(dlink* it, dlist& L1, dlist& L2, int dir = 0);
  void splice(dlink* pos, dlist& L);
  void splice(dlink* pos, dlist& L, dlink* it1, dlink* it2);
  void splice(dlink* pos, dlist& L, dlink* it);
  void move_to_front(dlink* it);
  void move_to_back(dlink* it);

  // Sorting and reordering. They move cells, not elements (reverse(it1, it2)
  // excepted), so an item still designates the same element afterwards.
  void quick_sort();
  // The step of quick_sort on A[l..r] (element slots) and D[l..r] (their cells).
  void gen_quick_sort(void** A, dlink** D, int l, int r);
  // Stable insertion sort of *l..*r; the least element must lie in l..m.
  void gen_insertion_sort(dlink** l, dlink** r, dlink** m);
  void merge_sort();
  // Merges the sorted list L into this sorted one; L ends empty.
  void merge(dlist& L);
  // Deletes every element equal to its predecessor.
  void unique();
  // Stable sort by ord for keys in [i, j].
  void bucket_sort(int i, int j);
  void bucket_sort();
  // Uniformly random order, drawn from rand_int.
  void permute();
  // Relinks the cells in the order of A[0..n-1], which holds every cell once.
  void permute(dlink** A);
  void reverse_items();
  // Reverses the cells strictly between it1 and it2 (it2 nil: the last cell).
  void reverse_items(dlink* it1, dlink* it2);
  // Reverses the elements from it1 to it2, both included; the cells stay.
  void reverse(dlink* it1, dlink* it2);
  void reverse();

  void apply();
  // s, then every element preceded by space.
  void print(std::ostream& os, string s, char space = ' ') const;
  void print(std::ostream& os, char space = ' ') const;
  // Writes the prompt s to standard output, then reads elements up to delim
  // (-1: up to the end of the input).
  void read(std::istream& is, string s, int delim = -1);

  // Element hooks.
  virtual int cmp(void* x, void* y) const;
  virtual int ord(void* x) const;
  virtual void app(void*& x);
  // Reads one element into x; sets the stream's failbit when none can be read.
  virtual void read_el(void*& x, std::istream& is) const;
  virtual void print_el(void*& x, std::ostream& os) const;
  virtual void clear_el(void*& x) const;
  virtual void copy_el(void*& x) const;
  // 0 any type, 3 int, 5 float, 6 boxed double, 7 no clear or copy needed.
  virtual int el_type_id() const;

  dlink* h;
  dlink* t;
  mutable int count;  // negative: unknown
  bool typed_paths;

 private:
  // Fills this empty list with L's elements, duplicated with hooks' copy hook.
  void copy_cells(const dlist& L, const dlist& hooks);
  // Pushes copies of src's elements (in order) in front of this list's.
  void prepend_copies(const dlist& src, const dlist& hooks);
  void unlink(dlink* it);
  template <class>
  friend class list;
};

}  // namespace graphlib
