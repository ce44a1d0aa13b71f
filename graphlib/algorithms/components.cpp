#include "graphlib/algorithms/components.h"

#include "graphlib/base/stack.h"
#include "graphlib/graph/internal/graph_adjacency.h"

namespace graphlib {

namespace {

// The number of the component being searched.
int count = 0;

// Numbers every node reachable from v through unnumbered nodes with count.
// A node is numbered when it is pushed, so it is pushed once.
void dfs(const graph&, node v, node_array<int>& compnum) {
  stack<node> S;
  S.push(v);
  compnum[v] = count;
  while (!S.empty()) {
    node u = S.pop();
    for (int i = 0; i < 2; i++) {
      for (edge e = first_in_list(u, i); e != nullptr; e = next_in_list(e, u, i)) {
        node w = other_end(e, u);
        if (compnum[w] == -1) {
          compnum[w] = count;
          S.push(w);
        }
      }
    }
  }
}

}  // namespace

int COMPONENTS(const graph& G, node_array<int>& compnum) {
  for (graph_object* x = G.v_list.head; x != nullptr; x = x->succ) compnum[static_cast<node>(x)] = -1;
  count = 0;
  for (graph_object* x = G.v_list.head; x != nullptr; x = x->succ) {
    node v = static_cast<node>(x);
    if (compnum[v] != -1) continue;
    dfs(G, v, compnum);
    count++;
  }
  return count;
}

int COMPONENTS1(const graph& G, node_array<int>& compnum) {
  node_partition P(G);
  for (graph_object* x = G.v_list.head; x != nullptr; x = x->succ) compnum[static_cast<node>(x)] = -1;
  for (graph_object* x = G.e_list.head; x != nullptr; x = x->succ) {
    edge e = static_cast<edge>(x);
    P.union_blocks(e->source, e->target);
  }
  int c = 0;
  for (graph_object* x = G.v_list.head; x != nullptr; x = x->succ) {
    node v = static_cast<node>(x);
    node r = P.find(v);
    if (compnum[r] == -1) compnum[r] = c++;
    compnum[v] = compnum[r];
  }
  return c;
}

node_partition::node_partition(const graph& G) : partition(), item_of(G, nullptr) { init(G); }

node_partition::~node_partition() {
  // item_of goes with the members; the items are given back here, while the
  // partition is still whole.
  partition::clear();
}

void node_partition::init(const graph& G) {
  for (graph_object* x = G.v_list.head; x != nullptr; x = x->succ) {
    node v = static_cast<node>(x);
    item_of[v] = new_block(v);
  }
}

void node_partition::split(const list<node>& L) {
  for (dlink* it = L.first(); it != nullptr; it = it->succ) reset(item_of[L.contents(it)]);
  for (dlink* it = L.first(); it != nullptr; it = it->succ) {
    node v = L.contents(it);
    partition::find(item_of[v])->inf = v;
  }
}

}  // namespace graphlib
