#include "graphlib/base/slist.h"

#include <cstddef>

#include "graphlib/base/error.h"

namespace graphlib {

static_assert(offsetof(slink, succ) == 0, "free cells are chained through their first word");

namespace {

bool needs_no_hooks(int code) { return code == 3 || code == 7; }

}  // namespace

SLIST::SLIST() : h(nullptr), t(nullptr), count(0) {}

SLIST::SLIST(void* x) : h(nullptr), t(nullptr), count(1) { h = t = new slink(x, nullptr); }

SLIST::SLIST(const SLIST& L) : h(nullptr), t(nullptr), count(0) {
  append_cells(L);
  for (slink* p = h; p; p = p->succ) L.copy_el(p->e);
}

SLIST& SLIST::operator=(const SLIST& L) {
  if (this == &L) return *this;
  clear();
  append_cells(L);
  if (!needs_no_hooks(el_type_id()))
    for (slink* p = h; p; p = p->succ) copy_el(p->e);
  return *this;
}

SLIST::~SLIST() { clear(); }

void SLIST::append_cells(const SLIST& L) {
  for (slink* p = L.h; p; p = p->succ) append(p->e);
}

slink* SLIST::append(void* x) {
  slink* c = new slink(x, nullptr);
  if (t)
    t->succ = c;
  else
    h = c;
  t = c;
  count++;
  return c;
}

slink* SLIST::push(void* x) {
  slink* c = new slink(x, h);
  if (h == nullptr) t = c;
  h = c;
  count++;
  return c;
}

slink* SLIST::insert(void* x, slink* it) {
  if (it == nullptr) {
    append(x);
    return h;
  }
  slink* c = new slink(x, it->succ);
  it->succ = c;
  if (it == t) t = c;
  count++;
  return h;
}

void SLIST::conc(SLIST& L) {
  if (&L == this || L.h == nullptr) return;
  if (h == nullptr)
    h = L.h;
  else
    t->succ = L.h;
  t = L.t;
  count += L.count;
  L.h = L.t = nullptr;
  L.count = 0;
}

void* SLIST::pop() {
  if (h == nullptr) {
    std_error_handler(1, "slist: pop on empty list.");
    return nullptr;
  }
  slink* c = h;
  void* x = c->e;
  h = c->succ;
  if (h == nullptr) t = nullptr;
  count--;
  delete c;
  return x;
}

void SLIST::clear() {
  if (h == nullptr) return;
  if (!needs_no_hooks(el_type_id()))
    for (slink* p = h; p; p = p->succ) clear_el(p->e);
  std_memory_mgr.deallocate_list(h, t, sizeof(slink));
  h = t = nullptr;
  count = 0;
}

void SLIST::clear_el(void*&) const {}
void SLIST::copy_el(void*&) const {}
int SLIST::el_type_id() const { return 0; }

}  // namespace graphlib
