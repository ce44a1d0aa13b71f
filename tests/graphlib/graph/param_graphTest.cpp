#include "graphlib/graph/param_graph.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "AllocatorUsage.h"
#include "GraphInvariants.h"
#include "GraphTestSupport.h"
#include "RecordingErrorHandler.h"

namespace {

using graphlib::edge;
using graphlib::GRAPH;
using graphlib::graph;
using graphlib::list;
using graphlib::node;
using graphlib::string;
using testing_support::edgeIds;
using testing_support::Ids;
using testing_support::inIds;
using testing_support::nodeIds;
using testing_support::outIds;
using testing_support::AllocatorBaseline;
using testing_support::graphDefect;
using testing_support::GraphlibError;
using testing_support::RecordingErrorHandler;

TEST(ParamGraph, IntFloatGraphBasics) {
  GRAPH<int, float> G;
  EXPECT_EQ(G.number_of_nodes(), 0);
  EXPECT_EQ(G.number_of_edges(), 0);
  for (int k = 0; k < 3; k++) EXPECT_TRUE(G.reg.maps[k].empty()) << "the info maps are not registered";
  EXPECT_EQ(G.node_info.slot, 0);
  EXPECT_EQ(G.node_info.table, nullptr);
  EXPECT_EQ(G.edge_info.slot, 0);
  EXPECT_STREQ(G.node_type(), "int");
  EXPECT_STREQ(G.edge_type(), "float");

  node v = G.new_node(7);
  node w = G.new_node(-2);
  edge e = G.new_edge(v, w, 0.5f);
  EXPECT_EQ(G.inf(v), 7);
  EXPECT_EQ(G.inf(w), -2);
  EXPECT_EQ(G.inf(e), 0.5f);
  EXPECT_EQ(G.node_info[v], 7);
  EXPECT_EQ(e->source, v);
  EXPECT_EQ(e->target, w);
  EXPECT_EQ(G.inf(G.new_node()), 0) << "the default info";
  EXPECT_EQ(G.inf(G.new_edge(w, v)), 0.0f);

  G.del_node(v);
  node again = G.new_node(11);
  EXPECT_EQ(again->index(), 0);
  EXPECT_EQ(G.inf(again), 11) << "a reused index carries the new info";
  edge f = G.new_edge(again, w, -1.25f);
  EXPECT_EQ(f->index(), 1) << "the edge deleted last";
  EXPECT_EQ(G.inf(f), -1.25f);
  EXPECT_EQ(graphDefect(G), "");
}

// The alignment engine's use: one node per residue of each structure, one edge
// per admitted pair, read back in creation order, then the graph goes.
TEST(ParamGraph, EngineCorrespondenceGraph) {
  AllocatorBaseline baseline;
  {
    const int n1 = 40, n2 = 33;
    GRAPH<int, float> G;
    std::vector<node> first, second;
    for (int i = 0; i < n1; i++) first.push_back(G.new_node(i));
    for (int j = 0; j < n2; j++) second.push_back(G.new_node(j + n1));
    std::vector<edge> edges;
    std::vector<std::vector<int>> out(n1);
    for (int i = 0; i < n1; i++) {
      for (int j = 0; j < n2; j++) {
        if ((i * 7 + j * 3) % 5 != 0) continue;
        float weight = static_cast<float>(i - j) / 4.0f;
        edges.push_back(G.new_edge(first[static_cast<size_t>(i)], second[static_cast<size_t>(j)], weight));
        out[static_cast<size_t>(i)].push_back(static_cast<int>(edges.size()) - 1);
      }
    }
    ASSERT_EQ(graphDefect(G), "");
    Ids order(static_cast<size_t>(n1 + n2));
    for (size_t k = 0; k < order.size(); k++) order[k] = static_cast<int>(k);
    EXPECT_EQ(nodeIds(G.v_list), order);
    int k = 0;
    for (graphlib::graph_object* x = G.v_list.head; x; x = x->succ, k++)
      EXPECT_EQ(G.inf(static_cast<node>(x)), k) << "node infos in creation order";
    order.resize(edges.size());
    for (size_t m = 0; m < order.size(); m++) order[m] = static_cast<int>(m);
    EXPECT_EQ(edgeIds(G.e_list), order);
    for (int i = 0; i < n1; i++) EXPECT_EQ(outIds(first[static_cast<size_t>(i)]), out[static_cast<size_t>(i)]);
    for (edge e : edges) {
      int i = G.inf(e->source), j = G.inf(e->target) - n1;
      EXPECT_EQ(G.inf(e), static_cast<float>(i - j) / 4.0f);
    }
    G.clear_all_entries();
  }
  EXPECT_EQ(baseline.changes(), std::vector<std::string>()) << "destruction gives every record back";
}

class RecordingGRAPH : public GRAPH<int, float> {
 public:
  std::vector<std::string> calls;
  void pre_clear_handler() override { calls.push_back("pre_clear"); }
  void post_clear_handler() override { calls.push_back("post_clear"); }
  void pre_restore_node_handler(node) override { calls.push_back("restore_node"); }
  void pre_restore_edge_handler(edge) override { calls.push_back("restore_edge"); }
  void pre_del_edge_handler(edge) override { calls.push_back("del_edge"); }
};

TEST(ParamGraph, ClearCallsOnlyTheClearHandlersOnce) {
  RecordingGRAPH G;
  node a = G.new_node(1);
  node b = G.new_node(2);
  edge e = G.new_edge(a, b, 1.0f);
  G.new_edge(b, a, 2.0f);
  G.hide_edge(e);
  G.hide_node(b);
  G.clear();
  EXPECT_EQ(G.calls, (std::vector<std::string>{"pre_clear", "post_clear"}));
  EXPECT_TRUE(G.events_enabled);
  EXPECT_EQ(G.max_node_index, -1);
  EXPECT_EQ(graphDefect(G), "");

  G.calls.clear();
  G.new_node(3);
  G.disable_events();
  G.clear();
  EXPECT_EQ(G.calls, std::vector<std::string>{});
  EXPECT_FALSE(G.events_enabled);
}

TEST(ParamGraph, BoxedEdgeListsLiveAndDieWithTheirEdges) {
  AllocatorBaseline baseline;
  {
    typedef GRAPH<node, list<edge>> KGraph;
    KGraph G;
    EXPECT_STREQ(G.node_type(), "unknown");
    EXPECT_STREQ(G.edge_type(), "unknown");
    node a = G.new_node();
    node b = G.new_node(a);
    EXPECT_EQ(G.inf(a), nullptr);
    EXPECT_EQ(G.inf(b), a);
    edge e = G.new_edge(a, b);
    EXPECT_TRUE(G.inf(e).empty()) << "a new empty list";
    list<edge> L;
    L.append(e);
    L.append(e);
    edge f = G.new_edge(b, a, L);
    L.clear();
    EXPECT_EQ(G.inf(f).length(), 2) << "the edge owns its copy";
    G.edge_info[e].append(f);

    KGraph C(G);
    EXPECT_EQ(graphDefect(C), "");
    edge cf = static_cast<edge>(C.e_list.tail);
    EXPECT_EQ(C.inf(cf).length(), 2);
    C.edge_info[cf].clear();
    EXPECT_EQ(G.inf(f).length(), 2) << "copies hold separate lists";

    KGraph T;
    T.new_edge(T.new_node(), T.new_node(), L);
    T.new_edge(T.new_node(), T.new_node());
    T = G;
    EXPECT_EQ(graphDefect(T), "");
    EXPECT_EQ(T.inf(static_cast<edge>(T.e_list.head)).length(), 1);
    T = T;
    EXPECT_EQ(T.number_of_edges(), 2);

    G.del_edge(e);
    G.hide_edge(f);
    list<edge> R = C.insert_reverse_edges();
    ASSERT_EQ(R.length(), 2);
    for (edge r : testing_support::items(R)) EXPECT_EQ(r->rev, nullptr);
    C.edge_info[R.head()].append(R.head());
    EXPECT_EQ(C.inf(static_cast<edge>(C.e_list.head)).length(), 1) << "the reversed edge has its own list";
    EXPECT_EQ(graphDefect(C), "");
    C.clear();
    EXPECT_EQ(C.number_of_edges(), 0);
  }
  EXPECT_EQ(baseline.changes(), std::vector<std::string>());
}

TEST(ParamGraph, StringIntGraph) {
  AllocatorBaseline baseline;
  {
    GRAPH<string, int> G;
    EXPECT_STREQ(G.node_type(), "string");
    EXPECT_STREQ(G.edge_type(), "int");
    string name("root");
    node r = G.new_node(name);
    node s = G.new_node(string("leaf"));
    EXPECT_EQ(name.refs(), 2) << "the node holds a share of the text";
    edge e = G.new_edge(r, s, 3);
    EXPECT_EQ(G.inf(r), string("root"));
    EXPECT_EQ(G.inf(e), 3);
    EXPECT_EQ(G.inf(G.new_node()), string(""));
    {
      GRAPH<string, int> C(G);
      EXPECT_EQ(name.refs(), 3);
      EXPECT_EQ(C.inf(static_cast<node>(C.v_list.head)), string("root"));
      GRAPH<string, int> T;
      T.new_node(string("gone"));
      T = C;
      EXPECT_EQ(name.refs(), 4);
    }
    EXPECT_EQ(name.refs(), 2);
    G.del_node(r);
    EXPECT_EQ(name.refs(), 1);
    std::ostringstream out;
    G.write_node_entry(out, s->data[0]);
    EXPECT_EQ(out.str(), "leaf");
  }
  EXPECT_EQ(baseline.changes(), std::vector<std::string>());
}

TEST(ParamGraph, EntryTextOfIntFloatGraph) {
  GRAPH<int, float> G;
  node v = G.new_node(-3);
  edge e = G.new_edge(v, v, 0.25f);
  struct Case {
    bool node_entry;
    void* cell;
    std::string text;
  };
  const Case cases[] = {
      {true, graphlib::graphlib_copy(-3), "-3"},
      {true, graphlib::graphlib_copy(120), "120"},
      {false, graphlib::graphlib_copy(0.25f), "0.25"},
      {false, graphlib::graphlib_copy(-3.0f), "-3"},
      {false, graphlib::graphlib_copy(0.1f), "0.1"},
  };
  for (const Case& c : cases) {
    std::ostringstream out;
    void* cell = c.cell;
    if (c.node_entry)
      G.write_node_entry(out, cell);
    else
      G.write_edge_entry(out, cell);
    EXPECT_EQ(out.str(), c.text);
  }
  std::ostringstream direct;
  G.write_node_entry(direct, v->data[0]);
  G.write_edge_entry(direct, e->data[0]);
  EXPECT_EQ(direct.str(), "-30.25");

  void* cell = reinterpret_cast<void*>(0x77);
  std::istringstream good(" 12 ");
  G.read_node_entry(good, cell);
  EXPECT_EQ(graphlib::graphlib_slot_value<int>(cell), 12);
  std::istringstream bad("abc");
  G.read_node_entry(bad, cell);
  EXPECT_EQ(cell, nullptr) << "a failed read leaves 0";
  EXPECT_TRUE(bad.fail());
  std::istringstream weight("-0.5");
  G.read_edge_entry(weight, cell);
  EXPECT_EQ(graphlib::graphlib_slot_value<float>(cell), -0.5f);

  GRAPH<node, edge> H;
  std::istringstream any("whatever");
  cell = reinterpret_cast<void*>(0x77);
  H.read_node_entry(any, cell);
  EXPECT_EQ(cell, nullptr);
  std::ostringstream addr;
  void* p = v;
  H.write_node_entry(addr, p);
  std::ostringstream expected;
  expected << static_cast<const void*>(v);
  EXPECT_EQ(addr.str(), expected.str());
  EXPECT_STREQ(H.node_type(), "unknown");

  GRAPH<node, list<edge>> K;
  node a = K.new_node();
  edge x = K.new_edge(a, a);
  list<edge> L;
  L.append(x);
  L.append(x);
  edge y = K.new_edge(a, a, L);
  std::ostringstream listed, one;
  K.write_edge_entry(listed, y->data[0]);
  one << static_cast<const void*>(x);
  EXPECT_EQ(listed.str(), one.str() + " " + one.str());
  std::istringstream text("0x1 0x2");
  void* read_list = nullptr;
  K.read_edge_entry(text, read_list);
  EXPECT_TRUE(graphlib::graphlib_slot_value<list<edge>>(read_list).empty());
  K.clear_edge_entry(read_list);
}

int byValue(const int& a, const int& b) { return a < b ? -1 : a > b ? 1 : 0; }

TEST(ParamGraph, CompareWithoutAFunctionIsReported) {
  GRAPH<int, float> G;
  node a = G.new_node(5);
  node b = G.new_node(9);
  edge e = G.new_edge(a, b, 1.0f);
  RecordingErrorHandler handler;
  const GraphlibError undefined{1, "graphlib_cmp_base: compare undefined"};
  EXPECT_EQ(handler.raisedBy([&] { G.cmp_node_entry(a, b); }), undefined);
  EXPECT_EQ(handler.raisedBy([&] { G.cmp_edge_entry(e, e); }), undefined);
  G.node_cmp_fn = byValue;
  EXPECT_EQ(G.cmp_node_entry(a, b), -1);
  EXPECT_EQ(G.cmp_node_entry(b, a), 1);
  GRAPH<int, float> C(G);
  EXPECT_EQ(C.cmp_node_entry(static_cast<node>(C.v_list.head), static_cast<node>(C.v_list.tail)), -1);
}

TEST(ParamGraph, CopiesKeepInfosAndStructure) {
  GRAPH<int, float> G;
  node a = G.new_node(1);
  node b = G.new_node(2);
  node c = G.new_node(3);
  G.new_edge(a, b, 0.5f);
  G.new_edge(c, a, 1.5f);
  G.hide_node(b);
  GRAPH<int, float> C(G);
  EXPECT_EQ(graphDefect(C), "");
  ASSERT_EQ(C.number_of_nodes(), 2);
  EXPECT_EQ(C.inf(static_cast<node>(C.v_list.head)), 1);
  EXPECT_EQ(C.inf(static_cast<node>(C.v_list.tail)), 3);
  ASSERT_EQ(C.number_of_edges(), 1);
  edge ce = static_cast<edge>(C.e_list.head);
  EXPECT_EQ(C.inf(ce), 1.5f);
  EXPECT_EQ(C.inf(ce->source), 3);
  EXPECT_EQ(inIds(static_cast<node>(C.v_list.head)), Ids{0});

  GRAPH<int, float> T;
  T.new_node(9);
  T = C;
  EXPECT_EQ(graphDefect(T), "");
  EXPECT_EQ(T.inf(static_cast<node>(T.v_list.head)), 1);
  EXPECT_EQ(T.number_of_edges(), 1);
}

TEST(ParamGraph, PrintEdgeShowsTheInfo) {
  GRAPH<int, float> G;
  node a = G.new_node(1);
  node b = G.new_node(2);
  edge e = G.new_edge(b, a, 0.5f);
  std::ostringstream out;
  G.print_edge(e, out);
  EXPECT_EQ(out.str(), "[1]--(0.5)-->[0]");
}

}  // namespace
