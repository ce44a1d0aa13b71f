#include "graphlib/base/random_source.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

using graphlib::random_source;

// Draws made by a since the last sync with its twin b (both seeded alike): b
// advances until its state matches a again.
int drawsConsumed(random_source& a, random_source& b, int limit = 64) {
  for (int n = 0; n <= limit; n++) {
    random_source probeA = a;
    random_source probeB = b;
    bool same = true;
    for (int k = 0; k < 40 && same; k++) same = probeA.get_rand31() == probeB.get_rand31();
    if (same) return n;
    b.get_rand31();
  }
  return -1;
}

TEST(RandomSource, KnownSequencesForFixedSeeds) {
  random_source r;
  r.set_seed(1);
  const uint32_t seed1[] = {2078917053u, 143302914u, 1027100827u, 1953210302u, 755253631u};
  for (uint32_t expected : seed1) EXPECT_EQ(r.get_rand31(), expected);
  r.set_seed(12345);
  const uint32_t seed12345[] = {1720401481u, 2096901210u, 1997223871u};
  for (uint32_t expected : seed12345) EXPECT_EQ(r.get_rand31(), expected);
}

TEST(RandomSource, SameSeedSameStreamAndDrawsStayBelow2To31) {
  random_source a(7);
  random_source b(3, 9);
  a.set_seed(-123456789);
  b.set_seed(-123456789);
  for (int k = 0; k < 1000; k++) {
    uint32_t x = a.get_rand31();
    ASSERT_EQ(x, b.get_rand31());
    ASSERT_LT(x, 0x80000000u);
  }
}

TEST(RandomSource, SourcesBuiltTogetherDiffer) {
  int before = random_source::count;
  random_source a;
  random_source b;
  EXPECT_EQ(random_source::count, before + 2);
  bool differ = false;
  for (int k = 0; k < 4; k++) differ = differ || a.get_rand31() != b.get_rand31();
  EXPECT_TRUE(differ);
}

TEST(RandomSource, PrecisionModes) {
  for (int prec : {0, -1, 32, 31}) {
    random_source r(prec);
    random_source twin;
    r.set_seed(99);
    twin.set_seed(99);
    for (int k = 0; k < 50; k++) ASSERT_EQ(static_cast<uint32_t>(r()), twin.get_rand31()) << "precision " << prec;
  }
  random_source r;
  random_source twin;
  r.set_seed(5);
  twin.set_seed(5);
  EXPECT_EQ(r.set_precision(5), 31);
  for (int k = 0; k < 50; k++) ASSERT_EQ(static_cast<uint32_t>(r()), twin.get_rand31() & 31u);
  EXPECT_EQ(r.set_precision(40), 5);
  EXPECT_EQ(r.set_precision(3), 40);
  for (int k = 0; k < 50; k++) ASSERT_EQ(static_cast<uint32_t>(r()), twin.get_rand31() & 7u);
}

TEST(RandomSource, HighOrderBits) {
  random_source r;
  random_source twin;
  r.set_seed(11);
  twin.set_seed(11);
  for (int k = 0; k < 50; k++) ASSERT_EQ(static_cast<uint32_t>(r(3)), twin.get_rand31() >> 28);
  for (int k = 0; k < 20; k++) ASSERT_EQ(static_cast<uint32_t>(r(31)), twin.get_rand31());
  // Out of 1..31 the bit count is clamped instead of shifting out of range.
  for (int k = 0; k < 20; k++) ASSERT_EQ(static_cast<uint32_t>(r(0)), twin.get_rand31() >> 30);
  for (int k = 0; k < 20; k++) ASSERT_EQ(static_cast<uint32_t>(r(40)), twin.get_rand31());
}

TEST(RandomSource, RangeMode) {
  {
    random_source r(5, 5);
    random_source twin;
    r.set_seed(3);
    twin.set_seed(3);
    EXPECT_EQ(r(), 5);
    EXPECT_EQ(drawsConsumed(r, twin), 1);
    EXPECT_EQ(r.set_precision(31), 31);
  }
  {
    random_source r;
    random_source twin;
    r.set_seed(3);
    twin.set_seed(3);
    r.set_range(7, 3);
    for (int k = 0; k < 5; k++) EXPECT_EQ(r(), 7);
    EXPECT_EQ(drawsConsumed(r, twin), 5);
  }
  {
    random_source r;
    random_source twin;
    r.set_seed(3);
    twin.set_seed(3);
    EXPECT_EQ(r(7, 3), 0);
    EXPECT_EQ(drawsConsumed(r, twin), 0);
  }
  {
    // [0, 4] keeps three bits of each draw and redraws 5, 6 and 7.
    random_source r;
    random_source twin;
    r.set_seed(21);
    twin.set_seed(21);
    r.set_range(0, 4);
    for (int k = 0; k < 200; k++) {
      uint32_t expected;
      do expected = twin.get_rand31() & 7u;
      while (expected > 4);
      ASSERT_EQ(static_cast<uint32_t>(r()), expected);
    }
  }
  {
    // A two-bound draw leaves the mode as it was.
    random_source r;
    random_source twin;
    r.set_seed(8);
    twin.set_seed(8);
    r.set_precision(4);
    int v = r(10, 12);
    EXPECT_GE(v, 10);
    EXPECT_LE(v, 12);
    drawsConsumed(r, twin);
    for (int k = 0; k < 20; k++) ASSERT_EQ(static_cast<uint32_t>(r()), twin.get_rand31() & 15u);
  }
}

TEST(RandomSource, RangesCoverTheirValues) {
  random_source r;
  r.set_seed(17);
  std::vector<int> seen(11, 0);
  for (int k = 0; k < 5000; k++) {
    int v = r(-5, 5);
    ASSERT_GE(v, -5);
    ASSERT_LE(v, 5);
    seen[static_cast<size_t>(v + 5)]++;
  }
  for (int n : seen) EXPECT_GT(n, 300);
}

TEST(RandomSource, VeryWideRanges) {
  random_source r;
  r.set_seed(4);
  struct Range {
    int low, high;
  };
  const Range ranges[] = {{INT_MIN, INT_MAX}, {-5, INT_MAX}, {INT_MIN, 0}, {INT_MIN, INT_MIN + 1}, {-1, INT_MAX}};
  for (const Range& range : ranges) {
    bool below = false, above = false;
    int64_t mid = range.low + (static_cast<int64_t>(range.high) - range.low) / 2;
    for (int k = 0; k < 400; k++) {
      int v = r(range.low, range.high);
      ASSERT_GE(v, range.low);
      ASSERT_LE(v, range.high);
      below = below || v <= mid;
      above = above || v > mid;
    }
    EXPECT_TRUE(below && above) << range.low << ".." << range.high;
  }
  random_source full(INT_MIN, INT_MAX);
  bool negative = false;
  for (int k = 0; k < 100; k++) negative = negative || full() < 0;
  EXPECT_TRUE(negative);
}

TEST(RandomSource, Rand32TakesASpareBitEvery31Calls) {
  random_source r;
  random_source twin;
  r.set_seed(77);
  twin.set_seed(77);
  uint32_t pool = 1;
  for (int call = 1; call <= 70; call++) {
    int expectedDraws = (call - 1) % 31 == 0 ? 2 : 1;
    if (expectedDraws == 2) pool = twin.get_rand31() | 0x80000000u;
    uint32_t expected = twin.get_rand31() | ((pool & 1u) << 31);
    pool >>= 1;
    ASSERT_EQ(r.get_rand32(), expected) << "call " << call;
  }
  EXPECT_EQ(drawsConsumed(r, twin), 0);
}

TEST(RandomSource, Extractions) {
  random_source r;
  random_source twin;
  r.set_seed(31);
  twin.set_seed(31);
  for (int k = 0; k < 20; k++) {
    bool b;
    r >> b;
    ASSERT_EQ(b, ((twin.get_rand31() >> 16) & 1u) != 0);
    char c;
    r >> c;
    ASSERT_EQ(static_cast<unsigned char>(c), twin.get_rand31() & 0xFFu);
    float f;
    r >> f;
    ASSERT_EQ(f, random_source::unit_float(twin.get_rand31()));
    double d;
    r >> d;
    ASSERT_EQ(d, random_source::unit_double(twin.get_rand31()));
    int i;
    long l;
    unsigned long ul;
    r >> i >> l >> ul;
    ASSERT_EQ(static_cast<uint32_t>(i), twin.get_rand31());
    ASSERT_EQ(static_cast<uint32_t>(l), twin.get_rand31());
    ASSERT_EQ(ul, twin.get_rand31());
  }
  EXPECT_EQ(random_source::unit_float(0x7FFFFFFFu), 1.0f);
  EXPECT_EQ(random_source::unit_double(0x7FFFFFFFu), 1.0);
  EXPECT_EQ(random_source::unit_double(0), 0.0);
  EXPECT_EQ(random_source::unit_float(0x40000000u), 0.5f);
}

TEST(RandomSource, CopyDrawsFromItsOwnTable) {
  auto original = std::make_unique<random_source>();
  original->set_seed(55);
  original->get_rand31();
  random_source copy = *original;
  random_source assigned;
  assigned = *original;
  std::vector<uint32_t> fromOriginal;
  for (int k = 0; k < 40; k++) fromOriginal.push_back(original->get_rand31());
  original.reset();  // the copies must not point into it
  for (int k = 0; k < 40; k++) {
    ASSERT_EQ(copy.get_rand31(), fromOriginal[static_cast<size_t>(k)]);
    ASSERT_EQ(assigned.get_rand31(), fromOriginal[static_cast<size_t>(k)]);
  }
}

TEST(RandomSource, GlobalSourceExists) {
  int v = graphlib::rand_int(0, 9);
  EXPECT_GE(v, 0);
  EXPECT_LE(v, 9);
}

}  // namespace
