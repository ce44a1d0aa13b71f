// The flat grid reports exactly what the grid hash reports for the same points
// and queries, in the same order: random clouds, points on cell boundaries
// (exact and negative multiples of the size), points spread too far for a flat
// array, points that are not finite, and queries of every radius.
#include "geometry/PointGrid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "geometry/GeomHash.h"

namespace {

std::vector<int> fromHash(const std::vector<Vector3>& points, float size, const Vector3& p, float r) {
  GeomHash<Vector3, int> hash(3, size);
  for (std::size_t k = 0; k < points.size(); ++k) hash.insert(points[k], static_cast<int>(k));
  HashResult<int> result;
  hash.query(p, r, result);
  std::vector<int> found;
  for (auto it = result.begin(); it != result.end(); ++it) found.push_back(*it);
  return found;
}

std::vector<int> fromGrid(PointGrid& grid, const Vector3& p, float r) {
  std::vector<int> found;
  grid.forEachNear(p, r, [&](int k) { found.push_back(k); });
  return found;
}

TEST(PointGrid, ReportsWhatTheGridHashReports) {
  std::mt19937 random(77);
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  PointGrid grid;  // one grid for every set: stale buffers would show
  for (int trial = 0; trial < 120; ++trial) {
    const float size = std::uniform_real_distribution<float>(0.5f, 8.0f)(random);
    const int kind = trial % 4;
    std::vector<Vector3> points;
    const int count = static_cast<int>(random() % 60);
    for (int k = 0; k < count; ++k) {
      auto coordinate = [&]() {
        if (kind == 1) return size * static_cast<float>(static_cast<int>(random() % 9) - 4);  // on cell bounds
        if (kind == 2 && random() % 8 == 0) return std::uniform_real_distribution<float>(-1e7f, 1e7f)(random);
        return std::uniform_real_distribution<float>(-30.0f, 30.0f)(random);
      };
      points.emplace_back(coordinate(), coordinate(), coordinate());
      if (kind == 3 && random() % 10 == 0) points.back()[static_cast<int>(random() % 3)] = random() % 2 ? inf : nan;
    }
    grid.build(points, size);
    std::vector<Vector3> queries = points;
    for (int q = 0; q < 20; ++q)
      queries.emplace_back(std::uniform_real_distribution<float>(-35.0f, 35.0f)(random),
                           std::uniform_real_distribution<float>(-35.0f, 35.0f)(random),
                           std::uniform_real_distribution<float>(-35.0f, 35.0f)(random));
    queries.emplace_back(nan, 0.0f, 0.0f);
    queries.emplace_back(0.0f, -inf, 0.0f);
    for (const Vector3& p : queries)
      for (float r : {size, 0.5f * size, 2.5f * size, 0.0f}) {
        SCOPED_TRACE(testing::Message() << "trial " << trial << " size " << size << " radius " << r << " at "
                                        << p[0] << "," << p[1] << "," << p[2]);
        ASSERT_EQ(fromGrid(grid, p, r), fromHash(points, size, p, r));
      }
  }
}

}  // namespace
