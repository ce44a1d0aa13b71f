#include "graphlib/graph/bipartite_matching.h"

#include <cmath>
#include <iostream>

#include "graphlib/base/b_stack.h"
#include "graphlib/base/error.h"
#include "graphlib/base/queue.h"
#include "graphlib/graph/graph_search.h"

namespace graphlib {

int number_of_augmentations = 0;

namespace {

edge first_out(node v) { return v->first_adj_edge[0]; }
edge out_succ(edge e) { return e->succ_adj_edge[0]; }

template <class F>
void for_all(const list<node>& L, F f) {
  for (dlink* it = L.first(); it != nullptr; it = it->succ) f(L.contents(it));
}

// The out-edges of the nodes of B, in B's order.
list<edge> out_edges(const list<node>& B) {
  list<edge> out;
  for_all(B, [&](node b) {
    for (edge e = first_out(b); e != nullptr; e = out_succ(e)) out.append(e);
  });
  return out;
}

// Every edge from B to A turned back. Before the matching reversed any, every
// edge ran from A to B: whatever state a throwing handler left, this gives
// every edge its direction back.
void turn_back(graph& G, const list<node>& B) {
  for_all(B, [&](node b) {
    while (first_out(b) != nullptr) G.rev_edge(first_out(b));
  });
}

// Every edge numbered in node-list order and, per node, in out-list order:
// sorting by it puts every out-list back as it is now.
void number_edges(const graph& G, edge_array<int>& num) {
  int i = 0;
  for (graph_object* x = G.v_list.head; x != nullptr; x = x->succ)
    for (edge e = first_out(static_cast<node>(x)); e != nullptr; e = out_succ(e)) num[e] = i++;
}

}  // namespace

edge ce(node v, const graph&, const node_array<int>& dist, node_array<edge>& cur) {
  edge e = cur[v];
  if (e == nullptr) e = first_out(v);
  // The edge held in cur[v] is tested again: a label raised since makes it ineligible.
  while (e != nullptr && dist[e->target] != dist[v] - 1) e = out_succ(e);
  cur[v] = e;
  return e;
}

bool find_aug_path_by_bfs(graph& G, node a, node_array<bool>& free, node_array<edge>& pred, node_array<int>& label) {
  const int stamp = number_of_augmentations;
  queue<node> Q;
  Q.append(a);
  label[a] = stamp;
  while (!Q.empty()) {
    node v = Q.pop();
    for (edge e = first_out(v); e != nullptr;) {
      edge next = out_succ(e);
      node b = e->target;
      if (label[b] != stamp) {
        pred[b] = e;
        label[b] = stamp;
        if (free[b]) {
          free[b] = false;
          free[a] = false;
          node x = b;
          do {
            edge p = pred[x];
            x = p->source;
            G.rev_edge(p);
          } while (x != a);
          return true;
        }
        // A matched node of B has one out-edge: its matched edge.
        edge m = first_out(b);
        node c = m->target;
        pred[c] = m;
        label[c] = stamp;
        Q.append(c);
      }
      e = next;
    }
  }
  return false;
}

namespace {

// Whether A and B split G as the matching needs: no node listed twice (in one
// list or both), every visible edge from a node of A to a node of B. Otherwise
// the searches leave the sides, reverse edges that are never turned back, and
// may match a node twice or look for a matched edge that is not there.
// Checked before G is touched, so a failed assertion leaves G and NC as they were.
bool is_bipartition(const graph& G, const list<node>& A, const list<node>& B) {
  // First, as every later test reads the listed nodes: a node of another graph
  // may have an index beyond G's node arrays.
  for (const list<node>* S : {&A, &B}) {
    for (dlink* it = S->first(); it != nullptr; it = it->succ) {
      node v = S->contents(it);
      if (v == nullptr || v->owner != &G) {
        assert_error("v != nullptr && v->owner == &G", "_ABMP_matching", 93);
        return false;
      }
    }
  }
  // The edge test below would catch this too; it keeps its own assertion.
  for (dlink* it = B.first(); it != nullptr; it = it->succ) {
    node v = B.contents(it);
    if (G.outdeg(v) != 0) {
      assert_error("G.outdeg(v) == 0", "_ABMP_matching", 90);
      return false;
    }
  }
  enum { unlisted, in_A, in_B };
  node_array<int> side(G, unlisted);
  for (int s : {in_A, in_B}) {
    const list<node>& S = s == in_A ? A : B;
    for (dlink* it = S.first(); it != nullptr; it = it->succ) {
      node v = S.contents(it);
      if (side[v] != unlisted) {
        assert_error("side[v] == unlisted", "_ABMP_matching", 91);
        return false;
      }
      side[v] = s;
    }
  }
  for (graph_object* x = G.e_list.head; x != nullptr; x = x->succ) {
    edge e = static_cast<edge>(x);
    // Hidden in place: out of the adjacency lists, so the search never sees it.
    if (e->hidden()) continue;
    if (side[e->source] != in_A || side[e->target] != in_B) {
      assert_error("side[G.source(e)] == in_A && side[G.target(e)] == in_B", "_ABMP_matching", 92);
      return false;
    }
  }
  return true;
}

list<edge> abmp_matching(graph& G, const list<node>& A, const list<node>& B, node_array<bool>& NC,
                         bool use_heuristic, int L) {
  node_array<bool> free(G, true);
  node_array<int> dist(G, 0);

  // Allocated before any edge is reversed: a handler that throws on a failed
  // allocation then leaves G as it was.
  const int n = G.number_of_nodes();
  b_stack<edge> path(n);

  if (use_heuristic) {
    for (graph_object* x = G.e_list.head; x != nullptr;) {
      graph_object* next = x->succ;
      edge e = static_cast<edge>(x);
      // Hidden in place: no edge of the matching's graph, and not reversible.
      if (!e->hidden() && free[e->source] && free[e->target]) {
        free[e->source] = false;
        free[e->target] = false;
        G.rev_edge(e);
      }
      x = next;
    }
  }

  list<node> free_A;
  for_all(B, [&](node b) { dist[b] = 0; });
  for_all(A, [&](node a) {
    dist[a] = 1;
    if (free[a]) free_A.append(a);
  });

  node_array<edge> cur(G, nullptr);
  if (L == -1) L = static_cast<int>(0.1 * std::sqrt(static_cast<double>(n)));

  // Depth-first phase along distance labels: a path has strictly decreasing
  // labels, so n edges always suffice.
  if (path.start == nullptr) L = 0;
  int k = 1;
  while (k <= L && free_A.length() > 50 * k) {
    node v = free_A.pop();
    k = dist[v];
    node w = v;
    for (;;) {
      if (free[w] && dist[w] == 0) {
        free[w] = false;
        free[v] = false;
        while (!path.empty()) {
          edge e = path.pop();
          if (cur[e->source] == e) cur[e->source] = out_succ(e);
          G.rev_edge(e);
        }
        break;
      }
      edge e = ce(w, G, dist, cur);
      if (e != nullptr) {
        path.push(e);
        w = e->target;
        continue;
      }
      // A dead end: no eligible edge leaves w under its present label.
      dist[w] += 2;
      cur[w] = nullptr;
      if (path.empty()) {
        free_A.append(v);
        break;
      }
      w = path.pop()->source;
    }
  }

  // Breadth-first phase. Nodes visited by a failed search keep the stamp until
  // the next augmentation, so later searches do not enter them again.
  node_array<int> label(G, -1);
  node_array<edge> pred(G, nullptr);
  number_of_augmentations = 0;
  for_all(free_A, [&](node a) {
    if (find_aug_path_by_bfs(G, a, free, pred, label)) number_of_augmentations++;
  });

  list<edge> M = out_edges(B);

  // König's cover: the B ends of matched edges reachable by alternating paths
  // from the free nodes of A, and the A ends of the others.
  for (graph_object* x = G.v_list.head; x != nullptr; x = x->succ) NC[static_cast<node>(x)] = false;
  node_array<bool> reached(G, false);
  for_all(A, [&](node a) {
    if (free[a]) DFS(G, a, reached);
  });
  for (dlink* it = M.first(); it != nullptr; it = it->succ) {
    edge e = M.contents(it);
    if (reached[e->source])
      NC[e->source] = true;
    else
      NC[e->target] = true;
  }

  for (dlink* it = M.first(); it != nullptr; it = it->succ) G.rev_edge(M.contents(it));
  return M;
}

// The matching with every adjacency list put back in its order before the call.
// The edges of R run from B to A: turned for the matching, and back after it.
list<edge> ordered_matching(graph& G, const list<node>& A, const list<node>& B, node_array<bool>& NC,
                            const list<edge>& R = list<edge>()) {
  edge_array<int> num(G, 0);
  number_edges(G, num);
  const auto turn_R = [&] {
    for (dlink* it = R.first(); it != nullptr; it = it->succ) G.rev_edge(R.contents(it));
  };
  try {
    turn_R();
    list<edge> M = abmp_matching(G, A, B, NC, false, -1);
    turn_R();
    G.sort_edges(num);
    return M;
  } catch (...) {
    // Wherever the error came, every edge then runs from A to B once more.
    turn_back(G, B);
    turn_R();
    G.sort_edges(num);
    throw;
  }
}

}  // namespace

list<edge> MAX_CARD_BIPARTITE_MATCHING_ABMP(graph& G, const list<node>& A, const list<node>& B,
                                            node_array<bool>& NC, bool use_heuristic, int L) {
  if (!is_bipartition(G, A, B)) return list<edge>();
  try {
    return abmp_matching(G, A, B, NC, use_heuristic, L);
  } catch (...) {
    turn_back(G, B);
    throw;
  }
}

// The entry points check before numbering: sorting after a failed check would
// reorder the edge list and the in-lists.
list<edge> MAX_CARD_BIPARTITE_MATCHING(graph& G, const list<node>& A, const list<node>& B, node_array<bool>& NC) {
  if (!is_bipartition(G, A, B)) return list<edge>();
  return ordered_matching(G, A, B, NC);
}

list<edge> MAX_CARD_BIPARTITE_MATCHING(graph& G, const list<node>& A, const list<node>& B) {
  if (!is_bipartition(G, A, B)) return list<edge>();
  node_array<bool> NC(G, false);
  list<edge> M = ordered_matching(G, A, B, NC);
  CHECK_MCB(G, M, NC);
  return M;
}

list<edge> MAX_CARD_BIPARTITE_MATCHING(graph& G, node_array<bool>& NC) {
  // An undirected graph has no directions to hold the matching in: its
  // adjacency lists are not out-lists, and rev_edge still swaps the ends.
  // Without edges there is nothing to hold, and the empty matching stands.
  if (G.is_undirected() && G.number_of_edges() != 0) {
    std_error_handler(1, "MAX_CARD_BIPARTITE_MATCHING: G is undirected");
    return list<edge>();
  }
  list<node> A, B;
  if (!Is_Bipartite(G, A, B)) {
    std_error_handler(1, "MAX_CARD_BIPARTITE_MATCHING: G is not bipartite");
    return list<edge>();
  }
  // With B's out-edges turned every visible edge runs from A to B: the sides
  // need no check.
  return ordered_matching(G, A, B, NC, out_edges(B));
}

list<edge> MAX_CARD_BIPARTITE_MATCHING(graph& G) {
  node_array<bool> NC(G, false);
  return MAX_CARD_BIPARTITE_MATCHING(G, NC);
}

bool return_false(string msg) {
  // One write, so that the line is never split by other output.
  std::cerr << (string("CHECK_MCB: ") + msg + string("\n")).chars();
  return false;
}

bool CHECK_MCB(const graph& G, const list<edge>& M, const node_array<bool>& NC) {
  bool ok = true;
  node_array<int> deg(G, 0);
  for (dlink* it = M.first(); it != nullptr; it = it->succ) {
    edge e = M.contents(it);
    deg[e->source]++;
    deg[e->target]++;
  }
  for (graph_object* x = G.v_list.head; x != nullptr; x = x->succ)
    if (deg[static_cast<node>(x)] > 1) ok = return_false("M is not a matching");
  int covered = 0;
  for (graph_object* x = G.v_list.head; x != nullptr; x = x->succ)
    if (NC[static_cast<node>(x)]) covered++;
  if (covered != M.length()) ok = return_false("M is smaller than node cover");
  for (graph_object* x = G.e_list.head; x != nullptr; x = x->succ) {
    edge e = static_cast<edge>(x);
    // An edge hidden from the adjacency lists stays in the edge list; only
    // visible edges need a cover.
    if (e->hidden()) continue;
    if (!NC[e->source] && !NC[e->target]) ok = return_false("NC is not a node cover");
  }
  return ok;
}

}  // namespace graphlib
