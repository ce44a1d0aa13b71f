#pragma once
// Graph families for the planarity tests, as plain node-pair lists: planar by
// construction (triangulations, grids, trees, outerplanar graphs, random
// planar graphs) and non-planar by construction (K5, K3,3, their
// subdivisions, graphs denser than 3n-6, a triangulation plus one edge).
#include <algorithm>
#include <array>
#include <map>
#include <ostream>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "FaceTracing.h"
#include "graphlib/graph/graph.h"

namespace planar_families {

using Pair = std::pair<int, int>;
using Rng = std::mt19937;

struct Pairs {
  int n = 0;
  std::vector<Pair> edges;
};

inline int pick(Rng& rng, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

// A triangulation with n >= 3 nodes: nodes put into random faces, then random
// edge flips so that the degrees are not those of a stacked triangulation.
inline Pairs triangulation(int n, Rng& rng) {
  std::vector<std::array<int, 3>> faces{{{0, 1, 2}}, {{0, 2, 1}}};
  std::map<Pair, int> face_of;  // directed edge (a, b) -> face that runs a -> b
  auto put = [&](int f, int a, int b, int c) {
    faces[static_cast<size_t>(f)] = {{a, b, c}};
    face_of[{a, b}] = f;
    face_of[{b, c}] = f;
    face_of[{c, a}] = f;
  };
  put(0, 0, 1, 2);
  put(1, 0, 2, 1);
  for (int v = 3; v < n; v++) {
    int f = pick(rng, 0, static_cast<int>(faces.size()) - 1);
    auto t = faces[static_cast<size_t>(f)];
    faces.push_back({});
    faces.push_back({});
    put(f, t[0], t[1], v);
    put(static_cast<int>(faces.size()) - 2, t[1], t[2], v);
    put(static_cast<int>(faces.size()) - 1, t[2], t[0], v);
  }
  std::set<Pair> edges;
  for (const auto& fe : face_of) edges.insert(std::minmax(fe.first.first, fe.first.second));
  for (int flips = 0; flips < n; flips++) {
    int f = pick(rng, 0, static_cast<int>(faces.size()) - 1);
    auto t = faces[static_cast<size_t>(f)];
    int a = t[0], b = t[1], c = t[2];
    int g = face_of[{b, a}];
    auto u = faces[static_cast<size_t>(g)];
    int d = u[0] + u[1] + u[2] - a - b;
    if (c == d || edges.count(std::minmax(c, d))) continue;
    edges.erase(std::minmax(a, b));
    face_of.erase({a, b});
    face_of.erase({b, a});
    edges.insert(std::minmax(c, d));
    put(f, c, a, d);
    put(g, d, b, c);
  }
  return {n, std::vector<Pair>(edges.begin(), edges.end())};
}

inline Pairs grid(int rows, int cols) {
  Pairs p{rows * cols, {}};
  for (int r = 0; r < rows; r++)
    for (int c = 0; c < cols; c++) {
      if (c + 1 < cols) p.edges.emplace_back(r * cols + c, r * cols + c + 1);
      if (r + 1 < rows) p.edges.emplace_back(r * cols + c, (r + 1) * cols + c);
    }
  return p;
}

// Deep inputs: nodes and edges made in order (i -> i+1), so that a search
// from node 0 goes as deep as the graph is long.
inline Pairs path(int n) {
  Pairs p{n, {}};
  for (int v = 0; v + 1 < n; v++) p.edges.emplace_back(v, v + 1);
  return p;
}

inline Pairs cycle(int n) {
  Pairs p = path(n);
  p.edges.emplace_back(n - 1, 0);
  return p;
}

// A triangulated strip: edges i -> i+1 and i -> i+2.
inline Pairs strip(int n) {
  Pairs p{n, {}};
  for (int v = 0; v + 1 < n; v++) {
    p.edges.emplace_back(v, v + 1);
    if (v + 2 < n) p.edges.emplace_back(v, v + 2);
  }
  return p;
}

// The size of a deep input: the sanitizers take far more stack per frame, so
// a smaller input is as deep for them, and runs in the suite's time.
inline int deepSize(int plain, int sanitized) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  (void)plain;
  return sanitized;
#else
  (void)sanitized;
  return plain;
#endif
}

// The deep planar inputs every planarity entry point must take at the default
// stack: paths, cycles and triangulated strips of 200,000 nodes and a 500 x 500
// grid (an embedding of 1000 x 1000 and its checks take 6 seconds); smaller
// under the sanitizers, still deep enough for a recursive search to overflow.
struct DeepFamily {
  const char* name;
  Pairs (*make)();
};

// Test names and failure messages show the family by its name.
inline void PrintTo(const DeepFamily& f, std::ostream* os) { *os << f.name; }

inline std::vector<DeepFamily> deepPlanarFamilies() {
  return {{"path", [] { return path(deepSize(200000, 60000)); }},
          {"cycle", [] { return cycle(deepSize(200000, 60000)); }},
          {"strip", [] { return strip(deepSize(200000, 60000)); }},
          {"grid", [] { return grid(deepSize(500, 300), deepSize(500, 300)); }}};
}

// The public entry points the deep cases run: the planarity test, its forms
// with a Kuratowski list, and the Kuratowski searches.
enum class Entry {
  IsPlanar,
  Planar,
  BlPlanar,
  PlanarEmbed,
  BlPlanarEmbed,
  MakePlanarMap,
  PlanarList,
  BlPlanarList,
  PlanarListEmbed,
  BlPlanarListEmbed,
  Search,
  SimpleSearch
};

inline const char* entryName(Entry e) {
  switch (e) {
    case Entry::IsPlanar: return "Is_Planar";
    case Entry::Planar: return "PLANAR";
    case Entry::BlPlanar: return "BL_PLANAR";
    case Entry::PlanarEmbed: return "PLANAR_embed";
    case Entry::BlPlanarEmbed: return "BL_PLANAR_embed";
    case Entry::MakePlanarMap: return "make_planar_map";
    case Entry::PlanarList: return "PLANAR_list";
    case Entry::BlPlanarList: return "BL_PLANAR_list";
    case Entry::PlanarListEmbed: return "PLANAR_list_embed";
    case Entry::BlPlanarListEmbed: return "BL_PLANAR_list_embed";
    case Entry::Search: return "Kuratowski";
    case Entry::SimpleSearch: return "KURATOWSKI_SIMPLE";
  }
  return "";
}

inline void PrintTo(Entry e, std::ostream* os) { *os << entryName(e); }

// A deep case: one family given to one entry point.
class DeepCase : public testing::TestWithParam<std::tuple<DeepFamily, Entry>> {
 public:
  static std::string name(const testing::TestParamInfo<ParamType>& info) {
    return std::string(std::get<0>(info.param).name) + "_" + entryName(std::get<1>(info.param));
  }

 protected:
  Entry entry() const { return std::get<1>(GetParam()); }
  Pairs input() const { return std::get<0>(GetParam()).make(); }
};

// Node i of p becomes node at[i] of a graph on n nodes; the rest have no edge.
inline Pairs place(const Pairs& p, const std::vector<int>& at, int n) {
  Pairs q{n, {}};
  for (const Pair& e : p.edges) q.edges.emplace_back(at[static_cast<size_t>(e.first)], at[static_cast<size_t>(e.second)]);
  return q;
}

// g with its first edge replaced by body: the body's first node is joined to
// that edge's source and its last node to its target. With body_first the
// body's nodes are made before g's.
inline Pairs spliceInto(const Pairs& g, const Pairs& body, bool body_first) {
  int gb = body_first ? body.n : 0;
  int bb = body_first ? 0 : g.n;
  Pairs p{g.n + body.n, {}};
  for (size_t i = 1; i < g.edges.size(); i++) p.edges.emplace_back(gb + g.edges[i].first, gb + g.edges[i].second);
  for (const Pair& e : body.edges) p.edges.emplace_back(bb + e.first, bb + e.second);
  p.edges.emplace_back(gb + g.edges[0].first, bb);
  p.edges.emplace_back(bb + body.n - 1, gb + g.edges[0].second);
  return p;
}

inline Pairs tree(int n, Rng& rng) {
  Pairs p{n, {}};
  for (int v = 1; v < n; v++) p.edges.emplace_back(pick(rng, 0, v - 1), v);
  return p;
}

// A cycle with non-crossing chords: a triangulated polygon, some chords dropped.
inline Pairs outerplanar(int n, Rng& rng) {
  Pairs p{n, {}};
  for (int v = 0; v < n; v++) p.edges.emplace_back(v, (v + 1) % n);
  std::vector<Pair> todo{{0, n - 1}};
  while (!todo.empty()) {
    Pair r = todo.back();
    todo.pop_back();
    if (r.second - r.first < 2) continue;
    int m = pick(rng, r.first + 1, r.second - 1);
    if (m - r.first > 1 && pick(rng, 0, 2) > 0) p.edges.emplace_back(r.first, m);
    if (r.second - m > 1 && pick(rng, 0, 2) > 0) p.edges.emplace_back(m, r.second);
    todo.emplace_back(r.first, m);
    todo.emplace_back(m, r.second);
  }
  return p;
}

// A triangulation with random edges removed (often disconnected) and isolated
// nodes added.
inline Pairs randomPlanar(int n, Rng& rng) {
  Pairs t = triangulation(n, rng);
  Pairs p{n + pick(rng, 0, 2), {}};
  for (const Pair& e : t.edges)
    if (pick(rng, 0, 2) > 0) p.edges.push_back(e);
  return p;
}

inline Pairs complete(int n) {
  Pairs p{n, {}};
  for (int u = 0; u < n; u++)
    for (int v = u + 1; v < n; v++) p.edges.emplace_back(u, v);
  return p;
}

inline Pairs completeBipartite(int a, int b) {
  Pairs p{a + b, {}};
  for (int u = 0; u < a; u++)
    for (int v = 0; v < b; v++) p.edges.emplace_back(u, a + v);
  return p;
}

// Every edge replaced by a path of 0 to max_extra inner nodes.
inline Pairs subdivide(const Pairs& g, int max_extra, Rng& rng) {
  Pairs p{g.n, {}};
  for (const Pair& e : g.edges) {
    int prev = e.first;
    for (int k = pick(rng, 0, max_extra); k > 0; k--) {
      p.edges.emplace_back(prev, p.n);
      prev = p.n++;
    }
    p.edges.emplace_back(prev, e.second);
  }
  return p;
}

// More than 3n-6 distinct pairs: never planar.
inline Pairs dense(int n, Rng& rng) {
  std::set<Pair> edges;
  size_t m = static_cast<size_t>(3 * n - 6 + pick(rng, 1, n));
  m = std::min(m, static_cast<size_t>(n * (n - 1) / 2));
  while (edges.size() < m) {
    int u = pick(rng, 0, n - 1);
    int v = pick(rng, 0, n - 1);
    if (u != v) edges.insert(std::minmax(u, v));
  }
  return {n, std::vector<Pair>(edges.begin(), edges.end())};
}

// A triangulation is maximal planar: one more edge makes it non-planar.
inline Pairs triangulationPlusEdge(int n, Rng& rng) {
  Pairs p = triangulation(n, rng);
  std::set<Pair> have(p.edges.begin(), p.edges.end());
  for (;;) {
    int u = pick(rng, 0, n - 1);
    int v = pick(rng, 0, n - 1);
    if (u == v || have.count(std::minmax(u, v))) continue;
    p.edges.emplace_back(u, v);
    return p;
  }
}

// m distinct random pairs: planar or not.
inline Pairs randomGraph(int n, int m, Rng& rng) {
  std::set<Pair> edges;
  m = std::min(m, n * (n - 1) / 2);
  while (static_cast<int>(edges.size()) < m) {
    int u = pick(rng, 0, n - 1);
    int v = pick(rng, 0, n - 1);
    if (u != v) edges.insert(std::minmax(u, v));
  }
  return {n, std::vector<Pair>(edges.begin(), edges.end())};
}

// Random node names, edge order and directions, so that no family hands the
// algorithms its edges in construction order.
inline Pairs shuffled(const Pairs& g, Rng& rng) {
  std::vector<int> name(static_cast<size_t>(g.n));
  for (int i = 0; i < g.n; i++) name[static_cast<size_t>(i)] = i;
  std::shuffle(name.begin(), name.end(), rng);
  Pairs p{g.n, {}};
  for (const Pair& e : g.edges) {
    int u = name[static_cast<size_t>(e.first)];
    int v = name[static_cast<size_t>(e.second)];
    if (pick(rng, 0, 1)) std::swap(u, v);
    p.edges.emplace_back(u, v);
  }
  std::shuffle(p.edges.begin(), p.edges.end(), rng);
  return p;
}

// The nodes 0..n-1 in order, then one edge per pair (both directions when
// bidirected, the reversal right after its edge).
inline std::vector<graphlib::node> build(graphlib::graph& G, const Pairs& p, bool bidirected) {
  std::vector<graphlib::node> v;
  for (int i = 0; i < p.n; i++) v.push_back(G.new_node());
  for (const Pair& e : p.edges) {
    G.new_edge(v[static_cast<size_t>(e.first)], v[static_cast<size_t>(e.second)]);
    if (bidirected) G.new_edge(v[static_cast<size_t>(e.second)], v[static_cast<size_t>(e.first)]);
  }
  return v;
}


// Everything a test that must not change the graph compares: the edge list,
// every adjacency list, every edge's ends and reversal, as indices.
struct Snapshot {
  std::vector<int> edges;
  std::vector<std::vector<int>> adjacency;
  std::vector<std::array<int, 3>> ends;  // source, target, reversal (-1 for none)

  explicit Snapshot(const graphlib::graph& G) {
    for (graphlib::graph_object* x = G.e_list.head; x; x = x->succ) {
      graphlib::edge e = static_cast<graphlib::edge>(x);
      edges.push_back(e->index());
      ends.push_back({{e->source->index(), e->target->index(), e->rev ? e->rev->index() : -1}});
    }
    for (graphlib::graph_object* x = G.v_list.head; x; x = x->succ) {
      graphlib::node v = static_cast<graphlib::node>(x);
      for (int i = 0; i < 2; i++) {
        adjacency.emplace_back();
        for (graphlib::edge e = v->first_adj_edge[i]; e; e = e->succ_adj_edge[graphlib::link_pair(e, v, i)])
          adjacency.back().push_back(e->index());
      }
    }
  }
  bool operator==(const Snapshot& o) const { return edges == o.edges && adjacency == o.adjacency && ends == o.ends; }
};

// Every edge's ends, as indices: what an embedding may not change.
inline std::multiset<Pair> endsOf(const graphlib::graph& G) {
  std::multiset<Pair> ends;
  for (graphlib::graph_object* x = G.e_list.head; x; x = x->succ) {
    graphlib::edge e = static_cast<graphlib::edge>(x);
    ends.emplace(e->source->index(), e->target->index());
  }
  return ends;
}

// A planar map by the test's own face tracing: every edge paired, and
// Euler's formula giving genus 0 in every component.
inline std::string embeddingDefect(const graphlib::graph& G) {
  testing_support::TracedMap T = testing_support::traceMap(G);
  if (!T.defect.empty()) return T.defect;
  int genus = testing_support::tracedGenus(T);
  return genus == 0 ? "" : "the rotation has genus " + std::to_string(genus);
}

}  // namespace planar_families
