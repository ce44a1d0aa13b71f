// Seed scoring by the size of the common core.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <vector>

#include "engine/FastSeqBlock.h"
#include "engine/MultSeqBlock.h"
#include "engine/PlacementCache.h"
#include "engine/internal/CoreCount.h"
#include "engine/internal/PointSelectors.h"
#include "engine/internal/ScoringSelector.h"
#include "geometry/GeomHash.h"
#include "structure/AminoAcidType.h"
#include "structure/AtomMolecule.h"
#include "support/Fatal.h"
#include "support/ParameterKeys.h"
#include "support/Parameters.h"

namespace {


// The slots' structures and transformations, in slot order; "error" for a
// slot without a transformation, before anything is moved.
void slotStructures(const MultSeqBlock& msb, const std::vector<AtomMolecule*>& mols,
                    std::vector<const AtomMolecule*>& others, std::vector<const RigidTrans3*>& transforms) {
  for (std::size_t k = 0; k < msb.trans.size(); ++k)
    if (!msb.trans[k]) Fatal::report(std::cout, "error");
  for (std::size_t k = 0; k < msb.trans.size(); ++k) {
    others.push_back(mols[static_cast<std::size_t>(msb.ids[k])]);
    transforms.push_back(msb.trans[k]);
  }
}

// Per slot, a fresh fit of the seed's common stretch on that slot's own
// diagonal. "MSB error" when a slot has no fragment pair.
std::vector<RigidTrans3> refitCommonStretch(const MultSeqBlock& msb, const std::vector<AtomMolecule*>& mols) {
  for (const FastSeqBlock* b : msb.blocks)
    if (!b) Fatal::report(std::cerr, "MSB error");
  std::vector<RigidTrans3> refits(msb.blocks.size());
  const AtomMolecule& pivot = *mols[static_cast<std::size_t>(msb.ref)];
  for (std::size_t k = 0; k < msb.blocks.size(); ++k) {
    const FastSeqBlock& b = *msb.blocks[k];
    float rmsd = 0.0f;
    FastSeqBlock::calcRigidTrans(pivot, *mols[static_cast<std::size_t>(msb.ids[k])], msb.start,
                                 msb.start - b.i + b.j, msb.length, refits[k], rmsd);
  }
  return refits;
}

}  // namespace

template <class Sel, class T>
void MultSeqBlock::getCorrespondenceSize(MultSeqBlock& msb, const std::vector<AtomMolecule*>& mols, float thr,
                                         float& score, CoreHitCache* cache) {
  SelectorThreshold<Sel> threshold(thr);
  const int n = msb.getMolNum();
  std::vector<const AtomMolecule*> others;
  std::vector<const RigidTrans3*> transforms;
  slotStructures(msb, mols, others, transforms);
  auto admit = [](const Atom& a, const Atom& b) {
    T value;
    return Sel::admit(a, b, value);
  };
  const AtomMolecule& pivot = *mols[static_cast<std::size_t>(msb.ref)];
  CoreHitCache ownCache;
  if (!cache) cache = &ownCache;
  // Per slot the residues it covers, worked out once per placement.
  static thread_local std::vector<const std::vector<std::uint64_t>*> slotHits;
  slotHits.clear();
  for (std::size_t k = 0; k < others.size(); ++k) {
    const std::vector<std::uint64_t>* hits = cache->find(msb.ref, msb.ids[k], *transforms[k]);
    if (!hits) {
      std::vector<std::uint64_t> fresh;
      internal::coreHitsOfSlot(pivot, *others[k], *transforms[k], thr, admit, fresh);
      hits = &cache->insert(msb.ref, msb.ids[k], *transforms[k], std::move(fresh));
    }
    slotHits.push_back(hits);
  }
  const std::size_t words = (pivot.size() + 63) / 64;
  if (static_cast<std::size_t>(n) == slotHits.size()) {
    for (std::size_t w = 0; w < words; ++w) {
      std::uint64_t all = w + 1 < words || pivot.size() % 64 == 0 ? ~std::uint64_t(0)
                                                                   : (std::uint64_t(1) << (pivot.size() % 64)) - 1;
      for (const std::vector<std::uint64_t>* hits : slotHits) all &= (*hits)[w];
      score += static_cast<float>(__builtin_popcountll(all));
    }
    return;
  }
  for (std::size_t r = 0; r < pivot.size(); ++r) {
    int h = 0;
    for (const std::vector<std::uint64_t>* hits : slotHits)
      if (((*hits)[r / 64] >> (r % 64)) & 1) ++h;
    if (h == n) score += 1.0f;
  }
}

void MultSeqBlock::calcScore(const std::vector<AtomMolecule*>& mols, float thr, CoreHitCache* cache) {
  score = 0.0f;
  if (Parameters::getFloat(Param::ChainEq) == 1.0f) {
    getCorrespondenceSize<GeomSelectorChainEQ, bool>(*this, mols, thr, score, cache);
    return;
  }
  internal::withScoringSelector([&](auto tag) {
    using Sel = typename decltype(tag)::type;
    getCorrespondenceSize<Sel, typename Sel::ValueType>(*this, mols, thr, score, cache);
  });
}

int MultSeqBlock::getCorrespondenceSizeOld(const std::vector<AtomMolecule*>& mols, float thr) {
  const std::vector<RigidTrans3> refits = refitCommonStretch(*this, mols);
  if (ids.empty() || !(thr > 0.0f) || !std::isfinite(thr)) return 0;
  const AtomMolecule& pivot = *mols[static_cast<std::size_t>(ref)];
  // One counter per pivot residue: the molecule index of the last slot, in
  // slot order without a gap, whose structure came within thr of it.
  std::vector<MolCounter> counters(pivot.size());
  GeomHash<Vector3, MolCounter*> hash(3, thr);
  for (std::size_t r = 0; r < pivot.size(); ++r) {
    counters[r] = MolCounter{static_cast<int>(r), -1, false};
    hash.insert(pivot.position(r), &counters[r]);
  }
  HashResult<MolCounter*> result;
  for (std::size_t p = 0; p < ids.size(); ++p) {
    const AtomMolecule& other = *mols[static_cast<std::size_t>(ids[p])];
    for (std::size_t a = 0; a < other.size(); ++a) {
      const Vector3 moved = refits[p] * other.position(a);
      hash.query(moved, thr, result);
      for (auto it = result.begin(); it != result.end(); ++it) {
        MolCounter* c = *it;
        const float d = static_cast<float>(std::sqrt(dist2(moved, pivot.position(static_cast<std::size_t>(c->atom)))));
        if (!(d <= thr)) continue;
        if (p == 0)
          c->slot = ids[0];
        else if (c->slot == ids[p - 1])
          c->slot = ids[p];
      }
      result.clear();
    }
  }
  int count = 0;
  for (const MolCounter& c : counters)
    if (c.slot == ids.back()) ++count;
  return count;
}

int MultSeqBlock::getCorrespondenceSizeNew(const std::vector<AtomMolecule*>& mols, float thr) {
  const std::vector<RigidTrans3> refits = refitCommonStretch(*this, mols);
  std::vector<const AtomMolecule*> others;
  std::vector<const RigidTrans3*> transforms;
  for (std::size_t k = 0; k < ids.size(); ++k) {
    others.push_back(mols[static_cast<std::size_t>(ids[k])]);
    transforms.push_back(&refits[k]);
  }
  const float thr2 = thr * thr;
  int count = 0;
  internal::forEachCoreResidue(
      *mols[static_cast<std::size_t>(ref)], others, transforms, thr, static_cast<int>(ids.size()),
      [thr2](const Atom& a, const Atom& b) {
        return dist2(a.position(), b.position()) <= static_cast<double>(thr2);
      },
      [&count](int) { ++count; });
  return count;
}

void MultSeqBlock::getCorrespondenceSizeNew(const std::vector<AtomMolecule*>& mols, float thr, float& score,
                                            std::vector<std::vector<int> >& table) {
  for (const RigidTrans3* t : trans)
    if (!t) Fatal::report(std::cout, "error");
  const int n = getMolNum();
  const float radius = std::max(thr, Parameters::getFloat(Param::BioCoreRadius));
  if (!(thr > 0.0f) || !std::isfinite(thr) || !std::isfinite(radius)) return;
  const float thr2 = thr * thr;
  const float radius2 = Parameters::getFloat(Param::BioCoreRadius) * Parameters::getFloat(Param::BioCoreRadius);

  std::vector<AtomMolecule> moved;
  moved.reserve(trans.size());
  GeomHash<Vector3, MolCounter> hash(3, thr);
  for (std::size_t k = 0; k < trans.size(); ++k) {
    moved.push_back(*mols[static_cast<std::size_t>(ids[k])]);
    moved.back() *= *trans[k];
    for (std::size_t a = 0; a < moved[k].size(); ++a)
      hash.insert(moved[k].position(a), MolCounter{static_cast<int>(a), static_cast<int>(k), false});
  }

  const AtomMolecule& pivot = *mols[static_cast<std::size_t>(ref)];
  HashResult<MolCounter> result;
  struct Choice {
    MolCounter* hit;
    double d2;
  };
  std::vector<int> hits(trans.size(), 0);
  std::vector<Choice> chosen(trans.size(), Choice{nullptr, 0.0});
  for (std::size_t r = 0; r < pivot.size(); ++r) {
    const Atom& a = pivot[r];
    hash.query(pivot.position(r), radius, result);
    for (auto it = result.begin(); it != result.end(); ++it) {
      MolCounter& c = *it;
      const std::size_t slot = static_cast<std::size_t>(c.slot);
      const Atom& b = moved[slot][static_cast<std::size_t>(c.atom)];
      const double d2 = dist2(a.position(), b.position());
      if (d2 <= static_cast<double>(thr2)) ++hits[slot];
      // Without a classification no residue can be chosen.
      if (d2 <= static_cast<double>(radius2) && !c.used && AminoAcidType::m_state &&
          AminoAcidType::m_state->equivalent(a.residueType(), b.residueType())) {
        Choice& choice = chosen[slot];
        if (!choice.hit || d2 < choice.d2) {
          if (choice.hit) choice.hit->used = false;
          c.used = true;
          choice.hit = &c;
          choice.d2 = d2;
        }
      }
    }
    result.clear();
    int h = 0;
    for (int& count : hits) {
      if (count != 0) ++h;
      count = 0;
    }
    if (h == n) score += 1.0f;
    int choices = 0;
    for (const Choice& choice : chosen)
      if (choice.hit) ++choices;
    if (choices == n) {
      std::vector<int> row(1, static_cast<int>(r));
      for (const Choice& choice : chosen) row.push_back(choice.hit->atom);
      table.push_back(row);
    }
    for (Choice& choice : chosen) choice.hit = nullptr;
  }
}
