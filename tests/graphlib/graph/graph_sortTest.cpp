#include "graphlib/graph/graph_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "GraphInvariants.h"
#include "GraphTestSupport.h"
#include "RecordingErrorHandler.h"
#include "graphlib/graph/node_array.h"
#include "graphlib/graph/param_graph.h"

namespace {

using graphlib::edge;
using graphlib::edge_array;
using graphlib::graph;
using graphlib::node;
using graphlib::node_array;
using testing_support::addNodes;
using testing_support::edgeIds;
using testing_support::Ids;
using testing_support::ids;
using testing_support::inIds;
using testing_support::listOf;
using testing_support::nodeIds;
using testing_support::outIds;
using testing_support::graphDefect;
using testing_support::GraphlibError;
using testing_support::RecordingErrorHandler;

// Everything the sorts may change, as indices.
struct Shape {
  Ids nodes, edges;
  std::vector<Ids> out, in;
  bool operator==(const Shape& o) const { return nodes == o.nodes && edges == o.edges && out == o.out && in == o.in; }
};

Shape shapeOf(const graph& G) {
  Shape s{nodeIds(G.v_list), edgeIds(G.e_list), {}, {}};
  for (graphlib::graph_object* x = G.v_list.head; x; x = x->succ) {
    s.out.push_back(outIds(static_cast<node>(x)));
    s.in.push_back(inIds(static_cast<node>(x)));
  }
  return s;
}

// A directed graph of n nodes and m random edges (self-loops included).
std::vector<edge> randomEdges(graph& G, const std::vector<node>& v, int m, unsigned seed) {
  std::mt19937 engine(seed);
  std::vector<edge> E;
  for (int k = 0; k < m; k++) E.push_back(G.new_edge(v[engine() % v.size()], v[engine() % v.size()]));
  return E;
}

TEST(GraphSort, NumberingRestoresOutListsAndOrdersInLists) {
  graph G;
  std::vector<node> v = addNodes(G, 3);
  node a = v[0], b = v[1], c = v[2];
  edge bc = G.new_edge(b, c);
  edge ac = G.new_edge(a, c);
  edge ab = G.new_edge(a, b);
  edge_array<int> num(G, 0);
  num[ac] = 0;
  num[ab] = 1;
  num[bc] = 2;
  const Ids aOut = outIds(a), bOut = outIds(b);
  // Reversing twice sends an edge to the back of its lists.
  G.rev_edge(G.rev_edge(ac));
  G.rev_edge(G.rev_edge(bc));
  ASSERT_NE(outIds(a), aOut);
  G.sort_edges(num);
  EXPECT_EQ(outIds(a), aOut);
  EXPECT_EQ(outIds(b), bOut);
  EXPECT_EQ(edgeIds(G.e_list), (Ids{ac->index(), ab->index(), bc->index()}));
  // Not c's creation order [bc, ac]: in-lists follow the numbering.
  EXPECT_EQ(inIds(c), (Ids{ac->index(), bc->index()}));
  EXPECT_EQ(inIds(b), (Ids{ab->index()}));
  EXPECT_EQ(graphDefect(G), "");
}

TEST(GraphSort, EdgeListOrderBecomesTheOrderOfEveryAdjacencyList) {
  for (bool undirected : {false, true}) {
    graph G;
    std::vector<node> v = addNodes(G, 12);
    std::vector<edge> E = randomEdges(G, v, 60, 5);
    if (undirected) {
      RecordingErrorHandler quiet(RecordingErrorHandler::Mode::Return);  // the self-loops go, with a warning
      G.make_undirected();
      E = testing_support::objects<edge>(G.e_list);
    }
    std::shuffle(E.begin(), E.end(), std::mt19937(9));
    G.sort_edges(listOf(E));
    ASSERT_EQ(graphDefect(G), "") << undirected;
    EXPECT_EQ(edgeIds(G.e_list), ids(E));
    // The model: each list holds its edges in L's relative order.
    for (node x : v) {
      Ids out, in;
      for (edge e : E) {
        if (undirected) {
          if (e->source == x || e->target == x) out.push_back(e->index());
        } else {
          if (e->source == x) out.push_back(e->index());
          if (e->target == x) in.push_back(e->index());
        }
      }
      EXPECT_EQ(testing_support::adjIds(x, 0), out) << undirected;
      EXPECT_EQ(testing_support::adjIds(x, 1), in) << undirected;
    }
  }
}

// An edge hidden with hide_adj_edge is in the edge list, so a list of every
// edge holds it: it takes its place in the edge list and stays out of the
// adjacency lists until restore_adj_edge. An edge hidden with hide_edge is in
// no list and cannot be sorted.
TEST(GraphSort, AnEdgeHiddenFromTheAdjacencyListsIsSortedWithTheEdgeList) {
  graph G;
  std::vector<node> v = addNodes(G, 3);
  const std::vector<edge> E = {G.new_edge(v[0], v[1]), G.new_edge(v[0], v[2]), G.new_edge(v[1], v[2])};
  G.hide_adj_edge(E[1]);
  RecordingErrorHandler errors;
  EXPECT_EQ(errors.raisedBy([&] { G.sort_edges(listOf(std::vector<edge>{E[2], E[1], E[0]})); }),
            (GraphlibError{-1, ""}));
  EXPECT_EQ(edgeIds(G.e_list), ids(std::vector<edge>{E[2], E[1], E[0]}));
  EXPECT_EQ(outIds(v[0]), ids(std::vector<edge>{E[0]}));
  EXPECT_EQ(inIds(v[2]), ids(std::vector<edge>{E[2]}));
  EXPECT_EQ(errors.raisedBy([&] { G.sort_edges(G.all_edges()); }), (GraphlibError{-1, ""}));
  G.restore_adj_edge(E[1]);
  EXPECT_EQ(graphDefect(G), "");
  EXPECT_EQ(outIds(v[0]), ids(std::vector<edge>{E[1], E[0]}));

  G.hide_edge(E[2]);
  EXPECT_EQ(errors.raisedBy([&] { G.sort_edges(listOf(std::vector<edge>{E[0], E[2]})); }),
            (GraphlibError{1, "graph::sort_edges(list<edge>): illegal edge list"}));
  EXPECT_EQ(graphDefect(G), "");
}

TEST(GraphSort, EmptyListOnAGraphWithoutEdges) {
  graph G;
  addNodes(G, 2);
  G.sort_edges(graphlib::list<edge>());
  EXPECT_EQ(G.number_of_edges(), 0);
  EXPECT_EQ(graphDefect(G), "");
  graph H;
  H.sort_nodes(graphlib::list<node>());
  EXPECT_EQ(graphDefect(H), "");
}

TEST(GraphSort, NodeListByList) {
  graph G;
  std::vector<node> v = addNodes(G, 5);
  randomEdges(G, v, 8, 2);
  const Shape before = shapeOf(G);
  std::vector<node> order = {v[3], v[0], v[4], v[1], v[2]};
  G.sort_nodes(listOf(order));
  EXPECT_EQ(nodeIds(G.v_list), (Ids{3, 0, 4, 1, 2}));
  EXPECT_EQ(edgeIds(G.e_list), before.edges);
  EXPECT_EQ(graphDefect(G), "");
}

TEST(GraphSort, RefusedListsLeaveTheGraphAsItWas) {
  graph G, other;
  std::vector<node> v = addNodes(G, 4);
  std::vector<edge> E = randomEdges(G, v, 6, 3);
  std::vector<node> w = addNodes(other, 2);
  edge foreign = other.new_edge(w[0], w[1]);
  G.rev_edge(E[2]);
  const Shape before = shapeOf(G);
  std::vector<edge> repeated = E;
  repeated[4] = repeated[1];
  std::vector<node> repeatedNode = v;
  repeatedNode[3] = v[0];
  std::vector<edge> withForeign = E;
  withForeign[5] = foreign;

  node_array<bool> flags(G, false);
  edge_array<bool> edgeFlags(G, false);
  edge_array<float> weights(G, 0.5f);
  node_array<double> nodeWeights(G, 1.0);
  struct Case {
    const char* what;
    std::function<void()> call;
    GraphlibError expected;
  };
  const std::vector<Case> cases = {
      {"short edge list", [&] { G.sort_edges(listOf(std::vector<edge>(E.begin(), E.end() - 1))); },
       {1, "graph::sort_edges(list<edge>): illegal edge list"}},
      {"foreign edge", [&] { G.sort_edges(listOf(withForeign)); }, {1, "graph::sort_edges(list<edge>): edge not in graph"}},
      {"repeated edge", [&] { G.sort_edges(listOf(repeated)); }, {1, "graph::sort_edges(list<edge>): illegal edge list"}},
      {"long node list", [&] { G.sort_nodes(listOf(std::vector<node>{v[0], v[1], v[2], v[3], v[0]})); },
       {1, "graph::sort_nodes(list<node>): illegal node list"}},
      {"foreign node", [&] { G.sort_nodes(listOf(std::vector<node>{v[0], v[1], w[0], v[3]})); },
       {1, "graph::sort_nodes(list<node>): illegal node list"}},
      {"repeated node", [&] { G.sort_nodes(listOf(repeatedNode)); }, {1, "graph::sort_nodes(list<node>): illegal node list"}},
      {"bool node map", [&] { G.sort_nodes(flags); }, {1, "G.sort_nodes(node_array<T>): T must be numerical."}},
      {"bool edge map", [&] { G.sort_edges(edgeFlags); }, {1, "G.sort_edges(node_array<T>): T must be numerical."}},
      {"float map, bucket sort", [&] { G.bucket_sort_edges(weights); },
       {1, "G.bucket_sort_edges(edge_array<T>): T must be integer."}},
      {"double map, bucket sort", [&] { G.bucket_sort_nodes(nodeWeights); },
       {1, "G.bucket_sort_nodes(node_array<T>): T must be integer."}},
  };
  for (const Case& c : cases) {
    RecordingErrorHandler handler;
    EXPECT_EQ(handler.raisedBy(c.call), c.expected) << c.what;
    EXPECT_TRUE(shapeOf(G) == before) << c.what;
    EXPECT_EQ(graphDefect(G), "") << c.what;
  }
}

TEST(GraphSort, KeyOutOfRangeIsReportedByTheListSort) {
  graph G;
  std::vector<node> v = addNodes(G, 4);
  randomEdges(G, v, 5, 8);
  // A handler that returns: the list gives every cell back, in some order.
  RecordingErrorHandler handler(RecordingErrorHandler::Mode::Return);
  G.bucket_sort_nodes(0, 2, [](const node& x) { return x->index() * 3; });
  EXPECT_EQ(handler.errors(), (std::vector<GraphlibError>{{4, "bucket_sort: value 3 out of range"}}));
  EXPECT_EQ(G.number_of_nodes(), 4);
  EXPECT_EQ(graphDefect(G), "");
}

TEST(GraphSort, MapSortsOrderByTheValues) {
  graph G;
  std::vector<node> v = addNodes(G, 30);
  std::vector<edge> E = randomEdges(G, v, 80, 11);
  std::mt19937 engine(4);
  std::vector<int> key(v.size());
  for (std::size_t i = 0; i < key.size(); i++) key[i] = static_cast<int>(i) * 7 % 30 - 10;  // distinct
  node_array<int> ints(G, 0);
  node_array<float> floats(G, 0.0f);
  node_array<double> doubles(G, 0.0);
  for (node x : v) {
    ints[x] = key[static_cast<std::size_t>(x->index())];
    floats[x] = static_cast<float>(-key[static_cast<std::size_t>(x->index())]) / 3.0f;
    doubles[x] = 1e300 * key[static_cast<std::size_t>(x->index())];
  }
  auto expectOrder = [&](const std::function<bool(node, node)>& less, const char* what) {
    std::vector<node> expected = v;
    std::sort(expected.begin(), expected.end(), less);
    EXPECT_EQ(nodeIds(G.v_list), ids(expected)) << what;
    EXPECT_EQ(graphDefect(G), "") << what;
  };
  G.sort_nodes(ints);
  EXPECT_EQ(graphlib::NA, &ints);
  expectOrder([&](node a, node b) { return ints[a] < ints[b]; }, "int");
  G.sort_nodes(floats);
  expectOrder([&](node a, node b) { return floats[a] < floats[b]; }, "float");
  G.sort_nodes(doubles);
  expectOrder([&](node a, node b) { return doubles[a] < doubles[b]; }, "double");

  edge_array<int> edgeKeys(G, 0);
  for (edge e : E) edgeKeys[e] = static_cast<int>(engine() % 1000) * 100 + e->index();  // distinct
  G.sort_edges(edgeKeys);
  std::vector<edge> byKey = E;
  std::sort(byKey.begin(), byKey.end(), [&](edge a, edge b) { return edgeKeys[a] < edgeKeys[b]; });
  EXPECT_EQ(edgeIds(G.e_list), ids(byKey));
  EXPECT_EQ(graphDefect(G), "");
}

TEST(GraphSort, BucketSortsAreStable) {
  graph G;
  std::vector<node> v = addNodes(G, 40);
  std::vector<edge> E = randomEdges(G, v, 100, 12);
  std::mt19937 engine(6);
  std::shuffle(v.begin(), v.end(), engine);
  G.sort_nodes(listOf(v));
  node_array<int> key(G, 0);
  for (node x : v) key[x] = static_cast<int>(engine() % 5) - 2;  // many equal keys
  std::vector<node> expected = v;
  std::stable_sort(expected.begin(), expected.end(), [&](node a, node b) { return key[a] < key[b]; });
  G.bucket_sort_nodes(key);
  EXPECT_EQ(nodeIds(G.v_list), ids(expected));

  std::vector<edge> edgesBefore = testing_support::objects<edge>(G.e_list);
  auto ord = [](const edge& e) { return e->source->index() % 4; };
  std::vector<edge> expectedEdges = edgesBefore;
  std::stable_sort(expectedEdges.begin(), expectedEdges.end(), [&](edge a, edge b) { return ord(a) < ord(b); });
  G.bucket_sort_edges(0, 3, ord);
  const Ids edgeOrder = ids(expectedEdges);
  EXPECT_EQ(edgeIds(G.e_list), edgeOrder);
  EXPECT_EQ(graphDefect(G), "");
  G.bucket_sort_edges(ord);
  EXPECT_EQ(edgeIds(G.e_list), edgeOrder);
  EXPECT_EQ(graphDefect(G), "");
}

int byDescendingIndex(const node& a, const node& b) { return b->index() - a->index(); }
int byInfo(const int& a, const int& b) { return a < b ? -1 : a > b ? 1 : 0; }
int byInfoF(const float& a, const float& b) { return a < b ? -1 : a > b ? 1 : 0; }

TEST(GraphSort, CompareFunctionAndTheGraphsOwnEntries) {
  graphlib::GRAPH<int, float> G;
  std::vector<node> v;
  for (int i : {5, 1, 4, 2, 3}) v.push_back(G.new_node(i));
  std::vector<edge> E;
  for (float f : {2.5f, -1.0f, 7.0f}) E.push_back(G.new_edge(v[0], v[1], f));
  G.sort_nodes(byDescendingIndex);
  EXPECT_EQ(nodeIds(G.v_list), (Ids{4, 3, 2, 1, 0}));
  G.node_cmp_fn = byInfo;
  G.edge_cmp_fn = byInfoF;
  G.sort_nodes();
  EXPECT_EQ(graphlib::GGG, &G);
  EXPECT_EQ(nodeIds(G.v_list), (Ids{1, 3, 4, 2, 0}));
  G.sort_edges();
  EXPECT_EQ(edgeIds(G.e_list), (Ids{1, 0, 2}));
  EXPECT_EQ(outIds(v[0]), (Ids{1, 0, 2}));
  EXPECT_EQ(graphDefect(G), "");
}

TEST(GraphSort, FloatKeysThatCannotBeOrderedCompareEqual) {
  graph G;
  std::vector<node> v = addNodes(G, 3);
  node_array<float> key(G, 1.0f);
  key[v[1]] = std::numeric_limits<float>::quiet_NaN();
  key[v[2]] = -2.0f;
  graphlib::NA = &key;
  EXPECT_EQ(graphlib::float_array_cmp_nodes(v[0], v[1]), 0);
  EXPECT_EQ(graphlib::float_array_cmp_nodes(v[1], v[2]), 0);
  EXPECT_EQ(graphlib::float_array_cmp_nodes(v[0], v[2]), 1);
  EXPECT_EQ(graphlib::float_array_cmp_nodes(v[2], v[0]), -1);
  G.sort_nodes(key);
  EXPECT_EQ(G.number_of_nodes(), 3);
  EXPECT_EQ(graphDefect(G), "");
}

}  // namespace
