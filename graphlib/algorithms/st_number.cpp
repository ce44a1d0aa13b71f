#include "graphlib/algorithms/st_number.h"

#include "graphlib/algorithms/internal/incident_edges.h"
#include "graphlib/graph/internal/adjacency_dfs.h"

namespace graphlib {

namespace {

// The path buffer: a stack of distinct nodes threaded through a node array of
// successors, the last node being its own successor.
class node_slist {
 public:
  explicit node_slist(const graph& G) : succ_(G, nullptr), head_(nullptr) {}

  bool empty() const { return head_ == nullptr; }

  void push(node v) {
    succ_[v] = head_ != nullptr ? head_ : v;
    head_ = v;
  }

  node pop() {
    node x = head_;
    node s = succ_[x];
    head_ = s == x ? nullptr : s;
    succ_[x] = nullptr;
    return x;
  }

 private:
  node_array<node> succ_;
  node head_;
};

// Depth-first numbering from v with low values: low_edge[v] is the edge at v
// through which low[v] was last lowered (first in the fixed edge order among
// equals; the edge to the parent counts). Runs on an explicit stack, since a
// path can be as long as the graph has nodes; the results are those of the
// recursive search.
void ST_DFS(node v, int& counter, node_array<int>& dfsnum, node_array<int>& low, node_array<edge>& tree,
            node_array<edge>& low_edge) {
  dfsnum[v] = low[v] = counter++;
  internal::adjacency_dfs<2>(
      v,
      [&](edge f, node u) -> node {
        node w = other_end(f, u);
        if (w == u) return nullptr;
        if (dfsnum[w] == 0) {
          tree[w] = f;
          dfsnum[w] = low[w] = counter++;
          return w;
        }
        if (dfsnum[w] < low[u]) {
          low[u] = dfsnum[w];
          low_edge[u] = f;
        }
        return nullptr;
      },
      [&](node u, node p) -> node {
        if (low[u] < low[p]) {
          low[p] = low[u];
          low_edge[p] = tree[u];
        }
        return nullptr;
      });
}

// Walks from w along the edges of next_edge until a placed node, placing the
// nodes and consuming the edges on the way; the walked nodes go onto path,
// the placed node that ends the walk does not.
void FINDPATH(node w, node_array<bool>& placed, edge_array<bool>& used, const node_array<edge>& next_edge,
              node_slist& path) {
  for (node x = w; !placed[x];) {
    edge f = next_edge[x];
    path.push(x);
    placed[x] = true;
    used[f] = true;
    x = other_end(f, x);
  }
}

}  // namespace

node ST_NUMBERING(const graph& G, node_array<int>& number, list<node>& L, edge e) {
  L.clear();
  node first = static_cast<node>(G.v_list.head);
  if (first == nullptr) return nullptr;
  if (G.number_of_nodes() == 1) {
    number[first] = 1;
    L.append(first);
    return first;
  }

  node s;
  node t;
  if (e != nullptr) {
    s = e->source;
    t = e->target;
    if (s == t) return nullptr;
  } else {
    t = first;
    incident_edges at(t);
    do e = at.next();
    while (e != nullptr && other_end(e, t) == t);
    if (e == nullptr) return nullptr;
    s = other_end(e, t);
  }

  node_array<int> dfsnum(G, 0);
  node_array<int> low(G, 0);
  node_array<edge> tree(G, nullptr);
  node_array<edge> low_edge(G, nullptr);
  // t is the root whose only tree edge is e; it is never searched from.
  tree[t] = e;
  dfsnum[t] = 1;
  low[t] = 1;
  tree[s] = e;
  int counter = 2;
  ST_DFS(s, counter, dfsnum, low, tree, low_edge);

  edge_array<bool> used(G, false);
  node_array<bool> placed(G, false);
  placed[s] = true;
  placed[t] = true;
  used[e] = true;
  L.push(t);
  L.push(s);

  // Each path found at v goes in right behind v, in walk order (the buffer
  // hands it out last node first), so the walk reaches it next.
  node_slist path(G);
  int k = 1;
  for (list<node>::item it = L.first(); it != nullptr; it = L.succ(it)) {
    node v = L[it];
    number[v] = k++;
    incident_edges at(v);
    for (edge f = at.next(); f != nullptr; f = at.next()) {
      if (used[f]) continue;
      used[f] = true;
      node w = other_end(f, v);
      if (w == v) continue;
      if (tree[w] == f)
        FINDPATH(w, placed, used, low_edge, path);
      else if (dfsnum[v] < dfsnum[w])
        FINDPATH(w, placed, used, tree, path);
      while (!path.empty()) L.insert(path.pop(), it);
    }
  }
  return s;
}

}  // namespace graphlib
