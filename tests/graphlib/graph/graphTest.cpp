#include "graphlib/graph/graph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "AllocatorUsage.h"
#include "GraphInvariants.h"
#include "GraphTestSupport.h"
#include "RecordingErrorHandler.h"
#include "graphlib/base/options.h"
#include "graphlib/graph/node_array.h"

namespace {

using graphlib::edge;
using graphlib::graph;
using graphlib::node;
using testing_support::addEdges;
using testing_support::addNodes;
using testing_support::adjIds;
using testing_support::edgeIds;
using testing_support::Ids;
using testing_support::inIds;
using testing_support::nodeIds;
using testing_support::outIds;
using testing_support::RecordingGraph;
using testing_support::AllocatorBaseline;
using testing_support::graphDefect;
using testing_support::GraphlibError;
using testing_support::RecordingErrorHandler;

TEST(GraphInvariants, AcceptSoundGraphsAndRejectBrokenOnes) {
  graph G;
  EXPECT_EQ(graphDefect(G), "");
  std::vector<node> v = addNodes(G, 3);
  edge a = G.new_edge(v[0], v[1]);
  edge b = G.new_edge(v[1], v[2]);
  edge loop = G.new_edge(v[2], v[2]);
  ASSERT_EQ(graphDefect(G), "");

  struct Breakage {
    const char* what;
    std::function<void()> apply;
    std::function<void()> undo;
  };
  int saved_int = 0;
  edge saved_edge = nullptr;
  std::vector<Breakage> cases = {
      {"wrong length", [&] { v[1]->adj_length[0]++; }, [&] { v[1]->adj_length[0]--; }},
      {"broken back link", [&] { saved_edge = b->pred_adj_edge[1]; b->pred_adj_edge[1] = a; },
       [&] { b->pred_adj_edge[1] = saved_edge; }},
      {"wrong last", [&] { v[2]->last_adj_edge[1] = b; }, [&] { v[2]->last_adj_edge[1] = loop; }},
      {"visible edge flagged hidden", [&] { a->id |= graphlib::hidden_bit; },
       [&] { a->id &= graphlib::index_mask; }},
      {"index owned twice", [&] { saved_int = v[2]->id; v[2]->id = v[1]->id; }, [&] { v[2]->id = saved_int; }},
      {"one-sided reversal", [&] { a->rev = b; }, [&] { a->rev = nullptr; }},
      {"count of v_list", [&] { G.v_list.count++; }, [&] { G.v_list.count--; }},
      {"edge missing from its target's list",
       [&] { v[1]->del_adj_edge(a, 1, 1); }, [&] { v[1]->push_adj_edge(a, 1, 1); }},
      {"largest index too small", [&] { G.max_edge_index--; }, [&] { G.max_edge_index++; }},
  };
  for (const Breakage& c : cases) {
    c.apply();
    EXPECT_NE(graphDefect(G), "") << c.what;
    c.undo();
    ASSERT_EQ(graphDefect(G), "") << "after undoing " << c.what;
  }

  {
    RecordingErrorHandler handler;
    G.make_undirected();
    EXPECT_EQ(handler.last(), (GraphlibError{0, " 1 selfloops deleted in ugraph constructor"}));
  }
  ASSERT_EQ(graphDefect(G), "");
  G.undirected = false;
  EXPECT_NE(graphDefect(G), "") << "undirected lists read as directed";
  G.undirected = true;
}

TEST(Graph, NewGraphIsEmpty) {
  graph G;
  EXPECT_EQ(G.number_of_nodes(), 0);
  EXPECT_EQ(G.number_of_edges(), 0);
  EXPECT_EQ(G.number_of_faces(), 0);
  EXPECT_EQ(G.max_node_index, -1);
  EXPECT_EQ(G.max_edge_index, -1);
  EXPECT_EQ(G.max_face_index, -1);
  EXPECT_TRUE(G.events_enabled);
  EXPECT_FALSE(G.undirected);
  EXPECT_EQ(G.parent, nullptr);
  EXPECT_EQ(G.edge_to_face, nullptr);
  for (int k = 0; k < 3; k++) EXPECT_TRUE(G.reg.maps[k].empty());
  EXPECT_EQ(G.data_slots[0], graphlib::node_data_slots);
  EXPECT_EQ(G.data_slots[1], graphlib::edge_data_slots);
  EXPECT_EQ(G.data_slots[2], 0);
  EXPECT_EQ(G.reg.free_slots[0].length(), graphlib::node_data_slots);
  EXPECT_STREQ(G.node_type(), "void");
  EXPECT_STREQ(G.edge_type(), "void");
  EXPECT_STREQ(G.face_type(), "void");
  EXPECT_EQ(G.get_position(nullptr).dim(), 0);

  graph H(2, 3);
  EXPECT_EQ(H.data_slots[0], 2);
  EXPECT_EQ(H.data_slots[1], 3);
  EXPECT_EQ(testing_support::items(H.reg.free_slots[1]), (std::vector<int>{1, 2, 3}));
  graph N(-4, -1);
  EXPECT_EQ(N.data_slots[0], 0);
  EXPECT_EQ(N.data_slots[1], 0);
}

TEST(Graph, IndicesAreReusedLastDeletedFirst) {
  graph G;
  std::vector<node> v = addNodes(G, 3);
  EXPECT_EQ(nodeIds(G.v_list), (Ids{0, 1, 2}));
  G.del_node(v[1]);
  EXPECT_EQ(graphDefect(G), "");
  node n = G.new_node();
  EXPECT_EQ(n, v[1]) << "the record itself comes back";
  EXPECT_EQ(nodeIds(G.v_list), (Ids{0, 2, 1}));
  EXPECT_EQ(G.max_node_index, 2);

  std::vector<edge> e;
  for (int i = 0; i < 6; i++) e.push_back(G.new_edge(v[0], v[2]));
  G.del_edge(e[3]);
  G.del_edge(e[5]);
  EXPECT_EQ(graphDefect(G), "");
  EXPECT_EQ(G.new_edge(v[2], v[0])->index(), 5);
  EXPECT_EQ(G.new_edge(v[2], v[0])->index(), 3);
  EXPECT_EQ(G.new_edge(v[2], v[0])->index(), 6);
  EXPECT_EQ(edgeIds(G.e_list), (Ids{0, 1, 2, 4, 5, 3, 6}));
  EXPECT_EQ(graphDefect(G), "");
}

TEST(Graph, NewNodePlacement) {
  struct Case {
    const char* what;
    int ref;  // index of u, -1 for nil
    int dir;
    Ids order;
  };
  const Case cases[] = {
      {"after u", 1, 0, {0, 1, 3, 2}},  {"before u", 1, 1, {0, 3, 1, 2}}, {"after last", 2, 0, {0, 1, 2, 3}},
      {"before first", 0, 1, {3, 0, 1, 2}}, {"nil, dir 0", -1, 0, {0, 1, 2, 3}}, {"nil, dir 1", -1, 1, {0, 1, 2, 3}},
  };
  for (const Case& c : cases) {
    graph G;
    std::vector<node> v = addNodes(G, 3);
    G.new_node(nullptr, c.ref < 0 ? nullptr : v[c.ref], c.dir);
    EXPECT_EQ(nodeIds(G.v_list), c.order) << c.what;
    EXPECT_EQ(graphDefect(G), "") << c.what;
  }
}

// Nodes 0, 1, 2 with edges 0: 0->1, 1: 0->2, 2: 2->1 (undirected: the same pairs).
struct Triangle {
  explicit Triangle(bool undirected) {
    if (undirected) G.make_undirected();
    v = addNodes(G, 3);
    e.push_back(G.new_edge(v[0], v[1]));
    e.push_back(G.new_edge(v[0], v[2]));
    e.push_back(G.new_edge(v[2], v[1]));
  }
  graph G;
  std::vector<node> v;
  std::vector<edge> e;
};

TEST(Graph, NewEdgeFormsPlaceTheEdge) {
  struct Case {
    const char* what;
    std::function<edge(Triangle&)> make;
    Ids out0;  // list 0 of node 0
    Ids in1;   // list 1 of node 1 (directed) / list 0 of node 1 (undirected)
  };
  const Case directed[] = {
      {"(v, w)", [](Triangle& t) { return t.G.new_edge(t.v[0], t.v[1], nullptr); }, {0, 1, 3}, {0, 2, 3}},
      {"(v, e1, w) after", [](Triangle& t) { return t.G.new_edge(t.v[0], t.e[0], t.v[1], nullptr, 0); },
       {0, 3, 1}, {0, 2, 3}},
      {"(v, e1, w) before", [](Triangle& t) { return t.G.new_edge(t.v[0], t.e[0], t.v[1], nullptr, 1); },
       {3, 0, 1}, {0, 2, 3}},
      {"(v, w, e2) before", [](Triangle& t) { return t.G.new_edge(t.v[0], t.v[1], t.e[2], nullptr, 1); },
       {0, 1, 3}, {0, 3, 2}},
      {"(v, w, e2) after", [](Triangle& t) { return t.G.new_edge(t.v[0], t.v[1], t.e[0], nullptr, 0); },
       {0, 1, 3}, {0, 3, 2}},
      {"(e1, w)", [](Triangle& t) { return t.G.new_edge(t.e[1], t.v[1], nullptr, 1); }, {0, 3, 1}, {0, 2, 3}},
      {"(v, e2)", [](Triangle& t) { return t.G.new_edge(t.v[0], t.e[0], nullptr, 1); }, {0, 1, 3}, {3, 0, 2}},
      {"(e1, e2)", [](Triangle& t) { return t.G.new_edge(t.e[0], t.e[2], nullptr, 0, 1); }, {0, 3, 1}, {0, 3, 2}},
  };
  for (const Case& c : directed) {
    Triangle t(false);
    edge x = c.make(t);
    ASSERT_NE(x, nullptr) << c.what;
    EXPECT_EQ(x->source, t.v[0]) << c.what;
    EXPECT_EQ(x->target, t.v[1]) << c.what;
    EXPECT_EQ(outIds(t.v[0]), c.out0) << c.what;
    EXPECT_EQ(inIds(t.v[1]), c.in1) << c.what;
    EXPECT_EQ(edgeIds(t.G.e_list), (Ids{0, 1, 2, 3})) << c.what;
    EXPECT_EQ(graphDefect(t.G), "") << c.what;
  }

  // Undirected: both ends use list 0, and a reference edge may meet the node at either end.
  const Case undirected[] = {
      {"(v, w)", [](Triangle& t) { return t.G.new_edge(t.v[0], t.v[1], nullptr); }, {0, 1, 3}, {0, 2, 3}},
      {"(v, e1, w) before", [](Triangle& t) { return t.G.new_edge(t.v[0], t.e[1], t.v[1], nullptr, 1); },
       {0, 3, 1}, {0, 2, 3}},
      {"(v, w, e2) with w the target of e2",
       [](Triangle& t) { return t.G.new_edge(t.v[0], t.v[1], t.e[2], nullptr, 1); }, {0, 1, 3}, {0, 3, 2}},
      {"(v, e1, w) with v the target of e1",
       [](Triangle& t) { return t.G.new_edge(t.v[1], t.e[0], t.v[0], nullptr, 1); }, {0, 1, 3}, {3, 0, 2}},
      {"(v, w, e2) with w the source of e2",
       [](Triangle& t) { return t.G.new_edge(t.v[1], t.v[0], t.e[0], nullptr, 0); }, {0, 3, 1}, {0, 2, 3}},
  };
  for (const Case& c : undirected) {
    Triangle t(true);
    c.make(t);
    EXPECT_EQ(adjIds(t.v[0], 0), c.out0) << c.what;
    EXPECT_EQ(adjIds(t.v[1], 0), c.in1) << c.what;
    EXPECT_EQ(graphDefect(t.G), "") << c.what;
  }
}

TEST(Graph, ErrorsOfForeignObjectsAndBadPositions) {
  struct Case {
    const char* what;
    bool undirected;
    std::function<void(Triangle&, graph&, node)> op;
    GraphlibError error;
  };
  const Case cases[] = {
      {"foreign source", false, [](Triangle& t, graph&, node x) { t.G.new_edge(x, t.v[0]); },
       {6, "new_edge(v,w): v not in graph"}},
      {"foreign target", false, [](Triangle& t, graph&, node x) { t.G.new_edge(t.v[0], x); },
       {6, "new_edge(v,w): w not in graph"}},
      {"foreign node deleted", false, [](Triangle& t, graph&, node x) { t.G.del_node(x); },
       {4, "del_node(v): v is not in G"}},
      {"foreign edge deleted", false,
       [](Triangle& t, graph& H, node x) { t.G.del_edge(H.new_edge(x, x)); }, {10, "del_edge(e): e is not in G"}},
      {"undirected self-loop", true, [](Triangle& t, graph&, node) { t.G.new_edge(t.v[2], t.v[2]); },
       {1, "new_edge(v,e1,w,e2): selfloop in undirected graph."}},
      {"v not adjacent to e1", true,
       [](Triangle& t, graph&, node) { t.G.new_edge(t.v[1], t.e[1], t.v[0], nullptr, 0); },
       {1, "new_edge(v,e1,w,e2): v is not adjacent to e1."}},
      {"w not adjacent to e2", true,
       [](Triangle& t, graph&, node) { t.G.new_edge(t.v[0], t.v[1], t.e[1], nullptr, 0); },
       {1, "new_edge(v,e1,w,e2): w is not adjacent to e2."}},
      {"v not source of e1", false,
       [](Triangle& t, graph&, node) { t.G.new_edge(t.v[1], t.e[0], t.v[2], nullptr, 0); },
       {1, "new_edge(v,e1,w,e2): v is not source of e1."}},
      {"w not target of e2", false,
       [](Triangle& t, graph&, node) { t.G.new_edge(t.v[0], t.v[2], t.e[0], nullptr, 0); },
       {1, "new_edge(v,e1,w,e2): w is not target of e2."}},
      {"merge in undirected graph", true, [](Triangle& t, graph&, node) { t.G.merge_nodes(t.v[0], t.v[1]); },
       {1, "merge_nodes not implemented for undirected graphs."}},
      {"merge by edge in undirected graph", true,
       [](Triangle& t, graph&, node) { t.G.merge_nodes(t.e[0], t.v[2]); },
       {1, "merge_nodes not implemented for undirected graphs."}},
      {"reversal of a parallel edge", false, [](Triangle& t, graph&, node) { t.G.set_reversal(t.e[0], t.e[0]); },
       {1, "graph::set_reversal: edges are not reversals of each other"}},
      {"reversal nil", false, [](Triangle& t, graph&, node) { t.G.set_reversal(t.e[0], nullptr); },
       {1, "graph::set_reversal: edges are not reversals of each other"}},
      {"reversal with wrong ends", false, [](Triangle& t, graph&, node) { t.G.set_reversal(t.e[0], t.e[1]); },
       {1, "graph::set_reversal: edges are not reversals of each other"}},
  };
  for (RecordingErrorHandler::Mode mode : RecordingErrorHandler::modes) {
    for (const Case& c : cases) {
      Triangle t(c.undirected);
      graph H;
      node x = H.new_node();
      RecordingErrorHandler handler(mode);
      GraphlibError raised = handler.raisedBy([&] { c.op(t, H, x); });
      ASSERT_EQ(handler.size(), 1u) << c.what;
      EXPECT_EQ(handler.last(), c.error) << c.what;
      if (mode == RecordingErrorHandler::Mode::Throw) {
        EXPECT_EQ(raised, c.error) << c.what;
      }
      // A refused operation changes nothing, also when the handler returns.
      EXPECT_EQ(t.G.number_of_nodes(), 3) << c.what;
      EXPECT_EQ(t.G.number_of_edges(), 3) << c.what;
      EXPECT_EQ(graphDefect(t.G), "") << c.what;
      EXPECT_EQ(graphDefect(H), "") << c.what;
    }
  }
}

TEST(Graph, DelNodeRemovesSelfLoopsAndAllEdges) {
  for (bool undirected : {false, true}) {
    graph G;
    std::vector<node> v = addNodes(G, 3);
    std::vector<edge> e;
    e.push_back(G.new_edge(v[0], v[1]));
    if (!undirected) e.push_back(G.new_edge(v[1], v[1]));
    e.push_back(G.new_edge(v[2], v[1]));
    e.push_back(G.new_edge(v[1], v[0]));
    edge keep = G.new_edge(v[0], v[2]);
    if (undirected) G.make_undirected();
    ASSERT_EQ(graphDefect(G), "");
    G.del_node(v[1]);
    EXPECT_EQ(graphDefect(G), "");
    EXPECT_EQ(G.number_of_edges(), 1);
    EXPECT_EQ(outIds(v[0]), Ids{keep->index()});
    EXPECT_EQ(adjIds(v[2], undirected ? 0 : 1), Ids{keep->index()});
    // List 0 went first, then list 1; the last deleted is reused first.
    EXPECT_EQ(edgeIds(G.e_free), undirected ? (Ids{1, 0, 2}) : (Ids{2, 0, 3, 1}));
    EXPECT_EQ(G.new_edge(v[0], v[2])->index(), undirected ? 1 : 2);
  }
}

TEST(Graph, DelEdgeLeavesTheReversalWithoutPartner) {
  graph G;
  std::vector<node> v = addNodes(G, 2);
  auto [a, r, x] = addEdges(G, v, {{0, 1}, {1, 0}, {1, 0}});
  G.set_reversal(a, r);
  EXPECT_EQ(a->rev, r);
  EXPECT_EQ(r->rev, a);
  G.set_reversal(a, x);
  EXPECT_EQ(r->rev, nullptr) << "the old partner is released";
  EXPECT_EQ(x->rev, a);
  EXPECT_EQ(graphDefect(G), "");
  G.del_edge(a);
  EXPECT_EQ(x->rev, nullptr);
  EXPECT_EQ(graphDefect(G), "");
  EXPECT_EQ(G.new_edge(v[0], v[1])->rev, nullptr) << "a reused record has no reversal";
}

// A graph with deletions, re-creations, a hidden edge, a hidden node and a reversal pair.
struct Messy {
  explicit Messy(bool undirected) {
    v = addNodes(G, 6);
    G.del_node(v[1]);
    G.del_node(v[4]);
    v[1] = G.new_node();  // index 4, at the end
    v[4] = nullptr;
    edge a = G.new_edge(v[0], v[2]);
    edge b = G.new_edge(v[2], v[0]);
    G.new_edge(v[3], v[5]);
    edge c = G.new_edge(v[5], v[1]);
    G.new_edge(v[1], v[0]);
    G.new_edge(v[2], v[1]);
    G.new_edge(v[2], v[3]);
    if (!undirected) G.new_edge(v[3], v[3]);
    G.set_reversal(a, b);
    G.del_edge(c);
    G.new_edge(v[0], v[3]);  // takes c's index
    if (undirected) G.make_undirected();
    hidden_edge = G.new_edge(v[5], v[0]);
    G.hide_edge(hidden_edge);
    G.hide_node(v[3]);
  }
  graph G;
  std::vector<node> v;
  edge hidden_edge = nullptr;
};

// The copy's objects in G's orders, numbered 0, 1, ...; lists equal through that numbering.
void expectCopyOf(const graph& G, const graph& C, const char* what) {
  EXPECT_EQ(graphDefect(C), "") << what;
  EXPECT_EQ(C.undirected, G.undirected) << what;
  ASSERT_EQ(C.number_of_nodes(), G.number_of_nodes()) << what;
  ASSERT_EQ(C.number_of_edges(), G.number_of_edges()) << what;
  EXPECT_TRUE(C.v_hidden.empty() && C.e_hidden.empty() && C.v_free.empty() && C.e_free.empty()) << what;
  std::vector<int> node_rank(static_cast<size_t>(G.max_node_index + 1), -1);
  std::vector<int> edge_rank(static_cast<size_t>(G.max_edge_index + 1), -1);
  int k = 0;
  for (int i : nodeIds(G.v_list)) node_rank[static_cast<size_t>(i)] = k++;
  k = 0;
  for (int i : edgeIds(G.e_list)) edge_rank[static_cast<size_t>(i)] = k++;
  auto mapped = [&](const Ids& ids) {
    Ids out;
    for (int i : ids) out.push_back(edge_rank[static_cast<size_t>(i)]);
    return out;
  };
  Ids order(static_cast<size_t>(G.number_of_nodes()));
  for (size_t i = 0; i < order.size(); i++) order[i] = static_cast<int>(i);
  EXPECT_EQ(nodeIds(C.v_list), order) << what;
  order.resize(static_cast<size_t>(G.number_of_edges()));
  for (size_t i = 0; i < order.size(); i++) order[i] = static_cast<int>(i);
  EXPECT_EQ(edgeIds(C.e_list), order) << what;
  graphlib::graph_object* x = G.v_list.head;
  graphlib::graph_object* y = C.v_list.head;
  for (; x && y; x = x->succ, y = y->succ) {
    for (int i = 0; i < 2; i++)
      EXPECT_EQ(adjIds(static_cast<node>(y), i), mapped(adjIds(static_cast<node>(x), i))) << what;
  }
  graphlib::graph_object* e = G.e_list.head;
  graphlib::graph_object* f = C.e_list.head;
  for (; e && f; e = e->succ, f = f->succ) {
    edge ge = static_cast<edge>(e), ce = static_cast<edge>(f);
    EXPECT_EQ(ce->source->index(), node_rank[static_cast<size_t>(ge->source->index())]) << what;
    EXPECT_EQ(ce->target->index(), node_rank[static_cast<size_t>(ge->target->index())]) << what;
    if (ge->rev && !ge->rev->hidden())
      EXPECT_EQ(ce->rev->index(), edge_rank[static_cast<size_t>(ge->rev->index())]) << what;
    else
      EXPECT_EQ(ce->rev, nullptr) << what;
  }
}

TEST(Graph, CopyRebuildsTheVisibleStructure) {
  for (bool undirected : {false, true}) {
    Messy m(undirected);
    ASSERT_EQ(graphDefect(m.G), "");
    graph C(m.G);
    expectCopyOf(m.G, C, undirected ? "undirected copy" : "directed copy");
    EXPECT_TRUE(C.events_enabled);
    m.G.disable_events();
    graph D(m.G);
    EXPECT_FALSE(D.events_enabled);
  }
}

TEST(Graph, AssignmentReplacesTheTargetAndKeepsItsMaps) {
  for (bool undirected : {false, true}) {
    Messy m(undirected);
    graph T;
    std::vector<node> t = addNodes(T, 4);
    T.new_edge(t[0], t[1]);
    T.hide_node(t[2]);
    graphlib::node_array<int> mark(T, 5);
    T = m.G;
    expectCopyOf(m.G, T, undirected ? "undirected assignment" : "directed assignment");
    EXPECT_EQ(T.reg.maps[0].length(), 1) << "the target's maps stay registered";
    T = T;
    expectCopyOf(m.G, T, "self-assignment");
  }
}

TEST(Graph, AssignmentKeepsTheTargetsDataSlots) {
  graph G(0, 0);
  graph T(2, 1);
  graphlib::node_array<int> slotted;
  slotted.init(&T, 0, 0, true);
  ASSERT_EQ(slotted.slot, 1);
  std::vector<node> v = addNodes(G, 3);
  G.new_edge(v[0], v[1]);
  T = G;
  EXPECT_EQ(T.data_slots[0], 2) << "slot 1 must stay inside every record";
  EXPECT_EQ(T.data_slots[1], 1);
  EXPECT_EQ(slotted[static_cast<node>(T.v_list.head)], 0);
  EXPECT_EQ(graphDefect(T), "");
}

TEST(Graph, JoinRenumbersAndTakesEverything) {
  RecordingGraph G;
  addNodes(G, 3);
  RecordingGraph H;
  std::vector<node> h = addNodes(H, 3);
  edge he = H.new_edge(h[0], h[2]);
  edge hx = H.new_edge(h[2], h[0]);
  H.del_node(h[1]);
  H.hide_edge(hx);
  G.take();
  H.take();
  G.join(H);
  EXPECT_EQ(graphDefect(G), "");
  EXPECT_EQ(graphDefect(H), "");
  EXPECT_EQ(nodeIds(G.v_list), (Ids{0, 1, 2, 3, 4}));
  EXPECT_EQ(h[1]->index(), 5) << "the deleted node is numbered after the visible ones";
  EXPECT_EQ(G.max_node_index, 5);
  EXPECT_EQ(he->index(), 0);
  EXPECT_EQ(hx->index(), 1);
  EXPECT_TRUE(hx->hidden());
  EXPECT_EQ(G.max_edge_index, 1);
  EXPECT_EQ(h[0]->owner, &G);
  EXPECT_EQ(H.number_of_nodes(), 0);
  EXPECT_TRUE(H.v_free.empty() && H.e_hidden.empty());
  EXPECT_EQ(H.max_node_index, -1);
  EXPECT_EQ(H.max_edge_index, -1);
  EXPECT_EQ(H.max_face_index, -1);
  EXPECT_EQ(G.take(), (std::vector<std::string>{"pre_join_from", "post_join_from(2)"}));
  EXPECT_EQ(H.take(), (std::vector<std::string>{"pre_join_to", "post_join_to(2)"}));
  G.restore_edge(hx);
  G.del_node(h[0]);
  EXPECT_EQ(graphDefect(G), "");

  G.join(G);
  EXPECT_EQ(graphDefect(G), "") << "joining a graph with itself changes nothing";
  EXPECT_EQ(G.number_of_nodes(), 4);
}

TEST(Graph, JoinRefusesDifferentKinds) {
  graph G(1, 1);
  graph U(1, 1);
  U.make_undirected();
  graph S(2, 0);
  RecordingErrorHandler handler(RecordingErrorHandler::Mode::Return);
  G.join(U);
  G.join(S);
  EXPECT_EQ(handler.errors(),
            (std::vector<GraphlibError>{
                {1, "graph::join(G): cannot merge directed with undirected graph."},
                {1, "graph::join(G): cannot merge graphs with different data sizes."},
                {1, "graph::join(G): cannot merge graphs with different data sizes."},
            }));
}

TEST(Graph, ClearRestoresHiddenObjectsThenEmptiesTheGraph) {
  RecordingGraph G;
  std::vector<node> v = addNodes(G, 3);
  edge a = G.new_edge(v[0], v[1]);
  G.new_edge(v[1], v[2]);
  G.hide_edge(a);
  G.hide_node(v[2]);
  G.new_face(nullptr);
  G.take();
  G.clear();
  std::vector<std::string> calls = G.take();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls.front(), "pre_clear");
  EXPECT_EQ(calls.back(), "post_clear");
  EXPECT_EQ(std::vector<std::string>(calls.begin() + 1, calls.end() - 1),
            (std::vector<std::string>{"pre_restore_node(2)", "post_restore_node(2)", "pre_restore_edge(0)",
                                      "post_restore_edge(0)", "pre_restore_edge(1)", "post_restore_edge(1)"}));
  EXPECT_EQ(G.max_node_index, -1);
  EXPECT_EQ(G.max_edge_index, -1);
  EXPECT_EQ(G.max_face_index, -1);
  EXPECT_EQ(graphDefect(G), "");
  node x = G.new_node();
  EXPECT_EQ(x->index(), 0);
  EXPECT_EQ(G.new_edge(x, x)->index(), 0);
  EXPECT_EQ(graphDefect(G), "");
}

TEST(Graph, DestructionGivesEveryRecordBack) {
  AllocatorBaseline baseline;
  {
    for (bool undirected : {false, true}) {
      Messy m(undirected);
      graph C(m.G);
      graph J;
      if (undirected) J.make_undirected();
      addNodes(J, 2);
      J.join(C);
      J.del_all_edges();
      graph K(m.G);
      K.clear();
      K.new_face(nullptr);
    }
  }
  EXPECT_EQ(baseline.changes(), std::vector<std::string>());
}

TEST(Graph, DeletingAHiddenNodeWithEdgesToAnotherHiddenNode) {
  RecordingGraph G;
  std::vector<node> v = addNodes(G, 3);
  auto [a, b, c] = addEdges(G, v, {{0, 1}, {2, 0}, {0, 0}});
  G.hide_node(v[1]);
  G.hide_node(v[0]);
  ASSERT_EQ(graphDefect(G), "");
  G.take();
  G.del_node(v[0]);
  EXPECT_EQ(graphDefect(G), "");
  EXPECT_EQ(G.number_of_nodes(), 1);
  EXPECT_EQ(G.number_of_edges(), 0);
  EXPECT_TRUE(G.e_hidden.empty());
  EXPECT_EQ(G.e_free.count, 3);
  std::vector<std::string> calls = G.take();
  EXPECT_EQ(calls.front(), "start_del_node(0)");
  EXPECT_EQ(calls.back(), "post_del_node");
  for (edge e : {a, b, c}) {
    std::string pre = "pre_del_edge(" + std::to_string(e->index()) + ")";
    EXPECT_EQ(std::count(calls.begin(), calls.end(), pre), 1) << pre;
  }
  G.restore_node(v[1]);
  EXPECT_EQ(graphDefect(G), "");
}

TEST(Graph, DelNodeOfAVisibleNodeTakesItsHiddenEdges) {
  RecordingGraph G;
  std::vector<node> v = addNodes(G, 3);
  auto [a, b, keep] = addEdges(G, v, {{0, 1}, {2, 0}, {1, 2}});
  G.hide_edge(a);
  G.hide_edge(b);
  G.hide_edge(keep);
  G.take();
  G.del_node(v[0]);
  EXPECT_EQ(graphDefect(G), "") << "no hidden edge may keep a deleted end";
  EXPECT_EQ(G.take(), (std::vector<std::string>{"start_del_node(0)", "pre_del_edge(0)", "post_del_edge(0,1)",
                                                "pre_del_edge(1)", "post_del_edge(2,0)", "pre_del_node(0)",
                                                "post_del_node"}));
  EXPECT_EQ(G.e_hidden.count, 1);
  G.restore_all_edges();
  EXPECT_EQ(graphDefect(G), "");
  EXPECT_EQ(G.number_of_edges(), 1);
}

TEST(Graph, DelEdgeOfAHiddenEdgeAtAHiddenNode) {
  graph G;
  std::vector<node> v = addNodes(G, 2);
  edge a = G.new_edge(v[0], v[1]);
  G.hide_node(v[1]);
  G.del_edge(a);
  EXPECT_EQ(graphDefect(G), "");
  EXPECT_EQ(G.e_free.count, 1);
}

TEST(Graph, DelAllEdgesWithHiddenEdgesAtHiddenNodes) {
  graph G;
  std::vector<node> v = addNodes(G, 3);
  edge c = addEdges(G, v, {{0, 1}, {1, 2}, {2, 0}})[2];
  G.hide_edge(c);
  G.hide_node(v[1]);
  G.del_all_edges();
  EXPECT_EQ(graphDefect(G), "");
  EXPECT_EQ(G.max_edge_index, -1);
  EXPECT_EQ(G.number_of_edges(), 0);
  G.restore_node(v[1]);
  EXPECT_EQ(G.new_edge(v[1], v[0])->index(), 0);
  EXPECT_EQ(graphDefect(G), "");
}

TEST(Graph, MergeNodes) {
  graph G;
  std::vector<node> v = addNodes(G, 4);
  auto [uo, ui, uv, vo, vi, vo2] = addEdges(G, v, {{0, 2}, {2, 0}, {0, 1}, {1, 3}, {3, 1}, {1, 2}});
  EXPECT_EQ(G.merge_nodes(v[0], v[1]), v[0]);
  EXPECT_EQ(graphDefect(G), "");
  EXPECT_EQ(outIds(v[0]), (Ids{uo->index(), uv->index(), vo->index(), vo2->index()}));
  EXPECT_EQ(inIds(v[0]), (Ids{ui->index(), uv->index(), vi->index()}));
  EXPECT_EQ(uv->source, v[0]);
  EXPECT_EQ(uv->target, v[0]) << "the edge between them becomes a self-loop";
  EXPECT_EQ(G.number_of_nodes(), 3);
  EXPECT_EQ(G.merge_nodes(v[0], v[0]), v[0]);
  EXPECT_EQ(graphDefect(G), "") << "merging a node with itself changes nothing";
  edge hidden = G.new_edge(v[3], v[2]);
  G.hide_edge(hidden);
  G.merge_nodes(v[0], v[3]);
  EXPECT_EQ(graphDefect(G), "");
  EXPECT_EQ(hidden->source, v[0]) << "a hidden edge follows its end into the merged node";
  G.restore_edge(hidden);
  EXPECT_EQ(static_cast<edge>(v[0]->first_adj_edge[0]), hidden);

  graph H;
  std::vector<node> w = addNodes(H, 3);
  auto [a, b, c, d, f] = addEdges(H, w, {{0, 2}, {0, 2}, {1, 2}, {2, 1}, {1, 0}});
  H.merge_nodes(a, w[1]);
  EXPECT_EQ(graphDefect(H), "");
  EXPECT_EQ(outIds(w[0]), (Ids{a->index(), c->index(), f->index(), b->index()}));
  EXPECT_EQ(inIds(w[0]), (Ids{f->index(), d->index()}));
  H.merge_nodes(b, w[2]);  // b is last: a plain merge
  EXPECT_EQ(graphDefect(H), "");
  EXPECT_EQ(H.number_of_nodes(), 1);
}

TEST(Graph, SplitEdgeKeepsBothPlaces) {
  for (bool undirected : {false, true}) {
    RecordingGraph G;
    std::vector<node> v = addNodes(G, 3);
    auto [before, e, after, other] = addEdges(G, v, {{0, 1}, {0, 1}, {0, 1}, {2, 1}});
    if (undirected) G.make_undirected();
    G.take();
    edge e1 = nullptr, e2 = nullptr;
    node u = G.split_edge(e, nullptr, e1, e2);
    EXPECT_EQ(graphDefect(G), "") << undirected;
    EXPECT_TRUE(G.calls.empty()) << "splitting raises no events";
    EXPECT_EQ(e1, e);
    EXPECT_EQ(e->source, v[0]);
    EXPECT_EQ(e->target, u);
    EXPECT_EQ(e2->source, u);
    EXPECT_EQ(e2->target, v[1]);
    EXPECT_EQ(static_cast<node>(G.v_list.tail), u);
    EXPECT_EQ(outIds(v[0]), (Ids{before->index(), e->index(), after->index()}));
    int L = undirected ? 0 : 1;
    EXPECT_EQ(adjIds(v[1], L), (Ids{before->index(), e2->index(), after->index(), other->index()}));
    if (undirected)
      EXPECT_EQ(adjIds(u, 0), (Ids{e->index(), e2->index()}));
    else {
      EXPECT_EQ(outIds(u), Ids{e2->index()});
      EXPECT_EQ(inIds(u), Ids{e->index()});
    }
  }
}

TEST(Graph, CopyAndClearEntriesWalkVisibleThenHiddenObjects) {
  struct Counting : graph {
    mutable std::vector<std::string> seen;
    void copy_node_entry(void*& x) const override { seen.push_back("cn" + std::to_string(reinterpret_cast<long>(x))); }
    void copy_edge_entry(void*& x) const override { seen.push_back("ce" + std::to_string(reinterpret_cast<long>(x))); }
    void clear_node_entry(void*& x) const override { seen.push_back("xn" + std::to_string(reinterpret_cast<long>(x))); }
    void clear_edge_entry(void*& x) const override { seen.push_back("xe" + std::to_string(reinterpret_cast<long>(x))); }
  } G;
  node a = G.new_node(reinterpret_cast<void*>(1));
  node b = G.new_node(reinterpret_cast<void*>(2));
  G.new_edge(a, b, reinterpret_cast<void*>(3));
  G.new_edge(b, a, reinterpret_cast<void*>(4));
  G.hide_node(a);
  G.copy_all_entries();
  EXPECT_EQ(G.seen, (std::vector<std::string>{"cn2", "cn1", "ce3", "ce4"}));
  G.seen.clear();
  G.clear_all_entries();
  EXPECT_EQ(G.seen, (std::vector<std::string>{"xn2", "xn1", "xe3", "xe4"}));
}

TEST(GraphDeathTest, DefaultHandlerEndsTheProcessOnAForeignNode) {
  graph G;
  graph H;
  node x = H.new_node();
  EXPECT_DEATH(G.del_node(x), "GRAPHLIB ERROR HANDLER\n\tdel_node\\(v\\): v is not in G");
}

TEST(Graph, PrintEdge) {
  graph G;
  node a = G.new_node();
  node b = G.new_node();
  edge e = G.new_edge(a, b);
  std::ostringstream directed;
  G.print_edge(e, directed);
  EXPECT_EQ(directed.str(), "[0]---->[1]");
  G.make_undirected();
  std::ostringstream undirected;
  G.print_edge(e, undirected);
  EXPECT_EQ(undirected.str(), "[0]====[1]");
}

}  // namespace
