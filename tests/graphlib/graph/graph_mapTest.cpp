#include "graphlib/graph/graph_map.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <unordered_map>
#include <vector>

#include "AllocatorUsage.h"
#include "GraphInvariants.h"
#include "GraphTestSupport.h"
#include "RecordingErrorHandler.h"
#include "graphlib/graph/graph.h"
#include "graphlib/graph/node_array.h"

namespace {

using graphlib::edge;
using graphlib::edge_array;
using graphlib::edge_map;
using graphlib::face;
using graphlib::face_array;
using graphlib::graph;
using graphlib::list;
using graphlib::node;
using graphlib::node_array;
using testing_support::addNodes;
using testing_support::items;
using testing_support::graphDefect;
using testing_support::GraphlibError;
using testing_support::RecordingErrorHandler;

typedef graphlib::graph_map<graph> graph_map;

TEST(GraphMap, NextPower) {
  graph_map M(nullptr, 0, 0);
  const int cases[][2] = {{0, 0}, {1, 1}, {-3, 1}, {2, 2}, {3, 4}, {5, 8}, {8, 8}, {9, 16}, {1000, 1024}};
  for (const auto& c : cases) EXPECT_EQ(M.next_power(c[0]), c[1]) << c[0];
}

TEST(GraphMap, TableSizeFollowsTheLargestIndex) {
  graph G;
  node_array<int> none(G, 7);
  EXPECT_EQ(none.table, nullptr);
  EXPECT_EQ(none.table_size, 0);
  std::vector<node> v = addNodes(G, 5);
  node_array<int> A(G, 7);
  EXPECT_EQ(A.table_size, 8);
  for (int i = 0; i < 8; i++) EXPECT_EQ(graphlib::graphlib_slot_value<int>(A.table[i]), 7) << i;
  EXPECT_EQ(A.slot, -1);
  EXPECT_EQ(A.kind, 0);
  EXPECT_EQ(A.owner, &G);
  EXPECT_EQ(G.reg.maps[0].length(), 2) << "table maps are registered";
  A[v[3]] = 11;
  EXPECT_EQ(A[v[3]], 11);
  EXPECT_EQ(A[v[4]], 7);
  EXPECT_EQ(graphDefect(G), "");
}

TEST(GraphMap, ReusedIndexStartsAgainAndFixedArraysDoNotGrow) {
  graph G;
  std::vector<node> v = addNodes(G, 8);
  node_array<int> A(G, -1);
  for (int i = 0; i < 8; i++) A[v[i]] = i * 10;
  G.del_node(v[3]);
  node n = G.new_node();
  ASSERT_EQ(n->index(), 3);
  EXPECT_EQ(A[n], -1) << "cleared and initialised again";
  EXPECT_EQ(A[v[4]], 40);
  node ninth = G.new_node();
  EXPECT_EQ(ninth->index(), 8);
  EXPECT_EQ(A.table_size, 8) << "a fixed array does not cover later objects";

  std::vector<edge> e;
  for (int i = 0; i < 8; i++) e.push_back(G.new_edge(v[0], v[1]));
  edge_map<int> M(G, 5);
  edge_array<int> F(G, 5);
  EXPECT_EQ(M.table_size, 8);
  M[e[2]] = 22;
  edge extra = G.new_edge(v[1], v[0]);
  EXPECT_EQ(M.table_size, 16) << "a growable map grows with the graph";
  EXPECT_EQ(F.table_size, 8);
  EXPECT_EQ(M[extra], 5);
  EXPECT_EQ(M[e[2]], 22);
  EXPECT_EQ(graphDefect(G), "");
}

TEST(GraphMap, GrowableMapCarriesAWriteAcrossOneResize) {
  graph G;
  graph_map M(&G, 8, 1);
  M.old_index = 0;
  void*& r = M.table_map_access(5);
  r = reinterpret_cast<void*>(0x55);
  M.table_map_access(20);
  EXPECT_EQ(M.table_size, 32);
  EXPECT_NE(M.old_table, nullptr) << "the old table waits for the next access";
  r = reinterpret_cast<void*>(0x56);  // still into the old table
  M.table_map_access(1);
  EXPECT_EQ(M.old_table, nullptr);
  EXPECT_EQ(M.table[5], reinterpret_cast<void*>(0x56));
  EXPECT_EQ(M.table[20], nullptr) << "new cells of a hook-less map start nil";
}

TEST(GraphMap, ReusedIndexIsNotOverwrittenByACarriedWrite) {
  graph G;
  node a = G.new_node();
  edge x = G.new_edge(a, a);
  edge z = G.new_edge(a, a);
  edge_map<int> M(G, -7);
  edge_map<list<edge>> L(G);
  M[x] = 5;
  L[x].append(x);
  G.new_edge(a, a);  // grows both maps; the tables before wait for a carry-over
  ASSERT_NE(M.old_table, nullptr);
  G.del_edge(x);
  edge again = G.new_edge(a, a);
  ASSERT_EQ(again->index(), x->index());
  M[z] = 1;
  L[z].append(z);
  EXPECT_EQ(M[again], -7) << "the deleted edge's value came back";
  EXPECT_TRUE(L[again].empty());
}

TEST(GraphMap, HookLessGrowableMapCellsStartNil) {
  // The shape of a graph's edge-to-face map: no entry hooks, one cell at first, growable.
  graph G;
  node a = G.new_node();
  graph_map* M = new graph_map(&G, 1, 1);
  M->old_index = 0;
  G.edge_to_face = M;
  std::vector<edge> e;
  for (int i = 0; i < 5; i++) e.push_back(G.new_edge(a, a));
  ASSERT_EQ(M->table_size, 8);
  for (edge x : e) M->table_map_access(x->index()) = x;
  G.del_edge(e[2]);
  edge again = G.new_edge(a, a);
  ASSERT_EQ(again->index(), 2);
  EXPECT_EQ(M->table_map_access(2), nullptr) << "no stale entry for a reused index";
  for (int i = 0; i < 8; i++) G.new_edge(a, a);
  for (int i = 5; i < M->table_size; i++) EXPECT_EQ(M->table[i], nullptr) << i;
  G.del_all_faces();  // deletes the map
  EXPECT_EQ(G.edge_to_face, nullptr);
  EXPECT_TRUE(G.reg.maps[1].empty());
}

TEST(GraphMap, DataSlotsAreHandedOutAndGivenBack) {
  graph G(2, 0);
  std::vector<node> v = addNodes(G, 3);
  node_array<int> A, B, C, D;
  EXPECT_EQ(A.init(&G, 0, 0, true), 1);
  EXPECT_EQ(B.init(&G, 0, 0, true), 2);
  EXPECT_EQ(C.init(&G, 0, 0, true), -1) << "no slot left: a table map";
  EXPECT_EQ(graphDefect(G), "");
  A.init(nullptr, 0, 0, true);
  EXPECT_EQ(graphDefect(G), "");
  EXPECT_EQ(D.init(&G, 0, 0, true), 1) << "the slot given back last is handed out next";
  EXPECT_EQ(graphDefect(G), "");

  // Slot maps live in the objects' cells: initialised, cleared and reused with them.
  node_array<int> S;
  graph H(1, 0);
  std::vector<node> w = addNodes(H, 2);
  S.init(&H, 0, 0, true);
  S.init_table(nullptr, nullptr);
  EXPECT_EQ(S.slot, 1);
  EXPECT_EQ(S.table, nullptr);
  S[w[0]] = 4;
  EXPECT_EQ(w[0]->data[1], reinterpret_cast<void*>(4));
  node x = H.new_node();
  EXPECT_EQ(S[x], 0);
  node_array<int> copy(S);
  EXPECT_EQ(copy.slot, -1);
  EXPECT_EQ(copy.table_size, 4) << "a copy of a slot map covers every object in a table";
  EXPECT_EQ(copy[w[0]], 4);
  EXPECT_EQ(copy[x], 0);
  EXPECT_EQ(graphDefect(H), "");
}

TEST(GraphMap, InitKeepsTheTableWhenTheSizeStays) {
  graph G;
  addNodes(G, 5);
  node_array<int> A(G, 1);
  void** table = A.table;
  G.new_node();
  A.init(G, 2);
  EXPECT_EQ(A.table, table) << "6 nodes still fit the table of 8";
  EXPECT_EQ(graphlib::graphlib_slot_value<int>(A.table[5]), 2);
  addNodes(G, 4);
  A.init(G, 3);
  EXPECT_EQ(A.table_size, 16);
  EXPECT_EQ(G.reg.maps[0].length(), 1) << "re-initialising does not register twice";
  graph H;
  A.init(H, 3);
  EXPECT_EQ(G.reg.maps[0].length(), 0);
  EXPECT_EQ(H.reg.maps[0].length(), 1);
  EXPECT_EQ(A.table, nullptr);
}

TEST(GraphMap, CopyAndAssignment) {
  graph G;
  std::vector<node> v = addNodes(G, 3);
  node_array<int> A(G, 9);
  A[v[1]] = 5;
  node_array<int> B(A);
  EXPECT_EQ(B[v[1]], 5);
  EXPECT_EQ(B[v[0]], 9);
  B[v[1]] = 6;
  EXPECT_EQ(A[v[1]], 5);
  EXPECT_EQ(G.reg.maps[0].length(), 2);

  graph H;
  std::vector<node> w = addNodes(H, 2);
  node_array<int> C(H, 1);
  C = A;
  EXPECT_EQ(C.owner, &G);
  EXPECT_EQ(C[v[1]], 5);
  EXPECT_EQ(H.reg.maps[0].length(), 0);
  EXPECT_EQ(G.reg.maps[0].length(), 3);
  C = C;
  EXPECT_EQ(C[v[1]], 5);
  EXPECT_EQ(graphDefect(G), "");
  EXPECT_EQ(graphDefect(H), "");
}

TEST(GraphMap, BoxedEntriesAreOwnedByTheirArray) {
  testing_support::AllocatorBaseline baseline;
  {
    graph G;
    std::vector<node> v = addNodes(G, 4);
    edge e = G.new_edge(v[0], v[1]);
    list<edge> one;
    one.append(e);
    node_array<list<edge>> A(G, one);
    EXPECT_EQ(A[v[2]].length(), 1);
    A[v[0]].append(e);
    {
      node_array<list<edge>> B(A);
      EXPECT_EQ(B[v[0]].length(), 2);
      B[v[0]].clear();
      EXPECT_EQ(A[v[0]].length(), 2) << "the copy owns its own lists";
      node_array<list<edge>> C;
      C = A;
      C[v[0]].append(e);
      EXPECT_EQ(A[v[0]].length(), 2);
    }
    G.del_node(v[0]);
    node n = G.new_node();
    EXPECT_EQ(A[n].length(), 1) << "a reused index gets a fresh copy of the default";
    edge_array<list<edge>> E(G);
    EXPECT_TRUE(E[e].empty());
  }
  EXPECT_EQ(baseline.changes(), std::vector<std::string>());
}

TEST(GraphMap, GraphAndArraysDestroyedInEitherOrder) {
  testing_support::AllocatorBaseline baseline;
  {
    graph* G = new graph;
    std::vector<node> v = addNodes(*G, 3);
    edge e = G->new_edge(v[0], v[1]);
    node_array<list<edge>>* A = new node_array<list<edge>>(*G);
    (*A)[v[1]].append(e);
    edge_map<int>* M = new edge_map<int>(*G, 3);
    delete G;
    EXPECT_EQ(A->owner, nullptr);
    EXPECT_EQ(M->owner, nullptr);
    delete A;
    delete M;

    graph H;
    std::vector<node> w = addNodes(H, 3);
    auto* B = new node_array<list<edge>>(H);
    (*B)[w[2]].append(H.new_edge(w[2], w[0]));
    delete B;
    EXPECT_TRUE(H.reg.maps[0].empty());
    EXPECT_EQ(graphDefect(H), "");
  }
  EXPECT_EQ(baseline.changes(), std::vector<std::string>());
}

TEST(GraphMap, EntryHooksAndTypeCodes) {
  graph G;
  EXPECT_EQ(node_array<int>(G).elem_type_id(), 3);
  EXPECT_EQ(edge_array<float>(G).elem_type_id(), 5);
  EXPECT_EQ(node_array<double>(G).elem_type_id(), 6);
  EXPECT_EQ(node_array<bool>(G).elem_type_id(), 0);
  EXPECT_EQ(node_array<node>(G).elem_type_id(), 0);
  EXPECT_EQ(edge_array<list<edge>>(G).elem_type_id(), 0);
  EXPECT_EQ(face_array<node>(G).elem_type_id(), 0);

  node_array<bool> flags(G, true);
  void* cell = reinterpret_cast<void*>(0x7f01);
  flags.copy_entry(cell);
  EXPECT_EQ(cell, reinterpret_cast<void*>(1)) << "a bool copy keeps only its low byte";
  node_array<int> ints(G);
  cell = reinterpret_cast<void*>(0x7f01);
  ints.copy_entry(cell);
  EXPECT_EQ(cell, reinterpret_cast<void*>(0x7f01));
  EXPECT_EQ(ints.cmp_entry(nullptr, cell), 0);

  edge_array<float> weights(G, 0.25f);
  weights.init_entry(cell);
  EXPECT_EQ(graphlib::graphlib_slot_value<float>(cell), 0.25f);

  RecordingErrorHandler handler;
  std::ostringstream out;
  std::istringstream in("5");
  const GraphlibError io{1, "Compile with -DGRAPHLIB_GMAP_IO for graph_map I/O."};
  EXPECT_EQ(handler.raisedBy([&] { ints.write_entry(out, cell); }), io);
  EXPECT_EQ(handler.raisedBy([&] { ints.read_entry(in, cell); }), io);
  EXPECT_EQ(out.str(), "");
}

TEST(GraphMap, FaceArraysFollowTheFaces) {
  graph G;
  face f0 = G.new_face(nullptr);
  face f1 = G.new_face(nullptr);
  face_array<int> A(G, 3);
  A[f1] = 8;
  EXPECT_EQ(A.table_size, 2);
  G.del_face(f0);
  face f2 = G.add_face(nullptr);
  EXPECT_EQ(f2, f0);
  EXPECT_EQ(A[f2], 3);
  EXPECT_EQ(A[f1], 8);
  EXPECT_EQ(testing_support::faceIds(G.f_list), (testing_support::Ids{1, 0}));
}

TEST(GraphMap, ClearTableOfAnInfoMapDoesNothing) {
  graph G;
  node v = G.new_node(reinterpret_cast<void*>(0x1234));
  node_array<list<edge>> info;
  info.init(&G, 0);
  EXPECT_EQ(info.slot, 0);
  EXPECT_TRUE(G.reg.maps[0].empty());
  info.clear_table();
  EXPECT_EQ(v->data[0], reinterpret_cast<void*>(0x1234));
  node_array<list<edge>> copy(info);
  EXPECT_EQ(copy.slot, 0);
  EXPECT_EQ(copy.table, nullptr);
}

// Random creations and deletions against a plain mirror of the values written.
TEST(GraphMap, MatchesAMirrorThroughRandomChanges) {
  std::mt19937 rng(20240611);
  graph G;
  std::vector<node> nodes = addNodes(G, 4);
  std::vector<edge> edges;
  edge_map<int> M(G, -7);
  node_array<int> fixed(G, -1);
  std::unordered_map<edge, int> mirror;
  for (int step = 0; step < 3000; step++) {
    int op = static_cast<int>(rng() % 10);
    if (op < 5 || edges.empty()) {
      edge e = G.new_edge(nodes[rng() % nodes.size()], nodes[rng() % nodes.size()]);
      edges.push_back(e);
      mirror[e] = -7;
    } else if (op < 7) {
      size_t k = rng() % edges.size();
      G.del_edge(edges[k]);
      mirror.erase(edges[k]);
      edges.erase(edges.begin() + static_cast<long>(k));
    } else {
      edge e = edges[rng() % edges.size()];
      int value = static_cast<int>(rng() % 1000);
      M[e] = value;
      mirror[e] = value;
    }
    if (step % 97 == 0) {
      for (edge e : edges) ASSERT_EQ(M[e], mirror[e]) << "step " << step;
      ASSERT_EQ(graphDefect(G), "") << "step " << step;
    }
  }
  EXPECT_GE(M.table_size, G.max_edge_index + 1);
  for (node v : nodes) EXPECT_EQ(fixed[v], -1);
}

}  // namespace
