#include "graphlib/graph/graph_event.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "GraphInvariants.h"
#include "GraphTestSupport.h"
#include "RecordingErrorHandler.h"
#include "graphlib/graph/graph.h"

namespace {

using graphlib::edge;
using graphlib::graph;
using graphlib::node;
using testing_support::RecordingGraph;
using testing_support::graphDefect;
using testing_support::GraphlibError;
using testing_support::RecordingErrorHandler;

using Calls = std::vector<std::string>;

TEST(GraphEvents, HandlerSequenceOfEachOperation) {
  struct Case {
    const char* what;
    std::function<void(RecordingGraph&, std::vector<node>&, std::vector<edge>&)> op;
    Calls calls;
  };
  // Nodes 0..3; edges 0: 0->1, 1: 2->0, 2: 0->3.
  const Case cases[] = {
      {"new_node", [](RecordingGraph& G, std::vector<node>&, std::vector<edge>&) { G.new_node(); },
       {"pre_new_node", "post_new_node(4)"}},
      {"new_edge", [](RecordingGraph& G, std::vector<node>& v, std::vector<edge>&) { G.new_edge(v[3], v[1]); },
       {"pre_new_edge(3,1)", "post_new_edge(3)"}},
      {"del_node with an out-edge and an in-edge",
       [](RecordingGraph& G, std::vector<node>& v, std::vector<edge>& e) {
         G.del_edge(e[2]);
         G.calls.clear();
         G.del_node(v[0]);
       },
       {"start_del_node(0)", "pre_del_edge(0)", "post_del_edge(0,1)", "pre_del_edge(1)", "post_del_edge(2,0)",
        "pre_del_node(0)", "post_del_node"}},
      {"del_edge", [](RecordingGraph& G, std::vector<node>&, std::vector<edge>& e) { G.del_edge(e[1]); },
       {"pre_del_edge(1)", "post_del_edge(2,0)"}},
      {"rev_edge", [](RecordingGraph& G, std::vector<node>&, std::vector<edge>& e) { G.rev_edge(e[0]); },
       {"pre_move_edge(0,1,0)", "post_move_edge(0,0,1)"}},
      {"move_edge", [](RecordingGraph& G, std::vector<node>& v, std::vector<edge>& e) { G.move_edge(e[0], v[2], v[3]); },
       {"pre_move_edge(0,2,3)", "post_move_edge(0,0,1)"}},
      {"hide_node", [](RecordingGraph& G, std::vector<node>& v, std::vector<edge>&) { G.hide_node(v[0]); },
       {"pre_hide_node(0)", "pre_hide_edge(0)", "post_hide_edge(0)", "pre_hide_edge(2)", "post_hide_edge(2)",
        "pre_hide_edge(1)", "post_hide_edge(1)", "post_hide_node(0)"}},
      {"restore_node leaves the edges hidden",
       [](RecordingGraph& G, std::vector<node>& v, std::vector<edge>&) {
         G.hide_node(v[0]);
         G.calls.clear();
         G.restore_node(v[0]);
       },
       {"pre_restore_node(0)", "post_restore_node(0)"}},
      {"hiding twice calls nothing the second time",
       [](RecordingGraph& G, std::vector<node>& v, std::vector<edge>& e) {
         G.hide_node(v[1]);
         G.hide_edge(e[1]);
         G.calls.clear();
         G.hide_node(v[1]);
         G.hide_edge(e[1]);
       },
       {}},
      {"restore_edge", [](RecordingGraph& G, std::vector<node>&, std::vector<edge>& e) {
         G.hide_edge(e[2]);
         G.calls.clear();
         G.restore_edge(e[2]);
       },
       {"pre_restore_edge(2)", "post_restore_edge(2)"}},
      {"del_node of a hidden node",
       [](RecordingGraph& G, std::vector<node>& v, std::vector<edge>&) {
         G.hide_node(v[3]);
         G.calls.clear();
         G.del_node(v[3]);
       },
       {"start_del_node(3)", "pre_restore_node(3)", "post_restore_node(3)", "pre_restore_edge(2)",
        "post_restore_edge(2)", "pre_del_edge(2)", "post_del_edge(0,3)", "pre_del_node(3)", "post_del_node"}},
      {"insert_reverse_edges", [](RecordingGraph& G, std::vector<node>&, std::vector<edge>&) { G.insert_reverse_edges(); },
       {"pre_new_edge(1,0)", "post_new_edge(3)", "pre_new_edge(0,2)", "post_new_edge(4)", "pre_new_edge(3,0)",
        "post_new_edge(5)"}},
      {"operations without events",
       [](RecordingGraph& G, std::vector<node>& v, std::vector<edge>& e) {
         edge r = G.add_edge(v[1], v[0], nullptr);
         G.ins_adj_edge(r, v[1], nullptr, v[0], nullptr, 0, 0);
         G.set_reversal(e[0], r);
         edge e1, e2;
         G.split_edge(e[0], nullptr, e1, e2);
         G.hide_adj_edge(e[2]);
         G.restore_adj_edge(e[2]);
         G.new_face(nullptr);
         G.set_node_position(v[3], nullptr);
         G.del_all_faces();
       },
       {}},
  };
  for (const Case& c : cases) {
    RecordingGraph G;
    std::vector<node> v = testing_support::addNodes(G, 4);
    std::vector<edge> e = {G.new_edge(v[0], v[1]), G.new_edge(v[2], v[0]), G.new_edge(v[0], v[3])};
    G.calls.clear();
    c.op(G, v, e);
    EXPECT_EQ(G.calls, c.calls) << c.what;
    EXPECT_EQ(graphDefect(G), "") << c.what;
  }
}

TEST(GraphEvents, DisabledEventsCallNoHandler) {
  RecordingGraph G;
  G.disable_events();
  node a = G.new_node();
  node b = G.new_node();
  edge e = G.new_edge(a, b);
  G.rev_edge(e);
  G.hide_node(a);
  G.restore_node(a);
  G.restore_edge(e);
  G.del_node(b);
  G.clear();
  EXPECT_EQ(G.calls, Calls{});
  EXPECT_FALSE(G.events_enabled);
  G.enable_events();
  G.new_node();
  EXPECT_EQ(G.calls, (Calls{"pre_new_node", "post_new_node(0)"}));
}

// A receiver of events with parameter record P: notes what it received.
template <class P>
class Listener : public graphlib::RECEIVER<P> {
 public:
  Listener(std::vector<std::string>& log, std::string name) : m_log(log), m_name(std::move(name)) {}

  void attach(graphlib::base_event& ev) {
    ev.receivers.append(this);
    this->event_item = ev.receivers.last();
    m_event = &ev;
  }

  void notify(const P& p) override {
    m_log.push_back(m_name + " notified");
    received.push_back(p);
    if (detach_on_notify) m_event->detach(this);
  }
  void on_detach() override { m_log.push_back(m_name + " detached"); }

  bool detach_on_notify = false;
  std::vector<P> received;
  const P& last() const { return received.back(); }

 private:
  std::vector<std::string>& m_log;
  std::string m_name;
  graphlib::base_event* m_event = nullptr;
};

TEST(GraphEvents, ReceiversAreNotifiedAndReleased) {
  using Param = graphlib::param2<graph&, node>;
  std::vector<std::string> log;
  Listener<Param> first(log, "first"), second(log, "second"), third(log, "third");
  {
    graphlib::EVENT2<graph&, node> ev;
    graph G;
    node v = G.new_node();
    ev.occur(G, v);
    EXPECT_EQ(log, std::vector<std::string>{}) << "no receiver: nothing happens";

    first.attach(ev);
    second.attach(ev);
    third.attach(ev);
    first.detach_on_notify = true;
    ev.occur(G, v);
    EXPECT_EQ(log, (std::vector<std::string>{"first notified", "first detached", "second notified",
                                              "third notified"}));
    EXPECT_EQ(second.last().a1, &G) << "a reference argument is held as its address";
    EXPECT_EQ(second.last().a2, v);
    EXPECT_EQ(ev.receivers.length(), 2);

    log.clear();
    ev.enabled = false;
    ev.occur(G, v);
    EXPECT_EQ(log, std::vector<std::string>{}) << "a disabled event does nothing";
    ev.enabled = true;

    ev.detach(&second);
    EXPECT_EQ(log, std::vector<std::string>{"second detached"});
    log.clear();
  }
  EXPECT_EQ(log, std::vector<std::string>{"third detached"}) << "the event's end releases what is left";
}

TEST(GraphEvents, DetachingAnUnattachedReceiverIsAnError) {
  std::vector<std::string> log;
  Listener<graphlib::param1<graph&>> loose(log, "loose");
  graphlib::EVENT1<graph&> ev;
  RecordingErrorHandler handler;
  EXPECT_EQ(handler.raisedBy([&] { ev.detach(&loose); }), (GraphlibError{999, "dlist: delete nil-item"}));
  EXPECT_EQ(log, std::vector<std::string>{});
}

TEST(GraphEvents, GraphEventsReachReceivers) {
  using Param = graphlib::param1<graph&>;
  std::vector<std::string> log;
  Listener<Param> created(log, "created"), deleted(log, "deleted");
  created.attach(graph::create_event);
  {
    graph G;
    EXPECT_EQ(created.last().a1, &G);
    G.new_node();
    graph C(G);
    EXPECT_EQ(created.last().a1, &C) << "a copy announces itself too";
    deleted.attach(G.delete_event);
    G.disable_events();
    log.clear();
  }
  // C goes first (no receiver), then G: its delete event occurs whatever its flag says.
  EXPECT_EQ(log, (std::vector<std::string>{"deleted notified", "deleted detached"}));
  graph::create_event.detach(&created);

  using EdgeParam = graphlib::param4<graph&, edge, node, node>;
  Listener<EdgeParam> moved(log, "moved");
  graph G;
  node a = G.new_node();
  node b = G.new_node();
  edge e = G.new_edge(a, b);
  moved.attach(G.post_move_edge_event);
  G.rev_edge(e);
  EXPECT_EQ(moved.last().a2, e);
  EXPECT_EQ(moved.last().a3, a) << "the post event names the old ends";
  EXPECT_EQ(moved.last().a4, b);
  G.post_move_edge_event.detach(&moved);
}

}  // namespace
