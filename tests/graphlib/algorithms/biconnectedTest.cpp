#include "graphlib/algorithms/biconnected.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "GraphInvariants.h"
#include "TwoConnectedGraphs.h"

namespace {

using algorithms_test::build;
using algorithms_test::EdgeListGraph;
using graphlib::edge;
using graphlib::edge_array;
using graphlib::graph;
using graphlib::node;

// compnum starts with this everywhere, so an edge that was not written shows.
const int kUnwritten = 77;

struct Numbered {
  int count;
  std::vector<int> compnum;  // per edge of g, in g's order
};

Numbered run(const EdgeListGraph& g, bool undirected = false) {
  graph G;
  std::vector<edge> e = build(G, g).second;
  if (undirected) G.make_undirected();
  edge_array<int> compnum(G, kUnwritten);
  Numbered out;
  out.count = BICONNECTED_COMPONENTS(G, compnum);
  for (edge x : e) out.compnum.push_back(compnum[x]);
  // The search only reads G; a sound graph afterwards is cheap to confirm on small ones.
  if (g.n < 1000) {
    EXPECT_EQ(testing_support::graphDefect(G), "");
  }
  return out;
}

struct ExactCase {
  const char* name;
  EdgeListGraph g;
  int count;
  std::vector<int> compnum;
};

TEST(BiconnectedComponents, KnownNumberings) {
  const int U = kUnwritten;
  const ExactCase cases[] = {
      {"empty", {0, {}}, 0, {}},
      {"three isolated nodes", {3, {}}, 3, {}},
      {"node with loops only", {1, {{0, 0}, {0, 0}}}, 1, {U, U}},
      {"single edge", {2, {{0, 1}}}, 1, {0}},
      // b-c is closed first.
      {"path a-b-c", {3, {{0, 1}, {1, 2}}}, 2, {1, 0}},
      {"path a-b-c, edges against the search", {3, {{1, 0}, {2, 1}}}, 2, {1, 0}},
      {"triangle", {3, {{0, 1}, {1, 2}, {2, 0}}}, 1, {0, 0, 0}},
      // The search reaches the second triangle from node 2 and closes it first.
      {"two triangles sharing a node", {5, {{0, 1}, {1, 2}, {2, 0}, {2, 3}, {3, 4}, {4, 2}}}, 2, {1, 1, 1, 0, 0, 0}},
      {"two parallel edges", {2, {{0, 1}, {1, 0}}}, 1, {0, 0}},
      {"two single-edge components", {4, {{0, 1}, {2, 3}}}, 2, {0, 1}},
      {"path with a loop in the middle", {3, {{0, 1}, {1, 1}, {1, 2}}}, 2, {1, U, 0}},
      {"loops-only node beside an edge", {3, {{1, 1}, {0, 2}}}, 2, {U, 0}},
  };
  for (const ExactCase& c : cases) {
    SCOPED_TRACE(c.name);
    Numbered r = run(c.g);
    EXPECT_EQ(r.count, c.count);
    EXPECT_EQ(r.compnum, c.compnum);
  }
}

// For every pair of edges: whether some simple cycle holds both, found by
// trying every edge subset for being one cycle (connected, every touched node
// of degree 2). Self-loops take no part.
std::vector<std::vector<bool>> onCommonCycle(const EdgeListGraph& g) {
  const std::size_t m = g.edges.size();
  std::vector<std::vector<bool>> together(m, std::vector<bool>(m, false));
  unsigned long loops = 0;
  for (std::size_t i = 0; i < m; i++)
    if (g.edges[i].first == g.edges[i].second) loops |= 1UL << i;
  std::vector<int> degree(static_cast<std::size_t>(g.n));
  std::vector<std::size_t> in;
  for (unsigned long mask = 1; mask < (1UL << m); mask++) {
    if (mask & loops) continue;
    std::fill(degree.begin(), degree.end(), 0);
    in.clear();
    for (std::size_t i = 0; i < m; i++) {
      if (!(mask >> i & 1)) continue;
      in.push_back(i);
      degree[static_cast<std::size_t>(g.edges[i].first)]++;
      degree[static_cast<std::size_t>(g.edges[i].second)]++;
    }
    bool cycle = in.size() >= 2;
    for (int d : degree) cycle = cycle && (d == 0 || d == 2);
    if (!cycle) continue;
    // Connected: grow from the first edge's nodes.
    std::set<int> reached = {g.edges[in[0]].first};
    for (bool grew = true; grew;) {
      grew = false;
      for (std::size_t i : in) {
        auto [a, b] = g.edges[i];
        if (reached.count(a) != reached.count(b)) {
          reached.insert(a);
          reached.insert(b);
          grew = true;
        }
      }
    }
    for (std::size_t i : in) cycle = cycle && reached.count(g.edges[i].first);
    if (!cycle) continue;
    for (std::size_t i : in)
      for (std::size_t j : in) together[i][j] = true;
  }
  return together;
}

int connectedComponents(const EdgeListGraph& g, int removed) {
  std::vector<int> label(static_cast<std::size_t>(g.n));
  for (int i = 0; i < g.n; i++) label[static_cast<std::size_t>(i)] = i;
  auto find = [&label](int x) {
    while (label[static_cast<std::size_t>(x)] != x) x = label[static_cast<std::size_t>(x)];
    return x;
  };
  for (auto [a, b] : g.edges)
    if (a != removed && b != removed) label[static_cast<std::size_t>(find(a))] = find(b);
  int k = 0;
  for (int i = 0; i < g.n; i++) k += i != removed && find(i) == i;
  return k;
}

EdgeListGraph randomSmallGraph(std::mt19937& rng) {
  EdgeListGraph g;
  g.n = 1 + static_cast<int>(rng() % 8);
  int m = static_cast<int>(rng() % 13);
  for (int k = 0; k < m; k++) {
    int a = static_cast<int>(rng() % static_cast<unsigned>(g.n));
    int b = static_cast<int>(rng() % static_cast<unsigned>(g.n));
    // Loops are rarer than ends that happen to coincide on small graphs.
    if (a == b && rng() % 2) b = (b + 1) % g.n;
    g.edges.emplace_back(a, b);
  }
  return g;
}

// Against brute force on small random multigraphs with loops and isolated
// nodes: the edge partition, the count, the numbers 0..k-1 all in use, and
// the articulation points (nodes whose removal splits their component).
TEST(BiconnectedComponents, AgreeWithBruteForceOnSmallGraphs) {
  std::mt19937 rng(1717);
  for (int round = 0; round < 400; round++) {
    EdgeListGraph g = randomSmallGraph(rng);
    bool undirected = round % 4 == 3;
    if (undirected) {
      // An undirected graph holds no self-loops.
      std::vector<std::pair<int, int>> kept;
      for (auto p : g.edges)
        if (p.first != p.second) kept.push_back(p);
      g.edges = kept;
    }
    SCOPED_TRACE("round " + std::to_string(round));
    Numbered r = run(g, undirected);
    std::vector<std::vector<bool>> together = onCommonCycle(g);
    const std::size_t m = g.edges.size();

    int classes = 0;
    std::set<int> numbers;
    std::vector<bool> touchesOther(static_cast<std::size_t>(g.n), false);
    for (std::size_t i = 0; i < m; i++) {
      auto [a, b] = g.edges[i];
      if (a == b) {
        EXPECT_EQ(r.compnum[i], kUnwritten) << "loop " << i << " was written";
        continue;
      }
      touchesOther[static_cast<std::size_t>(a)] = touchesOther[static_cast<std::size_t>(b)] = true;
      numbers.insert(r.compnum[i]);
      bool first = true;
      for (std::size_t j = 0; j < i; j++) first = first && !(g.edges[j].first != g.edges[j].second && together[i][j]);
      classes += first;
      for (std::size_t j = 0; j < m; j++) {
        if (j == i || g.edges[j].first == g.edges[j].second) continue;
        EXPECT_EQ(r.compnum[i] == r.compnum[j], static_cast<bool>(together[i][j])) << "edges " << i << " and " << j;
      }
    }
    int lonely = 0;
    for (bool t : touchesOther) lonely += !t;
    EXPECT_EQ(r.count, classes + lonely);
    if (!numbers.empty()) {
      EXPECT_EQ(*numbers.begin(), 0);
      EXPECT_EQ(*numbers.rbegin(), static_cast<int>(numbers.size()) - 1);
    }

    int whole = connectedComponents(g, -1);
    for (int v = 0; v < g.n; v++) {
      std::set<int> around;
      for (std::size_t i = 0; i < m; i++) {
        auto [a, b] = g.edges[i];
        if (a != b && (a == v || b == v)) around.insert(r.compnum[i]);
      }
      EXPECT_EQ(around.size() >= 2, connectedComponents(g, v) > whole) << "node " << v;
    }
  }
}

// The brute-force partition itself: a bridge stands alone, a square with a
// diagonal is one block, and two parallel edges make a cycle.
TEST(BiconnectedComponents, BruteForceOracleKnowsItsCycles) {
  EdgeListGraph g{5, {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {0, 2}, {3, 4}, {4, 3}, {1, 1}}};
  std::vector<std::vector<bool>> t = onCommonCycle(g);
  EXPECT_TRUE(t[0][2] && t[1][4] && t[3][4] && t[5][6]);
  EXPECT_FALSE(t[0][5] || t[2][5] || t[6][3] || t[7][0] || t[7][7]);
  EXPECT_EQ(connectedComponents(g, 3), 2);
  EXPECT_EQ(connectedComponents(g, 2), 1);
}

// Long paths and cycles: the search must not run out of stack, and a path's
// edges close from the far end back (edge i of n-1 gets n-2-i).
TEST(BiconnectedComponents, LongPathAndCycle) {
  const int n = 100000;
  EdgeListGraph path;
  path.n = n;
  for (int i = 0; i + 1 < n; i++) path.edges.emplace_back(i, i + 1);
  Numbered r = run(path);
  EXPECT_EQ(r.count, n - 1);
  int wrong = 0;
  for (int i = 0; i + 1 < n; i++) wrong += r.compnum[static_cast<std::size_t>(i)] != n - 2 - i;
  EXPECT_EQ(wrong, 0);

  r = run(algorithms_test::cycleGraph(n), true);
  EXPECT_EQ(r.count, 1);
  EXPECT_EQ(std::set<int>(r.compnum.begin(), r.compnum.end()), std::set<int>{0});
}

// The generated two-connected families are one block each, loops aside.
TEST(BiconnectedComponents, TwoConnectedFamiliesAreOneBlock) {
  std::mt19937 rng(4242);
  const EdgeListGraph graphs[] = {
      algorithms_test::scramble(algorithms_test::wheelGraph(5000), 3, rng),
      algorithms_test::scramble(algorithms_test::earGraph(20000, 500, rng), 10, rng),
  };
  for (const EdgeListGraph& g : graphs) {
    Numbered r = run(g);
    EXPECT_EQ(r.count, 1);
    std::set<int> used;
    for (std::size_t i = 0; i < g.edges.size(); i++)
      if (g.edges[i].first != g.edges[i].second) used.insert(r.compnum[i]);
    EXPECT_EQ(used, std::set<int>{0});
  }
}

}  // namespace
