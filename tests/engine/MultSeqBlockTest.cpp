#include "engine/MultSeqBlock.h"

#include <gtest/gtest.h>

#include <queue>
#include <sstream>
#include <string>
#include <vector>

#include "ExitCapture.h"
#include "PairTestSupport.h"
#include "SyntheticStructure.h"
#include "engine/FastSeqBlock.h"
#include "structure/AtomMolecule.h"

namespace {

using testing_support::comparePair;
using testing_support::makePair;
using testing_support::StaticsGuard;
using testing_support::chainMolecule;
using testing_support::irregularChain;
using testing_support::movedCopy;
using testing_support::randomRigidMotion;

struct Spec {
  int i, j, l;
};

// A seed of the given pairs (fresh fits); null specs give null slots.
MultSeqBlock* makeSeed(const std::vector<const Spec*>& specs, std::vector<int> ids, int ref) {
  std::vector<FastSeqBlock*> pairs;
  for (const Spec* s : specs) pairs.push_back(s ? makePair(s->i, s->j, s->l) : nullptr);
  MultSeqBlock* seed = new MultSeqBlock(pairs, ids, ref);
  for (FastSeqBlock* p : pairs) delete p;
  return seed;
}

MultSeqBlock* makeSeed(const std::vector<Spec>& specs, std::vector<int> ids, int ref) {
  std::vector<const Spec*> pointers;
  for (const Spec& s : specs) pointers.push_back(&s);
  return makeSeed(pointers, ids, ref);
}

bool sameTransform(const RigidTrans3& a, const RigidTrans3& b) {
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      if (a.rotation()(r, c) != b.rotation()(r, c)) return false;
  for (int k = 0; k < 3; ++k)
    if (a.translation()[k] != b.translation()[k]) return false;
  return true;
}

TEST(MultSeqBlockTest, CommonStretchOfThePairs) {
  const Spec a{10, 0, 20}, b{15, 3, 30}, c{0, 0, 4}, d{10, 0, 4}, e{5, 0, 10};
  struct Case {
    std::vector<const Spec*> pairs;
    int start, length, molNum;
    const char* what;
  } cases[] = {
      {{&a, &b}, 15, 16, 2, "largest start 15, smallest end 30"},
      {{&c, &d}, 10, -5, 2, "pairs that do not overlap are not refused"},
      {{nullptr, nullptr}, 0, 1000000, 0, "all slots null"},
      {{}, 0, 1000000, 0, "no slots"},
      {{&e, nullptr}, 5, 11, 1, "a null slot is left out"},
  };
  for (const Case& k : cases) {
    std::vector<int> ids;
    for (std::size_t s = 0; s < k.pairs.size(); ++s) ids.push_back(static_cast<int>(s) + 1);
    MultSeqBlock* seed = makeSeed(k.pairs, ids, 0);
    EXPECT_EQ(seed->start, k.start) << k.what;
    EXPECT_EQ(seed->length, k.length) << k.what;
    EXPECT_EQ(seed->getMolNum(), k.molNum) << k.what;
    EXPECT_EQ(seed->blocks.size(), k.pairs.size()) << k.what;
    EXPECT_EQ(seed->trans.size(), k.pairs.size()) << k.what;
    for (std::size_t s = 0; s < k.pairs.size(); ++s)
      EXPECT_EQ(seed->trans[s] == nullptr, k.pairs[s] == nullptr) << k.what;
    delete seed;
  }
}

TEST(MultSeqBlockTest, ConstructionCopiesThePairsAndTheirTransformations) {
  StaticsGuard guard;
  const std::vector<Vector3> chain = irregularChain(20, 3);
  AtomMolecule a = chainMolecule(chain, "a");
  AtomMolecule b = chainMolecule(movedCopy(chain, randomRigidMotion(2)), "b");
  AtomMolecule c = chainMolecule(movedCopy(chain, randomRigidMotion(7)), "c");
  comparePair(a, b);
  FastSeqBlock* ab = new FastSeqBlock(2, 2, 15);
  comparePair(a, c);
  FastSeqBlock* ac = new FastSeqBlock(0, 0, 19);
  ASSERT_TRUE(ab->fit.dirty());
  std::vector<FastSeqBlock*> pairs = {ab, ac};
  MultSeqBlock* seed = new MultSeqBlock(pairs, {1, 2}, 0);
  EXPECT_EQ(seed->m_type, 0);
  EXPECT_EQ(seed->score, 0.0f);
  EXPECT_TRUE(seed->table.empty());
  EXPECT_EQ(seed->ref, 0);
  EXPECT_EQ(seed->ids, (std::vector<int>{1, 2}));
  EXPECT_EQ(seed->start, 2);
  EXPECT_EQ(seed->length, 16);
  for (std::size_t k = 0; k < 2; ++k) {
    EXPECT_NE(seed->blocks[k], pairs[k]);
    EXPECT_NE(seed->trans[k], &pairs[k]->rigidTrans());
    EXPECT_TRUE(sameTransform(*seed->trans[k], pairs[k]->rigidTrans())) << k;
  }
  delete ab;
  delete ac;
  // The seed's own copies outlive the pairs it was made from.
  EXPECT_EQ(seed->blocks[0]->l, 15);
  for (int k = 0; k < 20; ++k) EXPECT_LT(dist2(*seed->trans[1] * c.position(k), a.position(k)), 1e-5) << k;
  delete seed;
}

TEST(MultSeqBlockTest, KeyIsAByteStringOfLowBytes) {
  MultSeqBlock* seed = makeSeed({{300, 5, 12}}, {2}, 1);
  EXPECT_EQ(seed->getID(), std::string("\x01\x2C\x05\x0C\x02", 5));
  delete seed;

  // Zero bytes are part of the key, not its end.
  MultSeqBlock* zeros = makeSeed({{0, 256, 512}, {1, 0, 0}}, {0, 3}, 256);
  const std::string key = zeros->getID();
  ASSERT_EQ(key.size(), 9u);
  EXPECT_EQ(key, std::string("\0\0\0\0\0\x01\0\0\x03", 9));
  delete zeros;
}

TEST(MultSeqBlockTest, ExactEqualityTellsCollidingKeysApart) {
  MultSeqBlock* x = makeSeed({{10, 5, 12}, {7, 1, 20}}, {1, 2}, 0);
  MultSeqBlock* sameX = makeSeed({{10, 5, 12}, {7, 1, 20}}, {1, 2}, 0);
  MultSeqBlock* farI = makeSeed({{266, 5, 12}, {7, 1, 20}}, {1, 2}, 0);
  MultSeqBlock* swapped = makeSeed({{7, 1, 20}, {10, 5, 12}}, {2, 1}, 0);
  MultSeqBlock* otherRef = makeSeed({{10, 5, 12}, {7, 1, 20}}, {1, 2}, 3);
  MultSeqBlock* otherIds = makeSeed({{10, 5, 12}, {7, 1, 20}}, {1, 4}, 0);
  MultSeqBlock* fewer = makeSeed({{10, 5, 12}}, {1}, 0);
  MultSeqBlock* otherL = makeSeed({{10, 5, 12}, {7, 1, 21}}, {1, 2}, 0);
  MultSeqBlock* otherJ = makeSeed({{10, 6, 12}, {7, 1, 20}}, {1, 2}, 0);

  EXPECT_EQ(x->getID(), farI->getID());
  EXPECT_TRUE(x->equalExact(*sameX));
  EXPECT_TRUE(x->equalExact(*x));
  sameX->score = 9.0f;
  EXPECT_TRUE(x->equalExact(*sameX)) << "scores are not compared";
  for (const MultSeqBlock* other : {farI, swapped, otherRef, otherIds, fewer, otherL, otherJ}) {
    EXPECT_FALSE(x->equalExact(*other));
    EXPECT_FALSE(other->equalExact(*x));
  }
  for (MultSeqBlock* s : {x, sameX, farI, swapped, otherRef, otherIds, fewer, otherL, otherJ}) delete s;
}

class GeometricEqualityTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedThr = AtomMolecule::st_fThr;
    AtomMolecule::st_fThr = 48.0f;
    for (unsigned seed : {1u, 2u, 3u}) molecules.push_back(new AtomMolecule(chainMolecule(irregularChain(30, seed))));
    t1 = randomRigidMotion(5);
    t2 = randomRigidMotion(6);
  }
  void TearDown() override {
    AtomMolecule::st_fThr = savedThr;
    for (AtomMolecule* m : molecules) delete m;
  }

  // A seed whose slot k places molecule ids[k] by placements[k].
  static MultSeqBlock* seedWith(int ref, std::vector<int> ids, const std::vector<RigidTrans3>& placements) {
    std::vector<Spec> specs(ids.size(), Spec{0, 0, 9});
    MultSeqBlock* seed = makeSeed(specs, ids, ref);
    for (std::size_t k = 0; k < placements.size(); ++k) *seed->trans[k] = placements[k];
    return seed;
  }

  static RigidTrans3 shifted(const RigidTrans3& t, float dx) {
    return RigidTrans3(t.rotation(), t.translation() + Vector3(dx, 0.0f, 0.0f));
  }

  float savedThr = 0;
  std::vector<AtomMolecule*> molecules;
  RigidTrans3 t1, t2;
};

TEST_F(GeometricEqualityTest, SameAlignmentSeenFromAnotherPivot) {
  MultSeqBlock* x = seedWith(0, {1}, {t1});
  MultSeqBlock* y = seedWith(1, {0}, {!t1});
  EXPECT_TRUE(x->equal(molecules, *y));
  EXPECT_TRUE(y->equal(molecules, *x));
  EXPECT_TRUE(x->equal(molecules, *x));
  delete x;
  delete y;
}

TEST_F(GeometricEqualityTest, AFiveAngstromShiftBreaksEquality) {
  // Every reference point moves by 5: the sum of squares is 75, above 48.
  MultSeqBlock* x = seedWith(0, {1}, {t1});
  MultSeqBlock* y = seedWith(1, {0}, {shifted(!t1, 5.0f)});
  EXPECT_FALSE(x->equal(molecules, *y));
  // A shift of 3.9 gives 45.63, within the bound.
  MultSeqBlock* near = seedWith(1, {0}, {shifted(!t1, 3.9f)});
  EXPECT_TRUE(x->equal(molecules, *near));
  delete x;
  delete y;
  delete near;
}

TEST_F(GeometricEqualityTest, ThreeStructuresAreComparedInThisSeedsFrame) {
  // x: pivot 0, structures 1 and 2 placed by t1 and t2. y: the same alignment
  // with pivot 1, so structure 0 sits at t1^-1 and structure 2 at t1^-1 t2.
  MultSeqBlock* x = seedWith(0, {1, 2}, {t1, t2});
  MultSeqBlock* y = seedWith(1, {2, 0}, {(!t1) * t2, !t1});
  EXPECT_TRUE(x->equal(molecules, *y));
  EXPECT_TRUE(y->equal(molecules, *x));
  MultSeqBlock* bent = seedWith(1, {2, 0}, {shifted((!t1) * t2, 6.0f), !t1});
  EXPECT_FALSE(x->equal(molecules, *bent));
  EXPECT_FALSE(bent->equal(molecules, *x));
  for (MultSeqBlock* s : {x, y, bent}) delete s;
}

TEST_F(GeometricEqualityTest, DifferentStructuresAreNeverEqual) {
  MultSeqBlock* x = seedWith(0, {1}, {t1});
  MultSeqBlock* other = seedWith(0, {2}, {t1});
  MultSeqBlock* more = seedWith(0, {1, 2}, {t1, t2});
  EXPECT_FALSE(x->equal(molecules, *other));
  EXPECT_FALSE(x->equal(molecules, *more));
  EXPECT_FALSE(more->equal(molecules, *x));
  for (MultSeqBlock* s : {x, other, more}) delete s;
}

TEST(MultSeqBlockTest, CopyIsDeepAndLeavesTheTableBehind) {
  MultSeqBlock* source = makeSeed({{3, 4, 10}, {5, 2, 8}}, {2, 1}, 0);
  source->score = 7.5f;
  source->table = {{5, 7, 3}, {6, 8, 4}};
  *source->trans[1] = randomRigidMotion(3);
  MultSeqBlock* copy = new MultSeqBlock(*source);
  EXPECT_EQ(copy->m_type, 1);
  EXPECT_TRUE(copy->table.empty());
  EXPECT_EQ(copy->score, 7.5f);
  EXPECT_EQ(copy->start, source->start);
  EXPECT_EQ(copy->length, source->length);
  EXPECT_EQ(copy->ref, 0);
  EXPECT_EQ(copy->ids, (std::vector<int>{2, 1}));
  EXPECT_TRUE(copy->equalExact(*source));
  for (std::size_t k = 0; k < 2; ++k) {
    EXPECT_NE(copy->blocks[k], source->blocks[k]);
    EXPECT_NE(copy->trans[k], source->trans[k]);
    EXPECT_TRUE(sameTransform(*copy->trans[k], *source->trans[k]));
  }
  copy->blocks[0]->l = 50;
  *copy->trans[1] = RigidTrans3();
  EXPECT_EQ(source->blocks[0]->l, 10);
  EXPECT_TRUE(sameTransform(*source->trans[1], randomRigidMotion(3)));
  delete source;
  EXPECT_EQ(copy->blocks[1]->i, 5);
  delete copy;
}

TEST(MultSeqBlockTest, CountersFollowEveryKindOfConstruction) {
  const int before[3] = {MultSeqBlock::inew[0], MultSeqBlock::inew[1], MultSeqBlock::inew[2]};
  MultSeqBlock* built = makeSeed({{0, 0, 9}}, {1}, 0);
  MultSeqBlock* copy = new MultSeqBlock(*built);
  EXPECT_EQ(MultSeqBlock::inew[0], before[0] + 1);
  EXPECT_EQ(MultSeqBlock::inew[1], before[1] + 1);
  delete built;
  delete copy;
  for (int k = 0; k < 3; ++k) EXPECT_EQ(MultSeqBlock::inew[k], before[k]) << k;
}

TEST(MultSeqBlockTest, SlotAccessAndRelease) {
  const Spec a{1, 2, 3}, b{4, 5, 6};
  MultSeqBlock* seed = makeSeed({&a, nullptr, &b}, {1, 2, 3}, 0);
  const std::vector<FastSeqBlock*> all = seed->getAllSeqBlocks();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0], seed->blocks[0]);
  EXPECT_EQ(all[1], seed->blocks[2]);
  seed->deleteVectors();
  EXPECT_TRUE(seed->blocks.empty());
  EXPECT_TRUE(seed->trans.empty());
  EXPECT_EQ(seed->getMolNum(), 0);
  delete seed;
}

TEST(MultSeqBlockTest, HeapOfSeedsHasTheLowestScoreOnTop) {
  std::priority_queue<MultSeqBlock*, std::vector<MultSeqBlock*>, CompareMultSeqBlock> heap;
  std::vector<MultSeqBlock*> seeds;
  for (float score : {4.0f, 1.0f, 9.0f, 2.5f}) {
    seeds.push_back(makeSeed({{0, 0, 9}}, {1}, 0));
    seeds.back()->score = score;
    heap.push(seeds.back());
  }
  std::vector<float> order;
  while (!heap.empty()) {
    order.push_back(heap.top()->score);
    heap.pop();
  }
  EXPECT_EQ(order, (std::vector<float>{1.0f, 2.5f, 4.0f, 9.0f}));
  for (MultSeqBlock* s : seeds) delete s;
}

TEST(MultSeqBlockTest, DiagnosticTimerIsNamed) {
  std::ostringstream os;
  os << MultSeqBlock::testTimerMSB;
  EXPECT_EQ(os.str().rfind("MSB:test1: ", 0), 0u) << os.str();
}

// The seeds below are built inside the dying child, where no leak check
// applies to what the fatal path leaves behind.
void copySeedWithNullSlot() {
  testing_support::stdoutToStderr();
  testing_support::LeakCheckPause pause;
  const Spec a{0, 0, 9};
  MultSeqBlock* seed = makeSeed({&a, nullptr}, {1, 2}, 0);
  MultSeqBlock copy(*seed);
}

void keyOfSeedWithNullSlot() {
  testing_support::LeakCheckPause pause;
  MultSeqBlock* seed = makeSeed(std::vector<const Spec*>{nullptr}, {1}, 0);
  seed->getID();
}

void destroySeedOfKind(int kind) {
  testing_support::stdoutToStderr();
  testing_support::LeakCheckPause pause;
  MultSeqBlock* seed = makeSeed({{0, 0, 9}}, {1}, 0);
  seed->m_type = kind;
  delete seed;
}

void destroySeedWithMismatchedSlots() {
  testing_support::stdoutToStderr();
  testing_support::LeakCheckPause pause;
  MultSeqBlock* seed = makeSeed({{0, 0, 9}}, {1}, 0);
  seed->trans.push_back(nullptr);
  delete seed;
}

TEST(MultSeqBlockDeathTest, CopyingASeedWithANullSlotEndsTheRun) {
  EXPECT_EXIT(copySeedWithNullSlot(), testing::ExitedWithCode(1), "^error\n$");
}

TEST(MultSeqBlockDeathTest, KeyOfASeedWithANullSlotEndsTheRun) {
  EXPECT_EXIT(keyOfSeedWithNullSlot(), testing::ExitedWithCode(1), "^Error in MSB getID\n$");
}

TEST(MultSeqBlockDeathTest, DestroyingAnInconsistentSeedEndsTheRun) {
  EXPECT_EXIT(destroySeedOfKind(3), testing::ExitedWithCode(1), "^m_type error\n$");
  EXPECT_EXIT(destroySeedOfKind(-1), testing::ExitedWithCode(1), "^m_type error\n$");
  EXPECT_EXIT(destroySeedWithMismatchedSlots(), testing::ExitedWithCode(1), "^error\n$");
}

}  // namespace
