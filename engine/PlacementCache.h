#pragma once
// Values worked out for a structure placed on a pivot by a rigid
// transformation, kept so that the next seed placing that structure the very
// same way finds them: the seeds of one pivot share their fragment pairs, and
// so their transformations, again and again. A placement is found only by the
// transformation's very bits, so a value found is the value that would be
// worked out anew. One cache serves one pivot's work under one set of
// parameters and distances. Safe for several threads at once.
#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

#include "geometry/RigidTrans3.h"

struct Placement {
  int ref;
  int id;
  std::array<std::uint32_t, 12> bits;  // rotation by rows, then translation

  static Placement of(int ref, int id, const RigidTrans3& trans);
  bool operator==(const Placement& o) const { return ref == o.ref && id == o.id && bits == o.bits; }
};

struct PlacementHash {
  std::size_t operator()(const Placement& p) const;
};

template <class Value>
class PlacementCache {
 public:
  // The value kept for structure `id` placed on pivot `ref` by `trans`, or null.
  const Value* find(int ref, int id, const RigidTrans3& trans) const {
    const Placement key = Placement::of(ref, id, trans);
    const std::size_t h = PlacementHash()(key);
    const Shard& shard = m_shards[shardOf(h)];
    std::lock_guard<std::mutex> lock(shard.mutex);
    const auto it = shard.values.find(key);
    return it == shard.values.end() ? nullptr : &it->second;
  }

  // Keeps the value unless one is kept already; returns the kept one, which
  // stays in place until clear() (map nodes do not move as the table grows).
  const Value& insert(int ref, int id, const RigidTrans3& trans, Value value) {
    const Placement key = Placement::of(ref, id, trans);
    Shard& shard = m_shards[shardOf(PlacementHash()(key))];
    std::lock_guard<std::mutex> lock(shard.mutex);
    return shard.values.emplace(key, std::move(value)).first->second;
  }

  // Frees every value; none found before may be used after.
  void clear() {
    for (Shard& shard : m_shards) {
      std::lock_guard<std::mutex> lock(shard.mutex);
      std::unordered_map<Placement, Value, PlacementHash>().swap(shard.values);
    }
  }

  std::size_t size() const {
    std::size_t n = 0;
    for (const Shard& shard : m_shards) {
      std::lock_guard<std::mutex> lock(shard.mutex);
      n += shard.values.size();
    }
    return n;
  }

 private:
  // Workers refining one pivot's seeds look placements up all the time: the
  // entries are spread over several locks so that they seldom wait.
  static constexpr std::size_t kShards = 16;
  static std::size_t shardOf(std::size_t hash) { return (hash >> 40) % kShards; }

  struct Shard {
    mutable std::mutex mutex;
    std::unordered_map<Placement, Value, PlacementHash> values;
  };
  Shard m_shards[kShards];
};

// Per placement, the pivot residues it covers in seed scoring (one bit each).
class CoreHitCache : public PlacementCache<std::vector<std::uint64_t> > {};
