#pragma once
// Maximum-cardinality matching of a bipartite graph, with the node cover of
// the same size that proves it maximum.
//
// While the algorithm runs, an edge is matched exactly when it runs from B to
// A: the matching lives in the edge directions, so augmenting a path is
// reversing its edges and no edge is ever created or deleted.
#include "graphlib/base/list.h"
#include "graphlib/base/string.h"
#include "graphlib/graph/graph.h"
#include "graphlib/graph/node_array.h"

namespace graphlib {

// The stamp of the breadth-first phase: the number of its augmentations.
extern int number_of_augmentations;

// Every edge of G runs from a node of A to a node of B. Returns a maximum
// matching M in B's order, every edge from A to B, and sets NC to a node cover
// of |M| nodes. L bounds the depth-first phase (-1: trunc(0.1 * sqrt(n))).
// Reversed edges end at the back of their adjacency lists. Edges hidden in
// place (hide_adj_edge) are no edges of the matching's graph.
// A nil node or a node of another graph in A or B, a node listed twice (in one
// list or both) or an edge that does not run from A to B is a failed
// assertion (code 999) raised before G or NC is touched; the result is then
// empty if the handler returns. When a handler throws out of the matching,
// every edge gets its direction back first.
list<edge> MAX_CARD_BIPARTITE_MATCHING_ABMP(graph& G, const list<node>& A, const list<node>& B,
                                            node_array<bool>& NC, bool use_heuristic, int L);

// As above, then checked with CHECK_MCB, and every adjacency list put back in
// its order before the call, also when a handler throws.
list<edge> MAX_CARD_BIPARTITE_MATCHING(graph& G, const list<node>& A, const list<node>& B);
// With the caller's cover and without the check.
list<edge> MAX_CARD_BIPARTITE_MATCHING(graph& G, const list<node>& A, const list<node>& B, node_array<bool>& NC);
// The sides found by Is_Bipartite; edges keep the directions they had. An
// undirected G with edges, then a G that is not bipartite, is error 1, G and
// NC untouched; G is also put back when a handler throws.
list<edge> MAX_CARD_BIPARTITE_MATCHING(graph& G, node_array<bool>& NC);
list<edge> MAX_CARD_BIPARTITE_MATCHING(graph& G);

// Whether M is a matching and NC a node cover of |M| nodes; every fault found
// is written to standard error on a line of its own.
bool CHECK_MCB(const graph& G, const list<edge>& M, const node_array<bool>& NC);
bool return_false(string msg);

// v's current eligible out-edge (to a node labelled one less), resuming at cur[v].
edge ce(node v, const graph& G, const node_array<int>& dist, node_array<edge>& cur);

// One breadth-first search for an augmenting path from the free node a of A;
// augments along the path found.
bool find_aug_path_by_bfs(graph& G, node a, node_array<bool>& free, node_array<edge>& pred, node_array<int>& label);

}  // namespace graphlib
