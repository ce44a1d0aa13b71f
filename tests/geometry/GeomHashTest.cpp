#include "geometry/GeomHash.h"

#include <gtest/gtest.h>
#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's count (GCC ships no header for it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <tuple>
#include <vector>

#include "RandomGeometry.h"
#include "geometry/Vector3.h"

using testing_support::RandomGeometry;

namespace {

using IntHash = GeomHash<Vector3, int>;
using IntResult = HashResult<int>;
using Cell = std::tuple<long long, long long, long long>;  // (z, y, x)

// The grid cell by the rule "truncate toward zero, one lower below zero",
// written independently of the hash.
long long cellOf(float x, float size) {
  const double q = double(x) / double(size);
  const long long t = q < 0 ? -(long long)std::floor(-q) : (long long)std::floor(q);
  return x < 0 ? t - 1 : t;
}

Cell cellOf(const Vector3& p, float size) { return Cell(cellOf(p.z, size), cellOf(p.y, size), cellOf(p.x, size)); }

std::vector<int> valuesOf(const IntResult& result) {
  std::vector<int> out;
  for (auto it = result.begin(); it != result.end(); ++it) out.push_back(*it);
  return out;
}

// What a query must return: the values of every non-empty cell of the box,
// cells ordered by (z, y, x), values in insertion order within a cell.
std::vector<int> bruteForce(const std::vector<Vector3>& pts, const Vector3& q, float r, float size) {
  std::map<Cell, std::vector<int>> cells;
  for (size_t i = 0; i < pts.size(); ++i) cells[cellOf(pts[i], size)].push_back(int(i));
  const Cell lo = cellOf(Vector3(q.x - r, q.y - r, q.z - r), size);
  const Cell hi = cellOf(Vector3(q.x + r, q.y + r, q.z + r), size);
  std::vector<int> out;
  for (const auto& entry : cells) {
    const Cell& c = entry.first;
    if (std::get<0>(c) < std::get<0>(lo) || std::get<0>(c) > std::get<0>(hi)) continue;
    if (std::get<1>(c) < std::get<1>(lo) || std::get<1>(c) > std::get<1>(hi)) continue;
    if (std::get<2>(c) < std::get<2>(lo) || std::get<2>(c) > std::get<2>(hi)) continue;
    out.insert(out.end(), entry.second.begin(), entry.second.end());
  }
  return out;
}

void checkAgainstBruteForce(RandomGeometry& rnd, const std::vector<Vector3>& pts, float size, int queries,
                            double queryRange) {
  IntHash hash(3, size);
  for (size_t i = 0; i < pts.size(); ++i) hash.insert(pts[i], int(i));
  IntResult result;
  for (int k = 0; k < queries; ++k) {
    const Vector3 q = k % 3 == 0 ? pts[size_t(rnd.integer(0, int(pts.size()) - 1))] : rnd.point(queryRange);
    const float r = float(rnd.uniform(0.0, 3.0 * size));
    hash.query(q, r, result);
    const std::vector<int> got = valuesOf(result);
    ASSERT_EQ(got, bruteForce(pts, q, r, size)) << "query " << k;
    // Every point within r is among the candidates.
    for (size_t i = 0; i < pts.size(); ++i) {
      if (dist2(pts[i], q) <= double(r) * r) {
        EXPECT_NE(std::find(got.begin(), got.end(), int(i)), got.end()) << "query " << k << " lost point " << i;
      }
    }
    result.clear();
  }
}

// Bytes the allocator has handed out and not taken back.
size_t allocatedBytes() {
#if defined(__SANITIZE_ADDRESS__)
  return __sanitizer_get_current_allocated_bytes();
#else
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
#endif
}

struct Counter {
  int atom;
  int slot;
  bool used;
};

}  // namespace

TEST(GeomHash, CellIndex) {
  const struct {
    float x, size;
    int cell;
  } cases[] = {{-1.0f, 1.0f, -2}, {-0.5f, 1.0f, -1}, {-2.0f, 1.0f, -3}, {0.0f, 1.0f, 0}, {-0.0f, 1.0f, 0},
               {0.999f, 1.0f, 0},  {1.0f, 1.0f, 1},   {7.5f, 3.0f, 2},   {-6.0f, 3.0f, -3}, {-6.1f, 3.0f, -3},
               {40000.0f, 1.0f, 40000}, {-40000.0f, 1.0f, -40001}, {-150.0f, 0.00390625f, -38401}};
  using Link = HashLink<Vector3, int>;
  for (const auto& c : cases) EXPECT_EQ(Link::cube(c.x, c.size), c.cell) << c.x << " / " << c.size;
}

TEST(GeomHash, CellIndexOfHugeQuotientsIsClampedMonotonically) {
  using Link = HashLink<Vector3, int>;
  EXPECT_EQ(Link::cube(1e30f, 0.001f), 1 << 30);
  EXPECT_EQ(Link::cube(-1e30f, 0.001f), -(1 << 30) - 1);
  EXPECT_LE(Link::cube(2e9f, 1.0f), Link::cube(3e9f, 1.0f));
  EXPECT_LE(Link::cube(-3e9f, 1.0f), Link::cube(-2e9f, 1.0f));
  EXPECT_EQ(Link::cube(std::numeric_limits<float>::infinity(), 1.0f), 1 << 30);
}

TEST(GeomHash, RefusesUnusableCellSizes) {
  for (float size : {0.0f, -1.0f, -0.0f, std::nanf(""), std::numeric_limits<float>::infinity()})
    EXPECT_THROW(IntHash(3, size), std::invalid_argument) << size;
  EXPECT_THROW(IntHash(0, 1.0f), std::invalid_argument);
  try {
    IntHash(3, -2.5f);
  } catch (const std::invalid_argument& e) {
    EXPECT_NE(std::string(e.what()).find("cell size"), std::string::npos);
  }
}

TEST(GeomHash, LeafRangeGrowth) {
  GeomHash<Vector3, int> hash(1, 1.0f);  // one level: the top is a leaf keyed on x
  hash.insert(Vector3(10.5f, 0, 0), 1);
  EXPECT_EQ(hash.top().lowest(), 9);
  EXPECT_EQ(hash.top().highest(), 11);
  hash.insert(Vector3(7.5f, 0, 0), 2);  // two cells left of the range
  EXPECT_EQ(hash.top().lowest(), 5);
  EXPECT_EQ(hash.top().highest(), 11);
  hash.insert(Vector3(13.0f, 0, 0), 3);
  EXPECT_EQ(hash.top().highest(), 15);
  // The containers moved with their cells.
  ASSERT_NE(hash.top().container(10), nullptr);
  EXPECT_EQ(*hash.top().container(10), std::vector<int>{1});
  EXPECT_EQ(*hash.top().container(7), std::vector<int>{2});
  EXPECT_EQ(*hash.top().container(13), std::vector<int>{3});
  EXPECT_EQ(hash.top().container(8), nullptr);
}

TEST(GeomHash, InnerRangeGrowth) {
  IntHash hash(3, 1.0f);
  hash.insert(Vector3(0.5f, 0.5f, 20.5f), 1);
  const auto& top = hash.top();
  EXPECT_EQ(top.lowest(), 18);  // z: 2k + 1 cells at level 2
  EXPECT_EQ(top.highest(), 22);
  EXPECT_EQ(top.child(20).lowest(), -1);  // y: 3 cells at level 1
  EXPECT_EQ(top.child(20).highest(), 1);
  EXPECT_TRUE(top.child(19).empty());
  hash.insert(Vector3(0.5f, 0.5f, 10.5f), 2);  // widened by k = 2 beyond the new cell
  EXPECT_EQ(top.lowest(), 8);
  EXPECT_EQ(top.highest(), 22);
  EXPECT_EQ(top.child(20).child(0).container(0)->front(), 1);
  EXPECT_EQ(top.child(10).child(0).container(0)->front(), 2);
  hash.insert(Vector3(0.5f, 5.5f, 20.5f), 3);  // middle level widened by k = 1
  EXPECT_EQ(top.child(20).highest(), 6);
}

TEST(GeomHash, QueriesMatchBruteForce) {
  RandomGeometry rnd(42);
  std::vector<Vector3> pts = rnd.cloud(400, 20);
  // Points on cell boundaries, negative multiples included, and duplicates.
  for (int i = -6; i <= 6; ++i) pts.push_back(Vector3(float(i) * 1.5f, float(-i) * 1.5f, 0.0f));
  pts.push_back(pts[3]);
  pts.push_back(pts[3]);
  checkAgainstBruteForce(rnd, pts, 1.5f, 300, 25);
}

TEST(GeomHash, QueriesMatchBruteForceWithLargeCoordinatesAndSmallCells) {
  RandomGeometry rnd(43);
  // 0.004 and +-150 span 75,000 cells per axis, beyond a 16-bit range.
  checkAgainstBruteForce(rnd, rnd.cloud(300, 150), 0.004f, 200, 150);
  std::vector<Vector3> far = rnd.cloud(100, 9000);
  far.push_back(Vector3(9999.0f, -9999.0f, 9999.0f));
  checkAgainstBruteForce(rnd, far, 0.05f, 100, 9000);
}

// With 16-bit cell indices these would share a cell (65,536 cells apart) or
// straddle the wrap-around, and queries would return wrong or no candidates.
TEST(GeomHash, CellsFarApartStayApart) {
  const float size = 0.00390625f;  // 2^-8: cell k starts at k / 256
  IntHash hash(3, size);
  const Vector3 a(130.0f, 130.0f, 130.0f), b(130.0f - 256.0f, 130.0f - 256.0f, 130.0f - 256.0f);
  hash.insert(a, 1);
  hash.insert(b, 2);
  const float wrap = 32768.0f * size;  // where a 16-bit index wraps
  hash.insert(Vector3(wrap - 0.001f, 0, 0), 3);
  hash.insert(Vector3(wrap + 0.001f, 0, 0), 4);
  IntResult result;
  hash.query(a, 0.001f, result);
  EXPECT_EQ(valuesOf(result), std::vector<int>{1});
  result.clear();
  hash.query(b, 0.001f, result);
  EXPECT_EQ(valuesOf(result), std::vector<int>{2});
  result.clear();
  hash.query(Vector3(wrap, 0, 0), 0.002f, result);
  EXPECT_EQ(valuesOf(result), (std::vector<int>{3, 4}));
}

TEST(GeomHash, ZeroRadiusFarQueryAndAccumulation) {
  IntHash hash(3, 2.0f);
  hash.insert(Vector3(1, 1, 1), 10);
  hash.insert(Vector3(1.5f, 1.5f, 1.5f), 11);
  hash.insert(Vector3(9, 9, 9), 20);
  IntResult result;
  hash.query(Vector3(0.5f, 0.5f, 0.5f), 0.0f, result);
  EXPECT_EQ(valuesOf(result), (std::vector<int>{10, 11}));  // own cell, insertion order
  hash.query(Vector3(9.5f, 9.5f, 9.5f), 0.0f, result);    // not cleared: both queries listed
  EXPECT_EQ(valuesOf(result), (std::vector<int>{10, 11, 20}));
  result.clear();
  hash.query(Vector3(500, 500, 500), 3.0f, result);
  EXPECT_EQ(result.size(), 0u);
  EXPECT_TRUE(result.begin() == result.end());
  hash.query(Vector3(0, 0, 0), -1.0f, result);
  EXPECT_EQ(result.size(), 0u);
}

TEST(GeomHash, NonFinitePointsAreNotStoredAndNotFound) {
  IntHash hash(3, 1.0f);
  const float nan = std::nanf(""), inf = std::numeric_limits<float>::infinity();
  hash.insert(Vector3(nan, 0, 0), 1);
  hash.insert(Vector3(0, inf, 0), 2);
  EXPECT_TRUE(hash.top().empty());
  hash.insert(Vector3(0.5f, 0.5f, 0.5f), 3);
  IntResult result;
  hash.query(Vector3(nan, 0, 0), 1.0f, result);
  hash.query(Vector3(0, 0, 0), nan, result);
  EXPECT_EQ(result.size(), 0u);
  hash.query(Vector3(0, 0, 0), inf, result);
  EXPECT_EQ(valuesOf(result), std::vector<int>{3});
}

TEST(GeomHash, HashResultGrowsBeforeTheLastFreeEntry) {
  IntHash hash(1, 1.0f);
  for (int i = 0; i < 40; ++i) hash.insert(Vector3(float(i) + 0.5f, 0, 0), i);
  IntResult result;
  EXPECT_EQ(result.capacity(), 32u);
  EXPECT_EQ(result[0], nullptr);
  hash.query(Vector3(15.5f, 0, 0), 15.0f, result);  // cells 0..30: 31 cells
  EXPECT_EQ(result.size(), 31u);
  EXPECT_EQ(result.capacity(), 32u);
  EXPECT_EQ(result[31], nullptr);
  hash.query(Vector3(31.5f, 0, 0), 0.0f, result);  // the 32nd cell
  EXPECT_EQ(result.size(), 32u);
  EXPECT_EQ(result.capacity(), 64u);
  EXPECT_EQ(result[32], nullptr);
  std::vector<int> expected;
  for (int i = 0; i < 32; ++i) expected.push_back(i);
  EXPECT_EQ(valuesOf(result), expected);
  const IntResult copy = result;
  EXPECT_EQ(valuesOf(copy), expected);
  result.clear();
  EXPECT_TRUE(result.begin() == result.end());
  EXPECT_EQ(result.capacity(), 64u);
}

TEST(GeomHash, EraseThenReinsert) {
  IntHash hash(3, 1.0f);
  for (int i = 0; i < 10; ++i) hash.insert(Vector3(float(i), 0, 0), i);
  hash.erase();
  EXPECT_TRUE(hash.top().empty());
  IntResult result;
  hash.query(Vector3(5, 0, 0), 10.0f, result);
  EXPECT_EQ(result.size(), 0u);
  hash.insert(Vector3(-40.5f, 3, 3), 7);  // far from the old bounds: the range is reset
  EXPECT_EQ(hash.top().lowest(), 1);
  hash.query(Vector3(-40.5f, 3, 3), 0.5f, result);
  EXPECT_EQ(valuesOf(result), std::vector<int>{7});
}

TEST(GeomHash, IteratorWalksCellsAndAllowsUpdates) {
  GeomHash<Vector3, Counter> hash(3, 1.0f);
  hash.insert(Vector3(0.5f, 0.5f, 0.5f), Counter{1, 0, false});
  hash.insert(Vector3(0.5f, 0.5f, 0.5f), Counter{2, 0, false});
  hash.insert(Vector3(1.5f, 0.5f, 0.5f), Counter{3, 1, false});
  HashResult<Counter> result;
  hash.query(Vector3(1, 0.5f, 0.5f), 0.6f, result);
  auto it = result.begin();
  EXPECT_EQ(it->atom, 1);
  auto old = it++;
  EXPECT_EQ(old->atom, 1);
  EXPECT_EQ(it->atom, 2);
  ++it;
  EXPECT_EQ(it->atom, 3);
  it->used = true;  // callers mark values through the iterator
  ++it;
  EXPECT_TRUE(it == result.end());
  result.clear();
  hash.query(Vector3(1.5f, 0.5f, 0.5f), 0.0f, result);
  EXPECT_TRUE(result.begin()->used);
}

// Points hundreds of millions of cells apart along every axis: a contiguous
// range between them would take gigabytes; the hash keeps to the points.
TEST(GeomHash, MemoryStaysProportionalToThePointsHeldWhateverTheCellSize) {
  const float size = 1e-3f;
  const float spacing = 2.5e8f * size;  // 2.5e8 cells
  std::vector<Vector3> pts;
  for (int z = -4; z <= 4; ++z)
    for (int y = -4; y <= 4; ++y)
      for (int x = -4; x <= 4; ++x)
        pts.push_back(Vector3(float(x) * spacing, float(y) * spacing + 0.5f, float(z) * spacing - 0.25f));
  const size_t before = allocatedBytes();
  IntHash hash(3, size);
  for (size_t i = 0; i < pts.size(); ++i) hash.insert(pts[i], int(i));
  const size_t grown = allocatedBytes() - before;
  EXPECT_LT(grown, pts.size() * 2048) << "bytes for " << pts.size() << " points";
  EXPECT_TRUE(hash.top().sparse());
  IntResult result;
  for (size_t i = 0; i < pts.size(); ++i) {
    hash.query(pts[i], 0.0f, result);
    ASSERT_EQ(valuesOf(result), std::vector<int>{int(i)}) << i;
    result.clear();
  }
  // A box around the middle reaches exactly the 27 points next to it.
  hash.query(Vector3(0, 0, 0), 1.01f * spacing, result);
  std::vector<int> got = valuesOf(result);
  EXPECT_EQ(got, bruteForce(pts, Vector3(0, 0, 0), 1.01f * spacing, size));
  EXPECT_EQ(got.size(), 27u);
  hash.erase();
  EXPECT_TRUE(hash.top().empty());
}

// A level turns sparse once its range would grow far wider than the cells in
// use, and answers exactly as a contiguous one: same cells, same order.
TEST(GeomHash, SparseLevelsAnswerLikeContiguousOnes) {
  RandomGeometry rnd(44);
  std::vector<Vector3> pts = rnd.cloud(200, 20);
  for (int k = 0; k < 30; ++k) pts.push_back(rnd.point(20) + Vector3(float(k % 2 ? 1e5 : -1e5), 0.0f, 0.0f));
  for (int k = 0; k < 30; ++k) pts.push_back(rnd.point(20) + Vector3(0.0f, 0.0f, float(k % 2 ? 3e5 : -3e5)));
  checkAgainstBruteForce(rnd, pts, 1.0f, 300, 30);
  IntHash hash(3, 1.0f);
  for (size_t i = 0; i < pts.size(); ++i) hash.insert(pts[i], int(i));
  EXPECT_TRUE(hash.top().sparse());
  // Ordinary clouds stay contiguous.
  IntHash ordinary(3, 3.0f);
  for (const Vector3& p : rnd.cloud(500, 40)) ordinary.insert(p, 0);
  EXPECT_FALSE(ordinary.top().sparse());
}
