#include "engine/MuAlAlgRef.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "SeedTestSupport.h"
#include "SyntheticStructure.h"
#include "engine/EventSet.h"
#include "engine/FastSeqBlock.h"
#include "engine/MultSeqBlock.h"
#include "support/Parameters.h"
#include "support/SharedTasks.h"

namespace {

using testing_support::EngineTest;
using testing_support::Structures;
using testing_support::worstMisplacement;
using testing_support::irregularChain;
using testing_support::movedCopy;
using testing_support::randomRigidMotion;
using SetResults = std::vector<std::vector<EventSet*> >;
using SeedResults = std::vector<std::vector<MultSeqBlock*> >;

// The registered defaults of the settings the pipeline reads, with the
// fragment statics that start-up derives from them.
class Pipeline : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    Parameters::addParameter("SeqBlockRMSDthr", 3.0);
    Parameters::addParameter("SeqBlockMinSize", 10);
    Parameters::addParameter("IJshift", 10000);
    Parameters::addParameter("ResNum", 100);
    Parameters::addParameter("RobustFPClustering", 0);
    Parameters::addParameter("Scoring", 0);
    Parameters::addParameter("ChainEq", 0);
    Parameters::addParameter("SeqOrder", 1);
    // Covering sets are made only for the fragment-set files.
    Parameters::addParameter("ContFragmentMatch", 1);
    m_keptThr = FastSeqBlock::m_fRMSDthr;
    m_keptRatio = FastSeqBlock::m_fOverlapRatio;
    FastSeqBlock::m_fRMSDthr = 3.0f;
    FastSeqBlock::m_fOverlapRatio = 0.8f;
    m_keptFlags = std::cout.flags();
    m_keptPrecision = std::cout.precision();
  }
  void TearDown() override {
    for (auto& entry : m_sets)
      for (EventSet* es : entry) delete es;
    for (auto& entry : m_seeds)
      for (MultSeqBlock* msb : entry) delete msb;
    FastSeqBlock::m_fRMSDthr = m_keptThr;
    FastSeqBlock::m_fOverlapRatio = m_keptRatio;
    std::cout.flags(m_keptFlags);
    std::cout.precision(m_keptPrecision);
    EngineTest::TearDown();
  }

  // Three copies of one 60-residue chain, each moved by its own motion.
  void threeCopies() {
    const auto chain = irregularChain(60, 7);
    for (unsigned k = 0; k < 3; ++k) {
      m_motions.push_back(randomRigidMotion(100 + k));
      m_structures.add(movedCopy(chain, m_motions.back()));
    }
  }
  void run(int ref, std::size_t entries) {
    m_sets.assign(entries, {});
    m_seeds.assign(entries, {});
    MuAlAlgRef alg(m_structures.list(), ref);
    alg.runAlg(m_sets, m_seeds);
  }

  // Expects the seeds of the last run to equal `other`, pair for pair and
  // score for score; deletes `other` and returns the number of seeds.
  std::size_t expectSameSeedsAndDelete(SeedResults& other) {
    std::size_t seeds = 0;
    EXPECT_EQ(m_seeds.size(), other.size());
    for (std::size_t m = 0; m < m_seeds.size() && m < other.size(); ++m) {
      EXPECT_EQ(m_seeds[m].size(), other[m].size()) << m;
      for (std::size_t q = 0; q < m_seeds[m].size() && q < other[m].size(); ++q) {
        EXPECT_TRUE(m_seeds[m][q]->equalExact(*other[m][q])) << m << " " << q;
        EXPECT_EQ(m_seeds[m][q]->score, other[m][q]->score);
        ++seeds;
      }
    }
    for (auto& entry : other)
      for (MultSeqBlock* msb : entry) delete msb;
    other.clear();
    return seeds;
  }

  Structures m_structures;
  std::vector<RigidTrans3> m_motions;
  SetResults m_sets;
  SeedResults m_seeds;
  float m_keptThr = 0.0f, m_keptRatio = 0.0f;
  std::ios::fmtflags m_keptFlags;
  std::streamsize m_keptPrecision = 0;
};

TEST_F(Pipeline, ThreeMovedCopiesGiveASeedOfAllThreeWithTheKnownMotions) {
  threeCopies();
  run(0, 2);
  ASSERT_FALSE(m_seeds[1].empty());
  MultSeqBlock* best = m_seeds[1].back();  // ascending score: the best comes last
  EXPECT_EQ(best->ids, (std::vector<int>{1, 2}));
  EXPECT_EQ(best->score, 60.0f);
  for (std::size_t k = 0; k < 2; ++k)
    EXPECT_LT(worstMisplacement(m_structures[0], m_structures[k + 1], *best->trans[k]), 1e-3) << k;

  const std::vector<std::vector<int> > table = best->multCorrespondence(m_structures.list(), 3.0f);
  ASSERT_EQ(table.size(), 60u);
  for (int r = 0; r < 60; ++r) EXPECT_EQ(table[static_cast<std::size_t>(r)], (std::vector<int>{r, r, r}));
  for (std::size_t k = 0; k < 2; ++k) {
    // The known motion that places structure k + 1 on the pivot.
    const RigidTrans3 known = m_motions[0] * (!m_motions[k + 1]);
    EXPECT_LT(worstMisplacement(m_structures[0], m_structures[k + 1], known), 1e-3);
    EXPECT_LT(worstMisplacement(m_structures[0], m_structures[k + 1], *best->trans[k]), 1e-3) << k;
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(best->trans[k]->rotation()(r, c), known.rotation()(r, c), 1e-4);
  }
  // Every pair lies on the main diagonal of both structures: the longest set
  // holds all three over the whole chain.
  ASSERT_FALSE(m_sets[1].empty());
  EXPECT_EQ(m_sets[1].back()->length, 60);
  EXPECT_EQ(m_sets[1].back()->start, 0);
}

TEST_F(Pipeline, WithoutFragmentSetFilesNoSetIsMadeAndTheSeedsAreTheSame) {
  // Noisy copies of one chain, each but the first with a loop of another
  // shape in its own place, so that seeds of several sizes and scores come back.
  const auto chain = irregularChain(80, 7);
  m_structures.add(chain);
  for (int k = 1; k <= 4; ++k) {
    auto shaped = testing_support::withLoopReplaced(chain, 12 * k, 12 * k + 9, 12.0f);
    // The last two end in a stretch of another chain.
    if (k >= 3) {
      const auto other = irregularChain(80, 20 + static_cast<unsigned>(k));
      std::copy(other.begin() + 60, other.end(), shaped.begin() + 60);
    }
    m_structures.add(movedCopy(shaped, randomRigidMotion(4 + static_cast<unsigned>(k)), 0.5f,
                               static_cast<unsigned>(k)));
  }
  run(0, 4);
  SeedResults withSets;
  withSets.swap(m_seeds);
  std::size_t sets = 0;
  for (const auto& entry : m_sets) sets += entry.size();
  EXPECT_GT(sets, 0u);

  Parameters::addParameter("ContFragmentMatch", 0);
  for (auto& entry : m_sets)
    for (EventSet* es : entry) delete es;
  run(0, 4);
  for (const auto& entry : m_sets) EXPECT_TRUE(entry.empty());
  EXPECT_GT(expectSameSeedsAndDelete(withSets), 20u);
}

TEST_F(Pipeline, FragmentSearchSharedOutAmongThreadsGivesTheSameSeedsAndLines) {
  const auto chain = irregularChain(70, 9);
  m_structures.add(chain);
  for (int k = 1; k <= 4; ++k)
    m_structures.add(movedCopy(testing_support::withLoopReplaced(chain, 10 * k, 10 * k + 8, 12.0f),
                               randomRigidMotion(30 + static_cast<unsigned>(k)), 0.5f, static_cast<unsigned>(k)));
  Parameters::addParameter("Debug", 1);
  auto runCapturing = [&](std::string& lines) {
    testing::internal::CaptureStdout();
    run(0, 4);
    lines = testing::internal::GetCapturedStdout();
  };
  std::string serialLines, sharedLines;
  runCapturing(serialLines);
  SeedResults serial;
  serial.swap(m_seeds);
  for (auto& entry : m_sets)
    for (EventSet* es : entry) delete es;

  // Tasks run last first, half of them on another thread.
  const SharedTasks::Runner runner = [](std::size_t count, const SharedTasks::Task& task) {
    std::thread helper([&] {
      for (std::size_t k = count; k-- > count / 2;) task(k);
    });
    for (std::size_t k = count / 2; k-- > 0;) task(k);
    helper.join();
  };
  SharedTasks::setRunner(&runner);
  runCapturing(sharedLines);
  SharedTasks::setRunner(nullptr);

  // The timers' figures aside, the lines are the same.
  auto withoutTimes = [](const std::string& text) {
    std::string kept;
    std::size_t from = 0;
    while (from < text.size()) {
      std::size_t to = text.find('\n', from);
      if (to == std::string::npos) to = text.size();
      const std::string line = text.substr(from, to - from);
      if (line.find(": 00:") == std::string::npos) kept += line + "\n";
      from = to + 1;
    }
    return kept;
  };
  EXPECT_NE(serialLines.find("Number of SeqBlock's After Clustering: 4 : "), std::string::npos);
  EXPECT_EQ(withoutTimes(sharedLines), withoutTimes(serialLines));
  EXPECT_GT(expectSameSeedsAndDelete(serial), 10u);
}

TEST_F(Pipeline, EntriesComeBackInAscendingOrder) {
  threeCopies();
  run(0, 2);
  for (std::size_t m = 0; m < 2; ++m) {
    for (std::size_t k = 1; k < m_sets[m].size(); ++k) EXPECT_LE(m_sets[m][k - 1]->length, m_sets[m][k]->length);
    for (std::size_t k = 1; k < m_seeds[m].size(); ++k)
      EXPECT_LE(m_seeds[m][k - 1]->score, m_seeds[m][k]->score);
    for (const EventSet* es : m_sets[m]) EXPECT_EQ(es->entries.size(), m + 1);
    for (const MultSeqBlock* msb : m_seeds[m]) EXPECT_EQ(msb->getMolNum(), static_cast<int>(m) + 1);
  }
  // The fragment statics describe the pivot and the last structure compared.
  EXPECT_EQ(FastSeqBlock::m_model, &m_structures[0]);
  EXPECT_EQ(FastSeqBlock::m_target, &m_structures[2]);
  EXPECT_EQ(FastSeqBlock::m_iTargetSize, 60);
}

TEST_F(Pipeline, WeightedClusteringAlsoFindsTheFullSeed) {
  Parameters::addParameter("RobustFPClustering", 1);
  threeCopies();
  run(0, 2);
  ASSERT_FALSE(m_seeds[1].empty());
  EXPECT_EQ(m_seeds[1].back()->score, 60.0f);
}

TEST_F(Pipeline, StructureWithoutFragmentPairsIsInNoResult) {
  const auto chain = irregularChain(40, 2);
  m_structures.add(chain);
  m_structures.add(movedCopy(chain, randomRigidMotion(3)));
  m_structures.add(irregularChain(6, 4));  // shorter than a fragment pair
  run(0, 2);
  EXPECT_TRUE(m_sets[1].empty());
  EXPECT_TRUE(m_seeds[1].empty());
  EXPECT_FALSE(m_seeds[0].empty());
  for (const MultSeqBlock* msb : m_seeds[0]) EXPECT_EQ(msb->ids, (std::vector<int>{1}));
  for (const EventSet* es : m_sets[0]) EXPECT_EQ(es->entries[0].first, 1);
}

TEST_F(Pipeline, LastPivotComparesNothing) {
  threeCopies();
  run(2, 0);
  EXPECT_TRUE(m_sets.empty());
  EXPECT_TRUE(m_seeds.empty());
}

TEST_F(Pipeline, EntriesBeyondTheStructuresAndEarlierContentsAreLeftAlone) {
  threeCopies();
  m_sets.assign(3, {});
  m_seeds.assign(3, {});
  EventSet* earlier = new EventSet();
  EventSet* beyond = new EventSet();
  m_sets[0].push_back(earlier);
  m_sets[2].push_back(beyond);
  MuAlAlgRef alg(m_structures.list(), 1);  // one structure after the pivot
  alg.runAlg(m_sets, m_seeds);
  ASSERT_GE(m_sets[0].size(), 2u);
  EXPECT_EQ(m_sets[0][0], earlier);
  EXPECT_EQ(m_sets[2], (std::vector<EventSet*>{beyond}));
  EXPECT_TRUE(m_sets[1].empty());
  EXPECT_TRUE(m_seeds[2].empty());
  EXPECT_FALSE(m_seeds[0].empty());
  for (std::size_t k = 1; k < m_seeds[0].size(); ++k) EXPECT_EQ(m_seeds[0][k]->ref, 1);
}

TEST_F(Pipeline, DebugLinesFrameTheRun) {
  Parameters::addParameter("Debug", 1);
  const auto chain = irregularChain(30, 2);
  m_structures.add(chain);
  m_structures.add(movedCopy(chain, randomRigidMotion(9)));
  testing::internal::CaptureStdout();
  run(0, 1);
  const std::string out = testing::internal::GetCapturedStdout();
  const std::string timer = "[0-9][0-9]:[0-9][0-9]:[0-9][0-9]\\.[0-9][0-9]";
  EXPECT_TRUE(testing::internal::RE::FullMatch(
      out, testing::internal::RE("Number of SeqBlock's Before Clustering: 1 : [0-9]+\n"
                                 "Number of SeqBlock's After Clustering: 1 : [0-9]+\n"
                                 "Done step 1................\n"
                                 "Number of events: \n([0-9]+ ){30}\n"
                                 "Done step 2................\n"
                                 "EventSet counter: [0-9]+\n"
                                 "Test1: " + timer + "\ntest2: " + timer + "\ntest3: " + timer + "\n")))
      << out;
  // Printing the timers leaves fixed notation with two decimals.
  std::ostringstream probe;
  probe.flags(std::cout.flags());
  probe.precision(std::cout.precision());
  probe << 87.0f;
  EXPECT_EQ(probe.str(), "87.00");
}

using PipelineDeathTest = Pipeline;

TEST_F(PipelineDeathTest, ShortResultVectorsEndTheRun) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  threeCopies();
  SetResults sets(1);
  SeedResults seeds(2);
  MuAlAlgRef alg(m_structures.list(), 0);
  EXPECT_EXIT(
      {
        std::cout.rdbuf(std::cerr.rdbuf());
        alg.runAlg(sets, seeds);
      },
      testing::ExitedWithCode(1), "^Error in MuAlAlgRef: Sizes not matched\n1 2\n2 2\n$");
}

}  // namespace
