#include "graphlib/base/ch_map.h"

#include <iostream>
#include <new>

#include "graphlib/base/error.h"

namespace graphlib {

int ch_map::table_size_for(int n) {
  if (n > max_table_size) {
    std_error_handler(1, "ch_map: table size too large");
    return max_table_size;
  }
  int T = min_table_size;
  while (T < n) T <<= 1;
  return T;
}

ch_map::ch_map(int n)
    : nil_key(0), dummy_key(1), STOP(), table(nullptr), table_end(nullptr), free(nullptr), table_size(0),
      table_size_1(0), old_table(nullptr), old_table_end(nullptr), old_free(nullptr), old_table_size(0),
      old_table_size_1(0), last_key(0), last_key_valid(false), carry_key(0), carry_pending(false) {
  init_table(table_size_for(n));
}

ch_map::ch_map(const ch_map& D)
    : nil_key(0), dummy_key(1), STOP(), table(nullptr), table_end(nullptr), free(nullptr), table_size(0),
      table_size_1(0), old_table(nullptr), old_table_end(nullptr), old_free(nullptr), old_table_size(0),
      old_table_size_1(0), last_key(0), last_key_valid(false), carry_key(0), carry_pending(false) {
  D.settle();
  init_table(D.table_size);
  // This object's derived part does not exist yet: D's hook makes the copy,
  // which D keeps, while this map takes the value D held.
  copy_from(D, D);
}

ch_map& ch_map::operator=(const ch_map& D) {
  if (this == &D) return *this;
  D.settle();
  clear_entries();
  delete[] table;
  init_table(D.table_size);
  copy_from(D, *this);
  return *this;
}

ch_map::~ch_map() {
  free_old_table();
  delete[] table;
}

void ch_map::clear_inf(void*&) const {}
void ch_map::copy_inf(void*&) const {}
void ch_map::init_inf(void*&) const {}

void ch_map::init_table(int T) {
  table = new ch_map_elem[static_cast<size_t>(T) + static_cast<size_t>(T / 2)];
  table_size = T;
  table_size_1 = T - 1;
  free = table + T;
  table_end = free + T / 2;
  for (ch_map_elem* p = table; p < free; p++) {
    p->key = nil_key;
    p->succ = &STOP;
  }
  table[0].key = dummy_key;
  // Forget the old contents' last key: a stale carry-over must not reach the new ones.
  last_key_valid = false;
  carry_pending = false;
}

ch_map_elem* ch_map::place(unsigned long k, void* inf) {
  ch_map_elem* p = head(k);
  if (p->key == nil_key) {
    p->key = k;
    p->inf = inf;
    return p;
  }
  ch_map_elem* q = free++;
  q->key = k;
  q->inf = inf;
  q->succ = p->succ;
  p->succ = q;
  return q;
}

void ch_map::copy_from(const ch_map& D, const ch_map& hooks) {
  for (ch_map_elem* p = D.next_item(D.table); p != nullptr; p = D.next_item(p)) {
    place(p->key, p->inf);
    hooks.copy_inf(p->inf);
  }
}

void ch_map::rehash() {
  if (table_size >= max_table_size) {
    std_error_handler(1, "ch_map: table size too large");
    throw std::bad_alloc();
  }
  old_table = table;
  old_table_end = table_end;
  old_free = free;
  old_table_size = table_size;
  old_table_size_1 = table_size_1;
  bool carry = last_key_valid;
  init_table(2 * table_size);
  // The caller may still hold the cell of the access before this one; its
  // value is carried over at the next access.
  carry_pending = carry;
  carry_key = last_key;

  ch_map_elem* old_heads_end = old_table + old_table_size;
  for (ch_map_elem* p = old_table + 1; p < old_heads_end; p++)
    if (p->key != nil_key) place(p->key, p->inf);
  for (ch_map_elem* p = old_heads_end; p < old_free; p++) place(p->key, p->inf);
}

void ch_map::free_old_table() {
  delete[] old_table;
  old_table = old_table_end = old_free = nullptr;
  old_table_size = old_table_size_1 = 0;
  carry_pending = false;
}

void ch_map::del_old_table() {
  if (old_table == nullptr) return;
  if (carry_pending) {
    ch_map_elem* from = find(old_table, old_table_size_1, carry_key);
    ch_map_elem* to = find(table, table_size_1, carry_key);
    if (from != nullptr && to != nullptr) to->inf = from->inf;
  }
  free_old_table();
}

void ch_map::settle() const {
  if (old_table != nullptr) const_cast<ch_map*>(this)->del_old_table();
}

void*& ch_map::access(unsigned long k) {
  settle();
  ch_map_elem* p = head(k);
  if (p->key == k) {
    last_key = k;
    last_key_valid = true;
    return p->inf;
  }
  if (p->key == nil_key) {
    p->key = k;
    init_inf(p->inf);
    last_key = k;
    last_key_valid = true;
    return p->inf;
  }
  return access(p, k);
}

void*& ch_map::access(ch_map_elem* p, unsigned long k) {
  STOP.key = k;
  ch_map_elem* q = p->succ;
  while (q->key != k) q = q->succ;
  if (q == &STOP) {
    if (free == table_end) rehash();
    q = place(k, nullptr);
    init_inf(q->inf);
  }
  last_key = k;
  last_key_valid = true;
  return q->inf;
}

ch_map_elem* ch_map::find(ch_map_elem* T, int mask, unsigned long k) const {
  ch_map_elem* p = T + (k & static_cast<unsigned long>(mask));
  if (p->key == k) return p;
  STOP.key = k;
  ch_map_elem* q = p->succ;
  while (q->key != k) q = q->succ;
  return q == &STOP ? nullptr : q;
}

ch_map_elem* ch_map::lookup(unsigned long k) const {
  settle();
  return find(table, table_size_1, k);
}

ch_map_elem* ch_map::first_item() const {
  settle();
  return next_item(table);
}

ch_map_elem* ch_map::next_item(ch_map_elem* it) const {
  if (it == nullptr) return nullptr;
  ch_map_elem* heads_end = table + table_size;
  ++it;
  while (it < heads_end && it->key == nil_key) ++it;
  return it < free ? it : nullptr;
}

void ch_map::clear_entries() {
  for (ch_map_elem* p = first_item(); p != nullptr; p = next_item(p)) clear_inf(p->inf);
}

void ch_map::clear() {
  clear_entries();
  delete[] table;
  init_table(min_table_size);
}

void ch_map::statistics() const {
  settle();
  int heads = 0;
  for (ch_map_elem* p = table + 1; p < table + table_size; p++)
    if (p->key != nil_key) heads++;
  int n = heads + static_cast<int>(free - (table + table_size));
  std::cout << "table_size: " << table_size << std::endl;
  std::cout << "number of entries: " << n << std::endl;
  std::cout << "fraction of entries in first position: " << static_cast<double>(heads) / n << std::endl;
  std::cout << "fraction of empty lists: " << static_cast<double>(table_size - heads) / table_size << std::endl;
}

}  // namespace graphlib
