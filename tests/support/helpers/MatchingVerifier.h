#pragma once
// Independent check of a bipartite matching, on plain indices (no graph
// library): the matched edges exist and share no node, and the matching is
// maximum, proved by König's theorem. From the free nodes of side A, alternating
// paths (unmatched edges A to B, matched edges B to A) are followed; reaching a
// free node of B would be an augmenting path (not maximum, by Berge).
// Otherwise the unreached A nodes and the reached B nodes form a node cover of
// exactly |M| nodes, which is verified edge by edge.
//
// Also checks a cover that the algorithm under test returned: it must cover
// every edge and have exactly |M| nodes.
#include <cstddef>
#include <queue>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

struct BipartiteInstance {
  int nA = 0;
  int nB = 0;
  std::vector<std::pair<int, int> > edges;  // (node of A, node of B), each from 0
};

// Every possible edge present with probability p, drawn in the order (a, b)
// with a outer, from a fixed generator.
inline BipartiteInstance randomBipartite(int nA, int nB, double p, unsigned seed) {
  std::mt19937 engine(seed);
  BipartiteInstance g;
  g.nA = nA;
  g.nB = nB;
  for (int a = 0; a < nA; ++a)
    for (int b = 0; b < nB; ++b)
      if (engine() / 4294967296.0 < p) g.edges.emplace_back(a, b);
  return g;
}

// "" when `matched` (indices into g.edges) is a maximum matching of g, else
// what is wrong.
inline std::string matchingDefect(const BipartiteInstance& g, const std::vector<int>& matched) {
  std::vector<int> mateA(static_cast<std::size_t>(g.nA), -1), mateB(static_cast<std::size_t>(g.nB), -1);
  for (int k : matched) {
    if (k < 0 || k >= static_cast<int>(g.edges.size())) return "edge " + std::to_string(k) + " is not in the graph";
    const int a = g.edges[static_cast<std::size_t>(k)].first, b = g.edges[static_cast<std::size_t>(k)].second;
    if (mateA[static_cast<std::size_t>(a)] != -1) return "node a" + std::to_string(a) + " matched twice";
    if (mateB[static_cast<std::size_t>(b)] != -1) return "node b" + std::to_string(b) + " matched twice";
    mateA[static_cast<std::size_t>(a)] = b;
    mateB[static_cast<std::size_t>(b)] = a;
  }
  std::vector<std::vector<int> > adj(static_cast<std::size_t>(g.nA));
  for (const auto& e : g.edges) adj[static_cast<std::size_t>(e.first)].push_back(e.second);

  std::vector<bool> reachedA(static_cast<std::size_t>(g.nA), false), reachedB(static_cast<std::size_t>(g.nB), false);
  std::queue<int> q;
  for (int a = 0; a < g.nA; ++a)
    if (mateA[static_cast<std::size_t>(a)] == -1) {
      reachedA[static_cast<std::size_t>(a)] = true;
      q.push(a);
    }
  while (!q.empty()) {
    const int a = q.front();
    q.pop();
    for (int b : adj[static_cast<std::size_t>(a)]) {
      if (reachedB[static_cast<std::size_t>(b)]) continue;
      reachedB[static_cast<std::size_t>(b)] = true;
      const int next = mateB[static_cast<std::size_t>(b)];
      if (next == -1) return "augmenting path to b" + std::to_string(b) + ": the matching is not maximum";
      if (!reachedA[static_cast<std::size_t>(next)]) {
        reachedA[static_cast<std::size_t>(next)] = true;
        q.push(next);
      }
    }
  }
  std::size_t cover = 0;
  for (int a = 0; a < g.nA; ++a) cover += reachedA[static_cast<std::size_t>(a)] ? 0 : 1;
  for (int b = 0; b < g.nB; ++b) cover += reachedB[static_cast<std::size_t>(b)] ? 1 : 0;
  if (cover != matched.size()) return "König cover of " + std::to_string(cover) + " nodes for a matching of " +
                                      std::to_string(matched.size());
  for (const auto& e : g.edges)
    if (reachedA[static_cast<std::size_t>(e.first)] && !reachedB[static_cast<std::size_t>(e.second)])
      return "König cover misses an edge";
  return "";
}

// "" when the nodes flagged in coverA / coverB cover every edge and number
// exactly `matchingSize`.
inline std::string coverDefect(const BipartiteInstance& g, const std::vector<bool>& coverA,
                               const std::vector<bool>& coverB, std::size_t matchingSize) {
  std::size_t count = 0;
  for (bool c : coverA) count += c ? 1 : 0;
  for (bool c : coverB) count += c ? 1 : 0;
  if (count != matchingSize)
    return "cover of " + std::to_string(count) + " nodes for a matching of " + std::to_string(matchingSize);
  for (const auto& e : g.edges)
    if (!coverA[static_cast<std::size_t>(e.first)] && !coverB[static_cast<std::size_t>(e.second)])
      return "edge a" + std::to_string(e.first) + "-b" + std::to_string(e.second) + " is not covered";
  return "";
}

}  // namespace testing_support
