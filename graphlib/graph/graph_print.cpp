#include <cstring>
#include <ostream>

#include "graphlib/graph/graph.h"
#include "graphlib/graph/internal/graph_adjacency.h"

namespace graphlib {

namespace {

// Added to every index shown; 1 while a print that counts from 1 runs.
int id_off = 0;

// Restores the offset also when the printing is left by an exception.
class counting_from_one {
 public:
  counting_from_one() { id_off = 1; }
  ~counting_from_one() { id_off = 0; }
  counting_from_one(const counting_from_one&) = delete;
  counting_from_one& operator=(const counting_from_one&) = delete;
};

}  // namespace

void graph::print_node(node v, std::ostream& out) const {
  if (parent != nullptr) {
    parent->print_node(static_cast<node>(v->data[0]), out);
    return;
  }
  out << "[" << v->index() + id_off << "]";
  if (std::strcmp(node_type(), "void") != 0) {
    out << "(";
    write_node_entry(out, v->data[0]);
    out << ")";
  }
}

void graph::print_edge(edge e, std::ostream& out) const {
  if (parent != nullptr) {
    parent->print_edge(static_cast<edge>(e->data[0]), out);
    return;
  }
  out << "[" << e->source->index() + id_off << "]";
  out << (undirected ? "==" : "--");
  if (std::strcmp(edge_type(), "void") != 0) {
    out << "(";
    write_edge_entry(out, e->data[0]);
    out << ")";
  }
  out << (undirected ? "==" : "-->");
  out << "[" << e->target->index() + id_off << "]";
}

void graph::print(string s, std::ostream& out) const {
  out << s << std::endl;
  for (graph_object* x = v_list.head; x != nullptr; x = x->succ) {
    node v = static_cast<node>(x);
    print_node(v, out);
    out << " : ";
    for (edge e = first_in_list0(v); e != nullptr; e = next_in_list0(e, v)) print_edge(e, out);
    out << std::endl;
  }
  out << std::endl;
}

void graph::print1(string s, std::ostream& out) const {
  counting_from_one from_one;
  print(s, out);
}

void graph::print_node1(node v, std::ostream& out) const {
  counting_from_one from_one;
  print_node(v, out);
}

void graph::print_edge1(edge e, std::ostream& out) const {
  counting_from_one from_one;
  print_edge(e, out);
}

string graph::get_node_entry_string(node v) const {
  string_ostream out;
  write_node_entry(out, v->data[0]);
  return string(out.str().c_str());
}

string graph::get_edge_entry_string(edge e) const {
  string_ostream out;
  write_edge_entry(out, e->data[0]);
  return string(out.str().c_str());
}

void graph::set_node_entry(node v, string s) {
  clear_node_entry(v->data[0]);
  if (std::strcmp(node_type(), "string") == 0) {
    v->data[0] = graphlib_copy(s);
  } else {
    string_istream in(s);
    read_node_entry(in, v->data[0]);
  }
}

void graph::set_edge_entry(edge e, string s) {
  clear_edge_entry(e->data[0]);
  if (std::strcmp(edge_type(), "string") == 0) {
    e->data[0] = graphlib_copy(s);
  } else {
    string_istream in(s);
    read_edge_entry(in, e->data[0]);
  }
}

}  // namespace graphlib
