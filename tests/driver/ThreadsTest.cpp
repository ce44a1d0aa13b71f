// Runs on several threads give what the serial run gives, byte for byte: the
// console, the run log and every result file, over settings that take each
// road through the pivot loop. Timer figures are the only thing allowed to
// differ. Also the choice of the thread count.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "ProcessRunner.h"
#include "SyntheticStructure.h"
#include "driver/ThreadCount.h"
#include "support/Parameters.h"

namespace {

using testing_support::ChildSetup;
using testing_support::ProcessResult;
using testing_support::filesIn;
using testing_support::TempDir;
using testing_support::irregularChain;
using testing_support::movedCopy;
using testing_support::randomRigidMotion;
using testing_support::runProcess;
using testing_support::withLoopReplaced;
using testing_support::withoutTimes;

// A family of related chains: noisy, moved copies of one chain, some with a
// loop out of place, and one unrelated chain, so that seeds of every size and
// unequal pivots occur.
std::vector<std::string> writeFamily(const TempDir& dir) {
  const std::vector<Vector3> base = irregularChain(36, 71);
  std::vector<std::string> names;
  for (int k = 0; k < 5; ++k) {
    std::vector<Vector3> chain = k % 3 == 2 ? withLoopReplaced(base, 12, 18, 6.0f) : base;
    if (k == 4) chain = irregularChain(36, 72);
    chain = movedCopy(chain, randomRigidMotion(static_cast<unsigned>(80 + k)), 0.4f, static_cast<unsigned>(90 + k));
    names.push_back("s" + std::to_string(k) + ".pdb");
    dir.write(names.back(), testing_support::pdbText(chain));
  }
  return names;
}

struct Outcome {
  ProcessResult result;
  std::vector<std::string> files;
  std::vector<std::string> contents;
};

void expectSameAsSerial(const Outcome& serial, const Outcome& parallel);

Outcome runWith(const std::string& threads, const std::string& params, const ChildSetup& setup = ChildSetup()) {
  TempDir dir;
  std::vector<std::string> argv = {QUORVALIN_BINARY};
  const std::vector<std::string> names = writeFamily(dir);
  argv.insert(argv.end(), names.begin(), names.end());
  if (!params.empty()) dir.write("params.txt", params);
  Outcome run;
  run.result = runProcess(argv, dir.path(), {{ThreadCount::kVariable, threads}}, "", setup);
  run.files = filesIn(dir.path());
  for (const std::string& f : run.files) run.contents.push_back(withoutTimes(dir.read(f)));
  return run;
}

void expectSameOnOneAndFourThreads(const std::string& params) {
  expectSameAsSerial(runWith("1", params), runWith("4", params));
}

void expectSameAsSerial(const Outcome& serial, const Outcome& parallel) {
  ASSERT_EQ(serial.result.exitStatus, 0) << serial.result.out << serial.result.err;
  ASSERT_EQ(parallel.result.exitStatus, 0) << parallel.result.out << parallel.result.err;
  EXPECT_EQ(withoutTimes(parallel.result.out), withoutTimes(serial.result.out));
  EXPECT_EQ(parallel.result.err, serial.result.err);
  ASSERT_EQ(parallel.files, serial.files);
  // The family gives solutions of several sizes, not only pairs.
  EXPECT_NE(std::find(serial.files.begin(), serial.files.end(), "4_sol.res"), serial.files.end());
  for (std::size_t f = 0; f < serial.files.size(); ++f)
    EXPECT_EQ(parallel.contents[f], serial.contents[f]) << serial.files[f];
}

TEST(Threads, FourThreadsWriteWhatOneWrites) { expectSameOnOneAndFourThreads(""); }

TEST(Threads, FourThreadsPrintTheDebugLinesOfEveryPivotInOrder) {
  // Every pivot against all the others, with the fragment-set files.
  expectSameOnOneAndFourThreads("Debug 1\nFullSet 1\nContFragmentMatch 1\n");
}

TEST(Threads, FourThreadsScoreByMatrixAsOneDoes) {
  expectSameOnOneAndFourThreads("Scoring 1\nExtIterations 1\n");
}

// Address-space limits that a run on one thread fits in: on eight threads
// the workers' stacks and the allocator's per-thread pools once took more of
// it than the data needed, so that workers could not start or the run ran out
// of memory. Each run completes with what one thread gives. The last case has
// a stack limit (the workers' default stack size) larger than the whole
// address space.
TEST(Threads, AddressSpaceLimitsARunOnOneThreadFitsInFitEightThreads) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "the sanitizers reserve far more address space than any memory limit allows";
#endif
  const Outcome unlimited = runWith("1", "");
  const struct {
    unsigned long addressSpace;
    unsigned long stack;  // 0: as inherited
  } cases[] = {{28ul << 20, 0}, {300ul << 20, 0}, {1ul << 30, 2ul << 30}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.addressSpace >> 20) + " MiB");
    ChildSetup setup;
    setup.limits.push_back({RLIMIT_AS, c.addressSpace});
    if (c.stack) setup.limits.push_back({RLIMIT_STACK, c.stack});
    expectSameAsSerial(unlimited, runWith("1", "", setup));
    expectSameAsSerial(unlimited, runWith("8", "", setup));
  }
}

TEST(Threads, UnusableThreadCountStopsTheRunBeforeLoading) {
  TempDir dir;
  const std::vector<std::string> names = writeFamily(dir);
  for (const char* bad : {"0", "-2", "four", "3x", ""}) {
    SCOPED_TRACE(bad);
    ProcessResult r = runProcess({QUORVALIN_BINARY, names[0], names[1]}, dir.path(), {{ThreadCount::kVariable, bad}});
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.err, std::string("QUORVALIN_THREADS must be a whole number from 1 on, not \"") + bad + "\"\n");
    EXPECT_EQ(r.out.find("Molecule"), std::string::npos) << r.out;
  }
}

TEST(Threads, CountIsTheHardwareCappedByTheVariable) {
  struct Case {
    const char* setting;
    unsigned hardware;
    bool seqOrderZero;
    int count;
  };
  const std::vector<Case> cases = {
      {nullptr, 8, false, 8},  {nullptr, 0, false, 1}, {"1", 8, false, 1}, {"3", 8, false, 3},
      {"16", 8, false, 8},     {"16", 0, false, 1},    {nullptr, 8, true, 1}, {"4", 8, true, 1},
      {"0", 8, false, 0},      {"0", 8, true, 0},      {" 2", 8, false, 2}, {"2 ", 8, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.setting ? c.setting : "(unset)") << " on " << c.hardware);
    std::ostringstream err;
    EXPECT_EQ(ThreadCount::choose(c.setting, c.hardware, c.seqOrderZero, err), c.count);
    EXPECT_EQ(err.str().empty(), c.count != 0);
  }
}

}  // namespace
