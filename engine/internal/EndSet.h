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
  void offer(int e) {
    if (m_held + 1 > m_heads.size()) growFor(m_held + 1);
    if (e >= 0) {
      // Ends are residue positions: a flag per position answers "held?"
      // without walking a chain.
      const std::size_t at = static_cast<std::size_t>(e);
      if (at >= m_present.size()) m_present.resize(at + 1, 0);
      if (m_present[at]) return;
      m_present[at] = 1;
    } else if (holds(e)) {
      return;
    }
    add(e);
  }
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
  bool holds(int e) const;
  void add(int e);

  std::vector<int> m_heads;   // first node of each bucket's chain
  std::vector<Node> m_nodes;  // every held end; chains link them by index
  std::size_t m_held;
  std::vector<unsigned char> m_present;  // per non-negative end: held now
};
