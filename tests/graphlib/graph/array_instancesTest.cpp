// The library's arrays over graph objects: of nodes, of lists of nodes and
// edges, and of node arrays (each boxed list or map owned by its slot).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AllocatorUsage.h"
#include "GraphInvariants.h"
#include "graphlib/base/array.h"
#include "graphlib/graph/graph.h"
#include "graphlib/graph/node_array.h"

namespace {

using graphlib::array;
using graphlib::edge;
using graphlib::graph;
using graphlib::list;
using graphlib::node;
using graphlib::node_array;
using testing_support::AllocatorBaseline;
using testing_support::graphDefect;

struct Path {
  graph G;
  std::vector<node> v;
  std::vector<edge> e;
  explicit Path(int n) {
    for (int i = 0; i < n; i++) v.push_back(G.new_node());
    for (int i = 0; i + 1 < n; i++) e.push_back(G.new_edge(v[static_cast<size_t>(i)], v[static_cast<size_t>(i + 1)]));
  }
};

TEST(ArrayInstances, NodesStartNil) {
  Path P(3);
  array<node> A(1, 3);
  for (int i = 1; i <= 3; i++) EXPECT_EQ(A[i], nullptr);
  A[2] = P.v[1];
  array<node> B(A);
  EXPECT_EQ(B[2], P.v[1]);
  EXPECT_EQ(B[3], nullptr);
}

TEST(ArrayInstances, ListsOfNodesAndEdgesAreDeepAndFreed) {
  AllocatorBaseline baseline;
  {
    Path P(5);
    array<list<node>> VL(0, 2);
    array<list<edge>> EL(0, 2);
    for (size_t i = 0; i < P.e.size(); i++) {
      int c = static_cast<int>(i % 3);
      EL[c].append(P.e[i]);
      VL[c].append(P.G.source(P.e[i]));
      VL[c].append(P.G.target(P.e[i]));
    }
    array<list<node>> copy(VL);
    copy[0].clear();
    copy[1].append(P.v[0]);
    EXPECT_EQ(VL[0].length(), 4);
    EXPECT_EQ(VL[1].length(), 2);
    EXPECT_EQ(copy[1].length(), 3);
    array<list<edge>> ecopy(0, 0);
    ecopy = EL;
    EXPECT_EQ(ecopy.high(), 2);
    EXPECT_EQ(ecopy[0].head(), P.e[0]);
    EXPECT_EQ(ecopy[0].tail(), P.e[3]);
    EL.resize(1, 5);
    EXPECT_EQ(EL[1].head(), P.e[1]);
    EXPECT_TRUE(EL[5].empty());
    EXPECT_EQ(graphDefect(P.G), "");
  }
  EXPECT_EQ(baseline.changes(), std::vector<std::string>()) << "every boxed list and its cells were freed";
}

TEST(ArrayInstances, NodeArraysAreDeepAndFreed) {
  AllocatorBaseline baseline;
  {
    Path P(4);
    array<node_array<node>> copies(0, 1);
    for (int k = 0; k <= 1; k++) {
      copies[k].init(P.G, nullptr);
      for (node v : P.v) copies[k][v] = (k == 0) ? v : P.v[0];
    }
    array<node_array<node>> other(copies);
    other[0][P.v[2]] = P.v[3];
    EXPECT_EQ(copies[0][P.v[2]], P.v[2]);
    EXPECT_EQ(other[0][P.v[1]], P.v[1]);
    EXPECT_EQ(other[1][P.v[3]], P.v[0]);
    other = copies;
    EXPECT_EQ(other[0][P.v[2]], P.v[2]);
    copies.resize(0, 3);
    EXPECT_EQ(copies[1][P.v[1]], P.v[0]);
    copies[3].init(P.G, P.v[1]);
    EXPECT_EQ(copies[3][P.v[0]], P.v[1]);
    EXPECT_EQ(graphDefect(P.G), "");
  }
  EXPECT_EQ(baseline.changes(), std::vector<std::string>());
}

}  // namespace
