#pragma once
// Engine tests set the class statics that name the two structures being
// compared; StaticsGuard restores every one of them (and empties the
// parameter table) when the test ends.
#include <vector>

#include "FragmentPairs.h"
#include "engine/FastSeqBlock.h"
#include "geometry/Vector3.h"
#include "structure/Atom.h"
#include "structure/FMolecule.h"
#include "support/Parameters.h"

namespace testing_support {

class StaticsGuard {
 public:
  StaticsGuard()
      : m_thr(FastSeqBlock::m_fRMSDthr),
        m_ratio(FastSeqBlock::m_fOverlapRatio),
        m_model(FastSeqBlock::m_model),
        m_target(FastSeqBlock::m_target),
        m_modelSize(FastSeqBlock::m_iModelSize),
        m_targetSize(FastSeqBlock::m_iTargetSize) {
    Parameters::clear();
  }
  ~StaticsGuard() {
    FastSeqBlock::m_fRMSDthr = m_thr;
    FastSeqBlock::m_fOverlapRatio = m_ratio;
    FastSeqBlock::m_model = m_model;
    FastSeqBlock::m_target = m_target;
    FastSeqBlock::m_iModelSize = m_modelSize;
    FastSeqBlock::m_iTargetSize = m_targetSize;
    Parameters::clear();
  }
  StaticsGuard(const StaticsGuard&) = delete;
  StaticsGuard& operator=(const StaticsGuard&) = delete;

 private:
  float m_thr;
  float m_ratio;
  const FMolecule<Atom>* m_model;
  const FMolecule<Atom>* m_target;
  int m_modelSize;
  int m_targetSize;
};

// Makes `pivot` and `other` the current pair of structures.
inline void comparePair(const FMolecule<Atom>& pivot, const FMolecule<Atom>& other) {
  FastSeqBlock::m_model = &pivot;
  FastSeqBlock::m_iModelSize = static_cast<int>(pivot.size());
  FastSeqBlock::m_target = &other;
  FastSeqBlock::m_iTargetSize = static_cast<int>(other.size());
}

// A molecule of bare points (one atom each).
inline FMolecule<Atom> pointMolecule(const std::vector<Vector3>& points) {
  FMolecule<Atom> molecule;
  for (std::size_t k = 0; k < points.size(); ++k)
    molecule.add(Atom(points[k], static_cast<unsigned short>(k + 1)));
  return molecule;
}

using testing_support::makePair;

// Deletes the pairs and empties the list.
inline void deleteAll(std::vector<FastSeqBlock*>& blocks) {
  for (FastSeqBlock* b : blocks) delete b;
  blocks.clear();
}

}  // namespace testing_support
