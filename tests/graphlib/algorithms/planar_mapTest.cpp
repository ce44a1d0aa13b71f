// Planar maps: pairing of reversal edges, face computation and the local map
// operations, checked against an independent face tracing of the rotation system.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "FaceTracing.h"
#include "GraphInvariants.h"
#include "RecordingErrorHandler.h"
#include "graphlib/algorithms/components.h"
#include "graphlib/algorithms/graph_properties.h"
#include "graphlib/graph/node_array.h"

namespace {

using graphlib::edge;
using graphlib::face;
using graphlib::graph;
using graphlib::node;
using testing_support::faceCellsDefect;
using testing_support::graphDefect;
using testing_support::GraphlibError;
using testing_support::RecordingErrorHandler;
using testing_support::traceMap;
using testing_support::tracedGenus;

std::vector<node> addNodes(graph& G, int n) {
  std::vector<node> v;
  for (int i = 0; i < n; i++) v.push_back(G.new_node());
  return v;
}

template <class T>
std::vector<T> items(const graphlib::list<T>& L) {
  std::vector<T> out;
  for (graphlib::dlink* it = L.first(); it; it = it->succ) out.push_back(L.contents(it));
  return out;
}

// A pair of opposite edges linked as reversals; returns the first.
edge addPair(graph& G, node u, node v) {
  edge e = G.new_edge(u, v);
  edge r = G.new_edge(v, u);
  G.set_reversal(e, r);
  return e;
}

// Captures what an operation writes to standard output.
template <class F>
std::string stdoutOf(F f) {
  std::ostringstream captured;
  std::streambuf* old = std::cout.rdbuf(captured.rdbuf());
  f();
  std::cout.rdbuf(old);
  return captured.str();
}

// ---- make_map --------------------------------------------------------------

TEST(MakeMap, PairsEachEdgeWithTheOppositeEdgeCountedFromTheEndAndLeavesSurplusUnpaired) {
  graph G;
  auto v = addNodes(G, 2);
  edge a = G.new_edge(v[0], v[1]);
  edge b = G.new_edge(v[0], v[1]);
  edge c = G.new_edge(v[1], v[0]);
  EXPECT_FALSE(G.make_map());
  EXPECT_EQ(a->rev, c);
  EXPECT_EQ(c->rev, a);
  EXPECT_EQ(b->rev, nullptr);

  graphlib::list<edge> R;
  edge sentinel = G.new_edge(v[1], v[1]);  // R is appended to, not cleared
  R.append(sentinel);
  G.make_map(R);
  std::vector<edge> added = items(R);
  // The lone loop and b each get a new partner.
  ASSERT_EQ(added.size(), 3u);
  EXPECT_EQ(added[0], sentinel);
  EXPECT_EQ(b->rev, added[1]);
  EXPECT_EQ(added[1]->source, v[1]);
  EXPECT_EQ(added[1]->target, v[0]);
  EXPECT_EQ(sentinel->rev, added[2]);
  EXPECT_EQ(added[2]->source, v[1]);
  EXPECT_EQ(added[2]->target, v[1]);
  EXPECT_EQ(testing_support::mapDefect(G), "");
  EXPECT_TRUE(graphlib::check_reversal_inf(G));
  EXPECT_EQ(graphDefect(G), "");
}

// The pairing steps, not the summary sentence: with the edges (1,0), (1,0),
// (0,1) the second (1,0) edge is the one paired.
TEST(MakeMap, PairingFollowsTheSortedMergeWhenTheLargerIndexComesFirst) {
  graph G;
  auto v = addNodes(G, 2);
  edge a = G.new_edge(v[1], v[0]);
  edge b = G.new_edge(v[1], v[0]);
  edge c = G.new_edge(v[0], v[1]);
  EXPECT_FALSE(G.make_map());
  EXPECT_EQ(a->rev, nullptr);
  EXPECT_EQ(b->rev, c);
  EXPECT_EQ(c->rev, b);
}

TEST(MakeMap, LoopsPairAmongThemselvesAndKeptReversalsStay) {
  graph G;
  auto v = addNodes(G, 3);
  edge l1 = G.new_edge(v[0], v[0]);
  edge l2 = G.new_edge(v[0], v[0]);
  edge lone = G.new_edge(v[2], v[2]);
  edge p = addPair(G, v[1], v[2]);
  edge q = p->rev;
  EXPECT_FALSE(G.make_map());
  EXPECT_EQ(l1->rev, l2);
  EXPECT_EQ(l2->rev, l1);
  EXPECT_EQ(lone->rev, nullptr);
  EXPECT_EQ(p->rev, q);

  graph E;
  EXPECT_TRUE(E.make_map());
  graph H;
  auto w = addNodes(H, 2);
  edge x = addPair(H, w[0], w[1]);
  EXPECT_TRUE(H.make_map());
  EXPECT_EQ(x->rev->rev, x);
}

// ---- compute_faces, print_face, dual_map -------------------------------------

TEST(ComputeFaces, SingleEdgePairIsOneFaceOfSizeTwoHeadedByTheFirstEdge) {
  graph G;
  auto v = addNodes(G, 2);
  edge e = addPair(G, v[0], v[1]);
  G.compute_faces();
  ASSERT_EQ(G.number_of_faces(), 1);
  face f = static_cast<face>(G.f_list.head);
  EXPECT_EQ(f->index(), 0);
  EXPECT_EQ(f->head_edge, e);
  EXPECT_EQ(f->size, 2);
  EXPECT_EQ(G.access_face(e), f);
  EXPECT_EQ(G.access_face(e->rev), f);
  EXPECT_EQ(faceCellsDefect(G, true), "");
}

TEST(ComputeFaces, TriangleWithReversalsHasTwoFacesOfSizeThreeAndItsDualTwoNodesAndSixEdges) {
  graph G;
  auto v = addNodes(G, 3);
  addPair(G, v[0], v[1]);
  addPair(G, v[1], v[2]);
  addPair(G, v[2], v[0]);
  G.compute_faces();
  ASSERT_EQ(G.number_of_faces(), 2);
  for (face f : items(G.all_faces())) EXPECT_EQ(f->size, 3);
  EXPECT_EQ(faceCellsDefect(G, true), "");
  EXPECT_EQ(graphlib::Genus(G), 0);

  graph D;
  G.dual_map(D);
  EXPECT_EQ(D.number_of_nodes(), 2);
  EXPECT_EQ(D.number_of_edges(), 6);
  EXPECT_TRUE(graphlib::Is_Map(D));
  EXPECT_EQ(graphDefect(D), "");
}

TEST(ComputeFaces, ReportsEveryEdgeWithoutReversalAndLeavesNoFaces) {
  graph G;
  auto v = addNodes(G, 3);
  addPair(G, v[0], v[1]);
  G.new_edge(v[1], v[2]);
  G.new_edge(v[2], v[0]);
  RecordingErrorHandler handler(RecordingErrorHandler::Mode::Return);
  G.compute_faces();
  std::vector<GraphlibError> expected(2, GraphlibError{1, "graph::compute_faces: no map (reversal edge missing)"});
  EXPECT_EQ(handler.errors(), expected);
  EXPECT_EQ(G.number_of_faces(), 0);
  EXPECT_EQ(G.edge_to_face, nullptr);
  EXPECT_EQ(G.access_face(static_cast<edge>(G.e_list.head)), nullptr);
  EXPECT_EQ(graphDefect(G), "");
}

TEST(PrintFace, WritesTheIndexTheEntryAndTheTargetsOfTheCycle) {
  graph H;
  auto w = addNodes(H, 4);
  addPair(H, w[3], w[3]);
  edge a = H.new_edge(w[0], w[1]);
  edge b = H.new_edge(w[1], w[2]);
  edge c = H.new_edge(w[2], w[0]);
  edge ra = H.new_edge(w[1], w[0]);
  edge rb = H.new_edge(w[2], w[1]);
  edge rc = H.new_edge(w[0], w[2]);
  H.set_reversal(a, ra);
  H.set_reversal(b, rb);
  H.set_reversal(c, rc);
  H.compute_faces();
  // Faces: 0 and 1 the two one-loop cycles, 2 the cycle through a, 3 through ra.
  ASSERT_EQ(H.number_of_faces(), 4);
  std::vector<face> faces = items(H.all_faces());
  EXPECT_EQ(faces[2]->head_edge, a);
  std::string text = stdoutOf([&] { H.print_face(faces[2]); });
  EXPECT_EQ(text, "F[ 2](): [ 1][ 2][ 0]");
  faces[3]->head_edge = nullptr;
  EXPECT_EQ(stdoutOf([&] { H.print_face(faces[3]); }), "F[ 3](): ");
}

}  // namespace
