#include "graphlib/graph/graph_sort.h"

#include <vector>

#include "graphlib/base/error.h"
#include "graphlib/base/slot.h"

namespace graphlib {

const graph_map<graph>* NA = nullptr;
const graph* GGG = nullptr;

namespace {

template <class T, class O>
T entry_of(O x) {
  return graphlib_slot_value<T>(NA->array_access(x));
}

template <class T>
int compare(const T& a, const T& b) {
  if (a < b) return -1;
  if (a > b) return 1;
  return 0;
}

// Whether L holds every visible node of G exactly once. Only the length and
// the owners would be needed for well-formed input; a repeated node (which
// would leave another one out) is rejected too, since relinking one object
// twice makes the list cyclic.
bool is_node_permutation(const graph& G, const list<node>& L) {
  if (L.length() != G.number_of_nodes()) return false;
  std::vector<char> seen(static_cast<size_t>(G.max_node_index + 1), 0);
  for (dlink* it = L.first(); it != nullptr; it = it->succ) {
    node v = L.contents(it);
    if (v == nullptr || v->owner != &G || v->hidden() || v->index() > G.max_node_index) return false;
    char& mark = seen[static_cast<size_t>(v->index())];
    if (mark) return false;
    mark = 1;
  }
  return true;
}

}  // namespace

int int_array_cmp_nodes(const node& v, const node& w) { return compare(entry_of<int>(v), entry_of<int>(w)); }
int int_array_cmp_edges(const edge& e, const edge& f) { return compare(entry_of<int>(e), entry_of<int>(f)); }
int float_array_cmp_nodes(const node& v, const node& w) { return compare(entry_of<float>(v), entry_of<float>(w)); }
int float_array_cmp_edges(const edge& e, const edge& f) { return compare(entry_of<float>(e), entry_of<float>(f)); }
int double_array_cmp_nodes(const node& v, const node& w) {
  return compare(entry_of<double>(v), entry_of<double>(w));
}
int double_array_cmp_edges(const edge& e, const edge& f) {
  return compare(entry_of<double>(e), entry_of<double>(f));
}

int graph_cmp_nodes(const node& v, const node& w) { return GGG->cmp_node_entry(v, w); }
int graph_cmp_edges(const edge& e, const edge& f) { return GGG->cmp_edge_entry(e, f); }

int array_ord_node(const node& v) { return entry_of<int>(v); }
int array_ord_edge(const edge& e) { return entry_of<int>(e); }

void graph::sort_nodes(const list<node>& L) {
  // Checked in full before anything is relinked, so that a refused list
  // leaves the graph as it was.
  if (!is_node_permutation(*this, L)) {
    std_error_handler(1, "graph::sort_nodes(list<node>): illegal node list");
    return;
  }
  v_list.clear();
  for (dlink* it = L.first(); it != nullptr; it = it->succ) v_list.append(L.contents(it));
}

void graph::sort_edges(const list<edge>& L) {
  if (L.length() != number_of_edges()) {
    std_error_handler(1, "graph::sort_edges(list<edge>): illegal edge list");
    return;
  }
  // L must be the edge list reordered. An edge hidden with hide_adj_edge is
  // in that list and belongs in L; one hidden with hide_edge is not. A
  // repeated edge would be linked twice (a cyclic adjacency list) and another
  // one lost.
  enum : char { kAbsent, kListed, kTaken };
  std::vector<char> state(static_cast<size_t>(max_edge_index + 1), kAbsent);
  for (graph_object* x = e_list.head; x != nullptr; x = x->succ) {
    const int i = static_cast<edge>(x)->index();
    if (i >= 0 && i <= max_edge_index) state[static_cast<size_t>(i)] = kListed;
  }
  for (dlink* it = L.first(); it != nullptr; it = it->succ) {
    edge e = L.contents(it);
    if (e == nullptr || e->source->owner != this) {
      std_error_handler(1, "graph::sort_edges(list<edge>): edge not in graph");
      return;
    }
    if (e->index() > max_edge_index || state[static_cast<size_t>(e->index())] != kListed) {
      std_error_handler(1, "graph::sort_edges(list<edge>): illegal edge list");
      return;
    }
    state[static_cast<size_t>(e->index())] = kTaken;
  }

  for (graph_object* x = v_list.head; x != nullptr; x = x->succ) static_cast<node>(x)->clear_adj_lists();
  e_list.clear();
  const int in_list = undirected ? 0 : 1;
  // Every push goes to the front: walked backwards, every list ends in L's
  // order. An edge hidden from the adjacency lists stays out of them.
  for (dlink* it = L.last(); it != nullptr; it = it->pred) {
    edge e = L.contents(it);
    e_list.push(e);
    if (e->hidden()) continue;
    e->source->push_adj_edge(e, 0, 0);
    e->target->push_adj_edge(e, in_list, 1);
  }
}

void graph::sort_nodes(int (*cmp)(const node&, const node&)) {
  list<node> L(all_nodes());
  L.sort(cmp);
  sort_nodes(L);
}

void graph::sort_edges(int (*cmp)(const edge&, const edge&)) {
  list<edge> L(all_edges());
  L.sort(cmp);
  sort_edges(L);
}

void graph::sort_nodes(const graph_map<graph>& A) {
  NA = &A;
  switch (A.elem_type_id()) {
    case 3:
      sort_nodes(int_array_cmp_nodes);
      break;
    case 5:
      sort_nodes(float_array_cmp_nodes);
      break;
    case 6:
      sort_nodes(double_array_cmp_nodes);
      break;
    default:
      std_error_handler(1, "G.sort_nodes(node_array<T>): T must be numerical.");
  }
}

void graph::sort_edges(const graph_map<graph>& A) {
  NA = &A;
  switch (A.elem_type_id()) {
    case 3:
      sort_edges(int_array_cmp_edges);
      break;
    case 5:
      sort_edges(float_array_cmp_edges);
      break;
    case 6:
      sort_edges(double_array_cmp_edges);
      break;
    default:
      std_error_handler(1, "G.sort_edges(node_array<T>): T must be numerical.");
  }
}

void graph::sort_nodes() {
  GGG = this;
  sort_nodes(graph_cmp_nodes);
}

void graph::sort_edges() {
  GGG = this;
  sort_edges(graph_cmp_edges);
}

void graph::bucket_sort_nodes(int i, int j, int (*ord)(const node&)) {
  list<node> L(all_nodes());
  L.bucket_sort(i, j, ord);
  sort_nodes(L);
}

void graph::bucket_sort_edges(int i, int j, int (*ord)(const edge&)) {
  list<edge> L(all_edges());
  L.bucket_sort(i, j, ord);
  sort_edges(L);
}

void graph::bucket_sort_nodes(int (*ord)(const node&)) {
  list<node> L(all_nodes());
  L.bucket_sort(ord);
  sort_nodes(L);
}

void graph::bucket_sort_edges(int (*ord)(const edge&)) {
  list<edge> L(all_edges());
  L.bucket_sort(ord);
  sort_edges(L);
}

void graph::bucket_sort_nodes(const graph_map<graph>& A) {
  NA = &A;
  if (A.elem_type_id() != 3) {
    std_error_handler(1, "G.bucket_sort_nodes(node_array<T>): T must be integer.");
    return;
  }
  bucket_sort_nodes(array_ord_node);
}

void graph::bucket_sort_edges(const graph_map<graph>& A) {
  NA = &A;
  if (A.elem_type_id() != 3) {
    std_error_handler(1, "G.bucket_sort_edges(edge_array<T>): T must be integer.");
    return;
  }
  bucket_sort_edges(array_ord_edge);
}

}  // namespace graphlib
