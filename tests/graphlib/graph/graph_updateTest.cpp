#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "GraphInvariants.h"
#include "GraphTestSupport.h"
#include "RecordingErrorHandler.h"
#include "graphlib/base/random_source.h"
#include "graphlib/graph/graph.h"
#include "graphlib/graph/param_graph.h"

namespace {

using graphlib::edge;
using graphlib::face;
using graphlib::graph;
using graphlib::list;
using graphlib::node;
using testing_support::addEdges;
using testing_support::addNodes;
using testing_support::adjIds;
using testing_support::edgeIds;
using testing_support::Ids;
using testing_support::ids;
using testing_support::inIds;
using testing_support::nodeIds;
using testing_support::outIds;
using testing_support::RecordingGraph;
using testing_support::graphDefect;
using testing_support::GraphlibError;
using testing_support::RecordingErrorHandler;

TEST(GraphQueries, ListsOfObjectsAndNeighbours) {
  graph G;
  std::vector<node> v = addNodes(G, 4);
  auto [a, b, c, d] = addEdges(G, v, {{0, 1}, {2, 0}, {0, 0}, {0, 3}});
  const list<edge>& all = G.all_edges();
  EXPECT_EQ(ids(all), (Ids{0, 1, 2, 3}));
  G.del_edge(b);
  const list<edge>& again = G.all_edges();
  EXPECT_EQ(&again, &all) << "the same cached list, refilled";
  EXPECT_EQ(ids(all), (Ids{0, 2, 3}));
  EXPECT_EQ(ids(G.all_nodes()), (Ids{0, 1, 2, 3}));
  EXPECT_EQ(ids(G.out_edges(v[0])), (Ids{a->index(), c->index(), d->index()}));
  EXPECT_EQ(ids(G.in_edges(v[0])), Ids{c->index()});
  EXPECT_EQ(ids(G.adj_edges(v[0])), (Ids{0, 2, 3}));
  EXPECT_EQ(ids(G.adj_nodes(v[0])), (Ids{1, 0, 3}));
  G.hide_node(v[3]);
  G.hide_edge(a);
  EXPECT_EQ(ids(G.hidden_nodes()), Ids{3});
  EXPECT_EQ(ids(G.hidden_edges()), (Ids{3, 0}));

  G.restore_all_nodes();
  G.restore_all_edges();
  {
    RecordingErrorHandler handler;
    G.make_undirected();
  }
  EXPECT_EQ(graphDefect(G), "");
  G.new_edge(v[1], v[0]);
  G.new_edge(v[2], v[0]);
  // Undirected: list 0 holds every incident edge, out_edges walks it the same way.
  EXPECT_EQ(ids(G.adj_edges(v[0])), ids(G.out_edges(v[0])));
  EXPECT_EQ(G.adj_edges(v[0]).length(), v[0]->adj_length[0]);
  EXPECT_TRUE(G.in_edges(v[0]).empty());
  EXPECT_EQ(G.adj_nodes(v[0]).length(), 4);
}

TEST(GraphQueries, ChooseDrawsOnlyWhenThereIsSomethingToChoose) {
  graph G;
  graphlib::random_source before = graphlib::rand_int;
  EXPECT_EQ(G.choose_node(), nullptr);
  EXPECT_EQ(G.choose_edge(), nullptr);
  EXPECT_EQ(G.choose_face(), nullptr);
  EXPECT_EQ(graphlib::rand_int(0, 1000000), before(0, 1000000)) << "no number was drawn";

  std::vector<node> v = addNodes(G, 5);
  G.new_edge(v[0], v[1]);
  G.new_face(nullptr);
  std::set<node> seen;
  for (int i = 0; i < 200; i++) {
    node x = G.choose_node();
    ASSERT_NE(x, nullptr);
    ASSERT_EQ(x->owner, &G);
    seen.insert(x);
  }
  EXPECT_EQ(seen.size(), 5u);
  EXPECT_EQ(G.choose_edge(), static_cast<edge>(G.e_list.head));
  EXPECT_EQ(G.choose_face(), static_cast<face>(G.f_list.head));
}

TEST(GraphHiding, HideNodeAndRestoreEachEdge) {
  RecordingGraph G;
  std::vector<node> v = addNodes(G, 4);
  edge x = G.new_edge(v[1], v[2]);
  edge a = G.new_edge(v[0], v[1]);
  edge b = G.new_edge(v[0], v[2]);
  edge c = G.new_edge(v[3], v[0]);
  list<edge> L;
  L.append(x);
  G.hide_node(v[0], L);
  EXPECT_EQ(ids(L), (Ids{x->index(), a->index(), b->index(), c->index()})) << "appended, not replaced";
  EXPECT_EQ(graphDefect(G), "");
  EXPECT_TRUE(v[0]->hidden());
  EXPECT_EQ(G.number_of_nodes(), 3);
  G.restore_node(v[0]);
  EXPECT_EQ(static_cast<node>(G.v_list.head), v[0]) << "a restored node goes to the front";
  EXPECT_TRUE(a->hidden() && b->hidden() && c->hidden()) << "its edges stay hidden";
  EXPECT_EQ(graphDefect(G), "");
  for (edge e : {a, b, c}) {
    G.restore_edge(e);
    EXPECT_EQ(static_cast<edge>(G.e_list.head), e);
    EXPECT_EQ(e->source->first_adj_edge[0], e);
    EXPECT_EQ(e->target->first_adj_edge[1], e);
    EXPECT_EQ(graphDefect(G), "");
  }
  EXPECT_EQ(outIds(v[0]), (Ids{b->index(), a->index()}));

  G.hide_node(v[3]);
  G.hide_edge(x);
  G.hide_node(v[2]);
  RecordingErrorHandler handler;
  EXPECT_EQ(handler.raisedBy([&] { G.restore_edge(c); }), (GraphlibError{1, "graph::restore_edge: source(e) is hidden."}));
  EXPECT_EQ(handler.raisedBy([&] { G.restore_edge(x); }), (GraphlibError{1, "graph::restore_edge: target(e) is hidden."}));
  EXPECT_EQ(handler.raisedBy([&] { G.restore_edge(a); }), (GraphlibError{1, "graph::restore_edge: edge is not hidden."}));
  EXPECT_EQ(handler.raisedBy([&] { G.restore_node(v[0]); }),
            (GraphlibError{1, "graph::restore_node: node is not hidden."}));
  EXPECT_EQ(graphDefect(G), "");
}

TEST(GraphHiding, RestoreAllEdgesReversesTheHiddenOrderAtTheFront) {
  graph G;
  std::vector<node> v = addNodes(G, 2);
  std::vector<edge> e;
  for (int i = 0; i < 5; i++) e.push_back(G.new_edge(v[0], v[1]));
  G.hide_edge(e[1]);
  G.hide_edge(e[3]);
  G.hide_edge(e[2]);
  G.restore_all_edges();
  EXPECT_EQ(edgeIds(G.e_list), (Ids{2, 3, 1, 0, 4}));
  EXPECT_EQ(outIds(v[0]), (Ids{2, 3, 1, 0, 4}));
  EXPECT_EQ(inIds(v[1]), (Ids{2, 3, 1, 0, 4}));
  EXPECT_EQ(graphDefect(G), "");
}

TEST(GraphHiding, AdjacencyOnlyHiding) {
  for (bool undirected : {false, true}) {
    graph G;
    if (undirected) G.make_undirected();
    std::vector<node> v = addNodes(G, 3);
    edge a = G.new_edge(v[0], v[1]);
    edge b = G.new_edge(v[1], v[2]);
    G.hide_adj_edge(b);
    EXPECT_TRUE(b->hidden());
    EXPECT_EQ(G.number_of_edges(), 2) << "it stays in the edge list";
    EXPECT_EQ(adjIds(v[1], 0), undirected ? Ids{a->index()} : Ids{});
    EXPECT_EQ(graphDefect(G), "");
    G.hide_adj_edge(b);
    G.restore_adj_edge(a);
    EXPECT_EQ(graphDefect(G), "") << "repeats change nothing";
    G.restore_adj_edge(b);
    EXPECT_FALSE(b->hidden());
    EXPECT_EQ(v[1]->first_adj_edge[0], b);
    EXPECT_EQ(graphDefect(G), "");
  }
}

TEST(GraphMoves, RevEdgeAppendsAtTheNewEnds) {
  RecordingGraph G;
  std::vector<node> v = addNodes(G, 3);
  edge a = G.new_edge(v[0], v[1]);
  edge e = G.new_edge(v[0], v[1]);
  edge b = G.new_edge(v[0], v[2]);
  edge c = G.new_edge(v[1], v[2]);
  edge d = G.new_edge(v[2], v[0]);
  G.calls.clear();
  EXPECT_EQ(G.rev_edge(e), e);
  EXPECT_EQ(G.calls, (std::vector<std::string>{"pre_move_edge(1,1,0)", "post_move_edge(1,0,1)"}));
  EXPECT_EQ(e->source, v[1]);
  EXPECT_EQ(e->target, v[0]);
  EXPECT_EQ(outIds(v[1]), (Ids{c->index(), e->index()}));
  EXPECT_EQ(inIds(v[0]), (Ids{d->index(), e->index()}));
  EXPECT_EQ(outIds(v[0]), (Ids{a->index(), b->index()}));
  EXPECT_EQ(graphDefect(G), "");
  G.rev_edge(e);
  EXPECT_EQ(e->source, v[0]);
  EXPECT_EQ(outIds(v[0]), (Ids{a->index(), b->index(), e->index()})) << "back, but at the end";
  EXPECT_EQ(inIds(v[1]), (Ids{a->index(), e->index()}));
  EXPECT_EQ(graphDefect(G), "");

  G.hide_edge(e);
  RecordingErrorHandler handler;
  EXPECT_EQ(handler.raisedBy([&] { G.rev_edge(e); }), (GraphlibError{1, "graph::rev_edge: cannot reverse hidden edge."}));
  EXPECT_EQ(graphDefect(G), "");
}

TEST(GraphMoves, RevAllEdges) {
  graph G;
  std::vector<node> v = addNodes(G, 3);
  addEdges(G, v, {{0, 1}, {1, 2}, {0, 2}});
  G.rev_all_edges();
  EXPECT_EQ(graphDefect(G), "");
  for (edge e : testing_support::items(G.all_edges())) EXPECT_GT(e->source->index(), e->target->index());
  EXPECT_EQ(inIds(v[0]), (Ids{0, 2}));

  graph U;
  U.make_undirected();
  std::vector<node> u = addNodes(U, 2);
  edge f = U.new_edge(u[0], u[1]);
  U.rev_all_edges();
  EXPECT_EQ(f->source, u[0]) << "an undirected graph is left alone";
}

TEST(GraphMoves, MoveEdgeForms) {
  // Nodes 0..3; edges 0: 0->1, 1: 0->2 (moved), 2: 0->3, 3: 2->1, 4: 3->1, 5: 1->3.
  struct Case {
    const char* what;
    std::function<void(graph&, std::vector<node>&, std::vector<edge>&)> move;
    int source, target;
    Ids source_out, target_in;
  };
  const Case cases[] = {
      {"(e, e, e2, 0, 0): own place at the source, after e2",
       [](graph& G, std::vector<node>&, std::vector<edge>& e) { G.move_edge(e[1], e[1], e[3], 0, 0); }, 0, 1,
       {0, 1, 2}, {0, 3, 1, 4}},
      {"(e, e1, e2, 1, 1)", [](graph& G, std::vector<node>&, std::vector<edge>& e) { G.move_edge(e[1], e[5], e[4], 1, 1); },
       1, 1, {1, 5}, {0, 3, 1, 4}},
      {"(e, e1, w, 0)", [](graph& G, std::vector<node>& v, std::vector<edge>& e) { G.move_edge(e[1], e[5], v[3], 0); },
       1, 3, {5, 1}, {2, 5, 1}},
      {"(e, v, e2, 1)", [](graph& G, std::vector<node>& v, std::vector<edge>& e) { G.move_edge(e[1], v[2], e[0], 1); },
       2, 1, {3, 1}, {1, 0, 3, 4}},
      {"(e, v, w) new source only",
       [](graph& G, std::vector<node>& v, std::vector<edge>& e) { G.move_edge(e[1], v[3], v[2]); }, 3, 2, {4, 1},
       {1}},
      {"(e, e, e, 0, 0) stays put", [](graph& G, std::vector<node>&, std::vector<edge>& e) {
         G.move_edge(e[1], e[1], e[1], 0, 0);
       },
       0, 2, {0, 1, 2}, {1}},
  };
  for (const Case& c : cases) {
    graph G;
    std::vector<node> v = addNodes(G, 4);
    std::vector<edge> e = {G.new_edge(v[0], v[1]), G.new_edge(v[0], v[2]), G.new_edge(v[0], v[3]),
                           G.new_edge(v[2], v[1]), G.new_edge(v[3], v[1]), G.new_edge(v[1], v[3])};
    c.move(G, v, e);
    EXPECT_EQ(graphDefect(G), "") << c.what;
    EXPECT_EQ(e[1]->source, v[c.source]) << c.what;
    EXPECT_EQ(e[1]->target, v[c.target]) << c.what;
    EXPECT_EQ(outIds(v[c.source]), c.source_out) << c.what;
    EXPECT_EQ(inIds(v[c.target]), c.target_in) << c.what;
  }
}

TEST(GraphMoves, RefusedMovesChangeNothing) {
  graph G;
  std::vector<node> v = addNodes(G, 3);
  auto [a, b, h] = addEdges(G, v, {{0, 1}, {1, 2}, {2, 0}});
  G.hide_edge(h);
  RecordingErrorHandler handler(RecordingErrorHandler::Mode::Return);
  G.move_edge(h, v[0], v[1]);
  G.move_edge(h, a, b, 0, 0);
  G.move_edge(a, v[0], a, 0);  // a's target is v[1], but a is moved to it
  G.move_edge(b, b, a, 0, 0);  // fine: new source v[1], after b's own place; target v[1]
  EXPECT_EQ(handler.errors(), (std::vector<GraphlibError>{{1, "graph::move_edge:  cannot move hidden edge."},
                                                          {1, "graph::move_edge:  cannot move hidden edge."}}));
  EXPECT_EQ(graphDefect(G), "");

  graph U;
  U.make_undirected();
  std::vector<node> u = addNodes(U, 3);
  edge x = U.new_edge(u[0], u[1]);
  edge y = U.new_edge(u[1], u[2]);
  handler.clear();
  U.move_edge(x, u[2], u[2]);
  U.move_edge(x, y, y, 0, 0);  // source(y) = u[1], target(y) = u[2]: fine
  U.move_edge(x, x, u[0], 0);  // from u[1] (its source now) to u[0]: fine
  U.move_edge(y, y, u[1], 0);
  EXPECT_EQ(handler.errors(), (std::vector<GraphlibError>{{1, "new_edge(v,e1,w,e2): selfloop in undirected graph."},
                                                          {1, "new_edge(v,e1,w,e2): selfloop in undirected graph."}}));
  EXPECT_EQ(graphDefect(U), "");
}

TEST(GraphMoves, UndirectedMoveToTheOtherEnd) {
  graph U;
  U.make_undirected();
  std::vector<node> u = addNodes(U, 3);
  auto [a, e, b] = addEdges(U, u, {{0, 1}, {0, 1}, {1, 2}});
  U.move_edge(e, u[1], u[0]);  // the new source is the old target
  EXPECT_EQ(graphDefect(U), "");
  EXPECT_EQ(e->source, u[1]);
  EXPECT_EQ(e->target, u[0]);
  EXPECT_EQ(adjIds(u[0], 0), (Ids{a->index(), e->index()}));
  EXPECT_EQ(adjIds(u[1], 0), (Ids{a->index(), b->index(), e->index()}));
}

TEST(GraphMoves, InsertReverseEdges) {
  graph G;
  std::vector<node> v = addNodes(G, 3);
  addEdges(G, v, {{0, 1}, {1, 2}, {2, 2}});
  list<edge> R = G.insert_reverse_edges();
  EXPECT_EQ(ids(R), (Ids{3, 4, 5}));
  EXPECT_EQ(G.number_of_edges(), 6);
  for (edge r : testing_support::items(R)) EXPECT_EQ(r->rev, nullptr);
  EXPECT_EQ(R.head()->source, v[1]);
  EXPECT_EQ(R.head()->target, v[0]);
  EXPECT_EQ(graphDefect(G), "");
  graph E;
  EXPECT_TRUE(E.insert_reverse_edges().empty());
}

TEST(GraphOrder, SetPositionsAndBulkDeletion) {
  graph G;
  std::vector<node> v = addNodes(G, 4);
  G.set_node_position(v[2], nullptr);
  EXPECT_EQ(nodeIds(G.v_list), (Ids{2, 0, 1, 3}));
  G.set_node_position(v[0], v[2]);
  EXPECT_EQ(nodeIds(G.v_list), (Ids{2, 0, 1, 3})) << "already there";
  G.set_node_position(v[2], v[3]);
  EXPECT_EQ(nodeIds(G.v_list), (Ids{0, 1, 3, 2}));
  G.set_node_position(v[1], v[1]);
  EXPECT_EQ(nodeIds(G.v_list), (Ids{0, 1, 3, 2}));
  std::vector<edge> e;
  for (int i = 0; i < 4; i++) e.push_back(G.new_edge(v[i], v[(i + 1) % 4]));
  G.set_edge_position(e[3], e[0]);
  EXPECT_EQ(edgeIds(G.e_list), (Ids{0, 3, 1, 2}));
  G.set_edge_position(e[2], nullptr);
  EXPECT_EQ(edgeIds(G.e_list), (Ids{2, 0, 3, 1}));
  EXPECT_EQ(graphDefect(G), "");

  list<edge> L;
  L.append(e[1]);
  L.append(e[3]);
  G.del_edges(L);
  EXPECT_EQ(edgeIds(G.e_list), (Ids{2, 0}));
  list<node> N;
  N.append(v[0]);
  N.append(v[3]);
  G.del_nodes(N);
  EXPECT_EQ(nodeIds(G.v_list), (Ids{1, 2}));
  EXPECT_EQ(G.number_of_edges(), 0);
  EXPECT_EQ(graphDefect(G), "");
}

TEST(GraphDirection, UndirectedAndBack) {
  graph G;
  std::vector<node> v = addNodes(G, 3);
  edge a = G.new_edge(v[0], v[1]);
  G.new_edge(v[1], v[1]);
  edge b = G.new_edge(v[2], v[0]);
  G.new_edge(v[0], v[0]);
  edge c = G.new_edge(v[1], v[0]);
  edge d = G.new_edge(v[0], v[2]);
  {
    RecordingErrorHandler handler;
    G.make_undirected();
    EXPECT_EQ(handler.errors(),
              (std::vector<GraphlibError>{{0, " 2 selfloops deleted in ugraph constructor"}}));
  }
  EXPECT_TRUE(G.undirected);
  EXPECT_EQ(graphDefect(G), "");
  EXPECT_EQ(adjIds(v[0], 0), (Ids{a->index(), d->index(), b->index(), c->index()})) << "out-edges, then in-edges";
  EXPECT_EQ(G.number_of_edges(), 4);
  G.make_undirected();
  EXPECT_EQ(graphDefect(G), "");

  G.make_directed();
  EXPECT_FALSE(G.undirected);
  EXPECT_EQ(graphDefect(G), "");
  EXPECT_EQ(outIds(v[0]), (Ids{a->index(), d->index()}));
  EXPECT_EQ(inIds(v[0]), (Ids{c->index(), b->index()})) << "in-edges in reverse";
  EXPECT_EQ(a->source, v[0]);
  EXPECT_EQ(b->source, v[2]);
  G.make_directed();
  EXPECT_EQ(graphDefect(G), "");
}

TEST(GraphDirection, HiddenSelfLoopOfAGraphMadeUndirected) {
  graph G;
  std::vector<node> v = addNodes(G, 2);
  G.new_edge(v[0], v[1]);
  edge loop = G.new_edge(v[1], v[1]);
  G.hide_edge(loop);
  G.make_undirected();
  RecordingErrorHandler handler;
  EXPECT_EQ(handler.raisedBy([&] { G.restore_edge(loop); }),
            (GraphlibError{1, "new_edge(v,e1,w,e2): selfloop in undirected graph."}));
  EXPECT_EQ(graphDefect(G), "");
  G.del_edge(loop);
  EXPECT_EQ(graphDefect(G), "");
  EXPECT_EQ(G.e_free.count, 1);
  edge again = G.new_edge(v[1], v[0]);
  G.hide_edge(again);
  G.clear();
  EXPECT_EQ(graphDefect(G), "");
}

TEST(GraphFaces, FacesAsObjects) {
  struct Copying : graph {
    mutable int copies = 0;
    void copy_face_entry(void*& x) const override {
      copies++;
      x = reinterpret_cast<void*>(reinterpret_cast<long>(x) + 100);
    }
  } G;
  face f0 = G.new_face(reinterpret_cast<void*>(1));
  face f1 = G.add_face(reinterpret_cast<void*>(2));
  EXPECT_EQ(G.copies, 1);
  EXPECT_EQ(f0->data[0], reinterpret_cast<void*>(101)) << "new_face stores the graph's own copy";
  EXPECT_EQ(f1->data[0], reinterpret_cast<void*>(2));
  EXPECT_EQ(f0->owner, &G);
  EXPECT_EQ(f0->head_edge, nullptr);
  EXPECT_EQ(f0->size, 0);
  f0->size = 4;
  G.del_face(f0);
  EXPECT_EQ(G.all_faces().length(), 1);
  face f2 = G.add_face(reinterpret_cast<void*>(3));
  EXPECT_EQ(f2, f0);
  EXPECT_EQ(f2->index(), 0);
  EXPECT_EQ(f2->size, 4) << "a reused record keeps its fields";
  EXPECT_EQ(testing_support::faceIds(G.f_list), (Ids{1, 0}));

  graph H;
  std::vector<node> v = addNodes(H, 2);
  edge e = H.new_edge(v[0], v[1]);
  edge r = H.new_edge(v[1], v[0]);
  H.set_reversal(e, r);
  face h = H.new_face(nullptr);
  h->head_edge = r;
  H.new_face(nullptr);
  graph C(H);
  ASSERT_EQ(C.number_of_faces(), 2);
  face ch = static_cast<face>(C.f_list.head);
  EXPECT_EQ(ch->head_edge, static_cast<edge>(C.e_list.tail));
  EXPECT_EQ(static_cast<face>(C.f_list.tail)->head_edge, nullptr);
  EXPECT_EQ(graphDefect(C), "");
  graphlib::init_node_data(H, 0, reinterpret_cast<void*>(9));
  EXPECT_EQ(v[1]->data[0], reinterpret_cast<void*>(9));
}

// Random operations against a mirror of the visible edges (by handle) and the
// visible nodes; the checker runs after every step.
void randomModelRun(bool undirected, unsigned seed) {
  std::mt19937 rng(seed);
  graph G;
  if (undirected) G.make_undirected();
  std::set<node> nodes;
  std::set<node> hidden_nodes;
  std::map<edge, std::pair<node, node>> edges;
  std::map<edge, std::pair<node, node>> hidden;
  auto pick = [&](auto& container) {
    auto it = container.begin();
    std::advance(it, static_cast<long>(rng() % container.size()));
    return *it;
  };
  for (int i = 0; i < 4; i++) nodes.insert(G.new_node());
  for (int step = 0; step < 1500; step++) {
    int op = static_cast<int>(rng() % (undirected ? 12 : 13));
    std::string what;
    if (op == 0 || nodes.size() < 2) {
      what = "new_node";
      nodes.insert(G.new_node());
    } else if (op <= 2) {
      what = "new_edge";
      node v = pick(nodes), w = pick(nodes);
      if (undirected && v == w) continue;
      edge e = G.new_edge(v, w);
      edges[e] = {v, w};
    } else if (op == 3) {
      what = "del_node";
      node v = pick(nodes);
      G.del_node(v);
      nodes.erase(v);
      for (auto* m : {&edges, &hidden})
        for (auto it = m->begin(); it != m->end();)
          it = (it->second.first == v || it->second.second == v) ? m->erase(it) : std::next(it);
    } else if (op == 4 && !edges.empty()) {
      what = "del_edge";
      auto e = pick(edges);
      G.del_edge(e.first);
      edges.erase(e.first);
    } else if (op == 5 && !edges.empty()) {
      what = "hide_edge";
      auto e = pick(edges);
      G.hide_edge(e.first);
      edges.erase(e.first);
      hidden.insert(e);
    } else if (op == 6 && !hidden.empty()) {
      what = "restore_edge";
      auto e = pick(hidden);
      if (hidden_nodes.count(e.second.first) || hidden_nodes.count(e.second.second)) continue;
      G.restore_edge(e.first);
      hidden.erase(e.first);
      edges.insert(e);
    } else if (op == 7 && nodes.size() > 2) {
      what = "hide_node";
      node v = pick(nodes);
      list<edge> L;
      G.hide_node(v, L);
      nodes.erase(v);
      hidden_nodes.insert(v);
      for (edge e : testing_support::items(L)) {
        hidden[e] = edges[e];
        edges.erase(e);
      }
    } else if (op == 8 && !hidden_nodes.empty()) {
      what = "restore_node";
      node v = pick(hidden_nodes);
      G.restore_node(v);
      hidden_nodes.erase(v);
      nodes.insert(v);
    } else if (op == 9 && !edges.empty()) {
      what = "rev_edge";
      auto e = pick(edges);
      G.rev_edge(e.first);
      edges[e.first] = {e.second.second, e.second.first};
    } else if (op == 10 && !edges.empty()) {
      what = "move_edge";
      auto e = pick(edges);
      node v = pick(nodes), w = pick(nodes);
      if (undirected && v == w) continue;
      G.move_edge(e.first, v, w);
      edges[e.first] = {v, w};
    } else if (op == 11 && !edges.empty()) {
      what = "split_edge";
      auto e = pick(edges);
      edge e1, e2;
      node u = G.split_edge(e.first, nullptr, e1, e2);
      nodes.insert(u);
      edges[e1] = {e.second.first, u};
      edges[e2] = {u, e.second.second};
    } else if (op == 12 && nodes.size() > 2) {
      what = "merge_nodes";
      node u = pick(nodes), v = pick(nodes);
      if (u == v || hidden_nodes.count(u) || hidden_nodes.count(v)) continue;
      G.merge_nodes(u, v);
      nodes.erase(v);
      for (auto* m : {&edges, &hidden}) {
        for (auto& e : *m) {
          if (e.second.first == v) e.second.first = u;
          if (e.second.second == v) e.second.second = u;
        }
      }
    } else {
      continue;
    }
    ASSERT_EQ(graphDefect(G), "") << "step " << step << ": " << what;
    ASSERT_EQ(G.number_of_nodes(), static_cast<int>(nodes.size())) << what;
    ASSERT_EQ(G.number_of_edges(), static_cast<int>(edges.size())) << what;
    ASSERT_EQ(G.e_hidden.count, static_cast<int>(hidden.size())) << what;
    for (const auto& e : edges) {
      ASSERT_EQ(e.first->source, e.second.first) << what;
      ASSERT_EQ(e.first->target, e.second.second) << what;
    }
    if (step % 50 == 0) {
      std::map<node, int> degree;
      for (const auto& e : edges) {
        degree[e.second.first]++;
        degree[e.second.second]++;
      }
      for (node v : nodes) {
        int d = undirected ? v->adj_length[0] : v->adj_length[0] + v->adj_length[1];
        ASSERT_EQ(d, degree[v]) << "step " << step;
      }
      graph C(G);
      ASSERT_EQ(graphDefect(C), "");
      ASSERT_EQ(C.number_of_edges(), G.number_of_edges());
    }
  }
  G.clear();
  EXPECT_EQ(graphDefect(G), "");
}

TEST(GraphModel, RandomOperationsDirected) { randomModelRun(false, 17); }
TEST(GraphModel, RandomOperationsUndirected) { randomModelRun(true, 23); }

}  // namespace
