#include "graphlib/algorithms/pq_tree.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace graphlib {

namespace {

typedef pq_node_struct pqn;

bool is_dir(const pqn* v) { return v != nullptr && v->type == pqn::DIRECTION; }
bool is_full(const pqn* v) { return v != nullptr && v->label == pqn::FULL; }

// Puts n into the nil sibling field of the chain end e.
void set_free_sib(pqn* e, pqn* n) {
  if (e->sib1 == nullptr)
    e->sib1 = n;
  else
    e->sib2 = n;
}

// Makes v's link that named old_node name new_node.
void relink(pqn* v, pqn* old_node, pqn* new_node) {
  if (v == nullptr) return;
  if (v->sib1 == old_node)
    v->sib1 = new_node;
  else if (v->sib2 == old_node)
    v->sib2 = new_node;
}

pqn* full_end_child(pqn* y) { return is_full(y->right_end) ? y->right_end : y->left_end; }
pqn* empty_end_child(pqn* y) { return is_full(y->right_end) ? y->left_end : y->right_end; }

void out_of_memory() { error_handler(1, "pq_tree: out of memory"); }

}  // namespace

pq_node_struct::pq_node_struct()
    : type(P_NODE), mark(UNMARKED), label(EMPTY), parent_type(Q_NODE), index(0), child_count(0),
      pert_child_count(0), pert_leaf_count(0), full_child_count(0), parent(nullptr), sib1(nullptr),
      sib2(nullptr), left_end(nullptr), right_end(nullptr), partial1(nullptr), partial2(nullptr) {}

void pq_node_struct::node_reset() {
  mark = UNMARKED;
  label = EMPTY;
  pert_child_count = 0;
  pert_leaf_count = 0;
  full_child_count = 0;
  partial1 = nullptr;
  partial2 = nullptr;
}

pq_tree::pq_tree(int n)
    : full_nodes(), leaves(nullptr), leaves_size(0), block_count(0), blocked_nodes(0), off_the_top(0),
      failed(false), root(nullptr), pseudo(new pq_node_struct), ok(true) {
  // The pseudonode's index counts the stamps of direction indicators.
  pseudo->index = 2;
  try {
    if (n >= 1) {
      if (n == INT_MAX)
        out_of_memory();
      else
        leaves_init(n + 1);
    }
  } catch (...) {
    // A handler that throws leaves no tree whose destructor would free it.
    delete pseudo;
    throw;
  }
}

// Frees every node whatever state the last reduction left: nodes in
// full_nodes and the direction indicators are all still linked in the tree.
pq_tree::~pq_tree() {
  if (root != nullptr) del_subtree(root);
  full_nodes.clear();
  delete pseudo;
  std::free(leaves);
}

void pq_tree::leaves_init(int n) {
  std::free(leaves);
  leaves = nullptr;
  leaves_size = 0;
  if (n <= 0) return;
  void* p = std::calloc(static_cast<size_t>(n), sizeof(pq_node_struct*));
  if (p == nullptr) {
    out_of_memory();
    return;
  }
  leaves = static_cast<pq_node_struct**>(p);
  leaves_size = n;
}

void pq_tree::leaves_double() {
  if (leaves_size <= 0 || leaves == nullptr) {
    leaves_init(32);
    return;
  }
  if (leaves_size > INT_MAX / 2) {
    out_of_memory();
    return;
  }
  size_t k = 2 * static_cast<size_t>(leaves_size);
  void* p = std::calloc(k, sizeof(pq_node_struct*));
  if (p == nullptr) {
    out_of_memory();
    return;
  }
  std::memcpy(p, leaves, static_cast<size_t>(leaves_size) * sizeof(pq_node_struct*));
  std::free(leaves);
  leaves = static_cast<pq_node_struct**>(p);
  leaves_size = static_cast<int>(k);
}

void pq_tree::del_subtree(pq_node_struct* v) { free_subtree(v, false); }

void pq_tree::free_subtree(pq_node_struct* v, bool forget_leaves) {
  if (v == nullptr) return;
  // An explicit stack: a tree built by a long run of replacements can be deep.
  std::vector<pq_node_struct*> todo(1, v);
  while (!todo.empty()) {
    pq_node_struct* u = todo.back();
    todo.pop_back();
    pq_node_struct* cur = u->left_end;
    pq_node_struct* prev = nullptr;
    while (cur != nullptr) {
      todo.push_back(cur);
      if (cur == u->right_end) break;
      go_to_sibling(cur, prev);
    }
    if (forget_leaves && u->type == pq_node_struct::LEAF && u->index >= 0 && u->index < leaves_size &&
        leaves[u->index] == u)
      leaves[u->index] = nullptr;
    delete u;
  }
}

void pq_tree::go_to_sibling(pq_node_struct*& cur, pq_node_struct*& prev) {
  pq_node_struct* next = (cur->sib1 != prev) ? cur->sib1 : cur->sib2;
  prev = cur;
  cur = next;
}

void pq_tree::skip_dir(pq_node_struct*& cur, pq_node_struct*& prev) {
  while (cur != nullptr && cur->type == pq_node_struct::DIRECTION) go_to_sibling(cur, prev);
}

pq_node_struct* pq_tree::remove_from_siblings(pq_node_struct* p, pq_node_struct* c) {
  pq_node_struct* s1 = c->sib1;
  pq_node_struct* s2 = c->sib2;
  relink(s1, c, s2);
  relink(s2, c, s1);
  pq_node_struct* other = (s1 != nullptr) ? s1 : s2;
  if (p != nullptr) {
    if (p->left_end == c) {
      p->left_end = other;
      if (other != nullptr) other->parent = p;
    }
    if (p->right_end == c) {
      p->right_end = other;
      if (other != nullptr) other->parent = p;
    }
    if (p->partial1 == c) {
      p->partial1 = p->partial2;
      p->partial2 = nullptr;
    } else if (p->partial2 == c) {
      p->partial2 = nullptr;
    }
  }
  return c;
}

void pq_tree::replace_in_siblings(pq_node_struct* old_node, pq_node_struct* new_node) {
  new_node->parent = old_node->parent;
  new_node->parent_type = old_node->parent_type;
  new_node->sib1 = old_node->sib1;
  new_node->sib2 = old_node->sib2;
  relink(old_node->sib1, old_node, new_node);
  relink(old_node->sib2, old_node, new_node);
  // Only a chain end or a child of a P-node has a parent worth reading: the
  // parent of an interior Q-node child may be long gone.
  pq_node_struct* p = old_node->parent;
  bool parent_valid = old_node->parent_type == pq_node_struct::P_NODE || old_node->sib1 == nullptr ||
                      old_node->sib2 == nullptr;
  if (p != nullptr && p != pseudo && parent_valid) {
    if (p->left_end == old_node) p->left_end = new_node;
    if (p->right_end == old_node) p->right_end = new_node;
  }
  if (pseudo->left_end == old_node) pseudo->left_end = new_node;
  if (pseudo->right_end == old_node) pseudo->right_end = new_node;
  if (root == old_node) {
    root = new_node;
    new_node->parent = nullptr;
  }
}

namespace {

// Links c in as the new right (or left) end of p's chain.
void attach_at_end(pqn* p, pqn* c, bool right) {
  pqn* end = right ? p->right_end : p->left_end;
  if (end == nullptr) {
    p->left_end = p->right_end = c;
    c->sib1 = c->sib2 = nullptr;
    return;
  }
  set_free_sib(end, c);
  c->sib1 = right ? end : nullptr;
  c->sib2 = right ? nullptr : end;
  (right ? p->right_end : p->left_end) = c;
}

}  // namespace

void pq_tree::append_as_right_child(pq_node_struct* p, pq_node_struct* c) { attach_at_end(p, c, true); }

void pq_tree::append_as_left_child(pq_node_struct* p, pq_node_struct* c) {
  c->parent = p;
  c->parent_type = pq_node_struct::Q_NODE;
  attach_at_end(p, c, false);
}

bool pq_tree::set_as_part_child(pq_node_struct* c) {
  c->label = pq_node_struct::PARTIAL;
  pq_node_struct* p = c->parent;
  if (p->partial1 == nullptr) {
    p->partial1 = c;
  } else if (p->partial2 == nullptr) {
    p->partial2 = c;
  } else {
    failed = true;
    return false;
  }
  return true;
}

void pq_tree::delete_part_node_parent(pq_node_struct* x) {
  pq_node_struct* y = x->partial1;
  replace_in_siblings(x, y);
  if (root == y) {
    y->parent = nullptr;
    y->sib1 = y->sib2 = nullptr;
    y->parent_type = pq_node_struct::Q_NODE;
  }
  delete x;
}

void pq_tree::release_partial_parent(pq_node_struct* x, pq_node_struct* y) {
  y->node_reset();
  if (x->child_count == 1)
    delete_part_node_parent(x);
  else
    x->node_reset();
}

pq_node_struct* pq_tree::first_real_sibling(pq_node_struct* v, pq_node_struct* side) {
  pq_node_struct* prev = v;
  skip_dir(side, prev);
  return side;
}

// Every number of S must be a leaf, and none repeated.
static bool pertinent_leaves_acceptable(pq_tree& T, list<int>& S) {
  bool acceptable = true;
  dlink* it = S.first();
  for (; it != nullptr; it = S.succ(it)) {
    int s = S[it];
    if (s < 0 || s >= T.leaves_size || T.leaves[s] == nullptr ||
        T.leaves[s]->mark == pq_node_struct::QUEUED) {
      acceptable = false;
      break;
    }
    T.leaves[s]->mark = pq_node_struct::QUEUED;
  }
  for (dlink* jt = S.first(); jt != it; jt = S.succ(jt)) T.leaves[S[jt]]->mark = pq_node_struct::UNMARKED;
  return acceptable;
}

bool pq_tree::reduction(list<int>& S) {
  if (!ok) return false;
  while (!full_nodes.empty()) full_nodes.pop()->node_reset();
  pseudo->type = pq_node_struct::P_NODE;
  pseudo->node_reset();
  // Both passes take the leaf of every number without looking. Refused, the
  // tree is as before but has no pertinent part for an update to replace.
  if (!pertinent_leaves_acceptable(*this, S)) {
    pseudo->left_end = pseudo->right_end = nullptr;
    return false;
  }
  ok = bubble(S) && reduce(S);
  return ok;
}

bool pq_tree::bubble(list<int>& S) {
  queue<pq_node_struct*> Q;
  block_count = 0;
  blocked_nodes = 0;
  off_the_top = 0;
  pseudo->left_end = nullptr;
  pseudo->right_end = nullptr;
  pseudo->partial1 = pseudo->partial2 = nullptr;
  for (dlink* it = S.first(); it != nullptr; it = S.succ(it)) {
    pq_node_struct* leaf = leaves[S[it]];
    leaf->mark = pq_node_struct::QUEUED;
    Q.append(leaf);
  }
  for (;;) {
    if (block_count + Q.length() + off_the_top < 2) {
      if (block_count != 0) {
        pseudo->pert_child_count = blocked_nodes;
        pseudo->type = pq_node_struct::Q_NODE;
      }
      return true;
    }
    if (Q.empty()) return false;
    pq_node_struct* x = Q.pop();
    pq_node_struct* n1 = first_real_sibling(x, x->sib1);
    pq_node_struct* n2 = first_real_sibling(x, x->sib2);
    x->mark = pq_node_struct::BLOCKED;
    if (x->parent_type == pq_node_struct::P_NODE || x->sib1 == nullptr || x->sib2 == nullptr) {
      x->mark = pq_node_struct::UNBLOCKED;
    } else if (n1 != nullptr && n1->mark == pq_node_struct::UNBLOCKED) {
      x->mark = pq_node_struct::UNBLOCKED;
      x->parent = n1->parent;
    } else if (n2 != nullptr && n2->mark == pq_node_struct::UNBLOCKED) {
      x->mark = pq_node_struct::UNBLOCKED;
      x->parent = n2->parent;
    }
    if (x->mark == pq_node_struct::UNBLOCKED) {
      pq_node_struct* y = x->parent;
      for (int side = 0; side < 2; side++) {
        pq_node_struct* cur = side == 0 ? x->sib1 : x->sib2;
        pq_node_struct* prev = x;
        if (cur == nullptr || (cur->mark != pq_node_struct::BLOCKED && !is_dir(cur))) continue;
        bool unblocked_any = false;
        while (cur != nullptr && (cur->mark == pq_node_struct::BLOCKED || is_dir(cur))) {
          if (cur->mark == pq_node_struct::BLOCKED) {
            cur->mark = pq_node_struct::UNBLOCKED;
            cur->parent = y;
            if (y != nullptr) y->pert_child_count++;
            blocked_nodes--;
            unblocked_any = true;
          }
          go_to_sibling(cur, prev);
        }
        if (unblocked_any) block_count--;
      }
      if (y == nullptr) {
        off_the_top = 1;
      } else {
        y->pert_child_count++;
        if (y->mark == pq_node_struct::UNMARKED) {
          Q.append(y);
          y->mark = pq_node_struct::QUEUED;
        }
      }
    } else {
      if (n1 != nullptr && n1->mark == pq_node_struct::BLOCKED) block_count--;
      if (n2 != nullptr && n2->mark == pq_node_struct::BLOCKED) block_count--;
      block_count++;
      blocked_nodes++;
    }
  }
}

bool pq_tree::reduce(list<int>& S) {
  queue<pq_node_struct*> Q;
  int n = S.length();
  while (!S.empty()) {
    pq_node_struct* leaf = leaves[S.pop()];
    leaf->pert_leaf_count = 1;
    Q.append(leaf);
  }
  while (!Q.empty()) {
    pq_node_struct* x = Q.pop();
    if (x->mark == pq_node_struct::BLOCKED) {
      x->parent = pseudo;
      x->mark = pq_node_struct::UNBLOCKED;
      for (int side = 0; side < 2; side++) {
        pq_node_struct* cur = side == 0 ? x->sib1 : x->sib2;
        pq_node_struct* prev = x;
        pq_node_struct* last = x;
        while (is_dir(cur)) {
          last = cur;
          go_to_sibling(cur, prev);
        }
        if (cur == nullptr || cur->mark == pq_node_struct::UNMARKED) {
          if (pseudo->left_end == nullptr)
            pseudo->left_end = last;
          else
            pseudo->right_end = last;
        }
      }
      if (Q.empty()) pseudo->type = pq_node_struct::Q_NODE;
    }
    if (x->pert_leaf_count < n) {
      if (x != pseudo) {
        pq_node_struct* y = x->parent;
        if (y == nullptr) return false;
        y->pert_leaf_count += x->pert_leaf_count;
        if (--y->pert_child_count == 0) Q.append(y);
      }
      bool matched = false;
      switch (x->type) {
        case pq_node_struct::LEAF:
          matched = template_PQL1(x, false);
          break;
        case pq_node_struct::P_NODE:
          matched = template_PQL1(x, false) || template_P3(x, false) || template_P5(x, false);
          break;
        case pq_node_struct::Q_NODE:
          matched = template_PQL1(x, false) || template_Q2(x);
          break;
        default:
          break;
      }
      if (!matched) return false;
    } else {
      pseudo->label = pq_node_struct::FULL;
      // Only a node that bubble processed has a parent to be trusted; a
      // pertinent root left queued never touched the nodes above it.
      if (x->mark == pq_node_struct::UNBLOCKED) bubble_reset(x->parent);
      switch (x->type) {
        case pq_node_struct::LEAF:
          return template_PQL1(x, true);
        case pq_node_struct::P_NODE:
          return template_PQL1(x, true) || template_P3(x, true) || template_P5(x, true) || template_P6(x);
        case pq_node_struct::Q_NODE:
          return template_PQL1(x, true) || template_Q2(x) || template_Q3(x);
        default:
          return false;
      }
    }
  }
  return true;
}

void pq_tree::bubble_reset(pq_node_struct* y) {
  while (y != nullptr && y->pert_child_count != 0 && y != pseudo) {
    pq_node_struct* next = (y->mark == pq_node_struct::UNBLOCKED) ? y->parent : nullptr;
    y->pert_child_count = 0;
    y->mark = pq_node_struct::UNMARKED;
    y->label = pq_node_struct::EMPTY;
    y = next;
  }
}

bool pq_tree::template_PQL1(pq_node_struct* x, bool root_node) {
  if (x->type == pq_node_struct::Q_NODE) {
    if (x->partial1 != nullptr) return false;
    if (x == pseudo) return true;  // the ends of the blocked run were set by reduce
    pq_node_struct* cur = x->right_end;
    pq_node_struct* prev = nullptr;
    while (cur != nullptr) {
      if (!is_dir(cur) && cur->label != pq_node_struct::FULL) return false;
      if (cur == x->left_end) break;
      go_to_sibling(cur, prev);
    }
  } else if (x->type == pq_node_struct::P_NODE) {
    if (x->full_child_count != x->child_count) return false;
  } else if (x->type != pq_node_struct::LEAF) {
    return false;
  }
  // Full children of a P-node gather at its right end.
  pq_node_struct* p = x->parent;
  if (x->parent_type == pq_node_struct::P_NODE && p != nullptr && p->right_end != x) {
    remove_from_siblings(p, x);
    append_as_right_child(p, x);
  }
  x->label = pq_node_struct::FULL;
  full_nodes.push(x);
  if (root_node) {
    pseudo->left_end = x;
    pseudo->right_end = x;
  } else if (p != nullptr) {
    p->full_child_count++;
  }
  return true;
}

pq_node_struct* pq_tree::hang_down_full_children(pq_node_struct* x, pq_node_struct* y) {
  int k = x->full_child_count;
  if (k == 0) return nullptr;
  if (k == 1) {
    pq_node_struct* f = x->right_end;
    remove_from_siblings(x, f);
    f->parent = y;
    f->parent_type = y->type;
    append_as_right_child(y, f);
    y->child_count++;
    y->full_child_count++;
    y->pert_leaf_count = x->pert_leaf_count;
    x->full_child_count = 0;
    x->child_count--;
    return f;
  }
  pq_node_struct* m = new pq_node_struct;
  m->label = pq_node_struct::FULL;
  m->parent = y;
  m->parent_type = y->type;
  full_nodes.push(m);
  pq_node_struct* last = x->right_end;
  pq_node_struct* cur = last;
  pq_node_struct* prev = nullptr;
  int leaves_below = 0;
  for (int i = 0;; i++) {
    cur->parent = m;
    cur->parent_type = pq_node_struct::P_NODE;
    leaves_below += cur->pert_leaf_count;
    if (i == k - 1) break;
    go_to_sibling(cur, prev);
  }
  pq_node_struct* first = cur;
  pq_node_struct* e = (first->sib1 == prev) ? first->sib2 : first->sib1;
  relink(first, e, nullptr);
  m->left_end = first;
  m->right_end = last;
  if (y == x) {
    relink(e, first, m);
    m->sib1 = e;
    m->sib2 = nullptr;
    x->right_end = m;
  } else {
    relink(e, first, nullptr);
    x->right_end = e;
    e->parent = x;
    append_as_right_child(y, m);
  }
  m->full_child_count = k;
  m->child_count = k;
  x->full_child_count = 0;
  x->child_count -= k;
  m->pert_leaf_count = leaves_below;
  y->child_count++;
  y->full_child_count++;
  y->pert_leaf_count += m->pert_leaf_count;
  return m;
}

void pq_tree::fix_part_child_direction(pq_node_struct* x, bool both) {
  pq_node_struct* y = x->partial1;
  if (y != nullptr && is_full(y->left_end)) std::swap(y->left_end, y->right_end);
  if (both) {
    pq_node_struct* z = x->partial2;
    if (z != nullptr && is_full(z->right_end)) std::swap(z->left_end, z->right_end);
  }
}

bool pq_tree::template_P3(pq_node_struct* x, bool root_node) {
  if (x->type != pq_node_struct::P_NODE || x->partial1 != nullptr) return false;
  pq_node_struct* f = x->full_child_count >= 2 ? hang_down_full_children(x, x) : x->right_end;
  if (root_node) {
    pseudo->left_end = f;
    pseudo->right_end = f;
    x->node_reset();
    return true;
  }
  if (x->child_count > 2) {
    pq_node_struct* q = new pq_node_struct;
    q->mark = pq_node_struct::UNBLOCKED;
    replace_in_siblings(x, q);
    remove_from_siblings(x, f);
    x->child_count--;
    x->node_reset();
    x->sib1 = nullptr;
    x->sib2 = f;
    f->sib1 = nullptr;
    f->sib2 = x;
    x->parent = q;
    f->parent = q;
    q->left_end = x;
    q->right_end = f;
    q->full_child_count = 1;
    q->child_count = 2;
    x = q;
  }
  x->type = pq_node_struct::Q_NODE;
  x->left_end->parent_type = pq_node_struct::Q_NODE;
  x->right_end->parent_type = pq_node_struct::Q_NODE;
  return set_as_part_child(x);
}

// From the full end child e of a chain, over full nodes and direction
// indicators: the last node passed.
static pq_node_struct* full_run_end(pq_tree& T, pq_node_struct* e, pq_node_struct* from) {
  pq_node_struct* last = e;
  pq_node_struct* cur = e;
  pq_node_struct* prev = from;
  T.go_to_sibling(cur, prev);
  while (cur != nullptr && (is_full(cur) || is_dir(cur))) {
    last = cur;
    T.go_to_sibling(cur, prev);
  }
  return last;
}

bool pq_tree::template_P5(pq_node_struct* x, bool root_node) {
  if (x->type != pq_node_struct::P_NODE || x->partial1 == nullptr || x->partial2 != nullptr || failed) return false;
  fix_part_child_direction(x, false);
  pq_node_struct* y = x->partial1;
  pq_node_struct* f = hang_down_full_children(x, y);
  if (root_node) {
    pq_node_struct* e = (f != nullptr) ? f : y->right_end;
    pseudo->right_end = e;
    pseudo->left_end = full_run_end(*this, e, nullptr);
    release_partial_parent(x, y);
    return true;
  }
  if (x->child_count < 3) {
    if (x->child_count == 2) {
      pq_node_struct* other = (x->left_end == y) ? x->right_end : x->left_end;
      append_as_left_child(y, other);
      y->child_count++;
    }
    y->mark = pq_node_struct::UNBLOCKED;
    replace_in_siblings(x, y);
    set_as_part_child(y);
    delete x;
  } else {
    y->pert_leaf_count = x->pert_leaf_count;
    remove_from_siblings(x, y);
    x->child_count--;
    x->pert_leaf_count = 0;
    x->partial1 = nullptr;
    y->mark = pq_node_struct::UNBLOCKED;
    replace_in_siblings(x, y);
    set_as_part_child(y);
    append_as_left_child(y, x);
    y->child_count++;
    x->node_reset();
  }
  return !failed;
}

bool pq_tree::template_P6(pq_node_struct* x) {
  if (x->type != pq_node_struct::P_NODE || x->partial2 == nullptr || failed) return false;
  fix_part_child_direction(x, true);
  pq_node_struct* y = x->partial1;
  pq_node_struct* z = x->partial2;
  hang_down_full_children(x, y);
  pq_node_struct* a = full_run_end(*this, y->right_end, nullptr);
  a->parent = y;
  pq_node_struct* b = full_run_end(*this, z->left_end, nullptr);
  pseudo->left_end = a;
  pseudo->right_end = b;
  remove_from_siblings(x, z);
  x->child_count--;
  pq_node_struct* yr = y->right_end;
  pq_node_struct* zl = z->left_end;
  set_free_sib(yr, zl);
  set_free_sib(zl, yr);
  y->right_end = z->right_end;
  y->right_end->parent = y;
  delete z;
  release_partial_parent(x, y);
  return true;
}

// From cur (reached from prev), count full nodes passing over direction
// indicators: the last of them, or the last indicator directly behind it; nil
// when a node on the way is not full.
static pq_node_struct* full_run(pq_tree& T, pq_node_struct* cur, pq_node_struct* prev, int count) {
  for (int i = 0; i < count; i++) {
    if (i > 0) T.go_to_sibling(cur, prev);
    T.skip_dir(cur, prev);
    if (!is_full(cur)) return nullptr;
  }
  pq_node_struct* last = cur;
  T.go_to_sibling(cur, prev);
  while (is_dir(cur)) {
    last = cur;
    T.go_to_sibling(cur, prev);
  }
  return last;
}

bool pq_tree::template_Q2(pq_node_struct* x) {
  if (x->type != pq_node_struct::Q_NODE || x->partial2 != nullptr) return false;
  bool at_root = pseudo->label == pq_node_struct::FULL || x == pseudo;
  int fc = x->full_child_count;
  pq_node_struct* y = x->partial1;
  pq_node_struct* a = nullptr;
  pq_node_struct* b = nullptr;
  if (y == nullptr) {
    if (is_full(x->left_end))
      b = x->left_end;
    else if (is_full(x->right_end))
      b = x->right_end;
    else
      return false;
    a = b;
    if (fc > 1) {
      pq_node_struct* cur = b;
      pq_node_struct* prev = nullptr;
      go_to_sibling(cur, prev);
      a = full_run(*this, cur, prev, fc - 1);
      if (a == nullptr) return false;
    }
  } else {
    pq_node_struct* n1 = first_real_sibling(y, y->sib1);
    pq_node_struct* n2 = first_real_sibling(y, y->sib2);
    pq_node_struct* nf;
    pq_node_struct* ne;
    pq_node_struct* yf = full_end_child(y);
    if (fc == 0) {
      if (at_root) {
        nf = y->sib1;
        ne = y->sib2;
        a = yf;
      } else {
        // The full part of a partial x must reach one of its ends.
        if (y->sib1 == nullptr) {
          nf = nullptr;
          ne = y->sib2;
        } else if (y->sib2 == nullptr) {
          nf = nullptr;
          ne = y->sib1;
        } else {
          return false;
        }
      }
    } else {
      bool full1 = is_full(n1);
      bool full2 = is_full(n2);
      if (full1 == full2) return false;
      a = full_run(*this, full1 ? y->sib1 : y->sib2, y, fc);
      if (a == nullptr) return false;
      nf = full1 ? y->sib1 : y->sib2;
      ne = full1 ? y->sib2 : y->sib1;
    }
    pq_node_struct* ye = empty_end_child(y);
    set_free_sib(yf, nf);
    relink(nf, y, yf);
    set_free_sib(ye, ne);
    relink(ne, y, ye);
    pq_node_struct* new_end = fc > 0 ? ye : yf;
    if (x->left_end == y) {
      x->left_end = new_end;
      new_end->parent = x;
    }
    if (x->right_end == y) {
      x->right_end = new_end;
      new_end->parent = x;
    }
    x->partial1 = nullptr;
    x->full_child_count += y->full_child_count;
    delete y;
    b = yf;
    yf->parent = x;
    pq_node_struct* cur = yf;
    pq_node_struct* prev = nf;
    go_to_sibling(cur, prev);
    while (cur != nullptr && (is_full(cur) || is_dir(cur))) {
      if (is_full(cur)) cur->parent = x;
      b = cur;
      go_to_sibling(cur, prev);
    }
    if (a == nullptr && at_root) a = yf;
  }
  if (a != nullptr && b != nullptr && a->sib1 != nullptr && a->sib2 != nullptr && b->sib1 != nullptr &&
      b->sib2 != nullptr)
    x->label = pq_node_struct::DOUBLY_PARTIAL;
  if (at_root) {
    pseudo->left_end = a;
    pseudo->right_end = b;
  } else if (x->label == pq_node_struct::DOUBLY_PARTIAL) {
    return false;
  }
  if (x != pseudo) {
    if (at_root) {
      x->node_reset();
    } else {
      x->label = pq_node_struct::PARTIAL;
      if (!set_as_part_child(x)) return false;
    }
  }
  return true;
}

bool pq_tree::template_Q3(pq_node_struct* x) {
  if (x->type != pq_node_struct::Q_NODE || pseudo->label != pq_node_struct::FULL || failed ||
      x->partial2 == nullptr)
    return false;
  pq_node_struct* ys[2] = {x->partial1, x->partial2};
  pq_node_struct* ts[2] = {nullptr, nullptr};
  int fc = x->full_child_count;
  for (int i = 0; i < 2; i++) {
    pq_node_struct* yi = ys[i];
    pq_node_struct* n1 = first_real_sibling(yi, yi->sib1);
    pq_node_struct* n2 = first_real_sibling(yi, yi->sib2);
    if (fc == 0) {
      bool part1 = n1 != nullptr && n1->label == pq_node_struct::PARTIAL;
      bool part2 = n2 != nullptr && n2->label == pq_node_struct::PARTIAL;
      if (part1 == part2) return false;
      ts[i] = part1 ? yi->sib1 : yi->sib2;
    } else {
      auto score = [](const pq_node_struct* v) {
        if (v == nullptr) return 0;
        if (v->label == pq_node_struct::PARTIAL) return 1;
        if (v->label == pq_node_struct::FULL) return 2;
        return 0;
      };
      int s1 = score(n1);
      int s2 = score(n2);
      if (s1 + s2 != 2 || s1 == 1) return false;
      ts[i] = (s1 == 2) ? yi->sib1 : yi->sib2;
    }
  }
  if (fc > 1) {
    pq_node_struct* cur = ts[1];
    pq_node_struct* prev = ys[1];
    for (int i = 0; i < fc; i++) {
      if (i > 0) go_to_sibling(cur, prev);
      skip_dir(cur, prev);
      if (!is_full(cur)) return false;
    }
    go_to_sibling(cur, prev);
    skip_dir(cur, prev);
    if (cur != ys[0]) return false;
  }
  pq_node_struct* y1 = ys[0];
  pq_node_struct* y2 = ys[1];
  pq_node_struct* y1f = full_end_child(y1);
  pq_node_struct* y1e = empty_end_child(y1);
  pq_node_struct* y2f = full_end_child(y2);
  pq_node_struct* y2e = empty_end_child(y2);
  pq_node_struct* o1 = (y1->sib1 == ts[0]) ? y1->sib2 : y1->sib1;
  pq_node_struct* o2 = (y2->sib1 == ts[1]) ? y2->sib2 : y2->sib1;
  pq_node_struct* mid1;
  pq_node_struct* mid2;
  if (ts[0] == y2) {
    set_free_sib(y1f, y2f);
    set_free_sib(y2f, y1f);
    mid1 = y2f;
    mid2 = y1f;
  } else {
    set_free_sib(y1f, ts[0]);
    relink(ts[0], y1, y1f);
    set_free_sib(y2f, ts[1]);
    relink(ts[1], y2, y2f);
    mid1 = ts[0];
    mid2 = ts[1];
  }
  set_free_sib(y1e, o1);
  relink(o1, y1, y1e);
  set_free_sib(y2e, o2);
  relink(o2, y2, y2e);
  pseudo->left_end = full_run_end(*this, y1f, mid1);
  pseudo->right_end = full_run_end(*this, y2f, mid2);
  if (x != pseudo) {
    if (x->left_end == y1) x->left_end = y1e;
    else if (x->left_end == y2) x->left_end = y2e;
    if (x->right_end == y1) x->right_end = y1e;
    else if (x->right_end == y2) x->right_end = y2e;
    x->left_end->parent = x;
    x->right_end->parent = x;
    x->node_reset();
  }
  pseudo->left_end->parent = x;
  delete y1;
  delete y2;
  x->partial1 = nullptr;
  x->partial2 = nullptr;
  return true;
}

namespace {

// The sibling of a (one end of a pertinent range of at least two nodes) that
// lies outside the range, b being the range's other end.
pqn* outside_neighbour(pq_tree& T, pqn* a, pqn* b) {
  pqn* cur = a->sib1;
  pqn* prev = a;
  while (cur != nullptr && cur != b && (is_full(cur) || is_dir(cur))) T.go_to_sibling(cur, prev);
  return cur == b ? a->sib2 : a->sib1;
}

}  // namespace

void pq_tree::pert_sequence(list<int>& out) {
  out.clear();
  out.push(0);
  pq_node_struct* a = pseudo->left_end;
  pq_node_struct* b = pseudo->right_end;
  if (a == nullptr) return;
  if (a == b) {
    sequence(out, a, nullptr);
    return;
  }
  sequence(out, pseudo, outside_neighbour(*this, a, b));
}

void pq_tree::sequence(list<int>& out, pq_node_struct* v, pq_node_struct* prev) {
  struct frame {
    pq_node_struct* v;
    pq_node_struct* cur;
    pq_node_struct* prev;
  };
  // An explicit stack, as the tree can be deep.
  std::vector<frame> todo;
  auto enter = [&](pq_node_struct* w, pq_node_struct* from) {
    if (w->type == pq_node_struct::LEAF)
      out.append(w->index);
    else if (w->left_end != nullptr)
      todo.push_back({w, w->left_end, from});
  };
  enter(v, prev);
  while (!todo.empty()) {
    frame& f = todo.back();
    pq_node_struct* cur = f.cur;
    pq_node_struct* from = f.prev;
    if (cur == nullptr) {
      todo.pop_back();
      continue;
    }
    if (cur == f.v->right_end) {
      todo.pop_back();
    } else {
      go_to_sibling(f.cur, f.prev);
    }
    if (cur->type == pq_node_struct::DIRECTION) {
      // Read once: the next update frees it.
      if (cur->mark == pq_node_struct::QUEUED) continue;
      cur->mark = pq_node_struct::QUEUED;
      int c = out.pop();
      out.push(cur->sib1 == from ? cur->index : -cur->index);
      out.push(c + 1);
      full_nodes.push(cur);
    } else {
      enter(cur, nullptr);
    }
  }
}

namespace {

int live_leaves(const pq_tree& T) {
  int c = 0;
  for (int i = 0; i < T.leaves_size; i++)
    if (T.leaves[i] != nullptr) c++;
  return c;
}

}  // namespace

// Every number of U must be new: not negative, not yet a leaf, not repeated.
// Changes nothing.
static bool new_leaves_acceptable(pq_tree& T, list<int>& U) {
  // Numbers inside the array are entered with the pseudonode as a stand-in, so
  // that a repetition is seen, and cleared again; those beyond it are sorted.
  std::vector<int> beyond;
  bool acceptable = true;
  dlink* it = U.first();
  for (; it != nullptr; it = U.succ(it)) {
    int u = U[it];
    if (u < 0) {
      acceptable = false;
      break;
    }
    if (u >= T.leaves_size) {
      beyond.push_back(u);
      continue;
    }
    if (T.leaves[u] != nullptr) {
      acceptable = false;
      break;
    }
    T.leaves[u] = T.pseudo;
  }
  for (dlink* jt = U.first(); jt != it; jt = U.succ(jt))
    if (U[jt] < T.leaves_size) T.leaves[U[jt]] = nullptr;
  std::sort(beyond.begin(), beyond.end());
  if (std::adjacent_find(beyond.begin(), beyond.end()) != beyond.end()) acceptable = false;
  return acceptable;
}

bool pq_tree::replace(list<int>& S, list<int>& U, list<int>& out) {
  // After a failed reduction the tree is half changed: it serves only to be destroyed.
  if (!ok) return false;
  if (S.empty()) {
    if (root != nullptr) {
      error_handler(1, "pq_tree::replace: empty set of leaves on a non-empty tree");
      return false;
    }
  } else {
    if (!pertinent_leaves_acceptable(*this, S)) return false;
    if (U.empty() && S.length() != live_leaves(*this)) {
      error_handler(1, "pq_tree::replace: no new leaves for a part of the tree");
      return false;
    }
  }
  if (!new_leaves_acceptable(*this, U)) return false;
  if (!S.empty()) {
    if (!reduction(S)) return false;
    pert_sequence(out);
  }
  update(U);
  return true;
}

void pq_tree::free_full_nodes() {
  while (!full_nodes.empty()) {
    pq_node_struct* v = full_nodes.pop();
    if (v->type == pq_node_struct::LEAF && v->index >= 0 && v->index < leaves_size && leaves[v->index] == v)
      leaves[v->index] = nullptr;
    delete v;
  }
}

bool pq_tree::update(list<int>& U) {
  pq_node_struct* a = pseudo->left_end;
  pq_node_struct* b = pseudo->right_end;
  if (U.empty()) {
    if (root != nullptr && (a != root || b != root)) {
      // Freeing the pertinent part would leave its nodes linked in the tree.
      error_handler(1, "pq_tree::update: no new leaves for a part of the tree");
      return false;
    }
    free_full_nodes();
    root = nullptr;
    pseudo->left_end = pseudo->right_end = nullptr;
    return live_leaves(*this) == 0;
  }
  if (root != nullptr && (a == nullptr || b == nullptr)) {
    error_handler(1, "pq_tree::update: no pertinent part to replace");
    return false;
  }
  if (!new_leaves_acceptable(*this, U)) return false;
  int largest = 0;
  for (dlink* it = U.first(); it != nullptr; it = U.succ(it))
    if (U[it] > largest) largest = U[it];
  while (largest >= leaves_size) {
    int before = leaves_size;
    leaves_double();
    if (leaves_size <= before) return false;
  }

  pq_node_struct* m = new pq_node_struct;
  if (root != nullptr && a->parent_type == pq_node_struct::P_NODE) {
    m->parent_type = pq_node_struct::P_NODE;
    m->parent = a->parent;
  }
  if (U.length() == 1) {
    m->type = pq_node_struct::LEAF;
    m->index = U.pop();
    leaves[m->index] = m;
  } else {
    m->type = pq_node_struct::P_NODE;
    m->child_count = U.length();
    pq_node_struct* last = nullptr;
    while (!U.empty()) {
      pq_node_struct* l = new pq_node_struct;
      l->type = pq_node_struct::LEAF;
      l->index = U.pop();
      l->parent = m;
      l->parent_type = pq_node_struct::P_NODE;
      leaves[l->index] = l;
      if (last == nullptr) {
        m->left_end = l;
      } else {
        last->sib2 = l;
        l->sib1 = last;
      }
      last = l;
    }
    m->right_end = last;
  }
  if (root == nullptr) {
    root = m;
    m->parent_type = pq_node_struct::Q_NODE;
    return true;
  }

  bool in_q_node = a->parent_type == pq_node_struct::Q_NODE && a != root;
  if (a == b) {
    replace_in_siblings(a, m);  // takes over the root as well
    if (root == m) m->parent_type = pq_node_struct::Q_NODE;
  } else {
    pq_node_struct* oa = outside_neighbour(*this, a, b);
    pq_node_struct* ob = outside_neighbour(*this, b, a);
    pq_node_struct* ends[2] = {a, b};
    pq_node_struct* outs[2] = {oa, ob};
    for (int i = 0; i < 2; i++) {
      pq_node_struct* e = ends[i];
      pq_node_struct* o = outs[i];
      if (o == nullptr) {
        // e ends its chain, so its parent is up to date.
        pq_node_struct* p = e->parent;
        if (p != nullptr && p != pseudo) {
          if (p->left_end == e) p->left_end = m;
          else if (p->right_end == e) p->right_end = m;
        }
        m->parent = p;
      } else {
        relink(o, e, m);
      }
      if (i == 0)
        m->sib1 = o;
      else
        m->sib2 = o;
    }
  }
  if (in_q_node) {
    // The indicator's sib1 lies towards the first end of the replaced range.
    pq_node_struct* d = new pq_node_struct;
    d->type = pq_node_struct::DIRECTION;
    d->index = pseudo->index;
    d->parent_type = pq_node_struct::Q_NODE;
    if (m->sib1 == nullptr) {
      pq_node_struct* nb = m->sib2;
      d->sib1 = m;
      d->sib2 = nb;
      m->sib2 = d;
      relink(nb, m, d);
    } else {
      pq_node_struct* nb = m->sib1;
      d->sib1 = nb;
      d->sib2 = m;
      m->sib1 = d;
      relink(nb, m, d);
    }
  }
  pseudo->index++;
  pseudo->mark = pq_node_struct::UNMARKED;
  pseudo->label = pq_node_struct::EMPTY;
  free_full_nodes();
  pseudo->left_end = pseudo->right_end = nullptr;
  return true;
}

// Takes the pertinent range out of the tree and frees it, the leaves' entries
// included; a P-node parent loses one child, a Q-node parent the run.
void pq_tree::del_pert_subtree() {
  pq_node_struct* a = pseudo->left_end;
  pq_node_struct* b = pseudo->right_end;
  if (a == nullptr || b == nullptr || root == nullptr) return;
  std::vector<pq_node_struct*> range;
  if (a == root) {
    range.push_back(root);
    root = nullptr;
  } else if (a == b) {
    pq_node_struct* p = a->parent;
    bool parent_valid = a->parent_type == pq_node_struct::P_NODE || a->sib1 == nullptr || a->sib2 == nullptr;
    remove_from_siblings(parent_valid ? p : nullptr, a);
    if (parent_valid && p != nullptr && p->type == pq_node_struct::P_NODE) p->child_count--;
    range.push_back(a);
  } else {
    pq_node_struct* oa = outside_neighbour(*this, a, b);
    pq_node_struct* ob = outside_neighbour(*this, b, a);
    pq_node_struct* cur = a;
    pq_node_struct* prev = oa;
    for (;;) {
      range.push_back(cur);
      if (cur == b) break;
      go_to_sibling(cur, prev);
    }
    pq_node_struct* ends[2] = {a, b};
    pq_node_struct* outs[2] = {oa, ob};
    for (int i = 0; i < 2; i++) {
      pq_node_struct* o = outs[i];
      pq_node_struct* beyond = outs[1 - i];
      if (o != nullptr) {
        relink(o, ends[i], beyond);
      } else {
        pq_node_struct* p = ends[i]->parent;
        if (p != nullptr && p != pseudo) {
          if (p->left_end == ends[i]) p->left_end = beyond;
          else if (p->right_end == ends[i]) p->right_end = beyond;
          if (beyond != nullptr) beyond->parent = p;
        }
      }
    }
  }
  for (pq_node_struct* v : range) free_subtree(v, true);
  full_nodes.clear();
  pseudo->left_end = pseudo->right_end = nullptr;
}

}  // namespace graphlib
