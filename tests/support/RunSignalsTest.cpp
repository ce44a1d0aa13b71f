// What the signals that would end a run abruptly do instead.
#include "support/RunSignals.h"

#include <gtest/gtest.h>

#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "ExitCapture.h"
#include "ProcessRunner.h"
#include "support/Log.h"
#include "support/WholeFile.h"

namespace {

using testing_support::TempDir;
using testing_support::filesIn;

std::string signalName(int signo) {
  const char* name = sigabbrev_np(signo);
  return name ? name : "RT" + std::to_string(signo - SIGRTMIN);
}

// In a death test's child: every signal at its default action and unblocked,
// whatever the test runner was started with, and no core files from the
// signals that dump one.
void startAsAFreshProcess() {
  testing_support::defaultSignals();
  const rlimit noCore = {0, 0};
  setrlimit(RLIMIT_CORE, &noCore);
}

// A thread that only waits, with every signal unblocked: a signal sent to the
// process may be handled on it.
void* idleForGood(void*) {
  for (;;) ::pause();
}

TEST(RunSignals, TheEndingSignalsAreEveryCatchableOneWhoseDefaultEndsTheProcess) {
  const std::vector<int>& ending = RunSignals::ending();
  for (int signo : {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU, SIGPOLL,
                    SIGPWR, SIGSTKFLT, SIGRTMIN, SIGRTMAX})
    EXPECT_EQ(std::count(ending.begin(), ending.end(), signo), 1) << signalName(signo);
  // Crashes, the two that cannot be caught, the two ignored ones, and those
  // whose default is not to end the process.
  for (int signo : {SIGSEGV, SIGBUS, SIGILL, SIGABRT, SIGFPE, SIGSYS, SIGTRAP, SIGKILL, SIGSTOP, SIGPIPE, SIGXFSZ,
                    SIGCHLD, SIGCONT, SIGTSTP, SIGTTIN, SIGTTOU, SIGURG, SIGWINCH})
    EXPECT_EQ(std::count(ending.begin(), ending.end(), signo), 0) << signalName(signo);
  EXPECT_EQ(ending.size(), 13u + static_cast<std::size_t>(SIGRTMAX - SIGRTMIN + 1));
}

// Stopped in the middle of writing: the run log and the result file being
// written are removed, a result file completed before stays, and the process
// ends by the signal itself.
TEST(RunSignals, EndingSignalsRemoveTheTemporaryFilesAndEndTheProcessByTheSignal) {
  for (int signo : RunSignals::ending()) {
    SCOPED_TRACE(signalName(signo));
    TempDir dir;
    EXPECT_EXIT(
        {
          testing_support::LeakCheckPause pause;
          startAsAFreshProcess();
          RunSignals::install();
          if (!Log::open(dir.file("log").c_str())) std::_Exit(2);
          std::ofstream done;
          const std::string doneTemporary = WholeFile::open(done, dir.file("2_sol.res"));
          done << "whole\n";
          if (WholeFile::commit(done, doneTemporary, dir.file("2_sol.res")) != WholeFile::Outcome::Written)
            std::_Exit(2);
          std::ofstream cut;
          if (WholeFile::open(cut, dir.file("3_sol.res")).empty()) std::_Exit(2);
          cut << "half";
          cut.flush();
          kill(getpid(), signo);
          std::_Exit(3);
        },
        testing::KilledBySignal(signo), "");
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"2_sol.res"});
    EXPECT_EQ(dir.read("2_sol.res"), "whole\n");
  }
}

// nohup and background jobs start a program with some of them ignored.
TEST(RunSignals, ASignalIgnoredAtTheStartStaysIgnored) {
  for (int signo : RunSignals::ending()) {
    SCOPED_TRACE(signalName(signo));
    EXPECT_EXIT(
        {
          startAsAFreshProcess();
          signal(signo, SIG_IGN);
          RunSignals::install();
          kill(getpid(), signo);
          std::_Exit(0);
        },
        testing::ExitedWithCode(0), "");
  }
}

// Two threads stopped at once, each by a signal of its own: the files are
// removed and the process ends by one of the two.
TEST(RunSignals, TwoSignalsOnTwoThreadsEndTheRunByOneOfThem) {
  TempDir dir;
  EXPECT_EXIT(
      {
        testing_support::LeakCheckPause pause;
        startAsAFreshProcess();
        RunSignals::install();
        std::ofstream cut;
        if (WholeFile::open(cut, dir.file("2_sol.res")).empty()) std::_Exit(2);
        pthread_t other;
        if (pthread_create(&other, nullptr, idleForGood, nullptr) != 0) std::_Exit(2);
        pthread_kill(other, SIGTERM);
        kill(getpid(), SIGINT);
        for (;;) ::pause();
      },
      [](int status) { return WIFSIGNALED(status) && (WTERMSIG(status) == SIGTERM || WTERMSIG(status) == SIGINT); },
      "");
  EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{});
}

// A file that another run has under this run's temporary name, and a stop
// that comes just when the name and the disk could disagree: after a create
// that failed because the file was there, after a rename, after a removal
// (when another run may take the name before this one forgets it). The stop
// is handled on this thread once the step is over, or on another thread,
// which waits for it; either way that other run's file stays.
namespace stop_at_a_step {

const char* stepToStopAt;
bool plantAtTheStep;  // the other run's file appears just after the step
bool onAnotherThread;
pthread_t otherThread;

const char* const kOtherRunsText = "another run's file\n";

void stopHere(const char* step, const std::string& temporary) {
  if (std::strcmp(step, stepToStopAt) != 0) return;
  stepToStopAt = "";
  if (plantAtTheStep) testing_support::writeFile(temporary, kOtherRunsText);
  if (!onAnotherThread) {
    kill(getpid(), SIGTERM);
    return;
  }
  pthread_kill(otherThread, SIGTERM);
  // Time for the other thread's handler to remove what it would.
  const timespec wait = {0, 50000000};
  nanosleep(&wait, nullptr);
}

struct Case {
  const char* name;
  const char* step;
  bool viaLog;  // the run log's file rather than a result file
};

// In the death test's child: writes `final` by way of its temporary file and
// is stopped at the case's step. The other run's file is planted beforehand
// when the create is to fail.
[[noreturn]] void writeAndBeStopped(const Case& c, const std::string& final, bool anotherThread) {
  testing_support::LeakCheckPause pause;
  startAsAFreshProcess();
  RunSignals::install();
  stepToStopAt = c.step;
  onAnotherThread = anotherThread;
  plantAtTheStep = std::strcmp(c.step, "not created") != 0;
  if (!plantAtTheStep)
    testing_support::writeFile(final + "." + std::to_string(static_cast<long>(getpid())) + ".tmp", kOtherRunsText);
  if (anotherThread &&
      pthread_create(&otherThread, nullptr, idleForGood, nullptr) != 0)
    std::_Exit(2);
  WholeFile::stepHookForTests = stopHere;
  if (c.viaLog) {
    if (!Log::open(final.c_str())) std::_Exit(2);
    Log::fout << "log\n";
    Log::finish(std::cerr);
  } else {
    std::ofstream stream;
    const std::string temporary = WholeFile::open(stream, final);
    if (temporary.empty()) std::_Exit(2);
    stream << "whole\n";
    if (std::strcmp(c.step, "removed") == 0) {
      stream.close();
      WholeFile::discard(temporary);
    } else {
      WholeFile::commit(stream, temporary, final);
    }
  }
  for (;;) ::pause();  // the stop ends the process
}

}  // namespace stop_at_a_step

TEST(RunSignals, AStopWhileTheTableAndTheDiskDisagreeRemovesNoFileOfAnotherRun) {
  using stop_at_a_step::Case;
  const Case cases[] = {
      {"create failed: a result file", "not created", false},
      {"create failed: the run log", "not created", true},
      {"renamed: a result file", "renamed", false},
      {"renamed: the run log", "renamed", true},
      {"removed: a result file", "removed", false},
  };
  for (const Case& c : cases) {
    for (bool anotherThread : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (anotherThread ? ", handled on another thread" : ", handled on this thread"));
      TempDir dir;
      const std::string final = dir.file(c.viaLog ? "log" : "2_sol.res");
      EXPECT_EXIT(stop_at_a_step::writeAndBeStopped(c, final, anotherThread), testing::KilledBySignal(SIGTERM), "");
      const std::vector<std::string> left = filesIn(dir.path());
      const std::vector<std::string> others = testing_support::filesEndingIn(dir.path(), ".tmp");
      EXPECT_EQ(others.size(), 1u) << ::testing::PrintToString(left);
      if (others.size() == 1) {
        EXPECT_EQ(dir.read(others[0]), stop_at_a_step::kOtherRunsText);
      }
      // Besides it, only the file renamed before the stop.
      EXPECT_EQ(left.size(), std::strcmp(c.step, "renamed") == 0 ? 2u : 1u) << ::testing::PrintToString(left);
    }
  }
}

// A CPU time limit whose soft and hard values are one, as `ulimit -t` sets
// them: the kernel would kill the process at the limit with SIGKILL, so the run
// sends itself SIGXCPU first and removes its files.
TEST(RunSignals, AHardCpuLimitEndsTheRunBySigxcpuWithoutItsTemporaryFiles) {
  TempDir dir;
  EXPECT_EXIT(
      {
        testing_support::LeakCheckPause pause;
        startAsAFreshProcess();
        rlimit second;
        second.rlim_cur = second.rlim_max = 1;
        if (setrlimit(RLIMIT_CPU, &second) != 0) std::_Exit(2);
        RunSignals::install();
        std::ofstream cut;
        if (WholeFile::open(cut, dir.file("2_sol.res")).empty()) std::_Exit(2);
        for (volatile unsigned long k = 0;; k = k + 1) {
        }
      },
      testing::KilledBySignal(SIGXCPU), "");
  EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{});
}

// Writes to a pipe whose reader has gone; status 0 when the write failed.
void writeToAPipeWithoutReader() {
  RunSignals::install();
  int ends[2];
  if (pipe(ends) != 0) std::_Exit(2);
  close(ends[0]);
  std::_Exit(write(ends[1], "x", 1) < 0 && errno == EPIPE ? 0 : 3);
}

// Writes past a file size limit; status 0 when the write failed.
void writePastTheFileSizeLimit(const std::string& path) {
  RunSignals::install();
  rlimit limit;
  limit.rlim_cur = limit.rlim_max = 100;
  if (setrlimit(RLIMIT_FSIZE, &limit) != 0) std::_Exit(2);
  std::ofstream file(path);
  file << std::string(1000, 'x');
  file.close();
  std::_Exit(file.fail() ? 0 : 3);
}

// A console gone and a file past the size limit make the write fail.
TEST(RunSignals, BrokenPipesAndFileSizeLimitsFailTheWriteInsteadOfKilling) {
  EXPECT_EXIT(writeToAPipeWithoutReader(), testing::ExitedWithCode(0), "");
  TempDir dir;
  EXPECT_EXIT(writePastTheFileSizeLimit(dir.file("big")), testing::ExitedWithCode(0), "");
}

}  // namespace
