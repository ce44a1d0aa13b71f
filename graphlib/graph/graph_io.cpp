#include <cctype>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "graphlib/base/system.h"
#include "graphlib/graph/graph.h"
#include "graphlib/graph/internal/graph_adjacency.h"

namespace graphlib {

namespace {

const char* const header_word = "GRAPHLIB.GRAPH";

// The visible edges in the order the format numbers them: nodes in node-list
// order, and at each node the edges of its list 0 that leave it; number[i] is
// the number of the edge of index i (0: none).
struct edge_numbering {
  std::vector<edge> edges;
  std::vector<int> number;

  explicit edge_numbering(const graph& G) : number(static_cast<size_t>(G.max_edge_index + 1), 0) {
    for (graph_object* x = G.v_list.head; x != nullptr; x = x->succ) {
      node v = static_cast<node>(x);
      for (edge e = first_in_list0(v); e != nullptr; e = next_in_list0(e, v)) {
        int& k = number[static_cast<size_t>(e->index())];
        if (e->source != v || k != 0) continue;
        edges.push_back(e);
        k = static_cast<int>(edges.size());
      }
    }
  }
};

enum class entry_status { complete, truncated };

// The entry reader. An entry that the input ends inside of is truncated; one
// that starts with '|' but not "|{" is a format error, after which (with a
// handler that returns) it is read as if the '{' had been there.
entry_status read_entry(std::istream& in, std::string& text) {
  text.clear();
  int c;
  do {
    c = in.get();
    if (in.fail()) return entry_status::truncated;
  } while (c != '\n' && std::isspace(c));
  if (c != '|') {
    in.putback(static_cast<char>(c));
    text = read_line(in).chars();
    return entry_status::complete;
  }
  c = in.get();
  if (in.fail()) return entry_status::truncated;
  if (c != '{') std_error_handler(1, "graph::read(): error in graph format.");
  int depth = 1;
  int prev = ' ';
  for (;;) {
    c = in.get();
    if (in.fail()) return entry_status::truncated;
    if (c == '|' && prev == '}') depth--;
    if (c == '{' && prev == '|') depth++;
    if (depth == 0) break;
    text += static_cast<char>(c);
    prev = c;
  }
  text.pop_back();  // the '}' of the closing "}|"
  in.get();         // the line end after it
  return entry_status::complete;
}

}  // namespace

void graph::add_io_map(graph_map<graph>& M) { io_maps[M.kind].append(&M); }

void graph::clear_io_maps() {
  for (int k = 0; k < 3; k++) io_maps[k].clear();
}

void graph::write_maps(std::ostream& out, const list<graph_map<graph>*>& NM,
                       const list<graph_map<graph>*>& EM) const {
  for (dlink* it = NM.first(); it != nullptr; it = it->succ) {
    graph_map<graph>* M = NM.contents(it);
    for (graph_object* x = v_list.head; x != nullptr; x = x->succ) {
      M->write_entry(out, M->array_access(static_cast<node>(x)));
      out << "\n";
    }
  }
  if (EM.empty()) return;
  edge_numbering numbering(*this);
  for (dlink* it = EM.first(); it != nullptr; it = it->succ) {
    graph_map<graph>* M = EM.contents(it);
    for (edge e : numbering.edges) {
      M->write_entry(out, M->array_access(e));
      out << "\n";
    }
  }
}

void graph::read_maps(std::istream& in, const list<graph_map<graph>*>& NM,
                      const list<graph_map<graph>*>& EM) const {
  for (dlink* it = NM.first(); it != nullptr; it = it->succ) {
    graph_map<graph>* M = NM.contents(it);
    M->init(this, number_of_nodes(), 0, false);
    for (graph_object* x = v_list.head; x != nullptr; x = x->succ)
      M->read_entry(in, M->array_access(static_cast<node>(x)));
  }
  for (dlink* it = EM.first(); it != nullptr; it = it->succ) {
    graph_map<graph>* M = EM.contents(it);
    M->init(this, number_of_edges(), 1, false);
    for (graph_object* x = e_list.head; x != nullptr; x = x->succ) M->read_entry(in, M->array_access(static_cast<edge>(x)));
  }
}

void graph::write(std::ostream& out) const {
  std::vector<int> node_number(static_cast<size_t>(max_node_index + 1), 0);
  int n = 0;
  for (graph_object* x = v_list.head; x != nullptr; x = x->succ)
    node_number[static_cast<size_t>(static_cast<node>(x)->index())] = ++n;
  edge_numbering numbering(*this);

  out << header_word << "\n" << node_type() << "\n" << edge_type() << "\n";
  out << n << "\n";
  for (graph_object* x = v_list.head; x != nullptr; x = x->succ) {
    out << "|{";
    write_node_entry(out, static_cast<node>(x)->data[0]);
    out << "}|\n";
  }
  out << static_cast<int>(numbering.edges.size()) << "\n";
  for (edge e : numbering.edges) {
    int r = e->rev != nullptr ? numbering.number[static_cast<size_t>(e->rev->index())] : 0;
    out << node_number[static_cast<size_t>(e->source->index())] << " "
        << node_number[static_cast<size_t>(e->target->index())] << " " << r << " ";
    out << "|{";
    write_edge_entry(out, e->data[0]);
    out << "}|\n";
  }
  write_maps(out, io_maps[0], io_maps[1]);
}

void graph::write(string file) const {
  std::ofstream out(file.chars(), std::ios::out | std::ios::trunc);
  if (!out.is_open()) {
    std_error_handler(1, string("graph::write() cannot open file %s", file).chars());
    return;
  }
  write(out);
}

string graph::read_data_string(std::istream& in) {
  std::string text;
  read_entry(in, text);
  return string(text.c_str());
}

int graph::read_reversal(std::istream& in) {
  int c;
  do {
    c = in.get();
    if (in.fail()) return 0;
  } while (c != '\n' && std::isspace(c));
  in.putback(static_cast<char>(c));
  if (!std::isdigit(c)) return 0;
  int r = 0;
  in >> r;
  return r;
}

int graph::read(string file) {
  std::ifstream in(file.chars());
  if (!in.is_open()) return 1;
  return read(in);
}

int graph::read(std::istream& in) {
  clear();
  int result = 0;
  // Input that ends early or names objects that are not there leaves nothing
  // half read.
  auto malformed = [this]() {
    clear();
    return 3;
  };
  const std::string NT = node_type(), ET = edge_type();
  string header, FN, FE;
  in >> header >> FN >> FE;
  int n = -1;
  in >> n;
  if (header != header_word) return 3;
  if (in.fail() || n < 0) return malformed();
  read_line(in);
  set_node_bound(n);

  const bool node_string = NT == "string";
  const bool drop_nodes = NT == "void" || NT != FN.chars();
  std::vector<node> nodes;
  std::string text;
  for (int i = 1; i <= n; i++) {
    node v;
    if (drop_nodes) {
      void* x = nullptr;
      init_node_entry(x);
      v = new_node(x);
    } else {
      v = new_node(nullptr);
    }
    nodes.push_back(v);
    if (read_entry(in, text) != entry_status::complete) return malformed();
    if (drop_nodes) continue;
    if (node_string) {
      v->data[0] = graphlib_copy(string(text.c_str()));
    } else {
      string_istream entry(text.c_str());
      read_node_entry(entry, v->data[0]);
    }
  }
  if (NT != FN.chars()) result = 2;

  int m = -1;
  in >> m;
  if (in.fail() || m < 0) return malformed();
  set_edge_bound(m);

  const bool edge_string = ET == "string";
  const bool drop_edges = ET == "void" || ET != FE.chars();
  std::vector<edge> edges;
  for (int i = 1; i <= m; i++) {
    int s = 0, t = 0;
    in >> s >> t;
    if (in.fail() || s < 1 || s > n || t < 1 || t > n) return malformed();
    node vs = nodes[static_cast<size_t>(s - 1)];
    node vt = nodes[static_cast<size_t>(t - 1)];
    if (undirected && vs == vt) return malformed();
    edge e;
    if (drop_edges) {
      void* x = nullptr;
      init_edge_entry(x);
      e = new_edge(vs, vt, x);
    } else {
      e = new_edge(vs, vt, static_cast<void*>(nullptr));
    }
    edges.push_back(e);
    int r = read_reversal(in);
    if (read_entry(in, text) != entry_status::complete) return malformed();
    if (!drop_edges) {
      if (edge_string) {
        e->data[0] = graphlib_copy(string(text.c_str()));
      } else {
        string_istream entry(text.c_str());
        read_edge_entry(entry, e->data[0]);
      }
    }
    if (r > 0 && r < i) {
      // A pair whose ends do not match is set_reversal's error to raise.
      set_reversal(e, edges[static_cast<size_t>(r - 1)]);
    }
  }
  if (ET != FE.chars()) result = 2;

  read_maps(in, io_maps[0], io_maps[1]);
  return result;
}

}  // namespace graphlib
