#include "engine/internal/BipartiteCorrespondence.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "MatchingVerifier.h"
#include "RandomGeometry.h"
#include "SeedTestSupport.h"
#include "SyntheticStructure.h"
#include "engine/MultSeqBlock.h"
#include "engine/internal/PointSelectors.h"
#include "engine/internal/SeqOrderedCorrespondence.h"
#include "structure/AminoAcidType.h"
#include "structure/FMatch.h"
#include "support/Parameters.h"

namespace {

using testing_support::ActiveClassification;
using testing_support::chainAndRotatedCopy;
using testing_support::EngineTest;
using testing_support::makeSeed;
using testing_support::MarkedThresholds;
using testing_support::pairsOf;
using testing_support::Structures;
using testing_support::worstMisplacement;
using testing_support::BipartiteInstance;
using testing_support::irregularChain;
using testing_support::matchingDefect;
using testing_support::movedCopy;
using testing_support::randomRigidMotion;
using testing_support::RandomGeometry;
using Pairs = testing_support::MatchPairs;
using Table = std::vector<std::vector<int> >;

template <class Sel>
FMatch matching(const AtomMolecule& a, const AtomMolecule& b, float thr) {
  return getCorrespondance<FMatch, AtomMolecule, Sel>(a, b, thr);
}

template <class Sel>
FMatch ordered(const AtomMolecule& a, const AtomMolecule& b, float thr) {
  return getSeqOrderedCorrespondance<FMatch, AtomMolecule, Sel>(a, b, thr);
}

// Runs f with both standard streams captured; they must stay empty: the
// matching's checker and the length report write only on a fault.
template <class F>
void expectSilent(F f, const std::string& what) {
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  f();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << what;
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << what;
}

class MatchingCorrespondence : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    Parameters::addParameter("SeqOrder", 0);
  }
};

TEST_F(MatchingCorrespondence, IdenticalStructuresPairEveryResidueOnce) {
  const auto chain = irregularChain(40, 3);
  Structures s;
  s.add(chain);
  s.add(chain);
  FMatch match;
  expectSilent([&] { match = matching<GeomSelector>(s[0], s[1], 3.0f); }, "identity");
  Pairs expected;
  for (unsigned r = 0; r < 40; ++r) expected.emplace_back(r, r);
  // Within 3 of residue r lies only residue r (neighbours are 3.8 apart).
  EXPECT_EQ(pairsOf(match), expected);
}

TEST_F(MatchingCorrespondence, PairsNeedNotKeepTheResidueOrder) {
  // The order-preserving routine keeps 12 pairs, the matching all 20, listed
  // in B's order.
  Structures s = chainAndRotatedCopy();
  Pairs expected;
  for (unsigned j = 0; j < 20; ++j) expected.emplace_back((j + 12) % 20, j);
  EXPECT_EQ(pairsOf(matching<GeomSelector>(s[0], s[1], 1.0f)), expected);
  EXPECT_EQ(ordered<GeomSelector>(s[0], s[1], 1.0f).size(), 12u);

  MultSeqBlock seed = makeSeed(0, {1}, {RigidTrans3()});
  Table table;
  expectSilent([&] { table = seed.multCorrespondence(s.list(), 1.0f); }, "table");
  Table rows;
  for (int r = 0; r < 20; ++r) rows.push_back({r, (r + 8) % 20});
  EXPECT_EQ(table, rows);
  EXPECT_LT(worstMisplacement(s[0], s[0], *seed.trans[0]), 1e-3);
}

// Every pair of a and b within thr, as the selector GeomSelector sees it.
BipartiteInstance candidatePairs(const AtomMolecule& a, const AtomMolecule& b, float thr,
                                 std::map<std::pair<unsigned, unsigned>, int>& index) {
  BipartiteInstance g;
  g.nA = static_cast<int>(a.size());
  g.nB = static_cast<int>(b.size());
  const float thr2 = thr * thr;
  for (std::size_t i = 0; i < a.size(); ++i)
    for (std::size_t j = 0; j < b.size(); ++j)
      if (dist2(a.position(i), b.position(j)) <= static_cast<double>(thr2)) {
        index[{static_cast<unsigned>(i), static_cast<unsigned>(j)}] = static_cast<int>(g.edges.size());
        g.edges.emplace_back(static_cast<int>(i), static_cast<int>(j));
      }
  return g;
}

TEST_F(MatchingCorrespondence, MaximumOnCrowdedStructures) {
  // Random clouds with several candidates per residue and many residues left
  // unpaired; from 100 residues on the matching's depth-first phase runs.
  struct Case {
    int nA, nB;
    double range;
    float thr;
  };
  const std::vector<Case> cases = {{30, 25, 6.0, 3.0f},   {200, 180, 12.0, 3.5f}, {300, 300, 14.0, 4.0f},
                                   {450, 400, 25.0, 4.0f}, {400, 420, 14.0, 2.0f}};
  unsigned seed = 1;
  for (const Case& c : cases) {
    RandomGeometry random(seed++);
    Structures s;
    s.add(random.cloud(c.nA, c.range));
    s.add(random.cloud(c.nB, c.range));
    FMatch match;
    const std::string label = std::to_string(c.nA) + "+" + std::to_string(c.nB);
    expectSilent([&] { match = matching<GeomSelector>(s[0], s[1], c.thr); }, label);
    std::map<std::pair<unsigned, unsigned>, int> index;
    const BipartiteInstance g = candidatePairs(s[0], s[1], c.thr, index);
    std::vector<int> matched;
    unsigned lastB = 0;
    for (std::size_t k = 0; k < match.size(); ++k) {
      const FMatch::ParticleMatch& p = match[static_cast<unsigned>(k)];
      auto it = index.find({p.model, p.scene});
      matched.push_back(it == index.end() ? -1 : it->second);
      if (k > 0) {
        EXPECT_GT(p.scene, lastB) << label << ": pairs not in B's order";
      }
      lastB = p.scene;
    }
    EXPECT_EQ(matchingDefect(g, matched), "") << label;
    EXPECT_LT(match.size(), static_cast<std::size_t>(std::min(c.nA, c.nB))) << label;
    EXPECT_GT(match.size(), 10u) << label;
  }
}

TEST_F(MatchingCorrespondence, SelectorsDecideTheEdges) {
  // Pivot A A A A against E A K C at the same places: A-E scores 0, A-A 2,
  // A-K -1, A-C -2 in PAM250.
  Structures s;
  const std::vector<Vector3> points = {Vector3(0, 0, 0), Vector3(10, 0, 0), Vector3(20, 0, 0), Vector3(30, 0, 0)};
  s.add(points, "AAAA");
  s.add(points, "EAKC");
  s.add(points, "AAAA", 'B');
  // A pair of score 0 is an edge here, unlike a cell of the ordered routine.
  EXPECT_EQ(pairsOf(matching<PAM250_only_positive_Selector>(s[0], s[1], 3.0f)), (Pairs{{0, 0}, {1, 1}}));
  EXPECT_EQ(pairsOf(ordered<PAM250_only_positive_Selector>(s[0], s[1], 3.0f)), (Pairs{{1, 1}}));
  EXPECT_EQ(matching<PAM250positive_Selector>(s[0], s[1], 3.0f).size(), 4u);
  EXPECT_EQ(matching<GeomSelectorChainEQ>(s[0], s[2], 3.0f).size(), 0u);
  EXPECT_EQ(matching<GeomSelectorChainEQ>(s[0], s[0], 3.0f).size(), 4u);
  EXPECT_EQ(matching<GeomSelector>(s[0], s[2], 3.0f).size(), 4u);

  Structures t;
  const std::vector<Vector3> three = {Vector3(0, 0, 0), Vector3(10, 0, 0), Vector3(20, 0, 0)};
  t.add(three, "DAW");
  t.add(three, "KGF");
  AminoAcid_HHAG_Type hhag;
  ActiveClassification classification(hhag);
  EXPECT_EQ(pairsOf(matching<BioCoreSelector>(t[0], t[1], 3.0f)), (Pairs{{0, 0}, {2, 2}}));
}

TEST_F(MatchingCorrespondence, NothingToPair) {
  Structures s;
  s.add({});
  s.add(irregularChain(10, 2));
  EXPECT_EQ(matching<GeomSelector>(s[0], s[1], 3.0f).size(), 0u);
  EXPECT_EQ(matching<GeomSelector>(s[1], s[0], 3.0f).size(), 0u);
  EXPECT_EQ(matching<GeomSelector>(s[1], s[1], 0.0f).size(), 0u);
  EXPECT_EQ(matching<GeomSelector>(s[1], s[1], std::numeric_limits<float>::quiet_NaN()).size(), 0u);
  EXPECT_EQ(pairsOf(matching<GeomSelector>(s[1], s[1], 0.5f)).size(), 10u);
}

TEST_F(MatchingCorrespondence, OnePassRecoversTheExactMotion) {
  const auto chain = irregularChain(60, 7);
  const RigidTrans3 motion = randomRigidMotion(31);
  Structures s;
  s.add(chain);
  s.add(movedCopy(chain, motion));
  const RigidTrans3 exact = !motion;
  MultSeqBlock seed =
      makeSeed(0, {1}, {RigidTrans3(exact.rotation(), exact.translation() + Vector3(0.5f, 0.0f, 0.0f))});
  Table table;
  expectSilent([&] { table = seed.multCorrespondence(s.list(), 3.0f); }, "refit");
  Table rows;
  for (int r = 0; r < 60; ++r) rows.push_back({r, r});
  EXPECT_EQ(table, rows);
  EXPECT_LT(worstMisplacement(s[0], s[1], *seed.trans[0]), 1e-3);
}

TEST_F(MatchingCorrespondence, SameTableAsTheOrderedRoutineOnMovedCopies) {
  const auto chain = irregularChain(80, 21);
  Structures s;
  s.add(chain);
  std::vector<RigidTrans3> start;
  for (unsigned k = 0; k < 3; ++k) {
    const RigidTrans3 motion = randomRigidMotion(40 + k);
    s.add(movedCopy(chain, motion, 0.3f, k + 1));
    start.push_back(!motion);
  }
  MultSeqBlock matched = makeSeed(0, {1, 2, 3}, start);
  MultSeqBlock ordered = makeSeed(0, {1, 2, 3}, start);
  const Table byMatching = matched.multCorrespondence(s.list(), 3.0f);
  Parameters::addParameter("SeqOrder", 1);
  const Table byOrder = ordered.multCorrespondence(s.list(), 3.0f);
  EXPECT_EQ(byMatching.size(), 80u);
  EXPECT_EQ(byMatching, byOrder);
}

TEST_F(MatchingCorrespondence, SlotWithoutAnyPairGivesAnEmptyTable) {
  const auto chain = irregularChain(30, 6);
  Structures s;
  s.add(chain);
  s.add(chain);
  s.add(chain);
  const RigidTrans3 far(Matrix3(1.0f), Vector3(50.0f, 0.0f, 0.0f));
  MultSeqBlock seed = makeSeed(0, {1, 2}, {RigidTrans3(), far});
  EXPECT_TRUE(seed.multCorrespondence(s.list(), 3.0f).empty());
  EXPECT_EQ(seed.trans[1]->translation(), Vector3(50.0f, 0.0f, 0.0f));
}

TEST_F(MatchingCorrespondence, ChainEqualityWinsOverAnUndefinedScoring) {
  const auto chain = irregularChain(30, 8);
  Structures s;
  s.add(chain);
  s.add(chain, "ACDEFGHIKLMNPQRSTVWY", 'B');
  Parameters::addParameter("ChainEq", 1);
  Parameters::addParameter("Scoring", 7);
  MultSeqBlock seed = makeSeed(0, {1}, {RigidTrans3()});
  Table table;
  expectSilent([&] { table = seed.multCorrespondence(s.list(), 3.0f); }, "chains differ");
  EXPECT_TRUE(table.empty());
  Parameters::addParameter("ChainEq", 0);
  Parameters::addParameter("Scoring", 0);
  EXPECT_EQ(seed.multCorrespondence(s.list(), 3.0f).size(), 30u);
}

TEST_F(MatchingCorrespondence, ThresholdsAreLeftAsTheyWere) {
  MarkedThresholds check;
  Structures& s = check.structures;
  check.underEveryScoring([&] { EXPECT_FALSE(check.seed.multCorrespondence(s.list(), 3.0f).empty()); });
  Parameters::addParameter("ChainEq", 1);
  EXPECT_EQ(check.seed.multCorrespondence(s.list(), 3.0f).size(), 30u);
  matching<GeomSelector>(s[0], s[1], 2.0f);
  matching<GeomSelectorChainEQ>(s[0], s[1], 2.0f);
  matching<PAM250positive_Selector>(s[0], s[1], 2.0f);
  matching<PAM250_only_positive_Selector>(s[0], s[1], 2.0f);
  matching<BioCoreSelector>(s[0], s[1], 2.0f);
  check.expectMarkers("pairwise routines");
}

TEST_F(MatchingCorrespondence, PairAtExactlyTheDistanceIsAdmitted) {
  Structures s;
  s.add({Vector3(0, 0, 0)});
  s.add({Vector3(3.0f, 0, 0)});
  EXPECT_EQ(matching<GeomSelector>(s[0], s[1], 3.0f).size(), 1u);
  EXPECT_EQ(matching<GeomSelector>(s[0], s[1], 2.999f).size(), 0u);
}

}  // namespace
