#include "graphlib/algorithms/pq_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "AllocatorUsage.h"
#include "GraphTestSupport.h"
#include "PlanarFamilies.h"
#include "RecordingErrorHandler.h"

namespace {

using graphlib::pq_tree;
using testing_support::AllocatorBaseline;
using testing_support::GraphlibError;
using testing_support::items;
using testing_support::listOf;
using testing_support::RecordingErrorHandler;
typedef graphlib::pq_node_struct N;
typedef std::vector<int> Order;

// The children of v in chain order, from left_end.
std::vector<const N*> children(const N* v) {
  std::vector<const N*> out;
  const N* cur = v->left_end;
  const N* prev = nullptr;
  while (cur != nullptr && out.size() < 1000) {
    out.push_back(cur);
    if (cur == v->right_end) break;
    const N* next = cur->sib1 != prev ? cur->sib1 : cur->sib2;
    prev = cur;
    cur = next;
  }
  return out;
}

// "P(1 2 Q(3 d2 4))": leaves by number, indicators as d<stamp>.
std::string shape(const N* v) {
  if (v == nullptr) return "-";
  if (v->type == N::LEAF) return std::to_string(v->index);
  if (v->type == N::DIRECTION) return "d" + std::to_string(v->index);
  std::string s = v->type == N::P_NODE ? "P(" : "Q(";
  bool first = true;
  for (const N* c : children(v)) {
    if (!first) s += " ";
    first = false;
    s += shape(c);
  }
  return s + ")";
}

std::string shape(const pq_tree& T) { return shape(T.root); }

// Everything a later reduction relies on; "" when the tree is sound. At rest
// (after a replacement) no node may keep state of the reduction.
std::string treeDefect(const pq_tree& T, bool atRest) {
  if (T.root == nullptr) return "";
  if (T.root->sib1 != nullptr || T.root->sib2 != nullptr) return "root has siblings";
  std::vector<const N*> todo(1, T.root);
  std::set<int> numbers;
  while (!todo.empty()) {
    const N* v = todo.back();
    todo.pop_back();
    if (atRest && (v->mark != N::UNMARKED || v->label != N::EMPTY || v->pert_child_count != 0 ||
                   v->pert_leaf_count != 0 || v->full_child_count != 0 || v->partial1 || v->partial2))
      return "node " + shape(v) + " keeps reduction state";
    if (v->type == N::LEAF) {
      if (v->index < 0 || v->index >= T.leaves_size || T.leaves[v->index] != v)
        return "leaf " + std::to_string(v->index) + " not registered";
      numbers.insert(v->index);
      continue;
    }
    if (v->type == N::DIRECTION) continue;
    std::vector<const N*> cs = children(v);
    if (cs.empty() || cs.back() != v->right_end) return "chain of " + shape(v) + " does not reach its right end";
    if (cs.front()->sib1 != nullptr && cs.front()->sib2 != nullptr) return "left end of " + shape(v) + " has two siblings";
    if (cs.back()->sib1 != nullptr && cs.back()->sib2 != nullptr) return "right end of " + shape(v) + " has two siblings";
    int real = 0;
    for (size_t i = 0; i < cs.size(); i++) {
      const N* c = cs[i];
      if (i + 1 < cs.size() && c->sib1 != cs[i + 1] && c->sib2 != cs[i + 1]) return "broken chain in " + shape(v);
      if (i > 0 && c->sib1 != cs[i - 1] && c->sib2 != cs[i - 1]) return "broken chain in " + shape(v);
      if (c->type == N::DIRECTION) {
        if (v->type != N::Q_NODE) return "indicator outside a Q-node";
        if (i == 0 || i + 1 == cs.size()) return "indicator ends the chain of " + shape(v);
      } else {
        real++;
      }
      if (c->parent_type != v->type) return "wrong parent type below " + shape(v);
      bool parentKept = v->type == N::P_NODE || i == 0 || i + 1 == cs.size();
      if (parentKept && c->parent != v) return "wrong parent below " + shape(v);
      todo.push_back(c);
    }
    if (v->type == N::P_NODE && v->child_count != static_cast<int>(cs.size()))
      return "child count of " + shape(v);
    if (real < 2) return "inner node with fewer than two children: " + shape(v);
  }
  int registered = 0;
  for (int i = 0; i < T.leaves_size; i++)
    if (T.leaves[i] != nullptr) registered++;
  if (registered != static_cast<int>(numbers.size())) return "leaves array names nodes outside the tree";
  return "";
}

// The leaf orders a subtree stands for.
std::set<Order> frontiers(const N* v) {
  if (v->type == N::LEAF) return {{v->index}};
  std::vector<std::set<Order>> parts;
  for (const N* c : children(v))
    if (c->type != N::DIRECTION) parts.push_back(frontiers(c));
  std::vector<std::vector<size_t>> arrangements;
  std::vector<size_t> idx(parts.size());
  for (size_t i = 0; i < idx.size(); i++) idx[i] = i;
  if (v->type == N::P_NODE) {
    do arrangements.push_back(idx);
    while (std::next_permutation(idx.begin(), idx.end()));
  } else {
    arrangements.push_back(idx);
    std::reverse(idx.begin(), idx.end());
    arrangements.push_back(idx);
  }
  std::set<Order> result;
  for (const std::vector<size_t>& arr : arrangements) {
    std::set<Order> acc = {{}};
    for (size_t i : arr) {
      std::set<Order> next;
      for (const Order& a : acc)
        for (const Order& b : parts[i]) {
          Order c = a;
          c.insert(c.end(), b.begin(), b.end());
          next.insert(c);
        }
      acc.swap(next);
    }
    result.insert(acc.begin(), acc.end());
  }
  return result;
}

std::set<Order> frontiers(const pq_tree& T) { return T.root ? frontiers(T.root) : std::set<Order>(); }

// The number of leaf orders a subtree stands for (they are all distinct).
double countFrontiers(const N* v) {
  if (v->type == N::LEAF) return 1;
  double product = 1;
  int real = 0;
  for (const N* c : children(v))
    if (c->type != N::DIRECTION) {
      product *= countFrontiers(c);
      real++;
    }
  if (v->type == N::Q_NODE) return 2 * product;
  for (int i = 2; i <= real; i++) product *= i;
  return product;
}

// Whether the subtree v admits the order whose positions are at[leaf]; sets
// [lo, hi] to the positions its leaves take.
bool admits(const N* v, const std::vector<int>& at, int& lo, int& hi) {
  if (v->type == N::LEAF) {
    if (v->index < 0 || v->index >= static_cast<int>(at.size()) || at[static_cast<size_t>(v->index)] < 0) return false;
    lo = hi = at[static_cast<size_t>(v->index)];
    return true;
  }
  std::vector<std::pair<int, int>> ranges;
  for (const N* c : children(v)) {
    if (c->type == N::DIRECTION) continue;
    int l, h;
    if (!admits(c, at, l, h)) return false;
    ranges.push_back({l, h});
  }
  std::vector<std::pair<int, int>> sorted = ranges;
  std::sort(sorted.begin(), sorted.end());
  for (size_t i = 1; i < sorted.size(); i++)
    if (sorted[i].first != sorted[i - 1].second + 1) return false;
  if (v->type == N::Q_NODE) {
    std::vector<std::pair<int, int>> reversed(ranges.rbegin(), ranges.rend());
    if (ranges != sorted && reversed != sorted) return false;
  }
  lo = sorted.front().first;
  hi = sorted.back().second;
  return true;
}

// "" when the tree stands for exactly the orders of the model.
std::string frontierMismatch(const pq_tree& T, const std::set<Order>& model) {
  double count = T.root ? countFrontiers(T.root) : 0;
  if (count != static_cast<double>(model.size()))
    return "tree has " + std::to_string(count) + " orders, model " + std::to_string(model.size());
  for (const Order& o : model) {
    std::vector<int> at(static_cast<size_t>(*std::max_element(o.begin(), o.end())) + 1, -1);
    for (size_t i = 0; i < o.size(); i++) at[static_cast<size_t>(o[i])] = static_cast<int>(i);
    int lo, hi;
    if (!admits(T.root, at, lo, hi) || lo != 0 || hi + 1 != static_cast<int>(o.size()))
      return "tree does not admit " + ::testing::PrintToString(o);
  }
  return "";
}

std::set<Order> permutations(Order xs) {
  std::sort(xs.begin(), xs.end());
  std::set<Order> out;
  do out.insert(xs);
  while (std::next_permutation(xs.begin(), xs.end()));
  return out;
}

// Position of the block of S in o, or -1 when S is not consecutive there.
int blockStart(const Order& o, const std::set<int>& S) {
  int first = -1, last = -1, count = 0;
  for (size_t i = 0; i < o.size(); i++)
    if (S.count(o[i])) {
      if (first < 0) first = static_cast<int>(i);
      last = static_cast<int>(i);
      count++;
    }
  return (count == static_cast<int>(S.size()) && last - first + 1 == count) ? first : -1;
}

std::set<Order> keepConsecutive(const std::set<Order>& orders, const std::set<int>& S) {
  std::set<Order> out;
  for (const Order& o : orders)
    if (blockStart(o, S) >= 0) out.insert(o);
  return out;
}

// Splits an out list into (indicator entries, leaves).
struct Sequence {
  std::vector<int> stamps;
  std::vector<int> leaves;
};

Sequence split(const std::vector<int>& out) {
  Sequence s;
  if (out.empty()) return s;
  int c = out[0];
  for (int i = 1; i <= c && i < static_cast<int>(out.size()); i++) s.stamps.push_back(out[static_cast<size_t>(i)]);
  for (size_t i = static_cast<size_t>(c) + 1; i < out.size(); i++) s.leaves.push_back(out[i]);
  return s;
}

// Every node starts from the same allocator state it ends in.
class PqTreeTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(baseline.changes(), std::vector<std::string>()); }
  AllocatorBaseline baseline;
};

// Plants leaves 1..n as one P-node, then reduces by each set in turn (no
// replacement, so the leaves stay).
void plantAndReduce(pq_tree& T, int n, const std::vector<std::vector<int>>& sets) {
  std::vector<int> u;
  for (int i = 1; i <= n; i++) u.push_back(i);
  graphlib::list<int> S, U = listOf(u), out;
  ASSERT_TRUE(T.replace(S, U, out));
  for (const std::vector<int>& s : sets) {
    graphlib::list<int> L = listOf(s);
    ASSERT_TRUE(T.reduction(L)) << "building by " << ::testing::PrintToString(s);
  }
}

struct TemplateCase {
  const char* what;
  int leaves;
  std::vector<std::vector<int>> build;
  const char* before;
  std::vector<int> reduceBy;
  const char* after;
  std::vector<int> out;
};

// Each row is built by reductions from one P-node and shows one template at
// work on the last reduction; the shapes were worked out by hand.
const TemplateCase kTemplates[] = {
    {"PQL1: every leaf and then the root become full", 4, {}, "P(1 2 3 4)", {1, 2, 3, 4}, "P(1 2 3 4)",
     {0, 1, 2, 3, 4}},
    {"P3 at the root gathers the full leaves under a new P-node at its right end", 4, {}, "P(1 2 3 4)", {1, 3},
     "P(2 4 P(1 3))", {0, 1, 3}},
    {"P3 below the root turns a P-node partial, P5 at the root hangs the full leaf into it", 4, {{1, 2}},
     "P(3 4 P(1 2))", {2, 3}, "P(4 Q(1 2 3))", {0, 2, 3}},
    {"P5 below the root with two children merges into its partial child", 5, {{1, 2}, {1, 2, 3}},
     "P(4 5 P(3 P(1 2)))", {2, 3, 4}, "P(5 Q(1 2 3 4))", {0, 2, 3, 4}},
    {"P5 below the root keeps its empty children as a P-node at the partial child's end", 7,
     {{1, 2}, {1, 2, 3, 6, 7}}, "P(4 5 P(3 6 7 P(1 2)))", {2, 3, 4}, "P(5 Q(P(6 7) 1 2 3 4))", {0, 2, 3, 4}},
    {"P6 merges two partial children around the full one", 6, {{1, 2}, {3, 4}}, "P(5 6 P(1 2) P(3 4))",
     {2, 3, 5}, "P(6 Q(1 2 5 3 4))", {0, 2, 5, 3}},
    {"Q2 at the root: a full run at one end", 3, {{1, 2}, {2, 3}}, "Q(1 2 3)", {2, 3}, "Q(1 2 3)", {0, 2, 3}},
    {"Q2 below the root, then P5 at the root", 4, {{1, 2}, {2, 3}}, "P(4 Q(1 2 3))", {3, 4}, "Q(1 2 3 4)",
     {0, 3, 4}},
    {"Q2 at the root splices its partial child next to the full run", 4, {{3, 4}, {2, 3, 4}, {1, 2}},
     "Q(P(3 4) 2 1)", {2, 4}, "Q(3 4 2 1)", {0, 2, 4}},
    {"Q3 splices the partial children on both sides of the full run", 5, {{1, 2}, {4, 5}, {1, 2, 3}, {3, 4, 5}},
     "Q(P(1 2) 3 P(4 5))", {2, 3, 4}, "Q(1 2 3 4 5)", {0, 2, 3, 4}},
    {"a blocked run in the middle of a Q-node gets the pseudonode as parent", 4, {{1, 2}, {2, 3}, {3, 4}},
     "Q(1 2 3 4)", {2, 3}, "Q(1 2 3 4)", {0, 2, 3}},
    {"Q3 with two full children between the partial ones", 6, {{1, 2}, {5, 6}, {1, 2, 3}, {3, 4}, {4, 5, 6}},
     "Q(P(1 2) 3 4 P(5 6))", {2, 3, 4, 5}, "Q(1 2 3 4 5 6)", {0, 2, 3, 4, 5}},
    {"Q2 on the pseudonode splices a partial child of the blocked run", 6,
     {{3, 4}, {2, 3, 4}, {1, 2}, {1, 5}, {6, 3, 4}}, "Q(5 1 2 P(3 4) 6)", {4, 2}, "Q(5 1 2 4 3 6)", {0, 2, 4}},
};

TEST_F(PqTreeTest, EachTemplateOnItsOwnExample) {
  for (const TemplateCase& c : kTemplates) {
    SCOPED_TRACE(c.what);
    pq_tree T(c.leaves);
    plantAndReduce(T, c.leaves, c.build);
    EXPECT_EQ(shape(T), c.before);
    std::set<Order> expected = keepConsecutive(frontiers(T), std::set<int>(c.reduceBy.begin(), c.reduceBy.end()));
    graphlib::list<int> S = listOf(c.reduceBy);
    ASSERT_TRUE(T.reduction(S));
    EXPECT_TRUE(S.empty());
    EXPECT_EQ(shape(T), c.after);
    EXPECT_EQ(frontiers(T), expected);
    EXPECT_EQ(treeDefect(T, false), "");
    graphlib::list<int> out;
    T.pert_sequence(out);
    EXPECT_EQ(items(out), c.out);
  }
}

struct FailingCase {
  const char* what;
  int leaves;
  std::vector<std::vector<int>> build;
  std::vector<int> reduceBy;
  bool setsFailed;
};

const FailingCase kFailing[] = {
    {"Q-node 1 2 3 by its two ends", 3, {{1, 2}, {2, 3}}, {1, 3}, false},
    {"two sets that overlap without nesting, then a third crossing both", 4, {{1, 2}, {2, 3}}, {1, 3}, false},
    {"a third partial child", 6, {{1, 2}, {3, 4}, {5, 6}}, {1, 3, 5}, true},
    {"a partial Q-node whose full leaves touch neither end", 5, {{1, 2}, {2, 3}, {3, 4}}, {2, 3, 5}, false},
};

TEST_F(PqTreeTest, ReductionsThatCannotSucceedFailAndTheTreeIsFreed) {
  for (const FailingCase& c : kFailing) {
    SCOPED_TRACE(c.what);
    pq_tree T(c.leaves);
    plantAndReduce(T, c.leaves, c.build);
    graphlib::list<int> S = listOf(c.reduceBy);
    EXPECT_FALSE(T.reduction(S));
    EXPECT_FALSE(T.ok);
    EXPECT_EQ(T.failed, c.setsFailed);
    // A tree whose reduction failed only waits to be destroyed.
    graphlib::list<int> S2 = listOf({1}), U = listOf({50}), out = listOf({7});
    EXPECT_FALSE(T.replace(S2, U, out));
    EXPECT_EQ(items(out), std::vector<int>({7}));
  }
}

TEST_F(PqTreeTest, PlantingMakesTheTreeAndLeavesOutAlone) {
  pq_tree T(8);
  graphlib::list<int> S, U = listOf({5}), out = listOf({42});
  ASSERT_TRUE(T.replace(S, U, out));
  EXPECT_EQ(shape(T), "5");
  EXPECT_EQ(items(out), std::vector<int>({42}));
  EXPECT_TRUE(U.empty());
  EXPECT_EQ(T.pseudo->index, 2);
  EXPECT_EQ(treeDefect(T, true), "");
}

TEST_F(PqTreeTest, ReplacementInAPNodeLeavesNoIndicator) {
  pq_tree T(8);
  graphlib::list<int> S, U = listOf({1, 2, 3}), out;
  ASSERT_TRUE(T.replace(S, U, out));
  S = listOf({2});
  U = listOf({7, 8});
  ASSERT_TRUE(T.replace(S, U, out));
  EXPECT_EQ(items(out), std::vector<int>({0, 2}));
  EXPECT_EQ(shape(T), "P(1 3 P(7 8))");
  EXPECT_EQ(T.leaves[2], nullptr);
  EXPECT_EQ(T.pseudo->index, 3);
  EXPECT_EQ(treeDefect(T, true), "");
}

// Builds Q(1 2 3 4) as the root of a tree from replacements alone.
void buildQ1234(pq_tree& T) {
  plantAndReduce(T, 4, {{1, 2}, {2, 3}, {3, 4}});
  ASSERT_EQ(shape(T), "Q(1 2 3 4)");
}

TEST_F(PqTreeTest, IndicatorsAreLeftInQNodesAndReadWithTheirDirection) {
  pq_tree T(4);
  buildQ1234(T);
  graphlib::list<int> S = listOf({2, 3}), U = listOf({9}), out;
  ASSERT_TRUE(T.replace(S, U, out));
  EXPECT_EQ(items(out), std::vector<int>({0, 2, 3}));
  // Replace number 2 of the tree: stamp 2, its sib1 towards leaf 2's side.
  EXPECT_EQ(shape(T), "Q(1 d2 9 4)");
  EXPECT_EQ(treeDefect(T, true), "");
  S = listOf({1, 9, 4});
  U = listOf({10, 11});
  ASSERT_TRUE(T.replace(S, U, out));
  // Walked from 1 towards 4, the way the range 2..3 was read.
  EXPECT_EQ(items(out), std::vector<int>({1, 2, 1, 9, 4}));
  EXPECT_EQ(shape(T), "P(10 11)");
  EXPECT_EQ(T.pseudo->index, 4);

  pq_tree R(4);
  buildQ1234(R);
  S = listOf({3, 2});
  U = listOf({9});
  ASSERT_TRUE(R.replace(S, U, out));
  // Read from 3 to 2 this time: the indicator's sib1 lies on 3's side.
  EXPECT_EQ(items(out), std::vector<int>({0, 3, 2}));
  EXPECT_EQ(shape(R), "Q(1 9 d2 4)");
  S = listOf({4, 9});
  U = listOf({12});
  ASSERT_TRUE(R.replace(S, U, out));
  EXPECT_EQ(items(out), std::vector<int>({1, -2, 9, 4}));
}

TEST_F(PqTreeTest, TwoIndicatorsAreReportedLastMetFirst) {
  pq_tree T(6);
  plantAndReduce(T, 6, {{1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}});
  ASSERT_EQ(shape(T), "Q(1 2 3 4 5 6)");
  graphlib::list<int> S = listOf({2}), U = listOf({7}), out;
  ASSERT_TRUE(T.replace(S, U, out));
  S = listOf({5});
  U = listOf({8});
  ASSERT_TRUE(T.replace(S, U, out));
  EXPECT_EQ(shape(T), "Q(1 d2 7 3 4 d3 8 6)");
  S = listOf({7, 3, 4, 8});
  U = listOf({9});
  ASSERT_TRUE(T.replace(S, U, out));
  std::vector<int> got = items(out);
  ASSERT_EQ(got.size(), 7u);
  EXPECT_EQ(got[0], 2);
  // The walk meets d2 before d3 in one direction and after it in the other.
  std::vector<int> leaves(got.begin() + 3, got.end());
  if (leaves.front() == 7)
    EXPECT_EQ(got, std::vector<int>({2, 3, 2, 7, 3, 4, 8}));
  else
    EXPECT_EQ(got, std::vector<int>({2, -2, -3, 8, 4, 3, 7}));
}

TEST_F(PqTreeTest, TheLastReplacementFreesTheWholeTree) {
  pq_tree T(4);
  buildQ1234(T);
  graphlib::list<int> S = listOf({2, 3}), U = listOf({9}), out;
  ASSERT_TRUE(T.replace(S, U, out));
  S = listOf({4, 9, 1});
  U = graphlib::list<int>();
  ASSERT_TRUE(T.replace(S, U, out));
  EXPECT_EQ(T.root, nullptr);
  for (int i = 0; i < T.leaves_size; i++) EXPECT_EQ(T.leaves[i], nullptr);
  // The tree can be planted again.
  S = graphlib::list<int>();
  U = listOf({3, 4});
  ASSERT_TRUE(T.replace(S, U, out));
  EXPECT_EQ(shape(T), "P(3 4)");
}

TEST_F(PqTreeTest, TheLeavesArrayGrowsByDoubling) {
  struct Case {
    int n;
    int number;
    int size;
  };
  const Case cases[] = {{0, 0, 32}, {0, 40, 64}, {3, 4, 8}, {3, 3, 4}, {3, 17, 32}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number);
    pq_tree T(c.n);
    EXPECT_EQ(T.leaves_size, c.n == 0 ? 0 : c.n + 1);
    graphlib::list<int> S, U = listOf({c.number}), out;
    ASSERT_TRUE(T.replace(S, U, out));
    EXPECT_EQ(T.leaves_size, c.size);
    EXPECT_EQ(shape(T), std::to_string(c.number));
  }
}

TEST_F(PqTreeTest, UnacceptableNumbersAreRefusedBeforeAnythingChanges) {
  struct Case {
    const char* what;
    std::vector<int> S;
    std::vector<int> U;
  };
  const Case cases[] = {
      {"a new number that is already a leaf", {1, 2}, {7, 3}},
      {"a new number twice", {1, 2}, {7, 7}},
      {"a negative new number", {1}, {-1}},
      {"a pertinent number that is no leaf", {1, 6}, {7}},
      {"a pertinent number beyond the array", {1, 1000}, {7}},
      {"a negative pertinent number", {-3, 1}, {7}},
      {"a pertinent number twice", {1, 1}, {7}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    pq_tree T(5);
    plantAndReduce(T, 4, {{1, 2}});
    std::string before = shape(T);
    int sizeBefore = T.leaves_size;
    graphlib::list<int> S = listOf(c.S), U = listOf(c.U), out = listOf({42});
    EXPECT_FALSE(T.replace(S, U, out));
    EXPECT_EQ(items(U), c.U);
    EXPECT_EQ(items(out), std::vector<int>({42}));
    EXPECT_EQ(shape(T), before);
    EXPECT_EQ(T.leaves_size, sizeBefore);
    EXPECT_TRUE(T.ok);
    EXPECT_EQ(treeDefect(T, false), "");
    // Still usable afterwards.
    S = listOf({3, 4});
    U = listOf({8});
    EXPECT_TRUE(T.replace(S, U, out));
  }
}

TEST_F(PqTreeTest, MisuseIsReportedAndChangesNothing) {
  struct Case {
    const char* what;
    std::vector<int> S;
    std::vector<int> U;
    const char* message;
  };
  const Case cases[] = {
      {"no pertinent leaves on a planted tree", {}, {7}, "pq_tree::replace: empty set of leaves on a non-empty tree"},
      {"no new leaves before the last step", {1, 2}, {}, "pq_tree::replace: no new leaves for a part of the tree"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RecordingErrorHandler errors;
    pq_tree T(5);
    plantAndReduce(T, 4, {});
    graphlib::list<int> S = listOf(c.S), U = listOf(c.U), out = listOf({42});
    GraphlibError e = errors.raisedBy([&] { T.replace(S, U, out); });
    EXPECT_EQ(e, (GraphlibError{1, c.message}));
    EXPECT_EQ(shape(T), "P(1 2 3 4)");
    EXPECT_EQ(items(S), c.S);
    EXPECT_EQ(items(out), std::vector<int>({42}));
    EXPECT_EQ(treeDefect(T, true), "");
  }
}

TEST_F(PqTreeTest, WholeTreePertinentWithNewLeavesMakesThemTheRoot) {
  pq_tree T(4);
  buildQ1234(T);
  graphlib::list<int> S = listOf({1, 2, 3, 4}), U = listOf({5, 6}), out;
  ASSERT_TRUE(T.replace(S, U, out));
  EXPECT_EQ(items(out), std::vector<int>({0, 1, 2, 3, 4}));
  EXPECT_EQ(shape(T), "P(5 6)");
  EXPECT_EQ(treeDefect(T, true), "");
  S = listOf({6});
  U = listOf({7});
  ASSERT_TRUE(T.replace(S, U, out));
  EXPECT_EQ(shape(T), "P(5 7)");
}

TEST_F(PqTreeTest, TreesDestroyedInTheMiddleOfAUseFreeEveryNode) {
  {
    pq_tree T(4);
    plantAndReduce(T, 4, {{1, 2}, {2, 3}});
  }
  {
    // A reduction read its indicators and was not followed by an update.
    pq_tree T(4);
    buildQ1234(T);
    graphlib::list<int> S = listOf({2, 3}), U = listOf({9}), out;
    ASSERT_TRUE(T.replace(S, U, out));
    S = listOf({1, 9});
    ASSERT_TRUE(T.reduction(S));
    T.pert_sequence(out);
    EXPECT_EQ(split(items(out)).stamps.size(), 1u);
  }
}

TEST_F(PqTreeTest, DeletingThePertinentPartTakesItOutOfTheTree) {
  struct Case {
    std::vector<std::vector<int>> build;
    std::vector<int> S;
    const char* after;
  };
  const Case cases[] = {
      {{}, {1, 3}, "P(2 4)"},
      {{{1, 2}, {2, 3}, {3, 4}}, {2, 3}, "Q(1 4)"},
      {{{1, 2}, {2, 3}, {3, 4}}, {1, 2}, "Q(3 4)"},
      {{}, {1, 2, 3, 4}, "-"},
  };
  for (const Case& c : cases) {
    pq_tree T(4);
    plantAndReduce(T, 4, c.build);
    graphlib::list<int> S = listOf(c.S), out;
    ASSERT_TRUE(T.reduction(S));
    T.pert_sequence(out);
    T.del_pert_subtree();
    EXPECT_EQ(shape(T), c.after);
    for (int s : c.S) EXPECT_EQ(T.leaves[s], nullptr);
  }
}

TEST_F(PqTreeTest, AnArrayThatCannotBeMadeIsReported) {
  RecordingErrorHandler errors(RecordingErrorHandler::Mode::Return);
  pq_tree T(2147483647);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors.last(), (GraphlibError{1, "pq_tree: out of memory"}));
  EXPECT_EQ(T.leaves_size, 0);
  graphlib::list<int> S, U = listOf({1, 2}), out;
  ASSERT_TRUE(T.replace(S, U, out));
  EXPECT_EQ(T.leaves_size, 32);
}

TEST_F(PqTreeTest, AnArrayThatCannotBeMadeUnderAThrowingHandlerLeavesNothingBehind) {
  RecordingErrorHandler errors;
  AllocatorBaseline before;
  EXPECT_EQ(errors.raisedBy([] { pq_tree T(2147483647); }), (GraphlibError{1, "pq_tree: out of memory"}));
  EXPECT_EQ(before.changes(), std::vector<std::string>());
}

TEST_F(PqTreeTest, ReductionRefusesNumbersThatAreNoLeavesAndChangesNothing) {
  struct Case {
    const char* what;
    std::vector<int> S;
  };
  const Case cases[] = {
      {"a number that is no leaf", {1, 6}},
      {"a number beyond the array", {1, 1000}},
      {"a negative number", {-3, 1}},
      {"a number twice", {2, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    pq_tree T(5);
    plantAndReduce(T, 4, {{1, 2}});
    std::string before = shape(T);
    graphlib::list<int> S = listOf(c.S);
    EXPECT_FALSE(T.reduction(S));
    EXPECT_EQ(items(S), c.S);
    EXPECT_EQ(shape(T), before);
    EXPECT_TRUE(T.ok);
    EXPECT_EQ(treeDefect(T, false), "");
    // Nothing is pertinent for an update, and the next reduction works.
    graphlib::list<int> U = listOf({8});
    RecordingErrorHandler errors;
    EXPECT_EQ(errors.raisedBy([&] { T.update(U); }),
              (GraphlibError{1, "pq_tree::update: no pertinent part to replace"}));
    S = listOf({3, 4});
    U = listOf({8});
    graphlib::list<int> out;
    EXPECT_TRUE(T.replace(S, U, out));
    EXPECT_EQ(shape(T), "P(P(1 2) 8)");
  }
}

// P(0 P(2 P(4 ... P(2d 2d+1)))): every replacement puts a P-node of two new
// leaves in place of the deepest leaf, one level further down.
void plantDeepChain(pq_tree& T, int depth) {
  graphlib::list<int> S, U = listOf({0, 1}), out;
  ASSERT_TRUE(T.replace(S, U, out));
  for (int k = 1; k <= depth; k++) {
    S = listOf({2 * k - 1});
    U = listOf({2 * k, 2 * k + 1});
    ASSERT_TRUE(T.replace(S, U, out)) << "level " << k;
  }
}

int chainDepth(const pq_tree& T) {
  int depth = 0;
  for (const N* v = T.root; v != nullptr && v->type == N::P_NODE; v = v->right_end) depth++;
  return depth;
}

// The leaves of that chain: 0, 2, ..., 2d and 2d+1.
std::vector<int> chainLeaves(int depth) {
  std::vector<int> leaves;
  for (int k = 0; k <= depth; k++) leaves.push_back(2 * k);
  leaves.push_back(2 * depth + 1);
  return leaves;
}

// Every leaf of the chain once, and the leaves below each level consecutive,
// as the nesting demands.
std::string chainOrderDefect(const std::vector<int>& order, int depth) {
  std::vector<int> at(static_cast<size_t>(2 * depth + 2), -1);
  for (size_t i = 0; i < order.size(); i++) {
    int x = order[i];
    if (x < 0 || x >= 2 * depth + 2 || at[static_cast<size_t>(x)] >= 0 || (x % 2 == 1 && x != 2 * depth + 1))
      return "leaf " + std::to_string(x) + " out of place";
    at[static_cast<size_t>(x)] = static_cast<int>(i);
  }
  if (order.size() != chainLeaves(depth).size()) return "wrong number of leaves";
  int lo = std::min(at[static_cast<size_t>(2 * depth)], at[static_cast<size_t>(2 * depth + 1)]);
  int hi = std::max(at[static_cast<size_t>(2 * depth)], at[static_cast<size_t>(2 * depth + 1)]);
  for (int k = depth - 1; k >= 0; k--) {
    int p = at[static_cast<size_t>(2 * k)];
    if (p != lo - 1 && p != hi + 1) return "level " + std::to_string(k) + " is not consecutive";
    lo = std::min(lo, p);
    hi = std::max(hi, p);
  }
  return "";
}

// Freeing, reading and replacing a tree as deep as a long run of replacements
// makes it, with the call stack that a recursive walk would have exhausted.
TEST_F(PqTreeTest, DeepTreesAreWalkedAndFreedWithoutRecursion) {
  const int depth = planar_families::deepSize(300000, 100000);
  const std::vector<int> all = chainLeaves(depth);
  {
    SCOPED_TRACE("destroyed as it stands");
    pq_tree T(2 * depth + 2);
    plantDeepChain(T, depth);
    EXPECT_EQ(chainDepth(T), depth + 1);
  }
  {
    SCOPED_TRACE("every leaf pertinent: the sequence, then the last replacement");
    pq_tree T(2 * depth + 2);
    plantDeepChain(T, depth);
    graphlib::list<int> S = listOf(all), U, out;
    ASSERT_TRUE(T.reduction(S));
    T.pert_sequence(out);
    std::vector<int> seq = items(out);
    ASSERT_FALSE(seq.empty());
    EXPECT_EQ(seq.front(), 0);
    EXPECT_EQ(chainOrderDefect(std::vector<int>(seq.begin() + 1, seq.end()), depth), "");
    EXPECT_TRUE(T.update(U));
    EXPECT_EQ(T.root, nullptr);
  }
  {
    SCOPED_TRACE("every leaf pertinent, then destroyed");
    pq_tree T(2 * depth + 2);
    plantDeepChain(T, depth);
    graphlib::list<int> S = listOf(all);
    ASSERT_TRUE(T.reduction(S));
  }
  {
    SCOPED_TRACE("the pertinent part deleted");
    pq_tree T(2 * depth + 2);
    plantDeepChain(T, depth);
    graphlib::list<int> S = listOf(all), out;
    ASSERT_TRUE(T.reduction(S));
    T.pert_sequence(out);
    T.del_pert_subtree();
    EXPECT_EQ(T.root, nullptr);
    EXPECT_EQ(std::count(T.leaves, T.leaves + T.leaves_size, nullptr), T.leaves_size);
  }
}

// Random reductions against a brute-force model of the admissible orders.
TEST_F(PqTreeTest, ReductionsAgreeWithBruteForceOrders) {
  std::mt19937 rng(1806);
  for (int run = 0; run < 120; run++) {
    int n = 3 + static_cast<int>(rng() % 4);
    pq_tree T(n);
    plantAndReduce(T, n, {});
    Order all;
    for (int i = 1; i <= n; i++) all.push_back(i);
    std::set<Order> model = permutations(all);
    for (int step = 0; step < 6; step++) {
      std::set<int> S;
      if (rng() % 2) {
        // A block of an admissible order: always possible.
        auto it = model.begin();
        std::advance(it, rng() % model.size());
        size_t len = 2 + rng() % (static_cast<size_t>(n) - 1);
        size_t from = rng() % (static_cast<size_t>(n) - len + 1);
        S.insert(it->begin() + static_cast<long>(from), it->begin() + static_cast<long>(from + len));
      } else {
        for (int i = 1; i <= n; i++)
          if (rng() % 2) S.insert(i);
        if (S.empty()) S.insert(1);
      }
      std::set<Order> expected = keepConsecutive(model, S);
      graphlib::list<int> L = listOf(Order(S.begin(), S.end()));
      std::string before = shape(T);
      bool reduced = T.reduction(L);
      ASSERT_EQ(reduced, !expected.empty())
          << "run " << run << " step " << step << ": " << before << " by " << ::testing::PrintToString(S);
      if (!reduced) break;
      model = expected;
      ASSERT_EQ(frontierMismatch(T, model), "") << "run " << run << " step " << step << ": " << shape(T);
      ASSERT_EQ(treeDefect(T, false), "") << shape(T);
    }
  }
}

// Random replacements against the brute-force model; the pertinent sequence
// and the indicators are checked against what the model says about them.
TEST_F(PqTreeTest, ReplacementsAgreeWithBruteForceOrdersAndIndicators) {
  std::mt19937 rng(18);
  int indicatorsRead = 0;
  for (int run = 0; run < 160; run++) {
    SCOPED_TRACE(run);
    pq_tree T(4);
    int next = 0;
    int n0 = 3 + static_cast<int>(rng() % 4);
    Order planted;
    for (int i = 0; i < n0; i++) planted.push_back(next++);
    graphlib::list<int> S, U = listOf(planted), out;
    ASSERT_TRUE(T.replace(S, U, out));
    std::set<Order> model = permutations(planted);
    // Per live indicator: the leaves descending from those on its sib1 and sib2 sides.
    std::map<int, std::pair<std::set<int>, std::set<int>>> sides;
    std::set<int> stampsRead;
    for (int k = 2; k <= 9; k++) {
      const Order& some = *model.begin();
      int count = static_cast<int>(some.size());
      std::set<int> s;
      if (rng() % 3 != 0) {
        auto it = model.begin();
        std::advance(it, rng() % model.size());
        size_t len = 1 + rng() % static_cast<size_t>(count);
        size_t from = rng() % (static_cast<size_t>(count) - len + 1);
        s.insert(it->begin() + static_cast<long>(from), it->begin() + static_cast<long>(from + len));
      } else {
        for (int x : some)
          if (rng() % 2) s.insert(x);
        if (s.empty()) s.insert(some[0]);
      }
      int room = 8 - (count - static_cast<int>(s.size()));
      int u = 1 + static_cast<int>(rng() % 2);
      if (u > room) u = room;
      bool last = static_cast<int>(s.size()) == count && rng() % 4 == 0;
      Order newLeaves;
      if (!last)
        for (int i = 0; i < u; i++) newLeaves.push_back(next++);
      std::set<Order> reduced = keepConsecutive(model, s);
      S = listOf(Order(s.begin(), s.end()));
      U = listOf(newLeaves);
      bool replaced = T.replace(S, U, out);
      ASSERT_EQ(replaced, !reduced.empty()) << "step " << k;
      if (!replaced) break;

      Sequence seq = split(items(out));
      ASSERT_EQ(std::set<int>(seq.leaves.begin(), seq.leaves.end()), s);
      ASSERT_EQ(seq.leaves.size(), s.size());
      bool isBlock = false;
      for (const Order& o : reduced) {
        int at = blockStart(o, s);
        if (std::equal(seq.leaves.begin(), seq.leaves.end(), o.begin() + at)) isBlock = true;
      }
      EXPECT_TRUE(isBlock) << "pertinent sequence is not a block of an admissible order";
      std::map<int, size_t> pos;
      for (size_t i = 0; i < seq.leaves.size(); i++) pos[seq.leaves[i]] = i;
      for (int st : seq.stamps) {
        int stamp = st < 0 ? -st : st;
        EXPECT_GE(stamp, 2);
        EXPECT_LE(stamp, k - 1);
        EXPECT_TRUE(stampsRead.insert(stamp).second) << "indicator " << stamp << " read twice";
        ASSERT_TRUE(sides.count(stamp)) << "indicator " << stamp << " was never left";
        const std::set<int>& before = st > 0 ? sides[stamp].first : sides[stamp].second;
        const std::set<int>& after = st > 0 ? sides[stamp].second : sides[stamp].first;
        for (int a : before)
          for (int b : after)
            if (pos.count(a) && pos.count(b)) {
              EXPECT_LT(pos[a], pos[b]) << "indicator " << st << " misread";
            }
        sides.erase(stamp);
        indicatorsRead++;
      }
      for (auto& entry : sides) {
        std::set<int>& F = entry.second.first;
        std::set<int>& G = entry.second.second;
        bool inF = false, inG = false;
        for (int x : s) {
          inF = inF || F.count(x);
          inG = inG || G.count(x);
        }
        EXPECT_FALSE(inF && inG) << "indicator " << entry.first << " lies inside the range but was not read";
        for (int x : s) {
          F.erase(x);
          G.erase(x);
        }
        if (inF) F.insert(newLeaves.begin(), newLeaves.end());
        if (inG) G.insert(newLeaves.begin(), newLeaves.end());
      }

      std::set<Order> nextModel;
      if (!newLeaves.empty()) {
        for (const Order& o : reduced) {
          int at = blockStart(o, s);
          for (const Order& p : permutations(newLeaves)) {
            Order q(o.begin(), o.begin() + at);
            q.insert(q.end(), p.begin(), p.end());
            q.insert(q.end(), o.begin() + at + static_cast<long>(s.size()), o.end());
            nextModel.insert(q);
          }
        }
      }
      model = nextModel;
      ASSERT_EQ(frontierMismatch(T, model), "") << shape(T);
      ASSERT_EQ(treeDefect(T, true), "") << shape(T);
      // The last replacement frees the tree and hands out no stamp.
      if (model.empty()) break;
      EXPECT_EQ(T.pseudo->index, k + 1);

      // Record the sides of the indicator this step left, if any.
      std::vector<const N*> todo(1, T.root);
      std::set<int> live;
      while (!todo.empty()) {
        const N* v = todo.back();
        todo.pop_back();
        std::vector<const N*> cs = children(v);
        for (size_t i = 0; i < cs.size(); i++) {
          todo.push_back(cs[i]);
          if (cs[i]->type != N::DIRECTION) continue;
          live.insert(cs[i]->index);
          if (cs[i]->index != k) continue;
          std::set<int> left, right;
          for (size_t j = 0; j < cs.size(); j++) {
            if (j == i || cs[j]->type == N::DIRECTION) continue;
            std::vector<const N*> below(1, cs[j]);
            while (!below.empty()) {
              const N* w = below.back();
              below.pop_back();
              if (w->type == N::LEAF) (j < i ? left : right).insert(w->index);
              for (const N* c : children(w)) below.push_back(c);
            }
          }
          // children() walks from left_end; sib1 may point either way.
          bool sib1Left = i > 0 && cs[i]->sib1 == cs[i - 1];
          sides[k] = sib1Left ? std::make_pair(left, right) : std::make_pair(right, left);
        }
      }
      std::set<int> tracked;
      for (auto& entry : sides) tracked.insert(entry.first);
      EXPECT_EQ(live, tracked) << shape(T);
    }
  }
  EXPECT_GT(indicatorsRead, 0);
}

// One order the subtree stands for, drawn at random.
void randomFrontier(const N* v, std::mt19937& rng, Order& out) {
  if (v->type == N::LEAF) {
    out.push_back(v->index);
    return;
  }
  std::vector<const N*> cs;
  for (const N* c : children(v))
    if (c->type != N::DIRECTION) cs.push_back(c);
  if (v->type == N::P_NODE)
    std::shuffle(cs.begin(), cs.end(), rng);
  else if (rng() % 2)
    std::reverse(cs.begin(), cs.end());
  for (const N* c : cs) randomFrontier(c, rng, out);
}

// Larger trees than brute force can enumerate: a block of an order the tree
// stands for can always be replaced, and the order with the block replaced
// by the new leaves must still be one the tree stands for.
TEST_F(PqTreeTest, LongRunsOfReplacementsOnLargerTrees) {
  std::mt19937 rng(2718);
  for (int run = 0; run < 4; run++) {
    SCOPED_TRACE(run);
    pq_tree T(30);
    int next = 0;
    Order planted;
    for (int i = 0; i < 20; i++) planted.push_back(next++);
    graphlib::list<int> S, U = listOf(planted), out;
    ASSERT_TRUE(T.replace(S, U, out));
    std::set<int> stampsRead;
    int k = 2;
    for (; k < 200; k++) {
      Order o;
      randomFrontier(T.root, rng, o);
      size_t len = 1 + rng() % std::min<size_t>(o.size() - 1, 7);
      size_t from = rng() % (o.size() - len + 1);
      Order block(o.begin() + static_cast<long>(from), o.begin() + static_cast<long>(from + len));
      std::shuffle(block.begin(), block.end(), rng);
      int u = o.size() > 36 ? 1 : 1 + static_cast<int>(rng() % 3);
      Order newLeaves;
      for (int i = 0; i < u; i++) newLeaves.push_back(next++);
      S = listOf(block);
      U = listOf(newLeaves);
      ASSERT_TRUE(T.replace(S, U, out)) << "step " << k << ": " << shape(T);
      Sequence seq = split(items(out));
      std::sort(block.begin(), block.end());
      std::sort(seq.leaves.begin(), seq.leaves.end());
      ASSERT_EQ(seq.leaves, block);
      for (int st : seq.stamps) {
        int stamp = st < 0 ? -st : st;
        EXPECT_TRUE(stamp >= 2 && stamp < k) << stamp;
        EXPECT_TRUE(stampsRead.insert(stamp).second) << "indicator " << stamp << " read twice";
      }
      Order after(o.begin(), o.begin() + static_cast<long>(from));
      after.insert(after.end(), newLeaves.begin(), newLeaves.end());
      after.insert(after.end(), o.begin() + static_cast<long>(from + len), o.end());
      std::vector<int> at(static_cast<size_t>(next), -1);
      for (size_t i = 0; i < after.size(); i++) at[static_cast<size_t>(after[i])] = static_cast<int>(i);
      int lo, hi;
      ASSERT_TRUE(admits(T.root, at, lo, hi)) << "step " << k << ": " << shape(T);
      ASSERT_EQ(treeDefect(T, true), "") << "step " << k;
    }
    Order rest;
    randomFrontier(T.root, rng, rest);
    S = listOf(rest);
    U = graphlib::list<int>();
    ASSERT_TRUE(T.replace(S, U, out));
    EXPECT_EQ(T.root, nullptr);
    EXPECT_FALSE(stampsRead.empty());
  }
}

}  // namespace
