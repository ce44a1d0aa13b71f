#pragma once
// Two-terminal series-parallel directed graphs: recognition and decomposition
// into a tree of series (S), parallel (P) and single-edge (Q) parts by series
// and parallel reductions between the unique source and the unique sink, and
// random series-parallel graphs built from random trees.
#include <ostream>

#include "graphlib/base/list.h"
#include "graphlib/base/memory_manager.h"
#include "graphlib/base/stack.h"
#include "graphlib/base/string.h"
#include "graphlib/graph/graph.h"
#include "graphlib/graph/param_graph.h"

namespace graphlib {

// One node of a decomposition tree. type: 'Q' one edge, 'S' the children in
// series (each child's end is the next child's start), 'P' the children in
// parallel, 'I' a leaf of a random tree that has no edge yet. A node owns its
// subtree.
class spq_node_struct : public small_object {
 public:
  explicit spq_node_struct(char c = 'Q') : type(c), edge(nullptr), children() {}
  spq_node_struct(const spq_node_struct&) = delete;
  spq_node_struct& operator=(const spq_node_struct&) = delete;

  // Releases the subtree and this node.
  void clear();

  char type;
  graphlib::edge edge;
  list<spq_node_struct*> children;
};

// The bracketed text of a subtree: "(S ...)", "(P ...)", "(I)", and for a Q
// node the indices of its edge's ends, "(0 1)". Nothing for nil.
std::ostream& operator<<(std::ostream& os, spq_node_struct* p);

// The reduction graph writes its edge infos as subtrees, not as addresses.
template <>
struct graph_entry_io<spq_node_struct*> {
  static const char* name() { return "unknown"; }
  static void write(std::ostream& os, spq_node_struct* const& p) { os << p; }
  static void read(std::istream&, void*& c) { c = nullptr; }
};

class spq_tree {
 public:
  spq_tree() : root(nullptr), R(), is_sp(false) {}
  // Two trees would own the same nodes.
  spq_tree(const spq_tree&) = delete;
  spq_tree& operator=(const spq_tree&) = delete;
  virtual ~spq_tree();

  // Decomposes G; afterwards is_sp tells whether G is series-parallel and root
  // holds its tree (nil when it is not).
  void init(const graph& G);
  // s: the only node without in-edges, t: the only node without out-edges (a
  // node without edges is both). False, with both nil, when either is missing
  // or not unique.
  bool get_st(const graph& G, node& s, node& t);
  // Reduces R between its terminals s and t, starting from the nodes on S
  // (distinct nodes of R other than s and t).
  void sp_reduce(node s, node t, stack<node>& S);
  // Merges e2 into e1 (same ends) and deletes e2.
  void parallel_reduction(edge e1, edge e2);
  // Replaces e1 = (u, v) and e2 = (v, w) by a new edge (u, w), deletes v and
  // returns the new edge. When u == w (v lies on a cycle) the new edge would
  // be a loop: nothing changes and the result is nil.
  edge series_reduction(edge e1, edge e2, node u, node v, node w);
  // Draws the tree into T (cleared first) with the type letters and, for Q
  // nodes, "(source target)" as labels; returns the root's node, nil (T left
  // as it was) when there is no tree.
  node build_tree(GRAPH<string, int>& T);
  void build_tree_rec(spq_node_struct* p, GRAPH<string, int>& T, node parent);

  spq_node_struct* root;
  // Node info: the input node copied; edge info: the tree of the part of the
  // input that the edge stands for.
  GRAPH<node, spq_node_struct*> R;
  bool is_sp;

 private:
  // Frees every tree this object holds (those of R's edges and root) and
  // empties R.
  void release();

  friend bool random_sp_graph(graph& G, spq_tree& T, int n, int m);
};

bool Is_Series_Parallel(const graph& G);

// Adds to G, between s and t, the inner nodes and edges of the tree p; every
// I leaf becomes a Q node of its new edge.
void g_add_spqnode(graph& G, spq_node_struct* p, node s, node t);

// A random tree with exactly s S-nodes and p P-nodes, each with two children,
// and I leaves. Every call seeds a new random source from the clock.
spq_node_struct* create_random_tree(int s, int p);

// Adds a random series-parallel graph of n nodes and m edges to G (the sink
// first, then the source) and gives its tree to T. False, nothing changed,
// when n < 2 or m + 1 < n.
bool random_sp_graph(graph& G, spq_tree& T, int n, int m);

}  // namespace graphlib
