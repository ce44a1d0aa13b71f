#pragma once
// Depth-first search along adjacency list 0, on the explicit stack of
// adjacency_dfs.
#include "graphlib/graph/internal/adjacency_dfs.h"

namespace graphlib {
namespace internal {

// From s, whose visit the caller has recorded. Each edge e of a node u on the
// stack is offered to enter(e, u) in list order; enter returns the node the
// search goes on to (its visit recorded), or nil to pass over e.
template <class Enter>
void list0_dfs(node s, Enter enter) {
  adjacency_dfs<1>(s, enter, never_stop);
}

}  // namespace internal
}  // namespace graphlib
