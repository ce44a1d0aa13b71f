#include "graphlib/graph/graph_objects.h"

namespace graphlib {

node_struct::node_struct(void* inf, int i) : id(i), owner(nullptr) {
  succ = pred = nullptr;
  clear_adj_lists();
  data[0] = inf;
}

edge_struct::edge_struct(node v, node w, void* inf, int i) : source(v), target(w), id(i), rev(nullptr) {
  succ = pred = nullptr;
  succ_adj_edge[0] = succ_adj_edge[1] = nullptr;
  pred_adj_edge[0] = pred_adj_edge[1] = nullptr;
  data[0] = inf;
}

face_struct::face_struct(void* inf, int i, graph* G) : id(i), head_edge(nullptr), size(0), owner(G) {
  succ = pred = nullptr;
  data[0] = inf;
}

void node_struct::clear_adj_lists() {
  for (int i = 0; i < 2; i++) {
    first_adj_edge[i] = last_adj_edge[i] = nullptr;
    adj_length[i] = 0;
  }
}

void node_struct::append_adj_edge(edge e, int i, int j) {
  e->succ_adj_edge[j] = nullptr;
  edge l = last_adj_edge[i];
  if (l == nullptr) {
    first_adj_edge[i] = e;
    e->pred_adj_edge[j] = nullptr;
  } else {
    e->pred_adj_edge[j] = l;
    l->succ_adj_edge[link_pair(l, this, j)] = e;
  }
  last_adj_edge[i] = e;
  adj_length[i]++;
}

void node_struct::push_adj_edge(edge e, int i, int j) { insert_adj_edge(e, first_adj_edge[i], i, j, 1); }

void node_struct::insert_adj_edge(edge e, edge e1, int i, int j, int dir) {
  if (e1 == nullptr) {
    append_adj_edge(e, i, j);
    return;
  }
  int k = link_pair(e1, this, j);
  if (dir == 0) {
    edge s = e1->succ_adj_edge[k];
    e->pred_adj_edge[j] = e1;
    e->succ_adj_edge[j] = s;
    e1->succ_adj_edge[k] = e;
    if (s == nullptr)
      last_adj_edge[i] = e;
    else
      s->pred_adj_edge[link_pair(s, this, j)] = e;
  } else {
    edge p = e1->pred_adj_edge[k];
    e->succ_adj_edge[j] = e1;
    e->pred_adj_edge[j] = p;
    e1->pred_adj_edge[k] = e;
    if (p == nullptr)
      first_adj_edge[i] = e;
    else
      p->succ_adj_edge[link_pair(p, this, j)] = e;
  }
  adj_length[i]++;
}

void node_struct::del_adj_edge(edge e, int i, int j) {
  edge s = e->succ_adj_edge[j];
  edge p = e->pred_adj_edge[j];
  if (s == nullptr)
    last_adj_edge[i] = p;
  else
    s->pred_adj_edge[link_pair(s, this, j)] = p;
  if (p == nullptr)
    first_adj_edge[i] = s;
  else
    p->succ_adj_edge[link_pair(p, this, j)] = s;
  adj_length[i]--;
}

void node_struct::append_adj_list(int i, node w, int j) {
  edge f = w->first_adj_edge[j];
  if (f == nullptr) return;
  edge l = last_adj_edge[i];
  if (l != nullptr)
    l->succ_adj_edge[i] = f;
  else
    first_adj_edge[i] = f;
  f->pred_adj_edge[j] = l;
  last_adj_edge[i] = w->last_adj_edge[j];
  adj_length[i] += w->adj_length[j];
  w->first_adj_edge[j] = w->last_adj_edge[j] = nullptr;
  w->adj_length[j] = 0;
}

void node_struct::insert_adj_list(int i, edge e1, node w, int j) {
  if (e1 == nullptr) {
    append_adj_list(i, w, j);
    return;
  }
  edge f = w->first_adj_edge[j];
  if (f == nullptr) return;
  edge l = w->last_adj_edge[j];
  edge s = e1->succ_adj_edge[i];
  if (s == nullptr) {
    append_adj_list(i, w, j);
    return;
  }
  e1->succ_adj_edge[i] = f;
  f->pred_adj_edge[j] = e1;
  l->succ_adj_edge[j] = s;
  s->pred_adj_edge[i] = l;
  adj_length[i] += w->adj_length[j];
  w->first_adj_edge[j] = w->last_adj_edge[j] = nullptr;
  w->adj_length[j] = 0;
}

void graph_obj_list_base::clear() {
  head = tail = nullptr;
  count = 0;
}

void graph_obj_list_base::push(graph_object* x) {
  x->pred = nullptr;
  if (head != nullptr)
    head->pred = x;
  else
    tail = x;
  x->succ = head;
  head = x;
  count++;
}

void graph_obj_list_base::append(graph_object* x) {
  x->succ = nullptr;
  if (tail != nullptr)
    tail->succ = x;
  else
    head = x;
  x->pred = tail;
  tail = x;
  count++;
}

void graph_obj_list_base::insert(graph_object* x, graph_object* y) {
  if (y == nullptr) {
    append(x);
    return;
  }
  graph_object* p = y->pred;
  x->succ = y;
  y->pred = x;
  x->pred = p;
  if (p == nullptr)
    head = x;
  else
    p->succ = x;
  count++;
}

graph_object* graph_obj_list_base::pop() {
  graph_object* x = head;
  if (x == nullptr) return nullptr;
  head = x->succ;
  if (head != nullptr)
    head->pred = nullptr;
  else
    tail = nullptr;
  count--;
  return x;
}

void graph_obj_list_base::remove(graph_object* x) {
  graph_object* s = x->succ;
  graph_object* p = x->pred;
  if (s != nullptr)
    s->pred = p;
  else
    tail = p;
  if (p != nullptr)
    p->succ = s;
  else
    head = s;
  count--;
}

void graph_obj_list_base::conc(graph_obj_list_base& L) {
  if (L.count == 0) return;
  if (tail != nullptr)
    tail->succ = L.head;
  else
    head = L.head;
  L.head->pred = tail;
  tail = L.tail;
  count += L.count;
  L.clear();
}

}  // namespace graphlib
