#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

#include "engine/FastSeqBlock.h"
#include "geometry/GeomHash.h"
#include "geometry/Vector3.h"

namespace {

// The overlap bound ratio * m is formed in double precision: with ratio 0.7
// and m = 10 it is 6.99999988, so an overlap measure of 7 groups (a float
// product would round to 7.0 and refuse it). This is how an extended-precision
// register evaluates the mixed float * int product.
bool overlapsEnough(int startA, int endA, int startB, int endB, int m) {
  const double bound = static_cast<double>(FastSeqBlock::m_fOverlapRatio) * static_cast<double>(m);
  return static_cast<double>(std::min(endA, endB) - std::max(startA, startB)) > bound;
}

bool compatible(const FastSeqBlock& a, const FastSeqBlock& b) {
  const int m = std::min(a.l + 1, b.l + 1);
  if (std::abs((a.i - a.j) - (b.i - b.j)) > 5) return false;
  if (!overlapsEnough(a.i, a.i + a.l, b.i, b.i + b.l, m)) return false;
  return overlapsEnough(a.j, a.j + a.l, b.j, b.j + b.l, m);
}

// The diagonal offset i - j, which compatible blocks keep within 5 of each other.
long diagonalOf(const FastSeqBlock& b) { return static_cast<long>(b.i) - static_cast<long>(b.j); }

// Greedy complete-linkage grouping in input order; `choose` picks the
// representative among a group's input positions (first member first).
// Every member of a group is compatible with its first member, so only the
// later blocks within 5 diagonals of it can join: those are found through the
// input positions sorted by diagonal and then visited in input order, exactly
// as a scan of all later blocks would meet them.
template <class Choose>
std::vector<FastSeqBlock*> groupBlocks(std::vector<FastSeqBlock*>& blocks, Choose choose) {
  std::vector<FastSeqBlock*> result;
  std::vector<std::pair<long, std::size_t> > byDiagonal;
  for (std::size_t q = 0; q < blocks.size(); ++q)
    if (blocks[q]) byDiagonal.emplace_back(diagonalOf(*blocks[q]), q);
  std::sort(byDiagonal.begin(), byDiagonal.end());

  std::vector<std::size_t> candidates;
  std::vector<std::size_t> members;
  for (std::size_t first = 0; first < blocks.size(); ++first) {
    if (!blocks[first]) continue;
    const long d = diagonalOf(*blocks[first]);
    candidates.clear();
    bool ordered = true;
    for (auto it = std::lower_bound(byDiagonal.begin(), byDiagonal.end(), std::make_pair(d - 5, first + 1));
         it != byDiagonal.end() && it->first <= d + 5; ++it) {
      if (it->second <= first) {
        // Earlier positions of the next diagonal: skip to its later ones.
        it = std::lower_bound(it, byDiagonal.end(), std::make_pair(it->first, first + 1)) - 1;
        continue;
      }
      if (!blocks[it->second]) continue;
      if (!candidates.empty() && candidates.back() > it->second) ordered = false;
      candidates.push_back(it->second);
    }
    if (!ordered) std::sort(candidates.begin(), candidates.end());

    members.assign(1, first);
    for (std::size_t q : candidates) {
      bool joins = true;
      for (std::size_t member : members) {
        if (!compatible(*blocks[member], *blocks[q])) {
          joins = false;
          break;
        }
      }
      if (joins) members.push_back(q);
    }
    const std::size_t chosen = choose(blocks, members);
    for (std::size_t member : members) {
      if (member == chosen)
        result.push_back(blocks[member]);
      else
        delete blocks[member];
      blocks[member] = nullptr;
    }
  }
  return result;
}

}  // namespace

std::vector<FastSeqBlock*> FastSeqBlock::cluster(std::vector<FastSeqBlock*>& blocks) {
  return groupBlocks(blocks, [](const std::vector<FastSeqBlock*>& all, const std::vector<std::size_t>& members) {
    std::size_t best = members[0];
    for (std::size_t member : members)
      if (all[member]->l + 1 > all[best]->l + 1) best = member;
    return best;
  });
}

std::vector<FastSeqBlock*> FastSeqBlock::clusterGlobalSize(std::vector<FastSeqBlock*>& blocks,
                                                           const std::vector<float>& weights) {
  return groupBlocks(blocks, [&weights](const std::vector<FastSeqBlock*>&, const std::vector<std::size_t>& members) {
    std::size_t best = members[0];
    float bestWeight = 0.0f;
    for (std::size_t member : members) {
      // A block without a weight weighs nothing rather than reading past the vector.
      const float weight = member < weights.size() ? weights[member] : 0.0f;
      if (weight > bestWeight) {
        bestWeight = weight;
        best = member;
      }
    }
    return best;
  });
}

std::vector<float> FastSeqBlock::globalSizeWeights(const FMolecule<Atom>& pivot, const FMolecule<Atom>& other,
                                                   const std::vector<FastSeqBlock*>& blocks) {
  std::vector<float> weights(blocks.size(), 0.0f);
  const float thr = m_fRMSDthr;
  // Start-up refuses such thresholds; a grid of cell size 0 cannot be built,
  // and a negative radius finds nothing anyway.
  if (!(thr > 0.0f) || !std::isfinite(thr)) return weights;

  GeomHash<Vector3, int> hash(3, thr);
  for (std::size_t p = 0; p < pivot.size(); ++p) hash.insert(pivot.position(p), static_cast<int>(p));
  const float t2 = thr * thr;
  HashResult<int> result;
  for (std::size_t q = 0; q < blocks.size(); ++q) {
    if (!blocks[q]) continue;
    const RigidTrans3& T = blocks[q]->rigidTrans();
    int count = 0;
    for (std::size_t k = 0; k < other.size(); ++k) {
      const Vector3 moved = T * other.position(k);
      hash.query(moved, thr, result);
      for (auto it = result.begin(); it != result.end(); ++it) {
        if (dist2(moved, pivot.position(static_cast<std::size_t>(*it))) <= static_cast<double>(t2)) {
          ++count;
          break;
        }
      }
      result.clear();
    }
    weights[q] = static_cast<float>(count);
  }
  return weights;
}
