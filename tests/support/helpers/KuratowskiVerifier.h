#pragma once
// Header-only (test_helpers does not link the graph library): include it only in
// test binaries that link graphlib_graph.
//
// Independent check of a Kuratowski witness: the listed edges are visible edges
// of G, none is listed twice, no two join the same pair of nodes, none is a
// self-loop, and once every node of degree 2 is suppressed what remains is K5
// or K3,3 (no node of degree 1, no stray cycle, no path from a branch node to
// itself, no two paths between one pair of branch nodes). Returns "" for a
// witness, else the first thing found wrong.
#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "graphlib/base/list.h"
#include "graphlib/graph/graph.h"

namespace testing_support {

// The same check over plain node pairs (indices of any kind).
inline std::string kuratowskiPairsDefect(const std::vector<std::pair<int, int>>& edges) {
  if (edges.empty()) return "no edges";
  std::set<std::pair<int, int>> pairs;
  std::map<int, std::vector<int>> adj;  // node -> indices into edges
  for (size_t i = 0; i < edges.size(); i++) {
    int u = edges[i].first;
    int v = edges[i].second;
    if (u == v) return "self-loop at node " + std::to_string(u);
    if (!pairs.insert(std::minmax(u, v)).second)
      return "two edges join nodes " + std::to_string(u) + " and " + std::to_string(v);
    adj[u].push_back(static_cast<int>(i));
    adj[v].push_back(static_cast<int>(i));
  }
  std::vector<int> branch;
  for (const auto& a : adj) {
    size_t d = a.second.size();
    if (d == 1 || d > 4) return "node " + std::to_string(a.first) + " has degree " + std::to_string(d);
    if (d >= 3) branch.push_back(a.first);
  }
  auto other = [&](int i, int v) { return edges[static_cast<size_t>(i)].first == v ? edges[static_cast<size_t>(i)].second
                                                                                   : edges[static_cast<size_t>(i)].first; };
  std::vector<bool> used(edges.size(), false);
  std::set<std::pair<int, int>> contracted;
  std::map<int, int> degree;
  for (int b : branch) {
    for (int i : adj[b]) {
      if (used[static_cast<size_t>(i)]) continue;
      int cur = b;
      int e = i;
      for (;;) {
        used[static_cast<size_t>(e)] = true;
        cur = other(e, cur);
        if (adj[cur].size() != 2) break;
        const std::vector<int>& two = adj[cur];
        e = two[0] == e ? two[1] : two[0];
      }
      if (cur == b) return "a path leads from branch node " + std::to_string(b) + " back to itself";
      if (!contracted.insert(std::minmax(b, cur)).second)
        return "two paths join branch nodes " + std::to_string(b) + " and " + std::to_string(cur);
      degree[b]++;
      degree[cur]++;
    }
  }
  for (size_t i = 0; i < edges.size(); i++)
    if (!used[i]) return "a cycle without branch nodes";

  size_t nb = branch.size();
  if (nb == 5 && contracted.size() == 10) return "";
  if (nb == 6 && contracted.size() == 9) {
    // Three-regular on six nodes: K3,3 exactly when it is bipartite with
    // three nodes on each side.
    std::map<int, int> side;
    std::vector<int> todo{branch[0]};
    side[branch[0]] = 0;
    while (!todo.empty()) {
      int v = todo.back();
      todo.pop_back();
      for (const auto& p : contracted) {
        int w;
        if (p.first == v)
          w = p.second;
        else if (p.second == v)
          w = p.first;
        else
          continue;
        auto it = side.find(w);
        if (it == side.end()) {
          side[w] = 1 - side[v];
          todo.push_back(w);
        } else if (it->second == side[v]) {
          return "six branch nodes that do not form K3,3";
        }
      }
    }
    int ones = 0;
    for (const auto& s : side) ones += s.second;
    if (side.size() == 6 && ones == 3) return "";
    return "six branch nodes that do not form K3,3";
  }
  return std::to_string(nb) + " branch nodes joined by " + std::to_string(contracted.size()) +
         " paths: neither K5 nor K3,3";
}

inline std::string kuratowskiDefect(const graphlib::graph& G, const graphlib::list<graphlib::edge>& K) {
  std::set<const graphlib::edge_struct*> visible;
  for (graphlib::graph_object* x = G.e_list.head; x; x = x->succ)
    visible.insert(static_cast<graphlib::edge>(x));
  std::set<const graphlib::edge_struct*> seen;
  std::vector<std::pair<int, int>> pairs;
  for (graphlib::dlink* it = K.first(); it; it = it->succ) {
    graphlib::edge e = K.contents(it);
    if (!visible.count(e)) return "a listed edge is not a visible edge of the graph";
    if (!seen.insert(e).second) return "edge " + std::to_string(e->index()) + " is listed twice";
    pairs.emplace_back(e->source->index(), e->target->index());
  }
  return kuratowskiPairsDefect(pairs);
}

}  // namespace testing_support
