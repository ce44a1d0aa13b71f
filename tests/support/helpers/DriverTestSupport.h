#pragma once
// Default settings, hand-made structures, covering sets and seeds for the
// driver's unit tests.
#include <array>
#include <list>
#include <string>
#include <utility>
#include <vector>

#include "FragmentPairs.h"
#include "SyntheticStructure.h"
#include "driver/Configuration.h"
#include "driver/EngineSettings.h"
#include "engine/EventSet.h"
#include "engine/FastSeqBlock.h"
#include "engine/MultSeqBlock.h"
#include "structure/AtomMolecule.h"
#include "support/Parameters.h"

namespace testing_support {

// The settings of a run without a parameter file: defaults registered, ExtThr
// settled and the engine's thresholds applied, with nothing left from a test before.
inline void startWithDefaults() {
  Parameters::clear();
  Configuration::registerDefaults();
  Configuration::settleExtThr();
  EngineSettings::apply();
}

// Owns the structures of one test.
class Structures {
 public:
  Structures() = default;
  Structures(const Structures&) = delete;
  Structures& operator=(const Structures&) = delete;
  ~Structures() {
    for (AtomMolecule* m : list) delete m;
  }
  void add(const std::vector<Vector3>& points, const std::string& name) {
    list.push_back(new AtomMolecule(testing_support::chainMolecule(points, name)));
  }
  std::vector<AtomMolecule*> list;
};

using testing_support::makePair;

// A seed with pivot `ref` and slots `ids`, each with a zero-length pair at
// position `position` and the transformation given (identity when none).
inline MultSeqBlock* seedOf(int ref, const std::vector<int>& ids, float score,
                            const std::vector<RigidTrans3>& trans = {}, int position = 0) {
  std::vector<FastSeqBlock*> pairs;
  for (std::size_t k = 0; k < ids.size(); ++k) pairs.push_back(makePair(position, position, 0));
  MultSeqBlock* seed = new MultSeqBlock(pairs, ids, ref);
  for (FastSeqBlock* p : pairs) delete p;
  for (std::size_t k = 0; k < trans.size() && k < seed->trans.size(); ++k) *seed->trans[k] = trans[k];
  seed->score = score;
  return seed;
}

typedef std::array<int, 3> Pair;  // i, j, l

// A covering set of pivot `ref` over start .. start + length - 1.
inline EventSet* setOf(int ref, int start, int length, const std::vector<std::pair<int, std::vector<Pair> > >& entries) {
  EventSet* set = new EventSet();
  set->ref = ref;
  set->start = start;
  set->length = length;
  for (const auto& entry : entries) {
    std::list<FastSeqBlock*> pairs;
    for (const Pair& p : entry.second) pairs.push_back(makePair(p[0], p[1], p[2]));
    set->entries.emplace_back(entry.first, pairs);
  }
  return set;
}

inline RigidTrans3 shift(float x, float y = 0.0f, float z = 0.0f) { return RigidTrans3(Matrix3(1.0f), Vector3(x, y, z)); }

}  // namespace testing_support
