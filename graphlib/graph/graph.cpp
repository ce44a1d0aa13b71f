#include "graphlib/graph/graph.h"

#include <cstring>
#include <initializer_list>
#include <new>

#include "graphlib/base/error.h"
#include "graphlib/base/options.h"

namespace graphlib {

EVENT1<graph&> graph::create_event;

namespace {

int slot_count(int n) { return n < 0 ? 0 : n; }

template <class T>
T* as(graph_object* x) {
  return static_cast<T*>(x);
}

template <class T>
T* new_record(size_t bytes) {
  void* mem = std_memory_mgr.allocate_bytes(bytes);
  std::memset(mem, 0, bytes);
  return static_cast<T*>(mem);
}

// Hands every object of the lists to `release` (its successor read first) and empties the lists.
template <class T, class Release>
void release_lists(std::initializer_list<graph_obj_list_base*> lists, Release release) {
  for (graph_obj_list_base* objects : lists) {
    for (graph_object* x = objects->head; x != nullptr;) {
      graph_object* next = x->succ;
      release(as<T>(x));
      x = next;
    }
    objects->clear();
  }
}

// The entries a freed object holds in the data slots of the maps registered for its kind.
void clear_slot_entries(const list<graph_map<graph>*>& maps, void** data) {
  for (dlink* it = maps.first(); it != nullptr; it = it->succ) {
    graph_map<graph>* M = maps.contents(it);
    if (M->slot >= 1) M->clear_entry(data[M->slot]);
  }
}

// Makes u the source of v's out-edges and the target of its in-edges.
void take_adj_ends(node v, node u) {
  for (int i = 0; i < 2; i++) {
    for (edge e = v->first_adj_edge[i]; e != nullptr;) {
      edge next = e->succ_adj_edge[i];
      (i == 0 ? e->source : e->target) = u;
      e = next;
    }
  }
}

}  // namespace

graph::graph()
    : reg(1, slot_count(node_data_slots), 1, slot_count(edge_data_slots)),
      edge_to_face(nullptr),
      events_enabled(true),
      parent(nullptr) {
  init_empty(node_data_slots, edge_data_slots);
  create_event.occur(*this);
}

graph::graph(int n_slots, int e_slots)
    : reg(1, slot_count(n_slots), 1, slot_count(e_slots)), edge_to_face(nullptr), events_enabled(true), parent(nullptr) {
  init_empty(n_slots, e_slots);
  create_event.occur(*this);
}

graph::graph(const graph& G)
    : reg(1, slot_count(G.data_slots[0]), 1, slot_count(G.data_slots[1])),
      edge_to_face(nullptr),
      events_enabled(true),
      parent(nullptr) {
  init_empty(G.data_slots[0], G.data_slots[1]);
  undirected = G.undirected;
  events_enabled = G.events_enabled;
  copy_graph(G);
  create_event.occur(*this);
}

void graph::init_empty(int n_slots, int e_slots) {
  max_node_index = max_edge_index = max_face_index = -1;
  undirected = false;
  data_slots[0] = slot_count(n_slots);
  data_slots[1] = slot_count(e_slots);
  data_slots[2] = 0;
  edge_to_face = nullptr;
  events_enabled = true;
  parent = nullptr;
}

graph& graph::operator=(const graph& G) {
  if (&G == this) return *this;
  graph::clear();
  undirected = G.undirected;
  events_enabled = G.events_enabled;
  // Records keep this graph's own data-slot counts: the slots of the maps
  // registered with it must stay within every record.
  copy_structure(G);
  return *this;
}

graph::~graph() {
  delete_event.occur(*this);
  graph::clear();
  for (int k = 0; k < 3; k++) {
    for (dlink* it = reg.maps[k].first(); it != nullptr; it = it->succ) {
      graph_map<graph>* M = reg.maps[k].contents(it);
      M->owner = nullptr;
      M->reg_item = nullptr;
    }
  }
}

void graph::init_node_entry(void*&) const {}
void graph::init_edge_entry(void*&) const {}
void graph::init_face_entry(void*&) const {}
void graph::copy_node_entry(void*&) const {}
void graph::copy_edge_entry(void*&) const {}
void graph::copy_face_entry(void*&) const {}
void graph::clear_node_entry(void*&) const {}
void graph::clear_edge_entry(void*&) const {}
void graph::clear_face_entry(void*&) const {}
void graph::read_node_entry(std::istream&, void*&) {}
void graph::read_edge_entry(std::istream&, void*&) {}
void graph::read_face_entry(std::istream&, void*&) {}
void graph::write_node_entry(std::ostream&, void*&) const {}
void graph::write_edge_entry(std::ostream&, void*&) const {}
void graph::write_face_entry(std::ostream&, void*&) const {}

void graph::pre_new_node_handler() { pre_new_node_event.occur(*this); }
void graph::post_new_node_handler(node v) { post_new_node_event.occur(*this, v); }
void graph::pre_del_node_handler(node v) { pre_del_node_event.occur(*this, v); }
void graph::post_del_node_handler() { post_del_node_event.occur(*this); }
void graph::start_del_node_handler(node v) { start_del_node_event.occur(*this, v); }
void graph::pre_hide_node_handler(node) {}
void graph::post_hide_node_handler(node) {}
void graph::pre_restore_node_handler(node) {}
void graph::post_restore_node_handler(node) {}
void graph::pre_new_edge_handler(node v, node w) { pre_new_edge_event.occur(*this, v, w); }
void graph::post_new_edge_handler(edge e) { post_new_edge_event.occur(*this, e); }
void graph::pre_del_edge_handler(edge e) { pre_del_edge_event.occur(*this, e); }
void graph::post_del_edge_handler(node v, node w) { post_del_edge_event.occur(*this, v, w); }
void graph::pre_move_edge_handler(edge e, node v, node w) { pre_move_edge_event.occur(*this, e, v, w); }
void graph::post_move_edge_handler(edge e, node v, node w) { post_move_edge_event.occur(*this, e, v, w); }
void graph::pre_hide_edge_handler(edge e) { pre_hide_edge_event.occur(*this, e); }
void graph::post_hide_edge_handler(edge e) { post_hide_edge_event.occur(*this, e); }
void graph::pre_restore_edge_handler(edge e) { pre_restore_edge_event.occur(*this, e); }
void graph::post_restore_edge_handler(edge e) { post_restore_edge_event.occur(*this, e); }
void graph::pre_join_from_graph_handler(graph& G) { pre_join_from_graph_event.occur(*this, G); }
void graph::post_join_from_graph_handler(graph& G, const list<node>& L) {
  post_join_from_graph_event.occur(*this, G, L);
}
void graph::pre_join_to_graph_handler(graph& G) { pre_join_to_graph_event.occur(*this, G); }
void graph::post_join_to_graph_handler(graph& G, const list<node>& L) { post_join_to_graph_event.occur(*this, G, L); }
void graph::pre_clear_handler() { pre_clear_event.occur(*this); }
void graph::post_clear_handler() { post_clear_event.occur(*this); }

vector graph::get_position(node) { return vector(); }

int graph::cmp_node_entry(node, node) const { return 0; }
int graph::cmp_edge_entry(edge, edge) const { return 0; }

const char* graph::node_type() const { return "void"; }
const char* graph::edge_type() const { return "void"; }
const char* graph::face_type() const { return "void"; }

template <class M>
void graph::init_new_object(list<graph_map<graph>*>& maps, M object, int i) {
  for (dlink* it = maps.first(); it != nullptr; it = it->succ) {
    graph_map<graph>* map = maps.contents(it);
    if (map->slot >= 0) {
      map->init_entry(object->data[map->slot]);
    } else if (i < map->table_size) {
      map->clear_entry(map->table[i]);
      map->init_entry(map->table[i]);
      // A write kept for carrying over from before a resize belonged to the
      // object that had this index: it must not come back over the new entry.
      if (map->old_table != nullptr && map->old_index == i) {
        std_memory_mgr.deallocate_vector(map->old_table);
        map->old_table = nullptr;
      }
    } else if (map->old_index >= 0) {
      map->resize_table(map->next_power(i + 1));
    }
  }
}

node graph::add_node(void* inf, node p) {
  node v;
  if (!v_free.empty()) {
    v = as<node_struct>(v_free.pop());
    v->data[0] = inf;
    v->id &= index_mask;
  } else {
    v = new (new_record<node_struct>(node_struct::bytes(data_slots[0]))) node_struct(inf, ++max_node_index);
  }
  if (p != nullptr)
    v_list.insert(v, p);
  else
    v_list.append(v);
  v->owner = this;
  init_new_object(reg.maps[0], v, v->index());
  return v;
}

node graph::new_node(void* inf, node u, int dir) {
  if (events_enabled) pre_new_node_handler();
  node p = (u != nullptr && dir == 0) ? as<node_struct>(u->succ) : u;
  node v = add_node(inf, p);
  if (events_enabled) post_new_node_handler(v);
  return v;
}

void graph::dealloc_node(node v) { std_memory_mgr.deallocate_bytes(v, node_struct::bytes(data_slots[0])); }

void graph::dealloc_edge(edge e) { std_memory_mgr.deallocate_bytes(e, edge_struct::bytes(data_slots[1])); }

void graph::dealloc_face(face f) { std_memory_mgr.deallocate_bytes(f, face_struct::bytes(data_slots[2])); }

edge graph::add_edge(node v, node w, void* inf) {
  if (v->owner != this) {
    std_error_handler(6, "new_edge(v,w): v not in graph");
    return nullptr;
  }
  if (w->owner != this) {
    std_error_handler(6, "new_edge(v,w): w not in graph");
    return nullptr;
  }
  edge e;
  if (!e_free.empty()) {
    e = as<edge_struct>(e_free.pop());
    e->data[0] = inf;
    e->source = v;
    e->target = w;
    e->rev = nullptr;
    e->id &= index_mask;
  } else {
    e = new (new_record<edge_struct>(edge_struct::bytes(data_slots[1]))) edge_struct(v, w, inf, ++max_edge_index);
  }
  e_list.append(e);
  init_new_object(reg.maps[1], e, e->index());
  return e;
}

bool graph::adjacency_ok(node v, edge e1, node w, edge e2) const {
  if (undirected) {
    if (v == w) {
      std_error_handler(1, "new_edge(v,e1,w,e2): selfloop in undirected graph.");
      return false;
    }
    if (e1 != nullptr && v != e1->source && v != e1->target) {
      std_error_handler(1, "new_edge(v,e1,w,e2): v is not adjacent to e1.");
      return false;
    }
    if (e2 != nullptr && w != e2->source && w != e2->target) {
      std_error_handler(1, "new_edge(v,e1,w,e2): w is not adjacent to e2.");
      return false;
    }
    return true;
  }
  if (e1 != nullptr && e1->source != v) {
    std_error_handler(1, "new_edge(v,e1,w,e2): v is not source of e1.");
    return false;
  }
  if (e2 != nullptr && e2->target != w) {
    std_error_handler(1, "new_edge(v,e1,w,e2): w is not target of e2.");
    return false;
  }
  return true;
}

edge graph::new_edge(node v, edge e1, node w, edge e2, void* inf, int d1, int d2) {
  if (!adjacency_ok(v, e1, w, e2)) return nullptr;
  if (events_enabled) pre_new_edge_handler(v, w);
  edge e = add_edge(v, w, inf);
  if (e == nullptr) return nullptr;
  ins_adj_edge(e, v, e1, w, e2, d1, d2);
  if (events_enabled) post_new_edge_handler(e);
  return e;
}

void graph::ins_adj_edge(edge e, node v, edge e1, node w, edge e2, int d1, int d2) {
  if (!adjacency_ok(v, e1, w, e2)) return;
  v->insert_adj_edge(e, e1, 0, 0, d1);
  w->insert_adj_edge(e, e2, undirected ? 0 : 1, 1, d2);
}

void graph::del_adj_edge(edge e, node v, node w) {
  v->del_adj_edge(e, 0, 0);
  w->del_adj_edge(e, undirected ? 0 : 1, 1);
}

bool graph::restorable(edge e) const {
  if (e->source->hidden() || e->target->hidden()) return false;
  return !(undirected && e->source == e->target);
}

void graph::del_node(node v) {
  if (v->owner != this) {
    std_error_handler(4, "del_node(v): v is not in G");
    return;
  }
  if (events_enabled) start_del_node_handler(v);
  bool was_hidden = v->hidden();
  if (was_hidden) restore_node(v);
  if (!e_hidden.empty()) {
    list<edge> hidden;
    for (graph_object* x = e_hidden.head; x != nullptr; x = x->succ) {
      edge e = as<edge_struct>(x);
      if (e->source == v || e->target == v) hidden.append(e);
    }
    // The hidden edges of a hidden node come back to be deleted with the rest;
    // one that cannot come back (its other end is hidden too), and the hidden
    // edges of a visible node, go directly: none may outlive its end.
    for (dlink* it = hidden.first(); it != nullptr; it = it->succ) {
      edge e = hidden.contents(it);
      if (was_hidden && restorable(e))
        restore_edge(e);
      else
        del_hidden_edge(e);
    }
  }
  while (v->first_adj_edge[0] != nullptr) del_edge(v->first_adj_edge[0]);
  if (!undirected)
    while (v->first_adj_edge[1] != nullptr) del_edge(v->first_adj_edge[1]);
  if (events_enabled) pre_del_node_handler(v);
  if (parent == nullptr) clear_node_entry(v->data[0]);
  v_list.remove(v);
  v_free.push(v);
  clear_slot_entries(reg.maps[0], v->data);
  if (events_enabled) post_del_node_handler();
}

void graph::del_edge(edge e) {
  node v = e->source;
  node w = e->target;
  if (v->owner != this) {
    std_error_handler(10, "del_edge(e): e is not in G");
    return;
  }
  if (e->hidden()) {
    if (!restorable(e)) {
      del_hidden_edge(e);
      return;
    }
    restore_edge(e);
  }
  if (events_enabled) pre_del_edge_handler(e);
  if (e->rev != nullptr) e->rev->rev = nullptr;
  del_adj_edge(e, v, w);
  if (parent == nullptr) clear_edge_entry(e->data[0]);
  e_list.remove(e);
  e_free.push(e);
  clear_slot_entries(reg.maps[1], e->data);
  if (events_enabled) post_del_edge_handler(v, w);
}

void graph::del_hidden_edge(edge e) {
  node v = e->source;
  node w = e->target;
  if (events_enabled) pre_del_edge_handler(e);
  if (e->rev != nullptr) e->rev->rev = nullptr;
  if (parent == nullptr) clear_edge_entry(e->data[0]);
  e_hidden.remove(e);
  e->id &= index_mask;
  e_free.push(e);
  clear_slot_entries(reg.maps[1], e->data);
  if (events_enabled) post_del_edge_handler(v, w);
}

node graph::merge_nodes(node u, node v) {
  if (undirected) {
    std_error_handler(1, "merge_nodes not implemented for undirected graphs.");
    return u;
  }
  if (u == v) return u;
  take_adj_ends(v, u);
  u->append_adj_list(0, v, 0);
  u->append_adj_list(1, v, 1);
  move_hidden_ends(v, u);
  del_node(v);
  return u;
}

void graph::move_hidden_ends(node v, node u) {
  for (graph_object* x = e_hidden.head; x != nullptr; x = x->succ) {
    edge e = as<edge_struct>(x);
    if (e->source == v) e->source = u;
    if (e->target == v) e->target = u;
  }
}

node graph::merge_nodes(edge e, node v) {
  if (undirected) {
    std_error_handler(1, "merge_nodes not implemented for undirected graphs.");
    return e->source;
  }
  node u = e->source;
  if (u == v) return u;
  if (e == u->last_adj_edge[0]) return merge_nodes(u, v);
  take_adj_ends(v, u);
  if (v->first_adj_edge[0] != nullptr) u->insert_adj_list(0, e, v, 0);
  if (v->first_adj_edge[1] != nullptr) u->append_adj_list(1, v, 1);
  move_hidden_ends(v, u);
  del_node(v);
  return u;
}

node graph::split_edge(edge e, void* inf, edge& e1, edge& e2) {
  node w = e->target;
  node u = add_node(inf, nullptr);
  e1 = e;
  e2 = add_edge(u, w, e->data[0]);
  copy_edge_entry(e2->data[0]);
  int L = undirected ? 0 : 1;
  u->push_adj_edge(e2, 0, 0);
  w->insert_adj_edge(e2, e, L, 1, 0);
  w->del_adj_edge(e, L, 1);
  e->target = u;
  u->push_adj_edge(e, L, 1);
  return u;
}

void graph::set_reversal(edge e, edge r) {
  if (e == nullptr || r == nullptr || r == e || e->source != r->target || e->target != r->source) {
    std_error_handler(1, "graph::set_reversal: edges are not reversals of each other");
    return;
  }
  if (e->rev != nullptr) e->rev->rev = nullptr;
  if (r->rev != nullptr) r->rev->rev = nullptr;
  e->rev = r;
  r->rev = e;
}

face graph::new_face(void* inf) {
  copy_face_entry(inf);
  return add_face(inf);
}

face graph::add_face(void* inf) {
  face f;
  if (!f_free.empty()) {
    f = as<face_struct>(f_free.pop());
    f->data[0] = inf;
  } else {
    f = new (new_record<face_struct>(face_struct::bytes(data_slots[2]))) face_struct(inf, ++max_face_index, this);
  }
  f_list.append(f);
  init_new_object(reg.maps[2], f, f->index());
  return f;
}

void graph::del_face(face f) {
  f_list.remove(f);
  f_free.push(f);
  clear_slot_entries(reg.maps[2], f->data);
}

void graph::copy_graph(const graph& G) {
  data_slots[0] = G.data_slots[0];
  data_slots[1] = G.data_slots[1];
  data_slots[2] = G.data_slots[2];
  copy_structure(G);
}

void graph::copy_structure(const graph& G) {
  max_node_index = max_edge_index = max_face_index = -1;
  edge_to_face = nullptr;
  parent = nullptr;
  set_node_bound(G.number_of_nodes());
  set_edge_bound(G.number_of_edges());
  if (G.v_list.empty()) return;

  size_t n = static_cast<size_t>(G.max_node_index + 1) * sizeof(node);
  size_t m = static_cast<size_t>(G.max_edge_index + 1) * sizeof(edge);
  node* V = static_cast<node*>(std_memory_mgr.allocate_vector(n));
  edge* E = static_cast<edge*>(std_memory_mgr.allocate_vector(m));
  if (V == nullptr || E == nullptr) {
    if (V != nullptr) std_memory_mgr.deallocate_vector(V);
    if (E != nullptr) std_memory_mgr.deallocate_vector(E);
    std_error_handler(1, " copy_graph: out of memory");
    return;
  }
  // Hidden objects are not copied: a reference to one maps to nil.
  std::memset(V, 0, n);
  std::memset(E, 0, m);

  for (graph_object* x = G.v_list.head; x != nullptr; x = x->succ) {
    node v = as<node_struct>(x);
    V[v->index()] = new_node(v->data[0], nullptr, 0);
  }
  for (graph_object* y = G.e_list.head; y != nullptr; y = y->succ) {
    edge e = as<edge_struct>(y);
    // An edge taken out of the adjacency lists in place is hidden too.
    if (e->hidden()) continue;
    E[e->index()] = add_edge(V[e->source->index()], V[e->target->index()], e->data[0]);
  }
  for (graph_object* x = G.v_list.head; x != nullptr; x = x->succ) {
    node v = as<node_struct>(x);
    node c = V[v->index()];
    c->clear_adj_lists();
    if (G.undirected) {
      for (edge e = v->first_adj_edge[0]; e != nullptr;) {
        int j = v == e->source ? 0 : 1;
        c->append_adj_edge(E[e->index()], 0, j);
        e = e->succ_adj_edge[j];
      }
    } else {
      for (edge e = v->first_adj_edge[0]; e != nullptr; e = e->succ_adj_edge[0]) c->append_adj_edge(E[e->index()], 0, 0);
      for (edge e = v->first_adj_edge[1]; e != nullptr; e = e->succ_adj_edge[1]) c->append_adj_edge(E[e->index()], 1, 1);
    }
  }
  for (graph_object* y = G.e_list.head; y != nullptr; y = y->succ) {
    edge e = as<edge_struct>(y);
    if (!e->hidden() && e->rev != nullptr) E[e->index()]->rev = E[e->rev->index()];
  }
  for (graph_object* x = G.f_list.head; x != nullptr; x = x->succ) {
    face f = as<face_struct>(x);
    face g = new_face(f->data[0]);
    g->head_edge = f->head_edge != nullptr ? E[f->head_edge->index()] : nullptr;
  }
  std_memory_mgr.deallocate_vector(V);
  std_memory_mgr.deallocate_vector(E);
}

void graph::copy_all_entries() const {
  for (graph_object* x = v_list.head; x != nullptr; x = x->succ) copy_node_entry(as<node_struct>(x)->data[0]);
  for (graph_object* x = v_hidden.head; x != nullptr; x = x->succ) copy_node_entry(as<node_struct>(x)->data[0]);
  for (graph_object* x = e_list.head; x != nullptr; x = x->succ) copy_edge_entry(as<edge_struct>(x)->data[0]);
  for (graph_object* x = e_hidden.head; x != nullptr; x = x->succ) copy_edge_entry(as<edge_struct>(x)->data[0]);
}

void graph::clear_all_entries() const {
  for (graph_object* x = v_list.head; x != nullptr; x = x->succ) clear_node_entry(as<node_struct>(x)->data[0]);
  for (graph_object* x = v_hidden.head; x != nullptr; x = x->succ) clear_node_entry(as<node_struct>(x)->data[0]);
  for (graph_object* x = e_list.head; x != nullptr; x = x->succ) clear_edge_entry(as<edge_struct>(x)->data[0]);
  for (graph_object* x = e_hidden.head; x != nullptr; x = x->succ) clear_edge_entry(as<edge_struct>(x)->data[0]);
}

void graph::join(graph& H) {
  if (&H == this) return;
  if (H.undirected != undirected) {
    std_error_handler(1, "graph::join(G): cannot merge directed with undirected graph.");
    return;
  }
  bool differ = false;
  for (int k = 0; k < 3; k++) {
    if (H.data_slots[k] != data_slots[k]) {
      std_error_handler(1, "graph::join(G): cannot merge graphs with different data sizes.");
      differ = true;
    }
  }
  if (differ) return;

  list<node> L(H.all_nodes());
  if (events_enabled) pre_join_from_graph_handler(H);
  if (H.events_enabled) H.pre_join_to_graph_handler(*this);

  int i = max_node_index;
  for (graph_obj_list_base* objects : {&H.v_list, &H.v_hidden, &H.v_free}) {
    for (graph_object* x = objects->head; x != nullptr; x = x->succ) {
      node v = as<node_struct>(x);
      v->id = (++i) | (v->id & hidden_bit);
      v->owner = this;
    }
  }
  max_node_index = i;
  i = max_edge_index;
  for (graph_obj_list_base* objects : {&H.e_list, &H.e_hidden, &H.e_free}) {
    for (graph_object* x = objects->head; x != nullptr; x = x->succ) {
      edge e = as<edge_struct>(x);
      e->id = (++i) | (e->id & hidden_bit);
    }
  }
  max_edge_index = i;
  i = max_face_index;
  for (graph_obj_list_base* objects : {&H.f_list, &H.f_free}) {
    for (graph_object* x = objects->head; x != nullptr; x = x->succ) {
      face f = as<face_struct>(x);
      f->id = ++i;
      f->owner = this;
    }
  }
  max_face_index = i;

  v_list.conc(H.v_list);
  e_list.conc(H.e_list);
  f_list.conc(H.f_list);
  v_free.conc(H.v_free);
  e_free.conc(H.e_free);
  f_free.conc(H.f_free);
  v_hidden.conc(H.v_hidden);
  e_hidden.conc(H.e_hidden);
  H.max_node_index = H.max_edge_index = H.max_face_index = -1;
  // H's caches would still name the objects that now belong here.
  H.all_nodes_cache.clear();
  H.all_edges_cache.clear();
  H.all_faces_cache.clear();

  if (events_enabled) post_join_from_graph_handler(H, L);
  if (H.events_enabled) H.post_join_to_graph_handler(*this, L);
}

void graph::clear() {
  if (events_enabled) pre_clear_handler();
  restore_all_nodes();
  restore_restorable_edges();
  for (int k = 0; k < 3; k++) {
    for (dlink* it = reg.maps[k].first(); it != nullptr; it = it->succ) {
      graph_map<graph>* M = reg.maps[k].contents(it);
      if (M->slot >= 1) M->clear_table();
    }
  }
  del_all_faces();
  del_all_edges();
  release_all_nodes();
  if (events_enabled) post_clear_handler();
}

void graph::release_all_nodes() {
  release_lists<node_struct>({&v_list, &v_hidden, &v_free}, [this](node v) { dealloc_node(v); });
  all_nodes_cache.clear();
  max_node_index = -1;
}

void graph::restore_restorable_edges() {
  for (graph_object* x = e_hidden.head; x != nullptr;) {
    graph_object* next = x->succ;
    edge e = as<edge_struct>(x);
    if (restorable(e)) restore_edge(e);
    x = next;
  }
}

void graph::release_all_edges() {
  release_lists<edge_struct>({&e_list, &e_hidden, &e_free}, [this](edge e) { dealloc_edge(e); });
  all_edges_cache.clear();
  max_edge_index = -1;
}

void graph::del_all_edges() {
  // An edge at a hidden node cannot be restored; it goes with the rest.
  restore_restorable_edges();
  release_all_edges();
  for (graph_obj_list_base* objects : {&v_list, &v_hidden}) {
    for (graph_object* x = objects->head; x != nullptr; x = x->succ) as<node_struct>(x)->clear_adj_lists();
  }
}

void graph::del_all_faces() {
  release_lists<face_struct>({&f_list, &f_free}, [this](face f) { dealloc_face(f); });
  if (edge_to_face != nullptr) {
    delete edge_to_face;
    edge_to_face = nullptr;
  }
  all_faces_cache.clear();
  max_face_index = -1;
}

void init_node_data(const graph& G, int i, void* x) {
  for (graph_object* v = G.v_list.head; v != nullptr; v = v->succ) static_cast<node>(v)->data[i] = x;
}

}  // namespace graphlib
