#pragma once
// Small graphs built from index pairs, readable views of a graph (object lists
// and adjacency lists as index sequences), and a graph that records its handler calls.
#include <array>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "graphlib/graph/graph.h"

namespace testing_support {

using graphlib::edge;
using graphlib::face;
using graphlib::graph;
using graphlib::node;

using Ids = std::vector<int>;

template <class T>
Ids ids(const std::vector<T>& xs) {
  Ids out;
  for (T x : xs) out.push_back(x->index());
  return out;
}

// The objects of one of a graph's lists, in list order; T is node, edge or face.
template <class T>
std::vector<T> objects(const graphlib::graph_obj_list_base& L) {
  std::vector<T> out;
  for (graphlib::graph_object* x = L.head; x; x = x->succ) out.push_back(static_cast<T>(x));
  return out;
}

inline Ids nodeIds(const graphlib::graph_obj_list_base& L) { return ids(objects<node>(L)); }
inline Ids edgeIds(const graphlib::graph_obj_list_base& L) { return ids(objects<edge>(L)); }
inline Ids faceIds(const graphlib::graph_obj_list_base& L) { return ids(objects<face>(L)); }

// v's list i walked by the link-pair rule, as edge indices.
inline Ids adjIds(node v, int i) {
  Ids out;
  for (edge e = v->first_adj_edge[i]; e;) {
    out.push_back(e->index());
    e = e->succ_adj_edge[graphlib::link_pair(e, v, i)];
  }
  return out;
}

inline Ids outIds(node v) { return adjIds(v, 0); }
inline Ids inIds(node v) { return adjIds(v, 1); }

inline std::vector<node> addNodes(graph& G, int n) {
  std::vector<node> v;
  for (int i = 0; i < n; i++) v.push_back(G.new_node());
  return v;
}

// Edges made in order between v's nodes, given as index pairs.
template <std::size_t N>
std::array<edge, N> addEdges(graph& G, const std::vector<node>& v, const std::pair<int, int> (&ends)[N]) {
  std::array<edge, N> out{};
  for (std::size_t i = 0; i < N; i++)
    out[i] = G.new_edge(v[static_cast<std::size_t>(ends[i].first)], v[static_cast<std::size_t>(ends[i].second)]);
  return out;
}

template <class T>
std::vector<T> items(const graphlib::list<T>& L) {
  std::vector<T> out;
  for (graphlib::dlink* it = L.first(); it; it = it->succ) out.push_back(L.contents(it));
  return out;
}

// The reverse of items: a graphlib list holding xs in order.
template <class T>
graphlib::list<T> listOf(const std::vector<T>& xs) {
  graphlib::list<T> L;
  for (const T& x : xs) L.append(x);
  return L;
}

template <class T>
graphlib::list<T> listOf(std::initializer_list<T> xs) {
  return listOf(std::vector<T>(xs));
}

inline Ids ids(const graphlib::list<edge>& L) { return ids(items(L)); }
inline Ids ids(const graphlib::list<node>& L) { return ids(items(L)); }

inline std::string nodeText(node v) { return v ? std::to_string(v->index()) : std::string("nil"); }
inline std::string edgeText(edge e) { return e ? std::to_string(e->index()) : std::string("nil"); }

// Records every handler call as text (node and edge indices) before the
// graph's own handler occurs the event.
class RecordingGraph : public graph {
 public:
  RecordingGraph() : graph() {}
  RecordingGraph(int n_slots, int e_slots) : graph(n_slots, e_slots) {}

  std::vector<std::string> calls;

  void pre_new_node_handler() override { note("pre_new_node"); }
  void post_new_node_handler(node v) override { note("post_new_node(" + nodeText(v) + ")"); }
  void pre_del_node_handler(node v) override { note("pre_del_node(" + nodeText(v) + ")"); }
  void post_del_node_handler() override { note("post_del_node"); }
  void start_del_node_handler(node v) override { note("start_del_node(" + nodeText(v) + ")"); }
  void pre_hide_node_handler(node v) override { note("pre_hide_node(" + nodeText(v) + ")"); }
  void post_hide_node_handler(node v) override { note("post_hide_node(" + nodeText(v) + ")"); }
  void pre_restore_node_handler(node v) override { note("pre_restore_node(" + nodeText(v) + ")"); }
  void post_restore_node_handler(node v) override { note("post_restore_node(" + nodeText(v) + ")"); }
  void pre_new_edge_handler(node v, node w) override {
    note("pre_new_edge(" + nodeText(v) + "," + nodeText(w) + ")");
  }
  void post_new_edge_handler(edge e) override { note("post_new_edge(" + edgeText(e) + ")"); }
  void pre_del_edge_handler(edge e) override { note("pre_del_edge(" + edgeText(e) + ")"); }
  void post_del_edge_handler(node v, node w) override {
    note("post_del_edge(" + nodeText(v) + "," + nodeText(w) + ")");
  }
  void pre_move_edge_handler(edge e, node v, node w) override {
    note("pre_move_edge(" + edgeText(e) + "," + nodeText(v) + "," + nodeText(w) + ")");
  }
  void post_move_edge_handler(edge e, node v, node w) override {
    note("post_move_edge(" + edgeText(e) + "," + nodeText(v) + "," + nodeText(w) + ")");
  }
  void pre_hide_edge_handler(edge e) override { note("pre_hide_edge(" + edgeText(e) + ")"); }
  void post_hide_edge_handler(edge e) override { note("post_hide_edge(" + edgeText(e) + ")"); }
  void pre_restore_edge_handler(edge e) override { note("pre_restore_edge(" + edgeText(e) + ")"); }
  void post_restore_edge_handler(edge e) override { note("post_restore_edge(" + edgeText(e) + ")"); }
  void pre_join_from_graph_handler(graph&) override { note("pre_join_from"); }
  void post_join_from_graph_handler(graph&, const graphlib::list<node>& L) override {
    note("post_join_from(" + std::to_string(L.length()) + ")");
  }
  void pre_join_to_graph_handler(graph&) override { note("pre_join_to"); }
  void post_join_to_graph_handler(graph&, const graphlib::list<node>& L) override {
    note("post_join_to(" + std::to_string(L.length()) + ")");
  }
  void pre_clear_handler() override { note("pre_clear"); }
  void post_clear_handler() override { note("post_clear"); }

  std::vector<std::string> take() {
    std::vector<std::string> out;
    out.swap(calls);
    return out;
  }

 private:
  void note(const std::string& s) { calls.push_back(s); }
};

}  // namespace testing_support
