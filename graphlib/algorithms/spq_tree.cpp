#include "graphlib/algorithms/spq_tree.h"

#include <iostream>
#include <vector>

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

// Depth first through the tree below root, children in list order, on an
// explicit stack: nesting follows the graph, so a tree can be as deep as its
// graph is long. enter(p, state) meets p with the state its parent handed it
// and says whether to walk p's children; child(p, state, c) makes the state
// of p's child c right before c is entered; leave(p, state) follows p's
// children (right after enter when they are not walked).
template <class State, class Enter, class Child, class Leave>
void walk(spq_node_struct* root, State start, Enter enter, Child child, Leave leave) {
  struct frame {
    spq_node_struct* p;
    dlink* next;
    State state;
  };
  std::vector<frame> frames;
  auto reach = [&](spq_node_struct* p, State state) {
    if (enter(p, state))
      frames.push_back({p, p->children.first(), state});
    else
      leave(p, state);
  };
  reach(root, start);
  while (!frames.empty()) {
    frame& f = frames.back();
    if (f.next == nullptr) {
      frame done = f;
      frames.pop_back();
      leave(done.p, done.state);
      continue;
    }
    spq_node_struct* c = f.p->children.contents(f.next);
    f.next = f.next->succ;
    reach(c, child(f.p, f.state, c));
  }
}

struct no_state {};

}  // namespace

void spq_node_struct::clear() {
  walk(
      this, no_state(), [](spq_node_struct*, no_state&) { return true; },
      [](spq_node_struct*, no_state&, spq_node_struct*) { return no_state(); },
      [](spq_node_struct* p, no_state&) {
        p->children.clear();
        delete p;
      });
}

std::ostream& operator<<(std::ostream& os, spq_node_struct* p) {
  if (p == nullptr) return os;
  // A nil child writes nothing, as a nil tree does.
  auto enter = [&os](spq_node_struct* q, no_state&) {
    if (q == nullptr) return false;
    os << "(";
    switch (q->type) {
      case 'S':
      case 'P':
        os << q->type;
        return true;
      case 'Q':
        os << graph::index(graph::source(q->edge)) << " " << graph::index(graph::target(q->edge)) << ")";
        return false;
      case 'I':
        os << "I)";
        return false;
      default:
        std::cerr << "malformed spq_node: unknown type\n";
        os << "?)";
        return false;
    }
  };
  auto child = [&os](spq_node_struct*, no_state&, spq_node_struct*) {
    os << " ";
    return no_state();
  };
  auto leave = [&os](spq_node_struct* q, no_state&) {
    if (q != nullptr && (q->type == 'S' || q->type == 'P')) os << ")";
  };
  walk(p, no_state(), enter, child, leave);
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
  // The node of T drawn for p, and the one its edge comes from.
  struct place {
    node parent;
    node self;
  };
  auto enter = [&T](spq_node_struct* q, place& at) {
    if (q->type == 'Q') {
      at.self =
          T.new_node(string("(%d %d)", graph::index(graph::source(q->edge)), graph::index(graph::target(q->edge))));
      return false;
    }
    at.self = T.new_node(string("%c", q->type));
    return true;
  };
  auto child = [](spq_node_struct*, place& at, spq_node_struct*) { return place{at.self, nullptr}; };
  // A node's edge from its parent follows its whole subtree.
  auto leave = [&T](spq_node_struct*, place& at) { T.new_edge(at.parent, at.self); };
  walk(p, place{parent, nullptr}, enter, child, leave);
}

bool Is_Series_Parallel(const graph& G) {
  spq_tree T;
  T.init(G);
  return T.is_sp;
}

void g_add_spqnode(graph& G, spq_node_struct* p, node s, node t) {
  // The terminals a part is put between; for an S-node also its last child,
  // and s moves on to each new inner node.
  struct ends {
    node s;
    node t;
    spq_node_struct* last;
  };
  auto enter = [&G](spq_node_struct* q, ends& at) {
    switch (q->type) {
      case 'P':
        return true;
      case 'S':
        at.last = q->children.tail();
        return true;
      case 'Q':
      case 'I':
        q->edge = G.new_edge(at.s, at.t);
        q->type = 'Q';
        return false;
      default:
        return false;
    }
  };
  auto child = [&G](spq_node_struct* q, ends& at, spq_node_struct* c) {
    if (q->type == 'P' || c == at.last) return ends{at.s, at.t, nullptr};
    node m = G.new_node();
    ends part{at.s, m, nullptr};
    at.s = m;
    return part;
  };
  walk(p, ends{s, t, nullptr}, enter, child, [](spq_node_struct*, ends&) {});
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
