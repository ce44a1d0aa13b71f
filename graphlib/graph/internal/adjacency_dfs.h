#pragma once
// Depth-first search over adjacency lists with an explicit stack in place of
// recursion: a search path can be as long as the graph has nodes, too deep for
// the call stack on large graphs.
#include <vector>

#include "graphlib/graph/graph_objects.h"

namespace graphlib {
namespace internal {

// From s, whose visit the caller has recorded, along each node's list 0 and,
// when Lists is 2, then its list 1. Each edge e at a node u on the stack is
// offered to enter(e, u) in list order; enter returns the node the search goes
// on to (its visit recorded), or nil to pass over e. When the search comes
// back from w to u, leave(w, u) is called; a node it returns ends the search
// and is returned, else the result is nil.
//
// The edge after e is read only when the search is back at u, as a recursive
// search reads it, so an edge appended meanwhile to the list of a node on the
// stack is offered too.
template <int Lists, class Enter, class Leave>
node adjacency_dfs(node s, Enter enter, Leave leave) {
  static_assert(Lists == 1 || Lists == 2, "a node has two adjacency lists");
  struct frame {
    node v;
    int list;
    edge last;  // the edge of `list` last offered, nil before its first
  };
  std::vector<frame> frames;
  frames.push_back({s, 0, nullptr});
  while (!frames.empty()) {
    frame& f = frames.back();
    edge e = f.last == nullptr ? f.v->first_adj_edge[f.list] : f.last->succ_adj_edge[link_pair(f.last, f.v, f.list)];
    while (e == nullptr && f.list + 1 < Lists) e = f.v->first_adj_edge[++f.list];
    if (e == nullptr) {
      node w = f.v;
      frames.pop_back();
      if (frames.empty()) break;
      node stop = leave(w, frames.back().v);
      if (stop != nullptr) return stop;
      continue;
    }
    f.last = e;
    node w = enter(e, f.v);
    if (w != nullptr) frames.push_back({w, 0, nullptr});  // f is not used past this point
  }
  return nullptr;
}

// A leave for searches that only go back: it never ends the search.
inline node never_stop(node, node) { return nullptr; }

}  // namespace internal
}  // namespace graphlib
