#include "graphlib/base/slist.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "AllocatorCheckedTest.h"
#include "AllocatorUsage.h"
#include "RecordingErrorHandler.h"
#include "graphlib/base/b_stack.h"
#include "graphlib/base/queue.h"
#include "graphlib/base/stack.h"
#include "graphlib/base/string.h"

namespace {

using graphlib::b_stack;
using graphlib::slink;
using graphlib::slist;
using graphlib::SLIST;
using testing_support::GraphlibError;
using testing_support::liveSlots;
using testing_support::RecordingErrorHandler;

// Stand-ins for the graph layer's handles.
struct NodeStruct {
  int id;
};
struct EdgeStruct {
  int id;
};
typedef NodeStruct* node;
typedef EdgeStruct* edge;

std::vector<int> values(const slist<int>& L) {
  std::vector<int> out;
  for (slink* p = L.first(); p; p = p->succ) out.push_back(L.contents(p));
  return out;
}

// h, t and count agree with the chain.
std::string defect(const SLIST& L) {
  if ((L.h == nullptr) != (L.t == nullptr)) return "only one of h and t is set";
  int n = 0;
  const slink* last = nullptr;
  for (const slink* p = L.h; p; p = p->succ) {
    last = p;
    if (++n > 1000000) return "cycle";
  }
  if (last != L.t) return "t is not the last cell";
  if (n != L.count) return "count " + std::to_string(L.count) + " but " + std::to_string(n) + " cells";
  return "";
}

slist<int> make(std::initializer_list<int> xs) {
  slist<int> L;
  for (int x : xs) L.append(x);
  return L;
}

// Every test also shows that cells and string records went back to the allocator.
class SlistTest : public testing_support::AllocatorCheckedTest {};

TEST_F(SlistTest, PopOfTheOnlyElementEmptiesTheListAndAppendStartsAfresh) {
  slist<int> L = make({7});
  EXPECT_EQ(L.pop(), 7);
  EXPECT_EQ(L.h, nullptr);
  EXPECT_EQ(L.t, nullptr);
  EXPECT_EQ(L.count, 0);
  EXPECT_TRUE(L.empty());
  slink* c = L.append(8);
  EXPECT_EQ(L.h, c);
  EXPECT_EQ(L.t, c);
  EXPECT_EQ(L.count, 1);
  EXPECT_EQ(defect(L), "");
}

TEST_F(SlistTest, InsertReturnsTheFirstCell) {
  slist<int> L = make({1, 3});
  EXPECT_EQ(L.insert(4, L.t), L.h);
  EXPECT_EQ(L.contents(L.t), 4);
  EXPECT_EQ(L.insert(2, L.h), L.h);
  EXPECT_EQ(values(L), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(L.count, 4);
  EXPECT_EQ(defect(L), "");

  slist<int> E;
  EXPECT_EQ(E.insert(5, nullptr), E.h);
  EXPECT_EQ(values(E), std::vector<int>{5});
  EXPECT_EQ(defect(E), "");
}

TEST_F(SlistTest, ConcTable) {
  struct Row {
    std::vector<int> a, b, result;
  };
  const std::vector<Row> rows = {
      {{}, {1, 2}, {1, 2}},
      {{1, 2}, {}, {1, 2}},
      {{1, 2}, {3, 4, 5}, {1, 2, 3, 4, 5}},
      {{}, {}, {}},
  };
  for (const Row& r : rows) {
    slist<int> A, B;
    for (int x : r.a) A.append(x);
    for (int x : r.b) B.append(x);
    slink* bh = B.h;
    slink* bt = B.t;
    A.conc(B);
    EXPECT_EQ(values(A), r.result);
    EXPECT_EQ(A.count, static_cast<int>(r.result.size()));
    EXPECT_EQ(defect(A), "");
    EXPECT_TRUE(B.empty());
    EXPECT_EQ(B.count, 0);
    EXPECT_EQ(defect(B), "");
    // The cells themselves move.
    if (bh) {
      EXPECT_EQ(A.t, bt);
      if (r.a.empty()) {
        EXPECT_EQ(A.h, bh);
      }
    }
    // The list goes on working at its new tail.
    A.append(99);
    EXPECT_EQ(A.contents(A.t), 99);
    EXPECT_EQ(defect(A), "");
  }
}

TEST_F(SlistTest, ConcWithItselfChangesNothing) {
  slist<int> A = make({1, 2});
  A.conc(A);
  EXPECT_EQ(values(A), (std::vector<int>{1, 2}));
  EXPECT_EQ(defect(A), "");
}

TEST_F(SlistTest, StackIsLastInFirstOutAndQueueFirstInFirstOut) {
  NodeStruct n[5] = {{0}, {1}, {2}, {3}, {4}};
  graphlib::stack<node> S;
  graphlib::queue<node> Q;
  for (NodeStruct& v : n) {
    S.push(&v);
    Q.append(&v);
  }
  EXPECT_EQ(S.size(), 5);
  EXPECT_EQ(Q.size(), 5);
  EXPECT_EQ(S.top(), &n[4]);
  EXPECT_EQ(Q.top(), &n[0]);
  for (int k = 0; k < 5; k++) {
    EXPECT_EQ(S.pop(), &n[4 - k]);
    EXPECT_EQ(Q.pop(), &n[k]);
    EXPECT_EQ(defect(S), "");
    EXPECT_EQ(defect(Q), "");
  }
  EXPECT_TRUE(S.empty());
  EXPECT_TRUE(Q.empty());
  EXPECT_EQ(S.t, nullptr);
  EXPECT_EQ(Q.t, nullptr);
}

TEST_F(SlistTest, InterleavedQueueKeepsItsOrder) {
  graphlib::queue<int> Q;
  std::vector<int> out;
  int next = 0;
  for (int round = 0; round < 20; round++) {
    for (int k = 0; k < round % 4 + 1; k++) Q.append(next++);
    for (int k = 0; k < round % 3 + 1 && !Q.empty(); k++) out.push_back(Q.pop());
    EXPECT_EQ(defect(Q), "");
  }
  while (!Q.empty()) out.push_back(Q.pop());
  ASSERT_EQ(static_cast<int>(out.size()), next);
  for (int k = 0; k < next; k++) EXPECT_EQ(out[static_cast<size_t>(k)], k);
}

TEST_F(SlistTest, PopOnEmptyIsAnError) {
  RecordingErrorHandler handler;
  graphlib::stack<node> S;
  graphlib::queue<node> Q;
  slist<int> L;
  const GraphlibError expected{1, "slist: pop on empty list."};
  EXPECT_EQ(handler.raisedBy([&] { S.pop(); }), expected);
  EXPECT_EQ(handler.raisedBy([&] { Q.pop(); }), expected);
  EXPECT_EQ(handler.raisedBy([&] { L.pop(); }), expected);
}

TEST_F(SlistTest, PopOnEmptyWithAReturningHandlerLeavesTheListAlone) {
  RecordingErrorHandler handler(RecordingErrorHandler::Mode::Return);
  graphlib::stack<int> S;
  S.push(4);
  EXPECT_EQ(S.pop(), 4);
  EXPECT_EQ(S.pop(), 4);  // the holder, unchanged
  EXPECT_EQ(handler.size(), 1u);
  EXPECT_TRUE(S.empty());
  EXPECT_EQ(S.count, 0);
  EXPECT_EQ(defect(S), "");
}

TEST_F(SlistTest, CellsAreSmallObjectsAndClearGivesTheWholeChainBack) {
  long before = liveSlots(sizeof(slink));
  slist<int> L = make({1, 2, 3, 4});
  EXPECT_EQ(liveSlots(sizeof(slink)), before + 4);
  L.pop();
  EXPECT_EQ(liveSlots(sizeof(slink)), before + 3);
  L.clear();
  EXPECT_EQ(liveSlots(sizeof(slink)), before);
  EXPECT_EQ(L.h, nullptr);
  EXPECT_EQ(L.t, nullptr);
  EXPECT_EQ(L.count, 0);
  // The chain went back through its first words: the cells are handed out again.
  L.append(5);
  EXPECT_EQ(liveSlots(sizeof(slink)), before + 1);
}

TEST_F(SlistTest, UntypedListCallsNoHooks) {
  int a = 1, b = 2;
  SLIST L(&a);
  L.append(&b);
  SLIST C(L);
  EXPECT_EQ(C.count, 2);
  EXPECT_EQ(C.h->e, &a);
  EXPECT_EQ(C.t->e, &b);
  EXPECT_EQ(L.pop(), &a);
  EXPECT_EQ(L.pop(), &b);
  EXPECT_EQ(defect(C), "");
}

// Strings share a counted representation: copies raise the count, clearing
// and destruction lower it, and popping hands the element over.
TEST_F(SlistTest, StringElementsAreCopiedAndReleased) {
  graphlib::string a("alpha"), b("beta");
  {
    slist<graphlib::string> L;
    L.append(a);
    L.push(b);
    EXPECT_EQ(a.refs(), 2);
    EXPECT_EQ(b.refs(), 2);
    slist<graphlib::string> C(L);
    EXPECT_EQ(a.refs(), 3);
    slist<graphlib::string> D;
    D.append(graphlib::string("gamma"));
    D = L;
    EXPECT_EQ(a.refs(), 4);
    D = D;
    EXPECT_EQ(a.refs(), 4);
    EXPECT_EQ(std::string(D.head().chars()), "beta");
    EXPECT_EQ(std::string(D.tail().chars()), "alpha");
    EXPECT_EQ(std::string(C.pop().chars()), "beta");
    EXPECT_EQ(b.refs(), 4);  // L, D, and C's holder
    C.clear();
    EXPECT_EQ(a.refs(), 3);
    graphlib::queue<graphlib::string> Q;
    Q.append(a);
    Q.append(b);
    EXPECT_EQ(std::string(Q.pop().chars()), "alpha");
    EXPECT_EQ(std::string(Q.pop().chars()), "beta");
  }
  EXPECT_EQ(a.refs(), 1);
  EXPECT_EQ(b.refs(), 1);
}

TEST_F(SlistTest, CopiesAreIndependent) {
  slist<int> A = make({1, 2, 3});
  slist<int> B(A);
  slist<int> C;
  C = A;
  A.pop();
  A.append(4);
  EXPECT_EQ(values(B), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(values(C), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(values(A), (std::vector<int>{2, 3, 4}));
  EXPECT_EQ(defect(B), "");
  EXPECT_EQ(defect(C), "");
}

TEST_F(SlistTest, BoundedStackHoldsExactlyItsCapacity) {
  const int n = 6;
  EdgeStruct e[n];
  b_stack<edge> S(n);
  EXPECT_TRUE(S.empty());
  for (int k = 0; k < n; k++) S.push(&e[k]);
  EXPECT_EQ(S.top, S.stop);
  for (int k = n - 1; k >= 0; k--) EXPECT_EQ(S.pop(), &e[k]);
  EXPECT_TRUE(S.empty());
  EXPECT_EQ(S.top, S.start);
}

TEST_F(SlistTest, BoundedStackOfNoCapacity) {
  b_stack<edge> S(0);
  EXPECT_NE(S.start, nullptr);
  EXPECT_TRUE(S.empty());
  RecordingErrorHandler handler;
  EdgeStruct e;
  EXPECT_EQ(handler.raisedBy([&] { S.push(&e); }), (GraphlibError{1, "bounded stack: overflow"}));
  EXPECT_TRUE(S.empty());
}

TEST_F(SlistTest, BoundedStackOverflowAndUnderflowAreReported) {
  RecordingErrorHandler handler;
  b_stack<int> S(2);
  S.push(1);
  S.push(2);
  EXPECT_EQ(handler.raisedBy([&] { S.push(3); }), (GraphlibError{1, "bounded stack: overflow"}));
  EXPECT_EQ(S.pop(), 2);
  EXPECT_EQ(S.pop(), 1);
  EXPECT_EQ(handler.raisedBy([&] { S.pop(); }), (GraphlibError{1, "bounded stack: underflow"}));
}

TEST_F(SlistTest, BoundedStackWithAReturningHandlerStaysInBounds) {
  RecordingErrorHandler handler(RecordingErrorHandler::Mode::Return);
  b_stack<int> S(1);
  S.push(1);
  S.push(2);
  EXPECT_EQ(S.top, S.stop);
  EXPECT_EQ(S.pop(), 1);
  EXPECT_EQ(S.pop(), 0);
  EXPECT_EQ(S.top, S.start);
  ASSERT_EQ(handler.size(), 2u);
  EXPECT_EQ(handler.errors()[0].message, "bounded stack: overflow");
  EXPECT_EQ(handler.errors()[1].message, "bounded stack: underflow");
}

TEST_F(SlistTest, BoundedStackWithoutMemory) {
  RecordingErrorHandler handler(RecordingErrorHandler::Mode::Return);
  b_stack<int> S(-1);
  EXPECT_EQ(handler.errors(), (std::vector<GraphlibError>{{99, "bounded stack: out of memory"}}));
  EXPECT_TRUE(S.empty());
  S.push(1);
  EXPECT_EQ(handler.last(), (GraphlibError{1, "bounded stack: overflow"}));
}

}  // namespace
