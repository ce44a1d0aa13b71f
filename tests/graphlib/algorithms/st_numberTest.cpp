#include "graphlib/algorithms/st_number.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "GraphInvariants.h"
#include "TwoConnectedGraphs.h"
#include "graphlib/algorithms/biconnected.h"

namespace {

using algorithms_test::build;
using algorithms_test::EdgeListGraph;
using graphlib::edge;
using graphlib::graph;
using graphlib::list;
using graphlib::node;
using graphlib::node_array;

// number starts with this everywhere, so a node that was not written shows.
const int kUnwritten = -5;

std::vector<node> items(const list<node>& L) {
  std::vector<node> out;
  for (graphlib::dlink* it = L.first(); it; it = it->succ) out.push_back(L.contents(it));
  return out;
}

// Whether number and L form an st-numbering of G from s to t: L lists every
// node once, in increasing number, numbers 1..n, s first and t last, s and t
// adjacent, and every other node has a lower- and a higher-numbered neighbour.
// "" when they do, else the first thing wrong.
std::string stDefect(const graph& G, const node_array<int>& number, const list<node>& L, node s, node t) {
  const int n = G.number_of_nodes();
  std::vector<node> order = items(L);
  if (static_cast<int>(order.size()) != n) return "L has " + std::to_string(order.size()) + " nodes";
  std::vector<bool> seen(static_cast<std::size_t>(G.max_node_index + 1), false);
  for (int i = 0; i < n; i++) {
    node v = order[static_cast<std::size_t>(i)];
    if (v->owner != &G || seen[static_cast<std::size_t>(v->index())]) return "L repeats a node or holds a stranger";
    seen[static_cast<std::size_t>(v->index())] = true;
    if (number[v] != i + 1) return "item " + std::to_string(i) + " of L is numbered " + std::to_string(number[v]);
  }
  if (n == 0) return "";
  if (order.front() != s || order.back() != t) return "L does not run from s to t";
  std::vector<bool> lower(seen.size(), false), higher(seen.size(), false);
  bool st_adjacent = n == 1;
  for (graphlib::graph_object* x = G.e_list.head; x; x = x->succ) {
    edge e = static_cast<edge>(x);
    node a = e->source, b = e->target;
    if ((a == s && b == t) || (a == t && b == s)) st_adjacent = true;
    if (number[a] < number[b]) {
      higher[static_cast<std::size_t>(a->index())] = true;
      lower[static_cast<std::size_t>(b->index())] = true;
    } else if (number[b] < number[a]) {
      higher[static_cast<std::size_t>(b->index())] = true;
      lower[static_cast<std::size_t>(a->index())] = true;
    }
  }
  if (!st_adjacent) return "s and t are not adjacent";
  for (node v : order) {
    if (v == s || v == t) continue;
    if (!lower[static_cast<std::size_t>(v->index())]) return "node numbered " + std::to_string(number[v]) + " has no lower neighbour";
    if (!higher[static_cast<std::size_t>(v->index())]) return "node numbered " + std::to_string(number[v]) + " has no higher neighbour";
  }
  return "";
}

// The ends the numbering must start and finish at: e's source and target, or
// with e nil the first node as t and the other end of its first edge to
// another node (list 0, then list 1) as s.
std::pair<node, node> expectedEnds(const graph& G, edge e) {
  if (e) return {e->source, e->target};
  node t = static_cast<node>(G.v_list.head);
  for (int i = 0; i < 2; i++)
    for (edge f = t->first_adj_edge[i]; f; f = f->succ_adj_edge[graphlib::link_pair(f, t, i)])
      if (f->source != f->target) return {f->source == t ? f->target : f->source, t};
  return {nullptr, t};
}

struct KnownCase {
  const char* name;
  EdgeListGraph g;
  int given;                // index of the s-t edge, or -1 for nil
  int s;                    // the node returned
  std::vector<int> number;  // per node
};

TEST(StNumbering, KnownNumberings) {
  const KnownCase cases[] = {
      {"two nodes", {2, {{0, 1}}}, 0, 0, {1, 2}},
      {"two nodes, edge given against the node order", {2, {{1, 0}}}, 0, 1, {2, 1}},
      {"two nodes, parallel edges, no edge given", {2, {{0, 1}, {0, 1}}}, -1, 1, {2, 1}},
      {"triangle, edge given", {3, {{0, 1}, {1, 2}, {2, 0}}}, 1, 1, {2, 1, 3}},
      // Node 0's out-list holds only its loop; its first edge to another node
      // is its first in-edge, from 2.
      {"first node's loop skipped", {3, {{0, 0}, {2, 0}, {1, 0}, {1, 2}}}, -1, 2, {3, 2, 1}},
      // The low path from 2 leaves through 3-0; 4 comes in later as the path
      // climbed from 4 back to 3, right behind 2.
      {"path found by climbing", {5, {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 2}, {3, 0}}}, -1, 1, {5, 1, 2, 4, 3}},
      // The climb from 5 walks 5, 4 and must keep that order behind 2.
      {"climbed path keeps walk order",
       {6, {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 2}, {3, 0}}},
       -1,
       1,
       {6, 1, 2, 5, 4, 3}},
      // 2's back edge to 0 comes before its children 3 and 4, whose subtrees
      // also reach 0: the first edge keeps 2's low, so 2's path stops at 0,
      // and the children's paths come in behind 2 one after the other.
      {"equal low values, first edge wins",
       {5, {{0, 1}, {1, 2}, {2, 0}, {2, 3}, {3, 0}, {2, 4}, {4, 0}}},
       -1,
       1,
       {5, 1, 2, 4, 3}},
  };
  for (const KnownCase& c : cases) {
    SCOPED_TRACE(c.name);
    graph G;
    auto [v, e] = build(G, c.g);
    node_array<int> number(G, kUnwritten);
    list<node> L;
    edge given = c.given < 0 ? nullptr : e[static_cast<std::size_t>(c.given)];
    node s = ST_NUMBERING(G, number, L, given);
    EXPECT_EQ(s, v[static_cast<std::size_t>(c.s)]);
    std::vector<int> got;
    for (node x : v) got.push_back(number[x]);
    EXPECT_EQ(got, c.number);
    auto ends = expectedEnds(G, given);
    EXPECT_EQ(stDefect(G, number, L, ends.first, ends.second), "");
  }
}

TEST(StNumbering, EmptyAndOneNodeGraphs) {
  graph G;
  node_array<int> number(G, kUnwritten);
  list<node> L;
  L.append(nullptr);
  EXPECT_EQ(ST_NUMBERING(G, number, L, nullptr), nullptr);
  EXPECT_TRUE(L.empty());

  // A single node is numbered whatever edge is given, even one of its loops.
  node v = G.new_node();
  G.new_edge(v, v);
  edge loop = G.new_edge(v, v);
  for (edge given : {static_cast<edge>(nullptr), loop}) {
    node_array<int> one(G, kUnwritten);
    L.append(v);
    L.append(v);
    EXPECT_EQ(ST_NUMBERING(G, one, L, given), v);
    EXPECT_EQ(items(L), std::vector<node>{v});
    EXPECT_EQ(one[v], 1);
  }
}

// Without an s-t edge there is nothing to number from: nil, L emptied, no
// number written.
TEST(StNumbering, NoStEdgeGivesNil) {
  struct Case {
    const char* name;
    EdgeListGraph g;
    int given;
  };
  const Case cases[] = {
      {"loop given", {3, {{0, 1}, {1, 2}, {2, 0}, {1, 1}}}, 3},
      {"first node has loops only", {3, {{0, 0}, {1, 2}, {0, 0}}}, -1},
      {"first node has no edge", {2, {{1, 1}}}, -1},
      {"no edges at all", {2, {}}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    graph G;
    auto [v, e] = build(G, c.g);
    node_array<int> number(G, kUnwritten);
    list<node> L;
    L.append(v[0]);
    EXPECT_EQ(ST_NUMBERING(G, number, L, c.given < 0 ? nullptr : e[static_cast<std::size_t>(c.given)]), nullptr);
    EXPECT_TRUE(L.empty());
    for (node x : v) EXPECT_EQ(number[x], kUnwritten);
  }
}

// Not biconnected: s's component is still numbered 1..k, each node once; the
// nodes of other components are left out and keep their numbers.
TEST(StNumbering, GraphsThatAreNotBiconnected) {
  struct Case {
    const char* name;
    EdgeListGraph g;
    int reached;  // nodes 0..reached-1 form s's component
  };
  const Case cases[] = {
      {"path", {4, {{0, 1}, {1, 2}, {2, 3}}}, 4},
      {"two triangles sharing a node", {5, {{0, 1}, {1, 2}, {2, 0}, {2, 3}, {3, 4}, {4, 2}}}, 5},
      {"triangle beside a cycle", {7, {{0, 1}, {1, 2}, {2, 0}, {3, 4}, {4, 5}, {5, 6}, {6, 3}}}, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    graph G;
    std::vector<node> v = build(G, c.g).first;
    node_array<int> number(G, kUnwritten);
    list<node> L;
    ASSERT_EQ(ST_NUMBERING(G, number, L, nullptr), v[1]);
    std::vector<node> order = items(L);
    ASSERT_EQ(static_cast<int>(order.size()), c.reached);
    std::vector<bool> listed(v.size(), false);
    for (std::size_t i = 0; i < order.size(); i++) {
      EXPECT_EQ(number[order[i]], static_cast<int>(i) + 1);
      listed[static_cast<std::size_t>(order[i]->index())] = true;
    }
    for (int i = 0; i < c.g.n; i++) {
      EXPECT_EQ(listed[static_cast<std::size_t>(i)], i < c.reached) << "node " << i;
      if (i >= c.reached) {
        EXPECT_EQ(number[v[static_cast<std::size_t>(i)]], kUnwritten);
      }
    }
  }
}

// The checker itself turns down numberings that break each rule.
TEST(StNumbering, CheckerRejectsBrokenNumberings) {
  graph G;
  std::vector<node> v = build(G, {4, {{0, 1}, {1, 2}, {2, 3}, {3, 0}}}).first;
  auto verdict = [&](std::vector<int> order, std::vector<int> numbers, int s, int t) {
    node_array<int> number(G, 0);
    list<node> L;
    for (int i : order) L.append(v[static_cast<std::size_t>(i)]);
    for (std::size_t i = 0; i < v.size(); i++) number[v[i]] = numbers[i];
    return stDefect(G, number, L, v[static_cast<std::size_t>(s)], v[static_cast<std::size_t>(t)]);
  };
  EXPECT_EQ(verdict({0, 3, 2, 1}, {1, 4, 3, 2}, 0, 1), "");
  EXPECT_NE(verdict({0, 2, 3, 1}, {1, 4, 2, 3}, 0, 1), "");  // node 2's neighbours both higher
  EXPECT_NE(verdict({0, 3, 2, 1}, {1, 4, 3, 3}, 0, 1), "");  // number disagrees with L
  EXPECT_NE(verdict({0, 3, 1}, {1, 3, 0, 2}, 0, 1), "");     // a node missing
  EXPECT_NE(verdict({0, 1, 3, 2}, {1, 2, 4, 3}, 0, 2), "");  // s and t not adjacent
  EXPECT_NE(verdict({3, 0, 2, 1}, {2, 4, 3, 1}, 0, 1), "");  // s not first
}

// The first edge of g from index k on (cyclically) that is not a self-loop.
int nonLoopFrom(const EdgeListGraph& g, int k) {
  const int m = static_cast<int>(g.edges.size());
  for (int i = 0; i < m; i++) {
    const auto& p = g.edges[static_cast<std::size_t>((k + i) % m)];
    if (p.first != p.second) return (k + i) % m;
  }
  return -1;
}

void expectStNumbering(const EdgeListGraph& g, bool undirected, int given, const std::string& what) {
  SCOPED_TRACE(what);
  graph G;
  std::vector<edge> e = build(G, g).second;
  if (undirected) G.make_undirected();
  edge chosen = given < 0 ? nullptr : e[static_cast<std::size_t>(given)];
  node_array<int> number(G, kUnwritten);
  list<node> L;
  node s = ST_NUMBERING(G, number, L, chosen);
  auto ends = expectedEnds(G, chosen);
  EXPECT_EQ(s, ends.first);
  EXPECT_EQ(stDefect(G, number, L, ends.first, ends.second), "");
}

// Random two-connected multigraphs with loops sprinkled in, directed or not,
// with no edge given or a random one.
TEST(StNumbering, ValidOnRandomSmallBiconnectedGraphs) {
  std::mt19937 rng(1705);
  for (int round = 0; round < 300; round++) {
    bool undirected = round % 3 == 2;
    int n = 3 + static_cast<int>(rng() % 40);
    EdgeListGraph g = algorithms_test::earGraph(n, static_cast<int>(rng() % 6), rng);
    g = algorithms_test::scramble(g, undirected ? 0 : static_cast<int>(rng() % 4), rng);
    int given = round % 2 ? nonLoopFrom(g, static_cast<int>(rng() % g.edges.size())) : -1;
    {
      // The generator's promise, checked independently of the numbering.
      graph G;
      build(G, g);
      graphlib::edge_array<int> comp(G, 0);
      ASSERT_EQ(BICONNECTED_COMPONENTS(G, comp), 1) << "round " << round;
    }
    expectStNumbering(g, undirected, given, "round " + std::to_string(round));
  }
}

// Large graphs, the search running as deep as the graph is long: a plain
// cycle, a wheel (undirected) and random ears with loops, with no edge given
// or one from the middle.
struct LargeCase {
  const char* name;
  EdgeListGraph (*make)(std::mt19937&);
  bool undirected;
  bool edgeGiven;
};

void PrintTo(const LargeCase& c, std::ostream* os) { *os << c.name; }

class StNumberingLarge : public testing::TestWithParam<LargeCase> {};

TEST_P(StNumberingLarge, IsValid) {
  const LargeCase& c = GetParam();
  std::mt19937 rng(1717);
  EdgeListGraph g = c.make(rng);
  expectStNumbering(g, c.undirected, c.edgeGiven ? nonLoopFrom(g, g.n / 2) : -1, c.name);
}

const int kLarge = 100000;

INSTANTIATE_TEST_SUITE_P(
    Families, StNumberingLarge,
    testing::Values(
        LargeCase{"cycle", [](std::mt19937&) { return algorithms_test::cycleGraph(kLarge); }, false, false},
        LargeCase{"wheel",
                  [](std::mt19937& rng) { return algorithms_test::scramble(algorithms_test::wheelGraph(kLarge), 0, rng); },
                  true, false},
        LargeCase{"ears",
                  [](std::mt19937& rng) {
                    return algorithms_test::scramble(algorithms_test::earGraph(kLarge, kLarge / 10, rng), 50, rng);
                  },
                  false, false},
        LargeCase{"ears_edge_given",
                  [](std::mt19937& rng) {
                    return algorithms_test::scramble(algorithms_test::earGraph(kLarge, kLarge / 10, rng), 50, rng);
                  },
                  false, true}),
    [](const testing::TestParamInfo<LargeCase>& info) { return std::string(info.param.name); });

}  // namespace
