#include "engine/PlacementCache.h"

#include <cstring>

Placement Placement::of(int ref, int id, const RigidTrans3& trans) {
  Placement p{ref, id, {}};
  float values[12];
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) values[3 * r + c] = trans.rotation()(r, c);
    values[9 + r] = trans.translation()[r];
  }
  static_assert(sizeof(values) == sizeof(p.bits), "one 32-bit word per float");
  std::memcpy(p.bits.data(), values, sizeof(values));
  return p;
}

std::size_t PlacementHash::operator()(const Placement& p) const {
  // FNV-1a over the words.
  std::uint64_t h = 1469598103934665603ull;
  auto mix = [&h](std::uint32_t w) {
    h ^= w;
    h *= 1099511628211ull;
  };
  mix(static_cast<std::uint32_t>(p.ref));
  mix(static_cast<std::uint32_t>(p.id));
  for (std::uint32_t w : p.bits) mix(w);
  return static_cast<std::size_t>(h ^ (h >> 29));
}
