#pragma once
// Header-only (test_helpers does not link the graph library): include it only in
// test binaries that link graphlib_graph.
//
// Structural check of a graphlib::graph, meant to run after every operation a
// test applies: the object lists are sound; every index from 0 to the largest
// of its kind is owned by exactly one visible, hidden or deleted object; hidden
// flags match the hidden lists; every adjacency list is linked both ways by the
// link-pair rule with the right first, last and length; every visible edge lies
// exactly once in its source's list 0 and once in its target's list (1, or 0 in
// an undirected graph) and hidden edges in none; reversals are mutual; the map
// registry hands out each data slot at most once. Returns "" for a sound graph,
// else the first thing found wrong.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "graphlib/graph/graph.h"

namespace testing_support {

namespace testing_support {

inline std::string objectListDefect(const graphlib::graph_obj_list_base& L, const char* name, long limit) {
  const std::string n(name);
  if ((L.head == nullptr) != (L.tail == nullptr)) return n + ": only one of head and tail is set";
  if (L.head && L.head->pred) return n + ": head has a predecessor";
  if (L.tail && L.tail->succ) return n + ": tail has a successor";
  long k = 0;
  const graphlib::graph_object* prev = nullptr;
  for (const graphlib::graph_object* x = L.head; x; x = x->succ) {
    if (x->pred != prev) return n + ": object " + std::to_string(k) + " has a wrong predecessor";
    prev = x;
    if (++k > limit) return n + ": cycle";
  }
  if (prev != L.tail) return n + ": tail is not the last object";
  if (k != L.count) return n + ": count " + std::to_string(L.count) + " but " + std::to_string(k) + " objects";
  return "";
}

template <class T>
std::vector<T*> objects(const graphlib::graph_obj_list_base& L) {
  std::vector<T*> out;
  for (graphlib::graph_object* x = L.head; x; x = x->succ) out.push_back(static_cast<T*>(x));
  return out;
}

template <class T>
std::string indexDefect(const char* kind, int max_index, const std::vector<std::vector<T*>>& lists) {
  const std::string k(kind);
  if (max_index < -1) return k + ": largest index " + std::to_string(max_index);
  std::vector<int> owners(static_cast<size_t>(max_index + 1), 0);
  for (const auto& L : lists) {
    for (T* x : L) {
      int i = x->index();
      if (i > max_index) return k + " index " + std::to_string(i) + " beyond the largest " + std::to_string(max_index);
      owners[static_cast<size_t>(i)]++;
    }
  }
  for (size_t i = 0; i < owners.size(); i++)
    if (owners[i] != 1)
      return k + " index " + std::to_string(i) + " owned by " + std::to_string(owners[i]) + " objects";
  return "";
}

}  // namespace testing_support

inline std::string graphDefect(const graphlib::graph& G) {
  using namespace graphlib;
  using namespace testing_support;
  const long limit = 1L << 26;

  const graph_obj_list_base* lists[] = {&G.v_list, &G.v_free, &G.v_hidden, &G.e_list,
                                        &G.e_free, &G.e_hidden, &G.f_list, &G.f_free};
  const char* names[] = {"v_list", "v_free", "v_hidden", "e_list", "e_free", "e_hidden", "f_list", "f_free"};
  for (int k = 0; k < 8; k++) {
    std::string d = objectListDefect(*lists[k], names[k], limit);
    if (!d.empty()) return d;
  }

  std::vector<node> visible = objects<node_struct>(G.v_list);
  std::vector<node> hidden = objects<node_struct>(G.v_hidden);
  std::vector<node> freed = objects<node_struct>(G.v_free);
  std::vector<edge> edges = objects<edge_struct>(G.e_list);
  std::vector<edge> hidden_edges = objects<edge_struct>(G.e_hidden);
  std::vector<edge> freed_edges = objects<edge_struct>(G.e_free);

  std::string d = indexDefect<node_struct>("node", G.max_node_index, {visible, hidden, freed});
  if (d.empty()) d = indexDefect<edge_struct>("edge", G.max_edge_index, {edges, hidden_edges, freed_edges});
  if (d.empty())
    d = indexDefect<face_struct>("face", G.max_face_index,
                                 {objects<face_struct>(G.f_list), objects<face_struct>(G.f_free)});
  if (!d.empty()) return d;

  std::set<const node_struct*> visible_set(visible.begin(), visible.end());
  std::set<const node_struct*> node_set(visible.begin(), visible.end());
  node_set.insert(hidden.begin(), hidden.end());
  std::set<const edge_struct*> edge_set(edges.begin(), edges.end());
  edge_set.insert(hidden_edges.begin(), hidden_edges.end());

  auto nodeName = [](node v) { return "node " + std::to_string(v->index()); };
  auto edgeName = [](edge e) { return "edge " + std::to_string(e->index()); };

  for (node v : visible)
    if (v->id < 0) return nodeName(v) + " is visible but flagged hidden";
  for (node v : hidden)
    if (v->id >= 0) return nodeName(v) + " is hidden but not flagged";
  for (node v : freed)
    if (v->id < 0) return "deleted " + nodeName(v) + " is flagged hidden";
  for (const auto* L : {&visible, &hidden, &freed})
    for (node v : *L)
      if (v->owner != &G) return nodeName(v) + " belongs to another graph";
  for (edge e : hidden_edges)
    if (e->id >= 0) return edgeName(e) + " is hidden but not flagged";
  for (edge e : freed_edges)
    if (e->id < 0) return "deleted " + edgeName(e) + " is flagged hidden";
  for (edge e : edges) {
    // An edge flagged hidden in e_list was taken out of the adjacency lists in place.
    if (e->id >= 0 && (!visible_set.count(e->source) || !visible_set.count(e->target)))
      return "visible " + edgeName(e) + " has an end that is not a visible node";
    if (e->id >= 0 && G.undirected && e->source == e->target)
      return edgeName(e) + " is a self-loop of an undirected graph";
  }
  for (edge e : hidden_edges)
    if (!node_set.count(e->source) || !node_set.count(e->target))
      return "hidden " + edgeName(e) + " has an end that is not a node of the graph";

  // Occurrences per edge: [0] in its source's list 0, [1] in its target's list.
  std::map<const edge_struct*, std::vector<int>> seen;
  for (const auto* L : {&visible, &hidden}) {
    for (node v : *L) {
      for (int i = 0; i < 2; i++) {
        const std::string where = nodeName(v) + " list " + std::to_string(i);
        if (v->hidden() && (v->first_adj_edge[i] || v->adj_length[i] != 0))
          return "hidden " + where + " is not empty";
        if (G.undirected && i == 1 && (v->first_adj_edge[1] || v->last_adj_edge[1] || v->adj_length[1] != 0))
          return where + " is not empty in an undirected graph";
        if ((v->first_adj_edge[i] == nullptr) != (v->last_adj_edge[i] == nullptr))
          return where + ": only one of first and last is set";
        long k = 0;
        edge prev = nullptr;
        for (edge x = v->first_adj_edge[i]; x;) {
          if (!edge_set.count(x)) return where + " holds an edge that is not in the graph";
          if (x->id < 0) return where + " holds hidden " + edgeName(x);
          int side;
          if (G.undirected) {
            if (x->source != v && x->target != v) return where + " holds " + edgeName(x) + ", not incident";
            side = x->source == v ? 0 : 1;
          } else {
            if (i == 0 && x->source != v) return where + " holds " + edgeName(x) + " of another source";
            if (i == 1 && x->target != v) return where + " holds " + edgeName(x) + " of another target";
            side = i;
          }
          int pair = x->source == x->target ? i : (x->source == v ? 0 : 1);
          if (pair != side) return where + ": " + edgeName(x) + " linked through the wrong pair";
          if (x->pred_adj_edge[pair] != prev)
            return where + ": " + edgeName(x) + " has a wrong predecessor";
          auto& count = seen[x];
          if (count.empty()) count.assign(2, 0);
          count[static_cast<size_t>(side)]++;
          prev = x;
          if (++k > limit) return where + ": cycle";
          x = x->succ_adj_edge[pair];
        }
        if (prev != v->last_adj_edge[i]) return where + ": last is not the last edge";
        if (k != v->adj_length[i])
          return where + ": length " + std::to_string(v->adj_length[i]) + " but " + std::to_string(k) + " edges";
      }
    }
  }
  for (edge e : edges) {
    if (e->id < 0) {
      if (seen.count(e)) return edgeName(e) + " is flagged hidden but in an adjacency list";
      continue;
    }
    auto it = seen.find(e);
    if (it == seen.end() || it->second[0] != 1 || it->second[1] != 1)
      return edgeName(e) + " is not exactly once in its source's and once in its target's list";
  }

  for (const edge_struct* e : edge_set) {
    if (e->rev == nullptr) continue;
    if (!edge_set.count(e->rev)) return edgeName(const_cast<edge>(e)) + " has a reversal outside the graph";
    if (e->rev->rev != e) return edgeName(const_cast<edge>(e)) + " and its reversal are not mutual";
  }

  for (int k = 0; k < 3; k++) {
    if (G.data_slots[k] < 0) return "negative data-slot count";
    std::set<int> held;
    for (dlink* it = G.reg.maps[k].first(); it; it = it->succ) {
      graph_map<graph>* M = G.reg.maps[k].contents(it);
      if (M->owner != &G || M->kind != k || M->reg_item != it) return "registry holds a map that is not bound to it";
      if (M->slot == 0) return "registry holds an info map";
      if (M->slot >= 1 && !held.insert(M->slot).second) return "data slot " + std::to_string(M->slot) + " held twice";
    }
    for (dlink* it = G.reg.free_slots[k].first(); it; it = it->succ) {
      int s = G.reg.free_slots[k].contents(it);
      if (s < 1 || s > G.data_slots[k]) return "free data slot " + std::to_string(s) + " out of range";
      if (!held.insert(s).second) return "data slot " + std::to_string(s) + " both free and held";
    }
  }
  return "";
}

}  // namespace testing_support
