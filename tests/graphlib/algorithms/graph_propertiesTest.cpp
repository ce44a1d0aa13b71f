// Property tests, repairs and copies against brute force on small graphs:
// reachability with nodes removed, pair counting, Kahn's algorithm and
// two-colouring, all written here without the library's searches.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <queue>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "FaceTracing.h"
#include "GraphInvariants.h"
#include "PlanarFamilies.h"
#include "RecordingErrorHandler.h"
#include "graphlib/algorithms/biconnected.h"
#include "graphlib/algorithms/components.h"
#include "graphlib/algorithms/graph_properties.h"

namespace {

using graphlib::edge;
using graphlib::GRAPH;
using graphlib::graph;
using graphlib::node;
using testing_support::graphDefect;
using testing_support::GraphlibError;
using testing_support::RecordingErrorHandler;

template <class T>
std::vector<T> items(const graphlib::list<T>& L) {
  std::vector<T> out;
  for (graphlib::dlink* it = L.first(); it; it = it->succ) out.push_back(L.contents(it));
  return out;
}

std::vector<node> nodeList(const graph& G) {
  std::vector<node> out;
  for (graphlib::graph_object* x = G.v_list.head; x; x = x->succ) out.push_back(static_cast<node>(x));
  return out;
}

std::vector<edge> edgeList(const graph& G) {
  std::vector<edge> out;
  for (graphlib::graph_object* x = G.e_list.head; x; x = x->succ) out.push_back(static_cast<edge>(x));
  return out;
}

std::vector<node> addNodes(graph& G, int n) {
  std::vector<node> v;
  for (int i = 0; i < n; i++) v.push_back(G.new_node());
  return v;
}

std::vector<edge> addEdges(graph& G, const std::vector<node>& v, const std::vector<std::pair<int, int>>& pairs) {
  std::vector<edge> out;
  for (auto [a, b] : pairs) out.push_back(G.new_edge(v[static_cast<size_t>(a)], v[static_cast<size_t>(b)]));
  return out;
}

struct RandomShape {
  int n;
  int m;
  bool loops;
  bool parallel;
};

// A random graph with n nodes and up to m edges; without `parallel` no ordered
// pair repeats, without `loops` no self-loop.
void randomGraph(graph& G, std::mt19937& rng, const RandomShape& s) {
  auto v = addNodes(G, s.n);
  if (s.n == 0) return;
  std::uniform_int_distribution<int> pick(0, s.n - 1);
  std::set<std::pair<int, int>> used;
  for (int k = 0; k < s.m; k++) {
    int a = pick(rng), b = pick(rng);
    if (a == b && !s.loops) continue;
    if (!s.parallel && !used.insert({a, b}).second) continue;
    G.new_edge(v[static_cast<size_t>(a)], v[static_cast<size_t>(b)]);
  }
}

// ---- brute force ------------------------------------------------------------

// Nodes reachable from s, directions ignored, avoiding `removed`.
std::set<node> reach(const graph& G, node s, const std::set<node>& removed) {
  std::set<node> seen = {s};
  std::vector<node> todo = {s};
  std::vector<edge> E = edgeList(G);
  while (!todo.empty()) {
    node v = todo.back();
    todo.pop_back();
    for (edge e : E) {
      node w = e->source == v ? e->target : e->target == v ? e->source : nullptr;
      if (w && !removed.count(w) && seen.insert(w).second) todo.push_back(w);
    }
  }
  return seen;
}

bool connectedWithout(const graph& G, const std::set<node>& removed) {
  std::vector<node> rest;
  for (node v : nodeList(G))
    if (!removed.count(v)) rest.push_back(v);
  if (rest.empty()) return true;
  return reach(G, rest[0], removed).size() == rest.size();
}

bool bruteConnected(const graph& G) { return connectedWithout(G, {}); }

std::set<node> articulationPoints(const graph& G) {
  std::set<node> out;
  for (node v : nodeList(G))
    if (!connectedWithout(G, {v})) out.insert(v);
  return out;
}

bool bruteBiconnected(const graph& G) { return bruteConnected(G) && articulationPoints(G).empty(); }

bool isSeparationPair(const graph& G, node a, node b) { return a != b && !connectedWithout(G, {a, b}); }

bool bruteTriconnected(const graph& G) {
  if (!bruteBiconnected(G)) return false;
  std::vector<node> V = nodeList(G);
  for (size_t i = 0; i < V.size(); i++)
    for (size_t j = i + 1; j < V.size(); j++)
      if (isSeparationPair(G, V[i], V[j])) return false;
  return true;
}

std::map<std::pair<node, node>, int> pairCounts(const graph& G) {
  std::map<std::pair<node, node>, int> c;
  for (edge e : edgeList(G)) c[{e->source, e->target}]++;
  return c;
}

bool bruteSimple(const graph& G) {
  for (auto& [p, k] : pairCounts(G))
    if (k > 1) return false;
  return true;
}

bool bruteUndirectedSimple(const graph& G) {
  std::set<std::pair<node, node>> seen;
  for (edge e : edgeList(G)) {
    auto key = std::minmax(e->source, e->target);
    if (!seen.insert({key.first, key.second}).second) return false;
  }
  return true;
}

bool bruteLoopfree(const graph& G) {
  for (edge e : edgeList(G))
    if (e->source == e->target) return false;
  return true;
}

// Every ordered pair as often as its opposite; loops an even number of times.
bool bruteBidirected(const graph& G) {
  auto c = pairCounts(G);
  for (auto& [p, k] : c) {
    if (p.first == p.second) {
      if (k % 2 != 0) return false;
    } else {
      auto it = c.find({p.second, p.first});
      if (it == c.end() || it->second != k) return false;
    }
  }
  return true;
}

// Edges a bidirection must add: the surplus of every direction, plus one per odd loop count.
int bidirectionDeficit(const graph& G) {
  auto c = pairCounts(G);
  int total = 0;
  for (auto& [p, k] : c) {
    if (p.first == p.second) {
      total += k % 2;
    } else {
      auto it = c.find({p.second, p.first});
      int back = it == c.end() ? 0 : it->second;
      if (k > back) total += k - back;
    }
  }
  return total;
}

bool bruteAcyclic(const graph& G) {
  std::map<node, int> indeg;
  for (node v : nodeList(G)) indeg[v] = 0;
  std::vector<edge> E = edgeList(G);
  for (edge e : E) indeg[e->target]++;
  std::vector<node> ready;
  for (auto& [v, d] : indeg)
    if (d == 0) ready.push_back(v);
  size_t done = 0;
  while (!ready.empty()) {
    node v = ready.back();
    ready.pop_back();
    done++;
    for (edge e : E)
      if (e->source == v && --indeg[e->target] == 0) ready.push_back(e->target);
  }
  return done == indeg.size();
}

bool directedPath(const graph& G, node from, node to) {
  std::set<node> seen = {from};
  std::vector<node> todo = {from};
  while (!todo.empty()) {
    node v = todo.back();
    todo.pop_back();
    if (v == to) return true;
    for (edge e : edgeList(G))
      if (e->source == v && seen.insert(e->target).second) todo.push_back(e->target);
  }
  return false;
}

bool bruteBipartite(const graph& G) {
  std::map<node, int> colour;
  for (node s : nodeList(G)) {
    if (colour.count(s)) continue;
    colour[s] = 0;
    std::queue<node> q;
    q.push(s);
    while (!q.empty()) {
      node v = q.front();
      q.pop();
      for (edge e : edgeList(G)) {
        if (e->source != v && e->target != v) continue;
        node w = e->source == v ? e->target : e->source;
        if (!colour.count(w)) {
          colour[w] = 1 - colour[v];
          q.push(w);
        } else if (colour[w] == colour[v]) {
          return false;
        }
      }
    }
  }
  return true;
}

int bruteComponents(const graph& G) {
  std::set<node> seen;
  int c = 0;
  for (node v : nodeList(G)) {
    if (seen.count(v)) continue;
    c++;
    for (node w : reach(G, v, {})) seen.insert(w);
  }
  return c;
}

// The table of random shapes the properties are checked over (fixed seed per row).
const RandomShape kShapes[] = {
    {0, 0, true, true},    {1, 2, true, true},    {2, 1, false, false},  {3, 3, false, false},  {4, 6, true, true},
    {5, 7, false, false},  {5, 12, false, false}, {6, 9, true, true},    {6, 14, false, false}, {7, 10, false, true},
    {7, 20, false, false}, {8, 12, true, true},   {8, 24, false, false}, {4, 10, false, false},
};

// ---- tests against brute force ------------------------------------------------

TEST(GraphProperties, TestsAgreeWithBruteForceOnRandomGraphs) {
  for (size_t row = 0; row < std::size(kShapes); row++) {
    std::mt19937 rng(static_cast<unsigned>(1000 + row));
    for (int trial = 0; trial < 12; trial++) {
      graph G;
      randomGraph(G, rng, kShapes[row]);
      SCOPED_TRACE("row " + std::to_string(row) + " trial " + std::to_string(trial));
      EXPECT_EQ(graphlib::Is_Simple(G), bruteSimple(G));
      EXPECT_EQ(graphlib::Is_Undirected_Simple(G), bruteUndirectedSimple(G));
      EXPECT_EQ(graphlib::Is_Loopfree(G), bruteLoopfree(G));
      EXPECT_EQ(graphlib::Is_Simple_Loopfree(G), bruteSimple(G) && bruteLoopfree(G));
      EXPECT_EQ(graphlib::Is_Connected(G), bruteConnected(G));
      EXPECT_EQ(graphlib::Is_Acyclic(G), bruteAcyclic(G));
      EXPECT_EQ(graphlib::Is_Bipartite(G), bruteBipartite(G));

      graphlib::edge_array<edge> rev(G, nullptr);
      bool bidirected = graphlib::Is_Bidirected(G, rev);
      EXPECT_EQ(bidirected, bruteBidirected(G));
      EXPECT_EQ(G.is_bidirected(), bidirected);
      // The pairing itself: mutual, opposite, never an edge with itself.
      int unpaired = 0;
      for (edge e : edgeList(G)) {
        edge r = rev[e];
        if (r == nullptr) {
          unpaired++;
          continue;
        }
        EXPECT_NE(r, e);
        EXPECT_EQ(rev[r], e);
        EXPECT_EQ(r->source, e->target);
        EXPECT_EQ(r->target, e->source);
      }
      EXPECT_EQ(unpaired, bidirectionDeficit(G));

      node s = reinterpret_cast<node>(&G);  // must be overwritten unless G is empty
      bool bicon = graphlib::Is_Biconnected(G, s);
      EXPECT_EQ(bicon, bruteBiconnected(G));
      if (G.number_of_nodes() == 0) {
        EXPECT_EQ(s, reinterpret_cast<node>(&G));
      } else if (!bruteConnected(G)) {
        EXPECT_EQ(s, nullptr);
      } else if (bicon) {
        EXPECT_EQ(s, nullptr);
      } else {
        EXPECT_TRUE(articulationPoints(G).count(s)) << "s is no articulation point";
      }

      node s1 = nullptr, s2 = nullptr;
      bool tricon = graphlib::Is_Triconnected(G, s1, s2);
      bool expected = G.number_of_nodes() <= 3 ? bruteBiconnected(G) : bruteTriconnected(G);
      EXPECT_EQ(tricon, expected);
      if (!tricon && bruteBiconnected(G)) {
        EXPECT_TRUE(isSeparationPair(G, s1, s2)) << "s1, s2 is no separation pair";
      } else if (!tricon) {
        EXPECT_EQ(s2, s1);
      } else if (G.number_of_nodes() > 3) {
        EXPECT_EQ(s1, nullptr);
      }
      EXPECT_EQ(graphDefect(G), "");
    }
  }
}

// Is_Simple's list: every edge, ordered by (target, source) positions in the
// node list, edge-list order inside a group.
TEST(GraphProperties, IsSimpleSortsAllEdgesByTargetThenSourcePosition) {
  std::mt19937 rng(77);
  for (int trial = 0; trial < 20; trial++) {
    graph G;
    randomGraph(G, rng, {6, 14, true, true});
    // Node positions differ from indices once the node list is reordered.
    std::vector<node> V = nodeList(G);
    std::shuffle(V.begin(), V.end(), rng);
    graphlib::list<node> order;
    for (node v : V) order.append(v);
    G.sort_nodes(order);
    std::map<node, int> pos;
    for (node v : nodeList(G)) pos[v] = static_cast<int>(pos.size());
    std::vector<edge> expected = edgeList(G);
    std::stable_sort(expected.begin(), expected.end(), [&](edge a, edge b) {
      return std::make_pair(pos[a->target], pos[a->source]) < std::make_pair(pos[b->target], pos[b->source]);
    });
    graphlib::list<edge> L;
    L.append(nullptr);  // replaced, not appended to
    bool simple = graphlib::Is_Simple(G, L);
    EXPECT_EQ(items(L), expected);
    EXPECT_EQ(simple, bruteSimple(G));
  }
  graph E;
  graphlib::list<edge> L;
  EXPECT_TRUE(graphlib::Is_Simple(E, L));
  EXPECT_TRUE(L.empty());
}

TEST(GraphProperties, TriconnectedKnownGraphs) {
  struct Case {
    const char* name;
    int n;
    std::vector<std::pair<int, int>> edges;
    bool tricon;
  };
  const std::vector<Case> cases = {
      {"K4", 4, {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}}, true},
      {"wheel of 5", 5, {{0, 1}, {0, 2}, {0, 3}, {0, 4}, {1, 2}, {2, 3}, {3, 4}, {4, 1}}, true},
      {"prism", 6, {{0, 1}, {1, 2}, {2, 0}, {3, 4}, {4, 5}, {5, 3}, {0, 3}, {1, 4}, {2, 5}}, true},
      {"K3,3", 6, {{0, 3}, {0, 4}, {0, 5}, {1, 3}, {1, 4}, {1, 5}, {2, 3}, {2, 4}, {2, 5}}, true},
      {"K4 minus an edge", 4, {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}}, false},
      {"two triangles on an edge", 4, {{0, 1}, {1, 2}, {2, 0}, {1, 3}, {3, 2}}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    graph G;
    auto v = addNodes(G, c.n);
    addEdges(G, v, c.edges);
    node s1 = nullptr, s2 = nullptr;
    EXPECT_EQ(graphlib::Is_Triconnected(G, s1, s2), c.tricon);
    EXPECT_EQ(bruteTriconnected(G), c.tricon);
    if (!c.tricon) {
      EXPECT_TRUE(isSeparationPair(G, s1, s2));
    }
  }
}

// ---- the documented examples ----------------------------------------------------

TEST(GraphProperties, BiconnectivityExamples) {
  graph G;
  auto v = addNodes(G, 2);
  G.new_edge(v[0], v[1]);
  EXPECT_TRUE(graphlib::Is_Biconnected(G));

  graph P;
  auto p = addNodes(P, 3);
  P.new_edge(p[0], p[1]);
  P.new_edge(p[1], p[2]);
  node s = nullptr;
  EXPECT_FALSE(graphlib::Is_Biconnected(P, s));
  EXPECT_EQ(s, p[1]);

  graph C;
  auto c = addNodes(C, 4);
  addEdges(C, c, {{0, 1}, {1, 2}, {2, 3}, {3, 0}});
  node s1 = nullptr, s2 = nullptr;
  EXPECT_FALSE(graphlib::Is_Triconnected(C, s1, s2));
  EXPECT_EQ(s1, c[0]);
  EXPECT_EQ(s2, c[2]);
}

TEST(GraphProperties, SmallExamplesOfTheRepairs) {
  {
    graph G;  // a -> b, b -> c gets exactly c -> a
    auto v = addNodes(G, 3);
    addEdges(G, v, {{0, 1}, {1, 2}});
    std::vector<edge> added = items(graphlib::Make_Biconnected(G));
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0]->source, v[2]);
    EXPECT_EQ(added[0]->target, v[0]);
  }
  {
    graph G;  // three isolated nodes: two edges, both leaving the first
    auto v = addNodes(G, 3);
    std::vector<edge> added = items(graphlib::Make_Connected(G));
    ASSERT_EQ(added.size(), 2u);
    EXPECT_EQ(added[0]->source, v[0]);
    EXPECT_EQ(added[1]->source, v[0]);
    EXPECT_EQ(std::set<node>({added[0]->target, added[1]->target}), std::set<node>({v[1], v[2]}));
  }
  {
    graph G;  // u->v, v->u, u->v: not bidirected; one v->u is appended
    auto v = addNodes(G, 2);
    addEdges(G, v, {{0, 1}, {1, 0}, {0, 1}});
    graphlib::edge_array<edge> rev(G, nullptr);
    EXPECT_FALSE(graphlib::Is_Bidirected(G, rev));
    graphlib::list<edge> R;
    graphlib::Make_Bidirected(G, R);
    std::vector<edge> added = items(R);
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0]->source, v[1]);
    EXPECT_EQ(added[0]->target, v[0]);
    EXPECT_TRUE(graphlib::Is_Bidirected(G, rev));
  }
  {
    graph G;  // three parallel u->v: the first stays and is reported
    auto v = addNodes(G, 2);
    auto e = addEdges(G, v, {{0, 1}, {0, 1}, {0, 1}});
    std::vector<edge> kept = items(graphlib::Make_Simple(G));
    EXPECT_EQ(kept, std::vector<edge>({e[0]}));
    EXPECT_EQ(edgeList(G), std::vector<edge>({e[0]}));
  }
  {
    graph G;  // two loops at a node: the node twice, both loops gone
    auto v = addNodes(G, 2);
    auto e = addEdges(G, v, {{1, 1}, {0, 1}, {1, 1}});
    std::vector<node> at = items(graphlib::Delete_Loops(G));
    EXPECT_EQ(at, std::vector<node>({v[1], v[1]}));
    EXPECT_EQ(edgeList(G), std::vector<edge>({e[1]}));
  }
  {
    graph G;  // a single loop is a cycle; a path is not
    auto v = addNodes(G, 3);
    auto e = addEdges(G, v, {{0, 0}});
    graphlib::list<edge> L;
    EXPECT_FALSE(graphlib::Is_Acyclic(G, L));
    EXPECT_EQ(items(L), std::vector<edge>({e[0]}));
    graph P;
    auto p = addNodes(P, 3);
    addEdges(P, p, {{0, 1}, {1, 2}});
    EXPECT_TRUE(graphlib::Is_Acyclic(P, L));
    EXPECT_TRUE(L.empty());
  }
}

// An undirected graph whose only duplicate is u-v stored as (u,v) and (v,u)
// loses one of them (the earlier); a directed graph keeps both.
TEST(GraphProperties, MakeSimpleOnAnUndirectedGraphRemovesOppositeDuplicates) {
  graph U;
  U.make_undirected();
  auto u = addNodes(U, 3);
  auto e = addEdges(U, u, {{0, 1}, {1, 2}, {1, 0}});
  std::vector<edge> R = items(graphlib::Make_Simple(U));
  EXPECT_EQ(R, std::vector<edge>({e[2]}));
  EXPECT_EQ(edgeList(U), std::vector<edge>({e[1], e[2]}));
  EXPECT_EQ(graphDefect(U), "");

  graph D;
  auto d = addNodes(D, 3);
  auto f = addEdges(D, d, {{0, 1}, {1, 2}, {1, 0}});
  EXPECT_TRUE(graphlib::Make_Simple(D).empty());
  EXPECT_EQ(edgeList(D), f);
}

// ---- repairs on random graphs ----------------------------------------------------

// Every edge of `before` that is still there, in order, and nothing else new.
bool onlyDeleted(const std::vector<edge>& before, const std::vector<edge>& after) {
  std::vector<edge> kept;
  std::set<edge> now(after.begin(), after.end());
  for (edge e : before)
    if (now.count(e)) kept.push_back(e);
  return kept == after;
}

// `before` is a prefix of `after`: edges were only appended.
bool onlyAdded(const std::vector<edge>& before, const std::vector<edge>& after) {
  return after.size() >= before.size() && std::equal(before.begin(), before.end(), after.begin());
}

TEST(GraphProperties, RepairsReachTheirPropertyAndChangeOnlyWhatTheyMust) {
  for (size_t row = 0; row < std::size(kShapes); row++) {
    std::mt19937 rng(static_cast<unsigned>(2000 + row));
    for (int trial = 0; trial < 10; trial++) {
      SCOPED_TRACE("row " + std::to_string(row) + " trial " + std::to_string(trial));
      graph G;
      randomGraph(G, rng, kShapes[row]);
      std::vector<edge> E0 = edgeList(G);

      {  // Delete_Loops: exactly the loops go, their nodes listed in edge-list order.
        graph H;
        graphlib::CopyGraph(H, G);
        std::vector<edge> before = edgeList(H);
        std::vector<node> expectedNodes;
        std::vector<edge> expectedEdges;
        for (edge e : before) {
          if (e->source == e->target)
            expectedNodes.push_back(e->source);
          else
            expectedEdges.push_back(e);
        }
        EXPECT_EQ(items(graphlib::Delete_Loops(H)), expectedNodes);
        EXPECT_EQ(edgeList(H), expectedEdges);
      }
      {  // Make_Simple: the first edge of each ordered pair stays, the rest go.
        graph H;
        graphlib::CopyGraph(H, G);
        std::vector<edge> before = edgeList(H);
        std::set<std::pair<node, node>> seen;
        std::map<std::pair<node, node>, edge> first;
        std::vector<edge> expectedEdges;
        std::set<edge> duplicated;
        for (edge e : before) {
          auto key = std::make_pair(e->source, e->target);
          if (seen.insert(key).second) {
            first[key] = e;
            expectedEdges.push_back(e);
          } else {
            duplicated.insert(first[key]);
          }
        }
        // The kept edges of the groups that lost edges, by (target, source) position.
        std::map<node, int> pos;
        for (node x : nodeList(H)) pos[x] = static_cast<int>(pos.size());
        std::vector<edge> expectedR(duplicated.begin(), duplicated.end());
        std::sort(expectedR.begin(), expectedR.end(), [&](edge a, edge b) {
          return std::make_pair(pos[a->target], pos[a->source]) < std::make_pair(pos[b->target], pos[b->source]);
        });
        std::vector<edge> R = items(graphlib::Make_Simple(H));
        EXPECT_EQ(edgeList(H), expectedEdges);
        EXPECT_EQ(R, expectedR);
        EXPECT_TRUE(bruteSimple(H));
      }
      {  // Make_Bidirected: appends exactly the missing opposite edges.
        graph H;
        graphlib::CopyGraph(H, G);
        std::vector<edge> before = edgeList(H);
        int deficit = bidirectionDeficit(H);
        graphlib::list<edge> R;
        R.append(nullptr);
        graphlib::Make_Bidirected(H, R);
        std::vector<edge> after = edgeList(H);
        EXPECT_TRUE(onlyAdded(before, after));
        EXPECT_EQ(static_cast<int>(after.size() - before.size()), deficit);
        EXPECT_EQ(R.length(), deficit + 1);
        EXPECT_TRUE(bruteBidirected(H));
      }
      {  // Make_Acyclic: deletes only back edges, each of which closes a cycle again.
        graph H;
        graphlib::CopyGraph(H, G);
        std::vector<edge> before = edgeList(H);
        std::vector<std::pair<node, node>> ends;
        for (edge e : before) ends.push_back({e->source, e->target});
        graphlib::Make_Acyclic(H);
        std::vector<edge> after = edgeList(H);
        EXPECT_TRUE(onlyDeleted(before, after));
        EXPECT_TRUE(bruteAcyclic(H));
        std::set<edge> now(after.begin(), after.end());
        for (size_t i = 0; i < before.size(); i++)
          if (!now.count(before[i])) {
            EXPECT_TRUE(directedPath(H, ends[i].second, ends[i].first)) << "deleted an edge that closed no cycle";
          }
      }
      {  // Make_Connected: c - 1 new edges from one node.
        graph H;
        graphlib::CopyGraph(H, G);
        std::vector<edge> before = edgeList(H);
        int c = bruteComponents(H);
        std::vector<edge> added = items(graphlib::Make_Connected(H));
        EXPECT_TRUE(onlyAdded(before, edgeList(H)));
        EXPECT_EQ(static_cast<int>(added.size()), c > 0 ? c - 1 : 0);
        for (edge e : added) EXPECT_EQ(e->source, added[0]->source);
        EXPECT_TRUE(bruteConnected(H));
      }
      {  // Make_Biconnected: only adds, and the result is biconnected.
        graph H;
        graphlib::CopyGraph(H, G);
        std::vector<edge> before = edgeList(H);
        graphlib::list<edge> L;
        graphlib::Make_Biconnected(H, L);
        std::vector<edge> after = edgeList(H);
        EXPECT_TRUE(onlyAdded(before, after));
        EXPECT_EQ(static_cast<size_t>(L.length()), after.size() - before.size());
        EXPECT_TRUE(bruteBiconnected(H));
        EXPECT_TRUE(graphlib::Is_Biconnected(H));
        EXPECT_EQ(graphDefect(H), "");
      }
      {  // Make_Simple on an undirected copy: no pair joined twice, no pair lost.
        graph U;
        U.make_undirected();
        auto v = addNodes(U, G.number_of_nodes());
        std::map<node, size_t> pos;
        for (node x : nodeList(G)) pos[x] = pos.size();
        std::set<std::pair<size_t, size_t>> pairs;
        for (edge e : E0) {
          if (e->source == e->target) continue;
          U.new_edge(v[pos[e->source]], v[pos[e->target]]);
          pairs.insert(std::minmax(pos[e->source], pos[e->target]));
        }
        std::vector<edge> before = edgeList(U);
        graphlib::Make_Simple(U);
        EXPECT_TRUE(onlyDeleted(before, edgeList(U)));
        EXPECT_TRUE(bruteUndirectedSimple(U));
        EXPECT_TRUE(graphlib::Is_Undirected_Simple(U));
        EXPECT_EQ(static_cast<size_t>(U.number_of_edges()), pairs.size());
        EXPECT_EQ(graphDefect(U), "");
      }
    }
  }
}

// ---- copies ---------------------------------------------------------------------

TEST(CopyGraph, CopiesNodesAndOutListsInOrderWithBackPointers) {
  std::mt19937 rng(5);
  graph G;
  randomGraph(G, rng, {6, 15, true, true});
  GRAPH<node, edge> H;
  H.new_node(nullptr);  // cleared first
  graphlib::CopyGraph(H, G);
  std::vector<node> GV = nodeList(G), HV = nodeList(H);
  ASSERT_EQ(HV.size(), GV.size());
  std::map<node, node> copyOf;
  for (size_t i = 0; i < GV.size(); i++) {
    EXPECT_EQ(H.inf(HV[i]), GV[i]);
    copyOf[GV[i]] = HV[i];
  }
  EXPECT_EQ(H.number_of_edges(), G.number_of_edges());
  for (node v : GV) {
    std::vector<edge> out = items(G.out_edges(v));
    std::vector<edge> hout = items(H.out_edges(copyOf[v]));
    ASSERT_EQ(hout.size(), out.size());
    for (size_t i = 0; i < out.size(); i++) {
      EXPECT_EQ(H.inf(hout[i]), out[i]);
      EXPECT_EQ(hout[i]->target, copyOf[out[i]->target]);
    }
  }
  graph P;
  graphlib::CopyGraph(P, G);
  EXPECT_EQ(P.number_of_nodes(), G.number_of_nodes());
  EXPECT_EQ(P.number_of_edges(), G.number_of_edges());
  EXPECT_EQ(graphDefect(H), "");
}

TEST(CopyGraph, AnUndirectedGraphIsCopiedWithEachEdgeOnce) {
  graph U;
  U.make_undirected();
  auto u = addNodes(U, 3);
  addEdges(U, u, {{0, 1}, {2, 1}, {0, 2}});
  GRAPH<node, edge> H;
  graphlib::CopyGraph(H, U);
  std::multiset<std::pair<node, node>> copied, original;
  for (edge e : edgeList(H)) copied.insert({H.inf(e->source), H.inf(e->target)});
  for (edge e : edgeList(U)) original.insert({e->source, e->target});
  EXPECT_EQ(copied, original);
}

TEST(CopyGraph, PartialCopies) {
  graph G;
  auto v = addNodes(G, 4);
  auto e = addEdges(G, v, {{0, 1}, {1, 2}, {2, 3}, {3, 0}});
  {
    graphlib::list<edge> E;
    E.append(e[2]);
    E.append(e[0]);
    GRAPH<node, edge> H;
    graphlib::CopyGraph(H, G, E);
    std::vector<node> HV = nodeList(H);
    ASSERT_EQ(HV.size(), 4u);
    std::vector<node> infos;
    for (node x : HV) infos.push_back(H.inf(x));
    EXPECT_EQ(infos, std::vector<node>({v[2], v[3], v[0], v[1]}));
    std::vector<edge> HE = edgeList(H);
    ASSERT_EQ(HE.size(), 2u);
    EXPECT_EQ(H.inf(HE[0]), e[2]);
    EXPECT_EQ(H.inf(HE[0]->source), v[2]);
    EXPECT_EQ(H.inf(HE[1]), e[0]);
  }
  {
    graphlib::list<node> V;
    V.append(v[1]);
    V.append(v[2]);
    graphlib::list<edge> E;
    E.append(e[1]);
    GRAPH<node, edge> H;
    graphlib::CopyGraph(H, G, V, E);
    EXPECT_EQ(H.number_of_nodes(), 2);
    ASSERT_EQ(H.number_of_edges(), 1);
    edge c = static_cast<edge>(H.e_list.head);
    EXPECT_EQ(H.inf(c), e[1]);
    EXPECT_EQ(H.inf(c->source), v[1]);
    EXPECT_EQ(H.inf(c->target), v[2]);

    E.append(e[2]);  // ends at v[3], which is not copied
    E.append(e[1]);
    RecordingErrorHandler handler(RecordingErrorHandler::Mode::Return);
    graphlib::CopyGraph(H, G, V, E);
    EXPECT_EQ(handler.errors(), std::vector<GraphlibError>({{1, "CopyGraph(H,G,V,E): E must be a subset of VxV."}}));
    EXPECT_EQ(H.number_of_edges(), 1);  // stopped at the error
  }
}

// ---- maps and genus -------------------------------------------------------------

TEST(Genus, ExamplesAndTheErrorForANonMap) {
  graph T;
  auto v = addNodes(T, 3);
  for (auto [a, b] : std::vector<std::pair<int, int>>{{0, 1}, {1, 2}, {2, 0}}) {
    edge x = T.new_edge(v[static_cast<size_t>(a)], v[static_cast<size_t>(b)]);
    edge y = T.new_edge(v[static_cast<size_t>(b)], v[static_cast<size_t>(a)]);
    T.set_reversal(x, y);
  }
  EXPECT_EQ(graphlib::Genus(T), 0);
  EXPECT_TRUE(graphlib::Is_Planar_Map(T));
  EXPECT_TRUE(graphlib::Is_Plane_Map(T));
  graph E;
  EXPECT_EQ(graphlib::Genus(E), 0);

  graph N;
  auto n = addNodes(N, 2);
  N.new_edge(n[0], n[1]);
  RecordingErrorHandler handler(RecordingErrorHandler::Mode::Return);
  EXPECT_EQ(graphlib::Genus(N), 0);
  EXPECT_EQ(handler.errors(), std::vector<GraphlibError>({{1, "Genus only applies to maps"}}));
  EXPECT_FALSE(graphlib::Is_Map(N));
  EXPECT_FALSE(graphlib::Is_Planar_Map(N));
  EXPECT_FALSE(N.is_map());
  EXPECT_EQ(handler.size(), 1u);  // the planar-map tests ask Genus only of maps
}

// ---- the searches against their plain recursive form ----------------------------

// The searches written the plain recursive way, one call per reached node, run
// here only on small graphs: the library must give the same numbers, lists,
// articulation point and new edges.
namespace recursive {

edge nextIn(edge e, node v, int i) { return e->succ_adj_edge[graphlib::link_pair(e, v, i)]; }
node otherEnd(edge e, node v) { return e->source == v ? e->target : e->source; }
int degree(node v) { return v->adj_length[0] + v->adj_length[1]; }

void number(node v, int& d, int& c, std::map<node, int>& dfsnum, std::map<node, int>& compnum) {
  dfsnum[v] = ++d;
  for (edge e = v->first_adj_edge[0]; e; e = nextIn(e, v, 0))
    if (dfsnum[e->target] == 0) number(e->target, d, c, dfsnum, compnum);
  compnum[v] = ++c;
}

std::vector<edge> backEdges(const graph& G) {
  std::map<node, int> dfsnum, compnum;
  int d = 0, c = 0;
  for (node v : nodeList(G))
    if (dfsnum[v] == 0) number(v, d, c, dfsnum, compnum);
  std::vector<edge> L;
  for (edge e : edgeList(G)) {
    node v = e->source, w = e->target;
    if (v == w || (dfsnum[v] > dfsnum[w] && compnum[v] < compnum[w])) L.push_back(e);
  }
  return L;
}

void reach(node v, std::set<node>& reached, node& best) {
  reached.insert(v);
  if (degree(v) < degree(best)) best = v;
  for (int i = 0; i < 2; i++)
    for (edge e = v->first_adj_edge[i]; e; e = nextIn(e, v, i))
      if (!reached.count(otherEnd(e, v))) reach(otherEnd(e, v), reached, best);
}

bool connected(const graph& G) {
  std::vector<node> V = nodeList(G);
  if (V.empty()) return true;
  std::set<node> reached;
  node best = V[0];
  reach(V[0], reached, best);
  return reached.size() == V.size();
}

std::vector<edge> joinComponents(graph& G) {
  std::set<node> reached;
  node u = nullptr;
  std::vector<edge> L;
  for (node v : nodeList(G)) {
    if (reached.count(v)) continue;
    node best = v;
    reach(v, reached, best);
    if (u == nullptr)
      u = best;
    else
      L.push_back(G.new_edge(u, best));
  }
  return L;
}

struct Search {
  std::map<node, int> dfsnum, lowpt;
  std::map<node, node> parent;
  int count = 0;
  bool seen(node v) const { return dfsnum.count(v) > 0; }
};

// Is_Biconnected's search when repair is nil: the first articulation point
// met on the way back. Make_Biconnected's when it is the graph the closing
// edges go into (and L), returning nil.
node lowpoint(node v, Search& S, graph* repair, std::vector<edge>& L) {
  S.dfsnum[v] = S.lowpt[v] = S.count++;
  node first_son = nullptr;
  for (int i = 0; i < 2; i++)
    for (edge e = v->first_adj_edge[i]; e; e = nextIn(e, v, i)) {
      node w = otherEnd(e, v);
      if (w == v) continue;
      if (first_son == nullptr && (repair || !S.seen(w))) first_son = w;
      if (S.seen(w)) {
        S.lowpt[v] = std::min(S.lowpt[v], S.dfsnum[w]);
        continue;
      }
      S.parent[w] = v;
      if (node s = lowpoint(w, S, repair, L)) return s;
      if (S.lowpt[w] == S.dfsnum[v]) {
        if (!repair && (w != first_son || S.parent[v] != nullptr)) return v;
        if (repair && w == first_son && S.parent[v] != nullptr) L.push_back(repair->new_edge(w, S.parent[v]));
        if (repair && w != first_son) L.push_back(repair->new_edge(first_son, w));
      }
      S.lowpt[v] = std::min(S.lowpt[v], S.lowpt[w]);
    }
  return nullptr;
}

// Is_Biconnected's answer as (result, s); s stays `unset` for an empty graph.
std::pair<bool, node> biconnected(const graph& G, node unset) {
  std::vector<node> V = nodeList(G);
  if (V.empty()) return {true, unset};
  if (!connected(G)) return {false, nullptr};
  Search S;
  S.parent[V[0]] = nullptr;
  std::vector<edge> none;
  node s = lowpoint(V[0], S, nullptr, none);
  return {s == nullptr, s};
}

std::vector<edge> makeBiconnected(graph& G) {
  std::vector<node> V = nodeList(G);
  if (V.empty()) return {};
  std::vector<edge> L = joinComponents(G);
  Search S;
  S.parent[V[0]] = nullptr;
  lowpoint(V[0], S, &G, L);
  return L;
}

}  // namespace recursive

std::vector<std::pair<int, int>> endIndices(const std::vector<edge>& L) {
  std::vector<std::pair<int, int>> out;
  for (edge e : L) out.emplace_back(e ? e->source->index() : -1, e ? e->target->index() : -1);
  return out;
}

std::vector<int> edgeIndices(const std::vector<edge>& L) {
  std::vector<int> out;
  for (edge e : L) out.push_back(e->index());
  return out;
}

int nodeIndex(node v) { return v ? v->index() : -1; }

// Directed and undirected random graphs, sparse ones (trees and forests, where
// the biconnecting repair adds many edges) and dense ones with loops and
// parallel edges; each graph is built twice from one seed, once for the
// library and once for the reference.
TEST(GraphProperties, SearchesGiveTheResultsOfTheirRecursiveForm) {
  const RandomShape shapes[] = {
      {1, 1, true, true},    {2, 1, false, false}, {5, 4, false, false},   {9, 8, false, false},   {12, 11, true, true},
      {14, 16, false, true}, {16, 40, true, true}, {20, 19, false, false}, {24, 30, false, false}, {30, 35, true, true},
  };
  for (bool undirected : {false, true})
    for (size_t row = 0; row < std::size(shapes); row++)
      for (int trial = 0; trial < 25; trial++) {
        SCOPED_TRACE((undirected ? "undirected row " : "row ") + std::to_string(row) + " trial " +
                     std::to_string(trial));
        unsigned seed = static_cast<unsigned>(3000 + 100 * row + trial);
        graph G, R;
        if (undirected) {
          G.make_undirected();
          R.make_undirected();
        }
        RandomShape shape = shapes[row];
        shape.loops = shape.loops && !undirected;  // an undirected graph has none
        std::mt19937 r1(seed), r2(seed);
        randomGraph(G, r1, shape);
        randomGraph(R, r2, shape);

        graphlib::list<edge> L;
        graphlib::Is_Acyclic(G, L);
        EXPECT_EQ(edgeIndices(items(L)), edgeIndices(recursive::backEdges(R)));
        EXPECT_EQ(graphlib::Is_Connected(G), recursive::connected(R));
        node s = reinterpret_cast<node>(&G);
        bool bicon = graphlib::Is_Biconnected(G, s);
        auto expected = recursive::biconnected(R, reinterpret_cast<node>(&G));
        EXPECT_EQ(bicon, expected.first);
        if (G.number_of_nodes() > 0) {
          EXPECT_EQ(nodeIndex(s), nodeIndex(expected.second));
        }

        graph G2, R2;
        if (undirected) {
          G2.make_undirected();
          R2.make_undirected();
        }
        std::mt19937 r3(seed), r4(seed);
        randomGraph(G2, r3, shape);
        randomGraph(R2, r4, shape);
        EXPECT_EQ(endIndices(items(graphlib::Make_Connected(G2))), endIndices(recursive::joinComponents(R2)));
        EXPECT_TRUE(planar_families::Snapshot(G2) == planar_families::Snapshot(R2));

        EXPECT_EQ(endIndices(items(graphlib::Make_Biconnected(G))), endIndices(recursive::makeBiconnected(R)));
        EXPECT_TRUE(planar_families::Snapshot(G) == planar_families::Snapshot(R));
      }
}

// The reference is itself checked against the documented small answers.
TEST(GraphProperties, RecursiveReferenceGivesTheDocumentedAnswers) {
  graph P;
  auto p = addNodes(P, 3);
  addEdges(P, p, {{0, 1}, {1, 2}});
  EXPECT_EQ(recursive::biconnected(P, nullptr), std::make_pair(false, p[1]));
  EXPECT_TRUE(recursive::backEdges(P).empty());
  std::vector<edge> added = recursive::makeBiconnected(P);
  ASSERT_EQ(added.size(), 1u);
  EXPECT_EQ(added[0]->source, p[2]);
  EXPECT_EQ(added[0]->target, p[0]);

  graph I;
  auto v = addNodes(I, 3);
  added = recursive::joinComponents(I);
  ASSERT_EQ(added.size(), 2u);
  EXPECT_EQ(added[0]->source, v[0]);
  EXPECT_EQ(added[1]->source, v[0]);

  graph C;
  auto c = addNodes(C, 3);
  auto e = addEdges(C, c, {{0, 1}, {1, 2}, {2, 0}});
  EXPECT_EQ(recursive::backEdges(C), std::vector<edge>({e[2]}));
}

// ---- deep inputs ----------------------------------------------------------------

// Checks written here in linear time, with no search of the library's: union-find
// over node indices and Kahn's algorithm over the edge list.
int componentCount(const graph& G) {
  std::vector<int> parent(static_cast<size_t>(G.max_node_index + 1));
  for (size_t i = 0; i < parent.size(); i++) parent[i] = static_cast<int>(i);
  auto find = [&](int i) {
    while (parent[static_cast<size_t>(i)] != i)
      i = parent[static_cast<size_t>(i)] = parent[static_cast<size_t>(parent[static_cast<size_t>(i)])];
    return i;
  };
  int c = G.number_of_nodes();
  for (edge e : edgeList(G)) {
    int a = find(e->source->index()), b = find(e->target->index());
    if (a != b) {
      parent[static_cast<size_t>(a)] = b;
      c--;
    }
  }
  return c;
}

bool kahnAcyclic(const graph& G) {
  size_t size = static_cast<size_t>(G.max_node_index + 1);
  std::vector<std::vector<int>> out(size);
  std::vector<int> indeg(size, 0);
  for (edge e : edgeList(G)) {
    out[static_cast<size_t>(e->source->index())].push_back(e->target->index());
    indeg[static_cast<size_t>(e->target->index())]++;
  }
  std::vector<int> ready;
  for (node v : nodeList(G))
    if (indeg[static_cast<size_t>(v->index())] == 0) ready.push_back(v->index());
  int done = 0;
  while (!ready.empty()) {
    int v = ready.back();
    ready.pop_back();
    done++;
    for (int w : out[static_cast<size_t>(v)])
      if (--indeg[static_cast<size_t>(w)] == 0) ready.push_back(w);
  }
  return done == G.number_of_nodes();
}

// Biconnected by the (iterative) block numbering: connected, and one block
// holding every edge.
bool blockCheckBiconnected(const graph& G) {
  if (componentCount(G) != 1) return false;
  graphlib::edge_array<int> comp(G, -1);
  return graphlib::BICONNECTED_COMPONENTS(G, comp) == 1;
}

// Inputs whose searches go as deep as the graph is long (nodes and edges made
// in order), at sizes that exhausted the call stack of the recursive searches.
struct DeepCase {
  const char* name;
  planar_families::Pairs (*make)();
  bool acyclic;      // else the only back edge is the last edge made
  bool biconnected;  // else a path, whose articulation point met first is its last but one node
};

void PrintTo(const DeepCase& c, std::ostream* os) { *os << c.name; }

class DeepInputs : public testing::TestWithParam<DeepCase> {
 protected:
  void SetUp() override {
    p = GetParam().make();
    v = planar_families::build(G, p, false);
  }
  planar_families::Pairs p;
  graph G;
  std::vector<node> v;
};

TEST_P(DeepInputs, ConnectivityAndBiconnectivity) {
  const DeepCase& c = GetParam();
  EXPECT_TRUE(graphlib::Is_Connected(G));
  EXPECT_EQ(componentCount(G), 1);
  graphlib::node_array<int> comp(G, -1);
  EXPECT_EQ(graphlib::COMPONENTS(G, comp), 1);

  node s = reinterpret_cast<node>(&G);
  EXPECT_EQ(graphlib::Is_Biconnected(G), c.biconnected);
  EXPECT_EQ(graphlib::Is_Biconnected(G, s), c.biconnected);
  EXPECT_EQ(blockCheckBiconnected(G), c.biconnected);
  EXPECT_EQ(s, c.biconnected ? nullptr : v[v.size() - 2]);
}

TEST_P(DeepInputs, AcyclicityAndItsRepair) {
  const DeepCase& c = GetParam();
  graphlib::list<edge> L;
  EXPECT_EQ(graphlib::Is_Acyclic(G), c.acyclic);
  EXPECT_EQ(graphlib::Is_Acyclic(G, L), c.acyclic);
  EXPECT_EQ(kahnAcyclic(G), c.acyclic);
  std::vector<edge> kept = edgeList(G);
  if (c.acyclic) {
    EXPECT_TRUE(L.empty());
  } else {
    EXPECT_EQ(items(L), std::vector<edge>({kept.back()}));
    kept.pop_back();
  }
  graphlib::Make_Acyclic(G);
  EXPECT_EQ(edgeList(G), kept);
  EXPECT_TRUE(kahnAcyclic(G));
}

TEST_P(DeepInputs, ConnectingAndBiconnectingRepairs) {
  const DeepCase& c = GetParam();
  int n = p.n;
  std::vector<edge> before = edgeList(G);

  graphlib::list<edge> joined;
  graphlib::Make_Connected(G, joined);
  EXPECT_TRUE(joined.empty());

  graphlib::list<edge> L;
  graphlib::Make_Biconnected(G, L);
  std::vector<edge> added = items(L);
  std::vector<edge> after = edgeList(G);
  EXPECT_TRUE(onlyAdded(before, after));
  EXPECT_EQ(std::vector<edge>(after.begin() + static_cast<long>(before.size()), after.end()), added);
  EXPECT_TRUE(blockCheckBiconnected(G));
  if (c.biconnected) {
    EXPECT_TRUE(added.empty());
  } else {
    // A path's edges close from its far end back: v[k+2] -> v[k] for k = n-3 .. 0.
    std::vector<std::pair<int, int>> expected;
    for (int k = n - 3; k >= 0; k--)
      expected.emplace_back(v[static_cast<size_t>(k + 2)]->index(), v[static_cast<size_t>(k)]->index());
    EXPECT_EQ(endIndices(added), expected);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Families, DeepInputs,
    testing::Values(
        DeepCase{"path", [] { return planar_families::path(planar_families::deepSize(300000, 120000)); }, true, false},
        DeepCase{"cycle", [] { return planar_families::cycle(planar_families::deepSize(300000, 120000)); }, false,
                 true},
        DeepCase{"strip", [] { return planar_families::strip(planar_families::deepSize(300000, 120000)); }, true, true},
        DeepCase{"grid",
                 [] {
                   int side = planar_families::deepSize(1000, 300);
                   return planar_families::grid(side, side);
                 },
                 true, true}),
    [](const testing::TestParamInfo<DeepCase>& info) { return std::string(info.param.name); });

// Without its first node a cycle is a path, whose articulation point met
// first is its last but one node.
TEST(DeepGraphs, CycleHasASeparationPair) {
  graph G;
  std::vector<node> v =
      planar_families::build(G, planar_families::cycle(planar_families::deepSize(300000, 120000)), false);
  node s1 = nullptr, s2 = nullptr;
  EXPECT_FALSE(graphlib::Is_Triconnected(G, s1, s2));
  EXPECT_EQ(s1, v.front());
  EXPECT_EQ(s2, v[v.size() - 2]);
  EXPECT_EQ(componentCount(G), 1);
}

// A deep path, an isolated node and a shorter path: the first node of
// smallest degree of each component is its first node.
TEST(DeepGraphs, DisconnectedPathsAreJoinedAndBiconnected) {
  int n = planar_families::deepSize(300000, 120000);
  planar_families::Pairs p = planar_families::path(n);
  p.n = n + 1 + n / 4;
  for (int k = n + 1; k + 1 < p.n; k++) p.edges.emplace_back(k, k + 1);
  graph G;
  std::vector<node> v = planar_families::build(G, p, false);

  EXPECT_FALSE(graphlib::Is_Connected(G));
  node s = v[0];
  EXPECT_FALSE(graphlib::Is_Biconnected(G, s));
  EXPECT_EQ(s, nullptr);
  graphlib::node_array<int> comp(G, -1);
  EXPECT_EQ(graphlib::COMPONENTS(G, comp), 3);
  EXPECT_EQ(graphlib::COMPONENTS1(G, comp), 3);

  graph H;
  planar_families::build(H, p, false);
  std::vector<node> w = nodeList(H);
  std::vector<edge> joined = items(graphlib::Make_Connected(H));
  EXPECT_EQ(endIndices(joined),
            (std::vector<std::pair<int, int>>{{w[0]->index(), w[static_cast<size_t>(n)]->index()},
                                              {w[0]->index(), w[static_cast<size_t>(n) + 1]->index()}}));
  EXPECT_EQ(componentCount(H), 1);

  std::vector<edge> before = edgeList(G);
  graphlib::list<edge> L;
  graphlib::Make_Biconnected(G, L);
  std::vector<edge> after = edgeList(G);
  EXPECT_TRUE(onlyAdded(before, after));
  EXPECT_EQ(static_cast<size_t>(L.length()), after.size() - before.size());
  EXPECT_LE(L.length(), G.number_of_nodes());
  EXPECT_TRUE(blockCheckBiconnected(G));
  EXPECT_TRUE(graphlib::Is_Biconnected(G));
}

}  // namespace
