#pragma once
// Booth-Lueker planarity test: the graph is made biconnected, st-numbered and
// fed node by node to a PQ-tree whose leaves are the edges leading from the
// nodes added so far to the nodes not yet added. With embed, the sequences the
// tree reports are turned into a planar rotation of a bidirected graph.
#include <istream>
#include <ostream>

#include "graphlib/base/list.h"
#include "graphlib/graph/graph.h"
#include "graphlib/graph/node_array.h"

namespace graphlib {

// True when G is planar. Without embed G keeps its edges, their order and
// their pairing. With embed G must be bidirected: its edges are paired into
// reversals and, when G is planar, its adjacency lists become a planar
// rotation (a planar map); when it is not, its lists keep their order. A graph
// that cannot be paired is reported and answered false.
bool PLANAR(graph& G, bool embed);
bool BL_PLANAR(graph& G, bool embed);

// Tests a copy; G itself is not touched.
bool Is_Planar(const graph& G);

// The internal steps. numbers and L are an st-numbering of a biconnected G and
// its nodes in increasing number (the k-th node numbered k).
bool PLANTEST(graph& G, node_array<int>& numbers, list<node>& L);
// G must be a map; L may leave out its nodes without edges. Returns how many
// nodes, in st-order, were added before the first failing step (all of L when
// G is planar, and then G is embedded); a failing run leaves G and numbers as
// they were. A G with edges that is not a map is reported and answered 0.
int PLAN_EMBED_K(graph& G, node_array<int>& numbers, list<node>& L);
bool PLAN_EMBED(graph& G, node_array<int>& numbers, list<node>& L);
// A holds, per node, its edges to lower-numbered nodes in rotation order; the
// walk from t adds the rest and G's lists are sorted into that rotation.
// numbers serves as the visited mark (every reached node gets -1).
void embedding(graph& G, node t, node_array<int>& numbers, node_array<list<edge>>& A);
void LMDFS(graph& G, node v, const node_array<list<edge>>& A, node_array<int>& mark, list<edge>& R);

// Node arrays of nodes have no text form: nothing is written or read.
std::ostream& operator<<(std::ostream& out, const node_array<node>& A);
std::istream& operator>>(std::istream& in, node_array<node>& A);

}  // namespace graphlib
