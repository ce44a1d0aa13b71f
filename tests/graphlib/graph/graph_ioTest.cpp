// The "GRAPHLIB.GRAPH" text format, printing and entry strings.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "GraphInvariants.h"
#include "GraphTestSupport.h"
#include "ProcessRunner.h"
#include "RecordingErrorHandler.h"
#include "graphlib/graph/node_array.h"
#include "graphlib/graph/param_graph.h"

namespace {

using graphlib::edge;
using graphlib::edge_array;
using graphlib::graph;
using graphlib::GRAPH;
using graphlib::list;
using graphlib::node;
using graphlib::node_array;
using testing_support::graphDefect;
using testing_support::GraphlibError;
using testing_support::RecordingErrorHandler;
using testing_support::TempDir;

std::string written(const graph& G) {
  std::ostringstream out;
  G.write(out);
  return out.str();
}

int readText(graph& G, const std::string& text) {
  std::istringstream in(text);
  return G.read(in);
}

std::vector<node> nodesOf(const graph& G) { return testing_support::objects<node>(G.v_list); }

// The edges of v's list 0 in order, as (source position, target position) in node-list order.
std::vector<std::pair<int, int>> outList(const graph& G, node v) {
  std::vector<node> nodes = nodesOf(G);
  auto pos = [&](node w) { return static_cast<int>(std::find(nodes.begin(), nodes.end(), w) - nodes.begin()); };
  std::vector<std::pair<int, int>> out;
  for (edge e = v->first_adj_edge[0]; e; e = e->succ_adj_edge[graphlib::link_pair(e, v, 0)])
    out.push_back({pos(e->source), pos(e->target)});
  return out;
}

// Structure as the format keeps it: every node's list 0 by node positions,
// and the reversal partners. The format keeps the order of out-lists; an
// undirected graph's list 0 mixes the edges that leave and enter a node, and
// only its contents are kept.
std::string shape(const graph& G) {
  std::ostringstream s;
  std::vector<node> nodes = nodesOf(G);
  s << (G.is_undirected() ? "undirected" : "directed") << " n=" << nodes.size() << " m=" << G.number_of_edges();
  for (node v : nodes) {
    s << " |";
    std::vector<std::pair<int, int>> L = outList(G, v);
    if (G.is_undirected()) std::sort(L.begin(), L.end());
    for (auto p : L) s << " " << p.first << ">" << p.second;
  }
  int reversals = 0;
  for (graphlib::graph_object* x = G.e_list.head; x; x = x->succ) {
    edge e = static_cast<edge>(x);
    if (e->rev == nullptr || e->rev->hidden()) continue;  // a hidden edge is not written
    if (e->rev->rev != e || e->rev->source != e->target || e->rev->target != e->source) return "broken reversal";
    reversals++;
  }
  s << " reversals=" << reversals;
  return s.str();
}

TEST(GraphText, EmptyGraphExactly) {
  graph G;
  EXPECT_EQ(written(G), "GRAPHLIB.GRAPH\nvoid\nvoid\n0\n0\n");
  graph H;
  H.new_node();
  EXPECT_EQ(readText(H, written(G)), 0);
  EXPECT_EQ(H.number_of_nodes(), 0);
  EXPECT_EQ(graphDefect(H), "");
}

TEST(GraphText, OneEdgeExactly) {
  graph G;
  node a = G.new_node();
  node b = G.new_node();
  G.new_edge(a, b);
  const std::string text = "GRAPHLIB.GRAPH\nvoid\nvoid\n2\n|{}|\n|{}|\n1\n1 2 0 |{}|\n";
  EXPECT_EQ(written(G), text);
  graph H;
  EXPECT_EQ(readText(H, text), 0);
  EXPECT_EQ(written(H), text);
  EXPECT_EQ(shape(H), shape(G));
}

TEST(GraphText, IntFloatRoundTripWithReversalsAndNestedText) {
  GRAPH<int, float> G;
  std::vector<node> v;
  for (int i = 0; i < 5; i++) v.push_back(G.new_node(10 * i - 7));
  edge e01 = G.new_edge(v[0], v[1], 0.5f);
  edge e10 = G.new_edge(v[1], v[0], -2.25f);
  G.new_edge(v[3], v[3], 8.0f);  // a self-loop
  G.new_edge(v[4], v[2], 1.0f / 64);
  G.new_edge(v[0], v[1], 3.0f);  // parallel to e01
  G.set_reversal(e01, e10);
  node hidden = G.new_node(99);
  G.new_edge(hidden, v[0], 7.0f);
  G.hide_node(hidden);

  const std::string text = written(G);
  EXPECT_EQ(text,
            "GRAPHLIB.GRAPH\nint\nfloat\n5\n|{-7}|\n|{3}|\n|{13}|\n|{23}|\n|{33}|\n5\n"
            "1 2 3 |{0.5}|\n1 2 0 |{3}|\n2 1 1 |{-2.25}|\n4 4 0 |{8}|\n5 3 0 |{0.015625}|\n");
  GRAPH<int, float> H;
  EXPECT_EQ(readText(H, text), 0);
  EXPECT_EQ(written(H), text);
  EXPECT_EQ(shape(H), shape(G));
  EXPECT_EQ(graphDefect(H), "");
  std::vector<node> w = nodesOf(H);
  EXPECT_EQ(H.inf(w[2]), 13);
  edge first = w[0]->first_adj_edge[0];
  ASSERT_NE(first, nullptr);
  ASSERT_NE(first->rev, nullptr) << "the reversal pair is linked again";
  EXPECT_EQ(first->rev->rev, first);
  EXPECT_EQ(H.inf(first->rev), -2.25f);

  // Without the reversal fields the same file reads with no reversals.
  GRAPH<int, float> K;
  EXPECT_EQ(readText(K, "GRAPHLIB.GRAPH\nint\nfloat\n2\n|{1}|\n|{2}|\n2\n1 2 |{0.5}|\n2 1 |{1.5}|\n"), 0);
  EXPECT_EQ(K.number_of_edges(), 2);
  for (graphlib::graph_object* x = K.e_list.head; x; x = x->succ) EXPECT_EQ(static_cast<edge>(x)->rev, nullptr);
  EXPECT_EQ(written(K), "GRAPHLIB.GRAPH\nint\nfloat\n2\n|{1}|\n|{2}|\n2\n1 2 0 |{0.5}|\n2 1 0 |{1.5}|\n");
}

// Random graphs of every parameterised kind: write, read, write again gives
// the same text and the same structure; infos that are values come back.
template <class G, class MakeNode, class MakeEdge>
void roundTrips(bool undirected, MakeNode makeNode, MakeEdge makeEdge, bool dataComesBack) {
  for (unsigned seed : {1u, 2u, 3u, 4u, 5u}) {
    std::mt19937 rng(seed);
    G g;
    if (undirected) g.make_undirected();
    int n = 1 + static_cast<int>(rng() % 12);
    std::vector<node> v;
    for (int i = 0; i < n; i++) v.push_back(makeNode(g, i));
    int m = static_cast<int>(rng() % 30);
    std::vector<edge> edges;
    for (int k = 0; k < m; k++) {
      node a = v[rng() % v.size()], b = v[rng() % v.size()];
      if (undirected && a == b) continue;
      edges.push_back(makeEdge(g, a, b, k));
      // Now and then a reversal edge for the one just made.
      if (!undirected && rng() % 4 == 0) {
        edge r = makeEdge(g, b, a, k + 100);
        g.set_reversal(edges.back(), r);
        edges.push_back(r);
      }
    }
    if (!edges.empty() && rng() % 2) g.hide_edge(edges[rng() % edges.size()]);
    const std::string text = written(g);
    G h;
    if (undirected) h.make_undirected();
    ASSERT_EQ(readText(h, text), 0) << text;
    ASSERT_EQ(graphDefect(h), "");
    ASSERT_EQ(shape(h), shape(g)) << text;
    if (dataComesBack) {
      ASSERT_EQ(written(h), text);
    }
    G again;
    if (undirected) again.make_undirected();
    ASSERT_EQ(readText(again, written(h)), 0);
    ASSERT_EQ(written(again), written(h));
  }
}

TEST(GraphText, EveryParameterisedGraphRoundTrips) {
  auto plainNode = [](graph& g, int) { return g.new_node(); };
  auto plainEdge = [](graph& g, node a, node b, int) { return g.new_edge(a, b); };
  roundTrips<graph>(false, plainNode, plainEdge, true);
  roundTrips<graph>(true, plainNode, plainEdge, true);

  auto intNode = [](GRAPH<int, float>& g, int i) { return g.new_node(i * 37 - 100); };
  auto floatEdge = [](GRAPH<int, float>& g, node a, node b, int k) {
    return g.new_edge(a, b, static_cast<float>(k) / 4 - 3);
  };
  roundTrips<GRAPH<int, float>>(false, intNode, floatEdge, true);
  roundTrips<GRAPH<int, float>>(true, intNode, floatEdge, true);

  // Handles of another graph cannot be read back: the structure comes back,
  // the infos come back as nil or empty.
  graph other;
  node o = other.new_node();
  auto handleNode = [o](GRAPH<node, edge>& g, int) { return g.new_node(o); };
  auto handleEdge = [](GRAPH<node, edge>& g, node a, node b, int) { return g.new_edge(a, b); };
  roundTrips<GRAPH<node, edge>>(false, handleNode, handleEdge, false);
  auto listNode = [o](GRAPH<node, list<edge>>& g, int) { return g.new_node(o); };
  auto listEdge = [](GRAPH<node, list<edge>>& g, node a, node b, int) {
    list<edge> L;
    L.append(nullptr);
    return g.new_edge(a, b, L);
  };
  roundTrips<GRAPH<node, list<edge>>>(false, listNode, listEdge, false);

  auto textNode = [](GRAPH<graphlib::string, int>& g, int i) {
    return g.new_node(graphlib::string("node %d |{nested}| and 100%% text", i));
  };
  auto intEdge = [](GRAPH<graphlib::string, int>& g, node a, node b, int k) { return g.new_edge(a, b, -k); };
  roundTrips<GRAPH<graphlib::string, int>>(false, textNode, intEdge, true);
}

TEST(GraphText, FloatsRoundTripAtFullPrecision) {
  GRAPH<int, float> G;
  node a = G.new_node(1), b = G.new_node(2);
  std::vector<float> values = {0.1f, 1.0f / 3, 3.14159274f, 1e-20f, -123456.789f, std::numeric_limits<float>::max()};
  for (float f : values) G.new_edge(a, b, f);
  std::ostringstream out;
  out.precision(std::numeric_limits<float>::max_digits10);
  G.write(out);
  GRAPH<int, float> H;
  ASSERT_EQ(readText(H, out.str()), 0);
  size_t k = 0;
  for (graphlib::graph_object* x = H.e_list.head; x; x = x->succ, k++) EXPECT_EQ(H.inf(static_cast<edge>(x)), values[k]);
  EXPECT_EQ(k, values.size());
}

TEST(GraphText, ResultCodes) {
  TempDir tmp;
  const std::string intFile = "GRAPHLIB.GRAPH\nint\nfloat\n2\n|{5}|\n|{6}|\n1\n1 2 0 |{2.5}|\n";
  const std::string voidFile = "GRAPHLIB.GRAPH\nvoid\nvoid\n2\n|{}|\n|{}|\n1\n2 1 0 |{}|\n";

  graph plain;
  EXPECT_EQ(readText(plain, intFile), 2) << "a graph without data reading data";
  EXPECT_EQ(shape(plain), "directed n=2 m=1 | 0>1 | reversals=0");

  GRAPH<int, float> typed;
  EXPECT_EQ(readText(typed, voidFile), 2) << "a graph with data reading none";
  std::vector<node> w = nodesOf(typed);
  ASSERT_EQ(w.size(), 2u);
  EXPECT_EQ(typed.inf(w[0]), 0);
  EXPECT_EQ(typed.inf(static_cast<edge>(typed.e_list.head)), 0.0f);
  EXPECT_EQ(shape(typed), "directed n=2 m=1 | | 1>0 reversals=0");

  GRAPH<int, int> halfway;
  EXPECT_EQ(readText(halfway, intFile), 2) << "the edge type differs";
  EXPECT_EQ(halfway.inf(nodesOf(halfway)[1]), 6) << "the node entries still match";
  EXPECT_EQ(halfway.inf(static_cast<edge>(halfway.e_list.head)), 0);

  GRAPH<int, float> full;
  for (int i = 0; i < 3; i++) full.new_node(i);
  EXPECT_EQ(readText(full, "XGRAPH\nint\nfloat\n0\n0\n"), 3);
  EXPECT_EQ(full.number_of_nodes(), 0) << "emptied, although it held nodes";
  EXPECT_EQ(readText(full, ""), 3);
  EXPECT_EQ(graphDefect(full), "");

  GRAPH<int, float> kept;
  kept.new_node(4);
  EXPECT_EQ(kept.read(graphlib::string(tmp.file("missing").c_str())), 1);
  EXPECT_EQ(kept.number_of_nodes(), 1) << "untouched when the file cannot be opened";
  EXPECT_EQ(kept.inf(nodesOf(kept)[0]), 4);

  // A file name with blanks, quotes and '%'.
  const std::string name = tmp.file("it's a 100% \"graph\"");
  kept.write(graphlib::string(name.c_str()));
  EXPECT_EQ(testing_support::readFile(name), "GRAPHLIB.GRAPH\nint\nfloat\n1\n|{4}|\n0\n");
  GRAPH<int, float> back;
  EXPECT_EQ(back.read(graphlib::string(name.c_str())), 0);
  EXPECT_EQ(back.inf(nodesOf(back)[0]), 4);

  RecordingErrorHandler errors;
  const std::string bad = tmp.file("no such dir/%s.gw");
  EXPECT_EQ(errors.raisedBy([&] { kept.write(graphlib::string(bad.c_str())); }),
            (GraphlibError{1, "graph::write() cannot open file " + bad}));
}

// Input that ends early or does not describe a graph: the reader stops with
// result 3 and an empty graph, never reads past its tables.
TEST(GraphText, MalformedFilesEndWithResultThree) {
  const struct {
    const char* name;
    const char* text;
  } rows[] = {
      {"truncated inside a node entry", "GRAPHLIB.GRAPH\nint\nfloat\n2\n|{5}|\n|{6"},
      {"unterminated entry at the end", "GRAPHLIB.GRAPH\nvoid\nvoid\n1\n|{"},
      {"truncated inside an edge entry", "GRAPHLIB.GRAPH\nint\nfloat\n2\n|{5}|\n|{6}|\n1\n1 2 0 |{2.5"},
      {"fewer node lines than counted", "GRAPHLIB.GRAPH\nvoid\nvoid\n3\n|{}|\n|{}|\n"},
      {"a huge node count", "GRAPHLIB.GRAPH\nvoid\nvoid\n2000000000\n|{}|\n"},
      {"no edge count", "GRAPHLIB.GRAPH\nvoid\nvoid\n1\n|{}|\n"},
      {"edge count not a number", "GRAPHLIB.GRAPH\nvoid\nvoid\n1\n|{}|\nmany\n"},
      {"negative node count", "GRAPHLIB.GRAPH\nvoid\nvoid\n-1\n0\n"},
      {"negative edge count", "GRAPHLIB.GRAPH\nvoid\nvoid\n0\n-4\n"},
      {"node count missing", "GRAPHLIB.GRAPH\nvoid\nvoid\n"},
      {"fewer edge lines than counted", "GRAPHLIB.GRAPH\nvoid\nvoid\n2\n|{}|\n|{}|\n3\n1 2 0 |{}|\n"},
      {"edge to node 99 of 3", "GRAPHLIB.GRAPH\nvoid\nvoid\n3\n|{}|\n|{}|\n|{}|\n1\n1 99 0 |{}|\n"},
      {"edge from node 0", "GRAPHLIB.GRAPH\nvoid\nvoid\n3\n|{}|\n|{}|\n|{}|\n1\n0 1 0 |{}|\n"},
      {"edge line with one number", "GRAPHLIB.GRAPH\nvoid\nvoid\n2\n|{}|\n|{}|\n1\n1"},
      {"edge line with words", "GRAPHLIB.GRAPH\nvoid\nvoid\n2\n|{}|\n|{}|\n1\na b 0 |{}|\n"},
  };
  for (const auto& r : rows) {
    GRAPH<int, float> G;
    G.new_node(1);
    EXPECT_EQ(readText(G, r.text), 3) << r.name;
    EXPECT_EQ(G.number_of_nodes(), 0) << r.name;
    EXPECT_EQ(G.number_of_edges(), 0) << r.name;
    EXPECT_EQ(graphDefect(G), "") << r.name;
    graph plain;
    EXPECT_EQ(readText(plain, r.text), 3) << r.name;
  }
  graph U;
  U.make_undirected();
  EXPECT_EQ(readText(U, "GRAPHLIB.GRAPH\nvoid\nvoid\n1\n|{}|\n1\n1 1 0 |{}|\n"), 3)
      << "a self-loop cannot be an edge of an undirected graph";
  EXPECT_EQ(U.number_of_nodes(), 0);

  // Well-formed, but without the final line end.
  graph G;
  EXPECT_EQ(readText(G, "GRAPHLIB.GRAPH\nvoid\nvoid\n2\n|{}|\n|{}|\n1\n1 2 0 |{}|"), 0);
  EXPECT_EQ(G.number_of_edges(), 1);
}

// An entry that starts with '|' but not "|{" is a format error; with a handler
// that returns, the character after the '|' is taken for the '{'.
TEST(GraphText, EntryWithoutItsBraceIsAFormatErrorReadAsIfItHadOne) {
  RecordingErrorHandler errors(RecordingErrorHandler::Mode::Return);
  GRAPH<int, float> G;
  EXPECT_EQ(readText(G, "GRAPHLIB.GRAPH\nint\nfloat\n2\n|x5}|\n|{6}|\n1\n1 2 0 |y2.5}|\n"), 0);
  EXPECT_EQ(errors.errors(), (std::vector<GraphlibError>{{1, "graph::read(): error in graph format."},
                                                         {1, "graph::read(): error in graph format."}}));
  ASSERT_EQ(G.number_of_nodes(), 2);
  ASSERT_EQ(G.number_of_edges(), 1);
  EXPECT_EQ(G.inf(static_cast<node>(G.v_list.head)), 5);
  EXPECT_EQ(G.inf(static_cast<node>(G.v_list.tail)), 6);
  EXPECT_EQ(G.inf(static_cast<edge>(G.e_list.head)), 2.5f);
  EXPECT_EQ(graphDefect(G), "");
}

// A reversal pair whose ends do not match is set_reversal's error; with a
// handler that returns, the pair stays unlinked and reading goes on.
TEST(GraphText, ReversalWithUnmatchedEndsIsSetReversalsError) {
  RecordingErrorHandler errors(RecordingErrorHandler::Mode::Return);
  graph G;
  EXPECT_EQ(readText(G, "GRAPHLIB.GRAPH\nvoid\nvoid\n3\n|{}|\n|{}|\n|{}|\n3\n1 2 0 |{}|\n2 3 1 |{}|\n2 1 1 |{}|\n"),
            0);
  EXPECT_EQ(errors.errors(),
            (std::vector<GraphlibError>{{1, "graph::set_reversal: edges are not reversals of each other"}}));
  ASSERT_EQ(G.number_of_edges(), 3);
  std::vector<edge> E;
  for (graphlib::graph_object* x = G.e_list.head; x; x = x->succ) E.push_back(static_cast<edge>(x));
  std::sort(E.begin(), E.end(), [](edge a, edge b) { return a->index() < b->index(); });
  EXPECT_EQ(E[1]->rev, nullptr);  // 2 -> 3 is no reversal of 1 -> 2
  EXPECT_EQ(E[2]->rev, E[0]);     // 2 -> 1 is
  EXPECT_EQ(E[0]->rev, E[2]);
  EXPECT_EQ(graphDefect(G), "");

  RecordingErrorHandler throwing;
  graph H;
  EXPECT_EQ(throwing.raisedBy([&] {
    readText(H, "GRAPHLIB.GRAPH\nvoid\nvoid\n3\n|{}|\n|{}|\n|{}|\n2\n1 2 0 |{}|\n2 3 1 |{}|\n");
  }),
            (GraphlibError{1, "graph::set_reversal: edges are not reversals of each other"}));
}

TEST(GraphText, EntryReading) {
  graph G;
  const struct {
    const char* input;
    const char* entry;
    const char* rest;
  } rows[] = {
      {"|{a |{b}| c}|\nnext", "a |{b}| c", "next"},
      {"  \t|{x}|\nnext", "x", "next"},
      {"|{}|\nnext", "", "next"},
      {"|{line one\nline two}|\nnext", "line one\nline two", "next"},
      {"bare text to the end\nnext", "bare text to the end", "next"},
      {"  \nnext", "", "next"},
      {"|{}|", "", ""},
  };
  for (const auto& r : rows) {
    std::istringstream in(r.input);
    EXPECT_EQ(std::string(G.read_data_string(in).chars()), r.entry) << r.input;
    std::string rest;
    std::getline(in, rest);
    EXPECT_EQ(rest, r.rest) << r.input;
  }
  std::string longText(3000, 'q');
  longText[1500] = '|';
  std::istringstream in("|{" + longText + "}|\n");
  EXPECT_EQ(std::string(G.read_data_string(in).chars()), longText);

  RecordingErrorHandler errors;
  std::istringstream bad("|x}|\n");
  EXPECT_EQ(errors.raisedBy([&] { G.read_data_string(bad); }),
            (GraphlibError{1, "graph::read(): error in graph format."}));

  const struct {
    const char* input;
    int reversal;
    int next;
  } reversals[] = {{"  12 |{}|", 12, ' '}, {" |{}|", 0, '|'}, {"\n", 0, '\n'}, {"7|{}|", 7, '|'}};
  for (const auto& r : reversals) {
    std::istringstream s(r.input);
    EXPECT_EQ(G.read_reversal(s), r.reversal) << r.input;
    EXPECT_EQ(s.peek(), r.next) << r.input;
  }
}

TEST(GraphText, PrintAndPrintFromOne) {
  graph G;
  node a = G.new_node();
  node b = G.new_node();
  edge e = G.new_edge(a, b);
  std::ostringstream out;
  G.print("G", out);
  EXPECT_EQ(out.str(), "G\n[0] : [0]---->[1]\n[1] : \n\n");
  std::ostringstream one;
  G.print1("G", one);
  EXPECT_EQ(one.str(), "G\n[1] : [1]---->[2]\n[2] : \n\n");
  std::ostringstream single;
  G.print_node1(b, single);
  G.print_edge1(e, single);
  G.print_node(a, single);
  EXPECT_EQ(single.str(), "[2][1]---->[2][0]") << "the offset is back to 0 afterwards";

  graph U;
  U.make_undirected();
  node x = U.new_node(), y = U.new_node();
  U.new_edge(x, y);
  std::ostringstream u;
  U.print("", u);
  EXPECT_EQ(u.str(), "\n[0] : [0]====[1]\n[1] : [0]====[1]\n\n");

  GRAPH<int, float> D;
  node p = D.new_node(4), q = D.new_node(5);
  D.new_edge(p, q, 0.5f);
  std::ostringstream d;
  D.print("data", d);
  EXPECT_EQ(d.str(), "data\n[0](4) : [0]--(0.5)-->[1]\n[1](5) : \n\n");
}

TEST(GraphText, EntryStrings) {
  GRAPH<int, float> G;
  node v = G.new_node(12);
  node w = G.new_node(3);
  edge e = G.new_edge(v, w, 2.5f);
  EXPECT_EQ(std::string(G.get_node_entry_string(v).chars()), "12");
  EXPECT_EQ(std::string(G.get_edge_entry_string(e).chars()), "2.5");
  G.set_node_entry(w, "  -40 trailing");
  EXPECT_EQ(G.inf(w), -40);
  G.set_edge_entry(e, "0.125");
  EXPECT_EQ(G.inf(e), 0.125f);

  GRAPH<graphlib::string, int> S;
  node s = S.new_node(graphlib::string("first"));
  graphlib::string text("a whole line, blanks and all");
  S.set_node_entry(s, text);
  EXPECT_EQ(std::string(S.inf(s).chars()), "a whole line, blanks and all");
  EXPECT_EQ(S.inf(s).refs(), text.refs()) << "the string itself is stored";
  EXPECT_EQ(std::string(S.get_node_entry_string(s).chars()), "a whole line, blanks and all");
}

TEST(GraphText, IoMapsAreReportedByDesign) {
  graph G;
  node a = G.new_node();
  G.new_edge(a, a);
  node_array<int> M(G, 3);
  G.add_io_map(M);
  RecordingErrorHandler errors;
  const GraphlibError gmap{1, "Compile with -DGRAPHLIB_GMAP_IO for graph_map I/O."};
  std::ostringstream out;
  EXPECT_EQ(errors.raisedBy([&] { G.write(out); }), gmap);
  std::istringstream in("GRAPHLIB.GRAPH\nvoid\nvoid\n1\n|{}|\n0\n5\n");
  graph H;
  edge_array<int> E(H, 0);
  H.add_io_map(E);
  H.add_io_map(M);
  EXPECT_EQ(errors.raisedBy([&] { H.read(in); }), gmap);
  G.clear_io_maps();
  EXPECT_EQ(written(G), "GRAPHLIB.GRAPH\nvoid\nvoid\n1\n|{}|\n1\n1 1 0 |{}|\n");
}

}  // namespace
