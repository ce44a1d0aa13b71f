#include "graphlib/algorithms/spq_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "AllocatorUsage.h"
#include "GraphInvariants.h"
#include "PlanarFamilies.h"
#include "RecordingErrorHandler.h"

namespace {

using graphlib::edge;
using graphlib::graph;
using graphlib::GRAPH;
using graphlib::node;
using graphlib::spq_node_struct;
using graphlib::spq_tree;
using testing_support::AllocatorBaseline;
using testing_support::GraphlibError;
using testing_support::liveSlots;
using testing_support::RecordingErrorHandler;

using EdgeList = std::vector<std::pair<int, int>>;

// Nodes 0..n-1 (indices as numbered), then the edges in list order.
void build(graph& G, int n, const EdgeList& edges) {
  std::vector<node> V;
  for (int i = 0; i < n; i++) V.push_back(G.new_node());
  for (auto [u, v] : edges) G.new_edge(V[static_cast<size_t>(u)], V[static_cast<size_t>(v)]);
}

// The graph by node indices, printed when a check fails: the random graph
// generator seeds itself from the clock, so this is the only way back to it.
std::string edgeList(const graph& G) {
  std::ostringstream out;
  out << G.number_of_nodes() << " nodes, edges:";
  for (graphlib::graph_object* x = G.e_list.head; x != nullptr; x = x->succ) {
    edge e = static_cast<edge>(x);
    out << " " << graph::index(graph::source(e)) << "->" << graph::index(graph::target(e));
  }
  return out.str();
}

std::string text(spq_node_struct* p) {
  std::ostringstream out;
  out << p;
  return out.str();
}

std::string describe(int n, const EdgeList& edges) {
  std::ostringstream out;
  out << n << " nodes, edges:";
  for (auto [u, v] : edges) out << " " << u << "->" << v;
  return out.str();
}

// Independent recogniser: merge parallel edges and contract inner nodes with
// exactly one in-edge and one other out-edge until nothing changes. A
// two-terminal series-parallel graph, and only such a graph, ends as the one
// edge from its source to its sink.
bool reducesToOneEdge(int n, EdgeList E) {
  std::vector<int> indeg(static_cast<size_t>(n), 0), outdeg(static_cast<size_t>(n), 0);
  for (auto [u, v] : E) {
    outdeg[static_cast<size_t>(u)]++;
    indeg[static_cast<size_t>(v)]++;
  }
  int s = -1, t = -1, sources = 0, sinks = 0;
  for (int v = 0; v < n; v++) {
    if (indeg[static_cast<size_t>(v)] == 0) s = v, sources++;
    if (outdeg[static_cast<size_t>(v)] == 0) t = v, sinks++;
  }
  if (sources != 1 || sinks != 1 || s == t) return false;

  std::vector<bool> alive(static_cast<size_t>(n), true);
  for (bool changed = true; changed;) {
    changed = false;
    for (size_t i = 0; i < E.size() && !changed; i++)
      for (size_t j = i + 1; j < E.size() && !changed; j++)
        if (E[i] == E[j]) {
          E.erase(E.begin() + static_cast<long>(j));
          changed = true;
        }
    for (int v = 0; v < n && !changed; v++) {
      if (!alive[static_cast<size_t>(v)] || v == s || v == t) continue;
      std::vector<size_t> in, out;
      for (size_t i = 0; i < E.size(); i++) {
        if (E[i].second == v) in.push_back(i);
        if (E[i].first == v) out.push_back(i);
      }
      if (in.size() != 1 || out.size() != 1 || in[0] == out[0]) continue;
      E[in[0]].second = E[out[0]].second;
      E.erase(E.begin() + static_cast<long>(out[0]));
      alive[static_cast<size_t>(v)] = false;
      changed = true;
    }
  }
  return std::count(alive.begin(), alive.end(), true) == 2 && E.size() == 1 && E[0] == std::make_pair(s, t);
}

struct Shape {
  int s = 0, p = 0, q = 0, i = 0;
};

// Composes the tree over the graph its leaves' edges belong to: a leaf spans
// its edge, an S-node the chain of its children (each child's end is the next
// one's start), a P-node children that all span the same pair. Counts the
// leaves per edge and the node types; with flat, an S-node may not have an S
// child nor a P-node a P child. Returns "" when it composes.
std::string compose(spq_node_struct* p, node& from, node& to, std::map<edge, int>& used, Shape& shape,
                    bool flat) {
  if (p == nullptr) return "nil tree node";
  if (p->type == 'Q') {
    shape.q++;
    if (p->edge == nullptr) return "Q node without an edge";
    if (!p->children.empty()) return "Q node with children";
    from = graph::source(p->edge);
    to = graph::target(p->edge);
    used[p->edge]++;
    return "";
  }
  if (p->type == 'I') {
    shape.i++;
    return "I leaf left";
  }
  if (p->type != 'S' && p->type != 'P') return std::string("unknown type ") + p->type;
  (p->type == 'S' ? shape.s : shape.p)++;
  if (p->children.length() < 2) return std::string(1, p->type) + " node with fewer than two children";
  bool first = true;
  for (graphlib::dlink* it = p->children.first(); it != nullptr; it = it->succ) {
    spq_node_struct* c = p->children.contents(it);
    if (flat && c->type == p->type) return std::string(1, p->type) + " node with a child of its own type";
    node a = nullptr, b = nullptr;
    std::string d = compose(c, a, b, used, shape, flat);
    if (!d.empty()) return d;
    if (first) {
      from = a;
      to = b;
    } else if (p->type == 'S') {
      if (a != to) return "S children do not chain";
      to = b;
    } else if (a != from || b != to) {
      return "P children span different pairs";
    }
    first = false;
  }
  return "";
}

// The tree spans s..t and holds every edge of G exactly once.
std::string composesGraph(spq_node_struct* root, const graph& G, node s, node t, Shape& shape, bool flat) {
  std::map<edge, int> used;
  node a = nullptr, b = nullptr;
  std::string d = compose(root, a, b, used, shape, flat);
  if (!d.empty()) return d;
  if (a != s || b != t) return "the tree does not span the source and the sink";
  if (static_cast<int>(used.size()) != G.number_of_edges()) return "the leaves do not cover the edges";
  for (auto [e, k] : used) {
    if (graph::source(e)->owner != &G) return "a leaf edge of another graph";
    if (k != 1) return "an edge stands in several leaves";
  }
  return "";
}

// Builds the graph of the tree afresh and checks, through the leaves (which
// then hold the new edges), that the old and new edges correspond one to one
// with their ends: an isomorphism of directed multigraphs.
std::string rebuildIsIsomorphic(spq_tree& D, const graph& G, node s, node t) {
  std::vector<std::pair<spq_node_struct*, edge>> leaves;
  std::vector<spq_node_struct*> todo{D.root};
  while (!todo.empty()) {
    spq_node_struct* p = todo.back();
    todo.pop_back();
    if (p->type == 'Q') leaves.emplace_back(p, p->edge);
    for (graphlib::dlink* it = p->children.first(); it != nullptr; it = it->succ)
      todo.push_back(p->children.contents(it));
  }
  graph H;
  node hs = H.new_node();
  node ht = H.new_node();
  graphlib::g_add_spqnode(H, D.root, hs, ht);
  if (H.number_of_nodes() != G.number_of_nodes()) return "rebuilt node count differs";
  if (H.number_of_edges() != G.number_of_edges()) return "rebuilt edge count differs";
  std::map<node, node> to, back;
  auto pair = [&](node a, node b) { return to.emplace(a, b).first->second == b && back.emplace(b, a).first->second == a; };
  if (!pair(s, hs) || !pair(t, ht)) return "terminals do not correspond";
  std::map<edge, int> hits;
  for (auto [leaf, e] : leaves) {
    edge f = leaf->edge;
    if (hits[f]++ != 0) return "two leaves share a rebuilt edge";
    if (!pair(graph::source(e), graph::source(f)) || !pair(graph::target(e), graph::target(f)))
      return "edge ends do not correspond";
  }
  if (static_cast<int>(to.size()) != G.number_of_nodes()) return "not every node corresponds";
  return "";
}

// Tree nodes alive now beyond `before`: the allocator's cells of their size,
// less the node and edge records of the graphs given, which a size class may
// share with them.
long liveTreeNodes(long before, std::initializer_list<const graph*> graphs) {
  const size_t cell = sizeof(spq_node_struct);
  long k = liveSlots(cell) - before;
  for (const graph* G : graphs) {
    if (graphlib::node_struct::bytes(G->data_slots[0]) == cell) k -= G->max_node_index + 1;
    if (graphlib::edge_struct::bytes(G->data_slots[1]) == cell) k -= G->max_edge_index + 1;
  }
  return k;
}

node nodeAt(const graph& G, int i) {
  for (graphlib::graph_object* x = G.v_list.head; x != nullptr; x = x->succ)
    if (--i < 0) return static_cast<node>(x);
  return nullptr;
}

struct KnownCase {
  const char* name;
  int n;
  EdgeList edges;
  const char* tree;  // "" when not series-parallel
};

TEST(SpqTree, KnownGraphs) {
  const std::vector<KnownCase> cases = {
      {"empty graph", 0, {}, ""},
      {"single node", 1, {}, ""},
      {"single edge", 2, {{0, 1}}, "(0 1)"},
      {"two parallel edges", 2, {{0, 1}, {0, 1}}, "(P (0 1) (0 1))"},
      {"path s a t", 3, {{0, 1}, {1, 2}}, "(S (0 1) (1 2))"},
      {"path listed sink side first", 3, {{1, 2}, {0, 1}}, "(S (0 1) (1 2))"},
      {"two paths and a direct edge", 4, {{0, 1}, {1, 3}, {0, 2}, {2, 3}, {0, 3}},
       "(P (0 3) (S (0 2) (2 3)) (S (0 1) (1 3)))"},
      {"parallel pair inside a path", 3, {{0, 1}, {0, 1}, {1, 2}}, "(S (P (0 1) (0 1)) (1 2))"},
      // The in-edges of node 2 from node 1 are not next to each other, so node
      // 1 merges them from its own side first.
      {"parallel edges split by another in-edge", 4, {{0, 1}, {1, 2}, {0, 2}, {1, 2}, {2, 3}},
       "(S (P (0 2) (S (0 1) (P (1 2) (1 2)))) (2 3))"},
      {"two sources", 3, {{0, 2}, {1, 2}}, ""},
      {"two sinks", 3, {{0, 1}, {0, 2}}, ""},
      {"two isolated nodes", 2, {}, ""},
      {"bridge graph", 4, {{0, 1}, {0, 2}, {1, 2}, {1, 3}, {2, 3}}, ""},
      {"acyclic K4", 4, {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}}, ""},
      {"subdivided acyclic K4", 5, {{0, 1}, {0, 2}, {0, 3}, {1, 4}, {4, 2}, {1, 3}, {2, 3}}, ""},
      {"self-loop on an inner node", 3, {{0, 1}, {1, 1}, {1, 2}}, ""},
      {"edge plus an isolated node with a self-loop", 3, {{0, 1}, {2, 2}}, ""},
      {"edge plus a disjoint 2-cycle", 4, {{0, 1}, {2, 3}, {3, 2}}, ""},
      {"2-cycle beside an isolated node", 3, {{0, 1}, {1, 0}}, ""},
      {"isolated node then a 2-cycle", 3, {{1, 2}, {2, 1}}, ""},
      {"cycle hanging off an inner node", 4, {{0, 1}, {1, 2}, {1, 3}, {3, 1}}, ""},
      {"3-cycle away from s and t", 5, {{0, 1}, {2, 3}, {3, 4}, {4, 2}}, ""},
      {"path with a back edge", 3, {{0, 1}, {1, 2}, {2, 1}}, ""},
  };
  AllocatorBaseline baseline;
  for (const KnownCase& c : cases) {
    SCOPED_TRACE(c.name);
    graph G;
    build(G, c.n, c.edges);
    bool expected = *c.tree != '\0';
    EXPECT_EQ(reducesToOneEdge(c.n, c.edges), expected) << "the reference recogniser disagrees with the table";
    EXPECT_EQ(graphlib::Is_Series_Parallel(G), expected);
    spq_tree T;
    T.init(G);
    EXPECT_EQ(T.is_sp, expected);
    EXPECT_EQ(text(T.root), c.tree);
    EXPECT_EQ(testing_support::graphDefect(T.R), "");
  }
  EXPECT_EQ(baseline.changes(), std::vector<std::string>{});
}

TEST(SpqTree, SingleEdgeRootIsAQNodeOfTheInputEdge) {
  graph G;
  build(G, 2, {{0, 1}});
  spq_tree T;
  T.init(G);
  ASSERT_TRUE(T.is_sp);
  ASSERT_NE(T.root, nullptr);
  EXPECT_EQ(T.root->type, 'Q');
  EXPECT_EQ(T.root->edge, G.e_list.head);
  EXPECT_TRUE(T.root->children.empty());
}

TEST(SpqTree, TerminalsAreTheUniqueSourceAndSink) {
  struct Case {
    int n;
    EdgeList edges;
    int s, t;  // -1: get_st fails
  };
  const std::vector<Case> cases = {
      {3, {{1, 0}, {0, 2}}, 1, 2},
      {1, {}, 0, 0},
      {3, {{1, 2}, {2, 1}}, 0, 0},
      {0, {}, -1, -1},
      {2, {}, -1, -1},
      {3, {{0, 2}, {1, 2}}, -1, -1},
      {3, {{0, 1}, {1, 0}, {2, 2}}, -1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(describe(c.n, c.edges));
    graph G;
    build(G, c.n, c.edges);
    spq_tree T;
    graph other;
    node s = other.new_node(), t = s;  // not nil before the call
    EXPECT_EQ(T.get_st(G, s, t), c.s >= 0);
    EXPECT_EQ(s, c.s >= 0 ? nodeAt(G, c.s) : nullptr);
    EXPECT_EQ(t, c.t >= 0 ? nodeAt(G, c.t) : nullptr);
  }
}

// Random multigraphs with loops, parallel edges and isolated nodes, and
// series-parallel graphs with small damage, in shuffled node and edge orders.
class RandomGraphs {
 public:
  explicit RandomGraphs(unsigned seed) : m_rng(seed) {}

  int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }

  void anyGraph(int& n, EdgeList& E) {
    n = pick(1, 6);
    E.clear();
    for (int k = pick(0, 9); k > 0; k--) E.emplace_back(pick(0, n - 1), pick(0, n - 1));
  }

  // A series-parallel graph from source 0 to sink 1 of about `size` edges,
  // then up to two random changes, then the nodes renumbered and the edges
  // shuffled.
  void nearSeriesParallel(int& n, EdgeList& E) {
    n = 2;
    E.clear();
    grow(n, E, 0, 1, pick(1, 12));
    for (int k = pick(0, 2); k > 0; k--) damage(n, E);
    std::vector<int> order(static_cast<size_t>(n));
    for (int i = 0; i < n; i++) order[static_cast<size_t>(i)] = i;
    std::shuffle(order.begin(), order.end(), m_rng);
    for (auto& [u, v] : E) u = order[static_cast<size_t>(u)], v = order[static_cast<size_t>(v)];
    std::shuffle(E.begin(), E.end(), m_rng);
  }

 private:
  void grow(int& n, EdgeList& E, int s, int t, int size) {
    if (size <= 1) {
      E.emplace_back(s, t);
      return;
    }
    int left = pick(1, size - 1);
    if (pick(0, 1) == 0) {
      grow(n, E, s, t, left);
      grow(n, E, s, t, size - left);
    } else {
      int m = n++;
      grow(n, E, s, m, left);
      grow(n, E, m, t, size - left);
    }
  }

  void damage(int& n, EdgeList& E) {
    switch (pick(0, 5)) {
      case 0:  // any extra edge, loops included
        E.emplace_back(pick(0, n - 1), pick(0, n - 1));
        break;
      case 1:
        if (!E.empty()) E.erase(E.begin() + pick(0, static_cast<int>(E.size()) - 1));
        break;
      case 2:
        if (!E.empty()) {
          auto& e = E[static_cast<size_t>(pick(0, static_cast<int>(E.size()) - 1))];
          std::swap(e.first, e.second);
        }
        break;
      case 3:
        n++;
        break;
      case 4: {  // a 2-cycle through a new node
        int a = pick(0, n - 1), b = n++;
        E.emplace_back(a, b);
        E.emplace_back(b, a);
        break;
      }
      default:  // a node added in the middle of an edge keeps the graph series-parallel
        if (!E.empty()) {
          auto& e = E[static_cast<size_t>(pick(0, static_cast<int>(E.size()) - 1))];
          int m = n++;
          int w = e.second;
          e.second = m;
          E.emplace_back(m, w);
        }
    }
  }

  std::mt19937 m_rng;
};

TEST(SpqTree, AgreesWithTheReducerOnRandomSmallGraphs) {
  RandomGraphs gen(20201);
  AllocatorBaseline baseline;
  int yes = 0, no = 0;
  for (int round = 0; round < 4000; round++) {
    int n;
    EdgeList E;
    if (round % 2 == 0)
      gen.anyGraph(n, E);
    else
      gen.nearSeriesParallel(n, E);
    SCOPED_TRACE(describe(n, E));
    graph G;
    build(G, n, E);
    bool expected = reducesToOneEdge(n, E);
    (expected ? yes : no)++;
    spq_tree T;
    T.init(G);
    ASSERT_EQ(T.is_sp, expected);
    ASSERT_EQ(T.root != nullptr, expected);
    ASSERT_EQ(testing_support::graphDefect(T.R), "");
    if (!expected) continue;
    node s, t;
    ASSERT_TRUE(T.get_st(G, s, t));
    Shape shape;
    ASSERT_EQ(composesGraph(T.root, G, s, t, shape, true), "");
    ASSERT_EQ(rebuildIsIsomorphic(T, G, s, t), "");
  }
  // Both answers must be well represented, or the comparison proves little.
  EXPECT_GT(yes, 500);
  EXPECT_GT(no, 500);
  EXPECT_EQ(baseline.changes(), std::vector<std::string>{});
}

TEST(SpqTree, ReinitFreesTheEarlierTreeWhateverTheOutcome) {
  AllocatorBaseline baseline;
  long before = liveSlots(sizeof(spq_node_struct));
  {
    graph sp, bridge, sources;
    build(sp, 4, {{0, 1}, {1, 3}, {0, 2}, {2, 3}, {0, 3}});
    build(bridge, 4, {{0, 1}, {0, 2}, {1, 2}, {1, 3}, {2, 3}});
    build(sources, 3, {{0, 2}, {1, 2}});
    spq_tree T;
    auto live = [&] { return liveTreeNodes(before, {&sp, &bridge, &sources, &T.R}); };
    T.init(sp);
    ASSERT_TRUE(T.is_sp);
    // 5 Q, 2 S and 1 P node.
    EXPECT_EQ(live(), 8);
    T.init(bridge);
    EXPECT_FALSE(T.is_sp);
    EXPECT_EQ(T.root, nullptr);
    // The partial trees (here the five Q nodes) stay on R's edges.
    EXPECT_EQ(T.R.number_of_edges(), 5);
    EXPECT_EQ(live(), 5);
    T.init(sources);
    EXPECT_FALSE(T.is_sp);
    EXPECT_EQ(T.R.number_of_nodes(), 0);
    EXPECT_EQ(live(), 0);
    T.init(bridge);
    T.init(sp);
    EXPECT_TRUE(T.is_sp);
    EXPECT_EQ(text(T.root), "(P (0 3) (S (0 2) (2 3)) (S (0 1) (1 3)))");
  }
  EXPECT_EQ(liveSlots(sizeof(spq_node_struct)), before);
  EXPECT_EQ(baseline.changes(), std::vector<std::string>{});
}

TEST(SpqTree, TwoNodesWithoutAnEdgeAreReportedNotFatal) {
  RecordingErrorHandler handler(RecordingErrorHandler::Mode::Return);
  spq_tree T;
  node a = T.R.new_node(nullptr);
  node b = T.R.new_node(nullptr);
  graphlib::stack<node> S;
  T.sp_reduce(a, b, S);
  EXPECT_FALSE(T.is_sp);
  EXPECT_EQ(T.root, nullptr);
  EXPECT_EQ(handler.errors(), (std::vector<GraphlibError>{{0, "ARRRGH! There should have been an edge!"}}));
}

TEST(SpqTree, SeriesReductionRefusesToMakeALoop) {
  spq_tree T;
  node u = T.R.new_node(nullptr);
  node v = T.R.new_node(nullptr);
  spq_node_struct* q1 = new spq_node_struct('Q');
  spq_node_struct* q2 = new spq_node_struct('Q');
  edge e1 = T.R.new_edge(u, v, q1);
  edge e2 = T.R.new_edge(v, u, q2);
  EXPECT_EQ(T.series_reduction(e1, e2, u, v, u), nullptr);
  EXPECT_EQ(T.R.number_of_nodes(), 2);
  EXPECT_EQ(T.R.number_of_edges(), 2);
  EXPECT_EQ(T.R.inf(e1), q1);
  EXPECT_EQ(T.R.inf(e2), q2);
  EXPECT_EQ(testing_support::graphDefect(T.R), "");
}

// The four ways two parts combine: a part of the combined type takes the
// other in (both of that type: the second one's children move over and its
// shell is freed), otherwise a new node holds both.
TEST(SpqTree, ReductionsKeepSeriesAndParallelNodesFlat) {
  struct Case {
    char t1, t2;
    const char* series;
    const char* parallel;
  };
  const std::vector<Case> cases = {
      {'Q', 'Q', "(S (0 1) (1 2))", "(P (0 1) (1 2))"},
      {'S', 'Q', "(S (0 1) (0 1) (1 2))", "(P (S (0 1) (0 1)) (1 2))"},
      {'Q', 'S', "(S (0 1) (1 2) (1 2))", "(P (0 1) (S (1 2) (1 2)))"},
      {'P', 'P', "(S (P (0 1) (0 1)) (P (1 2) (1 2)))", "(P (0 1) (0 1) (1 2) (1 2))"},
      {'P', 'Q', "(S (P (0 1) (0 1)) (1 2))", "(P (0 1) (0 1) (1 2))"},
      {'Q', 'P', "(S (0 1) (P (1 2) (1 2)))", "(P (0 1) (1 2) (1 2))"},
      {'S', 'S', "(S (0 1) (0 1) (1 2) (1 2))", "(P (S (0 1) (0 1)) (S (1 2) (1 2)))"},
  };
  graph G;
  build(G, 3, {{0, 1}, {1, 2}});
  edge g1 = static_cast<edge>(G.e_list.head), g2 = static_cast<edge>(G.e_list.tail);
  auto part = [](char type, edge e) {
    auto leaf = [e] {
      spq_node_struct* q = new spq_node_struct('Q');
      q->edge = e;
      return q;
    };
    if (type == 'Q') return leaf();
    spq_node_struct* p = new spq_node_struct(type);
    p->children.append(leaf());
    p->children.append(leaf());
    return p;
  };
  AllocatorBaseline baseline;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(1, c.t1) + " with " + c.t2);
    {
      spq_tree T;
      node u = T.R.new_node(nullptr), v = T.R.new_node(nullptr), w = T.R.new_node(nullptr);
      edge e1 = T.R.new_edge(u, v, part(c.t1, g1));
      edge e2 = T.R.new_edge(v, w, part(c.t2, g2));
      edge f = T.series_reduction(e1, e2, u, v, w);
      ASSERT_NE(f, nullptr);
      EXPECT_EQ(T.R.number_of_nodes(), 2);
      EXPECT_EQ(T.R.number_of_edges(), 1);
      EXPECT_EQ(graph::source(f), u);
      EXPECT_EQ(graph::target(f), w);
      EXPECT_EQ(text(T.R.inf(f)), c.series);
    }
    {
      spq_tree T;
      node u = T.R.new_node(nullptr), v = T.R.new_node(nullptr);
      edge e1 = T.R.new_edge(u, v, part(c.t1, g1));
      edge e2 = T.R.new_edge(u, v, part(c.t2, g2));
      T.parallel_reduction(e1, e2);
      EXPECT_EQ(T.R.number_of_edges(), 1);
      EXPECT_EQ(T.R.e_list.head, e1);
      EXPECT_EQ(text(T.R.inf(e1)), c.parallel);
    }
  }
  EXPECT_EQ(baseline.changes(), std::vector<std::string>{});
}

TEST(SpqTree, ReductionGraphWritesItsEdgeInfosAsSubtrees) {
  graph G;
  build(G, 2, {{0, 1}, {0, 1}});
  spq_tree T;
  T.init(G);
  ASSERT_TRUE(T.is_sp);
  std::ostringstream out;
  T.R.write(out);
  const std::string written = out.str();
  EXPECT_EQ(written.rfind("GRAPHLIB.GRAPH\nunknown\nunknown\n2\n", 0), 0u) << written;
  EXPECT_NE(written.find("\n1\n1 2 0 |{(P (0 1) (0 1))}|\n"), std::string::npos) << written;
}

TEST(SpqTree, UnknownNodeTypeIsReportedAndWrittenAsQuestionMark) {
  graph G;
  build(G, 2, {{0, 1}});
  spq_node_struct* s = new spq_node_struct('S');
  spq_node_struct* q = new spq_node_struct('Q');
  q->edge = static_cast<edge>(G.e_list.head);
  s->children.append(q);
  s->children.append(new spq_node_struct('X'));
  s->children.append(new spq_node_struct('I'));
  testing::internal::CaptureStderr();
  std::string written = text(s);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "malformed spq_node: unknown type\n");
  EXPECT_EQ(written, "(S (0 1) (?) (I))");
  EXPECT_EQ(text(nullptr), "");
  s->clear();
}

TEST(SpqTree, BuildTreeDrawsLabelsWithChildrenInOrder) {
  graph G;
  build(G, 4, {{0, 1}, {1, 3}, {0, 2}, {2, 3}, {0, 3}});
  spq_tree T;
  T.init(G);
  ASSERT_TRUE(T.is_sp);
  GRAPH<graphlib::string, int> D;
  D.new_node(graphlib::string("old"));
  node r = T.build_tree(D);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(testing_support::graphDefect(D), "");
  EXPECT_EQ(D.number_of_nodes(), 8);
  EXPECT_EQ(D.number_of_edges(), 7);
  // The drawing as text: each node's label, then its children in out-list order.
  std::function<std::string(node)> draw = [&](node v) {
    std::string s = D.inf(v).chars();
    for (edge e = v->first_adj_edge[0]; e != nullptr; e = e->succ_adj_edge[0]) {
      EXPECT_EQ(D.inf(e), 0);
      s += " [" + draw(graph::target(e)) + "]";
    }
    return s;
  };
  EXPECT_EQ(draw(r), "P [(0 3)] [S [(0 2)] [(2 3)]] [S [(0 1)] [(1 3)]]");
  EXPECT_EQ(graph::indeg(r), 0);

  spq_tree empty;
  EXPECT_EQ(empty.build_tree(D), nullptr);
  EXPECT_EQ(D.number_of_nodes(), 8);
}

TEST(SpqTree, RandomTreesHaveTheAskedShape) {
  AllocatorBaseline baseline;
  for (int s = 0; s <= 6; s++) {
    for (int p = 0; p <= 6; p++) {
      SCOPED_TRACE("s " + std::to_string(s) + " p " + std::to_string(p));
      spq_node_struct* r = graphlib::create_random_tree(s, p);
      if (s + p <= 1) {
        const char* known = s == 1 ? "(S (I) (I))" : p == 1 ? "(P (I) (I))" : "(I)";
        EXPECT_EQ(text(r), known);
      }
      Shape shape;
      std::vector<spq_node_struct*> todo{r};
      while (!todo.empty()) {
        spq_node_struct* x = todo.back();
        todo.pop_back();
        int k = x->children.length();
        EXPECT_EQ(k, x->type == 'I' ? 0 : 2);
        if (x->type == 'I') shape.i++;
        if (x->type == 'S') shape.s++;
        if (x->type == 'P') shape.p++;
        for (graphlib::dlink* it = x->children.first(); it != nullptr; it = it->succ)
          todo.push_back(x->children.contents(it));
      }
      EXPECT_EQ(shape.s, s);
      EXPECT_EQ(shape.p, p);
      EXPECT_EQ(shape.i, s + p + 1);
      r->clear();
    }
  }
  EXPECT_EQ(baseline.changes(), std::vector<std::string>{});
}

TEST(SpqTree, RandomSeriesParallelGraphsAreRecognisedAndRebuilt) {
  const std::vector<std::pair<int, int>> sizes = {{2, 1},  {2, 4},  {3, 2},   {3, 7},   {4, 3},   {5, 9},
                                                  {8, 7},  {8, 20}, {12, 11}, {20, 35}, {40, 39}, {60, 120}};
  AllocatorBaseline baseline;
  for (auto [n, m] : sizes) {
    for (int round = 0; round < 5; round++) {
      graph G;
      spq_tree T;
      ASSERT_TRUE(graphlib::random_sp_graph(G, T, n, m));
      SCOPED_TRACE("n " + std::to_string(n) + " m " + std::to_string(m) + ": " + edgeList(G));
      ASSERT_EQ(G.number_of_nodes(), n);
      ASSERT_EQ(G.number_of_edges(), m);
      EXPECT_TRUE(T.is_sp);
      // The sink is made first, the source second.
      node t = nodeAt(G, 0), s = nodeAt(G, 1);
      Shape made;
      ASSERT_EQ(composesGraph(T.root, G, s, t, made, false), "");
      EXPECT_EQ(made.s, n - 2);
      EXPECT_EQ(made.p, m - n + 1);
      EXPECT_EQ(made.q, m);

      EXPECT_TRUE(graphlib::Is_Series_Parallel(G));
      spq_tree D;
      D.init(G);
      ASSERT_TRUE(D.is_sp);
      Shape found;
      ASSERT_EQ(composesGraph(D.root, G, s, t, found, true), "");
      ASSERT_EQ(rebuildIsIsomorphic(D, G, s, t), "");
    }
  }
  EXPECT_EQ(baseline.changes(), std::vector<std::string>{});
}

TEST(SpqTree, RandomGraphOfTwoNodesIsOneEdgeFromTheSecondToTheFirst) {
  graph G;
  build(G, 1, {});
  spq_tree T;
  ASSERT_TRUE(graphlib::random_sp_graph(G, T, 2, 1));
  EXPECT_EQ(G.number_of_nodes(), 3);
  ASSERT_EQ(G.number_of_edges(), 1);
  edge e = static_cast<edge>(G.e_list.head);
  EXPECT_EQ(graph::source(e), nodeAt(G, 2));
  EXPECT_EQ(graph::target(e), nodeAt(G, 1));
  ASSERT_NE(T.root, nullptr);
  EXPECT_EQ(T.root->type, 'Q');
  EXPECT_EQ(T.root->edge, e);
  EXPECT_EQ(text(T.root), "(2 1)");
}

TEST(SpqTree, RandomGraphRefusesImpossibleSizesAndChangesNothing) {
  graph G;
  build(G, 2, {{0, 1}});
  spq_tree T;
  T.init(G);
  ASSERT_TRUE(T.is_sp);
  spq_node_struct* root = T.root;
  for (auto [n, m] : std::vector<std::pair<int, int>>{{1, 0}, {1, 5}, {0, 0}, {-3, 2}, {3, 1}, {5, 3}, {4, -1}}) {
    SCOPED_TRACE("n " + std::to_string(n) + " m " + std::to_string(m));
    EXPECT_FALSE(graphlib::random_sp_graph(G, T, n, m));
    EXPECT_EQ(G.number_of_nodes(), 2);
    EXPECT_EQ(G.number_of_edges(), 1);
    EXPECT_EQ(T.root, root);
    EXPECT_TRUE(T.is_sp);
  }
}

TEST(SpqTree, TreesHandedToATreeObjectAreFreed) {
  AllocatorBaseline baseline;
  long before = liveSlots(sizeof(spq_node_struct));
  {
    graph sp;
    build(sp, 3, {{0, 1}, {1, 2}, {0, 2}});
    graph G;
    spq_tree T;
    auto live = [&] { return liveTreeNodes(before, {&sp, &G, &T.R}); };
    T.init(sp);
    ASSERT_TRUE(T.is_sp);
    EXPECT_EQ(live(), 5);
    ASSERT_TRUE(graphlib::random_sp_graph(G, T, 5, 8));
    // 3 S, 4 P and 8 Q nodes; the decomposed tree is gone.
    EXPECT_EQ(live(), 15);
    EXPECT_EQ(T.R.number_of_nodes(), 0);
    ASSERT_TRUE(graphlib::random_sp_graph(G, T, 3, 2));
    EXPECT_EQ(live(), 3);
    EXPECT_EQ(G.number_of_nodes(), 8);
    EXPECT_EQ(G.number_of_edges(), 10);
    T.init(sp);
    EXPECT_TRUE(T.is_sp);
    EXPECT_EQ(live(), 5);
    ASSERT_TRUE(graphlib::random_sp_graph(G, T, 4, 4));
  }
  EXPECT_EQ(liveSlots(sizeof(spq_node_struct)), before);
  EXPECT_EQ(baseline.changes(), std::vector<std::string>{});
}

TEST(SpqTree, AddingASeriesNodeWithoutChildrenIsAnError) {
  RecordingErrorHandler handler;
  graph G;
  node s = G.new_node(), t = G.new_node();
  spq_node_struct* p = new spq_node_struct('S');
  GraphlibError raised = handler.raisedBy([&] { graphlib::g_add_spqnode(G, p, s, t); });
  EXPECT_EQ(raised, (GraphlibError{1, "dlist::tail(): empty list"}));
  EXPECT_EQ(G.number_of_nodes(), 2);
  EXPECT_EQ(G.number_of_edges(), 0);
  p->clear();
}

TEST(SpqTree, AddingATreeBuildsItsEdgesBetweenTheTerminals) {
  // (S (P (I) (I)) (I) (S (I) (I))) from s to t: the inner nodes come in
  // child order, the leaves become Q nodes of the new edges; a node of an
  // unknown type adds nothing.
  auto leaf = [] { return new spq_node_struct('I'); };
  spq_node_struct* par = new spq_node_struct('P');
  par->children.append(leaf());
  par->children.append(new spq_node_struct('X'));
  par->children.append(leaf());
  spq_node_struct* inner = new spq_node_struct('S');
  inner->children.append(leaf());
  inner->children.append(leaf());
  spq_node_struct* root = new spq_node_struct('S');
  root->children.append(par);
  root->children.append(leaf());
  root->children.append(inner);
  graph G;
  node s = G.new_node(), t = G.new_node();
  graphlib::g_add_spqnode(G, root, s, t);
  EXPECT_EQ(edgeList(G), "5 nodes, edges: 0->2 0->2 2->3 3->4 4->1");
  testing::internal::CaptureStderr();
  EXPECT_EQ(text(root), "(S (P (0 2) (?) (0 2)) (2 3) (S (3 4) (4 1)))");
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(par->children.contents(par->children.last())->edge, static_cast<edge>(G.e_list.head->succ));
  root->clear();
}

// Source 0, sink 1 and inner nodes 2..n+1: 0->1, 0->2, and from every inner
// node v the edge v->1 and, but from the last, v->v+1. Each inner node opens a
// level: the tree is P(S(P(S(...)))), as deep as the graph is long.
EdgeList nestedFan(int n) {
  EdgeList edges{{0, 1}, {0, 2}};
  for (int v = 2; v <= n + 1; v++) {
    if (v <= n) edges.emplace_back(v, v + 1);
    edges.emplace_back(v, 1);
  }
  return edges;
}

// Its tree as text, worked out level by level.
std::string nestedFanText(int n) {
  std::string out;
  int from = 0;
  int next = 2;
  for (int level = 0; level < n; level++) {
    out += "(P (" + std::to_string(from) + " 1) (S (" + std::to_string(from) + " " + std::to_string(next) + ") ";
    from = next++;
  }
  return out + "(" + std::to_string(from) + " 1)" + std::string(static_cast<size_t>(2 * n), ')');
}

// Nodes of a drawing in the order they were made.
std::vector<node> nodesOf(const graph& D) {
  std::vector<node> out;
  for (graphlib::graph_object* x = D.v_list.head; x != nullptr; x = x->succ) out.push_back(static_cast<node>(x));
  return out;
}

std::vector<node> childrenOf(node v) {
  std::vector<node> out;
  for (edge e = v->first_adj_edge[0]; e != nullptr; e = e->succ_adj_edge[0]) out.push_back(graph::target(e));
  return out;
}

// A tree nested as deep as a long graph is decomposed, written, drawn, added
// to a graph again and freed, all without running out of call stack.
TEST(SpqTree, DeeplyNestedTreesAreWrittenDrawnRebuiltAndFreed) {
  const int n = planar_families::deepSize(150000, 40000);
  AllocatorBaseline baseline;
  {
    graph G;
    build(G, n + 2, nestedFan(n));
    spq_tree T;
    T.init(G);
    ASSERT_TRUE(T.is_sp);
    EXPECT_EQ(text(T.root), nestedFanText(n));

    GRAPH<graphlib::string, int> D;
    node r = T.build_tree(D);
    std::vector<node> drawn = nodesOf(D);
    ASSERT_EQ(drawn.size(), static_cast<size_t>(4 * n + 1));
    ASSERT_EQ(r, drawn[0]);
    EXPECT_EQ(D.number_of_edges(), 4 * n);
    // Level k: P, its Q child (v 1), S, its Q child (v v'), then level k + 1.
    int from = 0;
    for (int level = 0; level < n; level++) {
      size_t at = static_cast<size_t>(4 * level);
      int next = level == 0 ? 2 : from + 1;
      std::string q1 = "(" + std::to_string(from) + " 1)";
      std::string q2 = "(" + std::to_string(from) + " " + std::to_string(next) + ")";
      ASSERT_EQ(std::string(D.inf(drawn[at]).chars()), "P") << level;
      ASSERT_EQ(std::string(D.inf(drawn[at + 1]).chars()), q1) << level;
      ASSERT_EQ(std::string(D.inf(drawn[at + 2]).chars()), "S") << level;
      ASSERT_EQ(std::string(D.inf(drawn[at + 3]).chars()), q2) << level;
      ASSERT_EQ(childrenOf(drawn[at]), (std::vector<node>{drawn[at + 1], drawn[at + 2]})) << level;
      ASSERT_EQ(childrenOf(drawn[at + 2]), (std::vector<node>{drawn[at + 3], drawn[at + 4]})) << level;
      from = next;
    }
    EXPECT_EQ(std::string(D.inf(drawn.back()).chars()), "(" + std::to_string(from) + " 1)");
    EXPECT_EQ(graph::indeg(r), 0);

    EXPECT_EQ(rebuildIsIsomorphic(T, G, nodeAt(G, 0), nodeAt(G, 1)), "");
  }
  EXPECT_EQ(baseline.changes(), std::vector<std::string>{});
}

// 200,000 edges in series stay one flat S-node: decomposed, drawn, added to a
// graph again and freed.
TEST(SpqTree, LongSeriesChainIsOneSeriesNodeDrawnRebuiltAndFreed) {
  const int m = planar_families::deepSize(200000, 40000);
  AllocatorBaseline baseline;
  {
    EdgeList chain;
    for (int v = 0; v < m; v++) chain.emplace_back(v, v + 1);
    graph G;
    build(G, m + 1, chain);
    spq_tree T;
    T.init(G);
    ASSERT_TRUE(T.is_sp);
    ASSERT_EQ(T.root->type, 'S');
    ASSERT_EQ(T.root->children.length(), m);
    int v = 0;
    for (graphlib::dlink* it = T.root->children.first(); it != nullptr; it = it->succ, v++) {
      spq_node_struct* q = T.root->children.contents(it);
      ASSERT_EQ(q->type, 'Q');
      ASSERT_EQ(graph::index(graph::source(q->edge)), v);
      ASSERT_EQ(graph::index(graph::target(q->edge)), v + 1);
    }

    GRAPH<graphlib::string, int> D;
    node r = T.build_tree(D);
    ASSERT_EQ(D.number_of_nodes(), m + 1);
    EXPECT_EQ(std::string(D.inf(r).chars()), "S");
    std::vector<node> leaves = childrenOf(r);
    ASSERT_EQ(leaves.size(), static_cast<size_t>(m));
    for (size_t i = 0; i < leaves.size(); i++)
      ASSERT_EQ(std::string(D.inf(leaves[i]).chars()), "(" + std::to_string(i) + " " + std::to_string(i + 1) + ")");

    EXPECT_EQ(rebuildIsIsomorphic(T, G, nodeAt(G, 0), nodeAt(G, m)), "");
  }
  EXPECT_EQ(baseline.changes(), std::vector<std::string>{});
}

}  // namespace
