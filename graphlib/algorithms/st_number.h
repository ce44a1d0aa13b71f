#pragma once
// st-numbering of a biconnected graph (Even and Tarjan).
#include "graphlib/base/list.h"
#include "graphlib/graph/graph.h"
#include "graphlib/graph/node_array.h"

namespace graphlib {

// Numbers the nodes 1..n so that s gets 1, t gets n, s and t are adjacent and
// every other node has a neighbour with a smaller and one with a larger
// number. With e given, s = source(e) and t = target(e); with e nil, t is the
// first node of G and s the other end of t's first incident edge (list 0, then
// list 1) that is not a self-loop. L is cleared, then holds the numbered nodes
// in increasing order; number is written for the nodes in L only. Returns s:
// nil for an empty graph, the node itself for a one-node graph, and nil with L
// empty when no s-t edge exists (e a self-loop, or e nil and the first node has
// no edge to another node). G must be biconnected for the result to be an
// st-numbering; nothing else is checked.
node ST_NUMBERING(const graph& G, node_array<int>& number, list<node>& L, edge e = nullptr);

}  // namespace graphlib
