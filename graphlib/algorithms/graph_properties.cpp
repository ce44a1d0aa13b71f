#include "graphlib/algorithms/graph_properties.h"

#include "graphlib/algorithms/components.h"
#include "graphlib/base/error.h"
#include "graphlib/graph/graph_search.h"
#include "graphlib/graph/internal/adjacency_dfs.h"
#include "graphlib/graph/internal/graph_adjacency.h"
#include "graphlib/graph/internal/reversal_pairing.h"

namespace graphlib {

namespace {

node first_node(const graph& G) { return static_cast<node>(G.v_list.head); }

template <class F>
void for_nodes(const graph& G, F f) {
  for (graph_object* x = G.v_list.head; x != nullptr;) {
    graph_object* next = x->succ;
    f(static_cast<node>(x));
    x = next;
  }
}

template <class F>
void for_edges(const graph& G, F f) {
  for (graph_object* x = G.e_list.head; x != nullptr;) {
    graph_object* next = x->succ;
    f(static_cast<edge>(x));
    x = next;
  }
}

int degree(node v) { return v->adj_length[0] + v->adj_length[1]; }

void prepare_copy(graph& H, const graph& G) {
  H.clear();
  H.set_node_bound(G.number_of_nodes());
  H.set_edge_bound(G.number_of_edges());
}

// The out-list of v: in an undirected graph list 0 holds every incident edge,
// and an edge is copied from its source only, so once.
template <class F>
void for_out_edges(const graph& G, node v, F f) {
  for (edge e = first_in_list0(v); e != nullptr; e = next_in_list0(e, v))
    if (!G.is_undirected() || e->source == v) f(e);
}

// Position numbers of the nodes, read by the ord functions during the sorts.
const node_array<int>* num_ptr = nullptr;

int source_num(const edge& e) { return (*num_ptr)[e->source]; }
int target_num(const edge& e) { return (*num_ptr)[e->target]; }
int min_num(const edge& e) {
  int a = (*num_ptr)[e->source], b = (*num_ptr)[e->target];
  return a < b ? a : b;
}
int max_num(const edge& e) {
  int a = (*num_ptr)[e->source], b = (*num_ptr)[e->target];
  return a < b ? b : a;
}

void number_by_position(const graph& G, node_array<int>& num) {
  int i = 0;
  for_nodes(G, [&](node v) { num[v] = i++; });
}

// Sorts L by key1, then stably by key2 (both over position numbers), and tells
// whether no two edges have both keys equal.
bool no_repeated_keys(const graph& G, list<edge>& L, int (*key1)(const edge&), int (*key2)(const edge&)) {
  if (L.empty()) return true;
  node_array<int> num(G, 0);
  number_by_position(G, num);
  num_ptr = &num;
  int top = G.number_of_nodes() - 1;
  L.bucket_sort(0, top, key1);
  L.bucket_sort(0, top, key2);
  L.ord_ptr = nullptr;
  edge prev = nullptr;
  for (dlink* it = L.first(); it != nullptr; it = it->succ) {
    edge e = L.contents(it);
    if (prev != nullptr && key1(prev) == key1(e) && key2(prev) == key2(e)) return false;
    prev = e;
  }
  return true;
}

// Marks the nodes reached from s, edge directions ignored, and returns their
// number; best becomes the first of smallest degree in visiting order.
int reach(node s, node_array<bool>& reached, node& best) {
  reached[s] = true;
  best = s;
  int count = 1;
  internal::adjacency_dfs<2>(
      s,
      [&](edge e, node u) -> node {
        node w = other_end(e, u);
        if (reached[w]) return nullptr;
        reached[w] = true;
        count++;
        if (degree(w) < degree(best)) best = w;
        return w;
      },
      internal::never_stop);
  return count;
}

// The low-point search from v over the incident edges, self-loops skipped:
// dfsnum from count on in visiting order. first_son[u] is u's first tree child,
// or with any_neighbour the other end of u's first edge, reached or not. When
// the search comes back from a tree child w of u with lowpt[w] = dfsnum[u],
// closed(w, u) is asked first; a node it returns ends the search and is
// returned.
template <class Closed>
node lowpoint_dfs(node v, int& count, node_array<int>& dfsnum, node_array<int>& lowpt, node_array<node>& parent,
                  node_array<node>& first_son, bool any_neighbour, Closed closed) {
  dfsnum[v] = count++;
  lowpt[v] = dfsnum[v];
  return internal::adjacency_dfs<2>(
      v,
      [&](edge e, node u) -> node {
        node w = other_end(e, u);
        if (w == u) return nullptr;
        if (first_son[u] == nullptr && (any_neighbour || dfsnum[w] == -1)) first_son[u] = w;
        if (dfsnum[w] == -1) {
          parent[w] = u;
          dfsnum[w] = count++;
          lowpt[w] = dfsnum[w];
          return w;
        }
        if (dfsnum[w] < lowpt[u]) lowpt[u] = dfsnum[w];
        return nullptr;
      },
      [&](node w, node u) -> node {
        if (lowpt[w] == dfsnum[u]) {
          node stop = closed(w, u);
          if (stop != nullptr) return stop;
        }
        if (lowpt[w] < lowpt[u]) lowpt[u] = lowpt[w];
        return nullptr;
      });
}

void copy_nodes_and_edges(GRAPH<node, edge>& H, const graph& G) {
  prepare_copy(H, G);
  node_array<node> copy(G, nullptr);
  for_nodes(G, [&](node v) { copy[v] = H.new_node(v); });
  for_nodes(G, [&](node v) { for_out_edges(G, v, [&](edge e) { H.new_edge(copy[v], copy[e->target], e); }); });
}

}  // namespace

void CopyGraph(graph& H, const graph& G) {
  prepare_copy(H, G);
  node_array<node> copy(G, nullptr);
  for_nodes(G, [&](node v) { copy[v] = H.new_node(); });
  for_nodes(G, [&](node v) { for_out_edges(G, v, [&](edge e) { H.new_edge(copy[v], copy[e->target]); }); });
}

void CopyGraph(GRAPH<node, edge>& H, const graph& G) { copy_nodes_and_edges(H, G); }

void CopyGraph(GRAPH<node, edge>& H, const graph& G, const list<node>& V, const list<edge>& E) {
  prepare_copy(H, G);
  node_array<node> copy(G, nullptr);
  for (dlink* it = V.first(); it != nullptr; it = it->succ) {
    node v = V.contents(it);
    copy[v] = H.new_node(v);
  }
  for (dlink* it = E.first(); it != nullptr; it = it->succ) {
    edge e = E.contents(it);
    if (copy[e->source] == nullptr || copy[e->target] == nullptr) {
      std_error_handler(1, "CopyGraph(H,G,V,E): E must be a subset of VxV.");
      return;
    }
    H.new_edge(copy[e->source], copy[e->target], e);
  }
}

void CopyGraph(GRAPH<node, edge>& H, const graph& G, const list<edge>& E) {
  prepare_copy(H, G);
  node_array<node> copy(G, nullptr);
  for (dlink* it = E.first(); it != nullptr; it = it->succ) {
    edge e = E.contents(it);
    if (copy[e->source] == nullptr) copy[e->source] = H.new_node(e->source);
    if (copy[e->target] == nullptr) copy[e->target] = H.new_node(e->target);
    H.new_edge(copy[e->source], copy[e->target], e);
  }
}

bool Is_Simple(const graph& G, list<edge>& L) {
  L = G.all_edges();
  return no_repeated_keys(G, L, source_num, target_num);
}

bool Is_Simple(const graph& G) {
  list<edge> L;
  return Is_Simple(G, L);
}

bool Is_Undirected_Simple(const graph& G) {
  list<edge> L = G.all_edges();
  return no_repeated_keys(G, L, min_num, max_num);
}

list<node> Delete_Loops(graph& G) {
  list<edge> loops;
  list<node> result;
  for_edges(G, [&](edge e) {
    if (e->source == e->target) {
      loops.append(e);
      result.append(e->source);
    }
  });
  for (dlink* it = loops.first(); it != nullptr; it = it->succ) G.del_edge(loops.contents(it));
  return result;
}

list<edge> Make_Simple(graph& G) {
  list<edge> R;
  list<edge> L;
  // An undirected graph is also made free of u-v / v-u duplicates, which the
  // directed test does not see.
  bool simple = Is_Simple(G, L);
  if (simple && (!G.is_undirected() || Is_Undirected_Simple(G))) return R;
  if (!simple) {
    edge rep = nullptr;
    bool reported = false;
    for (dlink* it = L.first(); it != nullptr; it = it->succ) {
      edge x = L.contents(it);
      if (rep != nullptr && x->source == rep->source && x->target == rep->target) {
        G.del_edge(x);
        if (!reported) {
          R.append(rep);
          reported = true;
        }
      } else {
        rep = x;
        reported = false;
      }
    }
  }
  if (G.is_undirected()) {
    edge_array<edge> rev(G, nullptr);
    Is_Bidirected(G, rev);
    for_edges(G, [&](edge e) {
      edge r = rev[e];
      if (r == nullptr) return;
      G.del_edge(e);
      rev[r] = nullptr;
      R.append(r);
    });
  }
  return R;
}

bool Is_Bidirected(const graph& G, edge_array<edge>& rev) {
  for_edges(G, [&](edge e) { rev[e] = nullptr; });
  list<edge> L = G.all_edges();
  int m = L.length();
  int count = internal::pair_reversals(
      L, G.max_node_index, [&](edge e) { return rev[e] != nullptr; },
      [&](edge e, edge r) {
        rev[e] = r;
        rev[r] = e;
      });
  return count == m;
}

void Make_Bidirected(graph& G, list<edge>& R) {
  edge_array<edge> rev(G, nullptr);
  if (Is_Bidirected(G, rev)) return;
  list<edge> unpaired;
  for_edges(G, [&](edge e) {
    if (rev[e] == nullptr) unpaired.append(e);
  });
  for (dlink* it = unpaired.first(); it != nullptr; it = it->succ) {
    edge e = unpaired.contents(it);
    R.append(G.new_edge(e->target, e->source));
  }
}

list<edge> Make_Bidirected(graph& G) {
  list<edge> R;
  Make_Bidirected(G, R);
  return R;
}

bool Is_Acyclic(const graph& G, list<edge>& L) {
  // Depth-first and completion numbers along the out-lists, from 1; 0 is unvisited.
  node_array<int> dfsnum(G, 0);
  node_array<int> compnum(G, 0);
  int dcount = 0, ccount = 0;
  for_nodes(G, [&](node v) {
    if (dfsnum[v] != 0) return;
    dfsnum[v] = ++dcount;
    internal::adjacency_dfs<1>(
        v,
        [&](edge e, node) -> node {
          node w = e->target;
          if (dfsnum[w] != 0) return nullptr;
          dfsnum[w] = ++dcount;
          return w;
        },
        [&](node w, node) -> node {
          compnum[w] = ++ccount;
          return nullptr;
        });
    compnum[v] = ++ccount;
  });
  L.clear();
  for_edges(G, [&](edge e) {
    node v = e->source, w = e->target;
    if (v == w || (dfsnum[v] > dfsnum[w] && compnum[v] < compnum[w])) L.append(e);
  });
  return L.empty();
}

bool Is_Acyclic(const graph& G) {
  list<edge> L;
  return Is_Acyclic(G, L);
}

void Make_Acyclic(graph& G) {
  list<edge> L;
  Is_Acyclic(G, L);
  for (dlink* it = L.first(); it != nullptr; it = it->succ) G.del_edge(L.contents(it));
}

bool Is_Connected(const graph& G) {
  node s = first_node(G);
  if (s == nullptr) return true;
  node_array<bool> reached(G, false);
  node best = nullptr;
  return reach(s, reached, best) == G.number_of_nodes();
}

void Make_Connected(graph& G, list<edge>& L) {
  node_array<bool> reached(G, false);
  node u = nullptr;
  for_nodes(G, [&](node v) {
    if (reached[v]) return;
    node best = nullptr;
    reach(v, reached, best);
    if (u == nullptr)
      u = best;
    else
      L.append(G.new_edge(u, best));
  });
}

list<edge> Make_Connected(graph& G) {
  list<edge> L;
  Make_Connected(G, L);
  return L;
}

bool Is_Biconnected(const graph& G, node& s) {
  node v = first_node(G);
  if (v == nullptr) return true;
  if (!Is_Connected(G)) {
    s = nullptr;
    return false;
  }
  node_array<int> dfsnum(G, -1);
  node_array<int> lowpt(G, 0);
  node_array<node> parent(G, nullptr);
  node_array<node> first_son(G, nullptr);
  int count = 0;
  // The first articulation point met on the way back.
  s = lowpoint_dfs(v, count, dfsnum, lowpt, parent, first_son, false,
                   [&](node w, node u) -> node { return w != first_son[u] || parent[u] != nullptr ? u : nullptr; });
  return s == nullptr;
}

bool Is_Biconnected(const graph& G) {
  node s = nullptr;
  return Is_Biconnected(G, s);
}

bool Is_Triconnected(const graph& G, node& s1, node& s2) {
  if (!Is_Biconnected(G, s1)) {
    s2 = s1;
    return false;
  }
  if (G.number_of_nodes() <= 3) return true;
  GRAPH<node, edge> H;
  CopyGraph(H, G);
  // restore_node puts a node back at the front of H's node list: walk a
  // snapshot, and mark tried nodes by a nil entry.
  list<node> order = H.all_nodes();
  for (dlink* it = order.first(); it != nullptr; it = it->succ) {
    node v = order.contents(it);
    if (H.inf(v) == nullptr) continue;
    H.hide_node(v);
    node x = nullptr;
    if (!Is_Biconnected(H, x)) {
      s1 = H.inf(v);
      s2 = x != nullptr ? H.inf(x) : nullptr;
      return false;
    }
    H.restore_node(v);
    H.restore_all_edges();
    H.node_info[v] = nullptr;
  }
  return true;
}

bool Is_Triconnected(const graph& G) {
  node s1 = nullptr, s2 = nullptr;
  return Is_Triconnected(G, s1, s2);
}

void Make_Biconnected(graph& G, list<edge>& L) {
  node v = first_node(G);
  if (v == nullptr) return;
  Make_Connected(G, L);
  node_array<int> dfsnum(G, -1);
  node_array<int> lowpt(G, 0);
  node_array<node> parent(G, nullptr);
  node_array<node> first_son(G, nullptr);
  int count = 0;
  // Edges added here reach nodes already numbered: met later by a node still
  // being searched, they lower no low point.
  lowpoint_dfs(v, count, dfsnum, lowpt, parent, first_son, true, [&](node w, node u) -> node {
    node f = first_son[u];
    if (w == f && parent[u] != nullptr) L.append(G.new_edge(w, parent[u]));
    if (w != f) L.append(G.new_edge(f, w));
    return nullptr;
  });
}

list<edge> Make_Biconnected(graph& G) {
  list<edge> L;
  Make_Biconnected(G, L);
  return L;
}

bool Is_Loopfree(const graph& G) {
  for (graph_object* x = G.e_list.head; x != nullptr; x = x->succ) {
    edge e = static_cast<edge>(x);
    if (e->source == e->target) return false;
  }
  return true;
}

bool Is_Simple_Loopfree(const graph& G) { return Is_Simple(G) && Is_Loopfree(G); }

bool Is_Bipartite(const graph& G) {
  list<node> A, B;
  return Is_Bipartite(G, A, B);
}

bool Is_Map(const graph& G) {
  for (graph_object* x = G.e_list.head; x != nullptr; x = x->succ) {
    edge e = static_cast<edge>(x);
    edge r = e->rev;
    if (r == nullptr || r == e || r->rev != e || e->source != r->target || e->target != r->source) return false;
  }
  return true;
}

int Genus(const graph& G) {
  if (!Is_Map(G)) {
    // Face cycles would follow nil reversals.
    std_error_handler(1, "Genus only applies to maps");
    return 0;
  }
  int n = G.number_of_nodes();
  if (n == 0) return 0;
  int iso = 0;
  for_nodes(G, [&](node v) {
    if (v->adj_length[0] == 0) iso++;
  });
  int m = G.number_of_edges();
  node_array<int> comp(G, 0);
  int c = COMPONENTS(G, comp);
  edge_array<bool> marked(G, false);
  int F = 0;
  for_edges(G, [&](edge e) {
    if (marked[e]) return;
    F++;
    edge x = e;
    do {
      marked[x] = true;
      x = G.face_cycle_succ(x);
    } while (x != e);
  });
  return (m / 2 - n - iso - F + 2 * c) / 2;
}

bool Is_Planar_Map(const graph& G) { return Is_Map(G) && Genus(G) == 0; }

bool Is_Plane_Map(const graph& G) { return Is_Planar_Map(G); }

}  // namespace graphlib
