// The map members of graph that rest on the component search and the property
// tests.
#include <vector>

#include "graphlib/algorithms/components.h"
#include "graphlib/algorithms/graph_properties.h"
#include "graphlib/base/error.h"
#include "graphlib/graph/internal/graph_adjacency.h"

namespace graphlib {

namespace {

edge edge_after(graph& G, edge e1, node w) {
  void* x = nullptr;
  G.init_edge_entry(x);
  return G.new_edge(e1, w, x, 0);
}

}  // namespace

list<edge> graph::triangulate_map() {
  list<edge> L;

  node_array<int> comp(*this, 0);
  int c = COMPONENTS(*this, comp);
  if (c > 1) {
    node z = static_cast<node>(v_list.head);
    std::vector<bool> pending(static_cast<size_t>(c), true);
    pending[static_cast<size_t>(comp[z])] = false;
    for (graph_object* x = v_list.head; x != nullptr; x = x->succ) {
      node v = static_cast<node>(x);
      if (!pending[static_cast<size_t>(comp[v])]) continue;
      edge e1 = new_edge(v, z);
      edge e2 = new_edge(z, v);
      set_reversal(e2, e1);
      L.append(e2);
      L.append(e1);
      pending[static_cast<size_t>(comp[v])] = false;
    }
  }

  if (!make_map()) {
    // Face cycles would follow nil reversals.
    std_error_handler(1, "TRIANGULATE_PLANAR_MAP: graph is not a map.");
    return L;
  }

  node_array<int> mark(*this, 0);
  for (graph_object* x = v_list.head; x != nullptr; x = x->succ) {
    node v = static_cast<node>(x);
    list<edge> out = adj_edges(v);
    for (dlink* it = out.first(); it != nullptr; it = it->succ) mark[out.contents(it)->target] = 1;

    for (dlink* it = out.first(); it != nullptr; it = it->succ) {
      edge e = out.contents(it);
      edge e1 = face_cycle_succ(e);
      edge e2 = face_cycle_succ(e1);
      if (e->target == v || e1->target == v || e2->target == v) continue;
      while (e2->target != v) {
        node w = e1->target;
        if (mark[w] == 0) {
          // Cuts off the triangle v, target(e), w.
          mark[w] = 1;
          edge a = edge_after(*this, e2, v);
          edge b = edge_after(*this, e, w);
          L.append(a);
          L.append(b);
          set_reversal(a, b);
          e = b;
          e1 = e2;
          e2 = face_cycle_succ(e2);
        } else {
          // w is already a neighbour of v: cut off source(e1), w, source(e2) instead.
          e2 = face_cycle_succ(e2);
          edge a = edge_after(*this, e2, e1->source);
          edge b = edge_after(*this, e1, e2->source);
          L.append(a);
          L.append(b);
          set_reversal(a, b);
          e1 = b;
        }
      }
    }

    for (edge e = first_in_list0(v); e != nullptr; e = next_in_list0(e, v)) mark[other_end(e, v)] = 0;
  }
  return L;
}

void graph::make_bidirected(list<edge>& R) { Make_Bidirected(*this, R); }

void graph::make_bidirected() { Make_Bidirected(*this); }

bool graph::is_bidirected() const {
  edge_array<edge> rev(*this, nullptr);
  return Is_Bidirected(*this, rev);
}

bool graph::is_map() const { return Is_Map(*this); }

}  // namespace graphlib
