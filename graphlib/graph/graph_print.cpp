#include <cstring>
#include <ostream>

#include "graphlib/graph/graph.h"

namespace graphlib {

namespace {

// Added to every index shown; 1 while a print that counts from 1 runs.
int id_off = 0;

}  // namespace

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

}  // namespace graphlib
