#pragma once
// Depth-first search along adjacency list 0 with an explicit stack in place of
// recursion: a search path can be as long as the graph has nodes, too deep for
// the call stack on large graphs.
#include <utility>
#include <vector>

#include "graphlib/graph/graph_objects.h"

namespace graphlib {
namespace internal {

// From s, whose visit the caller has recorded. Each edge e of a node u on the
// stack is offered to enter(e, u) in list order; enter returns the node the
// search goes on to (its visit recorded), or nil to pass over e.
template <class Enter>
void list0_dfs(node s, Enter enter) {
  // Each frame holds a node and the next edge of its list still to be tried.
  std::vector<std::pair<node, edge>> frames;
  frames.emplace_back(s, s->first_adj_edge[0]);
  while (!frames.empty()) {
    node u = frames.back().first;
    edge e = frames.back().second;
    if (e == nullptr) {
      frames.pop_back();
      continue;
    }
    frames.back().second = e->succ_adj_edge[link_pair(e, u, 0)];
    node w = enter(e, u);
    if (w != nullptr) frames.emplace_back(w, w->first_adj_edge[0]);
  }
}

}  // namespace internal
}  // namespace graphlib
