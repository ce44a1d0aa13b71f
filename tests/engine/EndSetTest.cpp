#include "engine/EndSet.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

TEST(EndSet, SmallEndsAreVisitedInAscendingOrder) {
  EndSet ends;
  for (int e : {20, 15, 3, 192, 0, 15}) ends.offer(e);
  EXPECT_EQ(ends.inVisitOrder(), (std::vector<int>{0, 3, 15, 20, 192}));
  EXPECT_EQ(ends.size(), 5u);
}

TEST(EndSet, EndsSharingABucketAreVisitedNewestFirst) {
  EndSet ends;
  ends.offer(5);
  ends.offer(198);
  EXPECT_EQ(ends.inVisitOrder(), (std::vector<int>{198, 5}));
}

TEST(EndSet, EndBeyondTheBucketCountComesInItsBucket) {
  EndSet ends;
  ends.offer(150);
  ends.offer(200);  // bucket 7
  EXPECT_EQ(ends.inVisitOrder(), (std::vector<int>{200, 150}));
}

TEST(EndSet, GrowthRehashesIntoLargerBuckets) {
  EndSet ends;
  ends.offer(5);
  ends.offer(198);
  for (int e = 1000; ends.size() < 193; ++e) ends.offer(e);
  EXPECT_EQ(ends.bucketCount(), 193u);
  ends.offer(1000);  // a duplicate still counts for growth: 193 held + 1 > 193
  EXPECT_EQ(ends.bucketCount(), 389u);
  EXPECT_EQ(ends.size(), 193u);
  std::vector<int> order = ends.inVisitOrder();
  std::size_t at5 = 0, at198 = 0;
  for (std::size_t k = 0; k < order.size(); ++k) {
    if (order[k] == 5) at5 = k;
    if (order[k] == 198) at198 = k;
  }
  EXPECT_LT(at5, at198);
}

TEST(EndSet, RehashReversesAChainThatStaysTogether) {
  // 5 and 5 + 193 * 389 share a bucket under both counts.
  const int other = 5 + 193 * 389;
  auto position = [](const std::vector<int>& order, int e) {
    for (std::size_t k = 0; k < order.size(); ++k)
      if (order[k] == e) return k;
    return order.size();
  };
  EndSet ends;
  ends.offer(5);
  ends.offer(other);
  EXPECT_LT(position(ends.inVisitOrder(), other), position(ends.inVisitOrder(), 5));
  for (int e = 1000; ends.size() < 194; ++e) ends.offer(e);
  ASSERT_EQ(ends.bucketCount(), 389u);
  std::vector<int> order = ends.inVisitOrder();
  EXPECT_LT(position(order, 5), position(order, other));
  EXPECT_LT(position(order, other), order.size());
}

TEST(EndSet, ClearKeepsTheBucketCount) {
  EndSet ends;
  for (int e = 0; e < 400; ++e) ends.offer(e);
  EXPECT_EQ(ends.bucketCount(), 769u);
  ends.clear();
  EXPECT_EQ(ends.size(), 0u);
  EXPECT_TRUE(ends.inVisitOrder().empty());
  EXPECT_EQ(ends.bucketCount(), 769u);
  // Bucket 1 and bucket 2 of 769; with 193 buckets 770 would come last.
  ends.offer(770);
  ends.offer(2);
  EXPECT_EQ(ends.inVisitOrder(), (std::vector<int>{770, 2}));
}

TEST(EndSet, HoldsEveryOfferedEndOnce) {
  EndSet ends;
  std::set<int> expected;
  unsigned x = 12345;
  for (int k = 0; k < 5000; ++k) {
    x = x * 1103515245u + 12345u;
    int e = static_cast<int>((x >> 8) % 3000);
    ends.offer(e);
    expected.insert(e);
  }
  std::vector<int> order = ends.inVisitOrder();
  EXPECT_EQ(order.size(), expected.size());
  EXPECT_EQ(std::set<int>(order.begin(), order.end()), expected);
}

}  // namespace
