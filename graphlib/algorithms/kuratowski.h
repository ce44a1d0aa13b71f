#pragma once
// Kuratowski subgraphs: when the planarity test fails, the edges of a
// subdivision of K5 or K3,3 inside the graph.
#include "graphlib/algorithms/planarity.h"
#include "graphlib/base/list.h"
#include "graphlib/graph/graph.h"
#include "graphlib/graph/node_array.h"
#include "graphlib/graph/param_graph.h"

namespace graphlib {

// True when G is planar, with the effects of the test without K (K is not
// touched). Otherwise false, and K holds the edges of G that form a Kuratowski
// subgraph (empty when an embedding was asked for a graph that cannot be
// paired into reversals). G is read only unless embed is set.
bool PLANAR(graph& G, list<edge>& K, bool embed);
bool BL_PLANAR(graph& G, list<edge>& K, bool embed);

// Appends the edges of a Kuratowski subgraph of G to the end of L; what L
// held before is neither read nor changed. G must be non-planar, biconnected
// (nodes without edges aside), free of self-loops and parallel edges, and a
// map. A planar G is reported and left embedded (its adjacency lists in a
// planar rotation), and L stays as it was. A G that is not a map, has a
// self-loop or two edges with the same source and target, or whose nodes with
// edges are not biconnected, is reported and left as it was, and so is L;
// nothing is searched.
void Kuratowski(graph& G, list<edge>& L);

// Fills L (cleared first) with a minimal non-planar set of G's edges: removing
// any one of them makes the rest planar. One planarity test per edge. Every
// edge of G is visible again afterwards, but the edges that were taken out
// and put back stand at the front of their lists. A planar G is reported and
// L stays empty.
void KURATOWSKI_SIMPLE(graph& G, list<edge>& L);

// Depth-first search along out-lists from v: appends every node reached to L,
// numbers it by count (then count + 1) and records the edge that reached it.
// A node counts as unreached while its number is -1.
void DFS(const graph& G, node v, list<node>& L, node_array<int>& number, int& count, node_array<edge>& tree);

// L (cleared first) gets the edges of the tree given by tree (the parent of x
// is the source of tree[x]) that connect a, b and c; with a = b, the path
// between a and c. Returns the lowest node that lies on all three root paths.
node join(node a, node b, node c, const node_array<edge>& tree, graph& G, list<edge>& L);

// Replaces every edge of L by its info in B.
void translate_to_G(list<edge>& L, const GRAPH<node, edge>& B);

// a takes b only when a is still nil.
void assign(node& a, const node& b);

}  // namespace graphlib
