#pragma once
// Directed or undirected graph: owns its nodes, edges and faces, hands out their
// dense indices (a deleted object waits on a free list and comes back with its
// index), keeps the maps bound to it up to date and reports every structural
// change to a virtual handler, which occurs the matching event.
#include "graphlib/base/basic.h"
#include "graphlib/base/list.h"
#include "graphlib/base/vector.h"
#include "graphlib/graph/graph_event.h"
#include "graphlib/graph/graph_map.h"
#include "graphlib/graph/graph_objects.h"

#include <iostream>
#include <istream>
#include <ostream>

namespace graphlib {

class graph {
 public:
  graph();
  graph(int n_slots, int e_slots);
  graph(const graph& G);
  graph& operator=(const graph& G);

  // Entry operations on data cell 0 (a plain graph's cells are uninterpreted).
  virtual void init_node_entry(void*& x) const;
  virtual void init_edge_entry(void*& x) const;
  virtual void init_face_entry(void*& x) const;
  virtual void copy_node_entry(void*& x) const;
  virtual void copy_edge_entry(void*& x) const;
  virtual void copy_face_entry(void*& x) const;
  virtual void clear_node_entry(void*& x) const;
  virtual void clear_edge_entry(void*& x) const;
  virtual void clear_face_entry(void*& x) const;
  virtual void read_node_entry(std::istream& is, void*& x);
  virtual void read_edge_entry(std::istream& is, void*& x);
  virtual void read_face_entry(std::istream& is, void*& x);
  virtual void write_node_entry(std::ostream& os, void*& x) const;
  virtual void write_edge_entry(std::ostream& os, void*& x) const;
  virtual void write_face_entry(std::ostream& os, void*& x) const;

  virtual void pre_new_node_handler();
  virtual void post_new_node_handler(node v);
  virtual void pre_del_node_handler(node v);
  virtual void post_del_node_handler();
  virtual void start_del_node_handler(node v);
  virtual void pre_hide_node_handler(node v);
  virtual void post_hide_node_handler(node v);
  virtual void pre_restore_node_handler(node v);
  virtual void post_restore_node_handler(node v);
  virtual void pre_new_edge_handler(node v, node w);
  virtual void post_new_edge_handler(edge e);
  virtual void pre_del_edge_handler(edge e);
  virtual void post_del_edge_handler(node v, node w);
  virtual void pre_move_edge_handler(edge e, node v, node w);
  virtual void post_move_edge_handler(edge e, node v, node w);
  virtual void pre_hide_edge_handler(edge e);
  virtual void post_hide_edge_handler(edge e);
  virtual void pre_restore_edge_handler(edge e);
  virtual void post_restore_edge_handler(edge e);
  virtual void pre_join_from_graph_handler(graph& G);
  virtual void post_join_from_graph_handler(graph& G, const list<node>& L);
  virtual void pre_join_to_graph_handler(graph& G);
  virtual void post_join_to_graph_handler(graph& G, const list<node>& L);
  virtual void pre_clear_handler();
  virtual void post_clear_handler();

  virtual vector get_position(node v);

  virtual int cmp_node_entry(node v, node w) const;
  virtual int cmp_edge_entry(edge e, edge f) const;

  virtual const char* node_type() const;
  virtual const char* edge_type() const;
  virtual const char* face_type() const;

  virtual ~graph();

  // Deletes every node, edge and face.
  virtual void clear();

  // The "GRAPHLIB.GRAPH" text format. read results: 0 success, 1 the file
  // cannot be opened (graph untouched), 2 the node or edge type differs (the
  // structure is read, those entries are not), 3 not this format, or input
  // that ends early or does not make a graph (the graph is left empty).
  void write(std::ostream& out) const;
  void write(string file) const;
  int read(std::istream& in);
  int read(string file);
  // One entry: "|{" text "}|" with nested pairs kept, or the rest of the line.
  string read_data_string(std::istream& in);
  // The optional reversal number of an edge line; 0 when there is none.
  int read_reversal(std::istream& in);

  // Maps written after the graph and read back with it.
  void add_io_map(graph_map<graph>& M);
  void clear_io_maps();
  void write_maps(std::ostream& out, const list<graph_map<graph>*>& NM, const list<graph_map<graph>*>& EM) const;
  void read_maps(std::istream& in, const list<graph_map<graph>*>& NM, const list<graph_map<graph>*>& EM) const;

  // Printing: indices from 0, or from 1 in the forms ending in 1.
  void print_node(node v, std::ostream& out = std::cout) const;
  virtual void print_edge(edge e, std::ostream& out = std::cout) const;
  void print(string s, std::ostream& out = std::cout) const;
  void print(std::ostream& out = std::cout) const { print(string(), out); }
  void print1(string s, std::ostream& out = std::cout) const;
  void print_node1(node v, std::ostream& out = std::cout) const;
  void print_edge1(edge e, std::ostream& out = std::cout) const;

  // The entry of cell 0 as text, and back.
  string get_node_entry_string(node v) const;
  string get_edge_entry_string(edge e) const;
  void set_node_entry(node v, string s);
  void set_edge_entry(edge e, string s);

  // Objects and their fields.
  static node source(edge e) { return e->source; }
  static node target(edge e) { return e->target; }
  static int index(node v) { return v->index(); }
  static int index(edge e) { return e->index(); }
  static int index(face f) { return f->index(); }
  static int outdeg(node v) { return v->adj_length[0]; }
  static int indeg(node v) { return v->adj_length[1]; }
  static bool is_hidden(node v) { return v->hidden(); }
  static bool is_hidden(edge e) { return e->hidden(); }
  int number_of_nodes() const { return v_list.count; }
  int number_of_edges() const { return e_list.count; }
  int number_of_faces() const { return f_list.count; }
  bool is_undirected() const { return undirected; }
  bool is_directed() const { return !undirected; }

  void enable_events() { events_enabled = true; }
  void disable_events() { events_enabled = false; }

  void copy_graph(const graph& G);
  void copy_all_entries() const;
  void clear_all_entries() const;

  node add_node(void* inf, node p);
  // After u (dir 0), before u (dir not 0), at the end when u is nil.
  node new_node(void* inf, node u = nullptr, int dir = 0);
  // The graph's default info (init_node_entry of nil).
  node new_node() {
    void* x = nullptr;
    init_node_entry(x);
    return new_node(x, nullptr, 0);
  }
  void del_node(node v);
  void dealloc_node(node v);
  node merge_nodes(node u, node v);
  node merge_nodes(edge e, node v);

  edge add_edge(node v, node w, void* inf);
  edge new_edge(node v, edge e1, node w, edge e2, void* inf, int d1, int d2);
  edge new_edge(node v, node w, void* inf) { return new_edge(v, nullptr, w, nullptr, inf, 0, 0); }
  edge new_edge(node v, edge e1, node w, void* inf, int dir) { return new_edge(v, e1, w, nullptr, inf, dir, 0); }
  edge new_edge(node v, node w, edge e2, void* inf, int dir) { return new_edge(v, nullptr, w, e2, inf, 0, dir); }
  edge new_edge(edge e1, node w, void* inf, int dir) { return new_edge(e1->source, e1, w, nullptr, inf, dir, 0); }
  edge new_edge(node v, edge e2, void* inf, int dir) { return new_edge(v, nullptr, e2->target, e2, inf, 0, dir); }
  edge new_edge(edge e1, edge e2, void* inf, int d1, int d2) {
    return new_edge(e1->source, e1, e2->target, e2, inf, d1, d2);
  }
  edge new_edge(node v, node w) {
    void* x = nullptr;
    init_edge_entry(x);
    return new_edge(v, nullptr, w, nullptr, x, 0, 0);
  }
  void ins_adj_edge(edge e, node v, edge e1, node w, edge e2, int d1, int d2);
  void del_adj_edge(edge e, node v, node w);
  node split_edge(edge e, void* inf, edge& e1, edge& e2);
  void del_edge(edge e);
  void dealloc_edge(edge e);
  void set_reversal(edge e, edge r);

  face new_face(void* inf);
  face new_face() {
    void* x = nullptr;
    init_face_entry(x);
    return add_face(x);
  }
  face add_face(void* inf);
  void del_face(face f);
  void dealloc_face(face f);

  void join(graph& H);
  void del_all_nodes() { clear(); }
  void del_all_edges();
  void del_all_faces();

  // Queries.
  const list<node>& all_nodes() const;
  const list<edge>& all_edges() const;
  const list<face>& all_faces() const;
  list<edge> out_edges(node v) const;
  list<edge> in_edges(node v) const;
  list<edge> adj_edges(node v) const;
  list<node> adj_nodes(node v) const;
  list<node> hidden_nodes() const;
  list<edge> hidden_edges() const;
  node choose_node() const;
  edge choose_edge() const;
  face choose_face() const;

  // Hiding and restoring.
  void hide_edge(edge e);
  void hide_node(node v, list<edge>& L);
  void hide_node(node v);
  void restore_edge(edge e);
  void restore_node(node v);
  void restore_all_edges();
  void restore_all_nodes();
  void hide_adj_edge(edge e);
  void restore_adj_edge(edge e);

  // Moving and reversing edges.
  void move_edge(edge e, edge e1, edge e2, int d1, int d2);
  void move_edge(edge e, edge e1, node w, int dir);
  void move_edge(edge e, node v, edge e2, int dir);
  void move_edge(edge e, node v, node w);
  edge rev_edge(edge e);
  void rev_all_edges();
  list<edge> insert_reverse_edges();

  // Reordering and bulk deletion.
  void set_node_position(node v, node u);
  void set_edge_position(edge e, edge e1);
  void del_nodes(const list<node>& L);
  void del_edges(const list<edge>& L);

  // Sorting: relinks the node list, or the edge list with every adjacency
  // list, in a new order; no object is created, deleted or renumbered.
  void sort_nodes(const list<node>& L);
  void sort_edges(const list<edge>& L);
  void sort_nodes(int (*cmp)(const node&, const node&));
  void sort_edges(int (*cmp)(const edge&, const edge&));
  // By the values of a numeric map (int, float or double).
  void sort_nodes(const graph_map<graph>& A);
  void sort_edges(const graph_map<graph>& A);
  // By cmp_node_entry / cmp_edge_entry.
  void sort_nodes();
  void sort_edges();
  // Stable, by integer keys in [i, j], over the keys present, or an int map.
  void bucket_sort_nodes(int i, int j, int (*ord)(const node&));
  void bucket_sort_edges(int i, int j, int (*ord)(const edge&));
  void bucket_sort_nodes(int (*ord)(const node&));
  void bucket_sort_edges(int (*ord)(const edge&));
  void bucket_sort_nodes(const graph_map<graph>& A);
  void bucket_sort_edges(const graph_map<graph>& A);

  // Planar maps: a map pairs every edge with a reversal edge; the order of each
  // node's out-list is the embedding and the face cycles are the faces.
  // Successor and predecessor of e on its face cycle (e must have a reversal).
  edge face_cycle_succ(edge e) const;
  edge succ_face_edge(edge e) const { return face_cycle_succ(e); }
  edge face_cycle_pred(edge e) const;
  edge pred_face_edge(edge e) const { return face_cycle_pred(e); }
  // e's cell of the edge-to-face map made by compute_faces; nil for an edge
  // that no map operation has given a face.
  face& access_face(edge e) const;
  // Pairs the edges without reversal among themselves; true when all found one.
  bool make_map();
  // make_map(), then a new reversal for every edge still without one, appended to R.
  void make_map(list<edge>& R);
  list<edge> adj_edges(face f) const;
  list<node> adj_nodes(face f) const;
  list<face> adj_faces(node v) const;
  // Writes f and the targets of its cycle to standard output, without a line end.
  void print_face(face f) const;
  // Deletes all faces and makes one per face cycle, numbered in edge-list order.
  void compute_faces();
  // D becomes the dual map; this graph's faces are recomputed.
  void dual_map(graph& D) const;
  // A new node in the middle of e and its reversal; returns the new edge towards target(e).
  edge split_map_edge(edge e);
  // A new edge pair from source(e1) (placed after e1) to source(e2) (placed after e2).
  edge new_map_edge(edge e1, edge e2);
  // new_map_edge inside the face of e1 and e2, which it divides into two.
  edge split_face(edge e1, edge e2);
  // Connects the components and cuts every face into triangles; the new edges.
  // Faces are not recomputed.
  list<edge> triangulate_map();
  // Deletes e and its reversal and joins the faces on their two sides.
  face join_faces(edge e);
  void make_bidirected(list<edge>& R);
  void make_bidirected();
  bool is_bidirected() const;
  bool is_map() const;
  // A bidirected planar graph becomes a planar map with its faces computed
  // (defined with the planarity test).
  void make_planar_map();

  void make_undirected();
  void make_directed();

  void set_node_bound(int) {}
  void set_edge_bound(int) {}

  mutable g_register<graph> reg;
  graph_obj_list_base v_list;
  graph_obj_list_base v_free;
  graph_obj_list_base v_hidden;
  graph_obj_list_base e_list;
  graph_obj_list_base e_free;
  graph_obj_list_base e_hidden;
  graph_obj_list_base f_list;
  graph_obj_list_base f_free;
  mutable list<node> all_nodes_cache;
  mutable list<edge> all_edges_cache;
  mutable list<face> all_faces_cache;
  int max_node_index;
  int max_edge_index;
  int max_face_index;
  bool undirected;
  int data_slots[3];
  list<graph_map<graph>*> io_maps[3];
  graph_map<graph>* edge_to_face;
  bool events_enabled;
  graph* parent;

  EVENT1<graph&> delete_event;
  EVENT1<graph&> pre_new_node_event;
  EVENT2<graph&, node> post_new_node_event;
  EVENT3<graph&, node, node> pre_new_edge_event;
  EVENT2<graph&, edge> post_new_edge_event;
  EVENT2<graph&, node> start_del_node_event;
  EVENT2<graph&, node> pre_del_node_event;
  EVENT1<graph&> post_del_node_event;
  EVENT2<graph&, edge> pre_del_edge_event;
  EVENT3<graph&, node, node> post_del_edge_event;
  EVENT4<graph&, edge, node, node> pre_move_edge_event;
  EVENT4<graph&, edge, node, node> post_move_edge_event;
  EVENT2<graph&, edge> pre_hide_edge_event;
  EVENT2<graph&, edge> post_hide_edge_event;
  EVENT2<graph&, edge> pre_restore_edge_event;
  EVENT2<graph&, edge> post_restore_edge_event;
  EVENT1<graph&> pre_clear_event;
  EVENT1<graph&> post_clear_event;
  EVENT2<graph&, graph&> pre_join_to_graph_event;
  EVENT3<graph&, graph&, const list<node>&> post_join_to_graph_event;
  EVENT2<graph&, graph&> pre_join_from_graph_event;
  EVENT3<graph&, graph&, const list<node>&> post_join_from_graph_event;

  static EVENT1<graph&> create_event;

 private:
  void init_empty(int n_slots, int e_slots);
  void copy_structure(const graph& G);
  // The checks of the general new_edge; false when one failed.
  bool adjacency_ok(node v, edge e1, node w, edge e2) const;
  template <class M>
  void init_new_object(list<graph_map<graph>*>& maps, M object, int i);
  // A hidden edge whose restoring would be refused (an end hidden, or a
  // self-loop of an undirected graph).
  bool restorable(edge e) const;
  // The hidden edges at v get u for that end instead (v is merged into u).
  void move_hidden_ends(node v, node u);
  // Deletes a hidden edge without putting it back into adjacency lists.
  void del_hidden_edge(edge e);
  // Restores the hidden edges that can be restored; the rest stay hidden.
  void restore_restorable_edges();
  void release_all_edges();
  void release_all_nodes();
  // e's neighbour through its pair j, for a move that places e relative to itself.
  static edge own_neighbour(edge e, int j, int& dir);
  void move_edge_between(edge e, node v, edge e1, node w, edge e2, int d1, int d2);
};

// Sets data cell i of every visible node of G to x.
void init_node_data(const graph& G, int i, void* x);

// True when every edge of G has a proper reversal that is itself an edge of G.
bool check_reversal_inf(const graph& G);
// Index of the source, index of the target.
int map_edge_ord1(const edge& e);
int map_edge_ord2(const edge& e);

extern template class graph_map<graph>;

}  // namespace graphlib
