#include "graphlib/base/array_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "AllocatorUsage.h"
#include "ListInvariants.h"
#include "graphlib/base/list.h"
#include "graphlib/base/string.h"

namespace {

using graphlib::counting_sort;
using graphlib::dlink;
using graphlib::INTSORT;
using graphlib::list;
using graphlib::QUICKSORT_C;
using graphlib::QUICKSORT_LIST;
using graphlib::QUICKSORT_P;
using testing_support::AllocatorBaseline;
using testing_support::dlistDefect;

// The input shapes every sort is run on.
enum class Shape { Random, FewValues, AllEqual, Sorted, Reversed, OrganPipe };
const Shape all_shapes[] = {Shape::Random, Shape::FewValues, Shape::AllEqual,
                            Shape::Sorted, Shape::Reversed,  Shape::OrganPipe};
const int sizes[] = {0, 1, 2, 3, 4, 7, 100, 10000};

std::vector<int> makeInts(Shape shape, int n, std::mt19937& rng) {
  std::vector<int> v(static_cast<size_t>(n));
  std::uniform_int_distribution<int> wide(INT_MIN, INT_MAX);
  std::uniform_int_distribution<int> few(0, 4);
  for (int k = 0; k < n; k++) {
    int& x = v[static_cast<size_t>(k)];
    switch (shape) {
      case Shape::Random: x = wide(rng); break;
      case Shape::FewValues: x = few(rng); break;
      case Shape::AllEqual: x = 42; break;
      case Shape::Sorted: x = k - n / 2; break;
      case Shape::Reversed: x = n - k; break;
      case Shape::OrganPipe: x = std::min(k, n - k); break;
    }
  }
  return v;
}

template <class T>
std::vector<T> convert(const std::vector<int>& v) {
  std::vector<T> out;
  for (int x : v) out.push_back(static_cast<T>(x) / 7);
  return out;
}

template <class T>
class QuicksortCTest : public ::testing::Test {};
typedef ::testing::Types<int, float, double> NumberTypes;
TYPED_TEST_SUITE(QuicksortCTest, NumberTypes);

TYPED_TEST(QuicksortCTest, AgreesWithStdSort) {
  std::mt19937 rng(9001);
  for (Shape shape : all_shapes) {
    for (int n : sizes) {
      std::vector<TypeParam> v = convert<TypeParam>(makeInts(shape, n, rng));
      std::vector<TypeParam> expected = v;
      std::sort(expected.begin(), expected.end());
      // A guard element on each side shows that nothing outside the range moves.
      std::vector<TypeParam> framed;
      framed.push_back(TypeParam(-1000));
      framed.insert(framed.end(), v.begin(), v.end());
      framed.push_back(TypeParam(-2000));
      if (n > 0) QUICKSORT_C(&framed[1], &framed[static_cast<size_t>(n)]);
      EXPECT_EQ(framed.front(), TypeParam(-1000));
      EXPECT_EQ(framed.back(), TypeParam(-2000));
      EXPECT_EQ(std::vector<TypeParam>(framed.begin() + 1, framed.end() - 1), expected)
          << "shape " << static_cast<int>(shape) << " n " << n;
    }
  }
}

// A key that counts its comparisons.
struct Counted {
  int v;
  static int compares;
  bool operator<(const Counted& o) const {
    compares++;
    return v < o.v;
  }
};
int Counted::compares = 0;

TEST(QuicksortTest, TwoAndThreeElementsAreFinishedByTheMedianOfThree) {
  Counted two[2] = {{5}, {3}};
  Counted::compares = 0;
  QUICKSORT_C(&two[0], &two[1]);
  EXPECT_EQ(two[0].v, 3);
  EXPECT_EQ(two[1].v, 5);
  EXPECT_EQ(Counted::compares, 1);

  std::vector<int> p = {1, 2, 3};
  do {
    for (int dup = 0; dup < 2; dup++) {
      Counted a[3] = {{p[0]}, {p[1]}, {dup ? p[0] : p[2]}};
      std::vector<int> expected = {a[0].v, a[1].v, a[2].v};
      std::sort(expected.begin(), expected.end());
      Counted::compares = 0;
      QUICKSORT_C(&a[0], &a[2]);
      EXPECT_LE(Counted::compares, 3);
      EXPECT_EQ((std::vector<int>{a[0].v, a[1].v, a[2].v}), expected);
    }
  } while (std::next_permutation(p.begin(), p.end()));
}

TEST(QuicksortTest, EmptyAndReversedRangesAreLeftAlone) {
  int a[2] = {2, 1};
  QUICKSORT_C(&a[1], &a[0]);
  QUICKSORT_P(a, static_cast<void**>(nullptr), 1, 0);
  QUICKSORT_P(a, static_cast<void**>(nullptr), 1, 1);
  EXPECT_EQ(a[0], 2);
  EXPECT_EQ(a[1], 1);
}

// Compares that are no strict order: "<=" (a common slip) and a coin toss. The
// scans must still stay inside the range (the sanitizer build checks every
// access) and nothing may be lost.
struct LessOrEqual {
  int v;
  bool operator<(const LessOrEqual& o) const { return v <= o.v; }
};
struct CoinToss {
  int v;
  static std::mt19937* rng;
  bool operator<(const CoinToss&) const { return (*rng)() % 2 == 0; }
};
std::mt19937* CoinToss::rng = nullptr;

template <class T>
void expectPermutationAfterSort(std::vector<int> ids) {
  std::vector<T> v;
  for (int id : ids) v.push_back({id});
  // Exactly as large as the data, so that a read past either end is caught.
  T* a = new T[v.size()];
  std::copy(v.begin(), v.end(), a);
  QUICKSORT_C(a, a + v.size() - 1);
  std::vector<int> seen;
  for (size_t k = 0; k < v.size(); k++) seen.push_back(a[k].v);
  delete[] a;
  std::sort(seen.begin(), seen.end());
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(seen, ids);
}

TEST(QuicksortTest, AnInconsistentCompareStaysInsideTheArray) {
  std::mt19937 rng(77);
  CoinToss::rng = &rng;
  for (int n : {3, 4, 10, 1000}) {
    std::vector<int> distinct, equal(static_cast<size_t>(n), 5);
    for (int k = 0; k < n; k++) distinct.push_back(k);
    expectPermutationAfterSort<LessOrEqual>(equal);
    expectPermutationAfterSort<LessOrEqual>(distinct);
    expectPermutationAfterSort<CoinToss>(distinct);
  }
  CoinToss::rng = nullptr;
}

TEST(QuicksortTest, NotANumberKeysLoseNothing) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::mt19937 rng(5);
  std::vector<double> v;
  for (int k = 0; k < 500; k++) v.push_back(k % 7 == 0 ? nan : static_cast<double>(rng() % 100));
  QUICKSORT_C(v.data(), v.data() + v.size() - 1);
  EXPECT_EQ(std::count_if(v.begin(), v.end(), [](double x) { return std::isnan(x); }), 72);
}

TEST(QuicksortPTest, ItemsFollowTheirKeys) {
  int keys[3] = {3, 1, 2};
  char a = 'a', b = 'b', c = 'c';
  void* items[3] = {&a, &b, &c};
  QUICKSORT_P(keys, items, 0, 2);
  EXPECT_EQ((std::vector<int>{keys[0], keys[1], keys[2]}), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(items[0], &b);
  EXPECT_EQ(items[1], &c);
  EXPECT_EQ(items[2], &a);
}

TEST(QuicksortPTest, AgreesWithStdSortOnKeyItemPairs) {
  std::mt19937 rng(31);
  for (Shape shape : all_shapes) {
    for (int n : sizes) {
      std::vector<double> keys = convert<double>(makeInts(shape, n, rng));
      std::vector<int> ids(static_cast<size_t>(n));
      std::vector<void*> items;
      for (int k = 0; k < n; k++) {
        ids[static_cast<size_t>(k)] = k;
        items.push_back(&ids[static_cast<size_t>(k)]);
      }
      std::vector<std::pair<double, int>> before;
      for (int k = 0; k < n; k++) before.push_back({keys[static_cast<size_t>(k)], k});
      // Sorting from index 1 as the list sorts do.
      keys.insert(keys.begin(), -1.0);
      items.insert(items.begin(), nullptr);
      QUICKSORT_P(keys.data(), items.data(), 1, n);
      EXPECT_EQ(items[0], nullptr);
      std::vector<std::pair<double, int>> after;
      for (int k = 1; k <= n; k++)
        after.push_back({keys[static_cast<size_t>(k)], *static_cast<int*>(items[static_cast<size_t>(k)])});
      EXPECT_TRUE(std::is_sorted(keys.begin() + 1, keys.end()));
      std::sort(before.begin(), before.end());
      std::sort(after.begin(), after.end());
      EXPECT_EQ(after, before) << "shape " << static_cast<int>(shape) << " n " << n;
    }
  }
}

TEST(QuicksortPTest, StringKeysKeepTheirReferenceCounts) {
  AllocatorBaseline baseline;
  {
    std::mt19937 rng(12);
    std::vector<graphlib::string> keys;
    std::vector<std::string> expected;
    std::vector<void*> items;
    for (int k = 0; k < 300; k++) {
      std::string s = std::to_string(rng() % 50);
      keys.push_back(graphlib::string(s.c_str()));
      expected.push_back(s);
      items.push_back(reinterpret_cast<void*>(static_cast<intptr_t>(k)));
    }
    std::vector<graphlib::string> originals = keys;
    QUICKSORT_P<graphlib::string, void*>(keys.data(), items.data(), 0, 299);
    std::sort(expected.begin(), expected.end());
    for (size_t k = 0; k < keys.size(); k++) {
      EXPECT_EQ(std::string(keys[k].chars()), expected[k]);
      // Each key is still the very representation that its item started with.
      EXPECT_EQ(keys[k].chars(), originals[static_cast<size_t>(reinterpret_cast<intptr_t>(items[k]))].chars());
      EXPECT_EQ(keys[k].refs(), 2);
    }
  }
  EXPECT_EQ(baseline.changes(), std::vector<std::string>());
}

// Which passes of INTSORT exchange the pointers instead of moving data.
std::vector<bool> exchangedPasses(std::vector<int> v) {
  std::vector<int> scratch(v.size());
  int* p0 = v.data();
  int* p1 = scratch.data();
  int n = static_cast<int>(v.size());
  std::vector<bool> exchanged;
  int* in = p0;
  counting_sort(p0, p1, n, 4095, 0, 0);
  exchanged.push_back(p1 == in);
  in = p1;
  counting_sort(p1, p0, n, 4095, 0, 12);
  exchanged.push_back(p0 == in);
  in = p0;
  counting_sort(p0, p1, n, 255, 128, 24);
  exchanged.push_back(p1 == in);
  return exchanged;
}

TEST(IntsortTest, Table) {
  struct Row {
    std::vector<int> input;
    std::vector<bool> exchanged;
  };
  const std::vector<Row> rows = {
      {{-1, 5, -7, 0}, {false, false, false}},
      {{INT_MIN, INT_MAX, 0, -1, 1}, {false, false, false}},
      {{7, 7, 7}, {true, true, true}},
      {{3 << 12, 1 << 12, 2 << 12, 0xABC << 12}, {true, false, true}},
      {{5 << 24, -3 * (1 << 24), 0, 1 << 24}, {true, true, false}},
  };
  for (const Row& r : rows) {
    std::vector<int> v = r.input;
    std::vector<int> expected = r.input;
    std::sort(expected.begin(), expected.end());
    INTSORT(v.data(), static_cast<int>(v.size()));
    EXPECT_EQ(v, expected);
    EXPECT_EQ(exchangedPasses(r.input), r.exchanged);
  }
}

TEST(IntsortTest, AgreesWithStdSort) {
  std::mt19937 rng(4242);
  for (Shape shape : all_shapes) {
    for (int n : {0, 1, 2, 3, 100, 100000}) {
      std::vector<int> v = makeInts(shape, n, rng);
      std::vector<int> expected = v;
      std::sort(expected.begin(), expected.end());
      INTSORT(v.data(), n);
      EXPECT_EQ(v, expected) << "shape " << static_cast<int>(shape) << " n " << n;
    }
  }
}

TEST(IntsortTest, TinyArraysAreNotReadBeyondTheirEnd) {
  int* none = new int[0];
  INTSORT(none, 0);
  delete[] none;
  int* one = new int[1];
  one[0] = -5;
  INTSORT(one, 1);
  EXPECT_EQ(one[0], -5);
  delete[] one;
}

TEST(CountingSortTest, StableByTheMaskedKey) {
  // Keys are the low four bits; the high part tells the original order.
  std::vector<int> in = {0x13, 0x21, 0x33, 0x41, 0x50, 0x63, 0x70};
  std::vector<int> out(in.size(), -1);
  int* pi = in.data();
  int* po = out.data();
  counting_sort(pi, po, static_cast<int>(in.size()), 15, 0, 0);
  EXPECT_EQ(pi, in.data());
  EXPECT_EQ(po, out.data());
  EXPECT_EQ(out, (std::vector<int>{0x50, 0x70, 0x21, 0x41, 0x13, 0x33, 0x63}));
}

TEST(CountingSortTest, LeadingRunAndFlippedKeys) {
  // A leading run of equal keys, then keys whose flipped top bit puts negatives first.
  std::vector<int> in = {1 << 24, 1 << 24, -(1 << 24), 0, -2 * (1 << 24)};
  std::vector<int> out(in.size());
  int* pi = in.data();
  int* po = out.data();
  counting_sort(pi, po, 5, 255, 128, 24);
  EXPECT_EQ(out, (std::vector<int>{-2 * (1 << 24), -(1 << 24), 0, 1 << 24, 1 << 24}));
}

TEST(CountingSortTest, EqualKeysOrNoneExchangeThePointers) {
  int a[3] = {0x101, 0x201, 0x301};
  int b[3] = {0, 0, 0};
  int* pi = a;
  int* po = b;
  counting_sort(pi, po, 3, 255, 0, 0);
  EXPECT_EQ(pi, b);
  EXPECT_EQ(po, a);
  EXPECT_EQ(b[0], 0);
  counting_sort(pi, po, 0, 255, 0, 0);
  EXPECT_EQ(pi, a);
  EXPECT_EQ(po, b);
}

std::vector<std::string> texts(const list<graphlib::string>& L) {
  std::vector<std::string> out;
  for (dlink* p = L.first(); p; p = p->succ) out.push_back(L.contents(p).chars());
  return out;
}

TEST(QuicksortListTest, SortsStringsByRelinkingTheirCells) {
  AllocatorBaseline baseline;
  long vectors = graphlib::std_memory_mgr.block_count[0];
  {
    graphlib::string b("b"), a("a"), c("c");
    list<graphlib::string> L;
    dlink* ib = L.append(b);
    dlink* ia = L.append(a);
    dlink* ic = L.append(c);
    QUICKSORT_LIST<list<graphlib::string>>(L);
    EXPECT_EQ(texts(L), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(L.first(), ia);
    EXPECT_EQ(ia->succ, ib);
    EXPECT_EQ(L.last(), ic);
    EXPECT_EQ(dlistDefect(L), "");
    EXPECT_EQ(L.length(), 3);
    EXPECT_EQ(a.refs(), 2);
    EXPECT_EQ(b.refs(), 2);
    EXPECT_EQ(c.refs(), 2);
  }
  EXPECT_EQ(graphlib::std_memory_mgr.block_count[0], vectors);
  EXPECT_EQ(baseline.changes(), std::vector<std::string>());
}

TEST(QuicksortListTest, AgreesWithStdSort) {
  AllocatorBaseline baseline;
  std::mt19937 rng(3);
  for (int n : {0, 1, 2, 5, 1000}) {
    list<graphlib::string> L;
    std::vector<std::string> expected;
    for (int k = 0; k < n; k++) {
      std::string s;
      for (int len = static_cast<int>(rng() % 4); len >= 0; len--) s += static_cast<char>('a' + rng() % 3);
      L.append(graphlib::string(s.c_str()));
      expected.push_back(s);
    }
    // After a split the length is unknown and is recounted.
    list<graphlib::string> rest;
    if (n > 0) L.split(L.last(), L, rest);
    QUICKSORT_LIST(L);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(texts(L), expected);
    EXPECT_EQ(dlistDefect(L), "");
  }
  EXPECT_EQ(baseline.changes(), std::vector<std::string>());
}

TEST(QuicksortListTest, IntLists) {
  list<int> L;
  for (int x : {5, -1, 5, 3, 0, -1}) L.append(x);
  QUICKSORT_LIST(L);
  std::vector<int> got;
  for (dlink* p = L.first(); p; p = p->succ) got.push_back(L.contents(p));
  EXPECT_EQ(got, (std::vector<int>{-1, -1, 0, 3, 5, 5}));
  EXPECT_EQ(dlistDefect(L), "");
}

}  // namespace
