#include "graphlib/algorithms/planarity.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <sstream>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "GraphInvariants.h"
#include "RecordingErrorHandler.h"
#include "graphlib/algorithms/graph_properties.h"
#include "graphlib/algorithms/st_number.h"
#include "tests/graphlib/algorithms/PlanarFamilies.h"

namespace {

using graphlib::edge;
using graphlib::graph;
using graphlib::node;
using planar_families::Pairs;
using planar_families::Rng;
using planar_families::Snapshot;
using testing_support::graphDefect;
using testing_support::RecordingErrorHandler;

Pairs petersen() {
  Pairs p{10, {}};
  for (int i = 0; i < 5; i++) {
    p.edges.emplace_back(i, (i + 1) % 5);
    p.edges.emplace_back(i, i + 5);
    p.edges.emplace_back(i + 5, (i + 2) % 5 + 5);
  }
  return p;
}

Pairs withoutFirstEdge(Pairs p) {
  p.edges.erase(p.edges.begin());
  return p;
}

// Two copies side by side; with share, the second copy's node 0 is the first's.
Pairs twoCopies(const Pairs& g, bool share) {
  Pairs p = g;
  int offset = share ? g.n - 1 : g.n;
  p.n = g.n + offset;
  for (const auto& e : g.edges) {
    auto name = [&](int v) { return share && v == 0 ? 0 : v + offset; };
    p.edges.emplace_back(name(e.first), name(e.second));
  }
  return p;
}

// The plain test must leave G exactly as it was; with embed, a planar answer
// must come with a planar map of the same edges.
void expectAnswer(const Pairs& p, bool planar, const std::string& what) {
  SCOPED_TRACE(what);
  graph G;
  planar_families::build(G, p, false);
  Snapshot before(G);
  EXPECT_EQ(graphlib::BL_PLANAR(G, false), planar);
  EXPECT_TRUE(before == Snapshot(G));
  EXPECT_EQ(graphDefect(G), "");
  EXPECT_EQ(graphlib::Is_Planar(G), planar);
  EXPECT_EQ(graphlib::PLANAR(G, false), planar);

  graph M;
  planar_families::build(M, p, true);
  std::multiset<std::pair<int, int>> ends = planar_families::endsOf(M);
  EXPECT_EQ(graphlib::BL_PLANAR(M, true), planar);
  EXPECT_EQ(graphDefect(M), "");
  EXPECT_TRUE(planar_families::endsOf(M) == ends) << "the embedding changed the edges";
  if (planar) {
    EXPECT_EQ(planar_families::embeddingDefect(M), "");
  }
}

TEST(PlanarityTest, KnownGraphs) {
  struct Case {
    const char* name;
    Pairs graph;
    bool planar;
  };
  const Case cases[] = {
      {"K4", planar_families::complete(4), true},
      {"K5", planar_families::complete(5), false},
      {"K5 minus an edge", withoutFirstEdge(planar_families::complete(5)), true},
      {"K3,3", planar_families::completeBipartite(3, 3), false},
      {"K3,3 minus an edge", withoutFirstEdge(planar_families::completeBipartite(3, 3)), true},
      {"K2,7", planar_families::completeBipartite(2, 7), true},
      {"Petersen graph", petersen(), false},
      {"two K4 apart", twoCopies(planar_families::complete(4), false), true},
      {"two K4 sharing a cut node", twoCopies(planar_families::complete(4), true), true},
      {"two K5 minus an edge sharing a cut node", twoCopies(withoutFirstEdge(planar_families::complete(5)), true),
       true},
      {"K5 beside a K4", [] {
         Pairs p = planar_families::complete(5);
         for (const auto& e : planar_families::complete(4).edges) p.edges.emplace_back(e.first + 5, e.second + 5);
         p.n = 9;
         return p;
       }(),
       false},
      {"K3,3 with isolated nodes", [] {
         Pairs p = planar_families::completeBipartite(3, 3);
         p.n += 3;
         return p;
       }(),
       false},
      {"6x6 grid", planar_families::grid(6, 6), true},
      {"a path", planar_families::grid(1, 9), true},
  };
  for (const Case& c : cases) expectAnswer(c.graph, c.planar, c.name);
}

TEST(PlanarityTest, PlanarFamiliesAreEmbedded) {
  Rng rng(1907);
  for (int round = 0; round < 4; round++) {
    for (int n : {5, 12, 40, 90}) {
      struct Family {
        const char* name;
        std::function<Pairs()> make;
      };
      const Family families[] = {
          {"triangulation", [&] { return planar_families::triangulation(n, rng); }},
          {"grid", [&] { return planar_families::grid(2 + n / 10, 2 + n / 7); }},
          {"tree", [&] { return planar_families::tree(n, rng); }},
          {"outerplanar", [&] { return planar_families::outerplanar(n, rng); }},
          {"random planar", [&] { return planar_families::randomPlanar(n, rng); }},
      };
      for (const Family& f : families)
        expectAnswer(planar_families::shuffled(f.make(), rng), true, f.name + (" n=" + std::to_string(n)));
    }
  }
}

TEST(PlanarityTest, NonPlanarFamiliesAreRefused) {
  Rng rng(1908);
  for (int round = 0; round < 6; round++) {
    for (int n : {6, 15, 40}) {
      struct Family {
        const char* name;
        std::function<Pairs()> make;
      };
      const Family families[] = {
          {"K5 subdivision", [&] { return planar_families::subdivide(planar_families::complete(5), 3, rng); }},
          {"K3,3 subdivision",
           [&] { return planar_families::subdivide(planar_families::completeBipartite(3, 3), 3, rng); }},
          {"dense", [&] { return planar_families::dense(n, rng); }},
          {"triangulation plus an edge", [&] { return planar_families::triangulationPlusEdge(n, rng); }},
      };
      for (const Family& f : families)
        expectAnswer(planar_families::shuffled(f.make(), rng), false, f.name + (" n=" + std::to_string(n)));
    }
  }
}

TEST(PlanarityTest, EmbeddingCheckRejectsABrokenRotation) {
  graph G;
  planar_families::build(G, planar_families::complete(4), true);
  ASSERT_TRUE(graphlib::BL_PLANAR(G, true));
  ASSERT_EQ(planar_families::embeddingDefect(G), "");
  // K4 has only its planar rotation and the mirror image: turning one node
  // around gives a rotation on the torus.
  node v = static_cast<node>(G.v_list.head);
  std::vector<edge> order;
  std::vector<size_t> at_v;
  for (graphlib::graph_object* x = G.e_list.head; x; x = x->succ) {
    if (static_cast<edge>(x)->source == v) at_v.push_back(order.size());
    order.push_back(static_cast<edge>(x));
  }
  ASSERT_EQ(at_v.size(), 3u);
  std::swap(order[at_v[0]], order[at_v[2]]);
  graphlib::list<edge> L;
  for (edge e : order) L.append(e);
  G.sort_edges(L);
  EXPECT_NE(planar_families::embeddingDefect(G), "");
  G.del_edge(static_cast<edge>(G.e_list.head)->rev);
  EXPECT_NE(planar_families::embeddingDefect(G), "");
}

TEST(PlanarityTest, NonPlanarEmbedKeepsTheListOrder) {
  graph G;
  planar_families::build(G, planar_families::complete(5), true);
  EXPECT_FALSE(graphlib::BL_PLANAR(G, true));
  Snapshot paired(G);
  std::vector<std::vector<int>> lists = paired.adjacency;
  graph H;
  planar_families::build(H, planar_families::complete(5), true);
  EXPECT_EQ(Snapshot(H).adjacency, lists);
  EXPECT_EQ(Snapshot(H).edges, paired.edges);
}

TEST(PlanarityTest, AtMostFourNodesAlwaysPassThePlainTest) {
  // Self-loops and parallel edges included: such graphs are planar.
  Rng rng(404);
  for (int round = 0; round < 60; round++) {
    graph G;
    int n = planar_families::pick(rng, 1, 4);
    std::vector<node> v;
    for (int i = 0; i < n; i++) v.push_back(G.new_node());
    for (int m = planar_families::pick(rng, 1, 14); m > 0; m--)
      G.new_edge(v[static_cast<size_t>(planar_families::pick(rng, 0, n - 1))],
                 v[static_cast<size_t>(planar_families::pick(rng, 0, n - 1))]);
    Snapshot before(G);
    EXPECT_TRUE(graphlib::BL_PLANAR(G, false));
    EXPECT_TRUE(before == Snapshot(G));
    EXPECT_EQ(graphDefect(G), "");
  }
}

TEST(PlanarityTest, EdgelessGraphsArePlanarAndUntouched) {
  for (int n : {0, 1, 2, 7, 60}) {
    for (bool embed : {false, true}) {
      graph G;
      for (int i = 0; i < n; i++) G.new_node();
      int max_edge = G.max_edge_index;
      EXPECT_TRUE(graphlib::BL_PLANAR(G, embed)) << n;
      EXPECT_EQ(G.number_of_edges(), 0);
      EXPECT_EQ(G.max_edge_index, max_edge);
      EXPECT_EQ(G.number_of_nodes(), n);
    }
  }
}

TEST(PlanarityTest, AuxiliaryEdgesAreDeletedAgain) {
  // Disconnected and with cut nodes: the test adds edges and deletes them;
  // the graph keeps its edges while its index bound may grow.
  Rng rng(77);
  Pairs p = planar_families::shuffled(planar_families::tree(30, rng), rng);
  p.n += 5;
  graph G;
  planar_families::build(G, p, false);
  Snapshot before(G);
  int max_edge = G.max_edge_index;
  EXPECT_TRUE(graphlib::BL_PLANAR(G, false));
  EXPECT_TRUE(before == Snapshot(G));
  EXPECT_EQ(graphDefect(G), "");
  EXPECT_GT(G.max_edge_index, max_edge);
  // Freed indices come back: the next edge reuses one of them.
  node a = static_cast<node>(G.v_list.head);
  edge e = G.new_edge(a, a);
  EXPECT_LE(e->index(), G.max_edge_index);
  EXPECT_EQ(graphDefect(G), "");
}

TEST(PlanarityTest, EmbeddingIsRefusedForAGraphThatIsNotBidirected) {
  {
    RecordingErrorHandler handler;
    graph G;
    planar_families::build(G, planar_families::complete(4), false);
    EXPECT_EQ(handler.raisedBy([&] { graphlib::BL_PLANAR(G, true); }),
              (testing_support::GraphlibError{1, "BL_PLANAR: can only embed maps."}));
  }
  RecordingErrorHandler handler(RecordingErrorHandler::Mode::Return);
  graph G;
  planar_families::build(G, planar_families::complete(4), false);
  Snapshot before(G);
  EXPECT_FALSE(graphlib::BL_PLANAR(G, true));
  ASSERT_EQ(handler.size(), 1u);
  EXPECT_EQ(handler.last().message, "BL_PLANAR: can only embed maps.");
  EXPECT_EQ(Snapshot(G).adjacency, before.adjacency);
  EXPECT_EQ(G.number_of_edges(), 6);
  EXPECT_EQ(graphDefect(G), "");
}

TEST(PlanarityTest, MakePlanarMap) {
  struct Case {
    const char* name;
    Pairs graph;
    bool bidirected;
    int components;
    const char* error;  // nullptr: becomes a planar map with faces
  };
  Rng rng(5);
  const Case cases[] = {
      {"triangulation", planar_families::triangulation(30, rng), true, 1, nullptr},
      {"two grids", twoCopies(planar_families::grid(3, 4), false), true, 2, nullptr},
      {"K5", planar_families::complete(5), true, 1, "graph::make_planar_map: Graph is not planar."},
      {"K4 one way", planar_families::complete(4), false, 1, "graph::make_planar_map: graph is not bidirected"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingErrorHandler handler(RecordingErrorHandler::Mode::Return);
    graph G;
    planar_families::build(G, c.graph, c.bidirected);
    G.make_planar_map();
    EXPECT_EQ(graphDefect(G), "");
    if (c.error == nullptr) {
      EXPECT_TRUE(handler.empty());
      EXPECT_EQ(planar_families::embeddingDefect(G), "");
      // Euler's formula per component gives the number of faces.
      EXPECT_EQ(G.number_of_faces(), 2 * c.components - G.number_of_nodes() + G.number_of_edges() / 2);
      for (graphlib::graph_object* x = G.e_list.head; x; x = x->succ)
        EXPECT_NE(G.access_face(static_cast<edge>(x)), nullptr);
    } else {
      ASSERT_EQ(handler.size(), 1u);
      EXPECT_EQ(handler.last(), (testing_support::GraphlibError{1, c.error}));
      EXPECT_EQ(G.number_of_faces(), 0);
    }
  }
}

TEST(PlanarityTest, FailedEmbeddingRunReportsItsProgressAndChangesNothing) {
  Rng rng(31);
  for (int round = 0; round < 10; round++) {
    graph G;
    planar_families::build(G, planar_families::shuffled(planar_families::triangulationPlusEdge(25, rng), rng), true);
    ASSERT_TRUE(G.make_map());
    graphlib::list<edge> B;
    graphlib::Make_Biconnected(G, B);
    EXPECT_TRUE(B.empty());
    graphlib::node_array<int> numbers(G, 0);
    graphlib::list<node> L;
    graphlib::ST_NUMBERING(G, numbers, L, nullptr);
    std::vector<int> before;
    for (graphlib::dlink* it = L.first(); it; it = it->succ) before.push_back(numbers[L.contents(it)]);
    Snapshot graph_before(G);
    int k = graphlib::PLAN_EMBED_K(G, numbers, L);
    EXPECT_GE(k, 1);
    EXPECT_LT(k, G.number_of_nodes());
    EXPECT_FALSE(graphlib::PLAN_EMBED(G, numbers, L));
    std::vector<int> after;
    for (graphlib::dlink* it = L.first(); it; it = it->succ) after.push_back(numbers[L.contents(it)]);
    EXPECT_EQ(before, after);
    EXPECT_TRUE(graph_before == Snapshot(G));
  }
}

TEST(PlanarityTest, EmbeddingStepsCountEveryNodeOfAnEdgelessGraph) {
  // Regression: an edgeless graph used to report one successful step
  // whatever its size, so the embedding answered "not planar".
  for (int n : {0, 1, 2, 6}) {
    graph G;
    graphlib::list<node> L;
    for (int i = 0; i < n; i++) L.append(G.new_node());
    graphlib::node_array<int> numbers(G, 0);
    int k = 1;
    for (graphlib::dlink* it = L.first(); it; it = it->succ) numbers[L.contents(it)] = k++;
    EXPECT_EQ(graphlib::PLAN_EMBED_K(G, numbers, L), n);
    EXPECT_TRUE(graphlib::PLAN_EMBED(G, numbers, L));
  }
}

// The st-list may leave out the nodes without edges: when every node of it
// passes, the graph is embedded all the same.
TEST(PlanarityTest, EmbeddingStepsTakeAListWithoutTheNodesWithoutEdges) {
  Rng rng(23);
  const Pairs tri = planar_families::shuffled(planar_families::triangulation(10, rng), rng);
  struct Case {
    const char* name;
    Pairs graph;
    std::vector<int> lone;  // nodes without edges, inserted at these positions in turn
  };
  const Case cases[] = {
      {"K4, one node first", planar_families::complete(4), {0}},
      {"K4, nodes among and last", planar_families::complete(4), {2, 5}},
      {"triangulation, nodes first, among and last", tri, {0, 6, 12}},
  };
  int scrambled = 0;  // inputs whose rotation was not planar to begin with
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Node i of the input becomes the i-th node that is not lone.
    std::vector<int> at;
    for (int i = 0, v = 0; i < c.graph.n; i++, v++) {
      while (std::find(c.lone.begin(), c.lone.end(), v) != c.lone.end()) v++;
      at.push_back(v);
    }
    const Pairs p = planar_families::place(c.graph, at, c.graph.n + static_cast<int>(c.lone.size()));
    graph G;
    std::vector<node> v = planar_families::build(G, p, true);
    ASSERT_TRUE(G.make_map());
    if (planar_families::embeddingDefect(G) != "") scrambled++;
    const std::multiset<planar_families::Pair> ends = planar_families::endsOf(G);
    graphlib::node_array<int> numbers(G, 0);
    graphlib::list<node> L;
    graphlib::ST_NUMBERING(G, numbers, L, v[static_cast<size_t>(at[0])]->first_adj_edge[0]);
    ASSERT_EQ(L.length(), c.graph.n);
    EXPECT_EQ(graphlib::PLAN_EMBED_K(G, numbers, L), c.graph.n);
    EXPECT_TRUE(planar_families::endsOf(G) == ends);
    EXPECT_EQ(planar_families::embeddingDefect(G), "");
    EXPECT_EQ(graphDefect(G), "");
  }
  EXPECT_GT(scrambled, 0) << "no input needed an embedding";
}

TEST(PlanarityTest, LongCycleIsEmbeddedWithoutDeepRecursion) {
  // The completion walk goes as deep as the cycle is long. The cycle is
  // already biconnected, so the test's steps are called directly.
  const int n = 80000;
  Pairs p{n, {}};
  for (int i = 0; i < n; i++) p.edges.emplace_back(i, (i + 1) % n);
  graph G;
  planar_families::build(G, p, true);
  ASSERT_TRUE(G.make_map());
  graphlib::node_array<int> numbers(G, 0);
  graphlib::list<node> L;
  graphlib::ST_NUMBERING(G, numbers, L, nullptr);
  EXPECT_TRUE(graphlib::PLAN_EMBED(G, numbers, L));
  // Any rotation of a cycle is planar: what can go wrong is a lost edge.
  EXPECT_EQ(G.number_of_edges(), 2 * n);
  int in_lists = 0;
  for (graphlib::graph_object* x = G.v_list.head; x; x = x->succ) in_lists += G.outdeg(static_cast<node>(x));
  EXPECT_EQ(in_lists, 2 * n);
}

using planar_families::Entry;

class DeepPlanarInputs : public planar_families::DeepCase {};

// Inputs whose searches go as deep as the graph is long, at the default stack:
// the plain forms leave G exactly as it was, the embedding forms make a planar
// map of the same edges (with its faces for make_planar_map).
TEST_P(DeepPlanarInputs, ArePlanarAndEmbedded) {
  const Entry entry = this->entry();
  const Pairs p = input();
  RecordingErrorHandler handler;
  graph G;
  const bool plain = entry == Entry::IsPlanar || entry == Entry::Planar || entry == Entry::BlPlanar;
  planar_families::build(G, p, !plain);
  if (plain) {
    Snapshot before(G);
    bool planar = entry == Entry::IsPlanar ? graphlib::Is_Planar(G)
                  : entry == Entry::Planar ? graphlib::PLANAR(G, false)
                                           : graphlib::BL_PLANAR(G, false);
    EXPECT_TRUE(planar);
    EXPECT_TRUE(before == Snapshot(G));
    return;
  }
  const std::multiset<std::pair<int, int>> ends = planar_families::endsOf(G);
  if (entry == Entry::MakePlanarMap)
    G.make_planar_map();
  else
    EXPECT_TRUE(entry == Entry::PlanarEmbed ? graphlib::PLANAR(G, true) : graphlib::BL_PLANAR(G, true));
  EXPECT_TRUE(handler.empty());
  EXPECT_TRUE(planar_families::endsOf(G) == ends) << "the embedding changed the edges";
  EXPECT_EQ(planar_families::embeddingDefect(G), "");
  if (entry == Entry::MakePlanarMap) {
    // Every family is connected: Euler's formula gives the faces.
    EXPECT_EQ(G.number_of_faces(), 2 - G.number_of_nodes() + G.number_of_edges() / 2);
    for (graphlib::graph_object* x = G.e_list.head; x; x = x->succ)
      ASSERT_NE(G.access_face(static_cast<edge>(x)), nullptr);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Families, DeepPlanarInputs,
    testing::Combine(testing::ValuesIn(planar_families::deepPlanarFamilies()),
                     testing::Values(Entry::IsPlanar, Entry::Planar, Entry::BlPlanar, Entry::PlanarEmbed,
                                     Entry::BlPlanarEmbed, Entry::MakePlanarMap)),
    DeepPlanarInputs::name);

// The full 1000 x 1000 grid, for the test that copies it.
TEST(PlanarityTest, LargeGridIsPlanar) {
  const int side = planar_families::deepSize(1000, 300);
  graph G;
  planar_families::build(G, planar_families::grid(side, side), false);
  Snapshot before(G);
  EXPECT_TRUE(graphlib::Is_Planar(G));
  EXPECT_TRUE(before == Snapshot(G));
}

TEST(PlanarityTest, EmbeddingStepsRefuseAGraphThatIsNotAMap) {
  for (auto mode : RecordingErrorHandler::modes) {
    RecordingErrorHandler handler(mode);
    graph G;
    planar_families::build(G, planar_families::complete(5), false);
    Snapshot before(G);
    graphlib::node_array<int> numbers(G, 0);
    graphlib::list<node> L;
    graphlib::ST_NUMBERING(G, numbers, L, nullptr);
    int k = -1;
    EXPECT_EQ(handler.raisedBy([&] { k = graphlib::PLAN_EMBED_K(G, numbers, L); }).message,
              mode == RecordingErrorHandler::Mode::Throw ? "PLAN_EMBED_K: graph is not a map." : "");
    if (mode == RecordingErrorHandler::Mode::Return) {
      EXPECT_EQ(k, 0);
      EXPECT_FALSE(graphlib::PLAN_EMBED(G, numbers, L));
      ASSERT_EQ(handler.size(), 2u);
      EXPECT_EQ(handler.last(), (testing_support::GraphlibError{1, "PLAN_EMBED_K: graph is not a map."}));
    }
    EXPECT_TRUE(before == Snapshot(G));
  }
}

// Run by hand (--gtest_also_run_disabled_tests, optimised build): the processor
// time per edge of the plain test and of the embedding should stay roughly
// constant as the triangulations grow. The pairing of the bidirected copy
// into a map is timed on its own.
TEST(PlanarityTest, DISABLED_LinearTimeOnTriangulations) {
  Rng rng(100000);
  auto ms = [](std::clock_t a, std::clock_t b) { return 1000.0 * static_cast<double>(b - a) / CLOCKS_PER_SEC; };
  std::printf("%8s %8s %10s %10s %10s %10s %12s\n", "nodes", "edges", "test ms", "ns/edge", "embed ms", "ns/edge",
              "pairing ms");
  for (int n : {1000, 3000, 10000, 30000, 100000}) {
    Pairs p = planar_families::shuffled(planar_families::triangulation(n, rng), rng);
    graph G;
    planar_families::build(G, p, false);
    graph M;
    planar_families::build(M, p, true);
    std::clock_t t0 = std::clock();
    bool plain = graphlib::BL_PLANAR(G, false);
    std::clock_t t1 = std::clock();
    bool paired = M.make_map();
    std::clock_t t2 = std::clock();
    bool embedded = graphlib::BL_PLANAR(M, true);
    std::clock_t t3 = std::clock();
    EXPECT_TRUE(plain);
    EXPECT_TRUE(paired);
    EXPECT_TRUE(embedded);
    double m = static_cast<double>(p.edges.size());
    std::printf("%8d %8d %10.1f %10.1f %10.1f %10.1f %12.1f\n", n, static_cast<int>(p.edges.size()), ms(t0, t1),
                ms(t0, t1) * 1e6 / m, ms(t2, t3), ms(t2, t3) * 1e6 / m, ms(t1, t2));
  }
}

TEST(PlanarityTest, NodeArraysOfNodesHaveNoTextForm) {
  graph G;
  G.new_node();
  graphlib::node_array<node> A(G, nullptr);
  std::ostringstream out;
  EXPECT_EQ(&(out << A), &out);
  EXPECT_EQ(out.str(), "");
  std::istringstream in("3 4");
  EXPECT_EQ(&(in >> A), &in);
  EXPECT_TRUE(in.good());
  int x = 0;
  in >> x;
  EXPECT_EQ(x, 3);
}

}  // namespace
