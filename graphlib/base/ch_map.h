#pragma once
// Hash map from unsigned long keys to one untyped cell each: chaining in a
// power-of-two table whose collisions go to an overflow pool allocated in the
// same block. Lookups through access() insert absent keys.
#include "graphlib/base/memory_manager.h"

#include <cstddef>

namespace graphlib {

class ch_map_elem {
 public:
  unsigned long key;
  void* inf;
  ch_map_elem* succ;
};

class ch_map {
 public:
  explicit ch_map(int n = 1);
  ch_map(const ch_map& D);
  ch_map& operator=(const ch_map& D);
  // Frees the tables; destroying the information is the typed map's business.
  virtual ~ch_map();

  // The cell of k, inserted with init_inf when absent. The cell stays usable
  // until the next access, even when that access grows the table: a value
  // written into it then is carried into the grown table.
  void*& access(unsigned long k);
  // The element holding k, or nil; never inserts.
  ch_map_elem* lookup(unsigned long k) const;

  // Head slots in index order, then the pool in insertion order.
  ch_map_elem* first_item() const;
  ch_map_elem* next_item(ch_map_elem* it) const;

  // clear_inf on every stored entry; the keys stay.
  void clear_entries();
  // An empty map of the smallest size.
  void clear();
  void statistics() const;

  // The number of head slots.
  int size() const { return table_size; }

  virtual void clear_inf(void*& x) const;
  virtual void copy_inf(void*& x) const;
  virtual void init_inf(void*& x) const;

  // The hash mask cannot represent more head slots than this.
  static const int max_table_size = 1 << 30;
  static const int min_table_size = 512;

 protected:
  void*& access(ch_map_elem* p, unsigned long k);
  void init_table(int T);
  void rehash();
  void del_old_table();
  // Carries a pending write over before anything reads the table.
  void settle() const;

  const unsigned long nil_key;
  const unsigned long dummy_key;
  mutable ch_map_elem STOP;

  ch_map_elem* table;
  ch_map_elem* table_end;
  ch_map_elem* free;
  int table_size;
  int table_size_1;

  ch_map_elem* old_table;
  ch_map_elem* old_table_end;
  ch_map_elem* old_free;
  int old_table_size;
  int old_table_size_1;

  // The key of the most recent access; its cell is the one a caller may
  // still hold when the next access grows the table.
  unsigned long last_key;
  bool last_key_valid;
  // The key whose value moves from the old table at the next access.
  unsigned long carry_key;
  bool carry_pending;

 private:
  ch_map_elem* head(unsigned long k) const { return table + (k & static_cast<unsigned long>(table_size_1)); }
  // Puts an element (key and cell bits) into the current table the way a
  // rehash does: into the empty head slot, else behind it from the pool.
  ch_map_elem* place(unsigned long k, void* inf);
  ch_map_elem* find(ch_map_elem* T, int mask, unsigned long k) const;
  void copy_from(const ch_map& D, const ch_map& hooks);
  void free_old_table();
  static int table_size_for(int n);
};

}  // namespace graphlib
