#include "graphlib/graph/graph_search.h"

#include <gtest/gtest.h>

#include <queue>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "GraphInvariants.h"
#include "GraphTestSupport.h"

namespace {

using graphlib::edge;
using graphlib::graph;
using graphlib::node;
using graphlib::node_array;
using testing_support::addEdges;
using testing_support::addNodes;
using testing_support::items;
using testing_support::graphDefect;

// Nodes reachable from s (s included) along out-edges, or along every edge
// when `anyDirection`.
std::set<node> reachable(const graph& G, node s, bool anyDirection) {
  std::set<node> seen = {s};
  std::queue<node> q;
  q.push(s);
  while (!q.empty()) {
    node v = q.front();
    q.pop();
    for (graphlib::graph_object* x = G.e_list.head; x; x = x->succ) {
      edge e = static_cast<edge>(x);
      node w = nullptr;
      if (e->source == v) w = e->target;
      else if (anyDirection && e->target == v) w = e->source;
      if (w && seen.insert(w).second) q.push(w);
    }
  }
  return seen;
}

bool adjacent(const graph& G, node a, node b) {
  for (graphlib::graph_object* x = G.e_list.head; x; x = x->succ) {
    edge e = static_cast<edge>(x);
    if ((e->source == a && e->target == b) || (e->source == b && e->target == a)) return true;
  }
  return false;
}

// Whether the graph, directions ignored, has a proper two-colouring.
bool twoColourable(const graph& G) {
  std::vector<int> colour(static_cast<std::size_t>(G.max_node_index + 1), -1);
  for (graphlib::graph_object* x = G.v_list.head; x; x = x->succ) {
    node s = static_cast<node>(x);
    if (colour[static_cast<std::size_t>(s->index())] != -1) continue;
    colour[static_cast<std::size_t>(s->index())] = 0;
    std::queue<node> q;
    q.push(s);
    while (!q.empty()) {
      node v = q.front();
      q.pop();
      for (graphlib::graph_object* y = G.e_list.head; y; y = y->succ) {
        edge e = static_cast<edge>(y);
        if (e->source != v && e->target != v) continue;
        node w = e->source == v ? e->target : e->source;
        int& c = colour[static_cast<std::size_t>(w->index())];
        if (c == colour[static_cast<std::size_t>(v->index())]) return false;
        if (c == -1) {
          c = 1 - colour[static_cast<std::size_t>(v->index())];
          q.push(w);
        }
      }
    }
  }
  return true;
}

TEST(DepthFirstSearch, FollowsOutEdgesInPreorder) {
  graph G;
  std::vector<node> v = addNodes(G, 6);
  // 4 reaches 0, but only the other way round.
  addEdges(G, v, {{0, 1}, {0, 2}, {1, 3}, {3, 0}, {4, 0}, {2, 2}});
  node_array<bool> reached(G, false);
  EXPECT_EQ(items(graphlib::DFS(G, v[0], reached)), (std::vector<node>{v[0], v[1], v[3], v[2]}));
  EXPECT_FALSE(reached[v[4]]);
  EXPECT_FALSE(reached[v[5]]);
  EXPECT_TRUE(reached[v[3]]);
}

TEST(DepthFirstSearch, UndirectedGraphFollowsEveryEdge) {
  graph G;
  std::vector<node> v = addNodes(G, 4);
  addEdges(G, v, {{0, 1}, {2, 1}, {3, 0}});
  G.make_undirected();
  node_array<bool> reached(G, false);
  EXPECT_EQ(items(graphlib::DFS(G, v[0], reached)), (std::vector<node>{v[0], v[1], v[2], v[3]}));
}

TEST(DepthFirstSearch, SearchesShareOneReachedMap) {
  graph G;
  std::vector<node> v = addNodes(G, 4);
  addEdges(G, v, {{0, 1}, {1, 2}, {2, 3}});
  node_array<bool> reached(G, false);
  reached[v[2]] = true;
  // The start is listed although reached already; reached nodes are not entered.
  reached[v[0]] = true;
  EXPECT_EQ(items(graphlib::DFS(G, v[0], reached)), (std::vector<node>{v[0], v[1]}));
  EXPECT_FALSE(reached[v[3]]);
}

TEST(DepthFirstSearch, ReachesExactlyTheDescendantsOnRandomGraphs) {
  for (unsigned seed = 1; seed <= 6; seed++) {
    for (bool undirected : {false, true}) {
      graph G;
      std::vector<node> v = addNodes(G, 60);
      std::mt19937 engine(seed);
      for (int k = 0; k < 70; k++) {
        node a = v[engine() % 60], b = v[engine() % 60];
        if (a != b || !undirected) G.new_edge(a, b);
      }
      if (undirected) G.make_undirected();
      node_array<bool> reached(G, false);
      std::set<node> pre;
      for (int k = 0; k < 5; k++) {
        node x = v[engine() % 60];
        reached[x] = true;
        pre.insert(x);
      }
      node s = v[engine() % 60];
      std::vector<node> listed = items(graphlib::DFS(G, s, reached));
      ASSERT_FALSE(listed.empty());
      EXPECT_EQ(listed.front(), s);
      // The oracle on the graph without the pre-reached nodes (s aside).
      graph H;
      std::vector<node> w = addNodes(H, 60);
      for (graphlib::graph_object* x = G.e_list.head; x; x = x->succ) {
        edge e = static_cast<edge>(x);
        bool blocked = (pre.count(e->source) && e->source != s) || (pre.count(e->target) && e->target != s);
        if (!blocked) H.new_edge(w[static_cast<std::size_t>(e->source->index())], w[static_cast<std::size_t>(e->target->index())]);
      }
      std::set<int> expected;
      for (node x : reachable(H, w[static_cast<std::size_t>(s->index())], undirected)) expected.insert(x->index());
      std::set<int> got;
      for (node x : listed) EXPECT_TRUE(got.insert(x->index()).second) << "listed twice";
      EXPECT_EQ(got, expected) << seed << undirected;
      // Every listed node but the first is a neighbour of one listed before it.
      for (std::size_t i = 1; i < listed.size(); i++) {
        bool joined = false;
        for (std::size_t j = 0; j < i && !joined; j++) joined = adjacent(G, listed[j], listed[i]);
        EXPECT_TRUE(joined);
      }
    }
  }
}

TEST(DepthFirstSearch, LongPathDoesNotExhaustTheStack) {
  graph G;
  const int n = 150000;
  std::vector<node> v = addNodes(G, n);
  for (int i = 0; i + 1 < n; i++) G.new_edge(v[static_cast<std::size_t>(i)], v[static_cast<std::size_t>(i) + 1]);
  node_array<bool> reached(G, false);
  graphlib::list<node> L = graphlib::DFS(G, v[0], reached);
  EXPECT_EQ(L.length(), n);
  EXPECT_EQ(L.back(), v.back());
}

TEST(Bipartiteness, DirectedTriangleGivesItsOddCycle) {
  graph G;
  std::vector<node> v = addNodes(G, 3);
  node u = v[0], w = v[2];
  node m = v[1];
  G.new_edge(u, m);
  edge conflict = G.new_edge(m, w);
  G.new_edge(w, u);
  node_array<int> side(G, -1);
  node_array<node> pred(G, nullptr);
  EXPECT_EQ(graphlib::bi_bfs(G, u, side, pred), conflict);
  graphlib::list<node> A, B;
  EXPECT_FALSE(graphlib::Is_Bipartite(G, A, B));
  EXPECT_EQ(items(A), (std::vector<node>{m, w, u}));
  EXPECT_TRUE(B.empty());
}

// A five-cycle searched from v0 conflicts on the edge v2 -> v3; the paths of
// both ends meet at v0. The branch of v2 is put in front of what A held, from
// v1 (next to v0) down to v2; the branch of v3 goes behind it, v0 last.
TEST(Bipartiteness, OddCycleGoesAroundWhatTheListsHeld) {
  graph G;
  std::vector<node> v = addNodes(G, 6);
  addEdges(G, v, {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 0}});
  graphlib::list<node> A = testing_support::listOf({v[5]}), B = testing_support::listOf({v[5]});
  EXPECT_FALSE(graphlib::Is_Bipartite(G, A, B));
  EXPECT_EQ(items(A), (std::vector<node>{v[1], v[2], v[5], v[3], v[4], v[0]}));
  EXPECT_EQ(items(B), (std::vector<node>{v[5]}));
}

TEST(Bipartiteness, PathAndDirectionsIgnored) {
  for (bool reversed : {false, true}) {
    graph G;
    std::vector<node> v = addNodes(G, 3);
    if (reversed)
      G.new_edge(v[1], v[0]);
    else
      G.new_edge(v[0], v[1]);
    G.new_edge(v[1], v[2]);
    graphlib::list<node> A, B;
    EXPECT_TRUE(graphlib::Is_Bipartite(G, A, B));
    EXPECT_EQ(items(A), (std::vector<node>{v[0], v[2]}));
    EXPECT_EQ(items(B), (std::vector<node>{v[1]}));
  }
}

TEST(Bipartiteness, SelfLoopAndEdgelessGraph) {
  graph G;
  std::vector<node> v = addNodes(G, 3);
  G.new_edge(v[0], v[2]);
  G.new_edge(v[1], v[1]);
  graphlib::list<node> A, B;
  EXPECT_FALSE(graphlib::Is_Bipartite(G, A, B));
  EXPECT_EQ(items(A), (std::vector<node>{v[1]}));

  graph H;
  std::vector<node> w = addNodes(H, 4);
  graphlib::list<node> C, D;
  EXPECT_TRUE(graphlib::Is_Bipartite(H, C, D));
  EXPECT_EQ(items(C), w);
  EXPECT_TRUE(D.empty());
}

TEST(Bipartiteness, SidesOrOddCyclesOnRandomGraphs) {
  int bipartite = 0, odd = 0;
  for (unsigned seed = 1; seed <= 40; seed++) {
    graph G;
    std::mt19937 engine(seed);
    const int n = 5 + static_cast<int>(engine() % 40);
    std::vector<node> v = addNodes(G, n);
    // Mostly edges between the parities of the index, a few across.
    const int m = static_cast<int>(engine() % static_cast<unsigned>(2 * n));
    for (int k = 0; k < m; k++) {
      int a = static_cast<int>(engine() % static_cast<unsigned>(n)), b = static_cast<int>(engine() % static_cast<unsigned>(n));
      if ((a + b) % 2 == 0 && engine() % 8 != 0) b = (b + 1) % n;
      if (engine() % 2) std::swap(a, b);
      G.new_edge(v[static_cast<std::size_t>(a)], v[static_cast<std::size_t>(b)]);
    }
    graphlib::list<node> A, B;
    const bool result = graphlib::Is_Bipartite(G, A, B);
    EXPECT_EQ(result, twoColourable(G)) << seed;
    std::vector<node> a = items(A), b = items(B);
    if (result) {
      bipartite++;
      std::vector<int> sideOf(static_cast<std::size_t>(n), -1);
      for (node x : a) sideOf[static_cast<std::size_t>(x->index())] = 0;
      for (node x : b) {
        EXPECT_EQ(sideOf[static_cast<std::size_t>(x->index())], -1);
        sideOf[static_cast<std::size_t>(x->index())] = 1;
      }
      EXPECT_EQ(a.size() + b.size(), static_cast<std::size_t>(n));
      for (graphlib::graph_object* x = G.e_list.head; x; x = x->succ) {
        edge e = static_cast<edge>(x);
        EXPECT_NE(sideOf[static_cast<std::size_t>(e->source->index())], sideOf[static_cast<std::size_t>(e->target->index())]);
      }
    } else {
      odd++;
      EXPECT_TRUE(b.empty());
      EXPECT_EQ(a.size() % 2, 1u) << seed;
      std::set<node> distinct(a.begin(), a.end());
      EXPECT_EQ(distinct.size(), a.size());
      for (std::size_t i = 0; i < a.size(); i++) EXPECT_TRUE(adjacent(G, a[i], a[(i + 1) % a.size()])) << seed;
    }
    EXPECT_EQ(graphDefect(G), "");
  }
  EXPECT_GT(bipartite, 5);
  EXPECT_GT(odd, 5);
}

}  // namespace
