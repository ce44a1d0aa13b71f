#pragma once
// Structural tests of a graph (simple, loop-free, bidirected, acyclic,
// connected, biconnected, triconnected, bipartite, map, planar map, genus), the
// repairs that add or delete edges until a property holds, and copies of a
// graph or of a part of it. Incident edges are walked as adjacency list 0 then
// list 1; repairs append the edges they add to the caller's list without
// clearing it.
#include "graphlib/base/list.h"
#include "graphlib/graph/graph.h"
#include "graphlib/graph/node_array.h"
#include "graphlib/graph/param_graph.h"

namespace graphlib {

// H becomes a copy of G (reversal links are not copied). The GRAPH<node,edge>
// forms give every copy the node or edge of G that it copies as its info.
void CopyGraph(graph& H, const graph& G);
void CopyGraph(GRAPH<node, edge>& H, const graph& G);
// The nodes V and the edges E, whose ends must lie in V.
void CopyGraph(GRAPH<node, edge>& H, const graph& G, const list<node>& V, const list<edge>& E);
// The edges E and their end nodes, in order of first appearance.
void CopyGraph(GRAPH<node, edge>& H, const graph& G, const list<edge>& E);

// No two edges with the same source and target. L gets all edges ordered by
// (target, source) positions in the node list. Not reentrant.
bool Is_Simple(const graph& G, list<edge>& L);
bool Is_Simple(const graph& G);
// Deletes every self-loop; the node of each, in edge-list order.
list<node> Delete_Loops(graph& G);
// Deletes all but the first of every group of parallel edges (in an undirected
// graph also u-v against v-u); the kept edge of each group.
list<edge> Make_Simple(graph& G);

// Pairs every edge with an opposite edge in rev; true when all were paired.
bool Is_Bidirected(const graph& G, edge_array<edge>& rev);
// An opposite edge for every edge left unpaired, appended to G and to R.
void Make_Bidirected(graph& G, list<edge>& R);
list<edge> Make_Bidirected(graph& G);

// No directed cycle; L gets the back edges (self-loops included) of a
// depth-first search.
bool Is_Acyclic(const graph& G, list<edge>& L);
bool Is_Acyclic(const graph& G);
// Deletes the back edges: G has no directed cycle afterwards.
void Make_Acyclic(graph& G);

bool Is_Connected(const graph& G);
// Joins the components by new edges, appended to L.
void Make_Connected(graph& G, list<edge>& L);
list<edge> Make_Connected(graph& G);

// Connected and without articulation point; s gets an articulation point, or
// nil when G is not connected. An empty graph is biconnected (s untouched).
bool Is_Biconnected(const graph& G, node& s);
bool Is_Biconnected(const graph& G);
// Biconnected and without separation pair; s1, s2 get one when there is one.
bool Is_Triconnected(const graph& G, node& s1, node& s2);
bool Is_Triconnected(const graph& G);
// Adds edges until G is biconnected; appends them to L.
void Make_Biconnected(graph& G, list<edge>& L);
list<edge> Make_Biconnected(graph& G);

bool Is_Loopfree(const graph& G);
bool Is_Simple_Loopfree(const graph& G);
// No two edges join the same two nodes, in either direction.
bool Is_Undirected_Simple(const graph& G);
bool Is_Bipartite(const graph& G);

// Genus of the map G; reports an error and gives 0 when G is not a map.
int Genus(const graph& G);
// Every edge has a proper reversal (its membership in G is not checked).
bool Is_Map(const graph& G);
bool Is_Planar_Map(const graph& G);
bool Is_Plane_Map(const graph& G);

}  // namespace graphlib
