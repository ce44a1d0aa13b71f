#include "graphlib/base/dlist.h"

#include <cctype>
#include <iostream>
#include <utility>

#include "graphlib/base/error.h"
#include "graphlib/base/slot.h"

namespace graphlib {

static_assert(offsetof(dlink, succ) == 0, "free cells are chained through their first word");

namespace {

bool needs_no_hooks(int code) { return code == 3 || code == 5 || code == 7; }

}  // namespace

dlist::dlist() : h(nullptr), t(nullptr), count(0), typed_paths(false) {}

dlist::dlist(void* x) : h(nullptr), t(nullptr), count(1), typed_paths(false) { h = t = new dlink(x, nullptr, nullptr); }

dlist::dlist(const dlist& L) : h(nullptr), t(nullptr), count(0), typed_paths(false) { copy_cells(L, L); }

dlist& dlist::operator=(const dlist& L) {
  if (this == &L) return *this;
  clear();
  copy_cells(L, *this);
  return *this;
}

void dlist::copy_cells(const dlist& L, const dlist& hooks) {
  int n = L.length();
  for (dlink* p = L.h; p; p = p->succ) {
    dlink* c = new dlink(p->e, t, nullptr);
    if (t)
      t->succ = c;
    else
      h = c;
    t = c;
  }
  count = n;
  if (!needs_no_hooks(hooks.el_type_id()))
    for (dlink* p = h; p; p = p->succ) hooks.copy_el(p->e);
}

dlist::~dlist() { clear(); }

void dlist::prepend_copies(const dlist& src, const dlist& hooks) {
  for (dlink* p = src.t; p; p = p->pred) {
    dlink* c = push(p->e);
    hooks.copy_el(c->e);
  }
}

dlist dlist::operator+(const dlist& L) const {
  dlist result(L);
  result.prepend_copies(*this, L);
  return result;
}

void dlist::recompute_length() const {
  int n = 0;
  for (dlink* p = h; p; p = p->succ) n++;
  count = n;
}

int dlist::length() const {
  if (count < 0) recompute_length();
  return count;
}

dlink* dlist::get_item(int i) const {
  if (i < 0 || i >= length()) {
    std_error_handler(1, "dlist::get_item: index out of range");
    return nullptr;
  }
  dlink* p = h;
  while (i-- > 0) p = p->succ;
  return p;
}

dlink* dlist::succ(dlink* it, int i) const {
  if (i < 0) return nullptr;
  while (it && i-- > 0) it = it->succ;
  return it;
}

dlink* dlist::pred(dlink* it, int i) const {
  if (i < 0) return nullptr;
  while (it && i-- > 0) it = it->pred;
  return it;
}

dlink* dlist::search(void* x) const {
  for (dlink* p = h; p; p = p->succ)
    if (cmp(p->e, x) == 0) return p;
  return nullptr;
}

int dlist::rank(void* x) const {
  int r = 1;
  for (dlink* p = h; p; p = p->succ, r++)
    if (cmp(p->e, x) == 0) return r;
  return 0;
}

dlink* dlist::max() const {
  dlink* best = h;
  if (best == nullptr) return nullptr;
  for (dlink* c = h->succ; c; c = c->succ)
    if (cmp(c->e, best->e) > 0) best = c;
  return best;
}

dlink* dlist::min() const {
  dlink* best = h;
  if (best == nullptr) return nullptr;
  for (dlink* c = h->succ; c; c = c->succ)
    if (cmp(c->e, best->e) < 0) best = c;
  return best;
}

dlink* dlist::append(void* x) {
  dlink* c = new dlink(x, t, nullptr);
  if (t)
    t->succ = c;
  else
    h = c;
  t = c;
  if (count >= 0) count++;
  return c;
}

dlink* dlist::push(void* x) {
  dlink* c = new dlink(x, nullptr, h);
  if (h)
    h->pred = c;
  else
    t = c;
  h = c;
  if (count >= 0) count++;
  return c;
}

dlink* dlist::insert(void* x, dlink* it, int dir) {
  if (it == nullptr) return append(x);
  if (dir != 0 && dir != 1) {
    std_error_handler(1, "dlist::insert: illegal dir argument.");
    return nullptr;
  }
  dlink* c;
  if (dir == 0) {
    c = new dlink(x, it, it->succ);
    if (it->succ)
      it->succ->pred = c;
    else
      t = c;
    it->succ = c;
  } else {
    c = new dlink(x, it->pred, it);
    if (it->pred)
      it->pred->succ = c;
    else
      h = c;
    it->pred = c;
  }
  if (count >= 0) count++;
  return c;
}

void dlist::unlink(dlink* it) {
  if (it->pred)
    it->pred->succ = it->succ;
  else
    h = it->succ;
  if (it->succ)
    it->succ->pred = it->pred;
  else
    t = it->pred;
  count--;
  delete it;
}

void* dlist::pop() {
  if (h == nullptr) {
    std_error_handler(1, "dlist::pop on empty list.");
    return nullptr;
  }
  void* x = h->e;
  unlink(h);
  return x;
}

void* dlist::pop_back() {
  if (t == nullptr) {
    std_error_handler(1, "dlist::pop_back on empty list.");
    return nullptr;
  }
  void* x = t->e;
  unlink(t);
  return x;
}

void* dlist::del(dlink* it) {
  if (it == nullptr) {
    std_error_handler(999, "dlist: delete nil-item");
    return nullptr;
  }
  void* x = it->e;
  unlink(it);
  return x;
}

void dlist::remove(void* x) {
  int code = el_type_id();
  dlink* p = h;
  while (p) {
    dlink* next = p->succ;
    if (code == 3) {
      if (graphlib_slot_value<int>(p->e) == graphlib_slot_value<int>(x)) unlink(p);
    } else if (code == 6) {
      if (*static_cast<double*>(p->e) == *static_cast<double*>(x)) {
        std_memory_mgr.deallocate_bytes(p->e, sizeof(double));
        unlink(p);
      }
    } else if (cmp(p->e, x) == 0) {
      clear_el(p->e);
      unlink(p);
    }
    p = next;
  }
}

void dlist::clear() {
  if (h == nullptr) return;
  if (!needs_no_hooks(el_type_id()))
    for (dlink* p = h; p; p = p->succ) clear_el(p->e);
  std_memory_mgr.deallocate_list(h, t, sizeof(dlink));
  h = t = nullptr;
  count = 0;
}

void dlist::swap(dlist& L) {
  std::swap(h, L.h);
  std::swap(t, L.t);
  std::swap(count, L.count);
}

void dlist::conc(dlist& L, int dir) {
  if (dir != 0 && dir != 1) {
    std_error_handler(1, "dlist::conc: illegal dir argument.");
    return;
  }
  if (&L == this) return;
  if (h == nullptr) {
    h = L.h;
    t = L.t;
    count = L.count;
  } else {
    if (L.h) {
      if (dir == 0) {
        t->succ = L.h;
        L.h->pred = t;
        t = L.t;
      } else {
        L.t->succ = h;
        h->pred = L.t;
        h = L.h;
      }
    }
    count = count >= 0 && L.count >= 0 ? count + L.count : -1;
  }
  L.h = L.t = nullptr;
  L.count = 0;
}

void dlist::split(dlink* it, dlist& L1, dlist& L2, int dir) {
  if (h == nullptr) {
    std_error_handler(1, "dlist::split: list is empty.");
    return;
  }
  if (&L1 == &L2) {
    std_error_handler(1, "dlist::split: identical arguments.");
    return;
  }
  if (dir != 0 && dir != 1) {
    std_error_handler(1, "dlist::split: illegal dir argument.");
    return;
  }
  dlink *h1, *t1, *h2, *t2;
  if (it == nullptr) {
    h1 = t1 = nullptr;
    h2 = h;
    t2 = t;
  } else if (dir == 0) {
    h1 = h;
    t1 = it;
    h2 = it->succ;
    t2 = h2 ? t : nullptr;
  } else {
    t1 = it->pred;
    h1 = t1 ? h : nullptr;
    h2 = it;
    t2 = t;
  }
  if (t1) t1->succ = nullptr;
  if (h2) h2->pred = nullptr;
  h = t = nullptr;
  count = 0;
  if (&L1 != this) L1.clear();
  if (&L2 != this) L2.clear();
  L1.h = h1;
  L1.t = t1;
  L1.count = -1;
  L2.h = h2;
  L2.t = t2;
  L2.count = -1;
}

void dlist::splice(dlink* pos, dlist& L) {
  if (&L == this) {
    std_error_handler(1, "list::splice: cannot splice list into itself");
    return;
  }
  if (L.h == nullptr) return;
  if (pos == nullptr) {
    conc(L, 0);
    return;
  }
  dlist rest;
  split(pos, *this, rest, 1);
  conc(L, 0);
  conc(rest, 0);
}

void dlist::splice(dlink* pos, dlist& L, dlink* it1, dlink* it2) {
  if (L.h == nullptr) return;
  dlist moved;
  dlist after;
  L.split(it1, L, moved, 1);
  if (it2) moved.split(it2, moved, after, 1);
  L.conc(after, 0);
  splice(pos, moved);
}

void dlist::splice(dlink* pos, dlist& L, dlink* it) {
  if (it == nullptr || pos == it || pos == it->succ) return;
  splice(pos, L, it, it->succ);
}

void dlist::move_to_front(dlink* it) {
  if (it == nullptr) {
    std_error_handler(1, "dlist::move_to_front: nil argument");
    return;
  }
  if (it == h) return;
  it->pred->succ = it->succ;
  if (it->succ)
    it->succ->pred = it->pred;
  else
    t = it->pred;
  it->pred = nullptr;
  it->succ = h;
  h->pred = it;
  h = it;
}

void dlist::move_to_back(dlink* it) {
  if (it == nullptr) {
    std_error_handler(1, "dlist::move_to_back: nil argument");
    return;
  }
  if (it == t) return;
  it->succ->pred = it->pred;
  if (it->pred)
    it->pred->succ = it->succ;
  else
    h = it->succ;
  it->succ = nullptr;
  it->pred = t;
  t->succ = it;
  t = it;
}

void dlist::apply() {
  for (dlink* p = h; p; p = p->succ) app(p->e);
}

void dlist::print(std::ostream& os, string s, char space) const {
  os << s;
  for (dlink* p = h; p; p = p->succ) {
    os << space;
    print_el(p->e, os);
  }
  os.flush();
}

void dlist::print(std::ostream& os, char space) const {
  for (dlink* p = h; p; p = p->succ) {
    if (p != h) os << space;
    print_el(p->e, os);
  }
  os.flush();
}

void dlist::read(std::istream& is, string s, int delim) {
  std::cout << s;
  clear();
  for (;;) {
    int c = is.get();
    while (!is.fail() && std::isspace(c) && c != delim) c = is.get();
    if (is.fail()) break;
    if (delim != -1 && c == delim) break;
    is.putback(static_cast<char>(c));
    void* x = nullptr;
    read_el(x, is);
    // An element that cannot be read ends the list instead of being retried forever.
    if (is.fail()) break;
    append(x);
  }
}

int dlist::cmp(void*, void*) const { return 0; }
int dlist::ord(void*) const { return 0; }
void dlist::app(void*&) {}
void dlist::read_el(void*&, std::istream& is) const { is.setstate(std::ios::failbit); }
void dlist::print_el(void*&, std::ostream&) const {}
void dlist::clear_el(void*&) const {}
void dlist::copy_el(void*&) const {}
int dlist::el_type_id() const { return 0; }

}  // namespace graphlib
