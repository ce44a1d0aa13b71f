#include "graphlib/algorithms/spq_tree.h"

#include <iostream>

#include "graphlib/base/error.h"
#include "graphlib/base/random_source.h"
#include "graphlib/graph/node_array.h"

namespace graphlib {

namespace {

// p1 and p2 (in this order) as one node of type c. A node that has type c
// already takes the other in, so that nested S (or P) nodes stay flat.
spq_node_struct* compose(spq_node_struct* p1, spq_node_struct* p2, char c) {
  if (p1->type == c && p2->type == c) {
    p1->children.conc(p2->children);
    delete p2;
    return p1;
  }
  if (p1->type == c) {
    p1->children.append(p2);
    return p1;
  }
  if (p2->type == c) {
    p2->children.push(p1);
    return p2;
  }
  spq_node_struct* q = new spq_node_struct(c);
  q->children.append(p1);
  q->children.append(p2);
  return q;
}

// R has no self-loops, so list i of a node is threaded through link pair i.
node other_end(edge e, int i) { return i == 0 ? e->target : e->source; }

// Merges into the first edge of v's list i (0 out, 1 in) the run of edges
// right behind it that share its other end.
void merge_parallel_run(spq_tree& T, node v, int i) {
  edge e = v->first_adj_edge[i];
  node u = other_end(e, i);
  edge x = e->succ_adj_edge[i];
  while (x != nullptr && other_end(x, i) == u) {
    edge next = x->succ_adj_edge[i];
    T.parallel_reduction(e, x);
    x = next;
  }
}

}  // namespace

void spq_node_struct::clear() {
  for (dlink* it = children.first(); it != nullptr; it = it->succ) children.contents(it)->clear();
  children.clear();
  delete this;
}

std::ostream& operator<<(std::ostream& os, spq_node_struct* p) {
  if (p == nullptr) return os;
  os << "(";
  switch (p->type) {
    case 'S':
    case 'P':
      os << p->type;
      for (dlink* it = p->children.first(); it != nullptr; it = it->succ) os << " " << p->children.contents(it);
      os << ")";
      break;
    case 'Q':
      os << graph::index(graph::source(p->edge)) << " " << graph::index(graph::target(p->edge)) << ")";
      break;
    case 'I':
      os << "I)";
      break;
    default:
      std::cerr << "malformed spq_node: unknown type\n";
      os << "?)";
  }
  return os;
}

spq_tree::~spq_tree() { release(); }

void spq_tree::release() {
  bool root_in_R = false;
  const list<edge>& E = R.all_edges();
  for (dlink* it = E.first(); it != nullptr; it = it->succ) {
    edge e = E.contents(it);
    spq_node_struct* p = R.inf(e);
    if (p == nullptr) continue;
    if (p == root) root_in_R = true;
    R.edge_info[e] = nullptr;
    p->clear();
  }
  // A tree handed over by random_sp_graph is not the entry of any edge.
  if (root != nullptr && !root_in_R) root->clear();
  root = nullptr;
  R.clear();
}

bool spq_tree::get_st(const graph& G, node& s, node& t) {
  s = t = nullptr;
  bool ok = true;
  const list<node>& V = G.all_nodes();
  for (dlink* it = V.first(); it != nullptr && ok; it = it->succ) {
    node v = V.contents(it);
    if (graph::indeg(v) == 0) {
      if (s != nullptr) ok = false;
      s = v;
    }
    if (graph::outdeg(v) == 0) {
      if (t != nullptr) ok = false;
      t = v;
    }
  }
  if (ok && s != nullptr && t != nullptr) return true;
  s = t = nullptr;
  return false;
}

void spq_tree::init(const graph& G) {
  is_sp = false;
  release();
  node s, t;
  if (!get_st(G, s, t)) return;
  // No reduction removes a loop, and a series reduction at a node whose only
  // edge is a loop would take that edge for both of its edges.
  const list<edge>& E = G.all_edges();
  for (dlink* it = E.first(); it != nullptr; it = it->succ)
    if (graph::source(E.contents(it)) == graph::target(E.contents(it))) return;

  node_array<node> copy(G);
  const list<node>& V = G.all_nodes();
  for (dlink* it = V.first(); it != nullptr; it = it->succ) copy[V.contents(it)] = R.new_node(V.contents(it));
  for (dlink* it = E.first(); it != nullptr; it = it->succ) {
    edge e = E.contents(it);
    spq_node_struct* q = new spq_node_struct('Q');
    q->edge = e;
    R.new_edge(copy[graph::source(e)], copy[graph::target(e)], q);
  }

  stack<node> S;
  for (graph_object* x = R.v_list.head; x != nullptr; x = x->succ) {
    node v = static_cast<node>(x);
    if (v != copy[s] && v != copy[t]) S.push(v);
  }
  sp_reduce(copy[s], copy[t], S);
}

void spq_tree::sp_reduce(node s, node t, stack<node>& S) {
  node_array<bool> in_stack(R, true);
  in_stack[s] = false;
  in_stack[t] = false;
  while (!S.empty()) {
    node v = S.pop();
    in_stack[v] = false;
    if (graph::indeg(v) > 1) merge_parallel_run(*this, v, 1);
    if (graph::outdeg(v) > 1) merge_parallel_run(*this, v, 0);
    if (graph::indeg(v) != 1 || graph::outdeg(v) != 1) continue;
    edge e1 = v->first_adj_edge[1];
    edge e2 = v->first_adj_edge[0];
    node u = graph::source(e1);
    node w = graph::target(e2);
    if (series_reduction(e1, e2, u, v, w) == nullptr) continue;
    if (!in_stack[u] && u != s) {
      S.push(u);
      in_stack[u] = true;
    }
    if (!in_stack[w] && w != t) {
      S.push(w);
      in_stack[w] = true;
    }
  }

  if (R.number_of_nodes() != 2) return;
  edge e = s->first_adj_edge[0];
  if (e == nullptr) {
    error_handler(0, "ARRRGH! There should have been an edge!");
    return;
  }
  for (edge x = e->succ_adj_edge[0]; x != nullptr;) {
    edge next = x->succ_adj_edge[0];
    parallel_reduction(e, x);
    x = next;
  }
  is_sp = true;
  root = R.inf(e);
}

void spq_tree::parallel_reduction(edge e1, edge e2) {
  R.edge_info[e1] = compose(R.inf(e1), R.inf(e2), 'P');
  R.del_edge(e2);
}

edge spq_tree::series_reduction(edge e1, edge e2, node u, node v, node w) {
  // The new edge would be a loop (v lies on a cycle): nothing is reduced.
  if (u == w) return nullptr;
  edge f = R.new_edge(u, w, compose(R.inf(e1), R.inf(e2), 'S'));
  R.del_edge(e1);
  R.del_edge(e2);
  R.del_node(v);
  return f;
}

node spq_tree::build_tree(GRAPH<string, int>& T) {
  if (root == nullptr) return nullptr;
  T.clear();
  node d = T.new_node();
  build_tree_rec(root, T, d);
  node r = graph::target(d->first_adj_edge[0]);
  T.del_node(d);
  return r;
}

void spq_tree::build_tree_rec(spq_node_struct* p, GRAPH<string, int>& T, node parent) {
  node x;
  if (p->type == 'Q') {
    x = T.new_node(string("(%d %d)", graph::index(graph::source(p->edge)), graph::index(graph::target(p->edge))));
  } else {
    x = T.new_node(string("%c", p->type));
    for (dlink* it = p->children.first(); it != nullptr; it = it->succ) build_tree_rec(p->children.contents(it), T, x);
  }
  T.new_edge(parent, x);
}

bool Is_Series_Parallel(const graph& G) {
  spq_tree T;
  T.init(G);
  return T.is_sp;
}

void g_add_spqnode(graph& G, spq_node_struct* p, node s, node t) {
  switch (p->type) {
    case 'P':
      for (dlink* it = p->children.first(); it != nullptr; it = it->succ)
        g_add_spqnode(G, p->children.contents(it), s, t);
      break;
    case 'S': {
      spq_node_struct* l = p->children.tail();
      for (dlink* it = p->children.first(); it != nullptr; it = it->succ) {
        spq_node_struct* c = p->children.contents(it);
        if (c == l) {
          g_add_spqnode(G, c, s, t);
        } else {
          node m = G.new_node();
          g_add_spqnode(G, c, s, m);
          s = m;
        }
      }
      break;
    }
    case 'Q':
    case 'I':
      p->edge = G.new_edge(s, t);
      p->type = 'Q';
      break;
    default:
      break;
  }
}

spq_node_struct* create_random_tree(int s, int p) {
  random_source rs;
  if (s < 0) s = 0;
  if (p < 0) p = 0;
  if (s == 0 && p == 0) return new spq_node_struct('I');

  char type = rs(1, s + p) <= s ? 'S' : 'P';
  if (type == 'S')
    s--;
  else
    p--;
  int s1 = s / 2, s2 = s / 2;
  int p1 = p / 2, p2 = p / 2;
  if (s % 2 == 1) {
    if (rs(1, 100) <= 49)
      s1++;
    else
      s2++;
  }
  if (p % 2 == 1) {
    if (rs(1, 100) <= 49)
      p1++;
    else
      p2++;
  }

  spq_node_struct* q = new spq_node_struct(type);
  q->children.append(create_random_tree(s1, p1));
  q->children.append(create_random_tree(s2, p2));
  return q;
}

bool random_sp_graph(graph& G, spq_tree& T, int n, int m) {
  if (n < 2 || static_cast<long>(m) + 1 < n) return false;
  spq_node_struct* r = create_random_tree(n - 2, m - n + 1);
  node t = G.new_node();
  node s = G.new_node();
  g_add_spqnode(G, r, s, t);
  T.release();
  T.root = r;
  T.is_sp = true;
  return true;
}

}  // namespace graphlib
