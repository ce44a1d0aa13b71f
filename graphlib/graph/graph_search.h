#pragma once
// Depth-first search along adjacency list 0, and the two-colouring of a graph
// with its edge directions ignored.
#include "graphlib/base/list.h"
#include "graphlib/graph/graph.h"
#include "graphlib/graph/node_array.h"

namespace graphlib {

// The nodes reached from s that were not reached before, in preorder, s first
// (listed even when reached[s] is already set). Nodes reached by an earlier
// search over the same map are not entered again.
list<node> DFS(const graph& G, node s, node_array<bool>& reached);

// The step of DFS: lists and marks v, then enters every unreached neighbour
// along v's list 0 in list order.
void dfs(node v, node_array<bool>& reached, list<node>& L);

// True with the two sides appended to A and B in node-list order (the first
// node of every component in A). Otherwise false, B untouched, and an odd
// cycle put in A around what A held: the search found an edge from s to t with
// both ends on one side, z being where their tree paths meet. The nodes of s's
// path below z go to A's front, from the one next to z down to s; t and its
// path up to z, z last, are appended. From an empty A the cycle comes in cycle
// order. Neither list is emptied first.
bool Is_Bipartite(const graph& G, list<node>& A, list<node>& B);

// Breadth-first colouring of s's component over list 0 then list 1 of every
// node; the first edge whose ends get the same colour, or nil.
edge bi_bfs(const graph& G, node s, node_array<int>& side, node_array<node>& pred);

}  // namespace graphlib
