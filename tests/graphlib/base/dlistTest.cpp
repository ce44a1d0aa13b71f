#include "graphlib/base/dlist.h"

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "AllocatorCheckedTest.h"
#include "AllocatorUsage.h"
#include "ListInvariants.h"
#include "RecordingErrorHandler.h"
#include "graphlib/base/list.h"

namespace {

using graphlib::dlink;
using graphlib::list;
using testing_support::dlistDefect;
using testing_support::GraphlibError;
using testing_support::RecordingErrorHandler;

using IntList = list<int>;

IntList make(std::initializer_list<int> values) {
  IntList L;
  for (int v : values) L.append(v);
  return L;
}

std::vector<int> values(const IntList& L) {
  std::vector<int> out;
  for (dlink* p = L.first(); p; p = p->succ) out.push_back(L.contents(p));
  return out;
}

// Every list test also shows that the cells went back to the allocator.
class DlistTest : public testing_support::AllocatorCheckedTest {};

TEST_F(DlistTest, CellsAreSmallObjectsOfTheirOwnSize) {
  long before = testing_support::liveSlots(sizeof(dlink));
  IntList L = make({1, 2, 3});
  EXPECT_EQ(testing_support::liveSlots(sizeof(dlink)), before + 3);
  L.clear();
  EXPECT_EQ(testing_support::liveSlots(sizeof(dlink)), before);
}

// The cached length: which operations keep it, which make it unknown.
TEST_F(DlistTest, CountBookkeeping) {
  struct Row {
    const char* what;
    std::function<void(IntList&, IntList&)> run;  // on [1,2,3] and [7,8]
    int countA;
    std::vector<int> a;
    int countB;
    std::vector<int> b;
  };
  const std::vector<Row> rows = {
      {"append", [](IntList& A, IntList&) { A.append(4); }, 4, {1, 2, 3, 4}, 2, {7, 8}},
      {"push", [](IntList& A, IntList&) { A.push(0); }, 4, {0, 1, 2, 3}, 2, {7, 8}},
      {"insert after", [](IntList& A, IntList&) { A.insert(9, A.first()); }, 4, {1, 9, 2, 3}, 2, {7, 8}},
      {"insert before", [](IntList& A, IntList&) { A.insert(9, A.first(), 1); }, 4, {9, 1, 2, 3}, 2, {7, 8}},
      {"insert nil before appends", [](IntList& A, IntList&) { A.insert(9, nullptr, 1); }, 4, {1, 2, 3, 9}, 2, {7, 8}},
      {"pop", [](IntList& A, IntList&) { A.pop(); }, 2, {2, 3}, 2, {7, 8}},
      {"pop_back", [](IntList& A, IntList&) { A.pop_back(); }, 2, {1, 2}, 2, {7, 8}},
      {"del middle", [](IntList& A, IntList&) { A.del_item(A.first()->succ); }, 2, {1, 3}, 2, {7, 8}},
      {"conc known", [](IntList& A, IntList& B) { A.conc(B); }, 5, {1, 2, 3, 7, 8}, 0, {}},
      {"conc in front", [](IntList& A, IntList& B) { A.conc(B, 1); }, 5, {7, 8, 1, 2, 3}, 0, {}},
      {"split after the first",
       [](IntList& A, IntList& B) { A.split(A.first(), A, B); }, -1, {1}, -1, {2, 3}},
      {"conc of unknown",
       [](IntList& A, IntList& B) {
         IntList C;
         A.split(A.first(), A, C);
         A.conc(B);
         A.conc(C);
       },
       -1, {1, 7, 8, 2, 3}, 0, {}},
      {"pop after split stays unknown",
       [](IntList& A, IntList& B) {
         A.split(A.last(), A, B, 1);
         A.pop();
       },
       -2, {2}, -1, {3}},
      {"append after split stays unknown",
       [](IntList& A, IntList& B) {
         A.split(nullptr, B, A, 0);
         A.append(4);
       },
       -1, {1, 2, 3, 4}, -1, {}},
      {"empty list at -1 stays -1 when cleared",
       [](IntList& A, IntList& B) {
         A.split(nullptr, A, B);
         A.clear();
       },
       -1, {}, -1, {1, 2, 3}},
      {"clear resets a list with cells", [](IntList& A, IntList& B) { A.split(A.first(), A, B); A.clear(); }, 0, {}, -1, {2, 3}},
      {"splice before a cell",
       [](IntList& A, IntList& B) { A.splice(A.last(), B); }, -1, {1, 2, 7, 8, 3}, 0, {}},
      {"splice at the end", [](IntList& A, IntList& B) { A.splice(nullptr, B); }, 5, {1, 2, 3, 7, 8}, 0, {}},
      {"splice of an empty list",
       [](IntList& A, IntList&) {
         IntList E;
         A.splice(A.first(), E);
       },
       3, {1, 2, 3}, 2, {7, 8}},
      {"swap", [](IntList& A, IntList& B) { A.swap(B); }, 2, {7, 8}, 3, {1, 2, 3}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    IntList A = make({1, 2, 3});
    IntList B = make({7, 8});
    r.run(A, B);
    EXPECT_EQ(A.count, r.countA);
    EXPECT_EQ(values(A), r.a);
    EXPECT_EQ(B.count, r.countB);
    EXPECT_EQ(values(B), r.b);
    EXPECT_EQ(dlistDefect(A), "");
    EXPECT_EQ(dlistDefect(B), "");
    EXPECT_EQ(A.length(), static_cast<int>(r.a.size()));
    EXPECT_EQ(A.count, static_cast<int>(r.a.size()));
  }
}

TEST_F(DlistTest, SplitDirections) {
  struct Row {
    int at;  // index of the split item, -1 for nil
    int dir;
    std::vector<int> first, second;
  };
  const Row rows[] = {{0, 0, {1}, {2, 3, 4}},   {0, 1, {}, {1, 2, 3, 4}}, {3, 0, {1, 2, 3, 4}, {}},
                      {3, 1, {1, 2, 3}, {4}},   {1, 0, {1, 2}, {3, 4}},   {-1, 0, {}, {1, 2, 3, 4}}};
  for (const Row& r : rows) {
    IntList L = make({1, 2, 3, 4});
    IntList A = make({99});
    IntList B;
    dlink* it = r.at < 0 ? nullptr : L.get_item(r.at);
    L.split(it, A, B, r.dir);
    EXPECT_EQ(values(A), r.first) << r.at << "/" << r.dir;
    EXPECT_EQ(values(B), r.second) << r.at << "/" << r.dir;
    EXPECT_TRUE(L.empty());
    EXPECT_EQ(dlistDefect(A), "");
    EXPECT_EQ(dlistDefect(B), "");
  }
}

TEST_F(DlistTest, Errors) {
  RecordingErrorHandler errors(RecordingErrorHandler::Mode::Return);
  IntList L = make({1, 2});
  IntList E;
  struct Row {
    const char* what;
    std::function<void()> run;
    GraphlibError expected;
  };
  const std::vector<Row> rows = {
      {"get_item(length)", [&] { EXPECT_EQ(L.get_item(2), nullptr); }, {1, "dlist::get_item: index out of range"}},
      {"get_item(-1)", [&] { EXPECT_EQ(L.get_item(-1), nullptr); }, {1, "dlist::get_item: index out of range"}},
      {"insert dir 2", [&] { EXPECT_EQ(L.insert(5, L.first(), 2), nullptr); }, {1, "dlist::insert: illegal dir argument."}},
      {"del nil", [&] { L.del_item(nullptr); }, {999, "dlist: delete nil-item"}},
      {"pop empty", [&] { E.pop(); }, {1, "dlist::pop on empty list."}},
      {"pop_back empty", [&] { E.pop_back(); }, {1, "dlist::pop_back on empty list."}},
      {"split empty, even with equal lists", [&] { E.split(nullptr, L, L, 5); }, {1, "dlist::split: list is empty."}},
      {"split identical", [&] { L.split(nullptr, E, E, 5); }, {1, "dlist::split: identical arguments."}},
      {"split dir", [&] { L.split(nullptr, E, L, 5); }, {1, "dlist::split: illegal dir argument."}},
      {"conc dir", [&] { L.conc(E, 3); }, {1, "dlist::conc: illegal dir argument."}},
      {"splice into itself", [&] { L.splice(nullptr, L); }, {1, "list::splice: cannot splice list into itself"}},
      {"move_to_front nil", [&] { L.move_to_front(nullptr); }, {1, "dlist::move_to_front: nil argument"}},
      {"move_to_back nil", [&] { L.move_to_back(nullptr); }, {1, "dlist::move_to_back: nil argument"}},
  };
  for (const Row& r : rows) {
    errors.clear();
    r.run();
    ASSERT_EQ(errors.size(), 1u) << r.what;
    EXPECT_EQ(errors.last(), r.expected) << r.what;
  }
  EXPECT_EQ(values(L), (std::vector<int>{1, 2}));
  EXPECT_EQ(dlistDefect(L), "");
  EXPECT_TRUE(E.empty());
}

TEST_F(DlistTest, ItemWalks) {
  IntList L = make({10, 20, 30, 40});
  EXPECT_EQ(L.get_item(0), L.first());
  EXPECT_EQ(L.contents(L.get_item(3)), 40);
  dlink* second = L.get_item(1);
  EXPECT_EQ(L.succ(second, 0), second);
  EXPECT_EQ(L.contents(L.succ(second, 2)), 40);
  EXPECT_EQ(L.succ(second, 3), nullptr);
  EXPECT_EQ(L.succ(second, -1), nullptr);
  EXPECT_EQ(L.contents(L.pred(second, 1)), 10);
  EXPECT_EQ(L.pred(second, 2), nullptr);
  EXPECT_EQ(L.succ(nullptr, 0), nullptr);
  IntList one = make({5});
  EXPECT_EQ(one.get_item(0), one.first());
}

TEST_F(DlistTest, SpliceForms) {
  {
    // The range form moves [it1, it2) of another list before pos.
    IntList A = make({1, 2, 3});
    IntList B = make({7, 8, 9, 10});
    A.splice(A.last(), B, B.get_item(1), B.get_item(3));
    EXPECT_EQ(values(A), (std::vector<int>{1, 2, 8, 9, 3}));
    EXPECT_EQ(values(B), (std::vector<int>{7, 10}));
    EXPECT_EQ(dlistDefect(A), "");
    EXPECT_EQ(dlistDefect(B), "");
  }
  {
    // Nil ends: from the first cell, up to the end.
    IntList A = make({1});
    IntList B = make({7, 8});
    A.splice(A.first(), B, nullptr, nullptr);
    EXPECT_EQ(values(A), (std::vector<int>{7, 8, 1}));
    EXPECT_TRUE(B.empty());
  }
  {
    IntList A = make({1, 2, 3});
    IntList B = make({7, 8});
    dlink* seven = B.first();
    A.splice(A.first(), B, seven);
    EXPECT_EQ(values(A), (std::vector<int>{7, 1, 2, 3}));
    EXPECT_EQ(values(B), (std::vector<int>{8}));
    EXPECT_EQ(A.first(), seven);  // the cell itself moved
  }
  {
    // Within one list, pos equal to it or to its successor changes nothing.
    IntList A = make({1, 2, 3});
    dlink* two = A.get_item(1);
    A.splice(two, A, two);
    A.splice(two->succ, A, two);
    A.splice(two, A, nullptr);
    EXPECT_EQ(values(A), (std::vector<int>{1, 2, 3}));
    A.splice(A.first(), A, A.last());
    EXPECT_EQ(values(A), (std::vector<int>{3, 1, 2}));
    EXPECT_EQ(dlistDefect(A), "");
  }
}

TEST_F(DlistTest, MoveToFrontAndBack) {
  IntList L = make({1, 2, 3, 4});
  L.move_to_front(L.get_item(2));
  EXPECT_EQ(values(L), (std::vector<int>{3, 1, 2, 4}));
  L.move_to_front(L.last());
  EXPECT_EQ(values(L), (std::vector<int>{4, 3, 1, 2}));
  L.move_to_back(L.first());
  EXPECT_EQ(values(L), (std::vector<int>{3, 1, 2, 4}));
  L.move_to_back(L.get_item(1));
  EXPECT_EQ(values(L), (std::vector<int>{3, 2, 4, 1}));
  L.move_to_back(L.last());
  L.move_to_front(L.first());
  EXPECT_EQ(values(L), (std::vector<int>{3, 2, 4, 1}));
  EXPECT_EQ(dlistDefect(L), "");
}

int byValue(const int& a, const int& b) { return a < b ? -1 : (a > b ? 1 : 0); }
int byTens(const int& a, const int& b) { return byValue(a / 10, b / 10); }

TEST_F(DlistTest, SearchRankMaxMin) {
  IntList L = make({15, 31, 12, 38, 30});
  L.cmp_ptr = byTens;
  EXPECT_EQ(L.max(), L.get_item(1));  // 31 and 38 tie: the first
  EXPECT_EQ(L.min(), L.get_item(0));  // 15 and 12 tie
  EXPECT_EQ(L.search(33), L.get_item(1));
  EXPECT_EQ(L.rank(33), 2);
  EXPECT_EQ(L.rank(99), 0);
  EXPECT_EQ(L.search(99), nullptr);
  IntList E;
  E.cmp_ptr = byValue;
  EXPECT_EQ(E.max(), nullptr);
  EXPECT_EQ(E.min(), nullptr);
}

TEST_F(DlistTest, PlusCopiesBothOperands) {
  IntList A = make({1, 2});
  IntList B = make({3});
  IntList C = A + B;
  EXPECT_EQ(values(C), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(C.count, 3);
  EXPECT_EQ(values(A), (std::vector<int>{1, 2}));
  EXPECT_EQ(values(B), (std::vector<int>{3}));
  EXPECT_EQ(dlistDefect(C), "");
}

TEST_F(DlistTest, CopyAndAssignment) {
  IntList A = make({1, 2, 3});
  IntList B;
  A.split(A.first(), A, B);  // both counts unknown now
  IntList copy(B);
  EXPECT_EQ(copy.count, 2);
  EXPECT_EQ(values(copy), (std::vector<int>{2, 3}));
  IntList assigned = make({9});
  assigned = B;
  EXPECT_EQ(assigned.count, 2);
  EXPECT_EQ(values(assigned), (std::vector<int>{2, 3}));
  assigned = assigned;
  EXPECT_EQ(values(assigned), (std::vector<int>{2, 3}));
  copy.append(4);
  EXPECT_EQ(values(B), (std::vector<int>{2, 3}));
}

TEST_F(DlistTest, PrintWritesEverythingToItsStream) {
  IntList L = make({1, 2, 3});
  std::ostringstream os;
  std::ostringstream console;
  std::streambuf* old = std::cout.rdbuf(console.rdbuf());
  L.print(os, "L:", ' ');
  std::cout.rdbuf(old);
  EXPECT_EQ(os.str(), "L: 1 2 3");
  EXPECT_EQ(console.str(), "");
  std::ostringstream plain;
  L.print(plain, ',');
  EXPECT_EQ(plain.str(), "1,2,3");
}

TEST_F(DlistTest, ReadStopsAtItsDelimiterOrAtTheEnd) {
  struct Row {
    std::string input;
    int delim;
    std::vector<int> expected;
    std::string rest;
  };
  const Row rows[] = {{"1 2 3\n4 5\n", '\n', {1, 2, 3}, "4 5\n"},
                      {"1 2 3\n4 5\n", -1, {1, 2, 3, 4, 5}, ""},
                      {"  7;8", ';', {7}, "8"},
                      {"5 x 6", -1, {5}, "x 6"},
                      {"", '\n', {}, ""}};
  for (const Row& r : rows) {
    std::istringstream in(r.input);
    IntList L = make({42});
    std::ostringstream console;
    std::streambuf* old = std::cout.rdbuf(console.rdbuf());
    L.read(in, "numbers? ", r.delim);
    std::cout.rdbuf(old);
    EXPECT_EQ(console.str(), "numbers? ");
    EXPECT_EQ(values(L), r.expected) << r.input;
    in.clear();
    std::string rest((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(rest, r.rest) << r.input;
  }
}

TEST_F(DlistTest, UntypedListCannotReadElements) {
  graphlib::dlist L;
  std::istringstream in("1 2 3");
  std::ostringstream console;
  std::streambuf* old = std::cout.rdbuf(console.rdbuf());
  L.read(in, "", -1);  // must end, not loop
  std::cout.rdbuf(old);
  EXPECT_TRUE(L.empty());
}

}  // namespace
