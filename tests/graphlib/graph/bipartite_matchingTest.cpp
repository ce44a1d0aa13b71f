#include "graphlib/graph/bipartite_matching.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "GraphInvariants.h"
#include "GraphTestSupport.h"
#include "MatchingVerifier.h"
#include "RecordingErrorHandler.h"
#include "graphlib/graph/graph_search.h"
#include "graphlib/graph/param_graph.h"

namespace {

bool failNextNothrowArray = false;

// Arms this file's operator new[] for the next array allocation that may fail.
class NextNothrowArrayFails {
 public:
  NextNothrowArrayFails() { failNextNothrowArray = true; }
  ~NextNothrowArrayFails() { failNextNothrowArray = false; }
  NextNothrowArrayFails(const NextNothrowArrayFails&) = delete;
  NextNothrowArrayFails& operator=(const NextNothrowArrayFails&) = delete;

  bool spent() const { return !failNextNothrowArray; }
};

}  // namespace

// So that a test can make the one allocation of the matching that may fail
// fail; otherwise the standard behaviour.
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  if (failNextNothrowArray) {
    failNextNothrowArray = false;
    return nullptr;
  }
  try {
    return ::operator new[](size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

namespace {

using graphlib::edge;
using graphlib::graph;
using graphlib::node;
using graphlib::node_array;
using testing_support::items;
using testing_support::BipartiteInstance;
using testing_support::coverDefect;
using testing_support::graphDefect;
using testing_support::GraphlibError;
using testing_support::matchingDefect;
using testing_support::randomBipartite;
using testing_support::RecordingErrorHandler;

typedef graphlib::GRAPH<int, float> IntGraph;

// A bipartite instance as a GRAPH: node infos are a for side A and nA + b for
// side B, edge infos the instance's edge index. With a shuffle seed the nodes
// and edges are created in a random order (A and B stay in index order).
struct Built {
  explicit Built(const BipartiteInstance& g, unsigned shuffle = 0) : instance(g) {
    std::vector<int> order(static_cast<std::size_t>(g.nA + g.nB));
    for (std::size_t i = 0; i < order.size(); i++) order[i] = static_cast<int>(i);
    std::mt19937 engine(shuffle);
    if (shuffle) std::shuffle(order.begin(), order.end(), engine);
    std::vector<node> byInfo(order.size());
    for (int i : order) byInfo[static_cast<std::size_t>(i)] = G.new_node(i);
    for (int a = 0; a < g.nA; a++) A.append(byInfo[static_cast<std::size_t>(a)]);
    for (int b = 0; b < g.nB; b++) B.append(byInfo[static_cast<std::size_t>(g.nA + b)]);
    std::vector<int> edgeOrder(g.edges.size());
    for (std::size_t k = 0; k < edgeOrder.size(); k++) edgeOrder[k] = static_cast<int>(k);
    if (shuffle) std::shuffle(edgeOrder.begin(), edgeOrder.end(), engine);
    edges.resize(g.edges.size());
    for (int k : edgeOrder) {
      const auto& e = g.edges[static_cast<std::size_t>(k)];
      edges[static_cast<std::size_t>(k)] = G.new_edge(byInfo[static_cast<std::size_t>(e.first)],
                                                      byInfo[static_cast<std::size_t>(g.nA + e.second)], static_cast<float>(k));
    }
  }

  std::vector<int> indices(const graphlib::list<edge>& M) const {
    std::vector<int> out;
    for (edge e : items(M)) out.push_back(static_cast<int>(G.inf(e)));
    return out;
  }

  BipartiteInstance instance;
  IntGraph G;
  graphlib::list<node> A, B;
  std::vector<edge> edges;  // by instance index
};

// What the entry point must give back: every edge with its ends and info,
// every out-list as it was; the edge list and the in-lists in the order of the
// numbering (node list, then out-list order).
struct Restorable {
  explicit Restorable(const IntGraph& G) {
    for (graphlib::graph_object* x = G.v_list.head; x; x = x->succ) {
      node v = static_cast<node>(x);
      nodes.push_back(v);
      infos.push_back(G.inf(v));
      out.push_back(testing_support::outIds(v));
      for (edge e = v->first_adj_edge[0]; e; e = e->succ_adj_edge[0]) {
        numbering.push_back(e->index());
        ends.push_back({e, {e->source, e->target}});
        edgeInfos.push_back(G.inf(e));
      }
    }
  }

  std::string difference(const IntGraph& G) const {
    if (graphDefect(G) != "") return graphDefect(G);
    std::size_t k = 0;
    for (const auto& end : ends) {
      if (end.first->source != end.second.first || end.first->target != end.second.second)
        return "edge " + std::to_string(end.first->index()) + " changed its ends";
      if (G.inf(end.first) != edgeInfos[k++]) return "edge info changed";
    }
    if (testing_support::edgeIds(G.e_list) != numbering) return "edge list is not in numbering order";
    // ends follow the numbering, so each in-list is its edges in that order.
    std::map<node, testing_support::Ids> in;
    for (const auto& end : ends) in[end.second.second].push_back(end.first->index());
    for (std::size_t i = 0; i < nodes.size(); i++) {
      if (G.inf(nodes[i]) != infos[i]) return "node info changed";
      if (testing_support::outIds(nodes[i]) != out[i]) return "out-list of node " + std::to_string(i) + " changed";
      if (testing_support::inIds(nodes[i]) != in[nodes[i]])
        return "in-list of node " + std::to_string(i) + " not in numbering order";
    }
    return "";
  }

  std::vector<node> nodes;
  std::vector<int> infos;
  std::vector<testing_support::Ids> out;
  testing_support::Ids numbering;
  std::vector<std::pair<edge, std::pair<node, node> > > ends;
  std::vector<float> edgeInfos;
};

// Checks the order and direction of M: every edge from A to B, B ends in
// strictly increasing position in B.
std::string orderDefect(const Built& b, const graphlib::list<edge>& M) {
  int last = -1;
  for (edge e : items(M)) {
    const int s = b.G.inf(e->source), t = b.G.inf(e->target);
    if (s >= b.instance.nA || t < b.instance.nA) return "an edge of M does not run from A to B";
    if (t <= last) return "M is not in B's order";
    last = t;
    if (b.edges[static_cast<std::size_t>(b.G.inf(e))] != e) return "M holds an edge that is not the caller's";
  }
  return "";
}

struct Cover {
  std::vector<bool> a, b;
};

Cover coverOf(const Built& built, const node_array<bool>& NC) {
  Cover c{std::vector<bool>(static_cast<std::size_t>(built.instance.nA)), std::vector<bool>(static_cast<std::size_t>(built.instance.nB))};
  for (node v : items(built.A)) c.a[static_cast<std::size_t>(built.G.inf(v))] = NC[v];
  for (node v : items(built.B)) c.b[static_cast<std::size_t>(built.G.inf(v) - built.instance.nA)] = NC[v];
  return c;
}

TEST(MatchingVerifier, RejectsBrokenMatchings) {
  BipartiteInstance g;
  g.nA = 3;
  g.nB = 3;
  g.edges = {{0, 0}, {0, 1}, {1, 0}, {2, 2}, {1, 1}};
  EXPECT_EQ(matchingDefect(g, {1, 2, 3}), "");
  EXPECT_EQ(matchingDefect(g, {0, 4, 3}), "");
  EXPECT_EQ(matchingDefect(g, {0, 1, 3}), "node a0 matched twice");
  EXPECT_EQ(matchingDefect(g, {0, 2}), "node b0 matched twice");
  EXPECT_NE(matchingDefect(g, {0, 3}), "");  // 1-1 can still be added
  EXPECT_NE(matchingDefect(g, {2, 3}), "");  // augmenting path a0-b0-a1-b1
  EXPECT_NE(matchingDefect(g, {7}), "");
  EXPECT_EQ(coverDefect(g, {true, true, true}, {false, false, false}, 3), "");
  EXPECT_NE(coverDefect(g, {true, true, false}, {false, false, false}, 2), "");
  EXPECT_NE(coverDefect(g, {true, true, true}, {false, false, false}, 2), "");
}

TEST(Matching, ExactSmallCases) {
  struct Case {
    const char* what;
    int nA, nB;
    std::vector<std::pair<int, int> > edges;
    std::vector<int> matched;  // instance edge indices in M's order
    std::vector<int> cover;    // node infos
  };
  const std::vector<Case> cases = {
      {"single edge", 1, 1, {{0, 0}}, {0}, {0}},
      {"two on one", 2, 1, {{0, 0}, {1, 0}}, {0}, {2}},
      {"search through a matched edge", 2, 2, {{0, 0}, {0, 1}, {1, 0}}, {2, 1}, {0, 1}},
      {"empty A", 0, 3, {}, {}, {}},
      {"empty B", 3, 0, {}, {}, {}},
      {"no edges", 2, 2, {}, {}, {}},
  };
  for (const Case& c : cases) {
    BipartiteInstance g;
    g.nA = c.nA;
    g.nB = c.nB;
    g.edges = c.edges;
    Built b(g);
    const Restorable before(b.G);
    node_array<bool> NC(b.G, true);
    testing::internal::CaptureStderr();
    graphlib::list<edge> M = graphlib::MAX_CARD_BIPARTITE_MATCHING(b.G, b.A, b.B, NC);
    graphlib::list<edge> M2 = graphlib::MAX_CARD_BIPARTITE_MATCHING(b.G, b.A, b.B);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << c.what;
    EXPECT_EQ(b.indices(M), c.matched) << c.what;
    EXPECT_EQ(b.indices(M2), c.matched) << c.what;
    std::vector<int> cover;
    for (node v : items(b.G.all_nodes()))
      if (NC[v]) cover.push_back(b.G.inf(v));
    EXPECT_EQ(cover, c.cover) << c.what;
    EXPECT_EQ(before.difference(b.G), "") << c.what;
  }
}

// Two nodes a side: a0-b0, a0-b1, a1-b0.
BipartiteInstance twoByTwo() {
  BipartiteInstance g;
  g.nA = 2;
  g.nB = 2;
  g.edges = {{0, 0}, {0, 1}, {1, 0}};
  return g;
}

TEST(Matching, SameHandlesAndOutListsAfterTheCall) {
  Built b(twoByTwo());
  graphlib::list<edge> M = graphlib::MAX_CARD_BIPARTITE_MATCHING(b.G, b.A, b.B);
  EXPECT_EQ(items(M), (std::vector<edge>{b.edges[2], b.edges[1]}));
  node a1 = b.A.front();
  EXPECT_EQ(items(b.G.out_edges(a1)), (std::vector<edge>{b.edges[0], b.edges[1]}));
}

// An edge hidden with hide_adj_edge stays in the edge list but is no edge of
// the matching's graph: the matching runs, restores the order and checks a
// cover of the visible edges only.
TEST(Matching, AnEdgeHiddenFromTheAdjacencyListsIsLeftOut) {
  Built b(twoByTwo());
  b.G.hide_adj_edge(b.edges[1]);
  RecordingErrorHandler errors;
  node_array<bool> NC(b.G, false);
  graphlib::list<edge> M;
  testing::internal::CaptureStderr();
  EXPECT_EQ(errors.raisedBy([&] { M = graphlib::MAX_CARD_BIPARTITE_MATCHING(b.G, b.A, b.B, NC); }),
            (GraphlibError{-1, ""}));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(M.length(), 1);
  EXPECT_TRUE(graphlib::CHECK_MCB(b.G, M, NC));
  EXPECT_EQ(b.G.number_of_edges(), 3);
  b.G.restore_adj_edge(b.edges[1]);
  EXPECT_EQ(graphDefect(b.G), "");
  EXPECT_EQ(graphlib::MAX_CARD_BIPARTITE_MATCHING(b.G, b.A, b.B).length(), 2);
}

struct RandomCase {
  int nA, nB;
  double p;
  unsigned seed;
};

// Sizes below 100 nodes (no depth-first phase), 100..399 and 400..899 (one or
// two label passes) and beyond; densities from very sparse, which leaves many
// nodes unmatched, to dense.
const std::vector<RandomCase> randomCases = {
    {5, 5, 0.3, 1},       {10, 12, 0.15, 2},   {40, 50, 0.05, 3},   {70, 80, 0.01, 4},   {70, 80, 0.03, 5},
    {70, 80, 0.2, 6},     {90, 60, 0.02, 7},   {260, 240, 0.004, 8}, {260, 240, 0.01, 9}, {260, 240, 0.05, 10},
    {240, 260, 0.3, 11},  {600, 500, 0.002, 12}, {600, 500, 0.006, 13}, {500, 700, 0.02, 14},
};

TEST(Matching, MaximumAndRestoredOnRandomGraphs) {
  int depthFirstRuns = 0;
  for (const RandomCase& rc : randomCases) {
    for (unsigned shuffle : {0u, 77u}) {
      const BipartiteInstance g = randomBipartite(rc.nA, rc.nB, rc.p, rc.seed);
      Built b(g, shuffle);
      const Restorable before(b.G);
      const std::string label = std::to_string(rc.nA) + "+" + std::to_string(rc.nB) + " p " + std::to_string(rc.p) +
                                " shuffle " + std::to_string(shuffle);
      testing::internal::CaptureStderr();
      graphlib::list<edge> M = graphlib::MAX_CARD_BIPARTITE_MATCHING(b.G, b.A, b.B);
      EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << label;
      const std::vector<int> matched = b.indices(M);
      EXPECT_EQ(matchingDefect(g, matched), "") << label;
      EXPECT_EQ(orderDefect(b, M), "") << label;
      EXPECT_EQ(before.difference(b.G), "") << label;

      // The depth-first phase runs from 100 nodes on while more than 50 nodes
      // of A are free; its augmentations are not counted by the stamp.
      const int n = rc.nA + rc.nB;
      if (n < 100) {
        EXPECT_EQ(graphlib::number_of_augmentations, M.length()) << label;
      } else if (rc.nA > 50 && M.length() > 0) {
        EXPECT_LT(graphlib::number_of_augmentations, M.length()) << label;
        depthFirstRuns++;
      }

      node_array<bool> NC(b.G, false);
      graphlib::list<edge> M2 = graphlib::MAX_CARD_BIPARTITE_MATCHING(b.G, b.A, b.B, NC);
      const Cover c = coverOf(b, NC);
      EXPECT_EQ(coverDefect(g, c.a, c.b, static_cast<std::size_t>(M2.length())), "") << label;
      EXPECT_EQ(b.indices(M2), matched) << label;
    }
  }
  EXPECT_GT(depthFirstRuns, 10);
}

TEST(Matching, EveryPhaseSettingFindsAMaximumMatching) {
  for (const RandomCase& rc : randomCases) {
    const BipartiteInstance g = randomBipartite(rc.nA, rc.nB, rc.p, rc.seed + 100);
    for (bool heuristic : {false, true}) {
      for (int L : {0, 1, 3, 10}) {
        Built b(g);
        node_array<bool> NC(b.G, false);
        graphlib::list<edge> M = graphlib::MAX_CARD_BIPARTITE_MATCHING_ABMP(b.G, b.A, b.B, NC, heuristic, L);
        const std::string label = std::to_string(rc.nA) + "+" + std::to_string(rc.nB) + " L " + std::to_string(L) +
                                  (heuristic ? " greedy" : "");
        EXPECT_EQ(matchingDefect(g, b.indices(M)), "") << label;
        EXPECT_EQ(orderDefect(b, M), "") << label;
        const Cover c = coverOf(b, NC);
        EXPECT_EQ(coverDefect(g, c.a, c.b, static_cast<std::size_t>(M.length())), "") << label;
        // Directions are back; only the adjacency order may differ.
        for (std::size_t k = 0; k < b.edges.size(); k++)
          EXPECT_EQ(b.G.inf(b.edges[k]->source), g.edges[k].first) << label;
        EXPECT_EQ(graphDefect(b.G), "") << label;
      }
    }
  }
}

// The edge list by index, with the ends of every edge.
std::string edgesText(const graph& G) {
  std::string t = "edges:";
  for (edge e : testing_support::objects<edge>(G.e_list))
    t += " " + std::to_string(e->index()) + "(" + std::to_string(e->source->index()) + ">" +
         std::to_string(e->target->index()) + ")";
  return t;
}

// Everything of G a failed call must leave as it was, by index: the node list,
// the edge list with the ends of every edge, and every adjacency list.
std::string layout(const graph& G) {
  auto text = [](const testing_support::Ids& ids) {
    std::string t;
    for (int i : ids) t += " " + std::to_string(i);
    return t;
  };
  std::string t = "nodes:" + text(testing_support::nodeIds(G.v_list)) + "\n" + edgesText(G);
  for (node v : testing_support::objects<node>(G.v_list))
    t += "\n" + std::to_string(v->index()) + " out:" + text(testing_support::outIds(v)) +
         " in:" + text(testing_support::inIds(v));
  return t;
}

const std::string outEdgeAtB = "Assertion failed in file _ABMP_matching at line 90: G.outdeg(v) == 0";
const std::string listedTwice = "Assertion failed in file _ABMP_matching at line 91: side[v] == unlisted";
const std::string notFromAToB =
    "Assertion failed in file _ABMP_matching at line 92: side[G.source(e)] == in_A && side[G.target(e)] == in_B";

// Lists that do not split G into A and B with every edge from A to B. Edges
// are made in the order given; where they leave several nodes, out of node
// order, so that a sort by the entry points' numbering would show.
struct Misfit {
  const char* what;
  int nodes;
  std::vector<std::pair<int, int> > edges;
  std::vector<int> A, B;  // ignored when the sides are Is_Bipartite's
  bool isBipartiteSides;
  std::string message;
};

const std::vector<Misfit> misfits = {
    {"triangle split by Is_Bipartite", 3, {{0, 1}, {1, 2}, {2, 0}}, {}, {}, true, notFromAToB},
    {"edge inside A", 3, {{0, 1}, {0, 2}}, {0, 1}, {2}, false, notFromAToB},
    {"edge to a node in neither list", 4, {{1, 3}, {0, 2}}, {0, 1}, {2}, false, notFromAToB},
    {"edge from a node in neither list", 3, {{2, 1}, {0, 1}}, {0}, {1}, false, notFromAToB},
    {"node in A and in B", 2, {{0, 1}}, {0, 1}, {1}, false, listedTwice},
    {"node twice in A", 3, {{0, 2}, {0, 1}}, {0, 0}, {1, 2}, false, listedTwice},
    {"node twice in B", 2, {{0, 1}}, {0}, {1, 1}, false, listedTwice},
    {"edge from B to A", 4, {{3, 1}, {0, 2}}, {0, 1}, {2, 3}, false, outEdgeAtB},
};

struct EntryPoint {
  const char* what;
  bool sidesGiven;
  bool restoresOrder;  // the adjacency lists come back in their order
  bool fillsNC;        // the caller's cover is filled
  std::function<graphlib::list<edge>(graph&, const graphlib::list<node>&, const graphlib::list<node>&,
                                     node_array<bool>&)>
      call;
};

// The entry points given the sides.
const std::vector<EntryPoint> entryPoints = {
    {"checked", true, true, false,
     [](graph& G, const graphlib::list<node>& A, const graphlib::list<node>& B, node_array<bool>&) {
       return graphlib::MAX_CARD_BIPARTITE_MATCHING(G, A, B);
     }},
    {"with cover", true, true, true,
     [](graph& G, const graphlib::list<node>& A, const graphlib::list<node>& B, node_array<bool>& NC) {
       return graphlib::MAX_CARD_BIPARTITE_MATCHING(G, A, B, NC);
     }},
    {"ABMP", true, false, true,
     [](graph& G, const graphlib::list<node>& A, const graphlib::list<node>& B, node_array<bool>& NC) {
       return graphlib::MAX_CARD_BIPARTITE_MATCHING_ABMP(G, A, B, NC, false, -1);
     }},
    {"ABMP greedy", true, false, true,
     [](graph& G, const graphlib::list<node>& A, const graphlib::list<node>& B, node_array<bool>& NC) {
       return graphlib::MAX_CARD_BIPARTITE_MATCHING_ABMP(G, A, B, NC, true, 3);
     }},
};

std::string modeText(RecordingErrorHandler::Mode mode) { return std::string(", ") + RecordingErrorHandler::modeName(mode); }

// The two forms that find the sides themselves, each under both handlers:
// f(ownCover, mode, label), where matchWithoutSides runs the form chosen.
template <class F>
void forEachFormWithoutSides(const std::string& what, F f) {
  for (bool ownCover : {false, true}) {
    for (RecordingErrorHandler::Mode mode : RecordingErrorHandler::modes) {
      f(ownCover, mode, what + (ownCover ? ", own cover" : ", with cover") + modeText(mode));
    }
  }
}

graphlib::list<edge> matchWithoutSides(graph& G, node_array<bool>& NC, bool ownCover) {
  return ownCover ? graphlib::MAX_CARD_BIPARTITE_MATCHING(G) : graphlib::MAX_CARD_BIPARTITE_MATCHING(G, NC);
}

// Runs call, which is to refuse G: exactly `expected` raised, an empty result,
// nothing written, and G and NC (set here to true on every other node) as
// they were.
void expectRefused(graph& G, node_array<bool>& NC, RecordingErrorHandler::Mode mode,
                   const std::function<graphlib::list<edge>()>& call, const GraphlibError& expected,
                   const std::string& label) {
  const std::vector<node> v = testing_support::objects<node>(G.v_list);
  for (std::size_t i = 0; i < v.size(); i++) NC[v[i]] = i % 2 == 0;
  const std::string before = layout(G);

  RecordingErrorHandler handler(mode);
  graphlib::list<edge> M;
  testing::internal::CaptureStderr();
  const GraphlibError raised = handler.raisedBy([&] { M = call(); });
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << label;
  EXPECT_EQ(handler.errors(), std::vector<GraphlibError>{expected}) << label;
  if (mode == RecordingErrorHandler::Mode::Throw) {
    EXPECT_EQ(raised, expected) << label;
  }
  EXPECT_TRUE(M.empty()) << label;
  EXPECT_EQ(layout(G), before) << label;
  EXPECT_EQ(graphDefect(G), "") << label;
  for (std::size_t i = 0; i < v.size(); i++) EXPECT_EQ(NC[v[i]], i % 2 == 0) << label << ", node " << i;
}

// New nodes in G and the edges between them, made in the order given.
std::vector<node> addGraph(graph& G, int nodes, const std::vector<std::pair<int, int> >& edges) {
  std::vector<node> v = testing_support::addNodes(G, nodes);
  for (const auto& e : edges) G.new_edge(v[static_cast<std::size_t>(e.first)], v[static_cast<std::size_t>(e.second)]);
  return v;
}

TEST(Matching, ListsThatDoNotSplitGAreOneAssertionFailure) {
  for (const Misfit& c : misfits) {
    for (const EntryPoint& entry : entryPoints) {
      for (RecordingErrorHandler::Mode mode : RecordingErrorHandler::modes) {
        const std::string label = std::string(c.what) + ", " + entry.what + modeText(mode);
        graph G;
        const std::vector<node> v = addGraph(G, c.nodes, c.edges);
        graphlib::list<node> A, B;
        if (c.isBipartiteSides) {
          ASSERT_FALSE(graphlib::Is_Bipartite(G, A, B)) << label;
        } else {
          for (int i : c.A) A.append(v[static_cast<std::size_t>(i)]);
          for (int i : c.B) B.append(v[static_cast<std::size_t>(i)]);
        }
        node_array<bool> NC(G, false);
        expectRefused(G, NC, mode, [&] { return entry.call(G, A, B, NC); }, GraphlibError{999, c.message}, label);
      }
    }
  }
}

TEST(Matching, GraphWithoutSidesThatIsNotBipartiteIsError1) {
  struct Case {
    const char* what;
    int nodes;
    std::vector<std::pair<int, int> > edges;
  };
  const std::vector<Case> cases = {
      {"triangle", 3, {{0, 1}, {1, 2}, {2, 0}}},
      {"five-cycle beside a path, edges out of node order", 7, {{6, 5}, {1, 2}, {4, 0}, {0, 1}, {3, 4}, {2, 3}}},
      {"self-loop", 2, {{1, 0}, {1, 1}}},
  };
  for (const Case& c : cases) {
    forEachFormWithoutSides(c.what, [&](bool ownCover, RecordingErrorHandler::Mode mode, const std::string& label) {
      graph G;
      addGraph(G, c.nodes, c.edges);
      node_array<bool> NC(G, false);
      expectRefused(G, NC, mode, [&] { return matchWithoutSides(G, NC, ownCover); },
                    GraphlibError{1, "MAX_CARD_BIPARTITE_MATCHING: G is not bipartite"}, label);
    });
  }
}

// A nil node, or a node of another graph: nodes G's arrays know nothing of. The
// other graph's node 0 shares an index with a node of G; its last node has an
// index beyond every node of G.
const int nilNode = -1;
const int strangerBeyond = -2;
const int strangerSharingAnIndex = -3;

const std::string notANodeOfG = "Assertion failed in file _ABMP_matching at line 93: v != nullptr && v->owner == &G";

TEST(Matching, NilOrForeignNodeInTheListsIsOneAssertionFailure) {
  struct Case {
    const char* what;
    int nodes;
    std::vector<std::pair<int, int> > edges;
    std::vector<int> A, B;  // nodes of G by creation order, or one of the stand-ins above
  };
  const std::vector<Case> cases = {
      {"nil in A", 2, {{0, 1}}, {0, nilNode}, {1}},
      {"nil in B", 2, {{0, 1}}, {0}, {nilNode, 1}},
      {"nil alone in A of an empty graph", 0, {}, {nilNode}, {}},
      {"nil in A beside an out-edge at B", 2, {{1, 0}}, {nilNode, 0}, {1}},
      {"other graph's node in A, index beyond G", 2, {{0, 1}}, {0, strangerBeyond}, {1}},
      {"other graph's node in B, index beyond G", 2, {{0, 1}}, {0}, {1, strangerBeyond}},
      {"other graph's node in A, index shared with G", 2, {{0, 1}}, {strangerSharingAnIndex, 0}, {1}},
      {"other graph's node in B, index shared with G", 2, {{0, 1}}, {0}, {strangerSharingAnIndex, 1}},
      {"other graph's node in B ahead of an out-edge at B", 2, {{1, 0}}, {0}, {strangerBeyond, 1}},
      {"other graph's node in both lists", 2, {{0, 1}}, {0, strangerBeyond}, {1, strangerBeyond}},
  };
  for (const Case& c : cases) {
    for (const EntryPoint& entry : entryPoints) {
      for (RecordingErrorHandler::Mode mode : RecordingErrorHandler::modes) {
        const std::string label = std::string(c.what) + ", " + entry.what + modeText(mode);
        graph G, other;
        const std::vector<node> v = addGraph(G, c.nodes, c.edges);
        const std::vector<node> w = addGraph(other, 40, {{0, 39}, {39, 1}, {2, 0}});
        auto nodeFor = [&](int i) {
          if (i == nilNode) return node(nullptr);
          if (i == strangerBeyond) return w.back();
          if (i == strangerSharingAnIndex) return w.front();
          return v[static_cast<std::size_t>(i)];
        };
        graphlib::list<node> A, B;
        for (int i : c.A) A.append(nodeFor(i));
        for (int i : c.B) B.append(nodeFor(i));
        const std::string otherBefore = layout(other);
        node_array<bool> NC(G, false);
        expectRefused(G, NC, mode, [&] { return entry.call(G, A, B, NC); }, GraphlibError{999, notANodeOfG}, label);
        EXPECT_EQ(layout(other), otherBefore) << label;
        EXPECT_EQ(graphDefect(other), "") << label;
      }
    }
  }
}

TEST(Matching, UndirectedGraphWithoutSidesIsError1) {
  struct Case {
    const char* what;
    int nodes;
    std::vector<std::pair<int, int> > edges;
    int hidden;  // an edge hidden in place, or -1
  };
  const std::vector<Case> cases = {
      {"square, edges out of node order", 4, {{0, 1}, {2, 1}, {2, 3}, {0, 3}}, -1},
      {"path with its middle node last", 3, {{0, 2}, {1, 2}}, -1},
      {"square with an edge hidden in place", 4, {{0, 1}, {2, 1}, {2, 3}, {0, 3}}, 1},
      {"triangle", 3, {{0, 1}, {1, 2}, {2, 0}}, -1},
  };
  for (const Case& c : cases) {
    forEachFormWithoutSides(c.what, [&](bool ownCover, RecordingErrorHandler::Mode mode, const std::string& label) {
      graph G;
      addGraph(G, c.nodes, c.edges);
      G.make_undirected();
      const std::vector<edge> e = testing_support::objects<edge>(G.e_list);
      if (c.hidden >= 0) G.hide_adj_edge(e[static_cast<std::size_t>(c.hidden)]);
      node_array<bool> NC(G, false);
      expectRefused(G, NC, mode, [&] { return matchWithoutSides(G, NC, ownCover); },
                    GraphlibError{1, "MAX_CARD_BIPARTITE_MATCHING: G is undirected"}, label);
    });
  }
}

// Without edges an undirected graph has nothing to match: the empty matching,
// an empty cover, no error.
TEST(Matching, UndirectedGraphWithoutEdgesHasTheEmptyMatching) {
  forEachFormWithoutSides("three nodes", [&](bool ownCover, RecordingErrorHandler::Mode mode, const std::string& label) {
    graph G;
    addGraph(G, 3, {});
    G.make_undirected();
    node_array<bool> NC(G, true);
    const std::string before = layout(G);
    RecordingErrorHandler handler(mode);
    graphlib::list<edge> M;
    EXPECT_EQ(handler.raisedBy([&] { M = matchWithoutSides(G, NC, ownCover); }).code, -1) << label;
    EXPECT_TRUE(handler.empty()) << label;
    EXPECT_TRUE(M.empty()) << label;
    EXPECT_EQ(layout(G), before) << label;
    for (node v : testing_support::objects<node>(G.v_list)) EXPECT_EQ(NC[v], ownCover) << label;
  });
}

BipartiteInstance instanceOf(int nA, int nB, const std::vector<std::pair<int, int> >& edges) {
  BipartiteInstance g;
  g.nA = nA;
  g.nB = nB;
  g.edges = edges;
  return g;
}

// Edges hidden with hide_adj_edge stay in the edge list, which the greedy start
// walks; they are no edges of the matching's graph.
TEST(Matching, GreedyStartLeavesEdgesHiddenInPlaceOut) {
  struct Case {
    const char* what;
    BipartiteInstance g;
    std::vector<int> hidden;  // instance edge indices
  };
  std::vector<Case> cases = {
      {"hidden edge first, its ends free", instanceOf(2, 2, {{0, 0}, {0, 1}, {1, 0}}), {0}},
      {"hidden edge between free ends, an augmenting path past it",
       instanceOf(3, 3, {{0, 0}, {1, 1}, {2, 1}, {1, 0}, {0, 2}}), {1}},
      {"hidden twin of a visible edge", instanceOf(1, 1, {{0, 0}, {0, 0}}), {0}},
      {"hidden edge whose ends the greedy start has matched", instanceOf(2, 2, {{0, 0}, {1, 1}, {0, 1}}), {2}},
      {"every edge hidden", instanceOf(2, 2, {{0, 0}, {1, 1}}), {0, 1}},
  };
  Case big{"random, every third edge hidden", randomBipartite(260, 240, 0.012, 21), {}};
  for (int k = 0; k < static_cast<int>(big.g.edges.size()); k += 3) big.hidden.push_back(k);
  cases.push_back(big);

  for (const Case& c : cases) {
    BipartiteInstance visible = instanceOf(c.g.nA, c.g.nB, {});
    std::vector<int> visibleIndex(c.g.edges.size(), -1);
    for (std::size_t k = 0; k < c.g.edges.size(); k++) {
      if (std::find(c.hidden.begin(), c.hidden.end(), static_cast<int>(k)) != c.hidden.end()) continue;
      visibleIndex[k] = static_cast<int>(visible.edges.size());
      visible.edges.push_back(c.g.edges[k]);
    }
    for (int L : {-1, 1, 3}) {
      for (RecordingErrorHandler::Mode mode : RecordingErrorHandler::modes) {
        const std::string label = std::string(c.what) + ", L " + std::to_string(L) + modeText(mode);
        Built b(c.g);
        for (int k : c.hidden) b.G.hide_adj_edge(b.edges[static_cast<std::size_t>(k)]);
        const std::string before = edgesText(b.G);
        node_array<bool> NC(b.G, false);
        graphlib::list<edge> M;
        RecordingErrorHandler handler(mode);
        EXPECT_EQ(handler.raisedBy([&] { M = graphlib::MAX_CARD_BIPARTITE_MATCHING_ABMP(b.G, b.A, b.B, NC, true, L); }),
                  (GraphlibError{-1, ""}))
            << label;
        EXPECT_TRUE(handler.empty()) << label;
        std::vector<int> matched;
        for (int k : b.indices(M)) matched.push_back(visibleIndex[static_cast<std::size_t>(k)]);
        EXPECT_EQ(matchingDefect(visible, matched), "") << label;
        EXPECT_EQ(orderDefect(b, M), "") << label;
        const Cover cover = coverOf(b, NC);
        EXPECT_EQ(coverDefect(visible, cover.a, cover.b, static_cast<std::size_t>(M.length())), "") << label;
        EXPECT_EQ(edgesText(b.G), before) << label;
        for (int k : c.hidden) EXPECT_TRUE(b.edges[static_cast<std::size_t>(k)]->hidden()) << label;
        EXPECT_EQ(graphDefect(b.G), "") << label;
      }
    }
  }
}

// The entry points that find the sides themselves; edges may run from B to A.
const std::vector<EntryPoint> entryPointsWithoutSides = {
    {"without sides", false, true, false,
     [](graph& G, const graphlib::list<node>&, const graphlib::list<node>&, node_array<bool>&) {
       return graphlib::MAX_CARD_BIPARTITE_MATCHING(G);
     }},
    {"without sides, with cover", false, true, true,
     [](graph& G, const graphlib::list<node>&, const graphlib::list<node>&, node_array<bool>& NC) {
       return graphlib::MAX_CARD_BIPARTITE_MATCHING(G, NC);
     }},
};

std::vector<EntryPoint> allEntryPoints() {
  std::vector<EntryPoint> all = entryPoints;
  all.insert(all.end(), entryPointsWithoutSides.begin(), entryPointsWithoutSides.end());
  return all;
}

// g as a graph of type Graph, the nodes of A made first, the edges marked in
// `flipped` running from B to A. Edges are made in order of their sources, so
// the edge list and every in-list are in the order in which the entry points
// number the edges: one that puts the lists back leaves G exactly as it was.
template <class Graph>
struct Sided {
  Sided(const BipartiteInstance& g, const std::vector<bool>& flipped) : instance(g) {
    std::vector<node> v = testing_support::addNodes(G, g.nA + g.nB);
    for (int i = 0; i < g.nA + g.nB; i++) (i < g.nA ? A : B).append(v[static_cast<std::size_t>(i)]);
    std::vector<std::pair<int, int> > bySource;  // (source, instance index)
    for (std::size_t k = 0; k < g.edges.size(); k++)
      bySource.push_back({flipped[k] ? g.nA + g.edges[k].second : g.edges[k].first, static_cast<int>(k)});
    std::stable_sort(bySource.begin(), bySource.end(),
                     [](const std::pair<int, int>& x, const std::pair<int, int>& y) { return x.first < y.first; });
    edges.resize(g.edges.size());
    for (const auto& s : bySource) {
      const std::size_t k = static_cast<std::size_t>(s.second);
      node a = v[static_cast<std::size_t>(g.edges[k].first)], b = v[static_cast<std::size_t>(g.nA + g.edges[k].second)];
      edges[k] = flipped[k] ? G.new_edge(b, a) : G.new_edge(a, b);
      index[edges[k]] = static_cast<int>(k);
    }
  }

  std::vector<int> indices(const graphlib::list<edge>& M) const {
    std::vector<int> out;
    for (edge e : items(M)) out.push_back(index.count(e) ? index.at(e) : -1);
    return out;
  }

  // The cover NC marks, on the instance's nodes.
  Cover cover(const node_array<bool>& NC) const {
    Cover c;
    for (node v : items(A)) c.a.push_back(NC[v]);
    for (node v : items(B)) c.b.push_back(NC[v]);
    return c;
  }

  BipartiteInstance instance;
  Graph G;
  graphlib::list<node> A, B;
  std::vector<edge> edges;  // by instance index
  std::map<edge, int> index;
};

// Every third edge from B to A where the entry point finds the sides itself.
std::vector<bool> flipsFor(const EntryPoint& entry, std::size_t edges) {
  std::vector<bool> flipped(edges, false);
  if (!entry.sidesGiven)
    for (std::size_t k = 0; k < edges; k += 3) flipped[k] = true;
  return flipped;
}

// What a call that raised an error and went on (a returning handler) must
// still give: a maximum matching, a cover where the caller gave one, and G put
// back (every edge's ends, and the adjacency lists where the entry point
// restores them).
template <class Graph>
void expectCompleted(const Sided<Graph>& s, const EntryPoint& entry, const graphlib::list<edge>& M,
                     const node_array<bool>& NC, const std::string& before, const std::string& label) {
  EXPECT_EQ(matchingDefect(s.instance, s.indices(M)), "") << label;
  if (entry.fillsNC) {
    const Cover c = s.cover(NC);
    EXPECT_EQ(coverDefect(s.instance, c.a, c.b, static_cast<std::size_t>(M.length())), "") << label;
  }
  EXPECT_EQ(entry.restoresOrder ? layout(s.G) : edgesText(s.G), before) << label;
  EXPECT_EQ(graphDefect(s.G), "") << label;
}

// The one array the matching allocates through new (std::nothrow), the stack of
// the depth-first phase, is made to fail by this file's operator new[]. Error
// 99 comes before the matching reverses any edge; the entry points without
// sides, which have turned edges by then, turn them back.
TEST(Matching, PathStackThatCannotBeAllocatedLeavesGAsItWas) {
  const BipartiteInstance g = randomBipartite(12, 10, 0.25, 5);
  for (const EntryPoint& entry : allEntryPoints()) {
    for (RecordingErrorHandler::Mode mode : RecordingErrorHandler::modes) {
      const std::string label = std::string(entry.what) + modeText(mode);
      Sided<graph> s(g, flipsFor(entry, g.edges.size()));
      node_array<bool> NC(s.G, false);
      const std::vector<node> v = testing_support::objects<node>(s.G.v_list);
      for (std::size_t i = 0; i < v.size(); i++) NC[v[i]] = i % 3 == 0;
      const std::string layoutBefore = layout(s.G);
      const std::string before = entry.restoresOrder ? layoutBefore : edgesText(s.G);

      RecordingErrorHandler handler(mode);
      graphlib::list<edge> M;
      const GraphlibError outOfMemory{99, "bounded stack: out of memory"};
      testing::internal::CaptureStderr();
      {
        NextNothrowArrayFails failing;
        const GraphlibError raised = handler.raisedBy([&] { M = entry.call(s.G, s.A, s.B, NC); });
        EXPECT_TRUE(failing.spent()) << label;
        if (mode == RecordingErrorHandler::Mode::Throw) {
          EXPECT_EQ(raised, outOfMemory) << label;
        }
      }
      EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << label;
      EXPECT_EQ(handler.errors(), std::vector<GraphlibError>{outOfMemory}) << label;
      if (mode == RecordingErrorHandler::Mode::Throw) {
        EXPECT_TRUE(M.empty()) << label;
        EXPECT_EQ(layout(s.G), layoutBefore) << label;
        EXPECT_EQ(graphDefect(s.G), "") << label;
        for (std::size_t i = 0; i < v.size(); i++) EXPECT_EQ(NC[v[i]], i % 3 == 0) << label << ", node " << i;
      } else {
        expectCompleted(s, entry, M, NC, before, label);
      }
    }
  }
}

// Raises error 7 from its move handler at the given move (counted from 1), as
// code run from G's handlers may; every reversal is a move.
class GraphRefusingAMove : public graph {
 public:
  void post_move_edge_handler(edge e, node v, node w) override {
    graph::post_move_edge_handler(e, v, w);
    if (++moves == refused) graphlib::std_error_handler(7, "this move is refused");
  }

  int moves = 0;
  int refused = 0;
};

// Whatever reversal the error interrupts, in either phase or while edges are
// turned back, the edges get their directions back, and the entry points that
// put the adjacency lists back do so.
TEST(Matching, ErrorRaisedWhileEdgesAreReversedPutsThemBack) {
  struct Case {
    const char* what;
    BipartiteInstance g;
    int stride;  // every stride-th move is refused
  };
  const std::vector<Case> cases = {
      {"breadth-first phase only", randomBipartite(8, 7, 0.3, 3), 1},
      {"both phases", randomBipartite(70, 80, 0.03, 5), 7},
  };
  const GraphlibError refusal{7, "this move is refused"};
  for (const Case& c : cases) {
    for (const EntryPoint& entry : allEntryPoints()) {
      const std::vector<bool> flipped = flipsFor(entry, c.g.edges.size());
      int moves = 0;
      {
        Sided<GraphRefusingAMove> s(c.g, flipped);
        node_array<bool> NC(s.G, false);
        s.G.moves = 0;
        entry.call(s.G, s.A, s.B, NC);
        moves = s.G.moves;
      }
      ASSERT_GT(moves, 10) << c.what << ", " << entry.what;
      std::vector<int> refusals;
      for (int k = 1; k <= moves; k += c.stride) refusals.push_back(k);
      if (refusals.back() != moves) refusals.push_back(moves);
      for (int refused : refusals) {
        for (RecordingErrorHandler::Mode mode : RecordingErrorHandler::modes) {
          const std::string label = std::string(c.what) + ", " + entry.what + ", move " + std::to_string(refused) +
                                    " of " + std::to_string(moves) + modeText(mode);
          Sided<GraphRefusingAMove> s(c.g, flipped);
          node_array<bool> NC(s.G, false);
          const std::string before = entry.restoresOrder ? layout(s.G) : edgesText(s.G);
          s.G.moves = 0;
          s.G.refused = refused;
          RecordingErrorHandler handler(mode);
          graphlib::list<edge> M;
          testing::internal::CaptureStderr();
          const GraphlibError raised = handler.raisedBy([&] { M = entry.call(s.G, s.A, s.B, NC); });
          EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << label;
          EXPECT_EQ(handler.errors(), std::vector<GraphlibError>{refusal}) << label;
          if (mode == RecordingErrorHandler::Mode::Throw) {
            EXPECT_EQ(raised, refusal) << label;
            EXPECT_TRUE(M.empty()) << label;
            EXPECT_EQ(entry.restoresOrder ? layout(s.G) : edgesText(s.G), before) << label;
            EXPECT_EQ(graphDefect(s.G), "") << label;
          } else {
            expectCompleted(s, entry, M, NC, before, label);
          }
        }
      }
    }
  }
}

// Random bipartite graphs with edges in both directions.
TEST(Matching, GraphWithoutSidesIsSplitFirst) {
  for (unsigned seed = 1; seed <= 4; seed++) {
    const BipartiteInstance g = randomBipartite(60 * static_cast<int>(seed), 50 * static_cast<int>(seed), 0.03, seed);
    Built b(g, seed);
    std::mt19937 engine(seed);
    std::vector<bool> flipped(g.edges.size());
    for (std::size_t k = 0; k < g.edges.size(); k++)
      if ((flipped[k] = engine() % 2 == 1)) b.G.rev_edge(b.edges[k]);
    const Restorable before(b.G);
    node_array<bool> NC(b.G, false);
    testing::internal::CaptureStderr();
    graphlib::list<edge> M = graphlib::MAX_CARD_BIPARTITE_MATCHING(b.G, NC);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(graphlib::CHECK_MCB(b.G, M, NC));
    EXPECT_EQ(matchingDefect(g, b.indices(M)), "") << seed;
    for (edge e : items(M)) {
      const bool fromB = b.G.inf(e->source) >= g.nA;
      EXPECT_EQ(fromB, flipped[static_cast<std::size_t>(b.G.inf(e))]);
    }
    EXPECT_EQ(before.difference(b.G), "") << seed;
    graphlib::list<edge> M2 = graphlib::MAX_CARD_BIPARTITE_MATCHING(b.G);
    EXPECT_EQ(M2.length(), M.length());
  }
}

TEST(Matching, CheckerWritesItsFindingsOneLineEach) {
  BipartiteInstance g;
  g.nA = 3;
  g.nB = 3;
  g.edges = {{0, 0}, {0, 1}, {1, 1}, {2, 2}};
  Built b(g);
  node_array<bool> NC(b.G, false);
  graphlib::list<edge> M = graphlib::MAX_CARD_BIPARTITE_MATCHING(b.G, b.A, b.B, NC);
  testing::internal::CaptureStderr();
  EXPECT_TRUE(graphlib::CHECK_MCB(b.G, M, NC));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

  // Not a matching: a0-b0 and a0-b1 share a0, a0-b1 and a1-b1 share b1.
  graphlib::list<edge> wrong;
  wrong.append(b.edges[0]);
  wrong.append(b.edges[1]);
  wrong.append(b.edges[2]);
  node_array<bool> none(b.G, false);
  none[b.A.front()] = true;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(graphlib::CHECK_MCB(b.G, wrong, none));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "CHECK_MCB: M is not a matching\n"
            "CHECK_MCB: M is not a matching\n"
            "CHECK_MCB: M is smaller than node cover\n"
            "CHECK_MCB: NC is not a node cover\n"
            "CHECK_MCB: NC is not a node cover\n");

  // A right matching with a cover of the right size that misses an edge.
  node_array<bool> shifted(b.G, false);
  std::vector<node> nodes = items(b.G.all_nodes());
  shifted[nodes[0]] = true;
  shifted[nodes[1]] = true;
  shifted[nodes[3]] = true;  // b0 instead of a2
  testing::internal::CaptureStderr();
  EXPECT_FALSE(graphlib::CHECK_MCB(b.G, M, shifted));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "CHECK_MCB: NC is not a node cover\n");
}

}  // namespace
