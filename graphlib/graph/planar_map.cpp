// Planar maps: face cycles, faces with their edge-to-face map, the dual map and
// the local operations that insert and remove edge pairs.
#include <cstdio>
#include <iostream>

#include "graphlib/base/error.h"
#include "graphlib/base/map.h"
#include "graphlib/graph/graph.h"
#include "graphlib/graph/internal/graph_adjacency.h"
#include "graphlib/graph/internal/reversal_pairing.h"
#include "graphlib/graph/node_array.h"

namespace graphlib {

namespace {

// Cyclic neighbours of e in v's out-list (list 0).
edge cyclic_succ(edge e, node v) {
  edge s = next_in_list0(e, v);
  return s != nullptr ? s : v->first_adj_edge[0];
}

edge cyclic_pred(edge e, node v) {
  edge p = e->pred_adj_edge[link_pair(e, v, 0)];
  return p != nullptr ? p : v->last_adj_edge[0];
}

edge default_edge(graph& G, node v, edge e1, node w) {
  void* x = nullptr;
  G.init_edge_entry(x);
  return G.new_edge(v, e1, w, x, 0);
}

// A new edge placed right after e1 in source(e1)'s out-list, towards w.
edge edge_after(graph& G, edge e1, node w) { return default_edge(G, e1->source, e1, w); }

void write_index(std::ostream& out, const char* format, int i) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, format, i);
  out << buffer;
}

// Calls visit on each edge of f's face cycle, from its head edge (none when
// the face has no head edge).
template <class F>
void for_face_cycle(const graph& G, face f, F visit) {
  edge h = f->head_edge;
  if (h == nullptr) return;
  edge x = h;
  do {
    visit(x);
    x = G.face_cycle_succ(x);
  } while (x != h);
}

}  // namespace

int map_edge_ord1(const edge& e) { return e->source->index(); }

int map_edge_ord2(const edge& e) { return e->target->index(); }

edge graph::face_cycle_succ(edge e) const {
  edge r = e->rev;
  return cyclic_pred(r, e->target);
}

edge graph::face_cycle_pred(edge e) const { return cyclic_succ(e, e->source)->rev; }

face& graph::access_face(edge e) const {
  if (edge_to_face == nullptr) {
    // No faces yet: every edge reads nil, and a write goes nowhere.
    static face none;
    none = nullptr;
    return none;
  }
  return graphlib_access(static_cast<const face*>(nullptr), edge_to_face->table_map_access(e->index()));
}

bool graph::make_map() {
  list<edge> L1;
  for (graph_object* x = e_list.head; x != nullptr; x = x->succ) {
    edge e = static_cast<edge>(x);
    if (e->rev == nullptr) L1.append(e);
  }
  int m = L1.length();
  int count = internal::pair_reversals(
      L1, max_node_index, [](edge e) { return e->rev != nullptr; },
      [](edge e, edge r) {
        e->rev = r;
        r->rev = e;
      });
  return count == m;
}

void graph::make_map(list<edge>& R) {
  if (make_map()) return;
  list<edge> E = all_edges();
  for (dlink* it = E.first(); it != nullptr; it = it->succ) {
    edge e = E.contents(it);
    if (e->rev != nullptr) continue;
    void* x = nullptr;
    init_edge_entry(x);
    edge r = new_edge(e->target, e->source, x);
    if (r == nullptr) continue;
    e->rev = r;
    r->rev = e;
    R.append(r);
  }
}

list<edge> graph::adj_edges(face f) const {
  list<edge> L;
  for_face_cycle(*this, f, [&](edge x) { L.append(x); });
  return L;
}

list<node> graph::adj_nodes(face f) const {
  list<node> L;
  for_face_cycle(*this, f, [&](edge x) { L.append(x->source); });
  return L;
}

list<face> graph::adj_faces(node v) const {
  list<face> L;
  for (edge e = first_in_list0(v); e != nullptr; e = next_in_list0(e, v)) L.append(access_face(e));
  return L;
}

void graph::print_face(face f) const {
  write_index(std::cout, "F[%2d]", f->index());
  std::cout << "(";
  write_face_entry(std::cout, f->data[0]);
  std::cout << "): ";
  for_face_cycle(*this, f, [](edge x) { write_index(std::cout, "[%2d]", x->target->index()); });
}

void graph::compute_faces() {
  del_all_faces();
  // A fresh growable map: edges added later get nil cells.
  edge_to_face = new graph_map<graph>(this, 1, 1);
  edge_to_face->old_index = 0;

  bool is_map = true;
  for (graph_object* x = e_list.head; x != nullptr; x = x->succ) {
    edge e = static_cast<edge>(x);
    if (e->rev == nullptr) {
      std_error_handler(1, "graph::compute_faces: no map (reversal edge missing)");
      is_map = false;
    }
    access_face(e) = nullptr;
  }
  if (!is_map) {
    // Face cycles need every reversal: walking one would follow nil.
    del_all_faces();
    return;
  }

  for (graph_object* x = e_list.head; x != nullptr; x = x->succ) {
    edge e = static_cast<edge>(x);
    if (access_face(e) != nullptr) continue;
    face f = new_face();
    f->head_edge = e;
    int size = 0;
    edge y = e;
    do {
      access_face(y) = f;
      size++;
      y = face_cycle_succ(y);
    } while (y != e);
    f->size = size;
  }
}

void graph::dual_map(graph& D) const {
  D.clear();
  // Logically const: only the faces, which the dual is read from, are rebuilt.
  const_cast<graph*>(this)->compute_faces();
  if (edge_to_face == nullptr) return;

  face_array<node> dual_node(*this, nullptr);
  for (graph_object* x = f_list.head; x != nullptr; x = x->succ) {
    face f = static_cast<face>(x);
    dual_node[f] = D.new_node();
  }
  edge_array<edge> dual_edge(*this, nullptr);
  for (graph_object* x = f_list.head; x != nullptr; x = x->succ) {
    face f = static_cast<face>(x);
    edge h = f->head_edge;
    edge e = h;
    do {
      dual_edge[e] = D.new_edge(dual_node[f], dual_node[access_face(e->rev)]);
      e = face_cycle_succ(e);
    } while (e != h);
  }
  for (graph_object* x = e_list.head; x != nullptr; x = x->succ) {
    edge e = static_cast<edge>(x);
    D.set_reversal(dual_edge[e], dual_edge[e->rev]);
  }
}

edge graph::split_map_edge(edge e) {
  edge r = e->rev;
  if (r == nullptr) {
    std_error_handler(1, "graph::split_map_edge(e): reversal of edge e missing.");
    return nullptr;
  }
  node v = e->source;
  node w = e->target;
  node u = new_node();
  int in = undirected ? 0 : 1;
  w->del_adj_edge(e, in, 1);
  v->del_adj_edge(r, in, 1);
  e->target = u;
  r->target = u;
  u->push_adj_edge(e, in, 1);
  u->push_adj_edge(r, in, 1);

  edge e1 = new_edge(u, w);
  edge r1 = new_edge(u, v);
  set_reversal(e, r1);
  set_reversal(r, e1);
  if (edge_to_face != nullptr) {
    face fe = access_face(e);
    face fr = access_face(r);
    access_face(e1) = fe;
    access_face(r1) = fr;
  }
  return e1;
}

edge graph::new_map_edge(edge e1, edge e2) {
  edge a = edge_after(*this, e1, e2->source);
  edge b = edge_after(*this, e2, e1->source);
  set_reversal(a, b);
  return a;
}

edge graph::split_face(edge e1, edge e2) {
  face f = access_face(e1);
  if (f == nullptr) {
    // Without a face there is nothing to divide.
    std_error_handler(1, "planar_map::new_edge: new edge must lie in a face.");
    return nullptr;
  }
  if (access_face(e2) != f) std_error_handler(1, "planar_map::new_edge: new edge must lie in a face.");
  face f2 = new_face();
  edge a = new_map_edge(e1, e2);
  edge b = a->rev;
  f->head_edge = a;
  f2->head_edge = b;
  access_face(a) = f;
  edge x = b;
  do {
    access_face(x) = f2;
    x = face_cycle_succ(x);
  } while (x != b);
  return a;
}

face graph::join_faces(edge e) {
  edge x = e;
  edge r = e->rev;
  if (r == nullptr) {
    std_error_handler(1, "join_faces: graph must be a map.");
    return nullptr;
  }
  if (access_face(x) == nullptr || access_face(r) == nullptr) {
    std_error_handler(1, "join_faces: no face associated with edges.");
    return nullptr;
  }
  if (face_cycle_succ(r) == r) {
    edge t = x;
    x = r;
    r = t;
  }
  face f1 = access_face(x);
  face f2 = access_face(r);
  face result = f1;

  if (f1 != f2) {
    if (face_cycle_succ(r) == r) {
      clear_face_entry(f2->data[0]);
      del_face(f2);
      clear_face_entry(f1->data[0]);
      del_face(f1);
      result = nullptr;
    } else {
      edge y = face_cycle_succ(r);
      f1->head_edge = y;
      for (edge z = y; z != r; z = face_cycle_succ(z)) access_face(z) = f1;
      clear_face_entry(f2->data[0]);
      del_face(f2);
    }
    del_edge(x);
    del_edge(r);
    return result;
  }

  if (face_cycle_succ(x) == r) {
    edge t = x;
    x = r;
    r = t;
  }
  if (face_cycle_succ(x) == r) {
    clear_face_entry(f1->data[0]);
    del_face(f1);
    result = nullptr;
  } else if (face_cycle_succ(r) == x) {
    f1->head_edge = face_cycle_succ(x);
  } else {
    f2 = new_face();
    edge h1 = face_cycle_succ(x);
    edge h2 = face_cycle_succ(r);
    f1->head_edge = h1;
    f2->head_edge = h2;
    del_edge(x);
    del_edge(r);
    edge z = h1;
    do {
      access_face(z) = f1;
      z = face_cycle_succ(z);
    } while (z != h1);
    z = h2;
    do {
      access_face(z) = f2;
      z = face_cycle_succ(z);
    } while (z != h2);
    return f1;
  }
  del_edge(x);
  del_edge(r);
  return result;
}

bool check_reversal_inf(const graph& G) {
  map<edge, bool> in_graph(false);
  for (graph_object* x = G.e_list.head; x != nullptr; x = x->succ) in_graph[static_cast<edge>(x)] = true;
  for (graph_object* x = G.e_list.head; x != nullptr; x = x->succ) {
    edge e = static_cast<edge>(x);
    if (e->rev == nullptr || !in_graph[e->rev]) return false;
  }
  for (graph_object* x = G.e_list.head; x != nullptr; x = x->succ) {
    edge e = static_cast<edge>(x);
    edge r = e->rev;
    if (r == e || r->rev != e || e->source != r->target || e->target != r->source) return false;
  }
  return true;
}

}  // namespace graphlib
