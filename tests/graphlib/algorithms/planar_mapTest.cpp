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
#include "GraphTestSupport.h"
#include "RecordingErrorHandler.h"
#include "graphlib/algorithms/components.h"
#include "graphlib/algorithms/graph_properties.h"
#include "graphlib/graph/node_array.h"

namespace {

using graphlib::edge;
using graphlib::face;
using graphlib::graph;
using graphlib::node;
using testing_support::addEdges;
using testing_support::addNodes;
using testing_support::faceCellsDefect;
using testing_support::graphDefect;
using testing_support::GraphlibError;
using testing_support::items;
using testing_support::RecordingErrorHandler;
using testing_support::traceMap;
using testing_support::tracedGenus;

// A pair of opposite edges linked as reversals; returns the first.
edge addPair(graph& G, node u, node v) {
  edge e = G.new_edge(u, v);
  edge r = G.new_edge(v, u);
  G.set_reversal(e, r);
  return e;
}

// Each edge's reversal against the one expected (nil for none).
void expectReversals(const std::vector<edge>& E, const std::vector<edge>& expected) {
  ASSERT_EQ(E.size(), expected.size());
  for (std::size_t k = 0; k < E.size(); ++k) EXPECT_EQ(E[k]->rev, expected[k]) << "edge " << k;
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
  auto [a, b, c] = addEdges(G, v, {{0, 1}, {0, 1}, {1, 0}});
  EXPECT_FALSE(G.make_map());
  expectReversals({a, b, c}, {c, nullptr, a});

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
  auto [a, b, c] = addEdges(G, v, {{1, 0}, {1, 0}, {0, 1}});
  EXPECT_FALSE(G.make_map());
  expectReversals({a, b, c}, {nullptr, c, b});
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
  expectReversals({l1, l2, lone, p}, {l2, l1, nullptr, q});

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
  auto w = addNodes(H, 6);
  addPair(H, w[3], w[3]);  // faces 0 and 1: a loop each
  addPair(H, w[4], w[5]);  // face 2
  edge a = H.new_edge(w[0], w[1]);
  edge b = H.new_edge(w[1], w[2]);
  edge c = H.new_edge(w[2], w[0]);
  H.set_reversal(a, H.new_edge(w[1], w[0]));
  H.set_reversal(b, H.new_edge(w[2], w[1]));
  H.set_reversal(c, H.new_edge(w[0], w[2]));
  H.compute_faces();
  ASSERT_EQ(H.number_of_faces(), 5);
  std::vector<face> faces = items(H.all_faces());
  EXPECT_EQ(faces[3]->head_edge, a);
  EXPECT_EQ(stdoutOf([&] { H.print_face(faces[3]); }), "F[ 3](): [ 1][ 2][ 0]");
  faces[4]->head_edge = nullptr;
  EXPECT_EQ(stdoutOf([&] { H.print_face(faces[4]); }), "F[ 4](): ");
}

// The face cells come from a fresh growable map: an edge list that starts at
// a higher index, reused indices and edges added later all read correctly.
TEST(ComputeFaces, FaceCellsSurviveIndexGapsReuseAndLaterEdges) {
  graph G;
  auto v = addNodes(G, 4);
  edge gone = G.new_edge(v[0], v[1]);
  addPair(G, v[0], v[1]);
  addPair(G, v[1], v[2]);
  G.del_edge(gone);  // the first edge in the list now has index 1
  G.compute_faces();
  EXPECT_EQ(faceCellsDefect(G, true), "");
  edge later = addPair(G, v[2], v[3]);  // reuses index 0, then a new index
  EXPECT_EQ(G.access_face(later), nullptr);
  EXPECT_EQ(G.access_face(later->rev), nullptr);
  for (int i = 0; i < 20; i++) addPair(G, v[3], v[0]);  // grows the table
  G.compute_faces();
  EXPECT_EQ(faceCellsDefect(G, true), "");
  EXPECT_EQ(graphDefect(G), "");
}

TEST(PlanarMaps, LoopPairsSplitAndJoin) {
  graph G;
  auto v = addNodes(G, 1);
  edge l = addPair(G, v[0], v[0]);
  G.compute_faces();
  ASSERT_EQ(G.number_of_faces(), 2);  // each loop is a cycle of one edge
  EXPECT_EQ(faceCellsDefect(G, true), "");
  EXPECT_EQ(G.join_faces(l), nullptr);
  EXPECT_EQ(G.number_of_faces(), 0);
  EXPECT_EQ(G.number_of_edges(), 0);

  graph H;
  auto w = addNodes(H, 1);
  edge m = addPair(H, w[0], w[0]);
  H.compute_faces();
  edge m1 = H.split_map_edge(m);
  EXPECT_EQ(m1->target, w[0]);
  EXPECT_EQ(testing_support::mapDefect(H), "");
  EXPECT_EQ(faceCellsDefect(H, false), "");
  EXPECT_EQ(testing_support::tracedGenus(H), 0);
  EXPECT_EQ(graphDefect(H), "");
}

// ---- random maps ------------------------------------------------------------

struct Point {
  long long x, y;
};

long long orient(const Point& a, const Point& b, const Point& c) {
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

bool onSegment(const Point& a, const Point& b, const Point& p) {
  return std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= p.y &&
         p.y <= std::max(a.y, b.y);
}

// Whether segments p[a]p[b] and p[c]p[d] meet anywhere but in a shared end.
bool conflict(const std::vector<Point>& p, int a, int b, int c, int d) {
  std::set<int> ends = {a, b, c, d};
  if (ends.size() == 2) return true;  // the same segment
  if (ends.size() == 3) {
    int s = (a == c || a == d) ? a : b;
    int x = s == a ? b : a;
    int y = (c == s) ? d : c;
    return orient(p[size_t(s)], p[size_t(x)], p[size_t(y)]) == 0 &&
           (p[size_t(x)].x - p[size_t(s)].x) * (p[size_t(y)].x - p[size_t(s)].x) +
                   (p[size_t(x)].y - p[size_t(s)].y) * (p[size_t(y)].y - p[size_t(s)].y) >
               0;
  }
  const Point &A = p[size_t(a)], &B = p[size_t(b)], &C = p[size_t(c)], &D = p[size_t(d)];
  long long o1 = orient(A, B, C), o2 = orient(A, B, D), o3 = orient(C, D, A), o4 = orient(C, D, B);
  if (((o1 > 0 && o2 < 0) || (o1 < 0 && o2 > 0)) && ((o3 > 0 && o4 < 0) || (o3 < 0 && o4 > 0))) return true;
  return (o1 == 0 && onSegment(A, B, C)) || (o2 == 0 && onSegment(A, B, D)) || (o3 == 0 && onSegment(C, D, A)) ||
         (o4 == 0 && onSegment(C, D, B));
}

// A map drawn with straight lines: every node's out-list in counter-clockwise
// order of its edges, so the rotation system is planar by construction.
void buildDrawnMap(graph& G, const std::vector<Point>& p, const std::vector<std::pair<int, int>>& segments) {
  auto v = addNodes(G, static_cast<int>(p.size()));
  std::vector<std::vector<int>> around(p.size());
  for (auto [a, b] : segments) {
    around[size_t(a)].push_back(b);
    around[size_t(b)].push_back(a);
  }
  std::map<std::pair<int, int>, edge> dart;
  for (size_t u = 0; u < p.size(); u++) {
    std::vector<int>& W = around[u];
    auto angle = [&](int w) {
      return std::atan2(double(p[size_t(w)].y - p[u].y), double(p[size_t(w)].x - p[u].x));
    };
    std::sort(W.begin(), W.end(), [&](int a, int b) { return angle(a) < angle(b); });
    for (int w : W) dart[{int(u), w}] = G.new_edge(v[u], v[size_t(w)]);
  }
  for (auto [a, b] : segments) G.set_reversal(dart[{a, b}], dart[{b, a}]);
}

enum class Drawing { Sparse, Tree, Maximal, Grid };

// A random straight-line map; with Maximal every non-crossing segment is taken
// (a triangulation of the points).
void randomDrawnMap(graph& G, std::mt19937& rng, int n, Drawing kind, int m = 0) {
  std::vector<Point> p;
  std::vector<std::pair<int, int>> segments;
  if (kind == Drawing::Grid) {
    int w = n, h = m;
    for (int y = 0; y < h; y++)
      for (int x = 0; x < w; x++) p.push_back({x, y});
    for (int y = 0; y < h; y++)
      for (int x = 0; x < w; x++) {
        int i = y * w + x;
        if (x + 1 < w) segments.push_back({i, i + 1});
        if (y + 1 < h) segments.push_back({i, i + w});
      }
    buildDrawnMap(G, p, segments);
    return;
  }
  std::uniform_int_distribution<long long> coord(0, 1000);
  std::set<std::pair<long long, long long>> used;
  while (int(p.size()) < n) {
    Point q{coord(rng), coord(rng)};
    if (used.insert({q.x, q.y}).second) p.push_back(q);
  }
  std::vector<std::pair<int, int>> candidates;
  for (int a = 0; a < n; a++)
    for (int b = a + 1; b < n; b++) candidates.push_back({a, b});
  std::shuffle(candidates.begin(), candidates.end(), rng);
  std::vector<int> parent(static_cast<size_t>(n));
  for (int i = 0; i < n; i++) parent[size_t(i)] = i;
  auto find = [&](int i) {
    while (parent[size_t(i)] != i) i = parent[size_t(i)] = parent[size_t(parent[size_t(i)])];
    return i;
  };
  for (auto [a, b] : candidates) {
    if (kind != Drawing::Maximal && int(segments.size()) >= m) break;
    bool ok = true;
    for (auto [c, d] : segments)
      if (conflict(p, a, b, c, d)) {
        ok = false;
        break;
      }
    if (!ok) continue;
    if (kind == Drawing::Tree) {
      if (find(a) == find(b)) continue;
      parent[size_t(find(a))] = find(b);
    }
    segments.push_back({a, b});
  }
  buildDrawnMap(G, p, segments);
}

struct DrawnCase {
  const char* name;
  Drawing kind;
  int n;
  int m;
};

const DrawnCase kDrawn[] = {
    {"sparse with isolated nodes", Drawing::Sparse, 14, 8}, {"sparse", Drawing::Sparse, 12, 16},
    {"dense", Drawing::Sparse, 12, 24},                      {"tree", Drawing::Tree, 12, 11},
    {"forest", Drawing::Tree, 12, 6},                        {"triangulation", Drawing::Maximal, 10, 0},
    {"grid 4x3", Drawing::Grid, 4, 3},                       {"grid 1x5", Drawing::Grid, 1, 5},
};

TEST(PlanarMaps, FacesOfDrawnMapsSatisfyEulerAndMatchTheTracedCycles) {
  for (const DrawnCase& c : kDrawn) {
    std::mt19937 rng(31);
    for (int trial = 0; trial < 6; trial++) {
      SCOPED_TRACE(std::string(c.name) + " trial " + std::to_string(trial));
      graph G;
      randomDrawnMap(G, rng, c.n, c.kind, c.m);
      ASSERT_EQ(testing_support::mapDefect(G), "");
      G.compute_faces();
      testing_support::TracedMap T = traceMap(G);
      ASSERT_EQ(T.defect, "");
      EXPECT_EQ(faceCellsDefect(G, true), "");
      // Faces numbered by the first edge of their cycle in the edge list.
      std::vector<face> faces = items(G.all_faces());
      ASSERT_EQ(faces.size(), T.faces.size());
      for (size_t k = 0; k < faces.size(); k++) {
        EXPECT_EQ(faces[k]->index(), int(k));
        EXPECT_EQ(faces[k]->head_edge, T.faces[k][0]);
        EXPECT_EQ(items(G.adj_edges(faces[k])), T.faces[k]);
      }
      // Euler for a plane drawing with c components: n - e + f = 1 + c, the
      // outer face counted once and an isolated node lying in it.
      int n = G.number_of_nodes(), e = G.number_of_edges() / 2;
      int f = int(T.faces.size()) - (T.components - T.isolated) + 1;
      EXPECT_EQ(n - e + f, 1 + T.components);
      EXPECT_EQ(graphlib::Genus(G), 0);
      EXPECT_TRUE(graphlib::Is_Planar_Map(G));
      EXPECT_EQ(testing_support::tracedGenus(G), 0);
    }
  }
}

// A random rotation system on a multigraph with loops: darts are created in a
// shuffled order, so out-lists are in random order.
void randomRotationSystem(graph& G, std::mt19937& rng, int n, int pairs) {
  auto v = addNodes(G, n);
  std::uniform_int_distribution<int> pick(0, n - 1);
  std::vector<std::pair<int, int>> darts;
  for (int k = 0; k < pairs; k++) {
    int a = pick(rng), b = pick(rng);
    darts.push_back({a, 2 * k});
    darts.push_back({b, 2 * k + 1});
  }
  std::vector<std::pair<int, int>> ends(darts.size());
  for (int k = 0; k < pairs; k++) {
    ends[size_t(2 * k)] = {darts[size_t(2 * k)].first, darts[size_t(2 * k + 1)].first};
    ends[size_t(2 * k + 1)] = {darts[size_t(2 * k + 1)].first, darts[size_t(2 * k)].first};
  }
  std::shuffle(darts.begin(), darts.end(), rng);
  std::vector<edge> made(darts.size());
  for (auto [from, id] : darts) {
    auto [a, b] = ends[size_t(id)];
    made[size_t(id)] = G.new_edge(v[size_t(a)], v[size_t(b)]);
  }
  for (int k = 0; k < pairs; k++) G.set_reversal(made[size_t(2 * k)], made[size_t(2 * k + 1)]);
}

TEST(PlanarMaps, GenusOfRandomRotationSystemsMatchesTheTracedGenus) {
  const int shapes[][2] = {{1, 1}, {1, 3}, {2, 3}, {4, 6}, {5, 9}, {6, 12}, {8, 14}, {9, 4}};
  std::mt19937 rng(58);
  std::set<int> genera;
  for (auto& s : shapes) {
    for (int trial = 0; trial < 10; trial++) {
      graph G;
      randomRotationSystem(G, rng, s[0], s[1]);
      int g = testing_support::tracedGenus(G);
      ASSERT_GE(g, 0);
      genera.insert(g);
      EXPECT_EQ(graphlib::Genus(G), g);
      EXPECT_EQ(graphlib::Is_Planar_Map(G), g == 0);
      EXPECT_EQ(graphlib::Is_Plane_Map(G), graphlib::Is_Planar_Map(G));
      for (edge e : items(G.all_edges())) {
        EXPECT_EQ(G.face_cycle_pred(G.face_cycle_succ(e)), e);
        EXPECT_EQ(G.pred_face_edge(e), G.face_cycle_pred(e));
        EXPECT_EQ(G.succ_face_edge(e), G.face_cycle_succ(e));
      }
      G.compute_faces();
      EXPECT_EQ(faceCellsDefect(G, true), "");

      // The dual has a node per face and an edge per dart; its faces are the
      // nodes of a connected map, and it keeps the genus.
      graph D;
      G.dual_map(D);
      EXPECT_EQ(D.number_of_nodes(), G.number_of_faces());
      EXPECT_EQ(D.number_of_edges(), G.number_of_edges());
      EXPECT_EQ(testing_support::mapDefect(D), "");
      if (testing_support::tracedComponentCount(G) == 1 && G.number_of_edges() > 0) {
        EXPECT_EQ(testing_support::tracedGenus(D), g);
        D.compute_faces();
        EXPECT_EQ(D.number_of_faces(), G.number_of_nodes());
      }
    }
  }
  EXPECT_GE(genera.size(), 3u);  // the draws reach several genera
}

TEST(DualMap, DualEdgesFollowTheFaceCyclesAndPairWithTheReversalsDuals) {
  std::mt19937 rng(4);
  graph G;
  randomDrawnMap(G, rng, 9, Drawing::Sparse, 13);
  graph D;
  D.new_node();  // cleared first
  G.dual_map(D);
  std::vector<face> faces = items(G.all_faces());
  std::vector<node> dn = items(D.all_nodes());
  ASSERT_EQ(dn.size(), faces.size());
  std::vector<edge> de = items(D.all_edges());
  std::map<edge, edge> dualOf;
  size_t k = 0;
  for (size_t i = 0; i < faces.size(); i++) {
    std::vector<edge> cycle = items(G.adj_edges(faces[i]));
    std::vector<edge> out = items(D.out_edges(dn[i]));
    ASSERT_EQ(out.size(), cycle.size());
    for (size_t j = 0; j < cycle.size(); j++, k++) {
      ASSERT_LT(k, de.size());
      EXPECT_EQ(de[k], out[j]);
      dualOf[cycle[j]] = de[k];
      EXPECT_EQ(de[k]->source, dn[i]);
      EXPECT_EQ(de[k]->target, dn[size_t(G.access_face(cycle[j]->rev)->index())]);
    }
  }
  for (auto [e, d] : dualOf) EXPECT_EQ(d->rev, dualOf[e->rev]);
  EXPECT_EQ(graphDefect(D), "");
}

// ---- local operations --------------------------------------------------------

// The cycle of e1 from e1 up to the edge before e2.
std::vector<edge> segment(const graph& G, edge e1, edge e2) {
  std::vector<edge> out;
  for (edge x = e1; x != e2; x = G.face_cycle_succ(x)) out.push_back(x);
  return out;
}

TEST(PlanarMaps, LocalOperationsKeepFacesConsistentWithTheCycles) {
  std::mt19937 rng(99);
  int counts[4] = {0, 0, 0, 0};
  // Drawn planar maps first, then rotation systems of higher genus with loops.
  for (int round = 0; round < 10; round++) {
    bool planar = round < 6;
    graph G;
    if (planar)
      randomDrawnMap(G, rng, 10, round % 2 ? Drawing::Tree : Drawing::Sparse, 12);
    else
      randomRotationSystem(G, rng, 5, 9);
    G.compute_faces();
    for (int step = 0; step < 40; step++) {
      std::vector<edge> E = items(G.all_edges());
      if (E.empty()) break;
      int genus = testing_support::tracedGenus(G);
      edge e = E[std::uniform_int_distribution<size_t>(0, E.size() - 1)(rng)];
      int op = std::uniform_int_distribution<int>(0, 3)(rng);
      SCOPED_TRACE("round " + std::to_string(round) + " step " + std::to_string(step) + " op " + std::to_string(op));
      counts[op]++;
      if (op == 0) {
        edge r = e->rev;
        node v = e->source, w = e->target;
        face fe = G.access_face(e), fr = G.access_face(r);
        edge e1 = G.split_map_edge(e);
        node u = e1->source;
        EXPECT_EQ(e->target, u);
        EXPECT_EQ(r->target, u);
        EXPECT_EQ(e1->target, w);
        EXPECT_EQ(e1->rev, r);
        EXPECT_EQ(e->rev->source, u);
        EXPECT_EQ(e->rev->target, v);
        EXPECT_EQ(G.face_cycle_succ(e), e1);
        EXPECT_EQ(G.access_face(e1), fe);
        EXPECT_EQ(G.access_face(e->rev), fr);
        EXPECT_EQ(items(G.in_edges(u)), std::vector<edge>({r, e}));
      } else if (op == 1) {
        face f = G.access_face(e);
        std::vector<edge> cycle = items(G.adj_edges(f));
        edge e2 = cycle[std::uniform_int_distribution<size_t>(0, cycle.size() - 1)(rng)];
        std::vector<edge> moved = segment(G, e, e2);
        std::vector<edge> stays = segment(G, e2, e);
        if (e == e2) {
          moved.clear();
          stays = cycle;
        }
        edge a = G.split_face(e, e2);
        ASSERT_NE(a, nullptr);
        face f2 = G.access_face(a->rev);
        EXPECT_EQ(G.access_face(a), f);
        EXPECT_NE(f2, f);
        EXPECT_EQ(f->head_edge, a);
        EXPECT_EQ(f2->head_edge, a->rev);
        for (edge x : moved) EXPECT_EQ(G.access_face(x), f2);
        for (edge x : stays) EXPECT_EQ(G.access_face(x), f);
      } else if (op == 2) {
        int before = G.number_of_edges();
        face fe = G.access_face(e), fr = G.access_face(e->rev);
        face r = G.join_faces(e);
        EXPECT_EQ(G.number_of_edges(), before - 2);
        if (r != nullptr) {
          EXPECT_TRUE(r == fe || r == fr);
        }
      } else {
        // A new pair between two darts of one face; faces are recomputed after.
        std::vector<edge> cycle = items(G.adj_edges(G.access_face(e)));
        edge e2 = cycle[std::uniform_int_distribution<size_t>(0, cycle.size() - 1)(rng)];
        if (e2 == e) continue;
        edge p1 = G.face_cycle_pred(e), p2 = G.face_cycle_pred(e2);
        edge a = G.new_map_edge(e, e2);
        edge b = a->rev;
        EXPECT_EQ(a->source, e->source);
        EXPECT_EQ(a->target, e2->source);
        EXPECT_EQ(G.face_cycle_succ(p1), a);
        EXPECT_EQ(G.face_cycle_succ(a), e2);
        EXPECT_EQ(G.face_cycle_succ(p2), b);
        EXPECT_EQ(G.face_cycle_succ(b), e);
        EXPECT_EQ(G.access_face(a), nullptr);
        G.compute_faces();
      }
      ASSERT_EQ(graphDefect(G), "");
      ASSERT_EQ(faceCellsDefect(G, false), "");
      // Each operation stays inside one face: a planar map stays planar, and
      // only joining the two sides of one face can lower the genus.
      if (planar) {
        ASSERT_EQ(testing_support::tracedGenus(G), 0);
      } else if (op != 2) {
        ASSERT_EQ(testing_support::tracedGenus(G), genus);
      }
    }
  }
  for (int c : counts) EXPECT_GT(c, 0);
}

TEST(PlanarMaps, SplitMapEdgeOfASinglePair) {
  graph G;
  auto v = addNodes(G, 2);
  edge e = addPair(G, v[0], v[1]);
  edge r = e->rev;
  G.compute_faces();
  face f = G.access_face(e);
  edge e1 = G.split_map_edge(e);
  ASSERT_EQ(G.number_of_nodes(), 3);
  node u = items(G.all_nodes())[2];
  EXPECT_EQ(e->target, u);
  EXPECT_EQ(r->target, u);
  EXPECT_EQ(e1->source, u);
  EXPECT_EQ(e1->target, v[1]);
  EXPECT_EQ(G.number_of_edges(), 4);
  EXPECT_EQ(testing_support::mapDefect(G), "");
  for (edge x : items(G.all_edges())) EXPECT_EQ(G.access_face(x), f);
  EXPECT_EQ(faceCellsDefect(G, false), "");

  graph H;
  auto w = addNodes(H, 2);
  edge lone = H.new_edge(w[0], w[1]);
  RecordingErrorHandler handler(RecordingErrorHandler::Mode::Return);
  EXPECT_EQ(H.split_map_edge(lone), nullptr);
  EXPECT_EQ(handler.errors(),
            std::vector<GraphlibError>({{1, "graph::split_map_edge(e): reversal of edge e missing."}}));
  EXPECT_EQ(H.number_of_nodes(), 2);
}

TEST(PlanarMaps, SplitFaceRefusesEdgesOfTwoFaces) {
  graph G;
  auto v = addNodes(G, 3);
  edge a = addPair(G, v[0], v[1]);
  edge b = addPair(G, v[1], v[2]);
  edge c = addPair(G, v[2], v[0]);
  G.compute_faces();
  ASSERT_NE(G.access_face(a), G.access_face(a->rev));
  {
    RecordingErrorHandler handler;
    GraphlibError raised = handler.raisedBy([&] { G.split_face(a, a->rev); });
    EXPECT_EQ(raised, (GraphlibError{1, "planar_map::new_edge: new edge must lie in a face."}));
  }
  // Without faces there is nothing to split.
  graph H;
  auto w = addNodes(H, 2);
  edge x = addPair(H, w[0], w[1]);
  RecordingErrorHandler handler(RecordingErrorHandler::Mode::Return);
  EXPECT_EQ(H.split_face(x, x->rev), nullptr);
  EXPECT_EQ(handler.size(), 1u);
  EXPECT_EQ(H.number_of_edges(), 2);
  (void)b;
  (void)c;
}

TEST(JoinFaces, IsolatedPairBridgeAndErrors) {
  {
    graph G;
    auto v = addNodes(G, 2);
    edge e = addPair(G, v[0], v[1]);
    G.compute_faces();
    EXPECT_EQ(G.join_faces(e), nullptr);
    EXPECT_EQ(G.number_of_edges(), 0);
    EXPECT_EQ(G.number_of_faces(), 0);
  }
  {
    // Two triangles joined by the bridge 0-3: one face around everything.
    graph G;
    auto v = addNodes(G, 6);
    addPair(G, v[0], v[1]);
    addPair(G, v[1], v[2]);
    addPair(G, v[2], v[0]);
    edge bridge = addPair(G, v[0], v[3]);
    addPair(G, v[3], v[4]);
    addPair(G, v[4], v[5]);
    addPair(G, v[5], v[3]);
    G.compute_faces();
    ASSERT_EQ(G.access_face(bridge), G.access_face(bridge->rev));
    face outer = G.access_face(bridge);
    int faces = G.number_of_faces();
    face kept = G.join_faces(bridge);
    EXPECT_EQ(kept, outer);
    EXPECT_EQ(G.number_of_faces(), faces + 1);
    EXPECT_EQ(faceCellsDefect(G, false), "");
  }
  {
    graph G;
    auto v = addNodes(G, 2);
    edge lone = G.new_edge(v[0], v[1]);
    edge e = addPair(G, v[0], v[1]);
    RecordingErrorHandler handler(RecordingErrorHandler::Mode::Return);
    EXPECT_EQ(G.join_faces(lone), nullptr);
    EXPECT_EQ(G.join_faces(e), nullptr);  // faces never computed
    EXPECT_EQ(handler.errors(), std::vector<GraphlibError>({{1, "join_faces: graph must be a map."},
                                                            {1, "join_faces: no face associated with edges."}}));
    EXPECT_EQ(G.number_of_edges(), 3);
  }
}

// ---- triangulation ------------------------------------------------------------

TEST(TriangulateMap, LeavesOnlyTrianglesOnDrawnMaps) {
  const DrawnCase cases[] = {
      {"sparse", Drawing::Sparse, 12, 14},  {"tree", Drawing::Tree, 10, 9},   {"forest", Drawing::Tree, 10, 5},
      {"isolated nodes", Drawing::Sparse, 10, 3}, {"grid", Drawing::Grid, 4, 4},
  };
  for (const DrawnCase& c : cases) {
    std::mt19937 rng(12);
    for (int trial = 0; trial < 5; trial++) {
      SCOPED_TRACE(std::string(c.name) + " trial " + std::to_string(trial));
      graph G;
      randomDrawnMap(G, rng, c.n, c.kind, c.m);
      std::vector<edge> before = items(G.all_edges());
      std::vector<edge> L = items(G.triangulate_map());
      std::vector<edge> after = items(G.all_edges());
      ASSERT_EQ(after.size(), before.size() + L.size());
      EXPECT_TRUE(std::equal(before.begin(), before.end(), after.begin()));
      std::set<edge> added(L.begin(), L.end());
      EXPECT_EQ(added, std::set<edge>(after.begin() + long(before.size()), after.end()));
      for (edge e : L) EXPECT_TRUE(added.count(e->rev));
      G.compute_faces();
      for (face f : items(G.all_faces())) EXPECT_EQ(f->size, 3);
      EXPECT_EQ(graphlib::Genus(G), 0);
      EXPECT_EQ(testing_support::tracedGenus(G), 0);
      EXPECT_EQ(testing_support::tracedComponentCount(G), 1);
      EXPECT_EQ(graphDefect(G), "");
    }
  }
}

TEST(TriangulateMap, SmallExamples) {
  {
    graph G;
    auto v = addNodes(G, 2);
    std::vector<edge> L = items(G.triangulate_map());
    ASSERT_EQ(L.size(), 2u);
    EXPECT_EQ(L[0]->source, v[0]);
    EXPECT_EQ(L[0]->target, v[1]);
    EXPECT_EQ(L[1]->rev, L[0]);
  }
  {
    // A triangle with its reversals: both faces are triangles already.
    std::mt19937 rng(1);
    graph G;
    randomDrawnMap(G, rng, 3, Drawing::Maximal);
    std::vector<edge> L = items(G.triangulate_map());
    EXPECT_TRUE(L.empty());
  }
  {
    graph G;
    auto v = addNodes(G, 2);
    G.new_edge(v[0], v[1]);
    G.new_edge(v[0], v[1]);
    G.new_edge(v[1], v[0]);
    RecordingErrorHandler handler(RecordingErrorHandler::Mode::Return);
    EXPECT_TRUE(G.triangulate_map().empty());
    EXPECT_EQ(handler.errors(), std::vector<GraphlibError>({{1, "TRIANGULATE_PLANAR_MAP: graph is not a map."}}));
    EXPECT_EQ(G.number_of_edges(), 3);
  }
}

// ---- small queries ------------------------------------------------------------

TEST(PlanarMaps, ReversalCheckAndFaceQueries) {
  graph G;
  auto v = addNodes(G, 3);
  edge a = addPair(G, v[0], v[1]);
  addPair(G, v[1], v[2]);
  EXPECT_TRUE(graphlib::check_reversal_inf(G));
  EXPECT_TRUE(G.is_map());
  graph E;
  EXPECT_TRUE(graphlib::check_reversal_inf(E));

  G.compute_faces();
  face f = G.access_face(a);
  std::vector<edge> cycle = items(G.adj_edges(f));
  std::vector<node> sources;
  for (edge x : cycle) sources.push_back(x->source);
  EXPECT_EQ(items(G.adj_nodes(f)), sources);
  EXPECT_EQ(items(G.adj_faces(v[1])), std::vector<face>(2, f));  // a tree has one face

  // A reversal in another graph fails the membership check but not Is_Map.
  graph H;
  auto w = addNodes(H, 2);
  edge outside = H.new_edge(w[1], w[0]);
  edge x = G.new_edge(v[0], v[2]);
  x->rev = outside;
  outside->rev = x;
  EXPECT_FALSE(graphlib::check_reversal_inf(G));
  x->rev = nullptr;
  outside->rev = nullptr;
  EXPECT_FALSE(graphlib::check_reversal_inf(G));
  // A new edge's face cell is nil.
  EXPECT_EQ(G.access_face(x), nullptr);
}

}  // namespace
