#pragma once
// Order-preserving residue correspondence between a pivot structure A and a
// structure B already moved into the pivot's frame: among the pairs that Sel
// admits within thr, a largest set that keeps the residue order on both sides.
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "engine/PointSelectors.h"
#include "engine/SimpleDynProg.h"
#include "geometry/GeomHash.h"
#include "geometry/Vector3.h"

// The pairs come as (index in A, index in B), last pair first. A matrix
// without an admitted pair gives an empty match.
template <class Match, class Molecule, class Sel>
Match getSeqOrderedCorrespondance(const Molecule& A, const Molecule& B, float thr) {
  SelectorThreshold<Sel> threshold(thr);
  SimpleDynProg<bool, int> dp(static_cast<int>(A.size()), static_cast<int>(B.size()), false);
  // No grid of a non-positive cell size exists, and such a distance admits
  // nothing it could find.
  if (thr > 0.0f && std::isfinite(thr)) {
    GeomHash<Vector3, int> hash(3, thr);
    for (std::size_t j = 0; j < B.size(); ++j) hash.insert(B.position(j), static_cast<int>(j));
    HashResult<int> result;
    for (std::size_t i = 0; i < A.size(); ++i) {
      hash.query(A.position(i), thr, result);
      for (auto it = result.begin(); it != result.end(); ++it) {
        const int j = *it;
        typename Sel::ValueType value;
        // The cell counts only a pair of non-zero value: a pair scoring 0
        // under the positive-only PAM250 selector is admitted but not used.
        if (Sel::admit(A[i], B[static_cast<std::size_t>(j)], value))
          dp.entry(static_cast<int>(i), j) = value != typename Sel::ValueType();
      }
      result.clear();
    }
  }
  std::vector<std::pair<int, int> > pairs;
  int best = 0;
  dp.getBestAlignment(pairs, best);
  Match match;
  for (const std::pair<int, int>& p : pairs)
    match.add(static_cast<unsigned>(p.first), static_cast<unsigned>(p.second));
  return match;
}
