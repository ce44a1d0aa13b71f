#include "graphlib/graph/graph_objects.h"

#include <gtest/gtest.h>

#include <vector>

#include "GraphInvariants.h"
#include "GraphTestSupport.h"
#include "graphlib/graph/graph.h"

namespace {

using graphlib::edge;
using graphlib::edge_struct;
using graphlib::graph;
using graphlib::graph_obj_list_base;
using graphlib::graph_object;
using graphlib::node;
using graphlib::node_struct;
using testing_support::adjIds;
using testing_support::Ids;
using testing_support::graphDefect;

// v's list i walked backwards from last by the link-pair rule.
Ids backwards(node v, int i) {
  Ids out;
  for (edge e = v->last_adj_edge[i]; e;) {
    out.insert(out.begin(), e->index());
    e = e->pred_adj_edge[graphlib::link_pair(e, v, i)];
  }
  return out;
}

TEST(AdjacencyList, PushOntoAnEmptyList) {
  node_struct v(nullptr, 0), w(nullptr, 1);
  edge_struct e(&v, &w, nullptr, 0);
  e.succ_adj_edge[1] = e.pred_adj_edge[1] = &e;  // stale links the push must overwrite
  w.push_adj_edge(&e, 1, 1);
  EXPECT_EQ(w.first_adj_edge[1], &e);
  EXPECT_EQ(w.last_adj_edge[1], &e);
  EXPECT_EQ(w.adj_length[1], 1);
  EXPECT_EQ(e.succ_adj_edge[1], nullptr);
  EXPECT_EQ(e.pred_adj_edge[1], nullptr);
  w.del_adj_edge(&e, 1, 1);
  EXPECT_EQ(w.first_adj_edge[1], nullptr);
  EXPECT_EQ(w.last_adj_edge[1], nullptr);
  EXPECT_EQ(w.adj_length[1], 0);
}

TEST(AdjacencyList, InsertAtBothEnds) {
  node_struct v(nullptr, 0), w(nullptr, 1);
  edge_struct a(&v, &w, nullptr, 0), b(&v, &w, nullptr, 1), c(&v, &w, nullptr, 2), d(&v, &w, nullptr, 3);
  v.append_adj_edge(&a, 0, 0);
  v.append_adj_edge(&b, 0, 0);
  v.insert_adj_edge(&c, &a, 0, 0, 1);
  EXPECT_EQ(v.first_adj_edge[0], &c) << "before the first edge: new first";
  v.insert_adj_edge(&d, &b, 0, 0, 0);
  EXPECT_EQ(v.last_adj_edge[0], &d) << "after the last edge: new last";
  EXPECT_EQ(adjIds(&v, 0), (Ids{2, 0, 1, 3}));
  EXPECT_EQ(backwards(&v, 0), (Ids{2, 0, 1, 3}));
  EXPECT_EQ(v.adj_length[0], 4);
  v.del_adj_edge(&a, 0, 0);
  v.insert_adj_edge(&a, nullptr, 0, 0, 1);
  EXPECT_EQ(adjIds(&v, 0), (Ids{2, 1, 3, 0})) << "no reference edge: appended";
  EXPECT_EQ(backwards(&v, 0), (Ids{2, 1, 3, 0}));
}

TEST(AdjacencyList, DirectedSelfLoopLeavesOneListOnly) {
  graph G;
  node v = G.new_node();
  node w = G.new_node();
  edge before = G.new_edge(v, w);
  edge in = G.new_edge(w, v);
  edge loop = G.new_edge(v, v);
  edge after = G.new_edge(v, w);
  edge in2 = G.new_edge(w, v);
  ASSERT_EQ(graphDefect(G), "");
  v->del_adj_edge(loop, 0, 0);
  EXPECT_EQ(adjIds(v, 0), (Ids{before->index(), after->index()}));
  EXPECT_EQ(backwards(v, 0), (Ids{before->index(), after->index()}));
  EXPECT_EQ(adjIds(v, 1), (Ids{in->index(), loop->index(), in2->index()}));
  EXPECT_EQ(backwards(v, 1), (Ids{in->index(), loop->index(), in2->index()}));
  v->insert_adj_edge(loop, after, 0, 0, 1);
  EXPECT_EQ(graphDefect(G), "");
  EXPECT_EQ(adjIds(v, 0), (Ids{before->index(), loop->index(), after->index()}));
}

TEST(AdjacencyList, UndirectedWalkVisitsEveryIncidentEdgeOnce) {
  graph G;
  G.make_undirected();
  node v = G.new_node();
  node a = G.new_node();
  node b = G.new_node();
  std::vector<edge> e = {G.new_edge(v, a), G.new_edge(a, v), G.new_edge(b, v), G.new_edge(v, b),
                         G.new_edge(a, b), G.new_edge(a, v)};
  ASSERT_EQ(graphDefect(G), "");
  EXPECT_EQ(adjIds(v, 0), (Ids{0, 1, 2, 3, 5}));
  EXPECT_EQ(backwards(v, 0), (Ids{0, 1, 2, 3, 5}));
  // Insertions next to edges of both roles keep the walk sound.
  G.new_edge(v, e[1], b, nullptr, 0);
  G.new_edge(b, v, e[0], nullptr, 1);
  EXPECT_EQ(graphDefect(G), "");
  EXPECT_EQ(adjIds(v, 0), (Ids{7, 0, 1, 6, 2, 3, 5}));
  v->del_adj_edge(e[2], 0, 1);
  EXPECT_EQ(adjIds(v, 0), (Ids{7, 0, 1, 6, 3, 5}));
  EXPECT_EQ(backwards(v, 0), (Ids{7, 0, 1, 6, 3, 5}));
}

TEST(AdjacencyList, AppendAndInsertWholeLists) {
  node_struct v(nullptr, 0), w(nullptr, 1);
  edge_struct a(&v, &w, nullptr, 0), b(&v, &w, nullptr, 1), c(&w, &w, nullptr, 2), d(&w, &w, nullptr, 3);
  v.append_adj_edge(&a, 0, 0);
  v.append_adj_edge(&b, 0, 0);
  v.append_adj_list(0, &w, 0);
  EXPECT_EQ(adjIds(&v, 0), (Ids{0, 1})) << "an empty list changes nothing";
  EXPECT_EQ(v.adj_length[0], 2);

  w.append_adj_edge(&c, 0, 0);
  w.append_adj_edge(&d, 0, 0);
  // The moved edges get their new source, as the caller does.
  c.source = d.source = &v;
  v.insert_adj_list(0, &a, &w, 0);
  EXPECT_EQ(adjIds(&v, 0), (Ids{0, 2, 3, 1}));
  EXPECT_EQ(backwards(&v, 0), (Ids{0, 2, 3, 1}));
  EXPECT_EQ(v.adj_length[0], 4);
  EXPECT_EQ(w.first_adj_edge[0], nullptr);
  EXPECT_EQ(w.last_adj_edge[0], nullptr);
  EXPECT_EQ(w.adj_length[0], 0);

  node_struct x(nullptr, 2);
  x.append_adj_list(0, &v, 0);
  for (edge_struct* e : {&a, &b, &c, &d}) e->source = &x;
  EXPECT_EQ(adjIds(&x, 0), (Ids{0, 2, 3, 1})) << "into an empty list";
  EXPECT_EQ(backwards(&x, 0), (Ids{0, 2, 3, 1}));
  EXPECT_EQ(x.adj_length[0], 4);
  EXPECT_EQ(v.adj_length[0], 0);
}

struct Item : graph_object {
  explicit Item(int k) : id(k) { succ = pred = nullptr; }
  int id;
};

Ids order(const graph_obj_list_base& L) {
  Ids out;
  const graph_object* prev = nullptr;
  for (graph_object* x = L.head; x; x = x->succ) {
    EXPECT_EQ(x->pred, prev);
    prev = x;
    out.push_back(static_cast<Item*>(x)->id);
  }
  EXPECT_EQ(prev, L.tail);
  EXPECT_EQ(static_cast<int>(out.size()), L.count);
  return out;
}

TEST(ObjectList, Operations) {
  graph_obj_list_base L;
  EXPECT_EQ(L.pop(), nullptr);
  EXPECT_EQ(L.count, 0);
  Item a(1), b(2), c(3), d(4), e(5);
  L.insert(&a, nullptr);
  EXPECT_EQ(order(L), Ids{1}) << "insert before nil appends";
  L.append(&b);
  L.push(&c);
  L.insert(&d, &a);
  EXPECT_EQ(order(L), (Ids{3, 4, 1, 2}));
  L.remove(&a);
  EXPECT_EQ(order(L), (Ids{3, 4, 2}));
  graph_obj_list_base M;
  L.conc(M);
  EXPECT_EQ(order(L), (Ids{3, 4, 2})) << "an empty list changes nothing";
  M.append(&e);
  M.append(&a);
  L.conc(M);
  EXPECT_EQ(order(L), (Ids{3, 4, 2, 5, 1}));
  EXPECT_EQ(order(M), Ids{});
  M.conc(L);
  EXPECT_EQ(order(M), (Ids{3, 4, 2, 5, 1})) << "into an empty list";
  EXPECT_EQ(M.pop(), &c);
  EXPECT_EQ(order(M), (Ids{4, 2, 5, 1}));
  M.remove(&a);
  M.remove(&d);
  EXPECT_EQ(order(M), (Ids{2, 5}));
  M.clear();
  EXPECT_EQ(order(M), Ids{});
}

TEST(GraphObjects, IndexAndHiddenFlag) {
  node_struct v(nullptr, 41);
  EXPECT_EQ(v.index(), 41);
  EXPECT_FALSE(v.hidden());
  v.id |= graphlib::hidden_bit;
  EXPECT_TRUE(v.hidden());
  EXPECT_EQ(v.index(), 41);
  EXPECT_EQ(node_struct::bytes(3) - node_struct::bytes(0), 3 * sizeof(void*));
  EXPECT_EQ(edge_struct::bytes(0), sizeof(edge_struct));
}

}  // namespace
