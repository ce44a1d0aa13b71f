#pragma once
// Connected components of a graph with edge directions ignored, and the
// partition of a graph's nodes into blocks over union-find.
#include "graphlib/base/list.h"
#include "graphlib/base/partition.h"
#include "graphlib/graph/graph.h"
#include "graphlib/graph/node_array.h"

namespace graphlib {

// Numbers every node with its component, 0 to c-1, components in the
// node-list order of their first nodes; returns c. Depth-first with an explicit
// stack, so deep graphs do not deepen the call stack. Not reentrant.
int COMPONENTS(const graph& G, node_array<int>& compnum);

// The same numbering computed by union-find over the edges.
int COMPONENTS1(const graph& G, node_array<int>& compnum);

// A partition of G's nodes: every node starts in a block of its own.
class node_partition : public partition {
 public:
  explicit node_partition(const graph& G);
  ~node_partition() override;

  // A singleton block for every node of G, in node-list order.
  void init(const graph& G);

  // The representative node of v's block.
  node find(node v) const { return static_cast<node>(partition::find(item_of[v])->inf); }
  void union_blocks(node v, node w) { partition::union_blocks(item_of[v], item_of[w]); }
  using partition::find;
  using partition::union_blocks;

  // Every node of L alone in a block and its own representative. L must hold
  // whole blocks: a node left out of L whose block is split keeps pointing into
  // it and gets a wrong representative.
  void split(const list<node>& L);

  node_array<partition_node*> item_of;
};

}  // namespace graphlib
