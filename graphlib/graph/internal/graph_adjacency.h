#pragma once
// Walking a node's adjacency lists without building a list: list 0 (its
// out-list, or every incident edge in an undirected graph) and list 1 (its
// in-list in a directed graph).
#include "graphlib/graph/graph_objects.h"

namespace graphlib {

inline edge first_in_list0(node v) { return v->first_adj_edge[0]; }

inline edge next_in_list0(edge e, node v) { return e->succ_adj_edge[link_pair(e, v, 0)]; }

inline edge first_in_list(node v, int i) { return v->first_adj_edge[i]; }

// The edge after e in v's list i (a self-loop is held through pair i).
inline edge next_in_list(edge e, node v, int i) { return e->succ_adj_edge[link_pair(e, v, i)]; }

// The end of e that is not v (v itself for a self-loop).
inline node other_end(edge e, node v) { return e->source == v ? e->target : e->source; }

}  // namespace graphlib
