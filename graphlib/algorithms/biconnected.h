#pragma once
// Biconnected components of a graph, edge directions ignored.
#include "graphlib/graph/graph.h"
#include "graphlib/graph/node_array.h"

namespace graphlib {

// Writes into compnum the component number of every edge that is not a
// self-loop: 0, 1, 2, ... in the order in which the depth-first search closes
// the components. Self-loops keep whatever compnum held. Returns the number of
// components plus the number of nodes without an edge to another node.
int BICONNECTED_COMPONENTS(const graph& G, edge_array<int>& compnum);

}  // namespace graphlib
