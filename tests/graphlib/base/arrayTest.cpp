#include "graphlib/base/array.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "AllocatorUsage.h"
#include "RecordingErrorHandler.h"
#include "graphlib/base/gen_array.h"
#include "graphlib/base/list.h"

namespace {

using graphlib::array;
using graphlib::gen_array;
using graphlib::gen_array2;
using graphlib::list;
using testing_support::AllocatorBaseline;
using testing_support::GraphlibError;
using testing_support::RecordingErrorHandler;

void* tag(long x) { return reinterpret_cast<void*>(static_cast<intptr_t>(x)); }
long untag(void* p) { return static_cast<long>(reinterpret_cast<intptr_t>(p)); }

// Slots hold plain numbers; every hook call is recorded with the value it saw.
class CountingArray : public gen_array {
 public:
  CountingArray(int low, int high) : gen_array(low, high) {}
  CountingArray& operator=(const CountingArray& A) {
    gen_array::operator=(A);
    return *this;
  }
  mutable std::vector<long> inits, clears, copies;
  mutable int compares = 0;
  int cmp(void* x, void* y) const override {
    compares++;
    long a = untag(x), b = untag(y);
    return a < b ? -1 : (a > b ? 1 : 0);
  }
  void init_entry(void*& x) const override {
    inits.push_back(untag(x));
    x = tag(-1);
  }
  void clear_entry(void*& x) const override { clears.push_back(untag(x)); }
  void copy_entry(void*& x) const override {
    copies.push_back(untag(x));
    x = tag(untag(x) + 1000);
  }
};

std::vector<long> contents(const gen_array& A) {
  std::vector<long> out;
  for (int i = A.low(); i <= A.high(); i++) out.push_back(untag(A.entry(i)));
  return out;
}

template <class T>
std::vector<T> values(const array<T>& A) {
  std::vector<T> out;
  for (int i = A.low(); i <= A.high(); i++) out.push_back(A[i]);
  return out;
}

int int_cmp(const int& a, const int& b) { return a < b ? -1 : (a > b ? 1 : 0); }

TEST(Array, BoundsAndSizes) {
  RecordingErrorHandler errors;
  EXPECT_EQ(errors.raisedBy([] { gen_array A(5, 4); }), (GraphlibError{1, "array: bad array bounds [5..4]"}));
  EXPECT_EQ(errors.raisedBy([] { gen_array A(-3); }), (GraphlibError{1, "array: bad array bounds [0..-3]"}));
  EXPECT_EQ(errors.raisedBy([] { gen_array A(INT_MIN, INT_MAX); }), (GraphlibError{99, "array: out of memory"}));
  EXPECT_EQ(errors.raisedBy([] { array<int> A(7, -7); }), (GraphlibError{1, "array: bad array bounds [7..-7]"}));

  gen_array empty(0);
  EXPECT_EQ(empty.low(), 0);
  EXPECT_EQ(empty.high(), -1);
  EXPECT_EQ(empty.size(), 0);
  EXPECT_EQ(empty.v, nullptr);

  array<int> A(-5, 5);
  EXPECT_EQ(A.low(), -5);
  EXPECT_EQ(A.high(), 5);
  EXPECT_EQ(A.size(), 11);
  EXPECT_EQ(values(A), std::vector<int>(11, 0)) << "every slot starts initialised";
  for (int i = -5; i <= 5; i++) A[i] = i * i;
  EXPECT_EQ(A[-5], 25);
  EXPECT_EQ(A[0], 0);

  A.resize(5, 4);
  EXPECT_EQ(A.size(), 0);
  EXPECT_EQ(A.low(), 5);
  EXPECT_EQ(A.high(), 4);
  EXPECT_EQ(errors.raisedBy([&] { A.resize(6, 4); }), (GraphlibError{1, "array: bad array bounds [6..4]"}));
}

TEST(Array, ResizeKeepsInitialisesAndClears) {
  CountingArray A(0, 4);
  for (int i = 0; i <= 4; i++) A.entry(i) = tag(100 + i);
  A.resize(2, 7);
  EXPECT_EQ(A.low(), 2);
  EXPECT_EQ(A.high(), 7);
  EXPECT_EQ(contents(A), (std::vector<long>{102, 103, 104, -1, -1, -1}));
  EXPECT_EQ(A.inits.size(), 3u);
  EXPECT_EQ(A.clears, (std::vector<long>{100, 101}));
  EXPECT_TRUE(A.copies.empty()) << "survivors move, they are not copied";
}

TEST(Array, CopiesRunFromTheLastSlotToTheFirst) {
  CountingArray A(3, 6);
  for (int i = 3; i <= 6; i++) A.entry(i) = tag(i);
  gen_array B(A);  // with A's copy hook
  EXPECT_EQ(A.copies, (std::vector<long>{6, 5, 4, 3}));
  EXPECT_EQ(contents(B), (std::vector<long>{1003, 1004, 1005, 1006}));
  EXPECT_EQ(B.low(), 3);

  CountingArray C(0, 1);
  C = A;  // with C's own hook
  EXPECT_EQ(C.clears.size(), 2u) << "the old elements are cleared first";
  EXPECT_EQ(C.copies, (std::vector<long>{6, 5, 4, 3}));
  EXPECT_EQ(C.low(), 3);
  EXPECT_EQ(C.high(), 6);
  C.copies.clear();
  C = *&C;
  EXPECT_TRUE(C.copies.empty());
  EXPECT_EQ(contents(C), (std::vector<long>{1003, 1004, 1005, 1006}));
}

TEST(Array, InitVariants) {
  CountingArray A(1, 4);
  A.init(tag(7));
  EXPECT_EQ(contents(A), (std::vector<long>{1007, 1007, 1007, 1007}));
  A.copies.clear();
  A.init(tag(1), tag(2), tag(3));
  EXPECT_EQ(contents(A), (std::vector<long>{1001, 1002, 1003, 1007}));
  EXPECT_EQ(A.copies, (std::vector<long>{1, 2, 3}));
  A.init(tag(4), tag(5), tag(6), tag(7));
  EXPECT_EQ(contents(A), (std::vector<long>{1004, 1005, 1006, 1007}));

  RecordingErrorHandler errors;
  CountingArray small(0, 1);
  small.init(tag(1), tag(2));
  EXPECT_EQ(contents(small), (std::vector<long>{1001, 1002}));
  EXPECT_EQ(errors.raisedBy([&] { small.init(tag(1), tag(2), tag(3)); }),
            (GraphlibError{2, "array::init index out of range"}));
  EXPECT_EQ(contents(small), (std::vector<long>{1001, 1002})) << "nothing written past the end";

  array<std::string> S(0, 2);
  S.init(std::string("same"));
  S[1] += "!";
  EXPECT_EQ(values(S), (std::vector<std::string>{"same", "same!", "same"}));
}

TEST(Array, BoolCopiesWidenTheLowByte) {
  array<bool> A(0, 1);
  A[0] = true;
  // Garbage above the bool's byte, as a raw write into the cell may leave.
  std::memset(reinterpret_cast<char*>(&A.entry(0)) + 1, 0x5a, sizeof(void*) - 1);
  array<bool> B(A);
  EXPECT_EQ(B.entry(0), reinterpret_cast<void*>(1));
  EXPECT_EQ(B.entry(1), nullptr);
  EXPECT_TRUE(B[0]);
  EXPECT_FALSE(B[1]);
}

TEST(Array, BinarySearchAndLocate) {
  array<int> A(10, 12);
  A[10] = 1;
  A[11] = 3;
  A[12] = 5;
  const struct {
    int x, search, locate;
  } rows[] = {{3, 11, 11}, {4, 9, 11}, {0, 9, 9}, {1, 10, 10}, {5, 12, 12}, {9, 9, 12}};
  for (const auto& r : rows) {
    EXPECT_EQ(A.binary_search(int_cmp, r.x), r.search) << r.x;
    EXPECT_EQ(A.binary_locate(int_cmp, r.x), r.locate) << r.x;
  }
  array<int> E(4, 4);
  E.resize(4, 3);
  EXPECT_EQ(E.binary_search(int_cmp, 1), 3);
  EXPECT_EQ(E.binary_locate(int_cmp, 1), 3);

  std::mt19937 rng(11);
  for (int round = 0; round < 50; round++) {
    int low = static_cast<int>(rng() % 21) - 10;
    int n = static_cast<int>(rng() % 40);
    array<int> B(low, low);
    B.resize(low, low + n - 1);
    std::vector<int> ref;
    for (int i = 0; i < n; i++) ref.push_back(static_cast<int>(rng() % 30));
    std::sort(ref.begin(), ref.end());
    for (int i = 0; i < n; i++) B[low + i] = ref[static_cast<size_t>(i)];
    for (int x = -1; x <= 31; x++) {
      int s = B.binary_search(int_cmp, x);
      if (std::binary_search(ref.begin(), ref.end(), x))
        EXPECT_EQ(B[s], x);
      else
        EXPECT_EQ(s, low - 1);
      long upper = std::upper_bound(ref.begin(), ref.end(), x) - ref.begin();
      EXPECT_EQ(B.binary_locate(int_cmp, x), low + upper - 1) << x;
    }
  }
}

TEST(Array, SortRangeErrorsAndTrivialRanges) {
  RecordingErrorHandler errors;
  CountingArray A(-2, 3);
  for (int i = -2; i <= 3; i++) A.entry(i) = tag(10 - i);
  const GraphlibError range{2, "array::sort(l,h) illegal range"};
  EXPECT_EQ(errors.raisedBy([&] { A.sort(-3, 3); }), range);
  EXPECT_EQ(errors.raisedBy([&] { A.sort(-2, 4); }), range);
  EXPECT_EQ(errors.raisedBy([&] { A.sort(1, 0); }), range);
  EXPECT_EQ(errors.raisedBy([&] { A.sort(4, 4); }), range);
  A.sort(1, 1);
  EXPECT_EQ(A.compares, 0);
  CountingArray E(0, 0);
  E.resize(0, -1);
  E.sort(5, 2);
  E.sort();
  EXPECT_EQ(E.compares, 0);
  EXPECT_EQ(errors.size(), 4u);
  EXPECT_EQ(contents(A), (std::vector<long>{12, 11, 10, 9, 8, 7}));
  A.sort(-1, 2);
  EXPECT_EQ(contents(A), (std::vector<long>{12, 8, 9, 10, 11, 7})) << "outside the range nothing moves";
}

TEST(Array, SortAgreesWithStdSort) {
  std::mt19937 rng(3);
  for (int round = 0; round < 200; round++) {
    int low = static_cast<int>(rng() % 101) - 50;
    int n = 1 + static_cast<int>(rng() % 60);
    int spread = 1 + static_cast<int>(rng() % 20);  // many duplicates when small
    array<int> A(low, low + n - 1);
    std::vector<int> ref;
    for (int i = 0; i < n; i++) {
      A[low + i] = static_cast<int>(rng() % static_cast<unsigned>(spread)) - spread / 2;
      ref.push_back(A[low + i]);
    }
    int l = low + static_cast<int>(rng() % static_cast<unsigned>(n));
    int h = l + static_cast<int>(rng() % static_cast<unsigned>(low + n - l));
    A.sort(int_cmp, l, h);
    std::sort(ref.begin() + (l - low), ref.begin() + (h - low) + 1);
    ASSERT_EQ(values(A), ref) << "round " << round;
  }
  array<std::string> S(1, 5);
  const char* words[] = {"pear", "apple", "fig", "apple", "banana"};
  for (int i = 1; i <= 5; i++) S[i] = words[i - 1];
  S.sort([](const std::string& a, const std::string& b) { return a.compare(b); });
  EXPECT_EQ(values(S), (std::vector<std::string>{"apple", "apple", "banana", "fig", "pear"}));
}

TEST(Array, SortWithoutACompareFunctionIsReported) {
  RecordingErrorHandler errors;
  array<int> A(0, 2);
  EXPECT_EQ(errors.raisedBy([&] { A.sort(); }), (GraphlibError{1, "graphlib_cmp_base: compare undefined"}));
  graphlib::graphlib_cmp_base<int> descending([](const int& a, const int& b) { return b - a; });
  A[0] = 1;
  A[1] = 3;
  A[2] = 2;
  A.sort(descending);
  EXPECT_EQ(values(A), (std::vector<int>{3, 2, 1}));
}

// The numeric paths, taken only when a derived array sets typed_paths.
class TypedIntArray : public gen_array {
 public:
  TypedIntArray(int low, int high, int code) : gen_array(low, high), code(code) { typed_paths = true; }
  int code;
  int el_type_id() const override { return code; }
};

template <class T>
void* slot_of(T x) {
  void* p = nullptr;
  std::memcpy(&p, &x, sizeof x);
  return p;
}

template <class T>
T value_of(void* p) {
  T x;
  std::memcpy(&x, &p, sizeof x);
  return x;
}

TEST(Array, NumericSortPaths) {
  std::mt19937 rng(8);
  std::vector<int> ints;
  TypedIntArray A(-3, 96, 3);
  for (int i = -3; i <= 96; i++) {
    ints.push_back(static_cast<int>(rng()));
    A.entry(i) = slot_of(ints.back());
  }
  A.sort(-3, 96);
  std::sort(ints.begin(), ints.end());
  for (int i = -3; i <= 96; i++) ASSERT_EQ(value_of<int>(A.entry(i)), ints[static_cast<size_t>(i + 3)]);
  EXPECT_EQ(A.binary_search(slot_of(ints[40])), 37);

  std::vector<float> floats;
  TypedIntArray F(0, 49, 5);
  for (int i = 0; i < 50; i++) {
    floats.push_back(static_cast<float>(static_cast<int>(rng() % 1000) - 500) / 8.0f);
    F.entry(i) = slot_of(floats.back());
  }
  F.sort(0, 49);
  std::sort(floats.begin(), floats.end());
  for (int i = 0; i < 50; i++) ASSERT_EQ(value_of<float>(F.entry(i)), floats[static_cast<size_t>(i)]);

  std::vector<double> doubles;
  for (int i = 0; i < 30; i++) doubles.push_back(static_cast<double>(rng() % 100) / 3.0);
  TypedIntArray D(0, 29, 6);
  for (int i = 0; i < 30; i++) D.entry(i) = &doubles[static_cast<size_t>(i)];
  D.sort(0, 29);
  for (int i = 1; i < 30; i++) ASSERT_LE(*static_cast<double*>(D.entry(i - 1)), *static_cast<double*>(D.entry(i)));
  double probe = doubles[7];
  EXPECT_EQ(*static_cast<double*>(D.entry(D.binary_search(&probe))), probe);

  std::vector<int> mixed = {5, -1, 0, INT_MIN, INT_MAX, -70000, 70000, 5};
  TypedIntArray I(1, 8, 0);
  for (int i = 1; i <= 8; i++) I.entry(i) = slot_of(mixed[static_cast<size_t>(i - 1)]);
  I.int_sort(2, 7);
  std::sort(mixed.begin() + 1, mixed.begin() + 7);
  for (int i = 1; i <= 8; i++) EXPECT_EQ(value_of<int>(I.entry(i)), mixed[static_cast<size_t>(i - 1)]);
}

TEST(Array, Permute) {
  RecordingErrorHandler errors;
  array<int> A(5, 9);
  for (int i = 5; i <= 9; i++) A[i] = i;
  const GraphlibError range{2, "array::permute illegal range"};
  EXPECT_EQ(errors.raisedBy([&] { A.permute(7, 6); }), range);
  EXPECT_EQ(errors.raisedBy([&] { A.permute(4, 6); }), range);
  EXPECT_EQ(errors.raisedBy([&] { A.permute(6, 10); }), range);

  array<int> one(3, 3);
  one[3] = 42;
  one.permute();
  EXPECT_EQ(one[3], 42);

  // Every element reaches every position of the permuted range; the rest stay.
  std::vector<std::vector<int>> seen(5, std::vector<int>(10, 0));
  for (int round = 0; round < 400; round++) {
    A.permute(6, 8);
    ASSERT_EQ(A[5], 5);
    ASSERT_EQ(A[9], 9);
    std::vector<int> got = values(A);
    std::sort(got.begin(), got.end());
    ASSERT_EQ(got, (std::vector<int>{5, 6, 7, 8, 9}));
    for (int i = 6; i <= 8; i++) seen[static_cast<size_t>(i - 5)][static_cast<size_t>(A[i])]++;
  }
  for (int i = 6; i <= 8; i++)
    for (int x = 6; x <= 8; x++) EXPECT_GT(seen[static_cast<size_t>(i - 5)][static_cast<size_t>(x)], 0) << i << " " << x;
  for (int round = 0; round < 100; round++) {
    A.permute();
    std::vector<int> got = values(A);
    std::sort(got.begin(), got.end());
    ASSERT_EQ(got, (std::vector<int>{5, 6, 7, 8, 9}));
  }
}

TEST(Array, ReadAndPrint) {
  array<int> A(1, 4);
  std::istringstream in("5 6 x 9");
  std::ostringstream prompt;
  std::streambuf* old = std::cout.rdbuf(prompt.rdbuf());
  A.read(in, "numbers: ");
  std::cout.rdbuf(old);
  EXPECT_EQ(prompt.str(), "numbers: ");
  EXPECT_EQ(values(A), (std::vector<int>{5, 6, 0, 0})) << "the slots after the last value read are initialised";
  std::ostringstream out;
  A.print(out, "A:", ',');
  EXPECT_EQ(out.str(), "A:,5,6,0,0");
  std::ostringstream plain;
  A.print(plain);
  EXPECT_EQ(plain.str(), "5 6 0 0");

  array<int*> P(0, 1);
  int x = 3;
  P[0] = &x;
  std::istringstream text("1 2");
  old = std::cout.rdbuf(prompt.rdbuf());
  P.read(text, "");
  std::cout.rdbuf(old);
  EXPECT_EQ(P[0], nullptr) << "pointers are never read from text";
}

TEST(Array, ArraysOfArraysAndOfListsAreDeep) {
  AllocatorBaseline baseline;
  {
    array<array<int>> rows(1, 3);
    for (int r = 1; r <= 3; r++) {
      rows[r].resize(-r, r);
      rows[r].init(r);
    }
    array<array<int>> copy(rows);
    copy[2][0] = 99;
    EXPECT_EQ(rows[2][0], 2);
    EXPECT_EQ(copy[2][-2], 2);
    EXPECT_EQ(copy[3].low(), -3);
    EXPECT_EQ(copy[3].size(), 7);

    array<list<int>> L(0, 4);
    for (int i = 0; i <= 4; i++)
      for (int k = 0; k < i; k++) L[i].append(k);
    array<list<int>> M(L);
    M[3].append(100);
    M[4].clear();
    EXPECT_EQ(L[3].length(), 3);
    EXPECT_EQ(L[4].length(), 4);
    M = L;
    EXPECT_EQ(M[4].length(), 4);
    L.resize(2, 8);
    EXPECT_EQ(L[4].length(), 4);
    EXPECT_EQ(L[8].length(), 0);
    L.permute();
    L.sort([](const list<int>& a, const list<int>& b) { return a.length() - b.length(); });
    EXPECT_EQ(L[2].length(), 0);
    EXPECT_EQ(L[8].length(), 4);
  }
  EXPECT_EQ(baseline.changes(), std::vector<std::string>()) << "every boxed list was freed";
}

// Elements are numbers; the hooks mark what they did.
class TaggedArray2 : public gen_array2 {
 public:
  TaggedArray2(int a, int b, int c, int d) : gen_array2(a, b, c, d) {}
  TaggedArray2(const TaggedArray2& A) : gen_array2(A) {}
  TaggedArray2& operator=(const TaggedArray2& A) {
    gen_array2::operator=(A);
    return *this;
  }
  void clear_entry(void*& x) const override { x = tag(-2); }
  void copy_entry(void*& x) const override { x = tag(untag(x) + 1000); }
  void init_entry(void*& x) const override { x = tag(7); }
};

TEST(Array, TwoDimensionalArrays) {
  RecordingErrorHandler errors;
  TaggedArray2 A(-1, 1, 2, 4);
  A.init(-1, 1, 2, 4);
  A.entry(0, 3) = tag(5);
  EXPECT_EQ(untag(A.entry(0, 3)), 5);
  EXPECT_EQ(untag(A.entry(1, 4)), 7);
  EXPECT_EQ(errors.raisedBy([&] { A.entry(2, 3); }), (GraphlibError{2, "array::entry index out of range"}));
  EXPECT_EQ(errors.raisedBy([&] { A.entry(0, 5); }), (GraphlibError{2, "array::entry index out of range"}));
  EXPECT_EQ(errors.raisedBy([&] { A.entry(0, 1); }), (GraphlibError{2, "array::entry index out of range"}));
  EXPECT_EQ(errors.raisedBy([&] { A.init(0, 2, 2, 4); }), (GraphlibError{2, "array::inf index out of range"}));
  EXPECT_EQ(errors.raisedBy([&] { A.init(0, 0, 2, 9); }), (GraphlibError{2, "array::entry index out of range"}));
  EXPECT_EQ(errors.raisedBy([] { gen_array2 B(3, 2, 0, 0); }), (GraphlibError{1, "array: bad array bounds [3..2]"}));
  A.entry(0, 3) = tag(5);

  TaggedArray2 B(0, 0, 0, 0);
  B = A;
  EXPECT_EQ(B.Low1, -1);
  EXPECT_EQ(B.High2, 4);
  EXPECT_EQ(untag(B.entry(0, 3)), 1005) << "assignment copies with this object's hook";
  B.entry(0, 3) = tag(6);
  EXPECT_EQ(untag(A.entry(0, 3)), 5) << "rows are not shared";
  B = *&B;
  EXPECT_EQ(untag(B.entry(0, 3)), 6);
  EXPECT_EQ(untag(B.entry(-1, 2)), 1007);

  // The copy constructor runs the base class's hook, which empties the copies.
  TaggedArray2 C(A);
  EXPECT_EQ(C.entry(0, 3), nullptr);
  EXPECT_NE(C.row(0), A.row(0));

  A.clear();
  EXPECT_EQ(untag(A.entry(1, 2)), -2);

  gen_array2 D(2, 3);
  EXPECT_EQ(D.High1, 1);
  EXPECT_EQ(D.High2, 2);
  D.init(0, 1, 0, 2);
  EXPECT_EQ(D.entry(1, 2), nullptr);
}

}  // namespace
