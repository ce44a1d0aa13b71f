#pragma once
// Typed maps of one graph's nodes, edges or faces, with a default value, and the
// growable edge map. A value that fits in a cell lives in it; a larger one is
// boxed on the heap and owned by the array.
#include <type_traits>

#include "graphlib/base/slot.h"
#include "graphlib/graph/graph.h"

namespace graphlib {

// Element hooks of the typed maps and of the infos of a parameterised graph.
template <class T>
struct cell_hooks {
  static void init(void*& c, const T& x) { c = graphlib_copy(x); }

  static void clear(void*& c) {
    if constexpr (!slot_traits<T>::plain) {
      if (c != nullptr) graphlib_clear(graphlib_access(static_cast<const T*>(nullptr), c));
    }
  }

  static void copy(void*& c) {
    if constexpr (std::is_same<T, bool>::value) {
      // The low byte widened: the rest of the cell is not the array's.
      c = graphlib_copy(graphlib_slot_value<bool>(c));
    } else if constexpr (!slot_traits<T>::plain) {
      if (c != nullptr) c = graphlib_copy(graphlib_const_access(static_cast<const T*>(nullptr), c));
    }
  }

  static int type_id() {
    if (std::is_same<T, int>::value) return 3;
    if (std::is_same<T, float>::value) return 5;
    if (std::is_same<T, double>::value) return 6;
    return 0;
  }
};

// The typed map of kind K (0 node, 1 edge, 2 face).
template <class T, int K, class graph_t>
class graph_array : public graph_map<graph_t> {
  typedef graph_map<graph_t> base;

 public:
  graph_array() : base(nullptr, 0, K), x() { init_entry(this->def_entry); }

  graph_array(const graph_t& G, int n, const T& v) : base(&G, n, K), x(v) {
    init_entry(this->def_entry);
    this->init_table(this->table, this->table + this->table_size);
  }

  graph_array(const graph_array& A) : base(A), x(A.x) { init_entry(this->def_entry); }

  graph_array& operator=(const graph_array& A) {
    base::operator=(A);
    return *this;
  }

  ~graph_array() override {
    this->clear_table();
    clear_entry(this->def_entry);
  }

  void init_entry(void*& c) const override { cell_hooks<T>::init(c, x); }
  void clear_entry(void*& c) const override { cell_hooks<T>::clear(c); }
  void copy_entry(void*& c) const override { cell_hooks<T>::copy(c); }
  int elem_type_id() const override { return cell_hooks<T>::type_id(); }

  // The default value that new entries start with.
  const T& default_value() const { return x; }

 protected:
  void init_with(const graph_t& G, int n, const T& v) {
    x = v;
    base::init(&G, n, K, false);
    this->init_table(this->table, this->table + this->table_size);
  }

  template <class O>
  T& entry(O o) const {
    return graphlib_access(static_cast<const T*>(nullptr), this->array_access(o));
  }

  T x;
};

template <class T, class graph_t = graph>
class node_array : public graph_array<T, 0, graph_t> {
  typedef graph_array<T, 0, graph_t> base;

 public:
  node_array() : base() {}
  explicit node_array(const graph_t& G) : base(G, G.max_node_index + 1, T()) {}
  node_array(const graph_t& G, T v) : base(G, G.max_node_index + 1, v) {}

  void init(const graph_t& G) { this->init_with(G, G.max_node_index + 1, T()); }
  void init(const graph_t& G, T v) { this->init_with(G, G.max_node_index + 1, v); }
  using graph_map<graph_t>::init;

  T& operator[](node v) { return this->entry(v); }
  const T& operator[](node v) const { return this->entry(v); }
};

template <class T, class graph_t = graph>
class edge_array : public graph_array<T, 1, graph_t> {
  typedef graph_array<T, 1, graph_t> base;

 public:
  edge_array() : base() {}
  explicit edge_array(const graph_t& G) : base(G, G.max_edge_index + 1, T()) {}
  edge_array(const graph_t& G, T v) : base(G, G.max_edge_index + 1, v) {}

  void init(const graph_t& G) { this->init_with(G, G.max_edge_index + 1, T()); }
  void init(const graph_t& G, T v) { this->init_with(G, G.max_edge_index + 1, v); }
  using graph_map<graph_t>::init;

  T& operator[](edge e) { return this->entry(e); }
  const T& operator[](edge e) const { return this->entry(e); }
};

template <class T, class graph_t = graph>
class face_array : public graph_array<T, 2, graph_t> {
  typedef graph_array<T, 2, graph_t> base;

 public:
  face_array() : base() {}
  explicit face_array(const graph_t& G) : base(G, G.max_face_index + 1, T()) {}
  face_array(const graph_t& G, T v) : base(G, G.max_face_index + 1, v) {}

  void init(const graph_t& G) { this->init_with(G, G.max_face_index + 1, T()); }
  void init(const graph_t& G, T v) { this->init_with(G, G.max_face_index + 1, v); }
  using graph_map<graph_t>::init;

  T& operator[](face f) { return this->entry(f); }
  const T& operator[](face f) const { return this->entry(f); }
};

// The edge array that grows when edges are added to its graph.
template <class T, class graph_t = graph>
class edge_map : public edge_array<T, graph_t> {
  typedef edge_array<T, graph_t> base;

 public:
  edge_map() : base() { this->old_index = 0; }
  explicit edge_map(const graph_t& G) : base(G) { this->old_index = 0; }
  edge_map(const graph_t& G, T v) : base(G, v) { this->old_index = 0; }

  T& operator[](edge e) {
    void*& c = this->slot < 0 ? this->table_map_access(e->index()) : this->array_access(e);
    return graphlib_access(static_cast<const T*>(nullptr), c);
  }
};

}  // namespace graphlib
