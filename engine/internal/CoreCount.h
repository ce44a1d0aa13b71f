#pragma once
// The common-core count shared by the seed-scoring routines: how many pivot
// residues find an admitted residue in every one of the given structures once
// those are moved onto the pivot. Not one to one: a residue may serve several
// pivot residues.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "engine/MultSeqBlock.h"
#include "geometry/PointGrid.h"
#include "geometry/RigidTrans3.h"
#include "geometry/Vector3.h"
#include "structure/Atom.h"
#include "structure/AtomMolecule.h"

namespace internal {

// Calls counted() once per pivot residue (in ascending order) that has at
// least one residue admitted by admit(pivotAtom, movedAtom) in each of the
// `needed` structures of `others`, each moved by its transformation. Every
// structure's points are hashed at their moved positions with cell size thr
// and the pivot's points are queried unmoved with radius thr.
template <class Admit, class Counted>
void forEachCoreResidue(const AtomMolecule& pivot, const std::vector<const AtomMolecule*>& others,
                        const std::vector<const RigidTrans3*>& transforms, float thr, int needed, Admit admit,
                        Counted counted) {
  // No grid of a non-positive cell size exists; such a distance admits nothing
  // the grid could find.
  const bool usable = thr > 0.0f && std::isfinite(thr);
  // The moved copies, the grid and its points are the thread's own and keep
  // their storage from one seed to the next.
  static thread_local std::vector<AtomMolecule> moved;
  static thread_local std::vector<Vector3> points;
  static thread_local std::vector<std::pair<int, int> > slotAtom;
  static thread_local PointGrid grid;
  if (moved.size() < others.size()) moved.resize(others.size());
  for (std::size_t k = 0; k < others.size(); ++k) {
    moved[k] = *others[k];
    moved[k] *= *transforms[k];
  }
  std::vector<int> hits(others.size(), 0);
  if (!usable) {
    // Without a grid no slot has a hit; only a seed without slots counts.
    for (std::size_t r = 0; r < pivot.size(); ++r)
      if (needed == 0) counted(static_cast<int>(r));
    return;
  }
  points.clear();
  slotAtom.clear();
  for (std::size_t k = 0; k < others.size(); ++k)
    for (std::size_t a = 0; a < moved[k].size(); ++a) {
      points.push_back(moved[k].position(a));
      slotAtom.emplace_back(static_cast<int>(k), static_cast<int>(a));
    }
  grid.build(points, thr);
  for (std::size_t r = 0; r < pivot.size(); ++r) {
    const Atom& a = pivot[r];
    grid.forEachNear(pivot.position(r), thr, [&](int hit) {
      const std::pair<int, int>& c = slotAtom[static_cast<std::size_t>(hit)];
      if (admit(a, moved[static_cast<std::size_t>(c.first)][static_cast<std::size_t>(c.second)]))
        ++hits[static_cast<std::size_t>(c.first)];
    });
    int h = 0;
    for (int& count : hits) {
      if (count != 0) ++h;
      count = 0;
    }
    if (h == needed) counted(static_cast<int>(r));
  }
}

// The pivot residues that find a residue of `other`, moved by `trans`,
// admitted by admit(pivotAtom, movedAtom): bit r % 64 of word r / 64 for
// residue r. The count above is the number of residues whose bit is set for
// every one of the `needed` structures.
template <class Admit>
void coreHitsOfSlot(const AtomMolecule& pivot, const AtomMolecule& other, const RigidTrans3& trans, float thr,
                    Admit admit, std::vector<std::uint64_t>& bits) {
  bits.assign((pivot.size() + 63) / 64, 0);
  if (!(thr > 0.0f && std::isfinite(thr))) return;
  // The moved copy and the grid are the thread's own and keep their storage.
  static thread_local AtomMolecule moved;
  static thread_local PointGrid grid;
  moved = other;
  moved *= trans;
  grid.build(moved.positions(), thr);
  for (std::size_t r = 0; r < pivot.size(); ++r) {
    const Atom& a = pivot[r];
    bool hit = false;
    grid.forEachNear(pivot.position(r), thr, [&](int j) {
      if (!hit && admit(a, moved[static_cast<std::size_t>(j)])) hit = true;
    });
    if (hit) bits[r / 64] |= std::uint64_t(1) << (r % 64);
  }
}

}  // namespace internal
