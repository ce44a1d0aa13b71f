#pragma once
// Untyped map from the nodes, edges or faces of one graph to cells, and the
// registry through which a graph keeps the maps bound to it up to date.
//
// Where an entry lives depends on slot: -1 an index table owned by the map, 0
// data cell 0 of each object (the infos of a parameterised graph), >= 1 a data
// slot of each object reserved in the graph's registry.
#include "graphlib/base/basic.h"
#include "graphlib/base/list.h"
#include "graphlib/graph/graph_objects.h"

#include <istream>
#include <ostream>

namespace graphlib {

template <class graph_t>
class graph_map;

// The maps bound to a graph (most recently registered first) and the data
// slots that no map holds, per kind (0 node, 1 edge, 2 face).
template <class graph_t>
class g_register {
 public:
  g_register(int n_first, int n_count, int e_first, int e_count) {
    for (int i = 0; i < n_count; i++) free_slots[0].append(n_first + i);
    for (int i = 0; i < e_count; i++) free_slots[1].append(e_first + i);
  }
  g_register(const g_register&) = delete;
  g_register& operator=(const g_register&) = delete;

  dlink* register_map(graph_map<graph_t>* M, int& slot, bool use_slot) {
    list<int>& free = free_slots[M->kind];
    slot = -1;
    if (use_slot && !free.empty()) slot = free.pop();
    return maps[M->kind].push(M);
  }

  void unregister_map(graph_map<graph_t>* M) {
    maps[M->kind].del(M->reg_item);
    M->reg_item = nullptr;
    if (M->slot > 0) free_slots[M->kind].push(M->slot);
  }

  list<graph_map<graph_t>*> maps[3];
  list<int> free_slots[3];
};

template <class graph_t>
class graph_map {
 public:
  graph_map(const graph_t* G, int n, int k);
  graph_map(const graph_map& M);
  graph_map& operator=(const graph_map& M);

  virtual void read_entry(std::istream& is, void*& x);
  virtual void write_entry(std::ostream& os, void*& x) const;
  virtual void init_entry(void*& x) const;
  virtual void clear_entry(void*& x) const;
  virtual void copy_entry(void*& x) const;
  virtual int cmp_entry(void* x, void* y) const;
  virtual int elem_type_id() const;
  virtual ~graph_map();

  // Makes this map the slot-0 (info) map of G.
  void init(const graph_t* G, int k);
  // Binds the map to G with room for n objects; returns the resulting slot.
  int init(const graph_t* G, int n, int k, bool use_slot);

  void init_table(void** from, void** to);
  void clear_table();
  void resize_table(int n);
  void*& table_map_access(int i);

  void*& array_access(node v) const { return slot >= 0 ? v->data[slot] : table[v->index()]; }
  void*& array_access(edge e) const { return slot >= 0 ? e->data[slot] : table[e->index()]; }
  void*& array_access(face f) const { return slot >= 0 ? f->data[slot] : table[f->index()]; }

  int next_power(int n) const;

  int kind;
  void** table;
  int table_size;
  const graph_t* owner;
  int slot;
  dlink* reg_item;
  void* def_entry;
  void** old_table;
  int old_index;

 private:
  g_register<graph_t>& registry() const;
  void bind(const graph_t* G, bool use_slot);
  void unbind();
  void release_tables();
  // Copies M's table (through copy_from's copy hook) into a new table of this map.
  void copy_table(const graph_map& M, const graph_map& copy_from);
};

}  // namespace graphlib
