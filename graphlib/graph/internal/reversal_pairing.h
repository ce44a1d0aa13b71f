#pragma once
// Pairing edges with their reversals: each edge (v,w) of a list is matched with
// an edge (w,v) of the same list by merging one copy sorted by (source, target)
// with one sorted by (target, source), both on node indices.
#include "graphlib/base/list.h"
#include "graphlib/graph/graph.h"

namespace graphlib {
namespace internal {

// paired(e) tells whether e already has its reversal, pair(e, r) records e and
// r as each other's. Returns the number of edges paired here; L is used up on
// the way.
template <class Paired, class Pair>
int pair_reversals(list<edge>& L, int max_node_index, Paired paired, Pair pair) {
  list<edge> L2;
  for (dlink* it = L.first(); it != nullptr; it = it->succ) L2.push(L.contents(it));

  int top = max_node_index < 0 ? 0 : max_node_index;
  L.bucket_sort(0, top, map_edge_ord2);
  L.bucket_sort(0, top, map_edge_ord1);
  L2.bucket_sort(0, top, map_edge_ord1);
  L2.bucket_sort(0, top, map_edge_ord2);

  int count = 0;
  while (!L.empty() && !L2.empty()) {
    edge e = L.front();
    edge r = L2.front();
    if (paired(e)) {
      L.pop();
      continue;
    }
    if (paired(r)) {
      L2.pop();
      continue;
    }
    int es = e->source->index(), et = e->target->index();
    int rs = r->target->index(), rt = r->source->index();
    if (es == rs && et == rt) {
      L.pop();
      L2.pop();
      if (r != e) {
        pair(e, r);
        count += 2;
      }
    } else if (es < rs || (es == rs && et < rt)) {
      L.pop();
    } else {
      L2.pop();
    }
  }
  return count;
}

}  // namespace internal
}  // namespace graphlib
