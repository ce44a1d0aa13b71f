#include "driver/PivotLoop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <new>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "DriverTestSupport.h"
#include "ExitCapture.h"
#include "SyntheticStructure.h"
#include "driver/Configuration.h"
#include "driver/Ranking.h"
#include "driver/ResultFiles.h"
#include "engine/EventSet.h"
#include "engine/MuAlAlgRef.h"
#include "engine/MultSeqBlock.h"
#include "support/Fatal.h"
#include "support/Parameters.h"
#include "support/SharedTasks.h"

namespace {

using testing_support::Structures;
using testing_support::seedOf;
using testing_support::setOf;
using testing_support::shift;

// What the engine was given in one call.
struct Call {
  std::vector<std::string> order;
  int ref;
  std::size_t resultSize;
  std::size_t seedResultSize;
};

class PivotLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::startWithDefaults();
    Parameters::addParameter("ExtIterations", 0);
  }
  void TearDown() override { Parameters::clear(); }

  void makeStructures(int count) {
    for (int k = 0; k < count; ++k)
      structures.add(testing_support::irregularChain(20, static_cast<unsigned>(k + 1)), "m" + std::to_string(k));
  }

  // Runs the loop with an engine that records its calls and, when asked,
  // returns one seed of the pivot with every structure after it.
  std::string run(bool singlePivot, bool withSeeds = false) {
    SolutionRanking ranking(static_cast<int>(structures.list.size()), 100);
    std::ostringstream out;
    PivotLoop::run(structures.list, singlePivot,
                   [&](std::vector<AtomMolecule*>& mols, int ref, PivotLoop::SetResults& results,
                       PivotLoop::SeedResults& msbResults) {
                     Call call{{}, ref, results.size(), msbResults.size()};
                     for (AtomMolecule* m : mols) call.order.push_back(m->name());
                     calls.push_back(call);
                     if (!withSeeds) return;
                     std::vector<int> ids;
                     std::vector<RigidTrans3> trans;
                     for (int m = ref + 1; m < static_cast<int>(mols.size()); ++m) {
                       ids.push_back(m);
                       trans.push_back(shift(0.0f, 0.0f, 1000.0f * static_cast<float>(calls.size())));
                     }
                     msbResults[ids.size() - 1].push_back(seedOf(ref, ids, static_cast<float>(calls.size()), trans));
                   },
                   ranking, out);
    for (const SolutionRanking::SubsetHeap& subset : ranking.subsetHeaps().back())
      for (SolutionRanking::SeedHeap heap = subset.second; !heap.empty(); heap.pop())
        kept.push_back({heap.top()->ref, heap.top()->ids, heap.top()->score});
    return out.str();
  }

  struct Kept {
    int ref;
    std::vector<int> ids;
    float score;
  };

  Structures structures;
  std::vector<Call> calls;
  std::vector<Kept> kept;
};

TEST_F(PivotLoopTest, ProgressCounter) {
  struct Case {
    int n;
    int fullSet;
    bool singlePivot;
    const char* progress;
  };
  const std::vector<Case> cases = {
      {4, 1, false, "Number of iterations left: 3,2,1,0"},
      {4, 0, false, "Number of iterations left: 3,2,1"},
      {3, 1, false, "Number of iterations left: 2,1,0"},
      {3, 0, false, "Number of iterations left: 2,1"},
      {4, 1, true, ",0"},
      {4, 0, true, ",0"},
      {2, 1, false, ",0"},
      {2, 0, false, ",0"},
  };
  for (const Case& c : cases) {
    Structures own;
    structures.list.swap(own.list);
    calls.clear();
    makeStructures(c.n);
    Parameters::addParameter("FullSet", c.fullSet);
    EXPECT_EQ(run(c.singlePivot), c.progress) << c.n << " " << c.fullSet << " " << c.singlePivot;
    std::size_t expectedCalls = c.singlePivot || c.n == 2 ? 1 : static_cast<std::size_t>(c.fullSet ? c.n : c.n - 1);
    EXPECT_EQ(calls.size(), expectedCalls);
  }
}

TEST_F(PivotLoopTest, FullSetSwapsEachPivotToTheFront) {
  makeStructures(4);
  Parameters::addParameter("FullSet", 1);
  run(false);
  const std::vector<std::vector<std::string> > orders = {
      {"m0", "m1", "m2", "m3"}, {"m1", "m0", "m2", "m3"}, {"m2", "m1", "m0", "m3"}, {"m3", "m1", "m2", "m0"}};
  ASSERT_EQ(calls.size(), 4u);
  for (std::size_t r = 0; r < 4; ++r) {
    EXPECT_EQ(calls[r].order, orders[r]);
    EXPECT_EQ(calls[r].ref, 0);
    EXPECT_EQ(calls[r].resultSize, 3u);
    EXPECT_EQ(calls[r].seedResultSize, 3u);
  }
  for (std::size_t k = 0; k < 4; ++k) EXPECT_EQ(structures.list[k]->name(), "m" + std::to_string(k));
}

TEST_F(PivotLoopTest, WithoutFullSetEachPivotMeetsTheStructuresAfterIt) {
  makeStructures(4);
  Parameters::addParameter("FullSet", 0);
  run(false);
  ASSERT_EQ(calls.size(), 3u);
  for (std::size_t r = 0; r < 3; ++r) {
    EXPECT_EQ(calls[r].order, (std::vector<std::string>{"m0", "m1", "m2", "m3"}));
    EXPECT_EQ(calls[r].ref, static_cast<int>(r));
    EXPECT_EQ(calls[r].resultSize, 3u - r);
    EXPECT_EQ(calls[r].seedResultSize, 3u - r);
  }
}

TEST_F(PivotLoopTest, RenumberingRestoresCommandLineIndices) {
  PivotLoop::SetResults results(3);
  PivotLoop::SeedResults seeds(3);
  results[2].push_back(setOf(0, 1, 5, {{1, {{1, 1, 6}}}, {2, {{1, 1, 6}}}, {3, {{1, 1, 6}}}}));
  results[0].push_back(setOf(0, 1, 5, {{3, {{1, 1, 6}}}}));
  seeds[2].push_back(seedOf(0, {1, 2, 3}, 1.0f));
  seeds[1].push_back(seedOf(0, {3, 2}, 1.0f));
  PivotLoop::renumber(results, seeds, 3);
  EXPECT_EQ(results[2][0]->ref, 2);
  std::vector<int> entries;
  for (const auto& entry : results[2][0]->entries) entries.push_back(entry.first);
  EXPECT_EQ(entries, (std::vector<int>{1, 0, 3}));
  EXPECT_EQ(results[0][0]->ref, 2);
  EXPECT_EQ(results[0][0]->entries[0].first, 3);
  EXPECT_EQ(seeds[2][0]->ref, 2);
  EXPECT_EQ(seeds[2][0]->ids, (std::vector<int>{1, 0, 3}));
  EXPECT_EQ(seeds[1][0]->ref, 2);
  EXPECT_EQ(seeds[1][0]->ids, (std::vector<int>{3, 0}));
  for (auto& sets : results)
    for (EventSet* s : sets) delete s;
  for (auto& list : seeds)
    for (MultSeqBlock* s : list) delete s;

  // In the first iteration nothing changes.
  PivotLoop::SeedResults first(2);
  first[1].push_back(seedOf(0, {1, 2}, 1.0f));
  PivotLoop::SetResults none(2);
  PivotLoop::renumber(none, first, 1);
  EXPECT_EQ(first[1][0]->ref, 0);
  EXPECT_EQ(first[1][0]->ids, (std::vector<int>{1, 2}));
  delete first[1][0];
}

TEST_F(PivotLoopTest, RankedSeedsCarryCommandLineIndices) {
  makeStructures(3);
  Parameters::addParameter("FullSet", 1);
  run(false, true);
  ASSERT_EQ(kept.size(), 3u);
  // Lowest score first: the pivots 0, 1 and 2 in turn.
  EXPECT_EQ(kept[0].ref, 0);
  EXPECT_EQ(kept[0].ids, (std::vector<int>{1, 2}));
  EXPECT_EQ(kept[1].ref, 1);
  EXPECT_EQ(kept[1].ids, (std::vector<int>{0, 2}));
  EXPECT_EQ(kept[2].ref, 2);
  EXPECT_EQ(kept[2].ids, (std::vector<int>{1, 0}));
}

TEST_F(PivotLoopTest, ScoringOnlyRunsNoEngine) {
  makeStructures(4);
  Parameters::addParameter("OnlyScoring", 1);
  Configuration::applyOnlyScoringOverrides();
  Parameters::addParameter("ExtIterations", 0);
  EXPECT_EQ(run(true), ",0");
  EXPECT_TRUE(calls.empty());
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0].ref, 0);
  EXPECT_EQ(kept[0].ids, (std::vector<int>{1, 2, 3}));
}

TEST_F(PivotLoopTest, ScoringOnlySeedIsTheIdentityOverAllStructures) {
  MultSeqBlock* seed = PivotLoop::scoringOnlySeed(3);
  EXPECT_EQ(seed->ref, 0);
  EXPECT_EQ(seed->ids, (std::vector<int>{1, 2}));
  ASSERT_EQ(seed->blocks.size(), 2u);
  for (std::size_t k = 0; k < 2; ++k) {
    EXPECT_EQ(seed->blocks[k]->i, 0);
    EXPECT_EQ(seed->blocks[k]->j, 0);
    EXPECT_EQ(seed->blocks[k]->l, 0);
    const RigidTrans3& t = *seed->trans[k];
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(t.translation()[i], 0.0f);
      for (int j = 0; j < 3; ++j) EXPECT_EQ(t.rotation()(i, j), i == j ? 1.0f : 0.0f);
    }
  }
  delete seed;
}

// Starts workers as std::thread does, except that the starts numbered in
// `failing` (from 0) fail as they do when the system lacks the memory for
// another stack.
PivotLoop::ThreadStarter failingAt(const std::vector<int>& failing) {
  std::shared_ptr<int> started = std::make_shared<int>(0);
  return [failing, started](std::function<void()> work) {
    const int k = (*started)++;
    if (std::find(failing.begin(), failing.end(), k) != failing.end())
      throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    return std::thread(std::move(work));
  };
}

// A run of the real engine over a family of related chains.
struct EngineRun {
  std::string progress;
  std::string solutions;  // every solution file's text, in turn
  bool engineOnCaller = false;
  bool engineElsewhere = false;
};

EngineRun runEngineLoop(int threads, const PivotLoop::ThreadStarter& start) {
  testing_support::startWithDefaults();
  Structures family;
  const std::vector<Vector3> base = testing_support::irregularChain(30, 41);
  for (unsigned k = 0; k < 5; ++k)
    family.add(testing_support::movedCopy(base, testing_support::randomRigidMotion(50 + k), 0.4f, 60 + k),
               "s" + std::to_string(k));
  SolutionRanking ranking(5, 100);
  EngineRun run;
  std::ostringstream progress;
  const std::thread::id caller = std::this_thread::get_id();
  std::atomic<bool> onCaller{false}, elsewhere{false};
  PivotLoop::run(
      family.list, false,
      [&](std::vector<AtomMolecule*>& mols, int ref, PivotLoop::SetResults& results,
          PivotLoop::SeedResults& msbResults) {
        (std::this_thread::get_id() == caller ? onCaller : elsewhere) = true;
        MuAlAlgRef engine(mols, ref);
        engine.runAlg(results, msbResults);
      },
      ranking, progress, threads, start);
  run.progress = progress.str();
  std::ostringstream solutions;
  for (const SolutionRanking::Seeds& seeds : ranking.takeSolutions())
    ResultFiles::writeSolutions(solutions, family.list, seeds, 100);
  run.solutions = solutions.str();
  run.engineOnCaller = onCaller;
  run.engineElsewhere = elsewhere;
  Parameters::clear();
  return run;
}

// Workers that cannot be started change nothing in what the run gives; with
// none, the calling thread does all the work.
TEST(PivotLoopWorkers, WorkersThatFailToStartChangeNothing) {
  const EngineRun serial = runEngineLoop(1, PivotLoop::startThread);
  ASSERT_NE(serial.solutions.find("Solution Num : 0"), std::string::npos);
  EXPECT_TRUE(serial.engineOnCaller);
  const struct {
    int threads;
    std::vector<int> failing;
  } cases[] = {
      {4, {}}, {4, {0}}, {4, {2}}, {4, {1, 2, 3}}, {4, {0, 1, 2}}, {4, {0, 1, 2, 3}}, {9, {0, 2, 4, 6, 8}}, {2, {0, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.threads << " threads, " << c.failing.size() << " failing");
    const EngineRun parallel = runEngineLoop(c.threads, failingAt(c.failing));
    EXPECT_EQ(parallel.progress, serial.progress);
    EXPECT_EQ(parallel.solutions, serial.solutions);
    const bool noneStarted = c.failing.size() == static_cast<std::size_t>(c.threads);
    EXPECT_EQ(parallel.engineOnCaller, noneStarted);
    EXPECT_EQ(parallel.engineElsewhere, !noneStarted);
  }
}

void sayExitHandlersRan() { std::fputs("exit handlers ran\n", stderr); }

// Runs the loop on six threads with an engine whose shared tasks all fail at
// about the same moment, each with `fail`, as the run's main does.
void failOnEveryWorker(void (*fail)()) {
  testing_support::stdoutToStderr();
  testing_support::LeakCheckPause pause;
  Fatal::endOnAllocationFailure();
  std::atexit(sayExitHandlersRan);
  testing_support::startWithDefaults();
  Structures structures;
  for (unsigned k = 0; k < 6; ++k)
    structures.add(testing_support::irregularChain(20, k + 1), "m" + std::to_string(k));
  SolutionRanking ranking(6, 100);
  std::ostringstream progress;
  std::atomic<int> arrived{0};
  PivotLoop::run(
      structures.list, false,
      [&](std::vector<AtomMolecule*>&, int, PivotLoop::SetResults&, PivotLoop::SeedResults&) {
        SharedTasks::run(12, [&](std::size_t) {
          ++arrived;
          const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
          while (arrived.load() < 6 && std::chrono::steady_clock::now() < until) std::this_thread::yield();
          fail();
        });
      },
      ranking, progress, 6);
  std::_Exit(3);
}

// A worker's failure, whatever it is, ends the run once, through the one
// fatal path: one message, status 1, no exit-time destructors under the
// other threads, never an abort.
TEST(PivotLoopWorkers, FailuresOnSeveralWorkersEndTheRunOnce) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  const struct {
    const char* name;
    void (*fail)();
    const char* pattern;
  } cases[] = {
      {"an allocation that fails", [] { std::get_new_handler()(); }, "^Not enough memory to complete the run\n$"},
      {"an exception", [] { throw std::bad_alloc(); }, "^Not enough memory to complete the run\n$"},
      {"a fatal error", [] { Fatal::report(std::cout, "error"); }, "^error\n$"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EXIT(failOnEveryWorker(c.fail), testing::ExitedWithCode(1), c.pattern);
  }
}

}  // namespace
