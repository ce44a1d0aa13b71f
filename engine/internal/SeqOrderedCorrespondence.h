#pragma once
// Order-preserving residue correspondence between a pivot structure A and a
// structure B already moved into the pivot's frame: among the pairs that Sel
// admits within thr, a largest set that keeps the residue order on both sides.
#include <cstddef>
#include <utility>
#include <vector>

#include "engine/internal/AdmittedPairs.h"
#include "engine/internal/OrderedChain.h"
#include "engine/internal/PointSelectors.h"

// The pairs come as (index in A, index in B), last pair first. A matrix
// without an admitted pair gives an empty match.
template <class Match, class Molecule, class Sel>
Match getSeqOrderedCorrespondance(const Molecule& A, const Molecule& B, float thr) {
  SelectorThreshold<Sel> threshold(thr);
  // The buffers stay with the thread from one call to the next.
  static thread_local OrderedChain chain;
  static thread_local std::vector<std::pair<int, int> > pairs;
  chain.clear();
  pairs.clear();
  // The chain counts only a pair of non-zero value: a pair scoring 0 under the
  // positive-only PAM250 selector is admitted but not used.
  forEachAdmittedPair<Sel>(A, B, thr, [&](std::size_t i, std::size_t j, typename Sel::ValueType value) {
    if (value != typename Sel::ValueType()) chain.add(static_cast<int>(i), static_cast<int>(j));
  });
  chain.solve(static_cast<int>(A.size()), static_cast<int>(B.size()), pairs);
  Match match;
  for (const std::pair<int, int>& p : pairs)
    match.add(static_cast<unsigned>(p.first), static_cast<unsigned>(p.second));
  return match;
}
