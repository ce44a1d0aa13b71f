#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

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
using testing_support::MatchPairs;
using testing_support::pairsOf;
using testing_support::Structures;
using testing_support::worstMisplacement;
using testing_support::irregularChain;
using testing_support::movedCopy;
using testing_support::randomRigidMotion;
using testing_support::withLoopReplaced;
using Table = std::vector<std::vector<int> >;

RigidTrans3 shifted(const RigidTrans3& t, const Vector3& error) {
  return RigidTrans3(t.rotation(), t.translation() + error);
}

Table identityRows(int n, int width, const std::vector<int>& skip = {}) {
  Table rows;
  for (int r = 0; r < n; ++r) {
    bool skipped = false;
    for (int s : skip) skipped = skipped || s == r;
    if (!skipped) rows.push_back(std::vector<int>(static_cast<std::size_t>(width), r));
  }
  return rows;
}

class Correspondence : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    Parameters::addParameter("SeqOrder", 1);
  }
};

TEST_F(Correspondence, OnePassRecoversTheExactMotion) {
  const auto chain = irregularChain(60, 7);
  const RigidTrans3 motion = randomRigidMotion(31);
  Structures s;
  s.add(chain);
  s.add(movedCopy(chain, motion));
  const RigidTrans3 exact = !motion;
  MultSeqBlock seed = makeSeed(0, {1}, {shifted(exact, Vector3(0.5f, 0.0f, 0.0f))});
  const Table table = seed.multCorrespondence(s.list(), 3.0f);
  EXPECT_EQ(table, identityRows(60, 2));
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(seed.trans[0]->rotation()(r, c), exact.rotation()(r, c), 1e-4);
    EXPECT_NEAR(seed.trans[0]->translation()[r], exact.translation()[r], 1e-4);
  }
  EXPECT_LT(worstMisplacement(s[0], s[1], *seed.trans[0]), 1e-3);
}

TEST_F(Correspondence, RepeatedPassesStartFromThePreviousRefit) {
  const auto chain = irregularChain(60, 12);
  const RigidTrans3 motion = randomRigidMotion(32);
  Structures s;
  s.add(chain);
  s.add(movedCopy(chain, motion, 0.4f, 3));
  // A placement 2.9 off: only part of the structure pairs at first.
  MultSeqBlock seed = makeSeed(0, {1}, {shifted(!motion, Vector3(2.9f, 0.0f, 0.0f))});
  const Table first = seed.multCorrespondence(s.list(), 3.0f);
  const Table second = seed.multCorrespondence(s.list(), 3.0f);
  EXPECT_LT(first.size(), 60u);
  EXPECT_GT(first.size(), 3u);
  // Superimposed by the first refit, everything pairs.
  EXPECT_EQ(second, identityRows(60, 2));
  EXPECT_LT(worstMisplacement(s[0], s[1], *seed.trans[0]), 1.5);
}

TEST_F(Correspondence, RowsHoldTheResiduesPairedInEverySlot) {
  const auto chain = irregularChain(40, 9);
  const RigidTrans3 m0 = randomRigidMotion(1), m1 = randomRigidMotion(2), m2 = randomRigidMotion(3);
  Structures s;
  s.add(chain);
  s.add(movedCopy(withLoopReplaced(chain, 5, 8, 20.0f), m0));
  s.add(movedCopy(chain, m1));
  s.add(movedCopy(withLoopReplaced(chain, 20, 24, 20.0f), m2));
  MultSeqBlock seed = makeSeed(0, {1, 2, 3}, {!m0, !m1, !m2});
  const Table table = seed.multCorrespondence(s.list(), 3.0f);
  EXPECT_EQ(table, identityRows(40, 4, {5, 6, 7, 8, 20, 21, 22, 23, 24}));
}

TEST_F(Correspondence, PairsKeepTheResidueOrderOnBothSides) {
  // Only one of the two runs can be kept in order, and the longer one is.
  Structures s = chainAndRotatedCopy();
  MultSeqBlock seed = makeSeed(0, {1}, {RigidTrans3()});
  const Table table = seed.multCorrespondence(s.list(), 1.0f);
  Table expected;
  for (int r = 0; r < 12; ++r) expected.push_back({r, r + 8});
  EXPECT_EQ(table, expected);
  EXPECT_LT(worstMisplacement(s[0], s[0], *seed.trans[0]), 1e-3);
}

TEST_F(Correspondence, OrderedRoutineReturnsThePairsLastFirst) {
  const auto chain = irregularChain(10, 4);
  Structures s;
  s.add(chain);
  s.add(chain);
  const FMatch match = getSeqOrderedCorrespondance<FMatch, AtomMolecule, GeomSelector>(s[0], s[1], 1.0f);
  std::vector<std::pair<unsigned, unsigned> > expected;
  for (unsigned r = 10; r-- > 0;) expected.emplace_back(r, r);
  EXPECT_EQ(pairsOf(match), expected);
}

TEST_F(Correspondence, PositiveOnlyScoringLeavesZeroScorePairsOutOfTheProgramme) {
  // Pivot A A A A against E A K C at the same places: A-E scores 0 (admitted
  // by the selector, yet no cell), A-A 2, A-K -1, A-C -2.
  Structures s;
  std::vector<Vector3> points = {Vector3(0, 0, 0), Vector3(10, 0, 0), Vector3(20, 0, 0), Vector3(30, 0, 0)};
  s.add(points, "AAAA");
  s.add(points, "EAKC");
  const FMatch positiveOnly =
      getSeqOrderedCorrespondance<FMatch, AtomMolecule, PAM250_only_positive_Selector>(s[0], s[1], 3.0f);
  EXPECT_EQ(pairsOf(positiveOnly), (std::vector<std::pair<unsigned, unsigned> >{{1, 1}}));
  const FMatch anyScore =
      getSeqOrderedCorrespondance<FMatch, AtomMolecule, PAM250positive_Selector>(s[0], s[1], 3.0f);
  EXPECT_EQ(anyScore.size(), 4u);
}

TEST_F(Correspondence, BioCoreScoringPairsOnlyEquivalentResidues) {
  Structures s;
  std::vector<Vector3> points = {Vector3(0, 0, 0), Vector3(10, 0, 0), Vector3(20, 0, 0)};
  s.add(points, "DAW");
  s.add(points, "KGF");
  AminoAcid_HHAG_Type hhag;
  ActiveClassification classification(hhag);
  const FMatch match = getSeqOrderedCorrespondance<FMatch, AtomMolecule, BioCoreSelector>(s[0], s[1], 3.0f);
  EXPECT_EQ(pairsOf(match), (MatchPairs{{2, 2}, {0, 0}}));
}

TEST_F(Correspondence, SlotWithoutAnyPairGivesAnEmptyTableAndTheRunGoesOn) {
  const auto chain = irregularChain(30, 6);
  Structures s;
  s.add(chain);
  s.add(chain);
  s.add(chain);
  // Slot 1 is placed 50 away: nothing pairs there.
  const RigidTrans3 far(Matrix3(1.0f), Vector3(50.0f, 0.0f, 0.0f));
  MultSeqBlock seed = makeSeed(0, {1, 2}, {RigidTrans3(), far});
  const Table table = seed.multCorrespondence(s.list(), 3.0f);
  EXPECT_TRUE(table.empty());
  // The slot keeps the transformation it had; the other slot is refitted.
  EXPECT_EQ(seed.trans[1]->translation(), Vector3(50.0f, 0.0f, 0.0f));
  EXPECT_LT(worstMisplacement(s[0], s[1], *seed.trans[0]), 1e-3);
}

TEST_F(Correspondence, FewerThanThreePairsKeepThePreviousTransformation) {
  Structures s;
  s.add({Vector3(0, 0, 0), Vector3(3.8f, 0, 0), Vector3(7.6f, 0, 0)});
  s.add({Vector3(0, 0.5f, 0), Vector3(3.8f, 0.5f, 0), Vector3(40, 40, 40)});
  const RigidTrans3 start(Matrix3(1.0f), Vector3(0.25f, 0.0f, 0.0f));
  MultSeqBlock seed = makeSeed(0, {1}, {start});
  const Table table = seed.multCorrespondence(s.list(), 3.0f);
  EXPECT_EQ(table, (Table{{0, 0}, {1, 1}}));
  EXPECT_EQ(seed.trans[0]->translation(), start.translation());
  EXPECT_EQ(seed.trans[0]->rotation()(0, 0), 1.0f);
}

TEST_F(Correspondence, EveryRoutineLeavesTheThresholdsAsItFoundThem) {
  MarkedThresholds check;
  Structures& s = check.structures;
  check.underEveryScoring([&] { EXPECT_FALSE(check.seed.multCorrespondence(s.list(), 3.0f).empty()); });
  getSeqOrderedCorrespondance<FMatch, AtomMolecule, GeomSelector>(s[0], s[1], 2.0f);
  getSeqOrderedCorrespondance<FMatch, AtomMolecule, PAM250positive_Selector>(s[0], s[1], 2.0f);
  getSeqOrderedCorrespondance<FMatch, AtomMolecule, PAM250_only_positive_Selector>(s[0], s[1], 2.0f);
  getSeqOrderedCorrespondance<FMatch, AtomMolecule, BioCoreSelector>(s[0], s[1], 2.0f);
  check.expectMarkers("pairwise routines");
}

TEST_F(Correspondence, PairAtExactlyTheDistanceIsAdmitted) {
  Structures s;
  s.add({Vector3(0, 0, 0)});
  s.add({Vector3(3.0f, 0, 0)});
  auto geometric = getSeqOrderedCorrespondance<FMatch, AtomMolecule, GeomSelector>;
  EXPECT_EQ(geometric(s[0], s[1], 3.0f).size(), 1u);
  EXPECT_EQ(geometric(s[0], s[1], 2.999f).size(), 0u);
}

TEST_F(Correspondence, NeverCalledOperations) {
  const auto chain = irregularChain(20, 2);
  const RigidTrans3 motion = randomRigidMotion(8);
  Structures s;
  s.add(chain);
  s.add(movedCopy(chain, motion));
  MultSeqBlock seed = makeSeed(0, {1}, {!motion});
  EXPECT_EQ(seed.multCorrespondenceNew(s.list(), 3.0f), 20);
  // extend refits on the seed's own table.
  seed.table = identityRows(20, 2);
  *seed.trans[0] = shifted(!motion, Vector3(2.0f, 0, 0));
  seed.extend(s.list(), 3.0f);
  EXPECT_LT(worstMisplacement(s[0], s[1], *seed.trans[0]), 1e-3);
  // setRealAA turns positions into residue numbers (here numbered from 1).
  Table rows = {{0, 0}, {4, 7}};
  seed.setRealAA(s.list(), rows);
  EXPECT_EQ(rows, (Table{{1, 1}, {5, 8}}));
}

using CorrespondenceDeathTest = Correspondence;

TEST_F(CorrespondenceDeathTest, UndefinedSettingsEndTheRun) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  Structures s;
  s.add({Vector3(0, 0, 0)});
  s.add({Vector3(0, 0, 0)});
  MultSeqBlock seed = makeSeed(0, {1}, {RigidTrans3()});
  Parameters::addParameter("SeqOrder", 2);
  EXPECT_EXIT(seed.multCorrespondence(s.list(), 3.0f), testing::ExitedWithCode(1),
              "^SeqOrder undefined value:2\n$");
  Parameters::addParameter("SeqOrder", 1);
  Parameters::addParameter("ChainEq", 1);
  Parameters::addParameter("Scoring", 5);
  EXPECT_EXIT(seed.multCorrespondence(s.list(), 3.0f), testing::ExitedWithCode(1),
              "^Scoring undefined value:5\n$");
}

}  // namespace
