#include "engine/internal/EndSet.h"

#include <gtest/gtest.h>

#include <list>
#include <random>
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

// The visiting order written out with one list per bucket.
class ReferenceEnds {
 public:
  void offer(int e) {
    if (m_held + 1 > m_buckets.size()) {
      std::size_t count = m_buckets.size();
      for (std::size_t c : {389u, 769u, 1543u, 3079u, 6151u, 12289u})
        if (count < m_held + 1 && c >= m_held + 1) count = c;
      std::vector<std::list<int> > grown(count);
      for (const std::list<int>& chain : m_buckets)
        for (int v : chain) grown[bucketOf(v, count)].push_front(v);
      m_buckets.swap(grown);
    }
    std::list<int>& chain = m_buckets[bucketOf(e, m_buckets.size())];
    for (int v : chain)
      if (v == e) return;
    chain.push_front(e);
    ++m_held;
  }
  void clear() {
    for (std::list<int>& chain : m_buckets) chain.clear();
    m_held = 0;
  }
  std::vector<int> order() const {
    std::vector<int> all;
    for (const std::list<int>& chain : m_buckets) all.insert(all.end(), chain.begin(), chain.end());
    return all;
  }

 private:
  static std::size_t bucketOf(int e, std::size_t count) { return static_cast<unsigned>(e) % count; }
  std::vector<std::list<int> > m_buckets = std::vector<std::list<int> >(193);
  std::size_t m_held = 0;
};

TEST(EndSet, RandomOffersAndClearsVisitAsOneListPerBucket) {
  std::mt19937 random(5);
  EndSet ends;
  ReferenceEnds reference;
  for (int round = 0; round < 300; ++round) {
    // Mostly positions of a long pivot, now and then a negative or a far end,
    // and rounds large enough to grow the buckets.
    const int offers = static_cast<int>(random() % (round % 10 == 0 ? 2000 : 120));
    const int range = round % 7 == 0 ? 5000 : 400;
    for (int k = 0; k < offers; ++k) {
      int e = static_cast<int>(random() % range);
      if (random() % 50 == 0) e = -e - 1;
      ends.offer(e);
      reference.offer(e);
    }
    ASSERT_EQ(ends.inVisitOrder(), reference.order()) << "round " << round;
    ends.clear();
    reference.clear();
  }
}

}  // namespace
