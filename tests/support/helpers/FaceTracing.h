#pragma once
// Header-only (test_helpers does not link the graph library): include it only in
// test binaries that link graphlib_graph.
//
// Face tracing of a map read as a rotation system, independent of the graph's
// own face walk: the rotation at a node is its out-list order (read with
// out_edges), and the face after dart e is the dart before reversal(e) in the
// cyclic rotation at target(e). Gives the face cycles, the number of connected
// components (own union-find), the genus by Euler's formula, and a check that
// the graph's face objects and edge-to-face cells agree with the traced cycles.
#include <algorithm>
#include <numeric>
#include <string>
#include <unordered_map>
#include <vector>

#include "graphlib/graph/graph.h"

namespace testing_support {

struct TracedMap {
  std::string defect;                                  // "" for a proper map
  std::vector<std::vector<graphlib::edge>> faces;      // each cycle from its first dart in edge-list order
  // By dart index (a deep test traces millions of darts): the face of each
  // dart of the map, -1 for an index that is none, and the dart after it.
  std::vector<int> face_of;
  std::vector<graphlib::edge> next;
  int nodes = 0;
  int darts = 0;
  int isolated = 0;                                    // nodes without darts
  int components = 0;

  // The face of e when e is a dart of the traced map, else -1.
  int faceOf(graphlib::edge e) const {
    size_t i = static_cast<size_t>(e->index());
    if (i >= face_of.size() || face_of[i] < 0) return -1;
    const std::vector<graphlib::edge>& cycle = faces[static_cast<size_t>(face_of[i])];
    return std::find(cycle.begin(), cycle.end(), e) != cycle.end() ? face_of[i] : -1;
  }
};

// The edges of G by index, nil where an index names no edge of G.
inline std::vector<graphlib::edge> edgesByIndex(const graphlib::graph& G) {
  std::vector<graphlib::edge> by(static_cast<size_t>(G.max_edge_index + 1), nullptr);
  for (graphlib::graph_object* x = G.e_list.head; x; x = x->succ) {
    auto e = static_cast<graphlib::edge>(x);
    by[static_cast<size_t>(e->index())] = e;
  }
  return by;
}

// The reversal-pairing check done from scratch: every edge has a distinct
// reversal in the graph, mutual, with swapped ends.
inline std::string mapDefect(const graphlib::graph& G) {
  std::vector<graphlib::edge> edges = edgesByIndex(G);
  for (graphlib::graph_object* x = G.e_list.head; x; x = x->succ) {
    auto e = static_cast<graphlib::edge>(x);
    graphlib::edge r = e->rev;
    std::string name = "edge " + std::to_string(e->index());
    if (r == nullptr) return name + " has no reversal";
    if (r == e) return name + " is its own reversal";
    size_t ri = static_cast<size_t>(r->index());
    if (ri >= edges.size() || edges[ri] != r) return name + " has a reversal outside the graph";
    if (r->rev != e) return name + ": reversal not mutual";
    if (r->source != e->target || r->target != e->source) return name + ": reversal ends do not match";
  }
  return "";
}

inline int tracedComponentCount(const graphlib::graph& G) {
  std::unordered_map<graphlib::node, graphlib::node> parent;
  for (graphlib::graph_object* x = G.v_list.head; x; x = x->succ) {
    auto v = static_cast<graphlib::node>(x);
    parent[v] = v;
  }
  auto find = [&](graphlib::node v) {
    while (parent[v] != v) v = parent[v] = parent[parent[v]];
    return v;
  };
  int count = static_cast<int>(parent.size());
  for (graphlib::graph_object* x = G.e_list.head; x; x = x->succ) {
    auto e = static_cast<graphlib::edge>(x);
    graphlib::node a = find(e->source), b = find(e->target);
    if (a != b) {
      parent[a] = b;
      count--;
    }
  }
  return count;
}

inline TracedMap traceMap(const graphlib::graph& G) {
  using graphlib::edge;
  using graphlib::node;
  TracedMap T;
  T.defect = mapDefect(G);
  if (!T.defect.empty()) return T;
  // The dart before each dart in the cyclic rotation at its source.
  const size_t slots = static_cast<size_t>(G.max_edge_index + 1);
  std::vector<edge> before(slots, nullptr);
  std::vector<edge> R;
  for (graphlib::graph_object* x = G.v_list.head; x; x = x->succ) {
    auto v = static_cast<node>(x);
    T.nodes++;
    R.clear();
    graphlib::list<edge> out = G.out_edges(v);
    for (graphlib::dlink* it = out.first(); it; it = it->succ) R.push_back(out.contents(it));
    for (size_t i = 0; i < R.size(); i++) before[static_cast<size_t>(R[i]->index())] = R[(i + R.size() - 1) % R.size()];
    if (R.empty()) T.isolated++;
  }
  std::vector<edge> order;
  for (graphlib::graph_object* x = G.e_list.head; x; x = x->succ) order.push_back(static_cast<edge>(x));
  T.darts = static_cast<int>(order.size());
  T.next.assign(slots, nullptr);
  T.face_of.assign(slots, -1);
  for (edge e : order) {
    edge b = before[static_cast<size_t>(e->rev->index())];
    if (b == nullptr) {
      T.defect = "edge " + std::to_string(e->index()) + "'s reversal is in no out-list";
      return T;
    }
    T.next[static_cast<size_t>(e->index())] = b;
  }
  for (edge e : order) {
    if (T.face_of[static_cast<size_t>(e->index())] >= 0) continue;
    int f = static_cast<int>(T.faces.size());
    T.faces.emplace_back();
    edge x = e;
    do {
      if (T.face_of[static_cast<size_t>(x->index())] >= 0) {
        T.defect = "the face successor is not a permutation";
        return T;
      }
      T.face_of[static_cast<size_t>(x->index())] = f;
      T.faces.back().push_back(x);
      x = T.next[static_cast<size_t>(x->index())];
    } while (x != e);
  }
  T.components = tracedComponentCount(G);
  return T;
}

// Genus by Euler's formula per component: n - e + f = 2 - 2g, an isolated node
// being a sphere with one face. Returns -1 for a non-map or an odd Euler sum.
inline int tracedGenus(const TracedMap& T) {
  if (!T.defect.empty()) return -1;
  int euler = T.nodes - T.darts / 2 + static_cast<int>(T.faces.size()) + T.isolated;
  int twice = 2 * T.components - euler;
  if (twice < 0 || twice % 2 != 0) return -1;
  return twice / 2;
}

inline int tracedGenus(const graphlib::graph& G) { return tracedGenus(traceMap(G)); }

// The graph's faces against the traced cycles: one face object per cycle, its
// head edge on that cycle, and every dart's edge-to-face cell holding it.
// With checkSizes the sizes must equal the cycle lengths too.
inline std::string faceCellsDefect(const graphlib::graph& G, bool checkSizes) {
  TracedMap T = traceMap(G);
  if (!T.defect.empty()) return T.defect;
  if (G.number_of_faces() != static_cast<int>(T.faces.size()))
    return std::to_string(G.number_of_faces()) + " face objects for " + std::to_string(T.faces.size()) + " cycles";
  std::set<int> covered;
  for (graphlib::graph_object* x = G.f_list.head; x; x = x->succ) {
    auto f = static_cast<graphlib::face>(x);
    std::string name = "face " + std::to_string(f->index());
    int cycle = f->head_edge == nullptr ? -1 : T.faceOf(f->head_edge);
    if (cycle < 0) return name + " has no head edge of the map";
    if (!covered.insert(cycle).second) return name + " shares its cycle with another face";
    for (graphlib::edge e : T.faces[static_cast<size_t>(cycle)])
      if (G.access_face(e) != f) return "edge " + std::to_string(e->index()) + " does not map to " + name;
    if (checkSizes && f->size != static_cast<int>(T.faces[static_cast<size_t>(cycle)].size()))
      return name + " has size " + std::to_string(f->size);
  }
  return "";
}

}  // namespace testing_support
