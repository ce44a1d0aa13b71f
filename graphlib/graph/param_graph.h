#pragma once
// GRAPH<V, E>: a graph whose nodes carry a V and whose edges carry an E, held in
// data cell 0 of each object. The graph core creates, copies, clears, reads,
// writes and compares the infos through the entry operations overridden here.
#include <istream>
#include <ostream>
#include <type_traits>

#include "graphlib/base/cmp_base.h"
#include "graphlib/base/list.h"
#include "graphlib/base/slot.h"
#include "graphlib/base/string.h"
#include "graphlib/graph/graph.h"
#include "graphlib/graph/node_array.h"

namespace graphlib {

// How the infos of one type are named, written and read in the graph's text
// format. Specialise it for a type whose text form differs.
template <class T>
struct graph_entry_io {
  static const char* name() {
    if (std::is_same<T, int>::value) return "int";
    if (std::is_same<T, float>::value) return "float";
    if (std::is_same<T, string>::value) return "string";
    return "unknown";
  }

  static void write(std::ostream& os, const T& x) {
    if constexpr (std::is_same<T, float>::value)
      os << static_cast<double>(x);
    else if constexpr (std::is_pointer<T>::value)
      os << static_cast<const void*>(x);
    else
      os << x;
  }

  // Replaces the cell (whose old value is not released) by the value read.
  static void read(std::istream& is, void*& c) {
    if constexpr (std::is_pointer<T>::value) {
      c = nullptr;
    } else {
      T value{};
      c = graphlib_copy(value);
      is >> graphlib_access(static_cast<const T*>(nullptr), c);
    }
  }
};

// A list of handles is written as its pointers; it cannot be read back, so
// reading consumes the text and leaves an empty list.
template <class T>
struct graph_entry_io<list<T>> {
  static const char* name() { return "unknown"; }

  static void write(std::ostream& os, const list<T>& L) {
    for (dlink* it = L.first(); it != nullptr; it = it->succ) {
      if (it != L.first()) os << ' ';
      graph_entry_io<T>::write(os, L.contents(it));
    }
  }

  static void read(std::istream& is, void*& c) {
    c = graphlib_copy(list<T>());
    std::string word;
    while (is >> word) {
    }
  }
};

template <class V, class E>
class GRAPH : public graph {
 public:
  GRAPH() : graph(), node_cmp(), edge_cmp(), node_cmp_fn(nullptr), edge_cmp_fn(nullptr), node_info(), edge_info() {
    node_info.init(this, 0);
    edge_info.init(this, 1);
  }

  GRAPH(const GRAPH& G)
      : graph(G),
        node_cmp(),
        edge_cmp(),
        node_cmp_fn(G.node_cmp_fn),
        edge_cmp_fn(G.edge_cmp_fn),
        node_info(),
        edge_info() {
    node_info.init(this, 0);
    edge_info.init(this, 1);
    copy_all_entries();
  }

  GRAPH& operator=(const GRAPH& G) {
    if (&G == this) return *this;
    // The infos are this graph's to release before the base copy drops them.
    clear_all_entries();
    graph::operator=(G);
    copy_all_entries();
    node_cmp_fn = G.node_cmp_fn;
    edge_cmp_fn = G.edge_cmp_fn;
    return *this;
  }

  void init_node_entry(void*& x) const override { node_info.init_entry(x); }
  void init_edge_entry(void*& x) const override { edge_info.init_entry(x); }
  void copy_node_entry(void*& x) const override { node_info.copy_entry(x); }
  void copy_edge_entry(void*& x) const override { edge_info.copy_entry(x); }
  void clear_node_entry(void*& x) const override { node_info.clear_entry(x); }
  void clear_edge_entry(void*& x) const override { edge_info.clear_entry(x); }
  void read_node_entry(std::istream& is, void*& x) override { graph_entry_io<V>::read(is, x); }
  void read_edge_entry(std::istream& is, void*& x) override { graph_entry_io<E>::read(is, x); }
  void write_node_entry(std::ostream& os, void*& x) const override {
    graph_entry_io<V>::write(os, graphlib_const_access(static_cast<const V*>(nullptr), x));
  }
  void write_edge_entry(std::ostream& os, void*& x) const override {
    graph_entry_io<E>::write(os, graphlib_const_access(static_cast<const E*>(nullptr), x));
  }

  // Without a compare function the compare object reports "compare undefined".
  int cmp_node_entry(node v, node w) const override {
    return node_cmp_fn ? node_cmp_fn(inf(v), inf(w)) : node_cmp(inf(v), inf(w));
  }
  int cmp_edge_entry(edge e, edge f) const override {
    return edge_cmp_fn ? edge_cmp_fn(inf(e), inf(f)) : edge_cmp(inf(e), inf(f));
  }

  const char* node_type() const override { return graph_entry_io<V>::name(); }
  const char* edge_type() const override { return graph_entry_io<E>::name(); }

  ~GRAPH() override {
    if (parent == nullptr) clear_all_entries();
  }

  void clear() override {
    bool enabled = events_enabled;
    events_enabled = false;
    if (enabled) pre_clear_handler();
    clear_all_entries();
    graph::clear();
    if (enabled) post_clear_handler();
    events_enabled = enabled;
  }

  node new_node() { return graph::new_node(); }
  node new_node(V x) { return graph::new_node(graphlib_copy(x), nullptr, 0); }

  edge new_edge(node v, node w) { return graph::new_edge(v, w); }
  edge new_edge(node v, node w, E x) {
    void* c = graphlib_copy(x);
    edge e = graph::new_edge(v, w, c);
    if (e == nullptr) edge_info.clear_entry(c);
    return e;
  }

  const V& inf(node v) const { return graphlib_const_access(static_cast<const V*>(nullptr), v->data[0]); }
  const E& inf(edge e) const { return graphlib_const_access(static_cast<const E*>(nullptr), e->data[0]); }

  graphlib_cmp_base<V> node_cmp;
  graphlib_cmp_base<E> edge_cmp;
  int (*node_cmp_fn)(const V&, const V&);
  int (*edge_cmp_fn)(const E&, const E&);
  node_array<V> node_info;
  edge_array<E> edge_info;
};

}  // namespace graphlib
