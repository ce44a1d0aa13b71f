#pragma once
// Context and comparison functions of the graph sorts (the sorts themselves
// are members of graph). A plain comparison function takes only the two
// objects, so the map or graph of the running sort is held in NA or GGG; both
// stay set after the sort, which makes the sorts non-reentrant.
#include "graphlib/graph/graph.h"

namespace graphlib {

// The map of the last map sort.
extern const graph_map<graph>* NA;
// The graph of the last sort by the graph's own entries.
extern const graph* GGG;

// -1, 0 or 1 by the objects' entries in NA; an unordered pair (NaN) is 0.
int int_array_cmp_nodes(const node& v, const node& w);
int int_array_cmp_edges(const edge& e, const edge& f);
int float_array_cmp_nodes(const node& v, const node& w);
int float_array_cmp_edges(const edge& e, const edge& f);
int double_array_cmp_nodes(const node& v, const node& w);
int double_array_cmp_edges(const edge& e, const edge& f);

// GGG's cmp_node_entry / cmp_edge_entry.
int graph_cmp_nodes(const node& v, const node& w);
int graph_cmp_edges(const edge& e, const edge& f);

// The entry in NA as an int: the key of the bucket sorts by map.
int array_ord_node(const node& v);
int array_ord_edge(const edge& e);

}  // namespace graphlib
