#include "graphlib/algorithms/planarity.h"

#include <utility>
#include <vector>

#include "graphlib/algorithms/pq_tree.h"
#include "graphlib/algorithms/graph_properties.h"
#include "graphlib/algorithms/st_number.h"
#include "graphlib/base/error.h"

namespace graphlib {

namespace {

// A PQ-leaf number is never 0.
int label(edge e) { return e->index() + 1; }

node other_end(edge e, node v) { return e->source == v ? e->target : e->source; }

edge adj_succ(edge e, node v, int i) { return e->succ_adj_edge[link_pair(e, v, i)]; }

// The test proper; not_map is set when embed was asked for a graph whose
// edges cannot all be paired.
bool planar_test(graph& G, bool embed, bool& not_map) {
  not_map = false;
  if (G.number_of_edges() == 0) return true;

  list<edge> B;
  if (embed) {
    if (!G.make_map()) {
      // Embedding would read the reversal of an unpaired edge.
      std_error_handler(1, "BL_PLANAR: can only embed maps.");
      not_map = true;
      return false;
    }
    Make_Biconnected(G, B);
    list<edge> added(B);
    for (dlink* it = added.first(); it != nullptr; it = it->succ) {
      edge e = added.contents(it);
      edge r = G.new_edge(e->target, e->source);
      B.push(r);
      G.set_reversal(e, r);
    }
  } else {
    Make_Biconnected(G, B);
  }

  node_array<int> numbers(G, 0);
  list<node> L;
  ST_NUMBERING(G, numbers, L, nullptr);
  bool result = embed ? PLAN_EMBED(G, numbers, L) : PLANTEST(G, numbers, L);

  for (dlink* it = B.first(); it != nullptr; it = it->succ) G.del_edge(B.contents(it));
  return result;
}

}  // namespace

bool PLANAR(graph& G, bool embed) { return BL_PLANAR(G, embed); }

bool BL_PLANAR(graph& G, bool embed) {
  bool not_map;
  return planar_test(G, embed, not_map);
}

bool Is_Planar(const graph& G) {
  graph copy(G);
  return PLANAR(copy, false);
}

bool PLANTEST(graph& G, node_array<int>& numbers, list<node>& L) {
  int n = G.number_of_nodes();
  if (n <= 4) return true;

  pq_tree T(G.max_edge_index + 1);
  list<int> out;
  int i = 1;
  for (dlink* it = L.first(); it != nullptr; it = it->succ) {
    node v = L.contents(it);
    list<int> S;
    list<int> U;
    for (int j = 0; j < 2; j++) {
      for (edge e = v->first_adj_edge[j]; e != nullptr; e = adj_succ(e, v, j)) {
        int w = numbers[other_end(e, v)];
        if (w < i) S.append(label(e));
        if (w > i) U.append(label(e));
      }
    }
    if (!T.replace(S, U, out)) break;
    i++;
  }
  return i == n + 1;
}

int PLAN_EMBED_K(graph& G, node_array<int>& numbers, list<node>& L) {
  int n = G.number_of_nodes();
  // Nothing to add: every node counts as added.
  if (G.number_of_edges() == 0) return n;
  if (!Is_Map(G)) {
    // Every step reads the reversal of the edges it adds.
    std_error_handler(1, "PLAN_EMBED_K: graph is not a map.");
    return 0;
  }

  pq_tree T(G.max_edge_index + 1);
  std::vector<list<int>> seq(static_cast<size_t>(n) + 1);
  std::vector<edge> E(static_cast<size_t>(G.max_edge_index) + 2, nullptr);
  for (graph_object* x = G.e_list.head; x != nullptr; x = x->succ) {
    edge e = static_cast<edge>(x);
    E[static_cast<size_t>(label(e))] = e;
  }

  int k = 1;
  for (dlink* it = L.first(); it != nullptr; it = it->succ) {
    node v = L.contents(it);
    list<int> S;
    list<int> U;
    for (edge e = v->first_adj_edge[0]; e != nullptr; e = adj_succ(e, v, 0)) {
      int w = numbers[e->target];
      if (w < k) S.append(label(e));
      // The pair is one leaf, named by the edge that points down.
      if (w > k) U.append(label(e->rev));
    }
    if (!T.replace(S, U, seq[static_cast<size_t>(k)])) break;
    k++;
  }

  // Nodes without edges may be left out of L.
  if (k > 1 && k == L.length() + 1) {
    node_array<list<edge>> A(G);
    // From the top down: every reversal marker for list j is pushed while a
    // higher-numbered list is read, so it is in place before list j is read.
    int j = k - 1;
    for (dlink* it = L.last(); j > 1; it = it->pred, j--) {
      node v = L.contents(it);
      list<int>& s = seq[static_cast<size_t>(j)];
      int d = 1;
      int x = s.pop();
      if (x == -1) {
        d = -1;
        x = s.pop();
      }
      for (int c = x; c > 0; c--) {
        int y = s.pop();
        if (d * y < 0) seq[static_cast<size_t>(-d * y)].push(-1);
      }
      list<edge>& a = A[v];
      while (!s.empty()) {
        edge e = E[static_cast<size_t>(s.pop())];
        if (d == 1)
          a.append(e);
        else
          a.push(e);
      }
    }
    embedding(G, L.back(), numbers, A);
  }
  return k - 1;
}

bool PLAN_EMBED(graph& G, node_array<int>& numbers, list<node>& L) {
  return PLAN_EMBED_K(G, numbers, L) == G.number_of_nodes();
}

void embedding(graph& G, node t, node_array<int>& numbers, node_array<list<edge>>& A) {
  list<edge> R;
  for (graph_object* x = G.v_list.head; x != nullptr; x = x->succ) {
    const list<edge>& a = A[static_cast<node>(x)];
    for (dlink* it = a.first(); it != nullptr; it = it->succ) R.append(a.contents(it));
  }
  LMDFS(G, t, A, numbers, R);

  edge_map<bool> done(G, false);
  for (graph_object* x = G.v_list.head; x != nullptr; x = x->succ) {
    node v = static_cast<node>(x);
    for (edge e = v->first_adj_edge[0]; e != nullptr; e = adj_succ(e, v, 0)) {
      if (e->target != v || done[e]) continue;
      R.append(e);
      R.append(e->rev);
      done[e] = true;
      done[e->rev] = true;
    }
  }
  G.sort_edges(R);
}

void LMDFS(graph&, node v, const node_array<list<edge>>& A, node_array<int>& mark, list<edge>& R) {
  // An explicit stack in place of recursion (a walk can be as deep as the
  // graph has nodes); each frame holds a node and its next edge of A.
  if (mark[v] < 0) return;
  mark[v] = -1;
  std::vector<std::pair<node, dlink*>> frames;
  frames.emplace_back(v, A[v].first());
  while (!frames.empty()) {
    node u = frames.back().first;
    dlink* it = frames.back().second;
    if (it == nullptr) {
      frames.pop_back();
      continue;
    }
    frames.back().second = it->succ;
    edge e = A[u].contents(it);
    R.push(e->rev);
    node w = e->target;
    if (mark[w] < 0) continue;
    mark[w] = -1;
    frames.emplace_back(w, A[w].first());
  }
}

std::ostream& operator<<(std::ostream& out, const node_array<node>&) { return out; }
std::istream& operator>>(std::istream& in, node_array<node>&) { return in; }

void graph::make_planar_map() {
  if (!make_map()) {
    std_error_handler(1, "graph::make_planar_map: graph is not bidirected");
    return;
  }
  // Faces of a rotation that is not planar would be meaningless.
  if (!PLANAR(*this, true)) {
    std_error_handler(1, "graph::make_planar_map: Graph is not planar.");
    return;
  }
  compute_faces();
}

}  // namespace graphlib
