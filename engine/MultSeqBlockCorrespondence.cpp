// Residue correspondence of a seed: per slot, pairs of pivot residues with
// residues of the slot's structure once it is superimposed, the refit of the
// slot's transformation on those pairs, and the table of pivot residues paired
// in every slot.
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <utility>
#include <vector>

#include "engine/FastSeqBlock.h"
#include "engine/MultSeqBlock.h"
#include "engine/SlotCorrespondenceCache.h"
#include "engine/internal/BipartiteCorrespondence.h"
#include "engine/internal/PointSelectors.h"
#include "engine/internal/ScoringSelector.h"
#include "engine/internal/SeqOrderedCorrespondence.h"
#include "engine/internal/TableColumns.h"
#include "geometry/GeomHash.h"
#include "structure/AtomMolecule.h"
#include "structure/FMatch.h"
#include "support/Fatal.h"
#include "support/ParameterKeys.h"
#include "support/Parameters.h"

namespace {


// The pairwise routine for one slot, chosen by "SeqOrder", "ChainEq" and
// "Scoring" as they stand now.
FMatch pairwiseCorrespondence(const AtomMolecule& pivot, const AtomMolecule& moved, float thr) {
  const int seqOrder = Parameters::getInt(Param::SeqOrder);
  if (seqOrder == 0) {
    if (Parameters::getFloat(Param::ChainEq) == 1.0f)
      return getCorrespondance<FMatch, AtomMolecule, GeomSelectorChainEQ>(pivot, moved, thr);
    return internal::withScoringSelector([&](auto tag) {
      return getCorrespondance<FMatch, AtomMolecule, typename decltype(tag)::type>(pivot, moved, thr);
    });
  }
  if (seqOrder == 1) {
    return internal::withScoringSelector([&](auto tag) {
      return getSeqOrderedCorrespondance<FMatch, AtomMolecule, typename decltype(tag)::type>(pivot, moved, thr);
    });
  }
  Fatal::report(std::cerr, "SeqOrder undefined value:", Parameters::getInt(Param::SeqOrder));
}

bool finite(const RigidTrans3& t) {
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c)
      if (!std::isfinite(t.rotation()(r, c))) return false;
    if (!std::isfinite(t.translation()[r])) return false;
  }
  return true;
}

// The refit of `match` on the unmoved structure, kept in `outcome`. Fewer
// than three pairs determine no rigid motion, and a fit that is not finite
// means nothing: the slot then keeps its transformation, so no seed ever
// carries an undetermined one.
void refit(SlotOutcome& outcome, const AtomMolecule& pivot, const AtomMolecule& structure) {
  outcome.refitted = false;
  if (outcome.match.size() < 3) return;
  outcome.match.calculateBestFit(pivot, structure);
  if (!finite(outcome.match.rigidTrans())) return;
  outcome.refitted = true;
  outcome.refit = outcome.match.rigidTrans();
}

// Gives slot k the outcome's refit, if it has one.
void takeRefit(MultSeqBlock& msb, std::size_t k, const SlotOutcome& outcome) {
  if (!outcome.refitted) return;
  delete msb.trans[k];
  msb.trans[k] = new RigidTrans3(outcome.refit);
}

// The correspondence of a structure placed on the pivot by `trans`, and its refit.
SlotOutcome slotOutcome(const AtomMolecule& pivot, const AtomMolecule& structure, const RigidTrans3& trans,
                        float thr) {
  // The thread's copy keeps its storage from one slot to the next.
  static thread_local AtomMolecule moved;
  moved = structure;
  moved *= trans;
  SlotOutcome outcome{pairwiseCorrespondence(pivot, moved, thr), false, RigidTrans3()};
  refit(outcome, pivot, structure);
  return outcome;
}

}  // namespace

std::vector<std::vector<int> > MultSeqBlock::multCorrespondence(std::vector<AtomMolecule*>& mols, float thr,
                                                                SlotCorrespondenceCache* cache) {
  const AtomMolecule& pivot = *mols[static_cast<std::size_t>(ref)];
  const int n = getMolNum();
  std::vector<int> count(pivot.size(), 0);
  SlotCorrespondenceCache ownCache;
  if (!cache) cache = &ownCache;
  std::vector<const FMatch*> matches(static_cast<std::size_t>(n), nullptr);
  for (std::size_t k = 0; k < blocks.size(); ++k) {
    const int s = static_cast<int>(k) + 1;
    // Slots are never null here, so there is one match per slot.
    if (!blocks[k]) Fatal::report(std::cout, "error");
    const int id = ids[k];
    const AtomMolecule& structure = *mols[static_cast<std::size_t>(id)];
    const SlotOutcome* outcome = cache->find(ref, id, *trans[k]);
    if (!outcome) outcome = &cache->insert(ref, id, *trans[k], slotOutcome(pivot, structure, *trans[k], thr));
    matches[k] = &outcome->match;
    takeRefit(*this, k, *outcome);
    for (std::size_t p = 0; p < outcome->match.size(); ++p) {
      const unsigned r = outcome->match[static_cast<unsigned>(p)].model;
      if (count[r] == s - 1) count[r] = s;
    }
  }

  // One row per pivot residue paired in every slot, in residue order: the
  // residue, then its partner per slot.
  std::vector<std::vector<int> > table;
  if (n < 1) return table;
  std::vector<int> rowOf(pivot.size(), -1);
  std::size_t rows = 0;
  for (int c : count)
    if (c == n) ++rows;
  table.reserve(rows);
  for (std::size_t r = 0; r < pivot.size(); ++r)
    if (count[r] == n) {
      rowOf[r] = static_cast<int>(table.size());
      table.emplace_back(static_cast<std::size_t>(n) + 1, -1);
      table.back()[0] = static_cast<int>(r);
    }
  for (std::size_t k = 0; k < matches.size(); ++k) {
    for (std::size_t p = 0; p < matches[k]->size(); ++p) {
      const FMatch::ParticleMatch& pair = (*matches[k])[static_cast<unsigned>(p)];
      if (count[pair.model] == n)
        table[static_cast<std::size_t>(rowOf[pair.model])][k + 1] = static_cast<int>(pair.scene);
    }
  }
  return table;
}

void MultSeqBlock::setRealAA(std::vector<AtomMolecule*>& mols, std::vector<std::vector<int> >& table) {
  const std::vector<int> columns = internal::tableColumns(*this);
  for (std::vector<int>& row : table) {
    for (std::size_t c = 0; c < row.size() && c < columns.size(); ++c) {
      const AtomMolecule& molecule = *mols[static_cast<std::size_t>(columns[c])];
      if (row[c] >= 0 && static_cast<std::size_t>(row[c]) < molecule.size())
        row[c] = molecule[static_cast<std::size_t>(row[c])].residueIndex();
    }
  }
}

int MultSeqBlock::multCorrespondenceNew(std::vector<AtomMolecule*>& mols, float thr) const {
  if (!(thr > 0.0f) || !std::isfinite(thr)) return 0;
  const float thr2 = thr * thr;
  GeomHash<Vector3, MolCounter> hash(3, thr);
  for (std::size_t k = 0; k < trans.size(); ++k) {
    if (!trans[k]) continue;
    const AtomMolecule& structure = *mols[static_cast<std::size_t>(ids[k])];
    for (std::size_t j = 0; j < structure.size(); ++j)
      hash.insert(*trans[k] * structure.position(j), MolCounter{static_cast<int>(j), static_cast<int>(k), false});
  }
  const AtomMolecule& pivot = *mols[static_cast<std::size_t>(ref)];
  const int needed = getMolNum();
  HashResult<MolCounter> result;
  int rowsCounted = 0;
  for (std::size_t r = 0; r < pivot.size(); ++r) {
    std::vector<int> row(trans.size() + 1, -1);
    row[0] = static_cast<int>(r);
    std::vector<double> best(trans.size(), 10000.0);
    std::vector<MolCounter*> bestHit(trans.size(), nullptr);
    hash.query(pivot.position(r), thr, result);
    for (auto it = result.begin(); it != result.end(); ++it) {
      MolCounter& hit = *it;
      if (hit.used) continue;
      const std::size_t slot = static_cast<std::size_t>(hit.slot);
      const Vector3 moved =
          *trans[slot] * mols[static_cast<std::size_t>(ids[slot])]->position(static_cast<std::size_t>(hit.atom));
      const double d2 = dist2(pivot.position(r), moved);
      if (d2 <= static_cast<double>(thr2) && d2 < best[slot]) {
        hit.used = true;
        row[slot + 1] = hit.atom;
        best[slot] = d2;
        if (bestHit[slot]) bestHit[slot]->used = false;
        bestHit[slot] = &hit;
      }
    }
    result.clear();
    int filled = 0;
    for (std::size_t c = 1; c < row.size(); ++c)
      if (row[c] != -1) ++filled;
    if (filled == needed) ++rowsCounted;
  }
  return rowsCounted;
}

void MultSeqBlock::extend(std::vector<AtomMolecule*>& mols, float thr) {
  (void)thr;
  // The rows read are the seed's own correspondence table.
  const AtomMolecule& pivot = *mols[static_cast<std::size_t>(ref)];
  const int n = getMolNum();
  for (int k = 0; k < n && static_cast<std::size_t>(k) < trans.size(); ++k) {
    FMatch match;
    for (const std::vector<int>& row : table)
      if (row.size() > static_cast<std::size_t>(k) + 1)
        match.add(static_cast<unsigned>(row[0]), static_cast<unsigned>(row[static_cast<std::size_t>(k) + 1]));
    SlotOutcome outcome{std::move(match), false, RigidTrans3()};
    refit(outcome, pivot, *mols[static_cast<std::size_t>(ids[k])]);
    takeRefit(*this, static_cast<std::size_t>(k), outcome);
  }
}
