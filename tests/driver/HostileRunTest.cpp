// Runs of the quorvalin binary under hostile settings, input and conditions:
// each ends with its result files whole, or with a message and status 1.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "ProcessRunner.h"
#include "SyntheticStructure.h"

namespace {

using testing_support::ChildSetup;
using testing_support::ProcessResult;
using testing_support::TempDir;
using testing_support::filesEndingIn;
using testing_support::filesIn;
using testing_support::irregularChain;
using testing_support::movedCopy;
using testing_support::randomRigidMotion;
using testing_support::runProcess;
using testing_support::testData;
using testing_support::withoutTimes;

std::size_t occurrences(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// The PDB text of a chain with the x field (columns 31-38) of residue `at`'s
// alpha carbon replaced by `x`.
std::string withCoordinate(const std::vector<Vector3>& chain, std::size_t at, const std::string& x) {
  std::string text = testing_support::pdbText(chain);
  std::size_t line = 0;
  for (std::size_t k = 0; k < text.size(); k = text.find('\n', k) + 1) {
    if (text.compare(k + 12, 4, " CA ") != 0) continue;
    if (line++ == at) {
      text.replace(k + 30, 8, std::string(8 - x.size(), ' ') + x);
      break;
    }
  }
  return text;
}

class HostileRun : public ::testing::Test {
 protected:
  // Three related chains, the second moved, the third with residue 7 replaced
  // by the given x coordinate when one is given.
  std::vector<std::string> structures(const std::string& outlierX = "") {
    const std::vector<Vector3> chain = irregularChain(30, 21);
    dir->write("a.pdb", testing_support::pdbText(chain));
    dir->write("b.pdb", testing_support::pdbText(movedCopy(chain, randomRigidMotion(5), 0.3f, 1)));
    dir->write("c.pdb", outlierX.empty() ? testing_support::pdbText(chain) : withCoordinate(chain, 7, outlierX));
    return {"a.pdb", "b.pdb", "c.pdb"};
  }

  ProcessResult run(const std::vector<std::string>& files, const std::string& params,
                    const ChildSetup& setup = ChildSetup(),
                    const std::vector<std::pair<std::string, std::string>>& env = {}) {
    if (!params.empty()) dir->write("params.txt", params);
    std::vector<std::string> argv = {QUORVALIN_BINARY};
    argv.insert(argv.end(), files.begin(), files.end());
    return runProcess(argv, dir->path(), env, "", setup);
  }

  // The zinc fingers: 2_sol.res about 1.6 kB, 3_sol.res about 2.8 kB, the run log under 1 kB.
  static std::vector<std::string> zincFingers() {
    return {testData("1sp1.pdb"), testData("1sp2.pdb"), testData("3znf.pdb")};
  }

  // The files a run left in the folder but params.txt, each with its text
  // (the run log's timer figures left out).
  std::map<std::string, std::string> outputs() const {
    std::map<std::string, std::string> files;
    for (const std::string& name : filesIn(dir->path()))
      if (name != "params.txt") files[name] = withoutTimes(dir->read(name));
    return files;
  }

  std::unique_ptr<TempDir> dir{new TempDir};
};

// Settings and coordinates that once overflowed an index or made the grid hash
// allocate a dense range of cells between far-apart points: each run ends
// normally with whole result files.
TEST_F(HostileRun, ExtremeSizesAndCoordinatesRunToTheEnd) {
  const struct {
    const char* params;
    const char* outlierX;
    bool solutions;  // whether any solution is found
  } cases[] = {
      {"SeqBlockMinSize 99999999999\n", "", false},
      {"SeqBlockMinSize 2147483647\n", "", false},
      {"ExtThr 1e-30\n", "", true},
      {"ExtThr 1e-6\n", "", true},
      {"SeqBlockRMSDthr 1e-30\nOnlyScoring 1\n", "", true},
      {"", "1e10", true},
      {"", "-1e8", true},
      {"ExtThr 1e-6\n", "1e7", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.params) + " x=" + c.outlierX);
    dir.reset(new TempDir);
    ProcessResult r = run(structures(c.outlierX), c.params);
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.find("Num Of Mols:") != std::string::npos, c.solutions) << r.out;
    EXPECT_NE(dir->read("log_quorvalin.txt").find("Overall Run Time"), std::string::npos);
  }
}

// A file size limit reached while writing 3_sol.res: the write fails as on a
// full disk instead of the limit's signal killing the run. The file written
// before and the run log are whole, the one being written does not appear.
TEST_F(HostileRun, FileSizeLimitFailsTheWriteNotTheRun) {
  ChildSetup setup;
  setup.limits.push_back({RLIMIT_FSIZE, 2000});
  ProcessResult r = run(zincFingers(), "", setup);
  EXPECT_EQ(r.termSignal, 0);
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, "Error while writing file 3_sol.res\n");
  EXPECT_TRUE(dir->exists("2_sol.res"));
  EXPECT_EQ(dir->read("2_sol.res").substr(dir->read("2_sol.res").size() - 4), "\n\n\n\n");
  EXPECT_FALSE(dir->exists("3_sol.res"));
  const std::string log = dir->read("log_quorvalin.txt");
  EXPECT_NE(log.find("Error while writing file 3_sol.res\n"), std::string::npos) << log;
  EXPECT_NE(log.find("Overall Run Time"), std::string::npos) << log;
  EXPECT_EQ(filesEndingIn(dir->path(), ".tmp"), std::vector<std::string>{});
}

// Writes that fail (the disk full, a file size limit): the file is reported,
// leaves nothing behind, and the run ends with status 1.
TEST_F(HostileRun, FailedWritesAreReportedAndLeaveNothing) {
  const struct {
    const char* name;
    const char* params;
    const char* failed;  // the file reported
    std::vector<std::string> whole;
  } cases[] = {
      {"a result file", "", "3_sol.res", {"2_sol.res", "log_quorvalin.txt"}},
      // A long unknown setting is listed in the log's table and makes it the largest file.
      {"the run log", "Padding ", "log_quorvalin.txt", {"2_sol.res", "3_sol.res"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    dir.reset(new TempDir);
    ChildSetup setup;
    setup.limits.push_back({RLIMIT_FSIZE, 3500});
    setup.ignoredSignals.push_back(SIGXFSZ);
    if (std::string(c.params).empty()) setup.limits.back().second = 2000;
    const std::string params = std::string(c.params).empty() ? "" : std::string(c.params) + std::string(3500, 'x') + "\n";
    ProcessResult r = run(zincFingers(), params, setup);
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.err, std::string("Error while writing file ") + c.failed + "\n");
    EXPECT_FALSE(dir->exists(c.failed));
    for (const std::string& name : c.whole) EXPECT_TRUE(dir->exists(name)) << name;
    EXPECT_EQ(filesEndingIn(dir->path(), ".tmp"), std::vector<std::string>{});
  }
}

// Started with standard output closed: the console cannot be written, which
// the run says at the end, after writing its files; the run log must not take
// descriptor 1 and receive the console lines.
TEST_F(HostileRun, ClosedStandardOutputFailsTheRunAfterItsFiles) {
  ChildSetup setup;
  setup.closeStdout = true;
  ProcessResult r = run(zincFingers(), "", setup);
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, "Error while writing to standard output\n");
  const std::string log = dir->read("log_quorvalin.txt");
  EXPECT_EQ(log.find("Version 1.93"), std::string::npos) << log;
  EXPECT_EQ(occurrences(log, "Num Of Mols: 3"), 1u) << log;
  EXPECT_NE(log.find("Overall Run Time"), std::string::npos) << log;
  EXPECT_TRUE(dir->exists("3_sol.res"));
}

// Standard output a pipe whose reader has gone (`quorvalin ... | head -c1`):
// the run still writes every file, the same as a run whose console is read,
// then says that the console failed.
TEST_F(HostileRun, ConsoleGoneStillWritesTheResults) {
  const std::string params = "ResNumPrint 50\n";
  ProcessResult read = run(zincFingers(), params);
  ASSERT_EQ(read.exitStatus, 0) << read.err;
  const std::map<std::string, std::string> whole = outputs();
  dir.reset(new TempDir);
  ChildSetup setup;
  setup.stdoutUnread = true;
  ProcessResult r = run(zincFingers(), params, setup);
  EXPECT_EQ(r.termSignal, 0);
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, "Error while writing to standard output\n");
  EXPECT_EQ(outputs(), whole);
}

// A console that cannot be written to is a failure, said on standard error.
TEST_F(HostileRun, FullStandardOutputFailsTheRun) {
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  ChildSetup setup;
  setup.stdoutPath = "/dev/full";
  ProcessResult r = run(zincFingers(), "", setup);
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, "Error while writing to standard output\n");
  EXPECT_TRUE(dir->exists("3_sol.res"));
}

// Running out of memory (here on a settings file that never ends) ends with
// one message and status 1, not an uncaught exception.
TEST_F(HostileRun, OutOfMemoryEndsWithAMessage) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "the sanitizers reserve far more address space than any memory limit allows";
#endif
  ASSERT_EQ(symlink("/dev/zero", dir->file("params.txt").c_str()), 0);
  ChildSetup setup;
  setup.limits.push_back({RLIMIT_AS, 64ul << 20});
  ProcessResult r = run(zincFingers(), "", setup);
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, "Not enough memory to complete the run\n");
  EXPECT_EQ(r.out, "Version 1.93\n");
}

// The signals whose default action ends the process: the ones a user, a
// batch system or a timer sends, and a few more that nothing here sends but a
// kill can.
const int kEndingSignals[] = {SIGHUP, SIGINT,  SIGQUIT, SIGTERM, SIGUSR1, SIGUSR2,  SIGALRM, SIGVTALRM,
                              SIGPROF, SIGXCPU, SIGPOLL, SIGPWR,  SIGSTKFLT, SIGRTMIN, SIGRTMAX};

// An ending signal at any moment of a run on eight threads: the run ends by
// that signal, leaves no temporary file, and every file it leaves under its
// final name is whole (the same as the completed run's). Moments: once the
// run log's temporary file exists, and once each result file's exists (the
// run held there until the signal is sent), and after delays drawn with a
// fixed seed over a whole run's duration.
TEST_F(HostileRun, EndingSignalsLeaveNoTemporaryOrCutFileAndEndTheRunByTheSignal) {
  // More solutions than by default, so that writing the result files takes a while.
  const std::string params = "bvResNum 30\nResNumPrint 50\n";
  const std::vector<std::string> files = zincFingers();
  const std::vector<std::pair<std::string, std::string>> eightThreads = {{"QUORVALIN_THREADS", "8"}};
  const auto started = std::chrono::steady_clock::now();
  const ProcessResult complete = run(files, params, ChildSetup(), eightThreads);
  ASSERT_EQ(complete.exitStatus, 0);
  const long runMicros = static_cast<long>(
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started).count());
  const std::map<std::string, std::string> whole = outputs();
  ASSERT_EQ(whole.size(), 3u);

  // Each file's temporary is created before the console line written with it:
  // the run log's before the first line, a result file's before its "Num Of
  // Mols" line. The run is held in that line's write. The files listed were
  // completed before the moment, so the signal must leave them.
  const struct {
    const char* file;
    std::size_t consoleBytes;
    std::vector<std::string> completedBefore;
  } fileMoments[] = {
      {"log_quorvalin.txt.", 0, {}},
      {"2_sol.res.", complete.out.find("Num Of Mols: 2"), {}},
      {"3_sol.res.", complete.out.find("Num Of Mols: 3"), {"2_sol.res"}},
  };
  for (const auto& moment : fileMoments) ASSERT_NE(moment.consoleBytes, std::string::npos) << complete.out;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  const int kRandomMoments = 2;  // each run takes far longer there
#else
  const int kRandomMoments = 10;
#endif
  std::mt19937 random(7);
  for (int signo : kEndingSignals) {
    SCOPED_TRACE(strsignal(signo));
    std::vector<ChildSetup> moments;
    for (const auto& moment : fileMoments) {
      moments.emplace_back();
      moments.back().signalWhenFileStarts = moment.file;
      moments.back().stdoutBytesBeforeSignal = moment.consoleBytes;
    }
    for (int k = 0; k < kRandomMoments; ++k) {
      moments.emplace_back();
      moments.back().signalAfterMicros = std::uniform_int_distribution<long>(0, runMicros)(random);
    }
    for (std::size_t m = 0; m < moments.size(); ++m) {
      ChildSetup& setup = moments[m];
      SCOPED_TRACE(setup.signalWhenFileStarts.empty() ? std::to_string(setup.signalAfterMicros) + " us"
                                                      : "once " + setup.signalWhenFileStarts + "* exists");
      setup.signal = signo;
      setup.limits.push_back({RLIMIT_CORE, 0});  // SIGQUIT and SIGXCPU would dump one
      dir.reset(new TempDir);
      const ProcessResult r = run(files, params, setup, eightThreads);
      EXPECT_EQ(filesEndingIn(dir->path(), ".tmp"), std::vector<std::string>{});
      const std::map<std::string, std::string> left = outputs();
      for (const auto& file : left) {
        ASSERT_EQ(whole.count(file.first), 1u) << file.first;
        EXPECT_EQ(file.second, whole.at(file.first)) << file.first;
      }
      if (m < std::size(fileMoments)) {
        ASSERT_TRUE(r.signalSent);
        EXPECT_EQ(r.termSignal, signo) << "exit status " << r.exitStatus;
        for (const std::string& name : fileMoments[m].completedBefore) EXPECT_EQ(left.count(name), 1u) << name;
      } else if (r.exitStatus == 0) {
        EXPECT_EQ(left, whole);  // the signal came after the end
      } else {
        EXPECT_EQ(r.termSignal, signo) << "exit status " << r.exitStatus;
      }
    }
  }
}

// Ctrl-C on a script that runs the program in a loop: the shell sees its
// child end by SIGINT, takes the interrupt as meant for the whole script and
// stops it too. Had the run exited normally, the shell would go on to the
// next one.
TEST_F(HostileRun, InterruptStopsAShellLoopOfRuns) {
  if (access("/bin/bash", X_OK) != 0) GTEST_SKIP() << "no /bin/bash";
  dir->write("loop.sh",
             "for k in 1 2 3; do\n"
             "  echo \"start $k\" >> trace\n"
             "  \"$QUORVALIN\" \"$@\"\n"
             "  echo \"after $k $?\" >> trace\n"
             "done\n");
  std::vector<std::string> argv = {"/bin/bash", "loop.sh"};
  for (const std::string& file : zincFingers()) argv.push_back(file);
  ChildSetup setup;
  setup.ownProcessGroup = true;  // as a terminal's Ctrl-C reaches the shell and its child
  setup.signal = SIGINT;
  setup.signalWhenFileStarts = "log_quorvalin.txt.";  // held before the run's first console line
  const ProcessResult r = runProcess(argv, dir->path(), {{"QUORVALIN", QUORVALIN_BINARY}}, "", setup);
  ASSERT_TRUE(r.signalSent);
  EXPECT_EQ(dir->read("trace"), "start 1\n");
  EXPECT_EQ(r.termSignal, SIGINT) << "exit status " << r.exitStatus;
  EXPECT_EQ(filesEndingIn(dir->path(), ".tmp"), std::vector<std::string>{});
  EXPECT_FALSE(dir->exists("log_quorvalin.txt"));
}

// A CPU time limit as `ulimit -t 1` sets it (soft and hard alike) on a run on
// eight threads that needs more: the kernel would kill it at the limit, the
// run ends by SIGXCPU just before, and nothing is left under a temporary name.
TEST_F(HostileRun, ACpuTimeLimitEndsTheRunBySigxcpuWithoutTemporaryFiles) {
  // Twenty noisy copies of a 300-residue chain: about nine seconds of CPU
  // time here, so that no machine finishes within the limit.
  const std::vector<Vector3> chain = irregularChain(300, 31);
  std::vector<std::string> files;
  for (unsigned k = 0; k < 20; ++k) {
    files.push_back("s" + std::to_string(k) + ".pdb");
    dir->write(files.back(), testing_support::pdbText(movedCopy(chain, randomRigidMotion(40 + k), 1.0f, 60 + k)));
  }
  ChildSetup setup;
  setup.limits.push_back({RLIMIT_CPU, 1});
  setup.limits.push_back({RLIMIT_CORE, 0});
  const ProcessResult r = run(files, "", setup, {{"QUORVALIN_THREADS", "8"}});
  EXPECT_EQ(r.termSignal, SIGXCPU) << "exit status " << r.exitStatus << "\n" << r.err;
  EXPECT_EQ(filesEndingIn(dir->path(), ".tmp"), std::vector<std::string>{});
  EXPECT_FALSE(dir->exists("log_quorvalin.txt"));
}

// Started with an ending signal ignored (nohup ignores SIGHUP, a script's
// background job SIGINT and SIGQUIT): that signal does not stop the run.
TEST_F(HostileRun, ASignalIgnoredAtTheStartStaysIgnored) {
  for (int signo : kEndingSignals) {
    SCOPED_TRACE(strsignal(signo));
    dir.reset(new TempDir);
    ChildSetup setup;
    setup.ignoredSignals.push_back(signo);
    setup.signal = signo;
    setup.signalWhenFileStarts = "log_quorvalin.txt.";  // held before the run's first console line
    ProcessResult r = run(zincFingers(), "", setup);
    ASSERT_TRUE(r.signalSent);
    EXPECT_EQ(r.exitStatus, 0) << r.termSignal;
    EXPECT_TRUE(dir->exists("3_sol.res"));
    EXPECT_TRUE(dir->exists("log_quorvalin.txt"));
  }
}

}  // namespace
