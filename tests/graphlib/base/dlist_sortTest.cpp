#include "graphlib/base/dlist.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "AllocatorCheckedTest.h"
#include "ListInvariants.h"
#include "RecordingErrorHandler.h"
#include "graphlib/base/list.h"
#include "graphlib/base/random_source.h"
#include "graphlib/base/string.h"

namespace {

using graphlib::dlink;
using graphlib::dlist;
using graphlib::list;
using testing_support::dlistDefect;
using testing_support::GraphlibError;
using testing_support::RecordingErrorHandler;

typedef list<int> IntList;

int compare_ints(const int& a, const int& b) { return a < b ? -1 : (a > b ? 1 : 0); }
int identity(const int& x) { return x; }

IntList make(const std::vector<int>& xs) {
  IntList L;
  for (int x : xs) L.append(x);
  L.cmp_ptr = compare_ints;
  return L;
}

std::vector<int> values(const IntList& L) {
  std::vector<int> out;
  for (dlink* p = L.first(); p; p = p->succ) out.push_back(L.contents(p));
  return out;
}

std::vector<dlink*> cells(const dlist& L) {
  std::vector<dlink*> out;
  for (dlink* p = L.first(); p; p = p->succ) out.push_back(p);
  return out;
}

// What each cell holds: a sort that moves cells leaves this unchanged.
std::map<dlink*, int> cellContents(const IntList& L) {
  std::map<dlink*, int> out;
  for (dlink* p = L.first(); p; p = p->succ) out[p] = L.contents(p);
  return out;
}

enum class Shape { Random, FewValues, AllEqual, Sorted, Reversed, Runs };
const Shape all_shapes[] = {Shape::Random, Shape::FewValues, Shape::AllEqual,
                            Shape::Sorted, Shape::Reversed,  Shape::Runs};

std::vector<int> makeInts(Shape shape, int n, std::mt19937& rng) {
  std::vector<int> v;
  for (int k = 0; k < n; k++) {
    switch (shape) {
      case Shape::Random: v.push_back(static_cast<int>(rng())); break;
      case Shape::FewValues: v.push_back(static_cast<int>(rng() % 5)); break;
      case Shape::AllEqual: v.push_back(7); break;
      case Shape::Sorted: v.push_back(k); break;
      case Shape::Reversed: v.push_back(-k); break;
      case Shape::Runs: v.push_back(k % 13 + static_cast<int>(rng() % 3)); break;
    }
  }
  return v;
}

// Every test also shows that cells, string records and scratch vectors went
// back to the allocator.
class DlistSortTest : public testing_support::AllocatorCheckedTest {
 protected:
  DlistSortTest() : m_vectors(graphlib::std_memory_mgr.block_count[0]) {}
  void TearDown() override {
    AllocatorCheckedTest::TearDown();
    EXPECT_EQ(graphlib::std_memory_mgr.block_count[0], m_vectors);
  }

 private:
  long m_vectors;
};

// Runs one sort over every shape and size and checks it against the standard
// library: the result ascending, the cells the same and each still holding its
// element, the links sound, the length kept.
// Narrow keys stay within a range that a bucket sort can afford.
void checkSort(const std::function<void(IntList&)>& sort, bool typed, bool narrow = false) {
  std::mt19937 rng(2024);
  for (Shape shape : all_shapes) {
    for (int n : {0, 1, 2, 3, 4, 7, 100, 10000}) {
      std::vector<int> input = makeInts(shape, n, rng);
      if (narrow)
        for (int& x : input) x %= 50000;
      IntList L = make(input);
      L.typed_paths = typed;
      std::map<dlink*, int> before = cellContents(L);
      sort(L);
      std::vector<int> expected = input;
      std::sort(expected.begin(), expected.end());
      SCOPED_TRACE("shape " + std::to_string(static_cast<int>(shape)) + " n " + std::to_string(n));
      EXPECT_EQ(values(L), expected);
      EXPECT_EQ(cellContents(L), before);
      EXPECT_EQ(dlistDefect(L), "");
      EXPECT_EQ(L.length(), n);
    }
  }
}

TEST_F(DlistSortTest, QuickSortAgreesWithStdSort) {
  checkSort([](IntList& L) { L.quick_sort(); }, false);
}

TEST_F(DlistSortTest, QuickSortOnTheIntPath) {
  checkSort(
      [](IntList& L) {
        L.cmp_ptr = nullptr;  // the int path compares the slots itself
        L.quick_sort();
      },
      true);
}

TEST_F(DlistSortTest, MergeSortAgreesWithStdSort) {
  checkSort([](IntList& L) { L.merge_sort(); }, false);
}

TEST_F(DlistSortTest, MergeSortOnTheIntPath) {
  checkSort(
      [](IntList& L) {
        L.cmp_ptr = nullptr;
        L.merge_sort();
      },
      true);
}

TEST_F(DlistSortTest, BucketSortAgreesWithStdSort) {
  checkSort([](IntList& L) { L.bucket_sort(identity); }, false, true);
}

int compares = 0;
int counting_compare(const int& a, const int& b) {
  compares++;
  return compare_ints(a, b);
}

TEST_F(DlistSortTest, QuickSortOfThreeNeedsAtMostThreeComparisons) {
  std::vector<int> p = {1, 2, 3};
  do {
    IntList L = make(p);
    compares = 0;
    L.sort(counting_compare);
    EXPECT_LE(compares, 3);
    EXPECT_EQ(values(L), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(L.cmp_ptr, nullptr);
  } while (std::next_permutation(p.begin(), p.end()));
  IntList two = make({2, 1});
  compares = 0;
  two.sort(counting_compare);
  EXPECT_EQ(compares, 1);
  EXPECT_EQ(values(two), (std::vector<int>{1, 2}));
}

int refusing_compare(const int& a, const int& b) {
  if (++compares > 50) graphlib::std_error_handler(1, "compare refused");
  return compare_ints(a, b);
}

// A compare that throws (through the exception error handler) in the middle of
// a quick sort: the sort's scratch arrays still go back (the fixture checks
// the allocator's vector count) and the list keeps its cells and links.
TEST_F(DlistSortTest, QuickSortReleasesItsScratchWhenTheCompareThrows) {
  const testing_support::ScopedErrorHandler throwing(graphlib::exception_error_handler);
  std::mt19937 rng(5);
  const std::vector<int> input = makeInts(Shape::Random, 200, rng);
  IntList L = make(input);
  L.typed_paths = false;
  const std::map<dlink*, int> before = cellContents(L);
  compares = 0;
  bool thrown = false;
  try {
    L.sort(refusing_compare);
  } catch (const graphlib::graphlib_exception& e) {
    thrown = std::string(e.message) == "compare refused";
  }
  EXPECT_TRUE(thrown);
  EXPECT_EQ(cellContents(L), before);
  EXPECT_EQ(values(L), input);
  EXPECT_EQ(dlistDefect(L), "");
}

TEST_F(DlistSortTest, QuickSortOfStringsAndPointers) {
  list<graphlib::string> S;
  for (const char* s : {"pear", "apple", "fig", "apple"}) S.append(graphlib::string(s));
  S.sort([](const graphlib::string& a, const graphlib::string& b) { return graphlib::string::cmp(a.chars(), b.chars()); });
  std::vector<std::string> got;
  for (dlink* p = S.first(); p; p = p->succ) got.push_back(S.contents(p).chars());
  EXPECT_EQ(got, (std::vector<std::string>{"apple", "apple", "fig", "pear"}));

  int xs[4] = {0, 0, 0, 0};
  list<int*> P;
  for (int k : {2, 0, 3, 1}) P.append(&xs[k]);
  P.sort([](int* const& a, int* const& b) { return a < b ? -1 : (a > b ? 1 : 0); });
  std::vector<int*> order;
  for (dlink* p = P.first(); p; p = p->succ) order.push_back(P.contents(p));
  EXPECT_EQ(order, (std::vector<int*>{&xs[0], &xs[1], &xs[2], &xs[3]}));
}

// The handlers here return, so that the sorts run to their end and give their
// scratch memory back.
TEST_F(DlistSortTest, SortingWithoutACompareFunctionIsReported) {
  RecordingErrorHandler handler(RecordingErrorHandler::Mode::Return);
  IntList L = make({2, 1});
  L.cmp_ptr = nullptr;
  L.quick_sort();
  ASSERT_FALSE(handler.empty());
  EXPECT_EQ(handler.last(), (GraphlibError{1, "graphlib_cmp_base: compare undefined"}));
  EXPECT_EQ(dlistDefect(L), "");
}

TEST_F(DlistSortTest, MergeSortOfThreeRuns) {
  IntList L = make({3, 1, 2});
  compares = 0;
  L.merge_sort(counting_compare);
  EXPECT_EQ(values(L), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(dlistDefect(L), "");
}

TEST_F(DlistSortTest, MergeSortAfterSplitRecountsTheLength) {
  IntList L = make({5, 4, 3, 2, 1});
  IntList R;
  R.cmp_ptr = compare_ints;
  L.split(L.first()->succ->succ, L, R);
  ASSERT_EQ(L.count, -1);
  ASSERT_EQ(R.count, -1);
  L.merge_sort();
  R.merge_sort();
  EXPECT_EQ(values(L), (std::vector<int>{3, 4, 5}));
  EXPECT_EQ(values(R), (std::vector<int>{1, 2}));
  EXPECT_EQ(L.count, 3);
  EXPECT_EQ(R.count, 2);
}

TEST_F(DlistSortTest, MergeSortOfASortedListIsOneScan) {
  IntList L = make({1, 2, 2, 3, 8, 9});
  std::vector<dlink*> before = cells(L);
  compares = 0;
  L.merge_sort(counting_compare);
  EXPECT_EQ(compares, 5);
  EXPECT_EQ(cells(L), before);
}

// Elements tagged with their origin, to follow equal keys through a merge.
struct Tagged {
  int key;
  char tag;
};
int compare_tagged(Tagged* const& a, Tagged* const& b) { return compare_ints(a->key, b->key); }

std::string tags(const list<Tagged*>& L) {
  std::string out;
  for (dlink* p = L.first(); p; p = p->succ) out += std::to_string(L.contents(p)->key) + L.contents(p)->tag;
  return out;
}

TEST_F(DlistSortTest, MergeTable) {
  struct Row {
    std::vector<int> a, b;
    bool unknownA, unknownB;
    std::vector<int> result;
    int count;
  };
  const std::vector<Row> rows = {
      {{}, {1, 3}, false, false, {1, 3}, 2},
      {{1, 3}, {}, false, false, {1, 3}, 2},
      {{}, {}, false, false, {}, 0},
      {{2, 4}, {1, 3, 5}, false, false, {1, 2, 3, 4, 5}, 5},
      {{1, 2}, {7, 8, 9}, false, false, {1, 2, 7, 8, 9}, 5},
      {{7, 8, 9}, {1, 2}, false, false, {1, 2, 7, 8, 9}, 5},
      {{1, 5, 9}, {2, 3}, true, false, {1, 2, 3, 5, 9}, -1},
      {{1, 5, 9}, {2, 3}, false, true, {1, 2, 3, 5, 9}, -1},
      {{1, 5}, {}, false, true, {1, 5}, -1},
  };
  for (const Row& r : rows) {
    IntList A = make(r.a), B = make(r.b);
    std::vector<dlink*> all = cells(A);
    for (dlink* c : cells(B)) all.push_back(c);
    if (r.unknownA) A.count = -1;
    if (r.unknownB) B.count = -1;
    A.merge(B);
    EXPECT_EQ(values(A), r.result);
    EXPECT_EQ(A.count, r.count);
    EXPECT_EQ(dlistDefect(A), "");
    EXPECT_EQ(B.first(), nullptr);
    EXPECT_EQ(B.last(), nullptr);
    EXPECT_EQ(B.count, 0);
    std::vector<dlink*> now = cells(A);
    std::sort(all.begin(), all.end());
    std::sort(now.begin(), now.end());
    EXPECT_EQ(now, all);
  }
}

TEST_F(DlistSortTest, MergeOfEqualKeysTakesTheWalkedListFirst) {
  Tagged a1{1, 'a'}, a2{2, 'a'}, b1{1, 'b'}, b2{2, 'b'}, b3{3, 'b'};
  list<Tagged*> A, B;
  A.cmp_ptr = B.cmp_ptr = compare_tagged;
  A.append(&a1);
  A.append(&a2);
  B.append(&b1);
  B.append(&b2);
  B.append(&b3);
  A.merge(B);
  // A is walked first (its head is not greater); at 2 the walk is in B.
  EXPECT_EQ(tags(A), "1a1b2b2a3b");
}

TEST_F(DlistSortTest, MergeAgreesWithStdMerge) {
  std::mt19937 rng(8);
  for (int round = 0; round < 50; round++) {
    std::vector<int> a = makeInts(Shape::FewValues, static_cast<int>(rng() % 30), rng);
    std::vector<int> b = makeInts(Shape::FewValues, static_cast<int>(rng() % 30), rng);
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    std::vector<int> expected;
    std::merge(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(expected));
    IntList A = make(a), B = make(b);
    A.typed_paths = round % 2 == 1;
    A.merge(B);
    EXPECT_EQ(values(A), expected);
    EXPECT_EQ(A.count, static_cast<int>(expected.size()));
    EXPECT_EQ(dlistDefect(A), "");
  }
}

TEST_F(DlistSortTest, UniqueTable) {
  struct Row {
    std::vector<int> input, result;
  };
  const std::vector<Row> rows = {
      {{1, 1, 2, 1}, {1, 2, 1}}, {{}, {}}, {{5}, {5}}, {{2, 2, 2}, {2}},
      {{1, 2, 3}, {1, 2, 3}},    {{1, 1, 2, 2, 1, 1}, {1, 2, 1}},
  };
  for (bool typed : {false, true}) {
    for (const Row& r : rows) {
      IntList L = make(r.input);
      L.typed_paths = typed;
      L.unique();
      EXPECT_EQ(values(L), r.result);
      EXPECT_EQ(L.count, static_cast<int>(r.result.size()));
      EXPECT_EQ(dlistDefect(L), "");
    }
  }
}

TEST_F(DlistSortTest, UniqueKeepsAnUnknownCountUnknownAndReleasesElements) {
  IntList L = make({1, 1, 2});
  L.count = -1;
  L.unique();
  EXPECT_LT(L.count, 0);
  EXPECT_EQ(L.length(), 2);

  graphlib::string a("a"), b("b");
  list<graphlib::string> S;
  S.cmp_ptr = [](const graphlib::string& x, const graphlib::string& y) {
    return graphlib::string::cmp(x.chars(), y.chars());
  };
  S.append(a);
  S.append(a);
  S.append(b);
  S.append(b);
  EXPECT_EQ(a.refs(), 3);
  S.unique();
  EXPECT_EQ(a.refs(), 2);
  EXPECT_EQ(b.refs(), 2);
  EXPECT_EQ(S.length(), 2);
}

// Elements with a key and a serial number, to check stability.
struct Keyed {
  int key;
  int serial;
};
int key_of(Keyed* const& x) { return x->key; }

TEST_F(DlistSortTest, BucketSortIsStable) {
  Keyed e[4] = {{2, 0}, {0, 1}, {2, 2}, {1, 3}};
  list<Keyed*> L;
  for (Keyed& x : e) L.append(&x);
  L.bucket_sort(0, 2, key_of);
  std::vector<Keyed*> got;
  for (dlink* p = L.first(); p; p = p->succ) got.push_back(L.contents(p));
  EXPECT_EQ(got, (std::vector<Keyed*>{&e[1], &e[3], &e[0], &e[2]}));
  EXPECT_EQ(dlistDefect(L), "");
  EXPECT_NE(L.ord_ptr, nullptr);
}

TEST_F(DlistSortTest, BucketSortAgreesWithStableSort) {
  std::mt19937 rng(99);
  for (int n : {0, 1, 2, 50, 5000}) {
    std::vector<Keyed> items;
    for (int k = 0; k < n; k++) items.push_back({static_cast<int>(rng() % 40) - 20, k});
    list<Keyed*> L;
    for (Keyed& x : items) L.append(&x);
    if (n % 2 == 0)
      L.bucket_sort(-20, 19, key_of);
    else
      L.bucket_sort(key_of);
    std::vector<Keyed> expected = items;
    std::stable_sort(expected.begin(), expected.end(), [](const Keyed& a, const Keyed& b) { return a.key < b.key; });
    std::vector<int> got, want;
    for (dlink* p = L.first(); p; p = p->succ) got.push_back(L.contents(p)->serial);
    for (const Keyed& x : expected) want.push_back(x.serial);
    EXPECT_EQ(got, want) << "n " << n;
    EXPECT_EQ(dlistDefect(L), "");
  }
}

TEST_F(DlistSortTest, BucketSortOfOneElement) {
  IntList L = make({-7});
  dlink* c = L.first();
  L.bucket_sort(identity);
  EXPECT_EQ(L.first(), c);
  EXPECT_EQ(L.last(), c);
  EXPECT_EQ(dlistDefect(L), "");
}

TEST_F(DlistSortTest, BucketSortKeyOutOfRange) {
  RecordingErrorHandler handler(RecordingErrorHandler::Mode::Return);
  IntList L = make({1, 3, 0});
  L.bucket_sort(0, 2, identity);
  EXPECT_EQ(handler.errors(), (std::vector<GraphlibError>{{4, "bucket_sort: value 3 out of range"}}));
  handler.clear();
  IntList R = make({1});
  R.bucket_sort(2, 1, identity);
  EXPECT_EQ(handler.errors(), (std::vector<GraphlibError>{{4, "bucket_sort: value 1 out of range"}}));
  EXPECT_EQ(values(R), std::vector<int>{1});
}

TEST_F(DlistSortTest, BucketSortKeyOutOfRangeWithAReturningHandlerLosesNoCell) {
  RecordingErrorHandler handler(RecordingErrorHandler::Mode::Return);
  IntList L = make({2, 1, -5, 0, 1});
  std::map<dlink*, int> before = cellContents(L);
  L.bucket_sort(0, 2, identity);
  EXPECT_EQ(handler.errors(), (std::vector<GraphlibError>{{4, "bucket_sort: value -5 out of range"}}));
  EXPECT_EQ(dlistDefect(L), "");
  EXPECT_EQ(cellContents(L), before);
  EXPECT_EQ(values(L), (std::vector<int>{1, 2, -5, 0, 1}));
}

TEST_F(DlistSortTest, BucketSortOverTheWholeIntRangeIsRefused) {
  RecordingErrorHandler handler(RecordingErrorHandler::Mode::Return);
  IntList L = make({INT_MAX, 0, INT_MIN});
  L.bucket_sort(INT_MIN, INT_MAX, identity);
  EXPECT_EQ(handler.errors(),
            (std::vector<GraphlibError>{{1, "list::bucketsort: cannot allocate 4294967296 buckets (out of memory)"}}));
  EXPECT_EQ(values(L), (std::vector<int>{INT_MAX, 0, INT_MIN}));
  handler.clear();
  L.bucket_sort(identity);
  EXPECT_EQ(handler.size(), 1u);
  EXPECT_EQ(dlistDefect(L), "");
}

TEST_F(DlistSortTest, PermuteGivesEveryOrderAlike) {
  graphlib::rand_int.set_seed(12345);
  std::map<std::vector<int>, int> seen;
  const int rounds = 6000;
  for (int k = 0; k < rounds; k++) {
    IntList L = make({1, 2, 3});
    std::map<dlink*, int> before = cellContents(L);
    L.permute();
    ASSERT_EQ(cellContents(L), before);
    ASSERT_EQ(dlistDefect(L), "");
    seen[values(L)]++;
  }
  ASSERT_EQ(seen.size(), 6u);
  for (const auto& s : seen) {
    EXPECT_GT(s.second, 850);
    EXPECT_LT(s.second, 1150);
  }
}

TEST_F(DlistSortTest, PermuteOfShortListsDrawsNothing) {
  graphlib::random_source copy(graphlib::rand_int);
  IntList E;
  E.permute();
  EXPECT_EQ(E.first(), nullptr);
  EXPECT_EQ(E.last(), nullptr);
  IntList L = make({4});
  dlink* c = L.first();
  L.permute();
  EXPECT_EQ(L.first(), c);
  EXPECT_EQ(L.last(), c);
  EXPECT_EQ(graphlib::rand_int(), copy());
}

TEST_F(DlistSortTest, PermuteByAnArrayOfCells) {
  IntList L = make({10, 20, 30, 40});
  std::vector<dlink*> c = cells(L);
  dlink* order[4] = {c[2], c[0], c[3], c[1]};
  L.permute(order);
  EXPECT_EQ(values(L), (std::vector<int>{30, 10, 40, 20}));
  EXPECT_EQ(dlistDefect(L), "");
  EXPECT_EQ(L.count, 4);
}

// The reversals on [a, b, c, d] as cells 0..3.
TEST_F(DlistSortTest, ReversalTable) {
  struct Row {
    const char* what;
    std::function<void(IntList&, const std::vector<dlink*>&)> run;
    std::vector<int> result;
    std::vector<int> cellOrder;  // the original cells, in their new order
  };
  const std::vector<Row> rows = {
      {"reverse_items(h, t)", [](IntList& L, const std::vector<dlink*>& c) { L.reverse_items(c[0], c[3]); },
       {1, 3, 2, 4}, {0, 2, 1, 3}},
      {"reverse_items(h, nil)", [](IntList& L, const std::vector<dlink*>&) { L.reverse_items(L.first(), nullptr); },
       {1, 3, 2, 4}, {0, 2, 1, 3}},
      {"reverse_items of neighbours", [](IntList& L, const std::vector<dlink*>& c) { L.reverse_items(c[1], c[2]); },
       {1, 2, 3, 4}, {0, 1, 2, 3}},
      {"reverse_items(it, it)", [](IntList& L, const std::vector<dlink*>& c) { L.reverse_items(c[1], c[1]); },
       {1, 2, 3, 4}, {0, 1, 2, 3}},
      {"reverse(h, t)", [](IntList& L, const std::vector<dlink*>& c) { L.reverse(c[0], c[3]); },
       {4, 3, 2, 1}, {0, 1, 2, 3}},
      {"reverse()", [](IntList& L, const std::vector<dlink*>&) { L.reverse(); }, {4, 3, 2, 1}, {0, 1, 2, 3}},
      {"reverse of the middle", [](IntList& L, const std::vector<dlink*>& c) { L.reverse(c[1], c[2]); },
       {1, 3, 2, 4}, {0, 1, 2, 3}},
      {"reverse of three", [](IntList& L, const std::vector<dlink*>& c) { L.reverse(c[0], c[2]); },
       {3, 2, 1, 4}, {0, 1, 2, 3}},
      {"reverse(it, it)", [](IntList& L, const std::vector<dlink*>& c) { L.reverse(c[2], c[2]); },
       {1, 2, 3, 4}, {0, 1, 2, 3}},
      {"reverse(it2 just before it1)", [](IntList& L, const std::vector<dlink*>& c) { L.reverse(c[2], c[1]); },
       {1, 2, 3, 4}, {0, 1, 2, 3}},
      {"reverse_items()", [](IntList& L, const std::vector<dlink*>&) { L.reverse_items(); },
       {4, 3, 2, 1}, {3, 2, 1, 0}},
  };
  for (const Row& r : rows) {
    IntList L = make({1, 2, 3, 4});
    std::vector<dlink*> c = cells(L);
    r.run(L, c);
    EXPECT_EQ(values(L), r.result) << r.what;
    std::vector<dlink*> order;
    for (int k : r.cellOrder) order.push_back(c[static_cast<size_t>(k)]);
    EXPECT_EQ(cells(L), order) << r.what;
    EXPECT_EQ(dlistDefect(L), "") << r.what;
    EXPECT_EQ(L.count, 4) << r.what;
  }
}

TEST_F(DlistSortTest, ReverseItemsBetweenLongerRangesAndUnknownCounts) {
  IntList L = make({1, 2, 3, 4, 5, 6, 7});
  std::vector<dlink*> c = cells(L);
  L.count = -1;
  L.reverse_items(c[1], c[5]);
  EXPECT_EQ(values(L), (std::vector<int>{1, 2, 5, 4, 3, 6, 7}));
  EXPECT_EQ(L.count, 7);
  EXPECT_EQ(dlistDefect(L), "");
  L.reverse_items(c[0], nullptr);
  EXPECT_EQ(values(L), (std::vector<int>{1, 6, 3, 4, 5, 2, 7}));
  EXPECT_EQ(dlistDefect(L), "");
}

TEST_F(DlistSortTest, ReversalErrors) {
  RecordingErrorHandler handler;
  IntList L = make({1, 2, 3, 4});
  std::vector<dlink*> c = cells(L);
  IntList E;
  EXPECT_EQ(handler.raisedBy([&] { L.reverse_items(c[3], c[1]); }),
            (GraphlibError{1, "dlist::reverse_items(it1,it2): it1 not before it2"}));
  EXPECT_EQ(handler.raisedBy([&] { E.reverse_items(nullptr, nullptr); }),
            (GraphlibError{1, "dlist::reverse_items:  empty list."}));
  EXPECT_EQ(handler.raisedBy([&] { L.reverse_items(nullptr, c[2]); }),
            (GraphlibError{1, "dlist::reverse_items: illegal arguments."}));
  EXPECT_EQ(handler.raisedBy([&] { L.reverse(c[1], nullptr); }),
            (GraphlibError{1, "list::reverse(it1,it2): illegal arguments."}));
  EXPECT_EQ(dlistDefect(L), "");
}

TEST_F(DlistSortTest, ReverseOfACrossedRangeStopsWithAnError) {
  RecordingErrorHandler handler(RecordingErrorHandler::Mode::Return);
  IntList L = make({1, 2, 3, 4});
  std::vector<dlink*> c = cells(L);
  L.reverse(c[2], c[0]);
  EXPECT_EQ(handler.errors(), (std::vector<GraphlibError>{{1, "list::reverse(it1,it2): illegal arguments."}}));
  EXPECT_EQ(dlistDefect(L), "");
}

TEST_F(DlistSortTest, InsertionSortIsStable) {
  std::mt19937 rng(17);
  for (int n : {1, 2, 3, 10, 200}) {
    std::vector<Keyed> items;
    for (int k = 0; k < n; k++) items.push_back({static_cast<int>(rng() % 6), k});
    list<Keyed*> L;
    L.cmp_ptr = [](Keyed* const& a, Keyed* const& b) { return compare_ints(a->key, b->key); };
    for (Keyed& x : items) L.append(&x);
    std::vector<dlink*> a = cells(L);
    // The least key is put first by the call itself, searched over the whole range.
    L.gen_insertion_sort(a.data(), a.data() + n - 1, a.data() + n - 1);
    std::vector<int> keys;
    for (dlink* p : a) keys.push_back(L.contents(p)->key);
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    // Apart from the one exchange that fetched the least element, equal keys keep their order.
    int least_serial = L.contents(a[0])->serial;
    for (size_t k = 2; k < a.size(); k++) {
      const Keyed* x = L.contents(a[k - 1]);
      const Keyed* y = L.contents(a[k]);
      if (x->key == y->key && x->serial != least_serial && y->serial != least_serial) {
        EXPECT_LT(x->serial, y->serial);
      }
    }
  }
}

// A list whose elements are doubles in allocator blocks (code 6) or floats in
// the slot (code 5), to drive the typed paths, which compare without the hook.
class NumberList : public dlist {
 public:
  explicit NumberList(int code) : m_code(code) {}
  ~NumberList() override { clear(); }
  void add(double x) {
    if (m_code == 6) {
      void* p = graphlib::std_memory_mgr.allocate_bytes(sizeof(double));
      std::memcpy(p, &x, sizeof x);
      append(p);
    } else {
      float f = static_cast<float>(x);
      void* p = nullptr;
      std::memcpy(&p, &f, sizeof f);
      append(p);
    }
  }
  double at(dlink* c) const {
    if (m_code == 6) return *static_cast<double*>(c->e);
    float f;
    std::memcpy(&f, &c->e, sizeof f);
    return f;
  }
  std::vector<double> all() const {
    std::vector<double> out;
    for (dlink* p = h; p; p = p->succ) out.push_back(at(p));
    return out;
  }
  int cmp(void* x, void* y) const override {
    hook_calls++;
    double a = 0, b = 0;
    if (m_code == 6) {
      a = *static_cast<double*>(x);
      b = *static_cast<double*>(y);
    } else {
      float fa, fb;
      std::memcpy(&fa, &x, sizeof fa);
      std::memcpy(&fb, &y, sizeof fb);
      a = fa;
      b = fb;
    }
    return a < b ? -1 : (a > b ? 1 : 0);
  }
  void clear_el(void*& x) const override {
    if (m_code == 6) graphlib::std_memory_mgr.deallocate_bytes(x, sizeof(double));
  }
  int el_type_id() const override { return m_code; }
  mutable int hook_calls = 0;

 private:
  int m_code;
};

TEST_F(DlistSortTest, FloatAndDoublePathsSortWithoutTheHook) {
  std::mt19937 rng(6);
  for (int code : {5, 6}) {
    for (bool typed : {false, true}) {
      for (int which = 0; which < 3; which++) {
        NumberList L(code);
        L.typed_paths = typed;
        std::vector<double> input;
        for (int k = 0; k < 300; k++) input.push_back(static_cast<double>(rng() % 50) / 4 - 5);
        for (double x : input) L.add(x);
        std::vector<double> expected = input;
        std::sort(expected.begin(), expected.end());
        if (which == 0) L.quick_sort();
        if (which == 1) L.merge_sort();
        if (which == 2) {
          L.quick_sort();
          L.hook_calls = 0;
          L.unique();
          expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
        }
        SCOPED_TRACE("code " + std::to_string(code) + " typed " + std::to_string(typed) + " op " +
                     std::to_string(which));
        EXPECT_EQ(L.all(), expected);
        EXPECT_EQ(dlistDefect(L), "");
        if (typed)
          EXPECT_EQ(L.hook_calls, 0);
        else
          EXPECT_GT(L.hook_calls, 0);
      }
    }
  }
}

}  // namespace
