#pragma once
// Seeds, structures and settings for the engine's scoring, correspondence and
// pipeline tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "FragmentPairs.h"
#include "SyntheticStructure.h"
#include "engine/FastSeqBlock.h"
#include "engine/MultSeqBlock.h"
#include "engine/internal/PointSelectors.h"
#include "geometry/RigidTrans3.h"
#include "geometry/Vector3.h"
#include "structure/AminoAcidType.h"
#include "structure/AtomMolecule.h"
#include "structure/FMatch.h"
#include "support/Parameters.h"

namespace testing_support {

// Starts every test from an empty parameter table (call-site defaults apply)
// and leaves one behind.
class EngineTest : public testing::Test {
 protected:
  void SetUp() override { Parameters::clear(); }
  void TearDown() override { Parameters::clear(); }
};

// A seed of one fragment pair per slot, with the given transformations in
// place of the pairs' fits.
inline MultSeqBlock makeSeed(int ref, const std::vector<int>& ids, const std::vector<RigidTrans3>& transforms,
                             const std::vector<std::pair<int, int> >& spans = {}) {
  std::vector<FastSeqBlock*> pairs;
  for (std::size_t k = 0; k < ids.size(); ++k)
    pairs.push_back(k < spans.size() ? testing_support::makePair(spans[k].first, spans[k].first, spans[k].second)
                                     : testing_support::makePair(0, 0, 0));
  MultSeqBlock seed(pairs, ids, ref);
  for (FastSeqBlock* b : pairs) delete b;
  for (std::size_t k = 0; k < transforms.size() && k < seed.trans.size(); ++k) *seed.trans[k] = transforms[k];
  return seed;
}

// Structures built from point lists, owned here and listed as the engine wants them.
class Structures {
 public:
  void add(const std::vector<Vector3>& points, const std::string& sequence = "ACDEFGHIKLMNPQRSTVWY",
           char chain = 'A') {
    m_owned.push_back(std::unique_ptr<AtomMolecule>(new AtomMolecule(testing_support::chainMolecule(
        points, "structure" + std::to_string(m_owned.size()), sequence, chain))));
    m_list.push_back(m_owned.back().get());
  }
  std::vector<AtomMolecule*>& list() { return m_list; }
  AtomMolecule& operator[](std::size_t k) { return *m_list[k]; }

 private:
  std::vector<std::unique_ptr<AtomMolecule> > m_owned;
  std::vector<AtomMolecule*> m_list;
};

// A 20-residue chain, then the same points with the residues rotated by 12:
// A 0..11 lie at B 8..19, A 12..19 at B 0..7.
inline Structures chainAndRotatedCopy() {
  const std::vector<Vector3> chain = testing_support::irregularChain(20, 4);
  std::vector<Vector3> rotated(chain.begin() + 12, chain.end());
  rotated.insert(rotated.end(), chain.begin(), chain.begin() + 12);
  Structures s;
  s.add(chain);
  s.add(rotated);
  return s;
}

// Largest distance between the pivot's points and the other structure's
// points with the same index once moved by t.
inline double worstMisplacement(const AtomMolecule& pivot, const AtomMolecule& other, const RigidTrans3& t) {
  double worst = 0.0;
  for (std::size_t k = 0; k < pivot.size() && k < other.size(); ++k)
    worst = std::max(worst, std::sqrt(dist2(pivot.position(k), t * other.position(k))));
  return worst;
}

// Every selector threshold, to show that a routine leaves them as it found them.
struct SelectorThresholds {
  float geom, chain, bioCore, pam250;

  static SelectorThresholds current() {
    return {GeomSelector::m_fDistThr2, GeomSelectorChainEQ::m_fDistThr2, BioCoreSelector::m_fDistThr2,
            GeomAndMatrix_Selector<AminoAcidScore::PAM250>::m_fDistThr2};
  }
  // Values no routine would set, so a leftover of a call shows.
  static SelectorThresholds markers() { return {0.125f, 0.375f, 0.625f, 0.875f}; }
  void install() const {
    GeomSelector::m_fDistThr2 = geom;
    GeomSelectorChainEQ::m_fDistThr2 = chain;
    BioCoreSelector::m_fDistThr2 = bioCore;
    GeomAndMatrix_Selector<AminoAcidScore::PAM250>::m_fDistThr2 = pam250;
  }
  bool operator==(const SelectorThresholds& o) const {
    return geom == o.geom && chain == o.chain && bioCore == o.bioCore && pam250 == o.pam250;
  }
};

inline std::ostream& operator<<(std::ostream& os, const SelectorThresholds& t) {
  return os << "{" << t.geom << ", " << t.chain << ", " << t.bioCore << ", " << t.pam250 << "}";
}

using MatchPairs = std::vector<std::pair<unsigned, unsigned> >;

// The (model, scene) pairs of a match, in its order.
inline MatchPairs pairsOf(const FMatch& match) {
  MatchPairs pairs;
  for (std::size_t k = 0; k < match.size(); ++k)
    pairs.emplace_back(match[static_cast<unsigned>(k)].model, match[static_cast<unsigned>(k)].scene);
  return pairs;
}

// Makes `state` the active residue classification for the guard's lifetime.
class ActiveClassification {
 public:
  explicit ActiveClassification(AminoAcidType& state) : m_kept(AminoAcidType::m_state) {
    AminoAcidType::m_state = &state;
  }
  ~ActiveClassification() { AminoAcidType::m_state = m_kept; }
  ActiveClassification(const ActiveClassification&) = delete;
  ActiveClassification& operator=(const ActiveClassification&) = delete;

 private:
  AminoAcidType* m_kept;
};

// Two copies of one chain, a one-slot seed on them, the HHAG classification
// active and marker values in every selector threshold, all put back at the
// end: whatever runs in between must leave the markers as it found them.
class MarkedThresholds {
 public:
  MarkedThresholds() : m_kept(SelectorThresholds::current()) {
    const std::vector<Vector3> chain = testing_support::irregularChain(30, 5);
    structures.add(chain);
    structures.add(chain);
    SelectorThresholds::markers().install();
  }
  ~MarkedThresholds() { m_kept.install(); }
  MarkedThresholds(const MarkedThresholds&) = delete;
  MarkedThresholds& operator=(const MarkedThresholds&) = delete;

  void expectMarkers(const std::string& after) const {
    EXPECT_EQ(SelectorThresholds::current(), SelectorThresholds::markers()) << after;
  }
  // Calls call() under every "Scoring", 0 to 3, each followed by the check.
  template <class Call>
  void underEveryScoring(Call call) {
    for (int scoring = 0; scoring <= 3; ++scoring) {
      Parameters::addParameter("Scoring", scoring);
      call();
      expectMarkers("Scoring " + std::to_string(scoring));
    }
  }

  Structures structures;
  MultSeqBlock seed = makeSeed(0, {1}, {RigidTrans3()});

 private:
  AminoAcid_HHAG_Type m_hhag;
  ActiveClassification m_classification{m_hhag};
  SelectorThresholds m_kept;
};

}  // namespace testing_support
