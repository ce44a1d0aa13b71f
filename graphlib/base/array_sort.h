#pragma once
// Sorting of plain arrays: quicksort of numbers in place (QUICKSORT_C), of keys
// carrying a parallel array of items (QUICKSORT_P), of a list through such
// arrays (QUICKSORT_LIST), and radix sorting of ints (counting_sort, INTSORT).
#include "graphlib/base/memory_manager.h"

#include <new>
#include <type_traits>
#include <utility>

#include "graphlib/base/list.h"

namespace graphlib {

// The quicksort shared by the library's sorts, on positions l..r. less(a, b)
// tells whether the key at position a is less than the key at position b;
// swap(a, b) exchanges two positions. Median of three, no cutoff: ranges of two
// and three are finished by ordering their ends and middle. The pivot stays at
// l + 1 while a range is partitioned, so it is compared by position.
//
// The scans stop at the ends of the range even when less is not a strict weak
// order (a compare function in error); with a sound one those tests never
// decide anything. The smaller part is sorted first by recursion and the larger
// one by the loop, which bounds the depth by log n.
template <class Less, class Swap>
void quicksort_range(long l, long r, Less less, Swap swap) {
  while (l < r) {
    if (less(r, l)) swap(l, r);
    if (r == l + 1) return;
    long m = l + (r - l) / 2;
    if (less(m, l))
      swap(l, m);
    else if (less(r, m))
      swap(m, r);
    if (r == l + 2) return;
    swap(l + 1, m);
    const long p = l + 1;
    long i = p;
    long j = r;
    for (;;) {
      while (less(++i, p) && i < r) {
      }
      while (less(p, --j) && j > l) {
      }
      if (i >= j) break;
      swap(i, j);
    }
    swap(p, j);
    if (j - l < r - j) {
      if (j > l + 1) quicksort_range(l, j - 1, less, swap);
      l = j + 1;
    } else {
      if (r > j + 1) quicksort_range(j + 1, r, less, swap);
      r = j - 1;
    }
  }
}

// Sorts *l .. *r (both included) ascending by <.
template <class T>
void QUICKSORT_C(T* l, T* r) {
  if (r <= l) return;
  quicksort_range(
      0, r - l, [l](long a, long b) { return l[a] < l[b]; }, [l](long a, long b) { std::swap(l[a], l[b]); });
}

// Sorts A[l..r] ascending by < (string::cmp for strings) and applies every
// exchange of A to the same positions of B, so that each item stays with its key.
template <class K, class I>
void QUICKSORT_P(K* A, I* B, int l, int r) {
  if (r <= l) return;
  quicksort_range(
      l, r, [A](long a, long b) { return A[a] < A[b]; },
      [A, B](long a, long b) {
        std::swap(A[a], A[b]);
        std::swap(B[a], B[b]);
      });
}

// One stable counting pass over n ints from in to out by the key
// ((x >> shift) & mask) ^ flip, the shift arithmetic. When all keys are equal
// it exchanges in and out instead: out then designates the unchanged input.
// mask is below 4096 and flip has no bits outside it. Not reentrant: every call
// uses the one counter table.
void counting_sort(int*& in, int*& out, int n, int mask, int flip, int shift);

// Sorts A[0..n-1] ascending as signed ints: three counting passes over bits
// 0-11, 12-23 and 24-31.
void INTSORT(int* A, int n);

// Sorts a list ascending through an array of its cells and one of copies of its
// elements; the cells are relinked, so every item keeps its element.
template <class LIST>
void QUICKSORT_LIST(LIST& L) {
  typedef typename std::remove_cv<decltype(LIST::holder)>::type T;
  int n = L.length();
  if (n < 2) return;
  size_t un = static_cast<size_t>(n);
  dlink** D = static_cast<dlink**>(std_memory_mgr.allocate_vector(un * sizeof(dlink*)));
  T* K = static_cast<T*>(std_memory_mgr.allocate_vector(un * sizeof(T)));
  if (D != nullptr && K != nullptr) {
    size_t k = 0;
    for (dlink* p = L.first(); p; p = p->succ, k++) {
      D[k] = p;
      new (K + k) T(L.contents(p));
    }
    QUICKSORT_P(K, D, 0, n - 1);
    L.permute(D);
    for (k = 0; k < un; k++) K[k].~T();
  }
  std_memory_mgr.deallocate_vector(K);
  std_memory_mgr.deallocate_vector(D);
}

}  // namespace graphlib
