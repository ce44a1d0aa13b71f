#pragma once
// Families of biconnected graphs for the algorithm tests, built with a fixed
// seed: cycles, wheels and random ear decompositions (a cycle, then paths of
// new nodes between two distinct old ones, or single chords, which may be
// parallel edges). Self-loops may be sprinkled in; edge directions are random,
// and the node order is shuffled so that the first node is not special.
#include <algorithm>
#include <cstddef>
#include <random>
#include <utility>
#include <vector>

#include "graphlib/graph/graph.h"

namespace algorithms_test {

using graphlib::edge;
using graphlib::graph;
using graphlib::node;

// Nodes 0..n-1 and the edges between them, built into a graph by build().
struct EdgeListGraph {
  int n = 0;
  std::vector<std::pair<int, int>> edges;
};

inline EdgeListGraph cycleGraph(int n) {
  EdgeListGraph g;
  g.n = n;
  for (int i = 0; i < n; i++) g.edges.emplace_back(i, (i + 1) % n);
  return g;
}

// Hub 0 joined to every node of the rim 1..n-1.
inline EdgeListGraph wheelGraph(int n) {
  EdgeListGraph g;
  g.n = n;
  for (int i = 1; i < n; i++) {
    g.edges.emplace_back(0, i);
    g.edges.emplace_back(i, i + 1 < n ? i + 1 : 1);
  }
  return g;
}

// About n nodes: a random cycle of at least 3, then ears of random length
// (0 inner nodes = a chord) until n nodes are placed, then `chords` more chords.
inline EdgeListGraph earGraph(int n, int chords, std::mt19937& rng) {
  EdgeListGraph g;
  int first = std::min(n, 3 + static_cast<int>(rng() % 5));
  g = cycleGraph(first);
  auto pick = [&rng](int k) { return static_cast<int>(rng() % static_cast<unsigned>(k)); };
  auto twoDistinct = [&](int& a, int& b) {
    a = pick(g.n);
    b = pick(g.n - 1);
    if (b >= a) b++;
  };
  while (g.n < n) {
    int a, b;
    twoDistinct(a, b);
    int inner = std::min(n - g.n, 1 + pick(8));
    int prev = a;
    for (int k = 0; k < inner; k++) {
      g.edges.emplace_back(prev, g.n);
      prev = g.n++;
    }
    g.edges.emplace_back(prev, b);
  }
  for (int k = 0; k < chords; k++) {
    int a, b;
    twoDistinct(a, b);
    g.edges.emplace_back(a, b);
  }
  return g;
}

// Random directions, `loops` self-loops at random nodes, and shuffled edge
// and node orders (node i of g becomes nodes[i] of the result).
inline EdgeListGraph scramble(EdgeListGraph g, int loops, std::mt19937& rng) {
  for (auto& e : g.edges)
    if (rng() % 2) std::swap(e.first, e.second);
  for (int k = 0; k < loops; k++) {
    int v = static_cast<int>(rng() % static_cast<unsigned>(g.n));
    g.edges.emplace_back(v, v);
  }
  std::vector<int> perm(static_cast<std::size_t>(g.n));
  for (int i = 0; i < g.n; i++) perm[static_cast<std::size_t>(i)] = i;
  std::shuffle(perm.begin(), perm.end(), rng);
  for (auto& e : g.edges) {
    e.first = perm[static_cast<std::size_t>(e.first)];
    e.second = perm[static_cast<std::size_t>(e.second)];
  }
  std::shuffle(g.edges.begin(), g.edges.end(), rng);
  return g;
}

// Builds g into the empty graph G; the nodes by number and the edges in g's order.
inline std::pair<std::vector<node>, std::vector<edge>> build(graph& G, const EdgeListGraph& g) {
  std::vector<node> v;
  std::vector<edge> e;
  v.reserve(static_cast<std::size_t>(g.n));
  e.reserve(g.edges.size());
  for (int i = 0; i < g.n; i++) v.push_back(G.new_node());
  for (const auto& p : g.edges)
    e.push_back(G.new_edge(v[static_cast<std::size_t>(p.first)], v[static_cast<std::size_t>(p.second)]));
  return {v, e};
}

}  // namespace algorithms_test
