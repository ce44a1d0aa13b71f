#pragma once
// The objects of a graph (nodes, edges, faces), the intrusive list a graph keeps
// them in, and the two adjacency lists of a node, threaded through the edges.
//
// Link-pair rule: an edge has two link pairs, pair 0 inside its source's list and
// pair 1 inside its target's list. When an operation on node v's list touches a
// neighbouring edge x, it follows x's pair j given by the caller when x is a
// self-loop, else pair 0 when v is x's source and pair 1 otherwise.
#include "graphlib/base/basic.h"

#include <cstddef>

namespace graphlib {

class graph;
class node_struct;
class edge_struct;
class face_struct;

typedef node_struct* node;
typedef edge_struct* edge;
typedef face_struct* face;

// Bit 31 of an object's id marks it hidden; the other bits are its index.
const int hidden_bit = static_cast<int>(0x80000000u);
const int index_mask = 0x7fffffff;

class graph_object {
 public:
  graph_object* succ;
  graph_object* pred;
};

class node_struct : public graph_object {
 public:
  node_struct(void* inf, int i);

  int index() const { return id & index_mask; }
  bool hidden() const { return id < 0; }

  void clear_adj_lists();
  void append_adj_edge(edge e, int i, int j);
  void push_adj_edge(edge e, int i, int j);
  void insert_adj_edge(edge e, edge e1, int i, int j, int dir);
  void del_adj_edge(edge e, int i, int j);
  void append_adj_list(int i, node w, int j);
  void insert_adj_list(int i, edge e1, node w, int j);

  // Record size with k extra data cells.
  static size_t bytes(int k) { return sizeof(node_struct) + static_cast<size_t>(k) * sizeof(void*); }

  int id;
  edge first_adj_edge[2];
  edge last_adj_edge[2];
  int adj_length[2];
  graph* owner;
  // 1 + k cells: the record is allocated with room for the extra ones.
  void* data[1];
};

class edge_struct : public graph_object {
 public:
  edge_struct(node v, node w, void* inf, int i);

  int index() const { return id & index_mask; }
  bool hidden() const { return id < 0; }

  static size_t bytes(int k) { return sizeof(edge_struct) + static_cast<size_t>(k) * sizeof(void*); }

  edge succ_adj_edge[2];
  edge pred_adj_edge[2];
  node source;
  node target;
  int id;
  edge rev;
  void* data[1];
};

class face_struct : public graph_object {
 public:
  face_struct(void* inf, int i, graph* G);

  int index() const { return id & index_mask; }

  static size_t bytes(int k) { return sizeof(face_struct) + static_cast<size_t>(k) * sizeof(void*); }

  int id;
  edge head_edge;
  int size;
  graph* owner;
  void* data[1];
};

// The pair through which neighbour x of node v is linked in v's list (the
// link-pair rule); j is the caller's pair, used for self-loops.
inline int link_pair(edge x, node v, int j) {
  if (x->source == x->target) return j;
  return x->source == v ? 0 : 1;
}

class graph_obj_list_base {
 public:
  graph_obj_list_base() : head(nullptr), tail(nullptr), count(0) {}

  void clear();
  void push(graph_object* x);
  void append(graph_object* x);
  // x goes right before y; y nil appends.
  void insert(graph_object* x, graph_object* y);
  graph_object* pop();
  void remove(graph_object* x);
  void conc(graph_obj_list_base& L);

  int length() const { return count; }
  bool empty() const { return head == nullptr; }

  graph_object* head;
  graph_object* tail;
  int count;
};

}  // namespace graphlib
