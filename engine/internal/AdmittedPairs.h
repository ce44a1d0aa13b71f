#pragma once
// The walk both pairwise residue correspondences share: every pair of a
// residue of the pivot A and a residue of the moved structure B that Sel
// admits within thr, found through a grid of B's points (the thread's own,
// kept from one call to the next).
#include <cmath>
#include <cstddef>

#include "geometry/PointGrid.h"
#include "geometry/Vector3.h"

// Calls pair(i, j, value) per admitted pair: i ascending, and for one i in the
// order the hash reports B's residues.
template <class Sel, class Molecule, class Pair>
void forEachAdmittedPair(const Molecule& A, const Molecule& B, float thr, Pair pair) {
  // No grid of a non-positive cell size exists, and such a distance admits
  // nothing it could find.
  if (!(thr > 0.0f && std::isfinite(thr))) return;
  static thread_local PointGrid grid;
  grid.build(B.positions(), thr);
  for (std::size_t i = 0; i < A.size(); ++i) {
    grid.forEachNear(A.position(i), thr, [&](int hit) {
      const std::size_t j = static_cast<std::size_t>(hit);
      typename Sel::ValueType value;
      if (Sel::admit(A[i], B[j], value)) pair(i, j, value);
    });
  }
}
