#include "graphlib/algorithms/kuratowski.h"

#include <utility>
#include <vector>

#include "graphlib/algorithms/biconnected.h"
#include "graphlib/algorithms/graph_properties.h"
#include "graphlib/algorithms/st_number.h"
#include "graphlib/algorithms/internal/kuratowski_case.h"
#include "graphlib/base/error.h"
#include "graphlib/graph/internal/list0_dfs.h"

namespace graphlib {

int kuratowski_last_case = 0;

namespace {

node other_end(edge e, node v) { return e->source == v ? e->target : e->source; }

edge adj_succ(edge e, node v, int i) { return e->succ_adj_edge[link_pair(e, v, i)]; }

// Neighbours of e in the cyclic order of its source's out-list.
edge cyclic_succ(edge e) {
  node v = e->source;
  edge f = adj_succ(e, v, 0);
  return f != nullptr ? f : v->first_adj_edge[0];
}

edge cyclic_pred(edge e) {
  node v = e->source;
  edge f = e->pred_adj_edge[link_pair(e, v, 0)];
  return f != nullptr ? f : v->last_adj_edge[0];
}

void append_all(list<edge>& L, const list<edge>& M) {
  for (dlink* it = M.first(); it != nullptr; it = it->succ) L.append(M.contents(it));
}

// The search over the bush graph B: the embedded part of G (the nodes whose
// step succeeded) with every edge that leaves it cut off at a virtual node.
class kuratowski_search {
 public:
  explicit kuratowski_search(graph& G) : G(G) {}

  void run();
  // Moves the witness found by run (nothing when G was refused) to the end of L.
  void append_witness(list<edge>& L) { L.conc(W); }

 private:
  // Every node with an edge is numbered, and every numbered node but s and t
  // has a lower and a higher neighbour.
  bool is_st_numbering(const list<node>& st) const;
  void build_bush();
  void compute_representatives();
  // Passes over the depth-first order; true when Case 1 or 2 was output.
  bool mixed_passes();
  // From entry q on, the children of x (in out-list order) whose subtrees
  // hold virtual nodes of both kinds; with own_block only those that begin a
  // block of their own.
  void mixed_children(node x, node o[3], node p[3], int q, bool own_block);
  bool examine_blocks();
  bool examine_block(node x, edge e);

  bool is_child(node y, node x) const {
    return y != sc && tree[y] != nullptr && tree[y]->source == x;
  }
  node parent(node x) const { return tree[x]->source; }
  bool same_block_as_parent(node x) const {
    node p = parent(x);
    return p != sc && block[tree[x]] == block[tree[p]];
  }
  bool is_virtual(node x) const { return bnum[x] > k; }

  void redo_dfs(node x);
  // Pieces of the output, appended to W.
  void add_b_tree(node a, node b, node c);
  node add_g_tree(node a, node b, node c);
  void add_cycle(const list<edge>& C);
  void output_three_components(node x, node o[3], node p[3]);
  void reduce_case5();

  graph& G;
  // Built apart from the caller's list, which may hold anything: Case 5
  // reads back all it has collected.
  list<edge> W;

  node_array<int> number;
  node s = nullptr;
  node t = nullptr;
  int k = 0;

  GRAPH<node, edge> B;
  list<node> NL;
  node_array<int> bnum;
  node sc = nullptr;      // the copy of s
  node stnode = nullptr;  // the virtual node of the edge s-t

  list<node> D;
  node_array<int> dfsnum;
  node_array<edge> tree;
  edge_array<int> block;
  int blocks = 0;
  node_array<edge> up;

  node_array<node> prep, orep, child_p, child_o, root_p, outside_p, c1, c2;
  node_array<int> mixed;
};

void kuratowski_search::run() {
  kuratowski_last_case = 0;
  if (!Is_Map(G)) {
    // The test below reads the reversal of every edge.
    std_error_handler(1, "Kuratowski: graph is not a map.");
    return;
  }
  // The search assumes both; a second copy of an edge would be listed in the
  // witness beside the first.
  if (!Is_Loopfree(G)) {
    std_error_handler(1, "Kuratowski: graph has self-loops.");
    return;
  }
  if (!Is_Simple(G)) {
    std_error_handler(1, "Kuratowski: graph has parallel edges.");
    return;
  }
  number.init(G, 0);
  list<node> st;
  ST_NUMBERING(G, number, st, nullptr);
  // Without a given edge the numbering starts at the first node, which may
  // have no edge to another node; then start from an edge of G that has.
  for (graph_object* ox = G.e_list.head; ox != nullptr && st.empty(); ox = ox->succ) {
    edge e = static_cast<edge>(ox);
    if (e->source != e->target) ST_NUMBERING(G, number, st, e);
  }
  if (st.empty()) {
    // No edge between two nodes: nothing to embed.
    std_error_handler(1, "Kuratowski: G must be non-planar");
    return;
  }
  s = st.head();
  t = st.tail();
  if (!is_st_numbering(st)) {
    // Only a biconnected graph has one; the bush graph would miss nodes.
    std_error_handler(1, "Kuratowski: graph is not biconnected.");
    return;
  }

  k = PLAN_EMBED_K(G, number, st);
  // Nodes without edges are not in st.
  if (k == st.length()) {
    // PLAN_EMBED_K has embedded G by now.
    std_error_handler(1, "Kuratowski: G must be non-planar");
    return;
  }

  for (dlink* it = st.first(); it != nullptr; it = it->succ) {
    node v = st.contents(it);
    if (number[v] > k) break;
    NL.append(B.new_node(v));
  }
  build_bush();
  compute_representatives();
  if (mixed_passes()) return;
  examine_blocks();
}

bool kuratowski_search::is_st_numbering(const list<node>& st) const {
  for (graph_object* ox = G.e_list.head; ox != nullptr; ox = ox->succ) {
    edge e = static_cast<edge>(ox);
    if (number[e->source] == 0 || number[e->target] == 0) return false;
  }
  for (dlink* it = st.first(); it != nullptr; it = it->succ) {
    node v = st.contents(it);
    bool lower = v == s;
    bool higher = v == t;
    for (edge e = v->first_adj_edge[0]; e != nullptr && !(lower && higher); e = adj_succ(e, v, 0)) {
      lower = lower || number[e->target] < number[v];
      higher = higher || number[e->target] > number[v];
    }
    if (!lower || !higher) return false;
  }
  return true;
}

void kuratowski_search::build_bush() {
  node_array<node> copy(G, nullptr);
  for (dlink* it = NL.first(); it != nullptr; it = it->succ) copy[B.inf(NL.contents(it))] = NL.contents(it);

  node super = B.new_node();
  for (graph_object* ox = G.v_list.head; ox != nullptr; ox = ox->succ) {
    node v = static_cast<node>(ox);
    if (number[v] > k) continue;
    for (edge e = v->first_adj_edge[0]; e != nullptr; e = adj_succ(e, v, 0)) {
      node w = e->target;
      if (w == v || number[v] > number[w]) continue;
      node x;
      if (number[w] > k) {
        x = B.new_node(w);
        NL.append(x);
        B.set_reversal(B.new_edge(super, x), B.new_edge(x, super));
      } else {
        x = copy[w];
      }
      B.set_reversal(B.new_edge(copy[v], x, e), B.new_edge(x, copy[v], e->rev));
    }
  }

  sc = copy[s];
  for (edge e = sc->first_adj_edge[0]; e != nullptr; e = adj_succ(e, sc, 0))
    if (B.inf(e->target) == t) stnode = e->target;
  B.set_reversal(B.new_edge(super, sc), B.new_edge(sc, super));
  NL.append(super);

  // An st-numbering of B from the copy of s to the super node; embedding B
  // puts every virtual node and s on one face.
  bnum.init(B, 0);
  int i = 1;
  for (dlink* it = NL.first(); it != nullptr; it = it->succ) bnum[NL.contents(it)] = i++;
  PLAN_EMBED(B, bnum, NL);
  i = 1;
  for (dlink* it = NL.first(); it != nullptr; it = it->succ) bnum[NL.contents(it)] = i++;
  B.del_node(super);
  NL.pop_back();
}

void kuratowski_search::compute_representatives() {
  dfsnum.init(B, -1);
  tree.init(B, nullptr);
  int count = 0;
  DFS(B, sc, D, dfsnum, count, tree);

  block.init(B, 0);
  blocks = BICONNECTED_COMPONENTS(B, block);

  // A tree of the part not yet embedded: every node above k climbs by its
  // first edge to a higher-numbered node, up to t.
  up.init(G, nullptr);
  for (graph_object* ox = G.v_list.head; ox != nullptr; ox = ox->succ) {
    node v = static_cast<node>(ox);
    if (number[v] <= k) continue;
    for (edge e = v->first_adj_edge[0]; e != nullptr; e = adj_succ(e, v, 0)) {
      if (number[e->target] > number[v]) {
        up[v] = e->rev;
        break;
      }
    }
  }

  for (node_array<node>* a : {&prep, &orep, &child_p, &child_o, &root_p, &outside_p, &c1, &c2}) a->init(B, nullptr);
  mixed.init(B, 0);
  for (graph_object* ox = B.v_list.head; ox != nullptr; ox = ox->succ) {
    node x = static_cast<node>(ox);
    if (!is_virtual(x)) continue;
    if (number[B.inf(x)] == k + 1)
      prep[x] = x;
    else
      orep[x] = x;
  }
}

void kuratowski_search::mixed_children(node x, node o[3], node p[3], int q, bool own_block) {
  for (edge e = x->first_adj_edge[0]; e != nullptr && q < 3; e = adj_succ(e, x, 0)) {
    node y = e->target;
    if (!is_child(y, x) || prep[y] == nullptr || orep[y] == nullptr) continue;
    if (own_block && x != sc && block[tree[y]] == block[tree[x]]) continue;
    o[q] = orep[y];
    p[q] = prep[y];
    q++;
  }
}

bool kuratowski_search::mixed_passes() {
  // Passes 1 to 3 see every node after all of its descendants.
  for (dlink* it = D.last(); it != nullptr; it = it->pred) {
    node x = D.contents(it);
    if (x == sc) continue;
    node p = parent(x);
    assign(prep[p], prep[x]);
    assign(orep[p], orep[x]);
  }

  for (dlink* it = D.last(); it != nullptr; it = it->pred) {
    node x = D.contents(it);
    if (mixed[x] > 2) {
      // Three mixed components below x.
      node o[3];
      node p[3];
      mixed_children(x, o, p, 0, false);
      kuratowski_last_case = 1;
      output_three_components(x, o, p);
      return true;
    }
    if (x == sc || same_block_as_parent(x)) continue;
    node p = parent(x);
    if (prep[x] != nullptr && orep[x] != nullptr) mixed[p]++;
    assign(child_p[p], prep[x]);
    assign(child_o[p], orep[x]);
  }

  for (dlink* it = D.last(); it != nullptr; it = it->pred) {
    node x = D.contents(it);
    if (x == sc || !same_block_as_parent(x)) continue;
    assign(root_p[parent(x)], prep[x]);
  }

  for (dlink* it = D.first(); it != nullptr; it = it->succ) {
    node x = D.contents(it);
    assign(root_p[x], outside_p[x]);
    if (mixed[x] == 2 && root_p[x] != nullptr) {
      // Two mixed components below x and a pertinent node through its root.
      node o[3] = {stnode, nullptr, nullptr};
      node p[3] = {root_p[x], nullptr, nullptr};
      mixed_children(x, o, p, 1, true);
      kuratowski_last_case = 2;
      output_three_components(x, o, p);
      return true;
    }
    if (outside_p[x] == nullptr) {
      for (edge e = x->first_adj_edge[0]; e != nullptr; e = adj_succ(e, x, 0)) {
        node y = e->target;
        if (!is_child(y, x) || prep[y] == nullptr) continue;
        if (c1[x] == nullptr)
          c1[x] = y;
        else
          c2[x] = y;
      }
      if (c1[x] == nullptr) continue;
      for (edge e = x->first_adj_edge[0]; e != nullptr; e = adj_succ(e, x, 0)) {
        node y = e->target;
        if (!is_child(y, x)) continue;
        if (y != c1[x])
          outside_p[y] = prep[c1[x]];
        else if (c2[x] != nullptr)
          outside_p[y] = prep[c2[x]];
      }
    } else {
      for (edge e = x->first_adj_edge[0]; e != nullptr; e = adj_succ(e, x, 0)) {
        node y = e->target;
        if (is_child(y, x)) outside_p[y] = outside_p[x];
      }
    }
  }
  return false;
}

bool kuratowski_search::examine_blocks() {
  std::vector<bool> visited(static_cast<size_t>(blocks > 0 ? blocks : 0), false);
  for (dlink* it = D.first(); it != nullptr; it = it->succ) {
    node x = D.contents(it);
    for (edge e = x->first_adj_edge[0]; e != nullptr; e = adj_succ(e, x, 0)) {
      int b = block[e];
      if (block[cyclic_succ(e)] != b || block[cyclic_pred(e)] == b) continue;
      if (visited[static_cast<size_t>(b)]) continue;
      visited[static_cast<size_t>(b)] = true;
      if (examine_block(x, e)) return true;
    }
  }
  return false;
}

bool kuratowski_search::examine_block(node x, edge e) {
  // The boundary cycle of e's block on the face that holds the rest of B.
  list<edge> C;
  edge cur = e;
  edge f = cyclic_succ(e);
  const int limit = B.number_of_edges();
  do {
    for (edge g = cyclic_succ(f); block[g] == block[cur] && g != cur; g = cyclic_succ(f)) f = g;
    C.append(f);
    cur = f->rev;
    f = cyclic_succ(cur);
    if (C.length() > limit) return false;
  } while (cur != e);

  node pk = root_p[x];
  for (node y : {c1[x], c2[x]})
    if (pk == nullptr && y != nullptr && block[tree[y]] != block[e]) pk = prep[y];

  // Cases 3 and 4: four attachments on the cycle, alternately reaching the
  // node whose step failed and the rest of the part not yet embedded.
  for (int i = 1; i >= 0; i--) {
    node y[4] = {x, nullptr, nullptr, nullptr};
    node z[4] = {i == 1 ? stnode : pk, nullptr, nullptr, nullptr};
    if (z[0] == nullptr) continue;
    int j = 1;
    for (dlink* it = C.first()->succ; it != nullptr && j < 4; it = it->succ) {
      node a = C.contents(it)->source;
      bool want_p = (i == 1) == (j != 2);
      node r = want_p ? child_p[a] : child_o[a];
      if (r == nullptr) continue;
      y[j] = a;
      z[j] = r;
      j++;
    }
    if (j < 4) continue;
    kuratowski_last_case = i == 1 ? 3 : 4;
    add_cycle(C);
    for (int q = 0; q < 4; q++) add_b_tree(y[q], y[q], z[q]);
    if (i == 1)
      add_g_tree(B.inf(z[0]), B.inf(z[1]), B.inf(z[2]));
    else
      add_g_tree(B.inf(z[3]), B.inf(z[1]), B.inf(z[2]));
    return true;
  }

  if (pk == nullptr) return false;
  // Case 5: three attachments on the cycle that each reach both kinds.
  node y[3] = {x, nullptr, nullptr};
  node p[3] = {pk, nullptr, nullptr};
  node o[3] = {stnode, nullptr, nullptr};
  int j = 1;
  for (dlink* it = C.first()->succ; it != nullptr && j < 3; it = it->succ) {
    node a = C.contents(it)->source;
    if (child_p[a] == nullptr || child_o[a] == nullptr) continue;
    y[j] = a;
    p[j] = child_p[a];
    o[j] = child_o[a];
    j++;
  }
  if (j < 3) return false;
  kuratowski_last_case = 5;
  add_cycle(C);
  for (int q = 0; q < 3; q++) add_b_tree(p[q], o[q], y[q]);
  node r = add_g_tree(B.inf(o[1]), B.inf(o[2]), B.inf(p[0]));
  add_g_tree(r, r, t);
  reduce_case5();
  return true;
}

void kuratowski_search::redo_dfs(node x) {
  D.clear();
  dfsnum.init(B, -1);
  tree.init(B, nullptr);
  int count = 0;
  DFS(B, x, D, dfsnum, count, tree);
}

void kuratowski_search::add_b_tree(node a, node b, node c) {
  list<edge> M;
  join(a, b, c, tree, B, M);
  translate_to_G(M, B);
  append_all(W, M);
}

node kuratowski_search::add_g_tree(node a, node b, node c) {
  list<edge> M;
  node r = join(a, b, c, up, G, M);
  append_all(W, M);
  return r;
}

void kuratowski_search::add_cycle(const list<edge>& C) {
  for (dlink* it = C.first(); it != nullptr; it = it->succ) W.append(B.inf(C.contents(it)));
}

void kuratowski_search::output_three_components(node x, node o[3], node p[3]) {
  redo_dfs(x);
  for (int q = 0; q < 3; q++) add_b_tree(o[q], p[q], x);
  add_g_tree(B.inf(o[0]), B.inf(o[1]), B.inf(o[2]));
}

void kuratowski_search::reduce_case5() {
  // The collected edges may hold more than a subdivision: contract its paths
  // between branch nodes and keep a minimal non-planar set of those paths.
  edge_array<bool> marked(G, false);
  node_array<int> degree(G, 0);
  for (dlink* it = W.first(); it != nullptr; it = it->succ) {
    edge e = W.contents(it);
    if (marked[e]) continue;
    marked[e] = true;
    degree[e->source]++;
    degree[e->target]++;
  }

  GRAPH<node, list<edge>> R;
  node_array<node> branch(G, nullptr);
  for (graph_object* ox = G.v_list.head; ox != nullptr; ox = ox->succ) {
    node v = static_cast<node>(ox);
    if (degree[v] > 2) branch[v] = R.new_node(v);
  }

  for (graph_object* ox = G.v_list.head; ox != nullptr; ox = ox->succ) {
    node v = static_cast<node>(ox);
    if (branch[v] == nullptr) continue;
    for (int i = 0; i < 2; i++) {
      for (edge e = v->first_adj_edge[i]; e != nullptr; e = adj_succ(e, v, i)) {
        if (!marked[e]) continue;
        list<edge> path;
        node cur = v;
        edge f = e;
        while (f != nullptr) {
          marked[f] = false;
          path.append(f);
          cur = other_end(f, cur);
          if (branch[cur] != nullptr) {
            R.new_edge(branch[v], branch[cur], path);
            break;
          }
          // A path that ends before a branch node belongs to no subdivision.
          edge g = nullptr;
          for (int h = 0; h < 2 && g == nullptr; h++)
            for (edge a = cur->first_adj_edge[h]; a != nullptr && g == nullptr; a = adj_succ(a, cur, h))
              if (marked[a]) g = a;
          f = g;
        }
      }
    }
  }

  list<edge> K;
  KURATOWSKI_SIMPLE(R, K);
  W.clear();
  for (dlink* it = K.first(); it != nullptr; it = it->succ) append_all(W, R.inf(K.contents(it)));
}

}  // namespace

bool PLANAR(graph& G, list<edge>& K, bool embed) { return BL_PLANAR(G, K, embed); }

bool BL_PLANAR(graph& G, list<edge>& K, bool embed) {
  if (BL_PLANAR(G, embed)) return true;
  if (embed && !G.make_map()) {
    // Already reported: the answer came from the pairing, not from the test.
    K.clear();
    return false;
  }

  edge_array<int> comp(G, 0);
  int c = BICONNECTED_COMPONENTS(G, comp);
  GRAPH<node, edge> H;
  if (c == 1) {
    CopyGraph(H, G);
    Delete_Loops(H);
  } else {
    node_array<node> copy(G, nullptr);
    std::vector<list<edge>> EL(static_cast<size_t>(c));
    std::vector<list<node>> VL(static_cast<size_t>(c));
    for (graph_object* ox = G.e_list.head; ox != nullptr; ox = ox->succ) {
      edge e = static_cast<edge>(ox);
      if (e->source == e->target) continue;
      size_t i = static_cast<size_t>(comp[e]);
      EL[i].append(e);
      VL[i].append(e->source);
      VL[i].append(e->target);
    }
    for (size_t i = 0; i < EL.size(); i++) {
      H.clear();
      for (dlink* it = VL[i].first(); it != nullptr; it = it->succ) {
        node v = VL[i].contents(it);
        if (copy[v] == nullptr) copy[v] = H.new_node(v);
      }
      for (dlink* it = EL[i].first(); it != nullptr; it = it->succ) {
        edge e = EL[i].contents(it);
        H.new_edge(copy[e->source], copy[e->target], e);
      }
      for (dlink* it = VL[i].first(); it != nullptr; it = it->succ) copy[VL[i].contents(it)] = nullptr;
      if (!BL_PLANAR(H, false)) break;
    }
  }

  K.clear();
  Make_Simple(H);
  list<edge> R;
  H.make_map(R);
  for (dlink* it = R.first(); it != nullptr; it = it->succ) {
    edge r = R.contents(it);
    H.edge_info[r] = H.inf(r->rev);
  }
  Kuratowski(H, K);
  for (dlink* it = K.first(); it != nullptr; it = it->succ) K[it] = H.inf(K[it]);
  return false;
}

void Kuratowski(graph& G, list<edge>& L) {
  kuratowski_search search(G);
  search.run();
  search.append_witness(L);
}

void KURATOWSKI_SIMPLE(graph& G, list<edge>& L) {
  L.clear();
  if (BL_PLANAR(G, false)) {
    std_error_handler(1, "KURATOWSKI_SIMPLE: G is planar");
    return;
  }
  list<edge> E;
  for (graph_object* ox = G.e_list.head; ox != nullptr; ox = ox->succ) E.append(static_cast<edge>(ox));
  for (dlink* it = E.first(); it != nullptr; it = it->succ) {
    edge e = E.contents(it);
    G.hide_edge(e);
    if (BL_PLANAR(G, false)) {
      G.restore_edge(e);
      L.append(e);
    }
  }
  G.restore_all_edges();
}

void DFS(const graph&, node v, list<node>& L, node_array<int>& number, int& count, node_array<edge>& tree) {
  L.append(v);
  number[v] = count++;
  internal::list0_dfs(v, [&](edge e, node) -> node {
    node w = e->target;
    if (number[w] != -1) return nullptr;
    tree[w] = e;
    L.append(w);
    number[w] = count++;
    return w;
  });
}

node join(node a, node b, node c, const node_array<edge>& tree, graph& G, list<edge>& L) {
  L.clear();
  node_array<int> count(G, 0);
  for (node z : {a, b, c}) {
    for (node v = z; v != nullptr; v = tree[v] != nullptr ? tree[v]->source : nullptr) count[v]++;
  }
  node meet = nullptr;
  bool first = true;
  for (node z : {a, b, c}) {
    node v = z;
    while (count[v] <= 2 && tree[v] != nullptr) {
      L.append(tree[v]);
      count[v] = 3;
      v = tree[v]->source;
    }
    if (first) meet = v;
    first = false;
  }
  return meet;
}

void translate_to_G(list<edge>& L, const GRAPH<node, edge>& B) {
  for (dlink* it = L.first(); it != nullptr; it = it->succ) L[it] = B.inf(L[it]);
}

void assign(node& a, const node& b) {
  if (a == nullptr) a = b;
}

}  // namespace graphlib
