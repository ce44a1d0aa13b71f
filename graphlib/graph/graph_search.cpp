#include "graphlib/graph/graph_search.h"

#include "graphlib/graph/internal/list0_dfs.h"

namespace graphlib {

namespace {

node other_end(edge e, node v) { return e->source == v ? e->target : e->source; }

// v's successor of e in v's list i, by the link-pair rule.
edge adj_succ(edge e, node v, int i) { return e->succ_adj_edge[link_pair(e, v, i)]; }

}  // namespace

list<node> DFS(const graph&, node s, node_array<bool>& reached) {
  list<node> L;
  dfs(s, reached, L);
  return L;
}

void dfs(node v, node_array<bool>& reached, list<node>& L) {
  L.append(v);
  reached[v] = true;
  internal::list0_dfs(v, [&](edge e, node u) -> node {
    node w = other_end(e, u);
    if (reached[w]) return nullptr;
    L.append(w);
    reached[w] = true;
    return w;
  });
}

edge bi_bfs(const graph&, node s, node_array<int>& side, node_array<node>& pred) {
  list<node> Q;
  Q.append(s);
  side[s] = 0;
  while (!Q.empty()) {
    node v = Q.head();
    for (int i = 0; i < 2; i++) {
      for (edge e = v->first_adj_edge[i]; e != nullptr; e = adj_succ(e, v, i)) {
        node w = other_end(e, v);
        if (side[w] == side[v]) return e;
        if (side[w] == -1) {
          Q.append(w);
          pred[w] = v;
          side[w] = 1 - side[v];
        }
      }
    }
    Q.pop();
  }
  return nullptr;
}

bool Is_Bipartite(const graph& G, list<node>& A, list<node>& B) {
  node_array<int> side(G, -1);
  node_array<node> pred(G, nullptr);
  for (graph_object* x = G.v_list.head; x != nullptr; x = x->succ) {
    node v = static_cast<node>(x);
    if (side[v] != -1) continue;
    edge e = bi_bfs(G, v, side, pred);
    if (e == nullptr) continue;
    // The odd cycle: e closes it, the two tree paths from its ends meet at
    // their lowest common ancestor z.
    node s = e->source;
    node t = e->target;
    for (node y = s; y != nullptr; y = pred[y]) side[y] = -1;
    node z = t;
    while (side[z] != -1) {
      A.append(z);
      z = pred[z];
    }
    A.append(z);
    for (node y = s; y != z; y = pred[y]) A.push(y);
    return false;
  }
  for (graph_object* x = G.v_list.head; x != nullptr; x = x->succ) {
    node v = static_cast<node>(x);
    if (side[v] == 0)
      A.append(v);
    else if (side[v] == 1)
      B.append(v);
  }
  return true;
}

}  // namespace graphlib
