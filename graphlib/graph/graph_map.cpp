#include "graphlib/graph/graph_map.h"

#include <cstring>

#include "graphlib/base/error.h"
#include "graphlib/graph/graph.h"

namespace graphlib {

namespace {

// Tables start zeroed: a cell that no hook initialises (the hook-less
// edge-to-face map) then holds nil rather than garbage.
void** new_table(int n) {
  if (n <= 0) return nullptr;
  size_t bytes = static_cast<size_t>(n) * sizeof(void*);
  void** t = static_cast<void**>(std_memory_mgr.allocate_vector(bytes));
  if (t != nullptr) std::memset(t, 0, bytes);
  return t;
}

void free_table(void** t) {
  if (t != nullptr) std_memory_mgr.deallocate_vector(t);
}

template <class graph_t>
const graph_obj_list_base& visible_objects(const graph_t* G, int kind) {
  return kind == 0 ? G->v_list : kind == 1 ? G->e_list : G->f_list;
}

template <class graph_t>
int max_index(const graph_t* G, int kind) {
  return kind == 0 ? G->max_node_index : kind == 1 ? G->max_edge_index : G->max_face_index;
}

// Data cell number i of an object of the given kind.
void*& object_cell(graph_object* x, int kind, int i) {
  if (kind == 0) return static_cast<node>(x)->data[i];
  if (kind == 1) return static_cast<edge>(x)->data[i];
  return static_cast<face>(x)->data[i];
}

int object_index(graph_object* x, int kind) {
  if (kind == 0) return static_cast<node>(x)->index();
  if (kind == 1) return static_cast<edge>(x)->index();
  return static_cast<face>(x)->index();
}

}  // namespace

template <class graph_t>
graph_map<graph_t>::graph_map(const graph_t* G, int n, int k)
    : kind(k),
      table(nullptr),
      table_size(0),
      owner(G),
      slot(-1),
      reg_item(nullptr),
      def_entry(nullptr),
      old_table(nullptr),
      old_index(-1) {
  if (G != nullptr) reg_item = registry().register_map(this, slot, false);
  table_size = next_power(n);
  table = new_table(table_size);
}

template <class graph_t>
graph_map<graph_t>::graph_map(const graph_map& M)
    : kind(M.kind),
      table(nullptr),
      table_size(0),
      owner(M.owner),
      slot(-1),
      reg_item(nullptr),
      def_entry(nullptr),
      old_table(nullptr),
      old_index(M.old_index < 0 ? -1 : 0) {
  if (M.slot == 0) {
    slot = 0;
    return;
  }
  if (owner != nullptr) reg_item = registry().register_map(this, slot, false);
  copy_table(M, M);
}

template <class graph_t>
graph_map<graph_t>& graph_map<graph_t>::operator=(const graph_map& M) {
  if (&M == this) return *this;
  clear_table();
  release_tables();
  unbind();
  kind = M.kind;
  owner = M.owner;
  if (M.slot == 0) {
    slot = 0;
    return *this;
  }
  slot = -1;
  if (owner != nullptr) reg_item = registry().register_map(this, slot, false);
  copy_table(M, *this);
  return *this;
}

template <class graph_t>
void graph_map<graph_t>::copy_table(const graph_map& M, const graph_map& hooks) {
  if (M.slot >= 1) {
    // The values live in the objects' data slots: the copy gets a table that
    // covers every object of the owner.
    if (M.owner == nullptr) return;
    table_size = next_power(max_index(M.owner, M.kind) + 1);
    table = new_table(table_size);
    for (int i = 0; i < table_size; i++) hooks.init_entry(table[i]);
    const graph_obj_list_base* lists[2] = {&visible_objects(M.owner, M.kind), nullptr};
    if (M.kind == 0) lists[1] = &M.owner->v_hidden;
    if (M.kind == 1) lists[1] = &M.owner->e_hidden;
    for (const graph_obj_list_base* L : lists) {
      if (L == nullptr) continue;
      for (graph_object* x = L->head; x != nullptr; x = x->succ) {
        void*& c = table[object_index(x, M.kind)];
        hooks.clear_entry(c);
        c = object_cell(x, M.kind, M.slot);
        hooks.copy_entry(c);
      }
    }
    return;
  }
  table_size = M.table_size;
  table = new_table(table_size);
  for (int i = 0; i < table_size; i++) {
    table[i] = M.table[i];
    hooks.copy_entry(table[i]);
  }
}

template <class graph_t>
void graph_map<graph_t>::read_entry(std::istream&, void*&) {
  std_error_handler(1, "Compile with -DGRAPHLIB_GMAP_IO for graph_map I/O.");
}

template <class graph_t>
void graph_map<graph_t>::write_entry(std::ostream&, void*&) const {
  std_error_handler(1, "Compile with -DGRAPHLIB_GMAP_IO for graph_map I/O.");
}

// A cell coming into use is nil unless a typed map gives it a value: a reused
// index must not keep a stale entry.
template <class graph_t>
void graph_map<graph_t>::init_entry(void*& x) const {
  x = nullptr;
}

template <class graph_t>
void graph_map<graph_t>::clear_entry(void*&) const {}

template <class graph_t>
void graph_map<graph_t>::copy_entry(void*&) const {}

template <class graph_t>
int graph_map<graph_t>::cmp_entry(void*, void*) const {
  return 0;
}

template <class graph_t>
int graph_map<graph_t>::elem_type_id() const {
  return 0;
}

template <class graph_t>
graph_map<graph_t>::~graph_map() {
  unbind();
  release_tables();
}

template <class graph_t>
g_register<graph_t>& graph_map<graph_t>::registry() const {
  // Binding a map changes only the graph's registry, never the graph itself.
  return const_cast<graph_t*>(owner)->reg;
}

template <class graph_t>
void graph_map<graph_t>::unbind() {
  if (owner != nullptr && slot != 0 && reg_item != nullptr) registry().unregister_map(this);
  reg_item = nullptr;
}

template <class graph_t>
void graph_map<graph_t>::release_tables() {
  free_table(table);
  free_table(old_table);
  table = old_table = nullptr;
  table_size = 0;
}

template <class graph_t>
void graph_map<graph_t>::init(const graph_t* G, int k) {
  unbind();
  release_tables();
  kind = k;
  owner = G;
  slot = 0;
}

template <class graph_t>
int graph_map<graph_t>::init(const graph_t* G, int n, int k, bool use_slot) {
  clear_table();
  if (G != owner) {
    unbind();
    kind = k;
    owner = G;
    slot = -1;
    if (G != nullptr) reg_item = registry().register_map(this, slot, use_slot);
  }
  if (slot >= 0) {
    free_table(table);
    table = nullptr;
    table_size = 0;
  } else {
    int m = next_power(n);
    if (m != table_size) {
      free_table(table);
      table = new_table(m);
      table_size = m;
    }
  }
  free_table(old_table);
  old_table = nullptr;
  return slot;
}

template <class graph_t>
void graph_map<graph_t>::init_table(void** from, void** to) {
  if (slot < 0) {
    for (void** p = from; p < to; p++) init_entry(*p);
    return;
  }
  if (slot == 0 || owner == nullptr) return;
  for (graph_object* x = visible_objects(owner, kind).head; x != nullptr; x = x->succ)
    init_entry(object_cell(x, kind, slot));
}

template <class graph_t>
void graph_map<graph_t>::clear_table() {
  if (slot < 0) {
    for (int i = 0; i < table_size; i++) clear_entry(table[i]);
    return;
  }
  if (slot == 0 || owner == nullptr) return;
  for (graph_object* x = visible_objects(owner, kind).head; x != nullptr; x = x->succ)
    clear_entry(object_cell(x, kind, slot));
}

template <class graph_t>
void graph_map<graph_t>::resize_table(int n) {
  free_table(old_table);
  // The old table stays until the next access: a reference handed out by the
  // last access may still point into it.
  old_table = table;
  int old_size = table_size;
  table = new_table(n);
  table_size = n;
  int kept = old_size < n ? old_size : n;
  if (kept > 0) std::memcpy(table, old_table, static_cast<size_t>(kept) * sizeof(void*));
  if (kept < n) init_table(table + kept, table + n);
}

template <class graph_t>
void*& graph_map<graph_t>::table_map_access(int i) {
  if (i < table_size) {
    if (old_table != nullptr) {
      table[old_index] = old_table[old_index];
      free_table(old_table);
      old_table = nullptr;
    }
    old_index = i;
  } else {
    resize_table(next_power(i + 1));
  }
  return table[i];
}

template <class graph_t>
int graph_map<graph_t>::next_power(int n) const {
  if (n == 0) return 0;
  int p = 1;
  while (p < n && p < (1 << 30)) p <<= 1;
  return p;
}

template class graph_map<graph>;

}  // namespace graphlib
