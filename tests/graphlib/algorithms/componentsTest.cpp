// Component numbering against a union-find labelling written here, and the
// node partition.
#include "graphlib/algorithms/components.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

namespace {

using graphlib::edge;
using graphlib::graph;
using graphlib::node;
using graphlib::node_array;

std::vector<node> nodeList(const graph& G) {
  std::vector<node> out;
  for (graphlib::graph_object* x = G.v_list.head; x; x = x->succ) out.push_back(static_cast<node>(x));
  return out;
}

// Union-find over node positions, then components numbered by the position of
// their first node in the node list.
std::vector<int> expectedNumbers(const graph& G, int& count) {
  std::vector<node> V = nodeList(G);
  std::map<node, size_t> pos;
  for (size_t i = 0; i < V.size(); i++) pos[V[i]] = i;
  std::vector<size_t> parent(V.size());
  for (size_t i = 0; i < V.size(); i++) parent[i] = i;
  auto find = [&](size_t i) {
    while (parent[i] != i) i = parent[i] = parent[parent[i]];
    return i;
  };
  for (graphlib::graph_object* x = G.e_list.head; x; x = x->succ) {
    edge e = static_cast<edge>(x);
    parent[find(pos[e->source])] = find(pos[e->target]);
  }
  std::map<size_t, int> label;
  std::vector<int> out;
  for (size_t i = 0; i < V.size(); i++) {
    size_t r = find(i);
    if (!label.count(r)) label[r] = static_cast<int>(label.size());
    out.push_back(label[r]);
  }
  count = static_cast<int>(label.size());
  return out;
}

std::vector<int> numbers(const graph& G, const node_array<int>& comp) {
  std::vector<int> out;
  for (node v : nodeList(G)) out.push_back(comp[v]);
  return out;
}

TEST(Components, BothNumberingsMatchUnionFindOnRandomGraphs) {
  struct Shape {
    int n, m;
  };
  const Shape shapes[] = {{1, 0}, {5, 0}, {10, 3}, {12, 8}, {20, 15}, {30, 25}, {40, 80}};
  std::mt19937 rng(16);
  for (const Shape& s : shapes) {
    for (int trial = 0; trial < 15; trial++) {
      graph G;
      std::vector<node> v;
      for (int i = 0; i < s.n; i++) v.push_back(G.new_node());
      std::uniform_int_distribution<int> pick(0, s.n - 1);
      // Loops and parallel edges come with the draws; a few deletions make the
      // node list order differ from index order.
      for (int k = 0; k < s.m; k++) G.new_edge(v[static_cast<size_t>(pick(rng))], v[static_cast<size_t>(pick(rng))]);
      if (s.n > 3 && trial % 3 == 0) {
        G.del_node(v[1]);
        node w = G.new_node();
        G.new_edge(w, v[static_cast<size_t>(s.n - 1)]);
        G.new_edge(v[0], v[0]);
      }
      int expectedCount = 0;
      std::vector<int> expected = expectedNumbers(G, expectedCount);
      node_array<int> c0(G, -7), c1(G, -7);
      EXPECT_EQ(graphlib::COMPONENTS(G, c0), expectedCount);
      EXPECT_EQ(numbers(G, c0), expected);
      EXPECT_EQ(graphlib::COMPONENTS1(G, c1), expectedCount);
      EXPECT_EQ(numbers(G, c1), expected);
    }
  }
}

TEST(Components, EdgesInAnyDirectionJoinAndIsolatedNodesCountInOrder) {
  graph G;
  std::vector<node> v;
  for (int i = 0; i < 5; i++) v.push_back(G.new_node());
  G.new_edge(v[1], v[3]);
  G.new_edge(v[4], v[3]);
  G.new_edge(v[4], v[4]);
  G.new_edge(v[1], v[3]);
  node_array<int> c(G, -7);
  EXPECT_EQ(graphlib::COMPONENTS(G, c), 3);
  EXPECT_EQ(numbers(G, c), std::vector<int>({0, 1, 2, 1, 1}));
  node_array<int> d(G, -7);
  EXPECT_EQ(graphlib::COMPONENTS1(G, d), 3);
  EXPECT_EQ(numbers(G, d), std::vector<int>({0, 1, 2, 1, 1}));

  graph E;
  node_array<int> e(E, 0);
  EXPECT_EQ(graphlib::COMPONENTS(E, e), 0);
  EXPECT_EQ(graphlib::COMPONENTS1(E, e), 0);
}

// A path far longer than a recursive search could follow on a small stack.
TEST(Components, LongPathNeedsNoDeepRecursion) {
  graph G;
  node prev = G.new_node();
  for (int i = 1; i < 100000; i++) {
    node v = G.new_node();
    G.new_edge(v, prev);
    prev = v;
  }
  node_array<int> c(G, -1);
  EXPECT_EQ(graphlib::COMPONENTS(G, c), 1);
  EXPECT_EQ(c[prev], 0);
}

TEST(NodePartition, SplitOfAWholeBlockMakesEachNodeItsOwnRepresentative) {
  graph G;
  std::vector<node> v;
  for (int i = 0; i < 5; i++) v.push_back(G.new_node());
  graphlib::node_partition P(G);
  EXPECT_EQ(P.block_count, 5);
  P.union_blocks(v[0], v[2]);
  P.union_blocks(v[4], v[2]);
  EXPECT_EQ(P.block_count, 3);
  EXPECT_EQ(P.find(v[0]), P.find(v[4]));
  EXPECT_NE(P.find(v[0]), P.find(v[1]));

  graphlib::list<node> L;
  L.append(v[4]);
  L.append(v[0]);
  L.append(v[2]);
  P.split(L);
  EXPECT_EQ(P.block_count, 5);
  for (node x : v) EXPECT_EQ(P.find(x), x);
}

}  // namespace
