#pragma once
// PQ-trees (Booth and Lueker): a rooted tree over numbered leaves whose inner
// nodes are P-nodes (children in any order) and Q-nodes (children in a fixed
// order up to reversal). The tree stands for the leaf orders in which every set
// reduced so far is consecutive. replace() is the outward face: it reduces the
// tree by a set S, reports the order of S's leaves in the reduced tree, and
// puts new leaves U in the place of S.
#include "graphlib/base/memory_manager.h"

#include "graphlib/base/list.h"
#include "graphlib/base/queue.h"

namespace graphlib {

class pq_node_struct : public small_object {
 public:
  // type
  static const int P_NODE = 1;
  static const int Q_NODE = 2;
  static const int LEAF = 3;
  static const int DIRECTION = 4;  // direction indicator, a childless member of a Q-node chain
  // mark (state during bubble)
  static const int UNMARKED = 6;
  static const int UNBLOCKED = 7;
  static const int BLOCKED = 8;
  static const int QUEUED = 9;
  // label
  static const int EMPTY = 10;
  static const int FULL = 11;
  static const int PARTIAL = 12;
  static const int DOUBLY_PARTIAL = 13;  // a Q-node whose full children touch neither end

  pq_node_struct();
  pq_node_struct(const pq_node_struct&) = delete;
  pq_node_struct& operator=(const pq_node_struct&) = delete;

  // Clears the state of one reduction: mark, label, counters, partial children.
  void node_reset();

  int type;
  int mark;
  int label;
  int parent_type;  // type of the parent (P or Q); Q for the root and a fresh node
  int index;        // a leaf's number, an indicator's stamp, the pseudonode's stamp counter
  int child_count;
  int pert_child_count;
  int pert_leaf_count;
  int full_child_count;
  // Valid for children of P-nodes and for the two end children of a Q-node
  // only: interior children of Q-nodes are never updated, so that reversing
  // or merging a Q-node does not walk its children.
  pq_node_struct* parent;
  // Neighbours in the parent's chain, in no fixed order (nil at a chain end).
  pq_node_struct* sib1;
  pq_node_struct* sib2;
  pq_node_struct* left_end;
  pq_node_struct* right_end;
  pq_node_struct* partial1;
  pq_node_struct* partial2;
};

class pq_tree {
 public:
  // n: leaf numbers 0..n are expected (larger ones are accepted too).
  explicit pq_tree(int n);
  ~pq_tree();
  pq_tree(const pq_tree&) = delete;
  pq_tree& operator=(const pq_tree&) = delete;

  // Reduces by S, writes the pertinent sequence to out (when S is not empty)
  // and puts leaves numbered U in place of the pertinent part. Out is
  // (c, c signed indicator stamps, last met first, pertinent leaves in order).
  // False when S cannot be made consecutive (the tree then serves only to be
  // destroyed) or when S or U are not acceptable; then out and U are untouched.
  bool replace(list<int>& S, list<int>& U, list<int>& out);
  bool update(list<int>& U);
  void pert_sequence(list<int>& out);
  void sequence(list<int>& out, pq_node_struct* v, pq_node_struct* prev);
  void del_pert_subtree();

  // S empty afterwards on success. A number of S that is no leaf, or one
  // given twice, is refused with false and the tree kept as it was.
  bool reduction(list<int>& S);
  bool bubble(list<int>& S);
  bool reduce(list<int>& S);
  void bubble_reset(pq_node_struct* y);

  // Each returns false when its pattern does not match (the tree unchanged)
  // or when applying it made the reduction fail.
  bool template_PQL1(pq_node_struct* x, bool root);
  bool template_P3(pq_node_struct* x, bool root);
  bool template_P5(pq_node_struct* x, bool root);
  bool template_P6(pq_node_struct* x);
  bool template_Q2(pq_node_struct* x);
  bool template_Q3(pq_node_struct* x);

  pq_node_struct* hang_down_full_children(pq_node_struct* x, pq_node_struct* y);
  void fix_part_child_direction(pq_node_struct* x, bool both);

  void go_to_sibling(pq_node_struct*& cur, pq_node_struct*& prev);
  void skip_dir(pq_node_struct*& cur, pq_node_struct*& prev);
  pq_node_struct* remove_from_siblings(pq_node_struct* p, pq_node_struct* c);
  void replace_in_siblings(pq_node_struct* old_node, pq_node_struct* new_node);
  void append_as_right_child(pq_node_struct* p, pq_node_struct* c);
  void append_as_left_child(pq_node_struct* p, pq_node_struct* c);
  bool set_as_part_child(pq_node_struct* c);
  void delete_part_node_parent(pq_node_struct* x);

  void del_subtree(pq_node_struct* v);
  void leaves_init(int n);
  void leaves_double();

  list<pq_node_struct*> full_nodes;
  pq_node_struct** leaves;
  int leaves_size;
  int block_count;
  int blocked_nodes;
  int off_the_top;
  bool failed;
  pq_node_struct* root;
  pq_node_struct* pseudo;
  bool ok;

 private:
  // Frees the nodes of full_nodes (the replaced part and the indicators read).
  void free_full_nodes();
  // del_subtree, optionally clearing the leaves' entries on the way.
  void free_subtree(pq_node_struct* v, bool forget_leaves);
  // The first node from side on (a sibling of v) that is not a direction indicator.
  pq_node_struct* first_real_sibling(pq_node_struct* v, pq_node_struct* side);
  // Clears the partial child y of x, the pertinent root, once the pertinent
  // part is set out; x gives way to y when y is its only child left.
  void release_partial_parent(pq_node_struct* x, pq_node_struct* y);
};

}  // namespace graphlib
