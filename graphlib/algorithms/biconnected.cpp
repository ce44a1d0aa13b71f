#include "graphlib/algorithms/biconnected.h"

#include "graphlib/algorithms/internal/incident_edges.h"
#include "graphlib/base/stack.h"
#include "graphlib/graph/internal/adjacency_dfs.h"

namespace graphlib {

namespace {

// The nodes popped from S down to v form the component closed above the edge
// father[v]-v; each edge is numbered from its end with the larger dfsnum.
void close_component(node v, edge_array<int>& compnum, const node_array<int>& dfsnum, stack<node>& S,
                     int& num_com) {
  node w;
  do {
    w = S.pop();
    incident_edges at(w);
    for (edge e = at.next(); e != nullptr; e = at.next())
      if (dfsnum[other_end(e, w)] < dfsnum[w]) compnum[e] = num_com;
  } while (w != v);
  num_com++;
}

// The search from v, on an explicit stack: a path can be as long as the graph
// has nodes, too deep for the call stack. The numbering is that of the
// recursive search.
void bcc_dfs(node v, edge_array<int>& compnum, node_array<int>& dfsnum, node_array<int>& lowpt,
             node_array<node>& father, stack<node>& S, int& count, int& num_com) {
  lowpt[v] = dfsnum[v];
  internal::adjacency_dfs<2>(
      v,
      [&](edge e, node u) -> node {
        node w = other_end(e, u);
        if (dfsnum[w] == -1) {
          dfsnum[w] = ++count;
          S.push(w);
          father[w] = u;
          lowpt[w] = dfsnum[w];
          return w;
        }
        if (dfsnum[w] < lowpt[u]) lowpt[u] = dfsnum[w];
        return nullptr;
      },
      [&](node u, node f) -> node {
        if (lowpt[u] == dfsnum[f]) close_component(u, compnum, dfsnum, S, num_com);
        if (lowpt[u] < lowpt[f]) lowpt[f] = lowpt[u];
        return nullptr;
      });
}

bool has_edge_to_other_node(node v) {
  incident_edges at(v);
  for (edge e = at.next(); e != nullptr; e = at.next())
    if (other_end(e, v) != v) return true;
  return false;
}

}  // namespace

int BICONNECTED_COMPONENTS(const graph& G, edge_array<int>& compnum) {
  node_array<int> dfsnum(G, -1);
  node_array<int> lowpt(G, 0);
  node_array<node> father(G, nullptr);
  stack<node> S;
  int count = 0;
  int num_com = 0;
  int iso = 0;
  for (graph_object* x = G.v_list.head; x != nullptr; x = x->succ) {
    node v = static_cast<node>(x);
    if (dfsnum[v] != -1) continue;
    dfsnum[v] = ++count;
    if (!has_edge_to_other_node(v)) {
      iso++;
      continue;
    }
    S.push(v);
    bcc_dfs(v, compnum, dfsnum, lowpt, father, S, count, num_com);
    S.pop();
  }
  return num_com + iso;
}

}  // namespace graphlib
