#pragma once
// Untyped one-dimensional array over an arbitrary index range [Low..High],
// one element slot per index; the typed array<T> supplies the element hooks.
// gen_array2 is a two-dimensional array made of row arrays.
#include "graphlib/base/memory_manager.h"

#include <istream>
#include <ostream>

#include "graphlib/base/string.h"

namespace graphlib {

class gen_array {
 public:
  gen_array();
  // The slots are not initialised (the typed array does that).
  gen_array(int low, int high);
  explicit gen_array(int n);
  // Copies with the source's copy hook: this object is still a plain
  // gen_array while it is built.
  gen_array(const gen_array& A);
  gen_array& operator=(const gen_array& A);
  // Frees the vector only: the typed array clears its elements first.
  virtual ~gen_array();

  int low() const { return Low; }
  int high() const { return High; }
  int size() const { return sz; }
  void*& entry(int i) { return v[i - Low]; }
  void* const& entry(int i) const { return v[i - Low]; }

  void clear();
  void init();
  // Every slot a copy of x.
  void init(void* x);
  // The first two, three or four slots copies of the values, in order.
  void init(void* x, void* y);
  void init(void* x, void* y, void* z);
  void init(void* w, void* x, void* y, void* z);
  // Kept indexes keep their elements, new ones are initialised, dropped ones cleared.
  void resize(int low, int high);
  void swap(int i, int j);
  void permute();
  void permute(int l, int h);
  void sort(int l, int h);
  void sort() { sort(Low, High); }
  void int_sort(int l, int h);
  // Index of an element equal to x in an array sorted ascending, or Low - 1.
  int binary_search(void* x);
  // Index of the last element not greater than x, or Low - 1.
  int binary_locate(void* x);
  // Writes s to standard output, then reads the elements from Low upward
  // while the stream yields them; the slots left over are initialised.
  void read(std::istream& is, string s);
  void print(std::ostream& os, string s, char space = ' ') const;
  void print(std::ostream& os, char space = ' ') const;

  // Element hooks.
  virtual int el_type_id() const;
  virtual int cmp(void* x, void* y) const;
  virtual void print_el(void*& x, std::ostream& os) const;
  // Reads one element into x; sets the stream's failbit when none can be read.
  virtual void read_el(void*& x, std::istream& is) const;
  virtual void clear_entry(void*& x) const;
  virtual void copy_entry(void*& x) const;
  virtual void init_entry(void*& x) const;

  void** v;
  void** last;
  int sz;
  int Low;
  int High;
  bool typed_paths;

 private:
  // A vector for [low..high]; on an error the array is left empty.
  bool allocate(int low, int high);
  void release();
  void gen_quick_sort(void** l, void** r);
  bool needs_hooks() const;
  // x against y for the binary searches: by the typed path of code, else by cmp.
  int search_cmp(int code, void* x, void* y) const;
  void init_first(void* const* values, int n);
};

class gen_array2 {
 public:
  gen_array2(int a, int b, int c, int d);
  gen_array2(int n, int m);
  gen_array2(const gen_array2& A);
  gen_array2& operator=(const gen_array2& A);
  // Deletes the rows; the elements are the typed array's business.
  virtual ~gen_array2();

  // Checked access: a row outside [Low1..High1] or a column outside
  // [Low2..High2] is error 2.
  gen_array* row(int i) const;
  void*& entry(int i, int j);

  void init(int r1, int r2, int c1, int c2);
  void clear();
  void copy_row(gen_array* from, gen_array* to) const;

  virtual void clear_entry(void*& x) const;
  virtual void copy_entry(void*& x) const;
  virtual void init_entry(void*& x) const;

  gen_array rows;
  int Low1;
  int Low2;
  int High1;
  int High2;

 private:
  gen_array* source_row(int i) const;
  void store_row(int i, gen_array* r);
  void make_rows_from(const gen_array2& A);
  void delete_rows();
};

}  // namespace graphlib
