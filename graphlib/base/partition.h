#pragma once
// Union-find: items grouped into disjoint blocks, each block a tree of items
// linked towards its root, the block's representative. Union by size with
// full path compression.
#include "graphlib/base/memory_manager.h"

#include "graphlib/base/list.h"

namespace graphlib {

class partition_node : public small_object {
 public:
  partition_node(void* x, partition_node* n) : parent(nullptr), next(n), size(1), inf(x) {}

  partition_node* parent;  // nil for a root
  partition_node* next;    // the partition's list of all its items
  int size;                // up to date at roots only
  void* inf;
};

class partition {
 public:
  partition() : all_items(nullptr), block_count(0) {}
  partition(const partition&) = delete;
  partition& operator=(const partition&) = delete;
  // Runs this class's own clear_inf: a derived class that owns information
  // clears it in its own destructor first.
  virtual ~partition() { clear(); }

  partition_node* new_block(void* inf);
  partition_node* find(partition_node* p) const;
  void union_blocks(partition_node* p, partition_node* q);
  // Makes p a root of size 1 again; meant for whole blocks (see split).
  void reset(partition_node* p);
  // reset on every item of L, in order: L must hold exactly all items of some blocks.
  void split(const list<partition_node*>& L);
  void clear();

  virtual void clear_inf(void*& x) const;

  partition_node* all_items;  // newest first
  int block_count;
};

}  // namespace graphlib
