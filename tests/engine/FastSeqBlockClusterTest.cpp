#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "PairTestSupport.h"
#include "SyntheticStructure.h"
#include "engine/FastSeqBlock.h"
#include "structure/AtomMolecule.h"

namespace {

using testing_support::comparePair;
using testing_support::deleteAll;
using testing_support::makePair;
using testing_support::StaticsGuard;
using testing_support::chainMolecule;
using testing_support::irregularChain;
using testing_support::movedCopy;
using testing_support::randomRigidMotion;
using testing_support::withLoopReplaced;

struct Spec {
  int i, j, l;
};

std::vector<FastSeqBlock*> makePairs(const std::vector<Spec>& specs) {
  std::vector<FastSeqBlock*> pairs;
  for (const Spec& s : specs) pairs.push_back(makePair(s.i, s.j, s.l));
  return pairs;
}

// Input positions of the returned representatives.
std::vector<int> positionsOf(const std::vector<FastSeqBlock*>& result, const std::vector<FastSeqBlock*>& input) {
  std::vector<int> positions;
  for (const FastSeqBlock* r : result)
    positions.push_back(static_cast<int>(std::find(input.begin(), input.end(), r) - input.begin()));
  return positions;
}

void expectConsumed(const std::vector<FastSeqBlock*>& blocks, std::size_t size) {
  EXPECT_EQ(blocks.size(), size);
  for (const FastSeqBlock* b : blocks) EXPECT_EQ(b, nullptr);
}

TEST(FastSeqBlockClusterTest, CompatibilityOfTwoPairs) {
  struct Case {
    float ratio;
    Spec a, b;
    bool grouped;
    const char* what;
  } cases[] = {
      {0.8f, {0, 0, 49}, {5, 0, 49}, true, "diagonals 5 apart, overlaps 44 and 49 above 40"},
      {0.8f, {0, 0, 49}, {6, 0, 49}, false, "diagonals 6 apart"},
      {0.8f, {5, 0, 49}, {0, 0, 49}, true, "the diagonal test is symmetric"},
      {0.8f, {0, 0, 19}, {2, 2, 19}, true, "overlap measure 17 above 16"},
      {0.8f, {0, 0, 19}, {3, 3, 19}, false, "overlap measure 16 is not above 16"},
      {0.8f, {0, 10, 19}, {3, 10, 19}, false, "pivot overlap 16 fails although the other structure's is 19"},
      {0.8f, {0, 0, 19}, {0, 3, 19}, false, "other-structure overlap 16 fails although the pivot's is 19"},
      {0.8f, {0, 0, 9}, {0, 0, 29}, true, "m is the shorter pair's size: measure 9 above 8, not 24"},
      {0.8f, {0, 0, 19}, {30, 30, 19}, false, "disjoint stretches"},
      // The decision: ratio * m is formed in double, 6.99999988 for 0.7 * 10,
      // so a measure of 7 groups (a float product would be exactly 7.0).
      {0.7f, {0, 0, 9}, {2, 2, 9}, true, "0.7 * 10 in double lies below 7"},
      {0.7f, {0, 0, 9}, {3, 3, 9}, false, "measure 6"},
      {1.0f, {0, 0, 19}, {0, 0, 19}, false, "ratio 1 never groups: the measure is at most m - 1"},
  };
  StaticsGuard guard;
  for (const Case& c : cases) {
    FastSeqBlock::m_fOverlapRatio = c.ratio;
    std::vector<FastSeqBlock*> input = makePairs({c.a, c.b});
    std::vector<FastSeqBlock*> result = FastSeqBlock::cluster(input);
    EXPECT_EQ(result.size(), c.grouped ? 1u : 2u) << c.what;
    expectConsumed(input, 2);
    deleteAll(result);
  }
}

TEST(FastSeqBlockClusterTest, OverlapBoundIsFormedInDoublePrecision) {
  // The boundary the decision is about: the two precisions disagree here.
  EXPECT_LT(static_cast<double>(0.7f) * 10.0, 7.0);
  EXPECT_EQ(0.7f * 10.0f, 7.0f);
}

TEST(FastSeqBlockClusterTest, RepresentativesOfHandMadeSets) {
  struct Case {
    const char* what;
    float ratio;
    std::vector<Spec> specs;
    // Input positions of the representatives, in the order of the groups'
    // first members.
    std::vector<int> representatives;
  };
  const std::vector<Case> cases = {
      // 0 and 1 group; 2 fits 0 (measure 17) but not 1 (measure 15), so it
      // starts a group of its own, which 4 joins; 3 is alone; 5 joins the first
      // group. The longest of each group: 5 (22 pairs) for {0, 1, 5}, 4 (21
      // pairs) for {2, 4}.
      {"groups and representatives",
       0.8f,
       {{2, 2, 19}, {4, 4, 19}, {0, 0, 19}, {60, 10, 9}, {0, 1, 20}, {3, 3, 21}},
       {5, 4, 3}},
      // C (0..19) fits the head A (2..21) but not the second member B (4..23).
      {"complete linkage needs every member", 0.8f, {{2, 2, 19}, {4, 4, 19}, {0, 0, 19}}, {0, 2}},
      {"equal lengths keep the first joined member", 0.8f, {{0, 0, 19}, {1, 1, 21}, {2, 2, 21}, {1, 0, 21}}, {1}},
      {"ratio one keeps every pair in order", 1.0f, {{0, 0, 19}, {0, 0, 19}, {1, 1, 19}, {50, 3, 4}}, {0, 1, 2, 3}},
  };
  StaticsGuard guard;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FastSeqBlock::m_fOverlapRatio = c.ratio;
    std::vector<FastSeqBlock*> input = makePairs(c.specs);
    const std::vector<FastSeqBlock*> original = input;
    std::vector<FastSeqBlock*> result = FastSeqBlock::cluster(input);
    EXPECT_EQ(positionsOf(result, original), c.representatives);
    expectConsumed(input, c.specs.size());
    deleteAll(result);
  }
}

TEST(FastSeqBlockClusterTest, EmptyAndNullInputsGiveNothing) {
  StaticsGuard guard;
  std::vector<FastSeqBlock*> empty;
  EXPECT_TRUE(FastSeqBlock::cluster(empty).empty());
  std::vector<FastSeqBlock*> nulls(3, nullptr);
  EXPECT_TRUE(FastSeqBlock::cluster(nulls).empty());
  EXPECT_TRUE(FastSeqBlock::clusterGlobalSize(nulls, {1.0f, 2.0f, 3.0f}).empty());
  expectConsumed(nulls, 3);
}

TEST(FastSeqBlockClusterTest, NullEntriesAreSkipped) {
  StaticsGuard guard;
  FastSeqBlock::m_fOverlapRatio = 0.8f;
  std::vector<FastSeqBlock*> input = makePairs({{0, 0, 19}, {1, 1, 19}});
  input.insert(input.begin() + 1, nullptr);
  const std::vector<FastSeqBlock*> original = input;
  std::vector<FastSeqBlock*> result = FastSeqBlock::cluster(input);
  EXPECT_EQ(positionsOf(result, original), (std::vector<int>{0}));
  expectConsumed(input, 3);
  deleteAll(result);
}

TEST(FastSeqBlockClusterTest, OwnershipPassesToTheResultAndTheRestIsDeleted) {
  StaticsGuard guard;
  FastSeqBlock::m_fOverlapRatio = 0.8f;
  // Five pairs in two groups; the three dropped pairs are deleted by the
  // clustering (the sanitizer build reports a leak or a double free).
  std::vector<FastSeqBlock*> input = makePairs({{0, 0, 19}, {1, 1, 19}, {50, 50, 19}, {2, 2, 19}, {51, 51, 19}});
  std::vector<FastSeqBlock*> result = FastSeqBlock::cluster(input);
  ASSERT_EQ(result.size(), 2u);
  expectConsumed(input, 5);
  EXPECT_EQ(result[0]->i, 0);
  EXPECT_EQ(result[1]->i, 50);
  deleteAll(result);
}

TEST(FastSeqBlockClusterTest, WeightedClusteringKeepsTheHeaviestMember) {
  StaticsGuard guard;
  FastSeqBlock::m_fOverlapRatio = 0.8f;
  const std::vector<Spec> specs = {{0, 0, 19}, {1, 1, 25}, {2, 2, 19}, {50, 50, 19}, {51, 51, 19}};
  struct Case {
    std::vector<float> weights;
    std::vector<int> kept;
    const char* what;
  } cases[] = {
      {{1, 3, 3, 0, 0}, {1, 3}, "the first of the heaviest; all-zero group keeps its first member"},
      {{5, 3, 4, 0, 2}, {0, 4}, "weight, not length, decides"},
      {{0, 0, 0, 0, 0}, {0, 3}, "nothing above zero keeps the first member"},
      {{-1, -2, 0, 0, 0}, {0, 3}, "negative weights never replace the first member"},
      {{1, 2}, {1, 3}, "pairs beyond the weight vector weigh nothing"},
  };
  for (const Case& c : cases) {
    std::vector<FastSeqBlock*> input = makePairs(specs);
    const std::vector<FastSeqBlock*> original = input;
    std::vector<FastSeqBlock*> result = FastSeqBlock::clusterGlobalSize(input, c.weights);
    EXPECT_EQ(positionsOf(result, original), c.kept) << c.what;
    expectConsumed(input, specs.size());
    deleteAll(result);
  }
}

// The grouping written out plainly: every later block is tested against every
// group, in input order. Returns the input positions of the representatives.
std::vector<int> referenceGrouping(const std::vector<Spec>& specs, const std::vector<float>* weights) {
  auto compatible = [](const Spec& a, const Spec& b) {
    const int m = std::min(a.l + 1, b.l + 1);
    const double bound = static_cast<double>(FastSeqBlock::m_fOverlapRatio) * m;
    return std::abs((a.i - a.j) - (b.i - b.j)) <= 5 &&
           std::min(a.i + a.l, b.i + b.l) - std::max(a.i, b.i) > bound &&
           std::min(a.j + a.l, b.j + b.l) - std::max(a.j, b.j) > bound;
  };
  std::vector<bool> taken(specs.size(), false);
  std::vector<int> kept;
  for (std::size_t first = 0; first < specs.size(); ++first) {
    if (taken[first]) continue;
    std::vector<std::size_t> members(1, first);
    for (std::size_t q = first + 1; q < specs.size(); ++q) {
      if (taken[q]) continue;
      bool joins = true;
      for (std::size_t m : members) joins = joins && compatible(specs[m], specs[q]);
      if (joins) members.push_back(q);
    }
    std::size_t best = first;
    float bestWeight = 0.0f;
    for (std::size_t m : members) {
      taken[m] = true;
      if (weights) {
        if ((*weights)[m] > bestWeight) bestWeight = (*weights)[m], best = m;
      } else if (specs[m].l > specs[best].l) {
        best = m;
      }
    }
    kept.push_back(static_cast<int>(best));
  }
  return kept;
}

TEST(FastSeqBlockClusterTest, RandomSetsGroupAsAPlainScanOfAllLaterBlocks) {
  StaticsGuard guard;
  std::mt19937 random(11);
  for (int round = 0; round < 200; ++round) {
    FastSeqBlock::m_fOverlapRatio = round % 3 == 0 ? 0.5f : 0.8f;
    // Few diagonals and positions, so that groups form, split and interleave.
    const int diagonals = 3 + round % 20;
    std::vector<Spec> specs(static_cast<std::size_t>(20 + round % 60));
    std::vector<float> weights;
    for (Spec& s : specs) {
      const int d = static_cast<int>(random() % diagonals) - diagonals / 2;
      s.l = 5 + static_cast<int>(random() % 20);
      s.i = 20 + static_cast<int>(random() % 40);
      s.j = s.i - d;
      weights.push_back(static_cast<float>(random() % 5));
    }
    for (const bool weighted : {false, true}) {
      std::vector<FastSeqBlock*> input = makePairs(specs);
      const std::vector<FastSeqBlock*> original = input;
      std::vector<FastSeqBlock*> result =
          weighted ? FastSeqBlock::clusterGlobalSize(input, weights) : FastSeqBlock::cluster(input);
      EXPECT_EQ(positionsOf(result, original), referenceGrouping(specs, weighted ? &weights : nullptr))
          << "round " << round << (weighted ? " weighted" : "");
      expectConsumed(input, specs.size());
      deleteAll(result);
    }
  }
}

// Weights by brute force: the points of `other` that the pair's fit brings
// within thr of some pivot point.
float bruteForceWeight(const FMolecule<Atom>& pivot, const FMolecule<Atom>& other, const FastSeqBlock& pair,
                       float thr) {
  int count = 0;
  for (std::size_t k = 0; k < other.size(); ++k) {
    const Vector3 moved = pair.rigidTrans() * other.position(k);
    for (std::size_t p = 0; p < pivot.size(); ++p) {
      if (dist2(moved, pivot.position(p)) <= static_cast<double>(thr * thr)) {
        ++count;
        break;
      }
    }
  }
  return static_cast<float>(count);
}

TEST(FastSeqBlockClusterTest, WeightsCountTheOtherPointsBroughtNearThePivot) {
  StaticsGuard guard;
  const std::vector<Vector3> chain = irregularChain(40, 5);
  AtomMolecule a = chainMolecule(chain, "a");
  AtomMolecule b = chainMolecule(movedCopy(withLoopReplaced(chain, 15, 22, 12.0f), randomRigidMotion(17)), "b");
  comparePair(a, b);
  FastSeqBlock::m_fRMSDthr = 2.0f;
  std::vector<FastSeqBlock*> blocks;
  blocks.push_back(new FastSeqBlock(0, 0, 14));
  blocks.push_back(nullptr);
  blocks.push_back(new FastSeqBlock(23, 23, 16));
  blocks.push_back(new FastSeqBlock(5, 25, 9));
  blocks.push_back(new FastSeqBlock());
  const std::vector<float> weights = FastSeqBlock::globalSizeWeights(a, b, blocks);
  ASSERT_EQ(weights.size(), blocks.size());
  EXPECT_EQ(weights[1], 0.0f);
  // A right superposition brings every unchanged point home, and no more than
  // the 40 points of the other structure.
  EXPECT_GE(weights[0], 32.0f);
  EXPECT_LE(weights[0], 40.0f);
  for (std::size_t q : {0u, 2u, 3u, 4u})
    EXPECT_EQ(weights[q], bruteForceWeight(a, b, *blocks[q], 2.0f)) << q;
  EXPECT_LT(weights[3], weights[0]);

  // Grouped by weight, the right superposition wins over a longer wrong one.
  FastSeqBlock::m_fOverlapRatio = 0.8f;
  std::vector<FastSeqBlock*> result = FastSeqBlock::clusterGlobalSize(blocks, weights);
  EXPECT_EQ(result.size(), 4u);
  for (FastSeqBlock* b : blocks) EXPECT_EQ(b, nullptr);
  deleteAll(result);
}

TEST(FastSeqBlockClusterTest, WeightsWithoutAUsableThresholdAreZero) {
  StaticsGuard guard;
  AtomMolecule a = chainMolecule(irregularChain(10, 5), "a");
  std::vector<FastSeqBlock*> blocks = {new FastSeqBlock()};
  for (float thr : {0.0f, -1.0f}) {
    FastSeqBlock::m_fRMSDthr = thr;
    EXPECT_EQ(FastSeqBlock::globalSizeWeights(a, a, blocks), std::vector<float>{0.0f});
  }
  deleteAll(blocks);
}

}  // namespace
