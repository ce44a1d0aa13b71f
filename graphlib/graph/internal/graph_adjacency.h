#pragma once
// Walking a node's adjacency list 0 (its out-list, or every incident edge in
// an undirected graph) without building a list.
#include "graphlib/graph/graph_objects.h"

namespace graphlib {

inline edge first_in_list0(node v) { return v->first_adj_edge[0]; }

inline edge next_in_list0(edge e, node v) { return e->succ_adj_edge[link_pair(e, v, 0)]; }

}  // namespace graphlib
