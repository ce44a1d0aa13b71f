#include "engine/internal/EndSet.h"

#include <algorithm>

namespace {

// Bucket counts, each about twice the one before.
const unsigned long kBucketCounts[] = {
    193ul,       389ul,       769ul,        1543ul,       3079ul,       6151ul,        12289ul,
    24593ul,     49157ul,     98317ul,      196613ul,     393241ul,     786433ul,      1572869ul,
    3145739ul,   6291469ul,   12582917ul,   25165843ul,   50331653ul,   100663319ul,   201326611ul,
    402653189ul, 805306457ul, 1610612741ul, 3221225473ul, 4294967291ul};

std::size_t nextBucketCount(std::size_t wanted) {
  const unsigned long* first = kBucketCounts;
  const unsigned long* last = kBucketCounts + sizeof(kBucketCounts) / sizeof(kBucketCounts[0]);
  const unsigned long* p = std::lower_bound(first, last, static_cast<unsigned long>(wanted));
  return p == last ? *(last - 1) : *p;
}

}  // namespace

EndSet::EndSet() : m_heads(kBucketCounts[0], kNone), m_held(0) {}

void EndSet::growFor(std::size_t wanted) {
  const std::size_t old = m_heads.size();
  if (wanted <= old) return;
  const std::size_t buckets = nextBucketCount(wanted);
  if (buckets <= old) return;
  std::vector<int> heads(buckets, kNone);
  for (std::size_t b = 0; b < old; ++b) {
    int node = m_heads[b];
    while (node != kNone) {
      const int next = m_nodes[node].next;
      const std::size_t nb = bucketOf(m_nodes[node].value, buckets);
      m_nodes[node].next = heads[nb];
      heads[nb] = node;
      node = next;
    }
  }
  m_heads.swap(heads);
}

bool EndSet::holds(int e) const {
  for (int node = m_heads[bucketOf(e, m_heads.size())]; node != kNone; node = m_nodes[node].next)
    if (m_nodes[node].value == e) return true;
  return false;
}

void EndSet::add(int e) {
  const std::size_t b = bucketOf(e, m_heads.size());
  m_nodes.push_back(Node{e, m_heads[b]});
  m_heads[b] = static_cast<int>(m_nodes.size() - 1);
  ++m_held;
}

void EndSet::clear() {
  // Only the buckets and flags in use need resetting.
  for (const Node& node : m_nodes) {
    m_heads[bucketOf(node.value, m_heads.size())] = kNone;
    if (node.value >= 0) m_present[static_cast<std::size_t>(node.value)] = 0;
  }
  m_nodes.clear();
  m_held = 0;
}

std::vector<int> EndSet::inVisitOrder() const {
  std::vector<int> order;
  order.reserve(m_held);
  for (int head : m_heads)
    for (int node = head; node != kNone; node = m_nodes[node].next) order.push_back(m_nodes[node].value);
  return order;
}
