#include "driver/Ranking.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <map>
#include <memory>
#include <utility>
#include <string>
#include <vector>

#include "DriverTestSupport.h"
#include "ExitCapture.h"
#include "SyntheticStructure.h"
#include "engine/EventSet.h"
#include "engine/MultSeqBlock.h"
#include "engine/SlotCorrespondenceCache.h"
#include "support/Parameters.h"

namespace {

using testing_support::Pair;
using testing_support::Structures;
using testing_support::seedOf;
using testing_support::setOf;
using testing_support::shift;
using testing_support::irregularChain;
using testing_support::movedCopy;
using testing_support::randomRigidMotion;

class RankingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::startWithDefaults();
    liveSeeds = MultSeqBlock::inew[0];
    liveSets = EventSet::inew[2];
  }
  void TearDown() override { Parameters::clear(); }

  // Structures 0 .. count-1, each a different chain of `size` points.
  void makeStructures(int count, int size = 30) {
    for (int k = 0; k < count; ++k)
      structures.add(irregularChain(size, static_cast<unsigned>(k + 1)), "s" + std::to_string(k) + ".pdb");
  }

  // The scores of a heap, lowest first; the heap is left as it was.
  static std::vector<float> scores(SolutionRanking::SeedHeap heap) {
    std::vector<float> values;
    for (; !heap.empty(); heap.pop()) values.push_back(heap.top()->score);
    return values;
  }

  Structures structures;
  int liveSeeds = 0;
  int liveSets = 0;
};

TEST_F(RankingTest, BoundKeepsTheBestSeedsOfASubset) {
  makeStructures(3);
  SolutionRanking ranking(3, 100);
  for (int s = 1; s <= 5; ++s)
    ranking.retainSeed(seedOf(0, {1, 2}, static_cast<float>(s), {shift(100.0f * s), shift(0, 100.0f * s)}),
                       structures.list, 3);
  ASSERT_EQ(ranking.subsetHeaps()[1].size(), 1u);
  EXPECT_EQ(scores(ranking.subsetHeaps()[1][0].second), (std::vector<float>{3, 4, 5}));
  EXPECT_EQ(ranking.subsetHeaps()[1][0].first, (std::vector<bool>{true, true, true}));
  EXPECT_TRUE(ranking.subsetHeaps()[0].empty());
  EXPECT_EQ(MultSeqBlock::inew[0] - liveSeeds, 3);  // the losers are deleted at once
}

TEST_F(RankingTest, SolutionsAndSetsAreHandedOverBestFirstAndOnce) {
  makeStructures(4);
  SolutionRanking ranking(4, 10);
  // Two subsets of three structures, scores interleaved between them.
  for (int s : {2, 7, 4}) {
    const float shiftBy = 100.0f * static_cast<float>(s);
    ranking.retainSeed(seedOf(0, {1, 2}, static_cast<float>(s), {shift(shiftBy), shift(0, shiftBy)}),
                       structures.list, 5);
  }
  for (int s : {5, 1}) {
    const float shiftBy = 100.0f * static_cast<float>(s);
    ranking.retainSeed(seedOf(0, {1, 3}, static_cast<float>(s), {shift(shiftBy), shift(0, shiftBy)}),
                       structures.list, 5);
  }
  ranking.retainSet(setOf(0, 0, 5, {{1, {{0, 0, 9}}}}));
  ranking.retainSet(setOf(0, 2, 9, {{2, {{2, 2, 9}}}}));

  const std::vector<SolutionRanking::Seeds> solutions = ranking.takeSolutions();
  ASSERT_EQ(solutions.size(), 3u);
  EXPECT_TRUE(solutions[0].empty());
  std::vector<float> triples;
  for (const auto& seed : solutions[1]) triples.push_back(seed->score);
  EXPECT_EQ(triples, (std::vector<float>{7, 5, 4, 2, 1}));
  EXPECT_TRUE(solutions[2].empty());
  for (const auto& subsets : ranking.subsetHeaps()) EXPECT_TRUE(subsets.empty());
  EXPECT_TRUE(ranking.takeSolutions()[1].empty());

  const std::vector<SolutionRanking::Sets> sets = ranking.takeSets();
  ASSERT_EQ(sets[0].size(), 2u);
  EXPECT_EQ(sets[0][0]->length, 9);
  EXPECT_EQ(sets[0][1]->length, 5);
  EXPECT_TRUE(ranking.retainedSets()[0].empty());
  EXPECT_EQ(MultSeqBlock::inew[0] - liveSeeds, 5);  // the caller owns them now
}

TEST_F(RankingTest, DuplicateGivesWayOnlyToAStrictlyHigherScore) {
  makeStructures(2);
  SolutionRanking ranking(2, 100);
  MultSeqBlock* first = seedOf(0, {1}, 5.0f, {shift(0.0f)});
  MultSeqBlock* other = seedOf(0, {1}, 7.0f, {shift(100.0f)});
  ranking.retainSeed(first, structures.list, 3);
  ranking.retainSeed(other, structures.list, 3);

  // The same placement within the threshold, same score: the new one goes.
  ranking.retainSeed(seedOf(0, {1}, 5.0f, {shift(0.5f)}), structures.list, 3);
  SolutionRanking::SeedHeap heap = ranking.subsetHeaps()[0][0].second;
  EXPECT_EQ(scores(heap), (std::vector<float>{5, 7}));
  EXPECT_EQ(heap.top(), first);
  EXPECT_EQ(MultSeqBlock::inew[0] - liveSeeds, 2);

  // A higher score replaces the retained duplicate; the heap keeps its size.
  MultSeqBlock* better = seedOf(0, {1}, 6.0f, {shift(0.5f)});
  ranking.retainSeed(better, structures.list, 3);
  heap = ranking.subsetHeaps()[0][0].second;
  EXPECT_EQ(scores(heap), (std::vector<float>{6, 7}));
  EXPECT_EQ(heap.top(), better);
  EXPECT_EQ(MultSeqBlock::inew[0] - liveSeeds, 2);
}

TEST_F(RankingTest, DuplicateSeenFromTheOtherPivot) {
  makeStructures(2);
  const RigidTrans3 motion = randomRigidMotion(3);
  SolutionRanking ranking(2, 100);
  ranking.retainSeed(seedOf(0, {1}, 9.0f, {motion}), structures.list, 3);
  // Structure 0 placed on pivot 1 by the inverse motion: the same alignment.
  MultSeqBlock* mirror = seedOf(1, {0}, 10.0f, {!motion});
  ranking.retainSeed(mirror, structures.list, 3);
  ASSERT_EQ(ranking.subsetHeaps()[0].size(), 1u);
  EXPECT_EQ(scores(ranking.subsetHeaps()[0][0].second), (std::vector<float>{10}));
  EXPECT_EQ(ranking.subsetHeaps()[0][0].second.top(), mirror);
}

TEST_F(RankingTest, FullHeapRejectsAScoreEqualToItsLowest) {
  makeStructures(2);
  SolutionRanking ranking(2, 100);
  for (int s = 2; s <= 4; ++s)
    ranking.retainSeed(seedOf(0, {1}, static_cast<float>(s), {shift(100.0f * s)}), structures.list, 3);
  ranking.retainSeed(seedOf(0, {1}, 2.0f, {shift(-500.0f)}), structures.list, 3);
  EXPECT_EQ(scores(ranking.subsetHeaps()[0][0].second), (std::vector<float>{2, 3, 4}));
  EXPECT_EQ(MultSeqBlock::inew[0] - liveSeeds, 3);
}

TEST_F(RankingTest, SubsetsOfEqualSizeNeverCompete) {
  makeStructures(4);
  SolutionRanking ranking(4, 100);
  ranking.retainSeed(seedOf(0, {1, 2}, 50.0f), structures.list, 1);
  ranking.retainSeed(seedOf(0, {1, 3}, 1.0f), structures.list, 1);
  // The same subset in another order, and with another pivot.
  ranking.retainSeed(seedOf(2, {0, 1}, 60.0f, {shift(300.0f), shift(0, 300.0f)}), structures.list, 1);
  ranking.retainSeed(seedOf(3, {1, 0}, 0.5f, {shift(300.0f), shift(0, 300.0f)}), structures.list, 1);
  const std::vector<SolutionRanking::SubsetHeap>& triples = ranking.subsetHeaps()[1];
  ASSERT_EQ(triples.size(), 2u);
  EXPECT_EQ(triples[0].first, (std::vector<bool>{true, true, true, false}));
  EXPECT_EQ(scores(triples[0].second), (std::vector<float>{60}));
  EXPECT_EQ(triples[1].first, (std::vector<bool>{true, true, false, true}));
  EXPECT_EQ(scores(triples[1].second), (std::vector<float>{1}));
}

TEST_F(RankingTest, LongestSetsAreKeptLongestFirst) {
  SolutionRanking ranking(3, 2);
  ranking.retainSet(setOf(0, 0, 5, {{1, {{0, 0, 9}}}}));
  ranking.retainSet(setOf(0, 1, 9, {{1, {{1, 1, 9}}}}));
  ranking.retainSet(setOf(0, 2, 7, {{2, {{2, 2, 9}}}}));
  ranking.retainSet(setOf(0, 0, 8, {{1, {{0, 0, 9}}}, {2, {{0, 0, 9}}}}));
  const std::vector<EventSet*>& pairs = ranking.retainedSets()[0];
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(pairs[0]->length, 9);
  EXPECT_EQ(pairs[1]->length, 7);
  ASSERT_EQ(ranking.retainedSets()[1].size(), 1u);
  EXPECT_EQ(ranking.retainedSets()[1][0]->length, 8);
  EXPECT_EQ(EventSet::inew[2] - liveSets, 3);
}

TEST_F(RankingTest, ASetOfTheSameLengthDoesNotDisplace) {
  SolutionRanking ranking(2, 1);
  EventSet* first = setOf(0, 0, 10, {{1, {{0, 0, 12}}}});
  ranking.retainSet(first);
  ranking.retainSet(setOf(0, 3, 10, {{1, {{3, 5, 12}}}}));
  ASSERT_EQ(ranking.retainedSets()[0].size(), 1u);
  EXPECT_EQ(ranking.retainedSets()[0][0], first);
  ranking.retainSet(setOf(0, 3, 11, {{1, {{3, 5, 12}}}}));
  ASSERT_EQ(ranking.retainedSets()[0].size(), 1u);
  EXPECT_EQ(ranking.retainedSets()[0][0]->length, 11);
  EXPECT_EQ(EventSet::inew[2] - liveSets, 1);
}

TEST_F(RankingTest, MirrorSetFromTheOtherPivotIsDropped) {
  SolutionRanking ranking(2, 10);
  EventSet* kept = setOf(0, 4, 8, {{1, {Pair{3, 5, 9}}}});
  ranking.retainSet(kept);
  ranking.retainSet(setOf(1, 6, 8, {{0, {Pair{5, 3, 9}}}}));
  ASSERT_EQ(ranking.retainedSets()[0].size(), 1u);
  EXPECT_EQ(ranking.retainedSets()[0][0], kept);
  // Not a mirror (another pair), same length, same pivot: both are kept.
  ranking.retainSet(setOf(0, 4, 8, {{1, {Pair{4, 6, 9}}}}));
  EXPECT_EQ(ranking.retainedSets()[0].size(), 2u);
  EXPECT_EQ(EventSet::inew[2] - liveSets, 2);
}

TEST_F(RankingTest, SetsAreNotKeptWhenNoSetFileIsWritten) {
  SolutionRanking ranking(3, 10, false);
  ranking.retainSet(setOf(0, 0, 5, {{1, {{0, 0, 9}}}}));
  ranking.retainSet(setOf(0, 0, 8, {{1, {{0, 0, 9}}}, {2, {{0, 0, 9}}}}));
  EXPECT_TRUE(ranking.retainedSets()[0].empty());
  EXPECT_TRUE(ranking.retainedSets()[1].empty());
  EXPECT_EQ(EventSet::inew[2], liveSets);
  EXPECT_EXIT(
      {
        std::cout.rdbuf(std::cerr.rdbuf());
        ranking.retainSet(setOf(0, 0, 4, {}));
      },
      ::testing::ExitedWithCode(1), "^Sorry, Error in main 1\n$");
}

TEST_F(RankingTest, ASetWithoutEntriesStopsTheRun) {
  SolutionRanking ranking(2, 10);
  // The message goes to standard output; the death test reads standard error.
  EXPECT_EXIT(
      {
        std::cout.rdbuf(std::cerr.rdbuf());
        ranking.retainSet(setOf(0, 0, 4, {}));
      },
      ::testing::ExitedWithCode(1), "^Sorry, Error in main 1\n$");
}

// Another thread ending the run already: the check waits without a word.
TEST_F(RankingTest, ASetWithoutEntriesWhileAnotherThreadEndsTheRunSaysNothing) {
  SolutionRanking ranking(2, 10);
  EXPECT_EXIT(
      {
        std::cout.rdbuf(std::cerr.rdbuf());
        testing_support::endElsewhereWhile([&] { ranking.retainSet(setOf(0, 0, 4, {})); });
      },
      ::testing::ExitedWithCode(1), "^ended elsewhere\n$");
}

TEST_F(RankingTest, TablesOfSeedsThatCanNeverBeShownAreFreedAndTheOrderStays) {
  makeStructures(5);
  Parameters::addParameter("ResNumPrint", 2);
  SolutionRanking ranking(5, 10);
  // Seeds of three structures in four subsets, each with a table of its score's rows.
  const std::vector<std::pair<std::vector<int>, float> > made = {
      {{1, 2}, 3.0f}, {{1, 3}, 7.0f}, {{1, 4}, 5.0f}, {{2, 3}, 5.0f}, {{2, 4}, 1.0f}, {{3, 4}, 6.0f}};
  std::vector<std::vector<EventSet*> > results(4);
  std::vector<std::vector<MultSeqBlock*> > seeds(4);
  for (const auto& m : made) {
    MultSeqBlock* seed = seedOf(0, m.first, m.second, {shift(10.0f * m.second), shift(0, 10.0f * m.second)});
    seed->table.assign(static_cast<std::size_t>(m.second), std::vector<int>{0, 0, 0});
    seeds[1].push_back(seed);
  }
  ranking.takeRefined(results, seeds, structures.list);
  // The two best are 7 and 6: every seed below 6 can never be shown.
  std::map<float, std::size_t> rows;
  for (const auto& subset : ranking.subsetHeaps()[1]) {
    SolutionRanking::SeedHeap heap = subset.second;
    for (; !heap.empty(); heap.pop()) rows[heap.top()->score] = heap.top()->table.size();
  }
  EXPECT_EQ(rows, (std::map<float, std::size_t>{{1.0f, 0}, {3.0f, 0}, {5.0f, 0}, {6.0f, 6}, {7.0f, 7}}));

  // A later seed below the floor loses its table before it is retained; one
  // at the floor keeps it.
  std::unique_ptr<MultSeqBlock> low(seedOf(0, {1, 2}, 5.5f));
  low->table.assign(3, std::vector<int>{0, 0, 0});
  ranking.dropTableIfUnprinted(*low);
  EXPECT_TRUE(low->table.empty());
  low->score = 6.0f;
  low->table.assign(3, std::vector<int>{0, 0, 0});
  ranking.dropTableIfUnprinted(*low);
  EXPECT_EQ(low->table.size(), 3u);

  // The files still get every seed, best first, with the shown ones' tables.
  const std::vector<SolutionRanking::Seeds> solutions = ranking.takeSolutions();
  std::vector<float> order;
  for (const auto& seed : solutions[1]) order.push_back(seed->score);
  EXPECT_EQ(order, (std::vector<float>{7, 6, 5, 5, 3, 1}));
  EXPECT_EQ(solutions[1][0]->table.size(), 7u);
  EXPECT_EQ(solutions[1][1]->table.size(), 6u);
}

// A structure and a copy moved by `motion`.
class RefinementTest : public RankingTest {
 protected:
  void SetUp() override {
    RankingTest::SetUp();
    chain = irregularChain(40, 21);
    motion = randomRigidMotion(8);
    structures.add(chain, "a.pdb");
    structures.add(movedCopy(chain, motion), "b.pdb");
  }
  std::vector<Vector3> chain;
  RigidTrans3 motion;
};

TEST_F(RefinementTest, PassesRefitAndTheLastOneIsScored) {
  // Start one residue's worth off the true placement.
  MultSeqBlock* seed = seedOf(0, {1}, 3.0f, {shift(1.0f, 0.5f) * !motion});
  SolutionRanking::refine(*seed, structures.list, 3, 3.0f);
  ASSERT_EQ(seed->table.size(), 40u);
  for (std::size_t r = 0; r < 40; ++r)
    EXPECT_EQ(seed->table[r], (std::vector<int>{static_cast<int>(r), static_cast<int>(r)}));
  EXPECT_EQ(seed->score, 40.0f);
  const RigidTrans3 inverse = !motion;
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(seed->trans[0]->translation()[i], inverse.translation()[i], 1e-3);
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(seed->trans[0]->rotation()(i, j), inverse.rotation()(i, j), 1e-4);
  }
  delete seed;
}

TEST_F(RankingTest, RefiningThroughACacheGivesWhatIsWorkedOutAnew) {
  // A pivot and three noisy copies, one with a loop of another shape; seeds
  // pick, per structure, its true placement, one off by a residue, one off by
  // more, or one far away.
  const auto chain = irregularChain(60, 12);
  structures.add(chain, "p.pdb");
  std::vector<std::vector<RigidTrans3> > placements(4);
  for (unsigned k = 1; k <= 3; ++k) {
    const RigidTrans3 motion = randomRigidMotion(60 + k);
    auto copy = movedCopy(chain, RigidTrans3(), 0.5f, k);
    if (k == 2) copy = testing_support::withLoopReplaced(copy, 25, 34);
    structures.add(movedCopy(copy, motion), "c" + std::to_string(k) + ".pdb");
    placements[k] = {shift(1.0f, 0.5f) * !motion, shift(0.0f, 2.5f, -2.0f) * !motion, !motion,
                     randomRigidMotion(70 + k)};
  }
  SlotCorrespondenceCache cache;
  int slots = 0, scored = 0;
  for (int trial = 0; trial < 60; ++trial) {
    std::vector<int> ids;
    std::vector<RigidTrans3> transforms;
    for (int k = 1; k <= 3; ++k) {
      if ((trial + k) % 4 == 0) continue;
      ids.push_back(k);
      transforms.push_back(placements[static_cast<std::size_t>(k)][static_cast<std::size_t>((trial * 7 + k) % 4)]);
    }
    slots += static_cast<int>(ids.size());
    MultSeqBlock* fresh = seedOf(0, ids, 1.0f, transforms);
    MultSeqBlock* cached = seedOf(0, ids, 1.0f, transforms);
    SolutionRanking::refine(*fresh, structures.list, 3, 3.0f);
    SolutionRanking::refine(*cached, structures.list, 3, 3.0f, &cache);
    ASSERT_EQ(cached->score, fresh->score) << "trial " << trial;
    ASSERT_EQ(cached->table, fresh->table) << "trial " << trial;
    for (std::size_t k = 0; k < ids.size(); ++k)
      for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(cached->trans[k]->translation()[i], fresh->trans[k]->translation()[i]);
        for (int j = 0; j < 3; ++j) ASSERT_EQ(cached->trans[k]->rotation()(i, j), fresh->trans[k]->rotation()(i, j));
      }
    if (fresh->score > 30.0f) ++scored;
    delete fresh;
    delete cached;
  }
  EXPECT_GT(scored, 10);
  // At most one entry per structure, starting placement and pass.
  EXPECT_LE(cache.size(), 3u * 4u * 3u);
  EXPECT_LT(cache.size(), static_cast<std::size_t>(slots));
}

TEST_F(RefinementTest, NoPassKeepsTheEngineScore) {
  MultSeqBlock* seed = seedOf(0, {1}, 17.0f, {!motion});
  SolutionRanking::refine(*seed, structures.list, 0, 3.0f);
  EXPECT_EQ(seed->score, 17.0f);
  EXPECT_TRUE(seed->table.empty());
  delete seed;
}

TEST_F(RefinementTest, APassOfTwoRowsOrFewerScoresZero) {
  // Two residues of the copy within reach of their partners, the rest far off.
  std::vector<Vector3> twoClose = chain;
  for (std::size_t k = 2; k < twoClose.size(); ++k) twoClose[k] = twoClose[k] + Vector3(0.0f, 0.0f, 60.0f);
  structures.add(twoClose, "c.pdb");
  for (int passes : {1, 3}) {
    MultSeqBlock* seed = seedOf(0, {2}, 17.0f);
    seed->table = {{7, 7}};
    SolutionRanking::refine(*seed, structures.list, passes, 3.0f);
    EXPECT_EQ(seed->score, 0.0f);
    EXPECT_EQ(seed->table, (std::vector<std::vector<int> >{{7, 7}}));  // left as it was
    for (int k = 0; k < 3; ++k) EXPECT_TRUE(std::isfinite(seed->trans[0]->translation()[k]));
    delete seed;
  }
  // Placed nowhere near: no pair at all.
  MultSeqBlock* far = seedOf(0, {1}, 17.0f);
  SolutionRanking::refine(*far, structures.list, 3, 3.0f);
  EXPECT_EQ(far->score, 0.0f);
  EXPECT_TRUE(far->table.empty());
  delete far;
}

TEST_F(RefinementTest, AFailedSeedStillTakesANewSubset) {
  Parameters::addParameter("ExtIterations", 3);
  Parameters::addParameter("bvResNum", 3);
  SolutionRanking ranking(2, 100);
  std::vector<std::vector<EventSet*> > results(1);
  std::vector<std::vector<MultSeqBlock*> > seeds(1);
  seeds[0].push_back(seedOf(0, {1}, 5.0f));
  ranking.takeIteration(results, seeds, structures.list);
  ASSERT_EQ(ranking.subsetHeaps()[0].size(), 1u);
  EXPECT_EQ(scores(ranking.subsetHeaps()[0][0].second), (std::vector<float>{0}));
  EXPECT_EQ(seeds[0][0], nullptr);
}

}  // namespace
