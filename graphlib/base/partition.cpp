#include "graphlib/base/partition.h"

namespace graphlib {

partition_node* partition::new_block(void* inf) {
  block_count++;
  all_items = new partition_node(inf, all_items);
  return all_items;
}

partition_node* partition::find(partition_node* p) const {
  if (p->parent == nullptr) return p;
  partition_node* r = p->parent;
  while (r->parent) r = r->parent;
  if (p->parent == r) return r;
  while (p->parent != r) {
    partition_node* up = p->parent;
    p->parent = r;
    p = up;
  }
  return r;
}

void partition::union_blocks(partition_node* p, partition_node* q) {
  partition_node* r1 = find(p);
  partition_node* r2 = find(q);
  if (r1 == r2) return;
  block_count--;
  if (r1->size > r2->size) {
    r2->parent = r1;
    r1->size += r2->size;
  } else {
    r1->parent = r2;
    r2->size += r1->size;
  }
}

void partition::reset(partition_node* p) {
  if (p->parent) {
    p->parent = nullptr;
    block_count++;
  }
  p->size = 1;
}

void partition::split(const list<partition_node*>& L) {
  for (dlink* it = L.first(); it; it = L.succ(it)) reset(L.contents(it));
}

void partition::clear() {
  while (all_items) {
    partition_node* p = all_items;
    all_items = p->next;
    clear_inf(p->inf);
    delete p;
  }
  block_count = 0;
}

void partition::clear_inf(void*&) const {}

}  // namespace graphlib
