// What the signals that would end a run abruptly do instead.
#include "support/RunSignals.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
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

// Stopped in the middle of writing: the run log and the result file being
// written are removed, a result file completed before stays.
TEST(RunSignals, EndingSignalsRemoveTheTemporaryFilesAndExitWith128PlusTheSignal) {
  for (int signo : {SIGTERM, SIGHUP, SIGINT}) {
    SCOPED_TRACE(strsignal(signo));
    TempDir dir;
    EXPECT_EXIT(
        {
          testing_support::LeakCheckPause pause;
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
          raise(signo);
          std::_Exit(3);
        },
        testing::ExitedWithCode(128 + signo), "");
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"2_sol.res"});
    EXPECT_EQ(dir.read("2_sol.res"), "whole\n");
  }
}

// nohup and background jobs start a program with some of them ignored.
TEST(RunSignals, ASignalIgnoredAtTheStartStaysIgnored) {
  for (int signo : {SIGTERM, SIGHUP, SIGINT}) {
    SCOPED_TRACE(strsignal(signo));
    EXPECT_EXIT(
        {
          signal(signo, SIG_IGN);
          RunSignals::install();
          raise(signo);
          std::_Exit(0);
        },
        testing::ExitedWithCode(0), "");
  }
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
