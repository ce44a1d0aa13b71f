#include "engine/FastSeqBlock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "ExitCapture.h"
#include "PairTestSupport.h"
#include "SyntheticStructure.h"
#include "geometry/BestFit.h"
#include "structure/AtomMolecule.h"

namespace {

using testing_support::comparePair;
using testing_support::deleteAll;
using testing_support::pointMolecule;
using testing_support::StaticsGuard;
using testing_support::chainMolecule;
using testing_support::irregularChain;
using testing_support::movedCopy;
using testing_support::randomRigidMotion;
using testing_support::withLoopReplaced;

bool finiteTransform(const RigidTrans3& t) {
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      if (!std::isfinite(t.rotation()(r, c))) return false;
  for (int k = 0; k < 3; ++k)
    if (!std::isfinite(t.translation()[k])) return false;
  return true;
}

// RMSD of a fresh fit of the pairs (pivot i+k, other j+k), k = 0..l.
float freshRmsd(const FMolecule<Atom>& a, const FMolecule<Atom>& b, int i, int j, int l) {
  BestFit fit;
  for (int k = 0; k <= l; ++k) fit.add(a.position(i + k), b.position(j + k));
  return fit.rmsd();
}

TEST(FastSeqBlockTest, DefaultPairIsEmptyWithIdentityFit) {
  FastSeqBlock pair;
  EXPECT_EQ(pair.i, 0);
  EXPECT_EQ(pair.j, 0);
  EXPECT_EQ(pair.l, 0);
  EXPECT_EQ(pair.rmsd(), 0.0f);
  const Vector3 p(1.5f, -2.0f, 3.25f);
  const Vector3 q = pair.rigidTrans() * p;
  EXPECT_EQ(q.x, p.x);
  EXPECT_EQ(q.y, p.y);
  EXPECT_EQ(q.z, p.z);
}

TEST(FastSeqBlockTest, IdenticalChainsGiveOneBlockOverTheWholeChain) {
  StaticsGuard guard;
  AtomMolecule a = chainMolecule(irregularChain(30, 3), "a");
  AtomMolecule b = chainMolecule(irregularChain(30, 3), "b");
  comparePair(a, b);
  FastSeqBlock::m_fRMSDthr = 3.0f;
  std::vector<FastSeqBlock*> blocks = FastSeqBlock::createSeqBlocks(a, b, 30, 30, 10, 0);
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0]->i, 0);
  EXPECT_EQ(blocks[0]->j, 0);
  EXPECT_EQ(blocks[0]->l, 29);
  EXPECT_NEAR(blocks[0]->rmsd(), 0.0f, 1e-3f);
  deleteAll(blocks);
}

TEST(FastSeqBlockTest, MovedCopyWithReplacedLoopGivesBlocksOverTheUnchangedStretches) {
  StaticsGuard guard;
  const std::vector<Vector3> chain = irregularChain(40, 5);
  const RigidTrans3 motion = randomRigidMotion(17);
  AtomMolecule a = chainMolecule(chain, "a");
  AtomMolecule b = chainMolecule(movedCopy(withLoopReplaced(chain, 15, 22, 12.0f), motion), "b");
  comparePair(a, b);
  FastSeqBlock::m_fRMSDthr = 0.5f;
  // Every diagonal is searched: only the unchanged stretches 0..14 and 23..39
  // of the main diagonal match.
  std::vector<FastSeqBlock*> blocks = FastSeqBlock::createSeqBlocks(a, b, 40, 40, 10, 10000);
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0]->i, 0);
  EXPECT_EQ(blocks[0]->j, 0);
  EXPECT_EQ(blocks[0]->l, 14);
  EXPECT_EQ(blocks[1]->i, 23);
  EXPECT_EQ(blocks[1]->j, 23);
  EXPECT_EQ(blocks[1]->l, 16);
  // The fit maps the moved copy back onto the pivot.
  for (const FastSeqBlock* block : blocks) {
    EXPECT_LT(block->rmsd(), 1e-3f);
    for (int k = 0; k <= block->l; ++k) {
      const Vector3 back = block->rigidTrans() * b.position(block->j + k);
      EXPECT_LT(dist2(back, a.position(block->i + k)), 1e-5);
    }
  }
  deleteAll(blocks);
}

TEST(FastSeqBlockTest, DiagonalsComeFromTheLastPivotOffsetDownToMinusOneWithinTheShiftLimit) {
  StaticsGuard guard;
  // No two pairs of points lie at the same distance, so every fit of two
  // pairs has a positive RMSD and nothing grows under a tiny threshold.
  FMolecule<Atom> pivot = pointMolecule({{0, 0, 0}, {1, 0, 0}, {3, 0, 0}});
  FMolecule<Atom> other = pointMolecule({{0, 0, 0}, {5, 0, 0}});
  comparePair(pivot, other);
  FastSeqBlock::m_fRMSDthr = 0.01f;
  const struct {
    int maxShift;
    std::vector<std::pair<int, int>> starts;
  } cases[] = {
      // Offsets i - j: 2, 1, 1, 0, 0, -1.
      {10000, {{2, 0}, {1, 0}, {2, 1}, {0, 0}, {1, 1}, {0, 1}}},
      // The shift limit skips the whole diagonal of offset 2.
      {1, {{1, 0}, {2, 1}, {0, 0}, {1, 1}, {0, 1}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "shift limit " << c.maxShift);
    std::vector<FastSeqBlock*> blocks = FastSeqBlock::createSeqBlocks(pivot, other, 3, 2, 1, c.maxShift);
    std::vector<std::pair<int, int>> starts;
    for (const FastSeqBlock* b : blocks) {
      EXPECT_EQ(b->l, 0);
      starts.emplace_back(b->i, b->j);
    }
    EXPECT_EQ(starts, c.starts);
    deleteAll(blocks);
  }

  EXPECT_TRUE(FastSeqBlock::createSeqBlocks(pivot, other, 0, 0, 1, 10000).empty());
}

TEST(FastSeqBlockTest, NextSeedStartsAtTheLastPairOfAnAcceptedBlock) {
  StaticsGuard guard;
  // Pairs 0..9 match exactly, pair 10 is far off, pairs 11..19 match again:
  // the first block ends at 9, and the next seed starts there (9..13), which
  // pair 10 spoils, so the scan goes on one by one until 11..15.
  std::vector<Vector3> chain = irregularChain(20, 9);
  std::vector<Vector3> changed = chain;
  changed[10] = Vector3(changed[10].x + 9.0f, changed[10].y - 9.0f, changed[10].z + 9.0f);
  AtomMolecule a = chainMolecule(chain, "a");
  AtomMolecule b = chainMolecule(changed, "b");
  comparePair(a, b);
  FastSeqBlock::m_fRMSDthr = 0.5f;
  std::vector<FastSeqBlock*> blocks = FastSeqBlock::createSeqBlocks(a, b, 20, 20, 5, 0);
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0]->i, 0);
  EXPECT_EQ(blocks[0]->l, 9);
  EXPECT_EQ(blocks[1]->i, 11);
  EXPECT_EQ(blocks[1]->l, 8);
  deleteAll(blocks);
}

TEST(FastSeqBlockTest, BlockThatReachesTheSeedAgainSharesItsLastPairWithTheNextSeed) {
  StaticsGuard guard;
  // Identical chains of 12 points: the seed at 0 grows to 0..11, so the scan
  // jumps to position 11, whose seed reaches past the end.
  std::vector<Vector3> chain = irregularChain(12, 4);
  AtomMolecule a = chainMolecule(chain, "a");
  AtomMolecule b = chainMolecule(chain, "b");
  comparePair(a, b);
  FastSeqBlock::m_fRMSDthr = 1.0f;
  std::vector<FastSeqBlock*> blocks = FastSeqBlock::createSeqBlocks(a, b, 12, 12, 2, 0);
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0]->l, 11);
  deleteAll(blocks);

  // With size 1 the one-pair seed at the shared last pair is accepted and
  // grows back to the left over the whole block: the duplicate is left for
  // the clustering.
  blocks = FastSeqBlock::createSeqBlocks(a, b, 12, 12, 1, 0);
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0]->i, 0);
  EXPECT_EQ(blocks[0]->l, 11);
  EXPECT_EQ(blocks[1]->i, 0);
  EXPECT_EQ(blocks[1]->l, 11);
  deleteAll(blocks);
}

class ThresholdBoundaryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::vector<Vector3> chain = irregularChain(12, 21);
    a = chainMolecule(chain, "a");
    b = chainMolecule(movedCopy(chain, randomRigidMotion(4), 0.6f, 8), "b");
    comparePair(a, b);
    r0 = freshRmsd(a, b, 0, 0, 4);
    r1 = freshRmsd(a, b, 0, 0, 5);
    ASSERT_GT(r0, 0.0f);
    ASSERT_LT(r0, r1) << "the noise must make the sixth pair raise the RMSD";
  }
  StaticsGuard guard;
  AtomMolecule a, b;
  float r0 = 0, r1 = 0;
};

TEST_F(ThresholdBoundaryTest, SeedIsAcceptedAtEqualityAndGrowthIsRefusedAtEquality) {
  const float below = [](float x) { return std::nextafter(x, 0.0f); }(r0);
  const float above = std::nextafter(r1, std::numeric_limits<float>::infinity());
  struct Case {
    float thr;
    int minL, maxL;
    const char* what;
  } cases[] = {
      {below, 0, 0, "seed just above the threshold is rejected"},
      {r0, 4, 4, "seed at the threshold is accepted; the next pair raises the RMSD"},
      {r1, 4, 4, "an extension whose RMSD equals the threshold is refused"},
      {above, 5, 11, "an extension just under the threshold is taken"},
  };
  for (const Case& c : cases) {
    FastSeqBlock block(0, 0, 4, c.thr);
    EXPECT_EQ(block.i, 0) << c.what;
    EXPECT_GE(block.l, c.minL) << c.what;
    EXPECT_LE(block.l, c.maxL) << c.what;
    if (block.l == 0) {
      EXPECT_EQ(block.rmsd(), 0.0f) << c.what;
    } else if (block.l == 4) {
      EXPECT_EQ(block.rmsd(), r0) << c.what;
    }
  }
}

TEST(FastSeqBlockTest, SeedsOutOfRangeAreRejectedWithoutAMessage) {
  StaticsGuard guard;
  AtomMolecule a = chainMolecule(irregularChain(12, 2), "a");
  comparePair(a, a);
  testing::internal::CaptureStderr();
  FastSeqBlock pastModel(8, 0, 4, 10.0f);
  FastSeqBlock pastTarget(0, 8, 4, 10.0f);
  FastSeqBlock negative(-1, 0, 4, 10.0f);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  for (const FastSeqBlock* b : {&pastModel, &pastTarget, &negative}) {
    EXPECT_EQ(b->l, 0);
    EXPECT_EQ(b->rmsd(), 0.0f);
  }
  EXPECT_EQ(pastTarget.j, 8);

  FastSeqBlock::m_iModelSize = 0;
  FastSeqBlock beforeAnyPivot(0, 0, 4, 10.0f);
  EXPECT_EQ(beforeAnyPivot.l, 0);
}

// A minimum size longer than both structures (up to the largest int) finds
// nothing; forming start + length would overflow.
TEST(FastSeqBlockTest, MinimumSizeBeyondTheStructuresFindsNoPairs) {
  StaticsGuard guard;
  AtomMolecule a = chainMolecule(irregularChain(12, 2), "a");
  comparePair(a, a);
  FastSeqBlock::m_fRMSDthr = 3.0f;
  for (int minSize : {13, 1 << 30, std::numeric_limits<int>::max()}) {
    std::vector<FastSeqBlock*> blocks = FastSeqBlock::createSeqBlocks(a, a, 12, 12, minSize, 10000);
    EXPECT_TRUE(blocks.empty()) << minSize;
    deleteAll(blocks);
  }
  FastSeqBlock seed(11, 11, std::numeric_limits<int>::max() - 1, 3.0f);
  EXPECT_EQ(seed.l, 0);
}

TEST(FastSeqBlockTest, ExactPairsConstructorFitsExactlyThosePairs) {
  StaticsGuard guard;
  const std::vector<Vector3> chain = irregularChain(20, 6);
  AtomMolecule a = chainMolecule(chain, "a");
  AtomMolecule b = chainMolecule(movedCopy(chain, randomRigidMotion(3), 0.4f, 2), "b");
  comparePair(a, b);
  FastSeqBlock block(3, 5, 7);
  EXPECT_EQ(block.i, 3);
  EXPECT_EQ(block.j, 5);
  EXPECT_EQ(block.l, 7);
  EXPECT_EQ(block.rmsd(), freshRmsd(a, b, 3, 5, 7));
}

TEST(FastSeqBlockDeathTest, ExactPairsConstructorOutOfRangeEndsTheRun) {
  StaticsGuard guard;
  AtomMolecule a = chainMolecule(irregularChain(12, 2), "a");
  AtomMolecule b = chainMolecule(irregularChain(30, 2), "b");
  comparePair(a, b);
  EXPECT_EXIT(FastSeqBlock(5, 0, 10), testing::ExitedWithCode(1),
              "^ERROR: FastSeqBlock::FastSeqBlock\\(int i,int j,int l\\): 5 0 10 12 30\n$");
}

TEST(FastSeqBlockTest, BottleneckBoundIncludesEquality) {
  StaticsGuard guard;
  FMolecule<Atom> pivot = pointMolecule({{1, 0, 0}});
  FMolecule<Atom> exact = pointMolecule({{4, 0, 0}});
  FMolecule<Atom> beyond = pointMolecule({{4.001f, 0, 0}});
  const RigidTrans3 identity;
  FastSeqBlock block;
  comparePair(pivot, exact);
  EXPECT_TRUE(block.checkBottleneck(3.0f, identity));
  comparePair(pivot, beyond);
  EXPECT_FALSE(block.checkBottleneck(3.0f, identity));

  block.l = -1;
  EXPECT_TRUE(block.checkBottleneck(0.0f, identity));
}

TEST(FastSeqBlockTest, BottleneckChecksTheSeedAndTheRightPairsOnly) {
  StaticsGuard guard;
  // Pairs 5..14 form the seed. Pair 4 (left) is 2 off and pair 15 (right) 3
  // off; every other pair matches exactly.
  std::vector<Vector3> chain = irregularChain(30, 12);
  std::vector<Vector3> other = chain;
  other[4] = Vector3(other[4].x, other[4].y + 2.0f, other[4].z);
  other[15] = Vector3(other[15].x + 3.0f, other[15].y, other[15].z);
  AtomMolecule a = chainMolecule(chain, "a");
  AtomMolecule b = chainMolecule(other, "b");
  comparePair(a, b);

  FastSeqBlock unchecked(5, 5, 9, 10.0f);
  EXPECT_EQ(unchecked.i, 0);
  EXPECT_EQ(unchecked.l, 29);

  Parameters::addParameter("SBlockBottleneck", 1);
  Parameters::addParameter("SBlockBottleneckWeight", 0.1);
  const float bound = 10.0f * 0.1f;
  FastSeqBlock block(5, 5, 9, 10.0f);
  // The left pair came in untested; the right pair passed the test that did
  // not yet include it, failed at the next loop head and stayed.
  EXPECT_EQ(block.i, 4);
  EXPECT_EQ(block.j, 4);
  EXPECT_EQ(block.i + block.l, 15);

  // Independent check of the premises: under the final fit the right pair and
  // the left pair lie beyond the bound, the seed's pairs within it.
  const RigidTrans3& t = block.rigidTrans();
  const double bound2 = static_cast<double>(bound) * bound;
  EXPECT_GT(dist2(a.position(15), t * b.position(15)), bound2);
  EXPECT_GT(dist2(a.position(4), t * b.position(4)), bound2);
  for (int k = 5; k <= 14; ++k) EXPECT_LE(dist2(a.position(k), t * b.position(k)), bound2) << k;
}

TEST(FastSeqBlockTest, BottleneckRejectsASeedThatFailsIt) {
  StaticsGuard guard;
  std::vector<Vector3> chain = irregularChain(20, 12);
  std::vector<Vector3> other = chain;
  other[7] = Vector3(other[7].x + 3.0f, other[7].y, other[7].z);
  AtomMolecule a = chainMolecule(chain, "a");
  AtomMolecule b = chainMolecule(other, "b");
  comparePair(a, b);
  Parameters::addParameter("SBlockBottleneck", 1);
  Parameters::addParameter("SBlockBottleneckWeight", 0.1);
  FastSeqBlock block(5, 5, 9, 10.0f);
  EXPECT_EQ(block.i, 5);
  EXPECT_EQ(block.l, 0);
  EXPECT_EQ(block.rmsd(), 0.0f);
}

TEST(FastSeqBlockTest, CreateSeqBlocksGrowsUnderTheBottleneckSetting) {
  StaticsGuard guard;
  std::vector<Vector3> chain = irregularChain(30, 12);
  std::vector<Vector3> other = chain;
  other[15] = Vector3(other[15].x + 3.0f, other[15].y, other[15].z);
  AtomMolecule a = chainMolecule(chain, "a");
  AtomMolecule b = chainMolecule(other, "b");
  comparePair(a, b);
  FastSeqBlock::m_fRMSDthr = 10.0f;

  std::vector<FastSeqBlock*> plain = FastSeqBlock::createSeqBlocks(a, b, 30, 30, 10, 0);
  ASSERT_EQ(plain.size(), 1u);
  EXPECT_EQ(plain[0]->l, 29);

  Parameters::addParameter("SBlockBottleneck", 1);
  Parameters::addParameter("SBlockBottleneckWeight", 0.1);
  std::vector<FastSeqBlock*> tested = FastSeqBlock::createSeqBlocks(a, b, 30, 30, 10, 0);
  // The first seed of the only diagonal is (0, 0) with ten pairs; its block is
  // the one a pair grown there on its own gives under the same settings.
  const FastSeqBlock alone(0, 0, 9, 10.0f);
  ASSERT_FALSE(tested.empty());
  EXPECT_EQ(tested[0]->i, alone.i);
  EXPECT_EQ(tested[0]->j, alone.j);
  EXPECT_EQ(tested[0]->l, alone.l);
  EXPECT_LT(tested[0]->l, 29);
  deleteAll(plain);
  deleteAll(tested);
}

TEST(FastSeqBlockTest, CalcRigidTransMapsTheSecondStructureOntoTheFirst) {
  const std::vector<Vector3> chain = irregularChain(25, 8);
  const RigidTrans3 motion = randomRigidMotion(5);
  AtomMolecule a = chainMolecule(chain, "a");
  AtomMolecule b = chainMolecule(movedCopy(chain, motion), "b");
  RigidTrans3 t;
  float rmsd = -1.0f;
  FastSeqBlock::calcRigidTrans(a, b, 4, 4, 12, t, rmsd);
  EXPECT_LT(rmsd, 1e-3f);
  for (int k = 0; k < 25; ++k) EXPECT_LT(dist2(t * b.position(k), a.position(k)), 1e-5) << k;

  FastSeqBlock::calcRigidTrans(a, b, 4, 4, 0, t, rmsd);
  EXPECT_EQ(rmsd, 0.0f);
  const Vector3 p(2.0f, 3.0f, 4.0f);
  EXPECT_EQ(dist2(t * p, p), 0.0);
}

TEST(FastSeqBlockTest, DegenerateFitsNeverGiveNaN) {
  StaticsGuard guard;
  // Collinear points and fits of one or two pairs leave the rotation free.
  std::vector<Vector3> line, shifted;
  for (int k = 0; k < 12; ++k) {
    line.emplace_back(3.8f * k, 0.0f, 0.0f);
    shifted.emplace_back(3.8f * k + 1.0f, 2.0f, -1.0f);
  }
  FMolecule<Atom> a = pointMolecule(line);
  FMolecule<Atom> b = pointMolecule(shifted);
  comparePair(a, b);
  FastSeqBlock::m_fRMSDthr = 1.0f;
  for (int minSize : {1, 2, 3, 10}) {
    std::vector<FastSeqBlock*> blocks = FastSeqBlock::createSeqBlocks(a, b, 12, 12, minSize, 10000);
    EXPECT_FALSE(blocks.empty());
    for (const FastSeqBlock* block : blocks) {
      EXPECT_TRUE(std::isfinite(block->rmsd())) << minSize;
      EXPECT_TRUE(finiteTransform(block->rigidTrans())) << minSize;
    }
    deleteAll(blocks);
  }
}

TEST(FastSeqBlockTest, ResolveOverlapSplitsTheSharedPairs) {
  StaticsGuard guard;
  AtomMolecule a = chainMolecule(irregularChain(30, 2), "a");
  comparePair(a, a);
  FastSeqBlock first(0, 0, 9);
  FastSeqBlock second(7, 7, 9);
  FastSeqBlock* pa = &first;
  FastSeqBlock* pb = &second;
  // Three shared pairs: two leave the first block, one the second.
  FastSeqBlock::resolveOverlap(&pa, &pb);
  ASSERT_NE(pa, &first);
  ASSERT_NE(pb, &second);
  EXPECT_EQ(pa->i, 0);
  EXPECT_EQ(pa->l, 7);
  EXPECT_EQ(pb->i, 8);
  EXPECT_EQ(pb->j, 8);
  EXPECT_EQ(pb->l, 8);
  EXPECT_EQ(first.l, 9);
  delete pa;
  delete pb;

  FastSeqBlock apart(20, 20, 5);
  pa = &first;
  pb = &apart;
  FastSeqBlock::resolveOverlap(&pa, &pb);
  EXPECT_EQ(pa, &first);
  EXPECT_EQ(pb, &apart);
}

TEST(FastSeqBlockTest, CopiesCarryTheFit) {
  StaticsGuard guard;
  const std::vector<Vector3> chain = irregularChain(15, 8);
  AtomMolecule a = chainMolecule(chain, "a");
  AtomMolecule b = chainMolecule(movedCopy(chain, randomRigidMotion(6)), "b");
  comparePair(a, b);
  FastSeqBlock block(0, 0, 14);
  FastSeqBlock copy(block);
  EXPECT_EQ(copy.l, 14);
  for (int k = 0; k < 15; ++k) EXPECT_LT(dist2(copy.rigidTrans() * b.position(k), a.position(k)), 1e-5);
}

}  // namespace
