#pragma once
// The set of end residues collected at one position of the covering-set sweep.
// Its visiting order decides which of equally long sets and equally scored
// seeds the bounded heaps keep, so it is a chained hash set of its own with a
// fixed bucket sequence (a standard unordered set leaves its order to the
// library): identity hash, new ends at the front of their chain, buckets
// visited in ascending order, and a rehash that moves the chains old bucket
// by old bucket, front to back, each end to the front of its new chain.
#include <cstddef>
#include <vector>

class EndSet {
 public:
  EndSet();

  // Adds e unless it is held already; grows first when the number held plus
  // one exceeds the bucket count, duplicates included.
  void offer(int e);
  // Forgets every end; the bucket count stays.
  void clear();

  std::size_t size() const { return m_held; }
  std::size_t bucketCount() const { return m_heads.size(); }

  // The ends in visiting order.
  std::vector<int> inVisitOrder() const;

 private:
  static constexpr int kNone = -1;

  struct Node {
    int value;
    int next;
  };

  std::size_t bucketOf(int e, std::size_t buckets) const {
    return static_cast<std::size_t>(static_cast<unsigned>(e)) % buckets;
  }
  void growFor(std::size_t wanted);

  std::vector<int> m_heads;   // first node of each bucket's chain
  std::vector<Node> m_nodes;  // every held end; chains link them by index
  std::size_t m_held;
};
