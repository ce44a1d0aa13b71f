#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>
#include <string>
#include <vector>

#include "RandomGeometry.h"
#include "SeedTestSupport.h"
#include "SyntheticStructure.h"
#include "engine/MultSeqBlock.h"
#include "engine/PlacementCache.h"
#include "engine/internal/PointSelectors.h"
#include "structure/AminoAcidType.h"
#include "support/Parameters.h"

namespace {

using testing_support::ActiveClassification;
using testing_support::EngineTest;
using testing_support::RandomGeometry;
using testing_support::makeSeed;
using testing_support::MarkedThresholds;
using testing_support::Structures;
using testing_support::irregularChain;
using testing_support::movedCopy;
using testing_support::randomRigidMotion;
using testing_support::withLoopReplaced;

// Independent count: pivot residues with a residue of every other structure
// within thr once that structure is moved by its transformation.
int bruteForceCore(Structures& s, const MultSeqBlock& seed, float thr) {
  const AtomMolecule& pivot = s[static_cast<std::size_t>(seed.ref)];
  int count = 0;
  for (std::size_t r = 0; r < pivot.size(); ++r) {
    bool everywhere = true;
    for (std::size_t k = 0; k < seed.ids.size(); ++k) {
      const AtomMolecule& other = s[static_cast<std::size_t>(seed.ids[k])];
      bool found = false;
      for (std::size_t b = 0; b < other.size() && !found; ++b)
        found = dist2(pivot.position(r), *seed.trans[k] * other.position(b)) <= double(thr) * thr;
      everywhere = everywhere && found;
    }
    if (everywhere) ++count;
  }
  return count;
}

class CoreScore : public EngineTest {};

TEST_F(CoreScore, RigidlyMovedCopiesScoreTheirFullLength) {
  const auto chain = irregularChain(60, 7);
  Structures s;
  s.add(chain);
  std::vector<RigidTrans3> placements;
  for (unsigned seed = 1; seed <= 3; ++seed) {
    const RigidTrans3 motion = randomRigidMotion(seed * 11);
    s.add(movedCopy(chain, motion));
    placements.push_back(!motion);
  }
  MultSeqBlock seed = makeSeed(0, {1, 2, 3}, placements);
  seed.calcScore(s.list(), 3.0f);
  EXPECT_EQ(seed.score, 60.0f);
}

TEST_F(CoreScore, ReplacedLoopIsExactlyWhatTheCoreLoses) {
  const auto chain = irregularChain(60, 7);
  const RigidTrans3 m1 = randomRigidMotion(21), m2 = randomRigidMotion(22);
  Structures s;
  s.add(chain);
  s.add(movedCopy(chain, m1));
  s.add(movedCopy(withLoopReplaced(chain, 20, 27, 20.0f), m2));
  MultSeqBlock seed = makeSeed(0, {1, 2}, {!m1, !m2});
  seed.calcScore(s.list(), 3.0f);
  EXPECT_EQ(seed.score, 52.0f);
  EXPECT_EQ(seed.score, static_cast<float>(bruteForceCore(s, seed, 3.0f)));
}

TEST_F(CoreScore, NoisyCopiesAgreeWithAnIndependentCount) {
  const auto chain = irregularChain(80, 3);
  Structures s;
  s.add(chain);
  std::vector<RigidTrans3> placements;
  for (unsigned k = 0; k < 2; ++k) {
    const RigidTrans3 motion = randomRigidMotion(40 + k);
    s.add(movedCopy(chain, motion, 1.2f, 9 + k));
    placements.push_back(!motion);
  }
  MultSeqBlock seed = makeSeed(0, {1, 2}, placements);
  for (float thr : {1.0f, 2.0f, 3.0f}) {
    seed.calcScore(s.list(), thr);
    EXPECT_EQ(seed.score, static_cast<float>(bruteForceCore(s, seed, thr))) << thr;
    EXPECT_LE(seed.score, 80.0f);
  }
}

// Two slots over hand-placed points: the count is not one to one.
TEST_F(CoreScore, HitsInEverySlotCountOncePerPivotResidue) {
  Structures s;
  // Pivot residues at x = 0, 100, 200.
  s.add({Vector3(0, 0, 0), Vector3(100, 0, 0), Vector3(200, 0, 0)});
  // Slot 0: three residues near pivot residue 0, one near 100, one near 200.
  s.add({Vector3(1, 0, 0), Vector3(0, 1, 0), Vector3(0, 0, 1), Vector3(101, 0, 0), Vector3(200, 2, 0)});
  // Slot 1: one residue near pivot residue 0, nothing near 100, one exactly 3.0 from 200.
  s.add({Vector3(0, -1, 0), Vector3(203, 0, 0)});
  MultSeqBlock seed = makeSeed(0, {1, 2}, {RigidTrans3(), RigidTrans3()});
  seed.calcScore(s.list(), 3.0f);
  EXPECT_EQ(seed.score, 2.0f);  // residue 0 and residue 200 (at the threshold); not 100
}

TEST_F(CoreScore, OneResidueMayServeSeveralPivotResidues) {
  Structures s;
  s.add({Vector3(0, 0, 0), Vector3(2, 0, 0)});
  s.add({Vector3(1, 0, 0)});
  s.add({Vector3(1, 0.5f, 0)});
  MultSeqBlock seed = makeSeed(0, {1, 2}, {RigidTrans3(), RigidTrans3()});
  seed.calcScore(s.list(), 3.0f);
  EXPECT_EQ(seed.score, 2.0f);
}

TEST_F(CoreScore, PivotWithoutPointsScoresZero) {
  Structures s;
  s.add({});
  s.add({Vector3(0, 0, 0)});
  MultSeqBlock seed = makeSeed(0, {1}, {RigidTrans3()});
  seed.score = 5.0f;
  seed.calcScore(s.list(), 3.0f);
  EXPECT_EQ(seed.score, 0.0f);
}

TEST_F(CoreScore, ChainEqualityTakesPrecedenceOverScoring) {
  Structures s;
  s.add({Vector3(0, 0, 0), Vector3(10, 0, 0)}, "AA", 'A');
  FMolecule<Atom> mixed;
  mixed.add(Atom(Vector3(0, 1, 0), ATOM, 'A', 1, 1, " CA ", 'A', "ALA", ' '));
  mixed.add(Atom(Vector3(10, 1, 0), ATOM, 'B', 2, 2, " CA ", 'A', "ALA", ' '));
  AtomMolecule other("mixed", mixed);
  std::vector<AtomMolecule*> mols = {&s[0], &other};
  MultSeqBlock seed = makeSeed(0, {1}, {RigidTrans3()});
  Parameters::addParameter("ChainEq", 1);
  Parameters::addParameter("Scoring", 7);
  testing::internal::CaptureStderr();
  seed.calcScore(mols, 3.0f);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(seed.score, 1.0f);  // the chain-B residue does not pair
  Parameters::addParameter("ChainEq", 0);
  Parameters::addParameter("Scoring", 0);
  seed.calcScore(mols, 3.0f);
  EXPECT_EQ(seed.score, 2.0f);
}

TEST_F(CoreScore, ScoringSelectsTheSelector) {
  // Pivot D and W; the other structure K on D (HHAG-equivalent, PAM250 0) and
  // C on W (not equivalent, PAM250 -8).
  Structures s;
  s.add({Vector3(0, 0, 0), Vector3(10, 0, 0)}, "DW");
  s.add({Vector3(0, 1, 0), Vector3(10, 1, 0)}, "KC");
  AminoAcid_HHAG_Type hhag;
  ActiveClassification classification(hhag);
  MultSeqBlock seed = makeSeed(0, {1}, {RigidTrans3()});
  const std::pair<int, float> cases[] = {{0, 2.0f}, {1, 2.0f}, {2, 1.0f}, {3, 1.0f}};
  for (const auto& c : cases) {
    Parameters::addParameter("Scoring", c.first);
    seed.calcScore(s.list(), 3.0f);
    EXPECT_EQ(seed.score, c.second) << "Scoring " << c.first;
  }
}

TEST_F(CoreScore, EveryScoringLeavesTheThresholdsAsItFoundThem) {
  MarkedThresholds check;
  Structures& s = check.structures;
  check.underEveryScoring([&] { check.seed.calcScore(s.list(), 3.0f); });
  Parameters::addParameter("ChainEq", 1);
  check.seed.calcScore(s.list(), 3.0f);
  check.expectMarkers("ChainEq");
}

TEST_F(CoreScore, NeverCalledCountersAgreeOnExactCopies) {
  const auto chain = irregularChain(40, 8);
  const RigidTrans3 motion = randomRigidMotion(5);
  Structures s;
  s.add(chain);
  s.add(movedCopy(chain, motion));
  s.add(movedCopy(chain, randomRigidMotion(6)));
  // Pairs over the whole chain on the main diagonal; the counters refit them.
  MultSeqBlock seed = makeSeed(0, {1, 2}, {}, {{0, 39}, {0, 39}});
  EXPECT_EQ(seed.getCorrespondenceSizeOld(s.list(), 3.0f), 40);
  EXPECT_EQ(seed.getCorrespondenceSizeNew(s.list(), 3.0f), 40);
  // The seed's own transformations are not changed by the refits.
  EXPECT_GT(testing_support::worstMisplacement(s[0], s[1], *seed.trans[0]), 1.0);

  AminoAcidEqualType equal;
  ActiveClassification classification(equal);
  *seed.trans[0] = !motion;
  *seed.trans[1] = !randomRigidMotion(6);
  float score = 0.0f;
  std::vector<std::vector<int> > table;
  Parameters::addParameter("BioCoreRadius", 3.0);
  seed.getCorrespondenceSizeNew(s.list(), 3.0f, score, table);
  EXPECT_EQ(score, 40.0f);
  ASSERT_EQ(table.size(), 40u);
  for (int r = 0; r < 40; ++r) EXPECT_EQ(table[r], (std::vector<int>{r, r, r}));
}

// A pivot and four noisy copies (two with a loop of another shape), each
// with a pool of placements: its true one, one a little off, one far off.
struct PlacementPool {
  Structures s;
  std::vector<std::vector<RigidTrans3> > placements;  // per structure 1..4

  PlacementPool() {
    const auto chain = irregularChain(90, 31);
    s.add(chain);
    placements.resize(5);
    for (unsigned k = 1; k <= 4; ++k) {
      const RigidTrans3 motion = randomRigidMotion(40 + k);
      auto copy = movedCopy(chain, RigidTrans3(), 0.6f, k);
      if (k % 2 == 0) copy = withLoopReplaced(copy, 20 + 10 * static_cast<int>(k), 30 + 10 * static_cast<int>(k));
      s.add(movedCopy(copy, motion));
      placements[k] = {!motion, RigidTrans3(Matrix3(1.0f), Vector3(1.5f, -1.0f, 0.5f)) * !motion,
                       randomRigidMotion(90 + k)};
    }
  }
};

TEST_F(CoreScore, CachedPlacementsGiveTheScoresWorkedOutAnew) {
  PlacementPool pool;
  AminoAcid_HHAG_Type hhag;
  ActiveClassification classification(hhag);
  // Every scoring, then chain equality.
  for (int setting = 0; setting <= 4; ++setting) {
    Parameters::addParameter("Scoring", setting < 4 ? setting : 0);
    Parameters::addParameter("ChainEq", setting < 4 ? 0 : 1);
    CoreHitCache cache;
    std::set<std::pair<int, int> > used;
    RandomGeometry random(static_cast<unsigned>(setting) + 3);
    int scoredAbove = 0;
    for (int trial = 0; trial < 150; ++trial) {
      std::vector<int> ids;
      std::vector<RigidTrans3> transforms;
      for (int k = 1; k <= 4; ++k) {
        if (random.uniform(0.0, 1.0) < 0.4 && !(k == 4 && ids.empty())) continue;
        const int choice = static_cast<int>(random.uniform(0.0, 3.0)) % 3;
        ids.push_back(k);
        transforms.push_back(pool.placements[static_cast<std::size_t>(k)][static_cast<std::size_t>(choice)]);
        used.insert({k, choice});
      }
      MultSeqBlock fresh = makeSeed(0, ids, transforms);
      MultSeqBlock cached = makeSeed(0, ids, transforms);
      fresh.calcScore(pool.s.list(), 3.0f);
      cached.calcScore(pool.s.list(), 3.0f, &cache);
      ASSERT_EQ(cached.score, fresh.score) << "setting " << setting << ", trial " << trial;
      // Plain distance scoring also against the independent count.
      if (setting == 0) {
        ASSERT_EQ(fresh.score, static_cast<float>(bruteForceCore(pool.s, fresh, 3.0f)));
      }
      if (fresh.score > 20.0f) ++scoredAbove;
    }
    // Each placement was worked out once, and the seeds were not all empty.
    EXPECT_EQ(cache.size(), used.size());
    EXPECT_GT(scoredAbove, 10);
  }
}

TEST_F(CoreScore, ACachedPlacementServesOnlyItsOwnStructure) {
  // Structures 1 and 2 under one transformation: 2 lies far away, so what 1
  // covers must not be taken for it.
  const auto chain = irregularChain(30, 4);
  Structures s;
  s.add(chain);
  s.add(chain);
  s.add(movedCopy(chain, RigidTrans3(Matrix3(1.0f), Vector3(50.0f, 0.0f, 0.0f))));
  CoreHitCache cache;
  MultSeqBlock near = makeSeed(0, {1}, {RigidTrans3()});
  MultSeqBlock far = makeSeed(0, {2}, {RigidTrans3()});
  near.calcScore(s.list(), 3.0f, &cache);
  far.calcScore(s.list(), 3.0f, &cache);
  EXPECT_EQ(near.score, 30.0f);
  EXPECT_EQ(far.score, 0.0f);
  EXPECT_EQ(cache.size(), 2u);
}

using CoreScoreDeathTest = CoreScore;

TEST_F(CoreScoreDeathTest, UndefinedScoringEndsTheRun) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  Structures s;
  s.add({Vector3(0, 0, 0)});
  s.add({Vector3(0, 0, 0)});
  MultSeqBlock seed = makeSeed(0, {1}, {RigidTrans3()});
  Parameters::addParameter("ChainEq", 2);
  Parameters::addParameter("Scoring", 7);
  EXPECT_EXIT(seed.calcScore(s.list(), 3.0f), testing::ExitedWithCode(1), "^Scoring undefined value:7\n$");
}

TEST_F(CoreScoreDeathTest, MissingTransformationEndsTheRun) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  Structures s;
  s.add({Vector3(0, 0, 0)});
  s.add({Vector3(0, 0, 0)});
  MultSeqBlock seed = makeSeed(0, {1}, {RigidTrans3()});
  RigidTrans3* t = seed.trans[0];
  seed.trans[0] = nullptr;
  EXPECT_EXIT(
      {
        std::cout.rdbuf(std::cerr.rdbuf());
        seed.calcScore(s.list(), 3.0f);
      },
      testing::ExitedWithCode(1), "^error\n$");
  seed.trans[0] = t;
}

}  // namespace
