#pragma once
// Header-only (test_helpers does not link the graph library): include it only in
// test binaries that link graphlib_base.
//
// Structural check of a graph-library dlist: forward and backward links agree,
// h and t are the ends, and a known count equals the number of cells. Returns
// "" for a sound list, else what is wrong.
#include <string>

#include "graphlib/base/dlist.h"

namespace testing_support {

inline std::string dlistDefect(const graphlib::dlist& L) {
  if ((L.h == nullptr) != (L.t == nullptr)) return "only one of h and t is set";
  if (L.h && L.h->pred) return "first cell has a predecessor";
  if (L.t && L.t->succ) return "last cell has a successor";
  int n = 0;
  const graphlib::dlink* prev = nullptr;
  for (const graphlib::dlink* p = L.h; p; p = p->succ) {
    if (p->pred != prev) return "cell " + std::to_string(n) + " has a wrong predecessor";
    prev = p;
    if (++n > 100000000) return "cycle";
  }
  if (prev != L.t) return "t is not the last cell";
  if (L.count >= 0 && L.count != n) return "count " + std::to_string(L.count) + " but " + std::to_string(n) + " cells";
  return "";
}

}  // namespace testing_support
