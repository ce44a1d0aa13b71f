#include "graphlib/algorithms/kuratowski.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "GraphInvariants.h"
#include "GraphTestSupport.h"
#include "KuratowskiVerifier.h"
#include "RecordingErrorHandler.h"
#include "graphlib/algorithms/graph_properties.h"
#include "graphlib/algorithms/internal/kuratowski_case.h"
#include "tests/graphlib/algorithms/PlanarFamilies.h"

namespace {

using graphlib::edge;
using graphlib::graph;
using graphlib::node;
using planar_families::Pair;
using planar_families::Pairs;
using planar_families::place;
using planar_families::Rng;
using planar_families::Snapshot;
using testing_support::graphDefect;
using testing_support::items;
using testing_support::kuratowskiDefect;
using testing_support::kuratowskiPairsDefect;
using testing_support::RecordingErrorHandler;

std::set<Pair> nodePairs(const graphlib::list<edge>& L) {
  std::set<Pair> out;
  for (edge e : items(L)) out.insert(std::minmax(e->source->index(), e->target->index()));
  return out;
}

std::set<Pair> nodePairs(const Pairs& p) {
  std::set<Pair> out;
  for (const Pair& e : p.edges) out.insert(std::minmax(e.first, e.second));
  return out;
}

// A non-planar graph: the answer must be false, the witness verified, and G
// (read only without embed) unchanged. Returns the case the search took.
int expectWitness(const Pairs& p, bool embed, const std::string& what) {
  SCOPED_TRACE(what);
  graph G;
  planar_families::build(G, p, embed);
  Snapshot before(G);
  graphlib::list<edge> K;
  graphlib::kuratowski_last_case = 0;
  EXPECT_FALSE(graphlib::BL_PLANAR(G, K, embed));
  int taken = graphlib::kuratowski_last_case;
  EXPECT_EQ(kuratowskiDefect(G, K), "");
  EXPECT_EQ(graphDefect(G), "");
  if (!embed) {
    EXPECT_TRUE(before == Snapshot(G));
  }
  return taken;
}

TEST(KuratowskiTest, VerifierAcceptsWitnessesAndRejectsBrokenOnes) {
  Rng rng(2);
  auto K5 = planar_families::complete(5).edges;
  auto K33 = planar_families::completeBipartite(3, 3).edges;
  EXPECT_EQ(kuratowskiPairsDefect(K5), "");
  EXPECT_EQ(kuratowskiPairsDefect(K33), "");
  EXPECT_EQ(kuratowskiPairsDefect(planar_families::subdivide(planar_families::complete(5), 3, rng).edges), "");
  struct Case {
    const char* name;
    std::vector<Pair> edges;
  };
  auto with = [](std::vector<Pair> e, Pair extra) {
    e.push_back(extra);
    return e;
  };
  auto without = [](std::vector<Pair> e) {
    e.pop_back();
    return e;
  };
  const Case broken[] = {
      {"nothing", {}},
      {"K5 minus an edge", without(K5)},
      {"K3,3 minus an edge", without(K33)},
      {"K5 plus a pendant edge", with(K5, {4, 5})},
      {"K3,3 plus a chord", with(K33, {0, 1})},
      {"K5 with an edge twice", with(K5, {1, 0})},
      {"K5 with a loop", with(K5, {2, 2})},
      {"K5 beside a triangle", [&] {
         auto e = K5;
         for (Pair x : {Pair{5, 6}, Pair{6, 7}, Pair{7, 5}}) e.push_back(x);
         return e;
       }()},
      {"K4", planar_families::complete(4).edges},
      {"prism, six nodes of degree three", {{0, 1}, {1, 2}, {2, 0}, {3, 4}, {4, 5}, {5, 3}, {0, 3}, {1, 4}, {2, 5}}},
  };
  for (const Case& c : broken) EXPECT_NE(kuratowskiPairsDefect(c.edges), "") << c.name;

  graph G;
  planar_families::build(G, planar_families::complete(5), false);
  graph other;
  planar_families::build(other, planar_families::complete(5), false);
  graphlib::list<edge> K;
  for (graphlib::graph_object* x = G.e_list.head; x; x = x->succ) K.append(static_cast<edge>(x));
  EXPECT_EQ(kuratowskiDefect(G, K), "");
  K.append(K.front());
  EXPECT_NE(kuratowskiDefect(G, K), "");
  K.pop_back();
  K.pop_back();
  K.append(static_cast<edge>(other.e_list.tail));
  EXPECT_NE(kuratowskiDefect(G, K), "");
}

TEST(KuratowskiTest, K5AndK33GiveAllTheirEdges) {
  for (const Pairs& p : {planar_families::complete(5), planar_families::completeBipartite(3, 3)}) {
    for (bool embed : {false, true}) {
      graph G;
      planar_families::build(G, p, embed);
      graphlib::list<edge> K;
      EXPECT_FALSE(graphlib::PLANAR(G, K, embed));
      EXPECT_EQ(K.length(), static_cast<int>(p.edges.size()));
      EXPECT_EQ(nodePairs(K), nodePairs(p));
      EXPECT_EQ(kuratowskiDefect(G, K), "");
    }
  }
}

TEST(KuratowskiTest, SubdivisionsGiveAllTheirEdges) {
  Rng rng(88);
  for (int round = 0; round < 20; round++) {
    for (const Pairs& base : {planar_families::complete(5), planar_families::completeBipartite(3, 3)}) {
      Pairs p = planar_families::shuffled(planar_families::subdivide(base, 4, rng), rng);
      graph G;
      planar_families::build(G, p, false);
      graphlib::list<edge> K;
      EXPECT_FALSE(graphlib::BL_PLANAR(G, K, false));
      EXPECT_EQ(nodePairs(K), nodePairs(p));
      EXPECT_EQ(kuratowskiDefect(G, K), "");
    }
  }
}

TEST(KuratowskiTest, NonPlanarFamiliesGiveVerifiedWitnessesAndReachEveryCase) {
  Rng rng(4242);
  std::vector<int> reached(6, 0);
  for (int round = 0; round < 24; round++) {
    int n = planar_families::pick(rng, 6, 30);
    struct Family {
      const char* name;
      std::function<Pairs()> make;
    };
    const Family families[] = {
        {"dense", [&] { return planar_families::dense(n, rng); }},
        {"triangulation plus an edge", [&] { return planar_families::triangulationPlusEdge(n, rng); }},
        {"K5 subdivision in a planar graph",
         [&] {
           Pairs p = planar_families::randomPlanar(n, rng);
           Pairs k = planar_families::subdivide(planar_families::complete(5), 2, rng);
           for (const Pair& e : k.edges) p.edges.emplace_back(e.first + p.n, e.second + p.n);
           p.edges.emplace_back(0, p.n);
           p.n += k.n;
           return p;
         }},
        {"K3,3 subdivision among planar blocks",
         [&] {
           Pairs p = planar_families::subdivide(planar_families::completeBipartite(3, 3), 2, rng);
           Pairs t = planar_families::triangulation(n, rng);
           for (const Pair& e : t.edges) p.edges.emplace_back(e.first + p.n, e.second + p.n);
           p.edges.emplace_back(1, p.n);
           p.n += t.n;
           return p;
         }},
    };
    for (const Family& f : families) {
      Pairs p = planar_families::shuffled(f.make(), rng);
      bool embed = round % 4 == 3;
      reached[static_cast<size_t>(expectWitness(p, embed, f.name + (" n=" + std::to_string(n))))]++;
    }
  }
  // Random graphs around the planarity threshold: either answer must carry
  // its certificate.
  for (int round = 0; round < 150; round++) {
    int n = planar_families::pick(rng, 5, 40);
    int m = 3 * n - 6 + planar_families::pick(rng, -4, 3);
    Pairs p = planar_families::randomGraph(n, m, rng);
    graph G;
    planar_families::build(G, p, false);
    graphlib::list<edge> K;
    graphlib::kuratowski_last_case = 0;
    if (graphlib::BL_PLANAR(G, K, false)) {
      graph M;
      planar_families::build(M, p, true);
      EXPECT_TRUE(graphlib::BL_PLANAR(M, true));
      EXPECT_EQ(planar_families::embeddingDefect(M), "") << "n=" << n << " m=" << m;
    } else {
      reached[static_cast<size_t>(graphlib::kuratowski_last_case)]++;
      EXPECT_EQ(kuratowskiDefect(G, K), "") << "n=" << n << " m=" << m;
    }
  }
  EXPECT_EQ(reached[0], 0) << "a search ended without a case";
  for (int c = 1; c <= 5; c++) EXPECT_GT(reached[static_cast<size_t>(c)], 0) << "case " << c << " never reached";
}

TEST(KuratowskiTest, PlanarGraphLeavesTheListAlone) {
  Rng rng(12);
  graph other;
  planar_families::build(other, planar_families::complete(3), false);
  for (const Pairs& p : {planar_families::triangulation(20, rng), planar_families::grid(4, 5),
                         planar_families::complete(4)}) {
    graph G;
    planar_families::build(G, p, false);
    Snapshot before(G);
    graphlib::list<edge> K;
    K.append(static_cast<edge>(other.e_list.head));
    K.append(static_cast<edge>(other.e_list.tail));
    std::vector<edge> kept = items(K);
    EXPECT_TRUE(graphlib::BL_PLANAR(G, K, false));
    EXPECT_EQ(items(K), kept);
    EXPECT_TRUE(before == Snapshot(G));
  }
}

TEST(KuratowskiTest, EmbeddingAskedForAGraphThatCannotBePaired) {
  // The answer comes from the pairing, not from a failed test: no witness.
  RecordingErrorHandler handler(RecordingErrorHandler::Mode::Return);
  graph G;
  planar_families::build(G, planar_families::complete(5), false);
  graphlib::list<edge> K;
  K.append(static_cast<edge>(G.e_list.head));
  EXPECT_FALSE(graphlib::BL_PLANAR(G, K, true));
  ASSERT_EQ(handler.size(), 1u);
  EXPECT_EQ(handler.last(), (testing_support::GraphlibError{1, "BL_PLANAR: can only embed maps."}));
  EXPECT_TRUE(K.empty());
  EXPECT_EQ(graphDefect(G), "");
}

TEST(KuratowskiTest, SimpleSearchOnK5ListsEveryEdgeInOrder) {
  graph G;
  planar_families::build(G, planar_families::complete(5), false);
  std::vector<edge> order;
  for (graphlib::graph_object* x = G.e_list.head; x; x = x->succ) order.push_back(static_cast<edge>(x));
  graphlib::list<edge> K;
  graphlib::KURATOWSKI_SIMPLE(G, K);
  EXPECT_EQ(items(K), order);
  EXPECT_EQ(G.number_of_edges(), 10);
  EXPECT_EQ(graphDefect(G), "");
}

TEST(KuratowskiTest, SimpleSearchKeepsAMinimalSetAndRestoresEveryEdge) {
  Rng rng(9);
  for (int round = 0; round < 8; round++) {
    Pairs p = planar_families::shuffled(planar_families::triangulationPlusEdge(12, rng), rng);
    graph G;
    planar_families::build(G, p, false);
    std::set<edge> edges;
    for (graphlib::graph_object* x = G.e_list.head; x; x = x->succ) edges.insert(static_cast<edge>(x));
    graphlib::list<edge> K;
    K.append(static_cast<edge>(G.e_list.head));
    graphlib::KURATOWSKI_SIMPLE(G, K);
    EXPECT_EQ(kuratowskiDefect(G, K), "");
    std::set<edge> after;
    for (graphlib::graph_object* x = G.e_list.head; x; x = x->succ) after.insert(static_cast<edge>(x));
    EXPECT_EQ(after, edges);
    EXPECT_TRUE(G.e_hidden.empty());
    EXPECT_EQ(graphDefect(G), "");
  }
}

TEST(KuratowskiTest, PlanarInputsAreReported) {
  struct Case {
    const char* name;
    std::function<void(graph&, graphlib::list<edge>&)> run;
    const char* message;
  };
  const Case cases[] = {
      {"simple search", [](graph& G, graphlib::list<edge>& L) { graphlib::KURATOWSKI_SIMPLE(G, L); },
       "KURATOWSKI_SIMPLE: G is planar"},
      {"search", [](graph& G, graphlib::list<edge>& L) { graphlib::Kuratowski(G, L); },
       "Kuratowski: G must be non-planar"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingErrorHandler handler(RecordingErrorHandler::Mode::Return);
    graph G;
    planar_families::build(G, planar_families::complete(4), true);
    ASSERT_TRUE(G.make_map());
    graphlib::list<edge> L;
    c.run(G, L);
    ASSERT_EQ(handler.size(), 1u);
    EXPECT_EQ(handler.last(), (testing_support::GraphlibError{1, c.message}));
    EXPECT_TRUE(L.empty());
    EXPECT_EQ(G.number_of_edges(), 12);
    EXPECT_TRUE(G.e_hidden.empty());
    EXPECT_EQ(graphDefect(G), "");
  }
}

// A graph without an edge between two nodes is planar: reported once, with G
// and L as they were, whether the handler throws or returns.
TEST(KuratowskiTest, SearchReportsAGraphWithoutEdgesAsPlanar) {
  graph other;
  planar_families::build(other, planar_families::complete(3), false);
  for (int n : {0, 1, 2, 3}) {
    for (auto mode : RecordingErrorHandler::modes) {
      SCOPED_TRACE(std::to_string(n) + " nodes" +
                   ", " + RecordingErrorHandler::modeName(mode));
      RecordingErrorHandler handler(mode);
      graph G;
      planar_families::build(G, Pairs{n, {}}, true);
      Snapshot before(G);
      graphlib::list<edge> L;
      L.append(static_cast<edge>(other.e_list.head));
      const std::vector<edge> kept = items(L);
      handler.raisedBy([&] { graphlib::Kuratowski(G, L); });
      EXPECT_EQ(handler.size(), 1u);
      if (!handler.empty()) {
        EXPECT_EQ(handler.errors().front().code, 1);
        EXPECT_EQ(handler.errors().front().message, "Kuratowski: G must be non-planar");
      }
      EXPECT_EQ(items(L), kept);
      EXPECT_EQ(G.number_of_nodes(), n);
      EXPECT_TRUE(before == Snapshot(G));
    }
  }
}

// A planar map with nodes without edges is reported as planar, not by an
// internal message, and left embedded; L keeps what it held.
TEST(KuratowskiTest, SearchReportsAPlanarMapWithNodesWithoutEdges) {
  Rng rng(57);
  const Pairs K4 = planar_families::complete(4);
  const Pairs tri = planar_families::shuffled(planar_families::triangulation(12, rng), rng);
  std::vector<int> triAt;
  for (int i = 0; i < tri.n; i++) triAt.push_back(i < 6 ? i + 1 : i + 3);
  struct Case {
    const char* name;
    Pairs graph;
  };
  const Case cases[] = {
      {"K4, then one node", place(K4, {0, 1, 2, 3}, 5)},
      {"one node, then K4", place(K4, {1, 2, 3, 4}, 5)},
      {"one node among K4's", place(K4, {0, 1, 3, 4}, 5)},
      {"K4, then three nodes", place(K4, {0, 1, 2, 3}, 7)},
      {"nodes first, among and last around K4", place(K4, {2, 3, 5, 7}, 9)},
      {"a cycle between nodes without edges", place(planar_families::cycle(5), {1, 3, 4, 6, 7}, 9)},
      {"a triangulation with nodes without edges first, among and last", place(tri, triAt, tri.n + 4)},
  };
  graph other;
  planar_families::build(other, planar_families::complete(3), false);
  int scrambled = 0;  // inputs whose rotation was not planar to begin with
  for (const Case& c : cases) {
    for (auto mode : RecordingErrorHandler::modes) {
      SCOPED_TRACE(std::string(c.name) + ", " + RecordingErrorHandler::modeName(mode));
      RecordingErrorHandler handler(mode);
      graph G;
      planar_families::build(G, c.graph, true);
      ASSERT_TRUE(G.make_map());
      if (planar_families::embeddingDefect(G) != "") scrambled++;
      const std::multiset<Pair> ends = planar_families::endsOf(G);
      graphlib::list<edge> L;
      L.append(static_cast<edge>(other.e_list.head));
      L.append(static_cast<edge>(G.e_list.head));
      const std::vector<edge> kept = items(L);
      handler.raisedBy([&] { graphlib::Kuratowski(G, L); });
      EXPECT_EQ(handler.errors(),
                (std::vector<testing_support::GraphlibError>{{1, "Kuratowski: G must be non-planar"}}));
      EXPECT_EQ(items(L), kept);
      EXPECT_EQ(G.number_of_nodes(), c.graph.n);
      EXPECT_TRUE(planar_families::endsOf(G) == ends);
      EXPECT_EQ(planar_families::embeddingDefect(G), "");
      EXPECT_EQ(graphDefect(G), "");
    }
  }
  EXPECT_GT(scrambled, 0) << "no input needed an embedding";
}

// The witness goes behind what L held, which is neither read nor changed:
// an edge of another graph (also one whose index lies past G's), an edge of
// G itself. The witness is the one found with L empty.
TEST(KuratowskiTest, SearchAppendsItsWitnessBehindWhatTheListHeld) {
  struct Input {
    std::string name;
    Pairs graph;
  };
  // Taken by Case 5, which reads back the edges it has collected.
  std::vector<Input> inputs = {
      {"case 5 map", Pairs{9, {{6, 7}, {6, 5}, {0, 4}, {4, 8}, {5, 8}, {2, 3}, {3, 8}, {1, 8}, {1, 0}, {3, 7},
                               {2, 0}, {7, 0}, {7, 1}, {3, 1}}}},
      {"K5", planar_families::complete(5)},
      {"K3,3", planar_families::completeBipartite(3, 3)},
  };
  // Random biconnected non-planar maps, until every case has been taken.
  Rng rng(606);
  std::set<int> cases;
  for (int round = 0; round < 2000 && cases.size() < 5; round++) {
    int n = planar_families::pick(rng, 6, 24);
    Pairs p = planar_families::randomGraph(n, 3 * n - 6 + planar_families::pick(rng, -2, 4), rng);
    graph G;
    planar_families::build(G, p, true);
    if (!graphlib::Is_Biconnected(G) || graphlib::Is_Planar(G)) continue;
    ASSERT_TRUE(G.make_map());
    graphlib::list<edge> K;
    graphlib::kuratowski_last_case = 0;
    graphlib::Kuratowski(G, K);
    if (cases.insert(graphlib::kuratowski_last_case).second)
      inputs.push_back({"random, case " + std::to_string(graphlib::kuratowski_last_case), p});
  }
  ASSERT_EQ(cases, (std::set<int>{1, 2, 3, 4, 5}));

  // Edges with every index up to 999, to name one of any index.
  graph other;
  node a = other.new_node();
  node b = other.new_node();
  std::vector<edge> otherEdges;
  for (int i = 0; i < 1000; i++) otherEdges.push_back(other.new_edge(a, b));
  for (const Input& in : inputs) {
    SCOPED_TRACE(in.name);
    graph G;
    planar_families::build(G, in.graph, true);
    ASSERT_TRUE(G.make_map());
    ASSERT_LT(G.max_edge_index + 2, 1000);
    Snapshot before(G);
    graphlib::list<edge> empty;
    graphlib::Kuratowski(G, empty);
    const std::vector<edge> witness = items(empty);
    ASSERT_EQ(kuratowskiDefect(G, empty), "");
    struct Held {
      const char* name;
      std::vector<edge> edges;
    };
    const edge own = static_cast<edge>(G.e_list.head);
    const edge justPast = otherEdges[static_cast<size_t>(G.max_edge_index + 1)];
    ASSERT_EQ(justPast->index(), G.max_edge_index + 1);
    const Held held[] = {
        {"an edge of another graph, index just past G's", {justPast}},
        {"an edge of another graph", {otherEdges[0]}},
        {"an edge of another graph, index far past G's", {otherEdges.back()}},
        {"an edge of G", {own}},
        {"edges of G and of another graph", {own, justPast, own->rev, otherEdges[1]}},
    };
    for (const Held& h : held) {
      for (auto mode : RecordingErrorHandler::modes) {
        SCOPED_TRACE(std::string(h.name) + ", " + RecordingErrorHandler::modeName(mode));
        RecordingErrorHandler handler(mode);
        graphlib::list<edge> L = testing_support::listOf(h.edges);
        EXPECT_EQ(handler.raisedBy([&] { graphlib::Kuratowski(G, L); }).message, "");
        EXPECT_TRUE(handler.empty());
        const std::vector<edge> all = items(L);
        const auto lead = all.begin() + static_cast<long>(std::min(all.size(), h.edges.size()));
        EXPECT_EQ(std::vector<edge>(all.begin(), lead), h.edges);
        const std::vector<edge> appended(lead, all.end());
        EXPECT_EQ(kuratowskiDefect(G, testing_support::listOf(appended)), "");
        EXPECT_EQ(appended, witness);
        EXPECT_TRUE(before == Snapshot(G));
      }
    }
  }
}

// Nodes without edges ahead of a non-planar map: the numbering cannot start
// at the first node, and the witness must still come out whole.
TEST(KuratowskiTest, SearchFindsAWitnessBehindNodesWithoutEdges) {
  auto after = [](int lead, int count) {
    std::vector<int> at;
    for (int i = 0; i < count; i++) at.push_back(lead + i);
    return at;
  };
  Rng rng(31);
  const Pairs K5 = planar_families::complete(5);
  const Pairs K33 = planar_families::completeBipartite(3, 3);
  const Pairs subdividedK5 = planar_families::shuffled(planar_families::subdivide(K5, 3, rng), rng);
  const Pairs denser = planar_families::shuffled(planar_families::triangulationPlusEdge(12, rng), rng);
  struct Case {
    const char* name;
    Pairs graph;
    bool whole;  // the graph is itself a Kuratowski subgraph
  };
  const Case cases[] = {
      {"one node, then K5", place(K5, after(1, 5), 6), true},
      {"one node, then K3,3", place(K33, after(1, 6), 7), true},
      {"two nodes, then K5", place(K5, after(2, 5), 7), true},
      {"one node, then K3,3, then one node", place(K33, after(1, 6), 8), true},
      {"one node first and one among K5's", place(K5, {1, 2, 4, 5, 6}, 7), true},
      {"one node, then a subdivided K5", place(subdividedK5, after(1, subdividedK5.n), subdividedK5.n + 1), true},
      {"one node, then a triangulation plus an edge", place(denser, after(1, denser.n), denser.n + 1), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingErrorHandler handler;
    graph G;
    planar_families::build(G, c.graph, true);
    ASSERT_TRUE(G.make_map());
    Snapshot before(G);
    graphlib::list<edge> L;
    EXPECT_EQ(handler.raisedBy([&] { graphlib::Kuratowski(G, L); }).message, "");
    EXPECT_EQ(kuratowskiDefect(G, L), "");
    if (c.whole) {
      EXPECT_EQ(nodePairs(L), nodePairs(c.graph));
    }
    EXPECT_TRUE(before == Snapshot(G));
  }
}

// Graphs the search cannot take, refused with one error and G and L as they
// were, whether the handler throws or returns; L holds edges on entry, of
// another graph and of G.
TEST(KuratowskiTest, SearchRefusesAGraphOutsideItsPreconditions) {
  Pairs twoK5 = planar_families::complete(5);
  twoK5.n = 9;
  for (const Pair& e : planar_families::complete(5).edges)
    twoK5.edges.emplace_back(e.first == 0 ? 0 : e.first + 4, e.second + 4);
  Pairs k5k4 = planar_families::complete(5);
  k5k4.n = 9;
  for (const Pair& e : planar_families::complete(4).edges) k5k4.edges.emplace_back(e.first + 5, e.second + 5);
  Pairs pendant = planar_families::complete(5);
  pendant.n = 6;
  pendant.edges.emplace_back(4, 5);
  auto plus = [](Pairs p, std::vector<Pair> extra) {
    p.edges.insert(p.edges.end(), extra.begin(), extra.end());
    return p;
  };
  // K3,4 with three of its edges twice: a search would list some of them twice.
  const Pairs k34Twice{7, {{0, 3}, {0, 4}, {0, 5}, {0, 6}, {1, 3}, {1, 4}, {1, 5}, {1, 6},
                           {2, 3}, {2, 4}, {2, 5}, {2, 6}, {2, 6}, {2, 3}, {1, 3}}};
  const char* const twice = "Kuratowski: graph has parallel edges.";
  const char* const loops = "Kuratowski: graph has self-loops.";
  struct Case {
    const char* name;
    Pairs graph;
    bool map;
    const char* message;
  };
  // A self-loop comes in as a pair of loops, each the reversal of the other.
  const Case cases[] = {
      {"K5 one way", planar_families::complete(5), false, "Kuratowski: graph is not a map."},
      {"K3,3 one way", planar_families::completeBipartite(3, 3), false, "Kuratowski: graph is not a map."},
      {"K3,4 one way with an edge twice", plus(planar_families::completeBipartite(3, 4), {{1, 3}}), false,
       "Kuratowski: graph is not a map."},
      {"two K5 sharing a node", twoK5, true, "Kuratowski: graph is not biconnected."},
      {"K5 and a separate K4", k5k4, true, "Kuratowski: graph is not biconnected."},
      {"K5 with a pendant edge", pendant, true, "Kuratowski: graph is not biconnected."},
      {"K3,4 with three edges twice", k34Twice, true, twice},
      {"K5 with an edge twice, last", plus(planar_families::complete(5), {{3, 1}}), true, twice},
      {"K5 with an edge twice, first", plus(Pairs{5, {{4, 2}}}, planar_families::complete(5).edges), true, twice},
      {"K3,3 with an edge three times", plus(planar_families::completeBipartite(3, 3), {{0, 4}, {4, 0}}), true, twice},
      {"K4 with an edge twice", plus(planar_families::complete(4), {{0, 1}}), true, twice},
      {"two K5 sharing a node, an edge twice", plus(twoK5, {{5, 6}}), true, twice},
      {"K5 with a loop", plus(planar_families::complete(5), {{2, 2}}), true, loops},
      {"K3,3 with a loop at its first node", plus(Pairs{6, {{0, 0}}}, planar_families::completeBipartite(3, 3).edges),
       true, loops},
      {"K3,3 with two loops at one node", plus(planar_families::completeBipartite(3, 3), {{5, 5}, {5, 5}}), true,
       loops},
      {"K5 with a loop and an edge twice", plus(planar_families::complete(5), {{0, 2}, {3, 3}}), true, loops},
      {"K4 with a loop", plus(planar_families::complete(4), {{1, 1}}), true, loops},
      {"a loop and no other edge", Pairs{3, {{1, 1}}}, true, loops},
  };
  graph other;
  planar_families::build(other, planar_families::complete(3), false);
  for (const Case& c : cases) {
    for (auto mode : RecordingErrorHandler::modes) {
      SCOPED_TRACE(std::string(c.name) + ", " + RecordingErrorHandler::modeName(mode));
      RecordingErrorHandler handler(mode);
      graph G;
      planar_families::build(G, c.graph, c.map);
      if (c.map) {
        ASSERT_TRUE(G.make_map());
      }
      Snapshot before(G);
      graphlib::list<edge> L;
      L.append(static_cast<edge>(other.e_list.head));
      L.append(static_cast<edge>(G.e_list.tail));
      const std::vector<edge> kept = items(L);
      handler.raisedBy([&] { graphlib::Kuratowski(G, L); });
      EXPECT_EQ(handler.errors(), (std::vector<testing_support::GraphlibError>{{1, c.message}}));
      EXPECT_EQ(items(L), kept);
      EXPECT_TRUE(before == Snapshot(G));
    }
  }
  // Nodes without edges are no obstacle.
  graph G;
  Pairs isolated = planar_families::complete(5);
  isolated.n = 7;
  planar_families::build(G, isolated, true);
  ASSERT_TRUE(G.make_map());
  graphlib::list<edge> L;
  graphlib::Kuratowski(G, L);
  EXPECT_EQ(kuratowskiDefect(G, L), "");
}

using planar_families::Entry;

bool embeds(Entry e) { return e == Entry::PlanarListEmbed || e == Entry::BlPlanarListEmbed; }

// The forms that return a Kuratowski list.
bool planarWithList(Entry e, graph& G, graphlib::list<edge>& K) {
  return e == Entry::PlanarList        ? graphlib::PLANAR(G, K, false)
         : e == Entry::BlPlanarList    ? graphlib::BL_PLANAR(G, K, false)
         : e == Entry::PlanarListEmbed ? graphlib::PLANAR(G, K, true)
                                       : graphlib::BL_PLANAR(G, K, true);
}

class DeepPlanarInputsWithList : public planar_families::DeepCase {};

// Deep planar inputs at the default stack: true with K untouched and the
// effects of the test without a list; the simple search reports a planar G.
TEST_P(DeepPlanarInputsWithList, AreAnsweredPlanar) {
  const Entry entry = this->entry();
  const Pairs p = input();
  RecordingErrorHandler handler;
  graph G;
  planar_families::build(G, p, embeds(entry));
  graph other;
  planar_families::build(other, planar_families::complete(3), false);
  graphlib::list<edge> K;
  K.append(static_cast<edge>(other.e_list.head));
  const std::vector<edge> kept = items(K);
  if (embeds(entry)) {
    const std::multiset<Pair> ends = planar_families::endsOf(G);
    EXPECT_TRUE(planarWithList(entry, G, K));
    EXPECT_TRUE(planar_families::endsOf(G) == ends);
    EXPECT_EQ(planar_families::embeddingDefect(G), "");
    EXPECT_EQ(items(K), kept);
    return;
  }
  Snapshot before(G);
  if (entry == Entry::SimpleSearch) {
    EXPECT_EQ(handler.raisedBy([&] { graphlib::KURATOWSKI_SIMPLE(G, K); }),
              (testing_support::GraphlibError{1, "KURATOWSKI_SIMPLE: G is planar"}));
    EXPECT_TRUE(K.empty());
    EXPECT_TRUE(G.e_hidden.empty());
  } else {
    EXPECT_TRUE(planarWithList(entry, G, K));
    EXPECT_EQ(items(K), kept);
  }
  EXPECT_TRUE(before == Snapshot(G));
}

INSTANTIATE_TEST_SUITE_P(
    Families, DeepPlanarInputsWithList,
    testing::Combine(testing::ValuesIn(planar_families::deepPlanarFamilies()),
                     testing::Values(Entry::PlanarList, Entry::BlPlanarList, Entry::PlanarListEmbed,
                                     Entry::BlPlanarListEmbed, Entry::SimpleSearch)),
    DeepPlanarInputsWithList::name);

// K5 or K3,3 with one edge drawn out into a long path or triangulated strip,
// made before or after the rest: the search walks the whole of it.
const planar_families::DeepFamily kDeepNonPlanar[] = {
    {"K5_path", [] {
       return planar_families::spliceInto(planar_families::complete(5),
                                          planar_families::path(planar_families::deepSize(200000, 60000)), false);
     }},
    {"K33_strip_first", [] {
       return planar_families::spliceInto(planar_families::completeBipartite(3, 3),
                                          planar_families::strip(planar_families::deepSize(200000, 60000)), true);
     }},
};

class DeepNonPlanarInputs : public planar_families::DeepCase {};

// Deep non-planar inputs at the default stack: a verified witness, and G as
// it was (its pairing made beforehand where the search needs a map).
TEST_P(DeepNonPlanarInputs, GiveAVerifiedWitness) {
  const Entry entry = this->entry();
  const Pairs p = input();
  RecordingErrorHandler handler;
  graph G;
  const bool map = embeds(entry) || entry == Entry::Search;
  planar_families::build(G, p, map);
  if (map) {
    ASSERT_TRUE(G.make_map());
  }
  Snapshot before(G);
  graphlib::list<edge> K;
  if (entry == Entry::Search)
    graphlib::Kuratowski(G, K);
  else
    EXPECT_FALSE(planarWithList(entry, G, K));
  EXPECT_EQ(kuratowskiDefect(G, K), "");
  EXPECT_TRUE(before == Snapshot(G));
}

INSTANTIATE_TEST_SUITE_P(
    Families, DeepNonPlanarInputs,
    testing::Combine(testing::ValuesIn(kDeepNonPlanar),
                     testing::Values(Entry::PlanarList, Entry::BlPlanarList, Entry::PlanarListEmbed,
                                     Entry::BlPlanarListEmbed, Entry::Search)),
    DeepNonPlanarInputs::name);

// The tree of a small graph: node i's tree edge comes from parent[i].
struct TreeFixture {
  graph G;
  std::vector<node> v;
  graphlib::node_array<edge> tree;

  explicit TreeFixture(const std::vector<int>& parent) {
    for (size_t i = 0; i < parent.size(); i++) v.push_back(G.new_node());
    tree.init(G, nullptr);
    for (size_t i = 0; i < parent.size(); i++)
      if (parent[i] >= 0) tree[v[i]] = G.new_edge(v[static_cast<size_t>(parent[i])], v[i]);
  }
  // The tree edges listed, as the nodes they lead to.
  std::set<int> reached(const graphlib::list<edge>& L) const {
    std::set<int> out;
    for (edge e : items(L)) out.insert(e->target->index());
    return out;
  }
};

TEST(KuratowskiTest, JoinConnectsThreeNodesOfATree) {
  // Parents: 1 and 2 under 0, 3 and 4 under 1, 5 under 2, 6 under 3.
  TreeFixture T({-1, 0, 0, 1, 1, 2, 3});
  struct Case {
    int a, b, c;
    int meet;
    std::set<int> edges;  // by the node each tree edge leads to
  };
  const Case cases[] = {
      {6, 6, 4, 1, {6, 3, 4}},     // a path and its lowest common ancestor
      {4, 4, 6, 1, {6, 3, 4}},
      {6, 6, 5, 0, {6, 3, 1, 2, 5}},
      {1, 6, 4, 1, {6, 3, 4}},     // a above b and c
      {0, 6, 5, 0, {6, 3, 1, 2, 5}},
      {6, 4, 5, 0, {6, 3, 4, 1, 2, 5}},
      {3, 3, 3, 3, {}},
  };
  for (const Case& c : cases) {
    graphlib::list<edge> L;
    L.append(static_cast<edge>(T.G.e_list.head));  // cleared first
    node meet = graphlib::join(T.v[static_cast<size_t>(c.a)], T.v[static_cast<size_t>(c.b)],
                               T.v[static_cast<size_t>(c.c)], T.tree, T.G, L);
    EXPECT_EQ(meet, T.v[static_cast<size_t>(c.meet)]) << c.a << " " << c.b << " " << c.c;
    EXPECT_EQ(T.reached(L), c.edges) << c.a << " " << c.b << " " << c.c;
    EXPECT_EQ(L.length(), static_cast<int>(c.edges.size()));
  }
}

TEST(KuratowskiTest, DepthFirstSearchAlongOutLists) {
  graph G;
  std::vector<node> v;
  for (int i = 0; i < 6; i++) v.push_back(G.new_node());
  edge e01 = G.new_edge(v[0], v[1]);
  edge e02 = G.new_edge(v[0], v[2]);
  G.new_edge(v[1], v[0]);
  edge e13 = G.new_edge(v[1], v[3]);
  G.new_edge(v[3], v[2]);
  G.new_edge(v[4], v[0]);  // 4 is reached by no out-edge
  graphlib::list<node> L;
  graphlib::node_array<int> number(G, -1);
  graphlib::node_array<edge> tree(G, nullptr);
  number[v[5]] = 7;  // counts as reached
  int count = 10;
  graphlib::DFS(G, v[0], L, number, count, tree);
  std::vector<node> order;
  for (graphlib::dlink* it = L.first(); it; it = it->succ) order.push_back(L.contents(it));
  EXPECT_EQ(order, (std::vector<node>{v[0], v[1], v[3], v[2]}));
  EXPECT_EQ(count, 14);
  EXPECT_EQ(number[v[0]], 10);
  EXPECT_EQ(number[v[1]], 11);
  EXPECT_EQ(number[v[3]], 12);
  EXPECT_EQ(number[v[2]], 13);
  EXPECT_EQ(number[v[4]], -1);
  EXPECT_EQ(tree[v[0]], nullptr);
  EXPECT_EQ(tree[v[1]], e01);
  EXPECT_EQ(tree[v[3]], e13);
  EXPECT_NE(tree[v[2]], e02);
  EXPECT_EQ(tree[v[2]]->source, v[3]);
}

TEST(KuratowskiTest, DepthFirstSearchOnALongPathDoesNotRecurse) {
  const int n = 100000;
  graph G;
  std::vector<node> v;
  for (int i = 0; i < n; i++) v.push_back(G.new_node());
  for (int i = 0; i + 1 < n; i++) G.new_edge(v[static_cast<size_t>(i)], v[static_cast<size_t>(i + 1)]);
  graphlib::list<node> L;
  graphlib::node_array<int> number(G, -1);
  graphlib::node_array<edge> tree(G, nullptr);
  int count = 0;
  graphlib::DFS(G, v[0], L, number, count, tree);
  EXPECT_EQ(L.length(), n);
  EXPECT_EQ(count, n);
  EXPECT_EQ(L.back(), v.back());
  EXPECT_EQ(number[v.back()], n - 1);
  EXPECT_EQ(tree[v.back()]->source, v[static_cast<size_t>(n - 2)]);
}

TEST(KuratowskiTest, AssignKeepsTheFirstValue) {
  graph G;
  node a = G.new_node();
  node b = G.new_node();
  node x = nullptr;
  graphlib::assign(x, a);
  EXPECT_EQ(x, a);
  graphlib::assign(x, b);
  EXPECT_EQ(x, a);
}

TEST(KuratowskiTest, TranslateReplacesEdgesByTheirInfo) {
  graph G;
  node a = G.new_node();
  node b = G.new_node();
  edge e = G.new_edge(a, b);
  edge f = G.new_edge(b, a);
  graphlib::GRAPH<node, edge> H;
  node x = H.new_node(a);
  node y = H.new_node(b);
  graphlib::list<edge> L;
  L.append(H.new_edge(x, y, f));
  L.append(H.new_edge(y, x, e));
  graphlib::translate_to_G(L, H);
  EXPECT_EQ(items(L), (std::vector<edge>{f, e}));
}

}  // namespace
