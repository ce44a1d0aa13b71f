#include "graphlib/base/error.h"
#include "graphlib/base/random_source.h"
#include "graphlib/base/string.h"
#include "graphlib/graph/graph.h"

namespace graphlib {

namespace {

template <class T>
T* as(graph_object* x) {
  return static_cast<T*>(x);
}

template <class T>
void fill(list<T*>& L, const graph_obj_list_base& objects) {
  for (graph_object* x = objects.head; x != nullptr; x = x->succ) L.append(as<T>(x));
}

graph_object* nth(const graph_obj_list_base& objects, int k) {
  graph_object* x = objects.head;
  while (k-- > 0) x = x->succ;
  return x;
}

}  // namespace

const list<node>& graph::all_nodes() const {
  all_nodes_cache.clear();
  fill(all_nodes_cache, v_list);
  return all_nodes_cache;
}

const list<edge>& graph::all_edges() const {
  all_edges_cache.clear();
  fill(all_edges_cache, e_list);
  return all_edges_cache;
}

const list<face>& graph::all_faces() const {
  all_faces_cache.clear();
  fill(all_faces_cache, f_list);
  return all_faces_cache;
}

list<edge> graph::out_edges(node v) const {
  // Pair 0 alone would leave an undirected node's list at its first in-edge.
  if (undirected) return adj_edges(v);
  list<edge> L;
  for (edge e = v->first_adj_edge[0]; e != nullptr; e = e->succ_adj_edge[0]) L.append(e);
  return L;
}

list<edge> graph::in_edges(node v) const {
  list<edge> L;
  for (edge e = v->first_adj_edge[1]; e != nullptr; e = e->succ_adj_edge[1]) L.append(e);
  return L;
}

list<edge> graph::adj_edges(node v) const {
  list<edge> L;
  for (edge e = v->first_adj_edge[0]; e != nullptr; e = e->succ_adj_edge[link_pair(e, v, 0)]) L.append(e);
  return L;
}

list<node> graph::adj_nodes(node v) const {
  list<node> L;
  for (edge e = v->first_adj_edge[0]; e != nullptr; e = e->succ_adj_edge[link_pair(e, v, 0)])
    L.append(e->source == v ? e->target : e->source);
  return L;
}

list<node> graph::hidden_nodes() const {
  list<node> L;
  fill(L, v_hidden);
  return L;
}

list<edge> graph::hidden_edges() const {
  list<edge> L;
  fill(L, e_hidden);
  return L;
}

node graph::choose_node() const {
  if (v_list.count == 0) return nullptr;
  return as<node_struct>(nth(v_list, rand_int(0, v_list.count - 1)));
}

edge graph::choose_edge() const {
  if (e_list.count == 0) return nullptr;
  return as<edge_struct>(nth(e_list, rand_int(0, e_list.count - 1)));
}

face graph::choose_face() const {
  if (f_list.count == 0) return nullptr;
  return as<face_struct>(nth(f_list, rand_int(0, f_list.count - 1)));
}

void graph::hide_edge(edge e) {
  if (e->hidden()) return;
  if (events_enabled) pre_hide_edge_handler(e);
  hide_adj_edge(e);
  e_list.remove(e);
  e_hidden.append(e);
  if (events_enabled) post_hide_edge_handler(e);
}

void graph::hide_node(node v, list<edge>& L) {
  if (v->hidden()) return;
  if (events_enabled) pre_hide_node_handler(v);
  while (v->first_adj_edge[0] != nullptr) {
    edge e = v->first_adj_edge[0];
    hide_edge(e);
    L.append(e);
  }
  if (!undirected) {
    while (v->first_adj_edge[1] != nullptr) {
      edge e = v->first_adj_edge[1];
      hide_edge(e);
      L.append(e);
    }
  }
  v_list.remove(v);
  v_hidden.append(v);
  v->id |= hidden_bit;
  if (events_enabled) post_hide_node_handler(v);
}

void graph::hide_node(node v) {
  list<edge> L;
  hide_node(v, L);
}

void graph::restore_edge(edge e) {
  if (!e->hidden()) {
    std_error_handler(1, "graph::restore_edge: edge is not hidden.");
    return;
  }
  if (e->source->hidden()) {
    std_error_handler(1, "graph::restore_edge: source(e) is hidden.");
    return;
  }
  if (e->target->hidden()) {
    std_error_handler(1, "graph::restore_edge: target(e) is hidden.");
    return;
  }
  // A self-loop hidden before the graph became undirected has no place in it.
  if (undirected && e->source == e->target) {
    std_error_handler(1, "new_edge(v,e1,w,e2): selfloop in undirected graph.");
    return;
  }
  if (events_enabled) pre_restore_edge_handler(e);
  e_hidden.remove(e);
  e_list.push(e);
  restore_adj_edge(e);
  if (events_enabled) post_restore_edge_handler(e);
}

void graph::restore_node(node v) {
  if (!v->hidden()) {
    std_error_handler(1, "graph::restore_node: node is not hidden.");
    return;
  }
  if (events_enabled) pre_restore_node_handler(v);
  v_hidden.remove(v);
  v_list.push(v);
  v->id &= index_mask;
  if (events_enabled) post_restore_node_handler(v);
}

void graph::restore_all_edges() {
  for (graph_object* x = e_hidden.head; x != nullptr;) {
    graph_object* next = x->succ;
    restore_edge(as<edge_struct>(x));
    x = next;
  }
}

void graph::restore_all_nodes() {
  for (graph_object* x = v_hidden.head; x != nullptr;) {
    graph_object* next = x->succ;
    restore_node(as<node_struct>(x));
    x = next;
  }
}

void graph::hide_adj_edge(edge e) {
  if (e->hidden()) return;
  del_adj_edge(e, e->source, e->target);
  e->id |= hidden_bit;
}

void graph::restore_adj_edge(edge e) {
  if (!e->hidden()) return;
  e->source->push_adj_edge(e, 0, 0);
  e->target->push_adj_edge(e, undirected ? 0 : 1, 1);
  e->id &= index_mask;
}

edge graph::own_neighbour(edge e, int j, int& dir) {
  if (e->succ_adj_edge[j] != nullptr) {
    dir = 1;
    return e->succ_adj_edge[j];
  }
  dir = 0;
  return e->pred_adj_edge[j];
}

void graph::move_edge_between(edge e, node v, edge e1, node w, edge e2, int d1, int d2) {
  if (e->hidden()) {
    std_error_handler(1, "graph::move_edge:  cannot move hidden edge.");
    return;
  }
  node v_old = e->source;
  node w_old = e->target;
  if (events_enabled) pre_move_edge_handler(e, v, w);
  if (e1 == e) e1 = own_neighbour(e, 0, d1);
  if (e2 == e) e2 = own_neighbour(e, 1, d2);
  // Checked before e leaves its lists, so that a refused move changes nothing.
  if (!adjacency_ok(v, e1, w, e2)) return;
  del_adj_edge(e, v_old, w_old);
  e->source = v;
  e->target = w;
  ins_adj_edge(e, v, e1, w, e2, d1, d2);
  if (events_enabled) post_move_edge_handler(e, v_old, w_old);
}

void graph::move_edge(edge e, edge e1, edge e2, int d1, int d2) {
  move_edge_between(e, e1->source, e1, e2->target, e2, d1, d2);
}

void graph::move_edge(edge e, edge e1, node w, int dir) { move_edge_between(e, e1->source, e1, w, nullptr, dir, 0); }

void graph::move_edge(edge e, node v, edge e2, int dir) { move_edge_between(e, v, nullptr, e2->target, e2, 0, dir); }

void graph::move_edge(edge e, node v, node w) {
  if (e->hidden()) {
    std_error_handler(1, "graph::move_edge:  cannot move hidden edge.");
    return;
  }
  if (undirected && v == w) {
    std_error_handler(1, "new_edge(v,e1,w,e2): selfloop in undirected graph.");
    return;
  }
  node v_old = e->source;
  node w_old = e->target;
  if (events_enabled) pre_move_edge_handler(e, v, w);
  int L = undirected ? 0 : 1;
  // Both ends leave before either is placed: in an undirected graph the new
  // source may be the old target, and e must not be in one list twice.
  if (v != v_old) v_old->del_adj_edge(e, 0, 0);
  if (w != w_old) w_old->del_adj_edge(e, L, 1);
  e->source = v;
  e->target = w;
  if (v != v_old) v->append_adj_edge(e, 0, 0);
  if (w != w_old) w->append_adj_edge(e, L, 1);
  if (events_enabled) post_move_edge_handler(e, v_old, w_old);
}

edge graph::rev_edge(edge e) {
  if (e->hidden()) {
    std_error_handler(1, "graph::rev_edge: cannot reverse hidden edge.");
    return e;
  }
  node v = e->source;
  node w = e->target;
  if (events_enabled) pre_move_edge_handler(e, w, v);
  del_adj_edge(e, v, w);
  e->source = w;
  e->target = v;
  ins_adj_edge(e, w, nullptr, v, nullptr, 0, 0);
  if (events_enabled) post_move_edge_handler(e, v, w);
  return e;
}

void graph::rev_all_edges() {
  if (undirected) return;
  list<edge> L(all_edges());
  for (dlink* it = L.first(); it != nullptr; it = it->succ) rev_edge(L.contents(it));
}

list<edge> graph::insert_reverse_edges() {
  list<edge> L;
  edge stop = nullptr;
  for (graph_object* x = e_list.head; x != nullptr && x != stop; x = x->succ) {
    edge e = as<edge_struct>(x);
    edge r = new_edge(e->target, e->source, e->data[0]);
    if (r == nullptr) break;
    if (stop == nullptr) stop = r;
    copy_edge_entry(e->data[0]);
    L.append(r);
  }
  return L;
}

void graph::set_node_position(node v, node u) {
  if (v == u) return;
  if (u == nullptr ? v_list.head == v : v->pred == u) return;
  v_list.remove(v);
  if (u == nullptr)
    v_list.push(v);
  else
    v_list.insert(v, u->succ);
}

void graph::set_edge_position(edge e, edge e1) {
  if (e == e1) return;
  if (e1 == nullptr ? e_list.head == e : e->pred == e1) return;
  e_list.remove(e);
  if (e1 == nullptr)
    e_list.push(e);
  else
    e_list.insert(e, e1->succ);
}

void graph::del_nodes(const list<node>& L) {
  for (dlink* it = L.first(); it != nullptr; it = it->succ) del_node(L.contents(it));
}

void graph::del_edges(const list<edge>& L) {
  for (dlink* it = L.first(); it != nullptr; it = it->succ) del_edge(L.contents(it));
}

void graph::make_undirected() {
  if (undirected) return;
  int loops = 0;
  for (graph_object* x = e_list.head; x != nullptr;) {
    graph_object* next = x->succ;
    edge e = as<edge_struct>(x);
    if (e->source == e->target) {
      del_edge(e);
      loops++;
    }
    x = next;
  }
  if (loops > 0) std_error_handler(0, string(" %d selfloops deleted in ugraph constructor", loops).chars());
  for (graph_object* x = v_list.head; x != nullptr; x = x->succ) {
    node v = as<node_struct>(x);
    v->append_adj_list(0, v, 1);
  }
  undirected = true;
}

void graph::make_directed() {
  if (!undirected) return;
  for (graph_object* x = v_list.head; x != nullptr; x = x->succ) {
    node v = as<node_struct>(x);
    for (edge e = v->first_adj_edge[0]; e != nullptr;) {
      if (e->target == v) {
        edge next = e->succ_adj_edge[1];
        v->del_adj_edge(e, 0, 1);
        v->push_adj_edge(e, 1, 1);
        e = next;
      } else {
        e = e->succ_adj_edge[0];
      }
    }
  }
  undirected = false;
}

}  // namespace graphlib
