#include "engine/PlacementCache.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "SyntheticStructure.h"

namespace {

using testing_support::randomRigidMotion;

// Values of placement k: k itself, so every find can be checked.
using IntCache = PlacementCache<int>;

TEST(PlacementCache, FindsOnlyTheVeryPlacementKept) {
  IntCache cache;
  const RigidTrans3 t = randomRigidMotion(3);
  EXPECT_EQ(cache.find(0, 1, t), nullptr);
  EXPECT_EQ(cache.insert(0, 1, t, 7), 7);
  ASSERT_NE(cache.find(0, 1, t), nullptr);
  EXPECT_EQ(*cache.find(0, 1, t), 7);
  // Another pivot, another structure, a transformation one bit away: not found.
  EXPECT_EQ(cache.find(1, 1, t), nullptr);
  EXPECT_EQ(cache.find(0, 2, t), nullptr);
  Vector3 moved = t.translation();
  moved[0] = std::nextafter(moved[0], 1e9f);
  EXPECT_EQ(cache.find(0, 1, RigidTrans3(t.rotation(), moved)), nullptr);
  // A second insert keeps the first value.
  EXPECT_EQ(cache.insert(0, 1, t, 9), 7);
  EXPECT_EQ(cache.size(), 1u);
  cache.clear();
  EXPECT_EQ(cache.size(), 0u);
  EXPECT_EQ(cache.find(0, 1, t), nullptr);
}

TEST(PlacementCache, ThreadsLookingUpAndKeepingAtOnceAgree) {
  std::vector<RigidTrans3> placements;
  for (unsigned k = 0; k < 200; ++k) placements.push_back(randomRigidMotion(k + 1));
  IntCache cache;
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int round = 0; round < 3; ++round)
        for (std::size_t q = 0; q < placements.size(); ++q) {
          const std::size_t k = (q * 7 + static_cast<std::size_t>(t) * 13) % placements.size();
          const int id = static_cast<int>(k % 5);
          const int* found = cache.find(0, id, placements[k]);
          const int value = found ? *found : cache.insert(0, id, placements[k], static_cast<int>(k));
          if (value != static_cast<int>(k)) ++wrong;
        }
    });
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_EQ(cache.size(), placements.size());
}

}  // namespace
