#include "engine/internal/CoveringSetSweep.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "SeedTestSupport.h"
#include "engine/EventSet.h"
#include "engine/FastSeqBlock.h"
#include "engine/MultSeqBlock.h"
#include "support/Parameters.h"
#include "support/Timer.h"

namespace {

using testing_support::EngineTest;
using testing_support::Structures;
using Stretches = std::vector<std::pair<int, int> >;

std::vector<Vector3> line(int n) {
  std::vector<Vector3> points;
  for (int k = 0; k < n; ++k) points.emplace_back(3.8f * k, 0.0f, 0.0f);
  return points;
}

// A pivot of `pivotSize` residues on a line and `slots` identical structures
// after it, with hand-made fragment pairs (identity fits) per slot.
class Sweep : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    Parameters::addParameter("ResNum", 100);
    Parameters::addParameter("SeqBlockRMSDthr", 3.0);
  }
  void TearDown() override {
    for (auto& pairs : m_pairs)
      for (FastSeqBlock* b : pairs) delete b;
    EngineTest::TearDown();
  }

  void structures(int pivotSize, int slots) {
    for (int k = 0; k <= slots; ++k) m_structures.add(line(pivotSize));
    m_pairs.assign(static_cast<std::size_t>(slots), {});
    m_pivotSize = pivotSize;
  }
  // Pair of slot s over pivot residues first..last.
  void pair(int s, int first, int last) {
    FastSeqBlock* b = new FastSeqBlock();
    b->i = first;
    b->j = first;
    b->l = last - first;
    m_pairs[static_cast<std::size_t>(s)].push_back(b);
  }
  // Runs step 2 and the sweep, keeping the sweep for inspection.
  CoveringSetSweep& run() {
    m_sweep.reset(new CoveringSetSweep(m_structures.list(), 0, static_cast<int>(m_pairs.size()), m_test1,
                                       m_test2, m_test3));
    m_sweep->recordStretches(&m_stretches);
    m_sweep->makeEvents(m_pairs, m_pivotSize);
    m_sweep->sweep();
    return *m_sweep;
  }

  Structures m_structures;
  std::vector<std::vector<FastSeqBlock*> > m_pairs;
  int m_pivotSize = 0;
  Timer m_test1{"Test1"}, m_test2{"test2"}, m_test3{"test3"};
  std::unique_ptr<CoveringSetSweep> m_sweep;
  Stretches m_stretches;
};

TEST_F(Sweep, PairsStartingTogetherFormOneSetPerEnd) {
  structures(30, 2);
  pair(0, 3, 20);
  pair(1, 3, 15);
  CoveringSetSweep& sweep = run();
  EXPECT_EQ(m_stretches, (Stretches{{3, 15}, {3, 20}}));
  EXPECT_EQ(sweep.eventSetCounter(), 2);
  ASSERT_EQ(sweep.setHeaps()[1].size(), 1u);
  const EventSet* both = sweep.setHeaps()[1].top();
  EXPECT_EQ(both->start, 3);
  EXPECT_EQ(both->length, 13);
  ASSERT_EQ(both->entries.size(), 2u);
  EXPECT_EQ(both->entries[0].first, 1);
  EXPECT_EQ(both->entries[1].first, 2);
  ASSERT_EQ(sweep.setHeaps()[0].size(), 1u);
  const EventSet* first = sweep.setHeaps()[0].top();
  EXPECT_EQ(first->length, 18);
  ASSERT_EQ(first->entries.size(), 1u);
  EXPECT_EQ(first->entries[0].first, 1);
  // Seeds: the pair of every entry, scored by their common core at 3.0.
  ASSERT_EQ(sweep.seedHeaps()[1].size(), 1u);
  EXPECT_EQ(sweep.seedHeaps()[1].top()->ids, (std::vector<int>{1, 2}));
  EXPECT_EQ(sweep.seedHeaps()[1].top()->score, 30.0f);
}

TEST_F(Sweep, ResidueWithOnlyEndEventsFormsNoSet) {
  structures(20, 1);
  pair(0, 2, 8);
  run();
  EXPECT_EQ(m_stretches, (Stretches{{2, 8}}));
}

TEST_F(Sweep, EndListedBeforeAStartIsNotCollectedForIt) {
  structures(20, 1);
  pair(0, 0, 5);  // its end event at 5 comes before the next pair's start
  pair(0, 5, 9);
  run();
  EXPECT_EQ(m_stretches, (Stretches{{0, 5}, {5, 9}}));
}

TEST_F(Sweep, EndListedAfterAStartIsCollectedForIt) {
  structures(20, 1);
  pair(0, 5, 9);  // its start event at 5 comes before the other pair's end
  pair(0, 0, 5);
  run();
  EXPECT_EQ(m_stretches, (Stretches{{0, 5}, {5, 5}, {5, 9}}));
}

TEST_F(Sweep, EndsBeyondTheFirstBucketCountComeInBucketOrder) {
  structures(250, 1);
  pair(0, 150, 200);
  pair(0, 150, 150);
  run();
  // 200 lies in bucket 7, 150 in bucket 150.
  EXPECT_EQ(m_stretches, (Stretches{{150, 200}, {150, 150}}));
}

TEST_F(Sweep, SmallPivotEndsComeInAscendingOrder) {
  structures(100, 1);
  pair(0, 10, 90);
  pair(0, 10, 40);
  pair(0, 10, 60);
  run();
  EXPECT_EQ(m_stretches, (Stretches{{10, 40}, {10, 60}, {10, 90}}));
}

TEST_F(Sweep, RepeatedSeedIsScoredAndOfferedOnceButItsSetsAreKept) {
  structures(30, 1);
  pair(0, 0, 20);
  pair(0, 0, 5);
  CoveringSetSweep& sweep = run();
  // Both stretches yield the seed of the longer pair.
  EXPECT_EQ(m_stretches, (Stretches{{0, 5}, {0, 20}}));
  EXPECT_EQ(sweep.seedHeaps()[0].size(), 1u);
  EXPECT_EQ(sweep.setHeaps()[0].size(), 2u);
  EXPECT_EQ(sweep.eventSetCounter(), 2);
}

TEST_F(Sweep, FullHeapKeepsTheEarlierOfEqualKeys) {
  Parameters::addParameter("ResNum", 1);
  structures(40, 1);
  pair(0, 0, 4);
  pair(0, 10, 14);
  CoveringSetSweep& sweep = run();
  ASSERT_EQ(sweep.setHeaps()[0].size(), 1u);
  EXPECT_EQ(sweep.setHeaps()[0].top()->start, 0);
  ASSERT_EQ(sweep.seedHeaps()[0].size(), 1u);
  EXPECT_EQ(sweep.seedHeaps()[0].top()->pairs[0]->i, 0);
  EXPECT_EQ(sweep.seedHeaps()[0].top()->score, 40.0f);
}

TEST_F(Sweep, BoundedHeapHandsBackAscending) {
  Parameters::addParameter("ResNum", 2);
  structures(50, 1);
  pair(0, 0, 4);
  pair(0, 10, 18);
  pair(0, 30, 36);
  CoveringSetSweep& sweep = run();
  std::vector<std::vector<EventSet*> > results(1);
  std::vector<std::vector<MultSeqBlock*> > seeds(1);
  sweep.handBack(results, seeds);
  ASSERT_EQ(results[0].size(), 2u);
  EXPECT_EQ(results[0][0]->length, 7);
  EXPECT_EQ(results[0][1]->length, 9);
  EXPECT_EQ(seeds[0].size(), 2u);
  for (EventSet* es : results[0]) delete es;
  for (MultSeqBlock* msb : seeds[0]) delete msb;
}

TEST_F(Sweep, NonPositiveBoundRetainsNothing) {
  Parameters::addParameter("ResNum", 0);
  structures(30, 2);
  pair(0, 3, 20);
  pair(1, 3, 15);
  CoveringSetSweep& sweep = run();
  EXPECT_EQ(sweep.eventSetCounter(), 2);
  for (std::size_t m = 0; m < 2; ++m) {
    EXPECT_TRUE(sweep.setHeaps()[m].empty());
    EXPECT_TRUE(sweep.seedHeaps()[m].empty());
  }
}

TEST_F(Sweep, SetWithoutEntriesIsSkipped) {
  structures(20, 1);
  pair(0, 5, 5);  // one residue: it ends at 5 before the sets of 5 are formed
  CoveringSetSweep& sweep = run();
  EXPECT_EQ(m_stretches, (Stretches{{5, 5}}));
  EXPECT_EQ(sweep.eventSetCounter(), 1);
  EXPECT_TRUE(sweep.setHeaps()[0].empty());
  EXPECT_TRUE(sweep.seedHeaps()[0].empty());
}

TEST_F(Sweep, DebugListsTheEventsPerResidue) {
  Parameters::addParameter("Debug", 1);
  structures(6, 2);
  pair(0, 0, 3);
  pair(1, 1, 3);
  pair(1, 5, 5);
  testing::internal::CaptureStdout();
  run();
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Number of events: \n1 1 0 2 0 2 \nDone step 2................\n");
}

TEST_F(Sweep, NoDiagnosticsWithoutDebug) {
  structures(6, 1);
  pair(0, 0, 3);
  testing::internal::CaptureStdout();
  run();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

}  // namespace

// A clock that counts its readings and advances one tick per reading.
int clockReadings = 0;
int32_t countingNow() { return ++clockReadings; }
long countingRate() { return 100; }

TEST_F(Sweep, TimersRunOnlyWhenDebugOutputShowsThem) {
  Timer::setClock({countingNow, countingRate});
  for (int debug : {0, 1}) {
    SCOPED_TRACE(debug);
    Parameters::addParameter("Debug", debug);
    structures(30, 2);
    pair(0, 3, 20);
    pair(1, 3, 15);
    m_test1.stop();
    m_test2.stop();
    m_test3.stop();
    const float before[] = {m_test1(), m_test2(), m_test3()};
    clockReadings = 0;
    run();
    if (debug == 0) {
      EXPECT_EQ(clockReadings, 0);
      EXPECT_EQ(m_test3(), before[2]);
    } else {
      EXPECT_GT(clockReadings, 0);
      EXPECT_GT(m_test1(), before[0]);
      EXPECT_GT(m_test2(), before[1]);
      EXPECT_GT(m_test3(), before[2]);
    }
    for (auto& pairs : m_pairs)
      for (FastSeqBlock* b : pairs) delete b;
    m_pairs.clear();
    m_sweep.reset();
    m_structures = Structures();
  }
  Timer::setClock(Timer::systemClock());
}
