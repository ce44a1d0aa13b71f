// The fatal end of a run: one message and one exit, whichever thread gets
// there first, with the run log completed and no temporary file left.
#include "support/Fatal.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "ExitCapture.h"
#include "ProcessRunner.h"
#include "support/Log.h"
#include "support/WholeFile.h"

namespace {

using testing_support::TempDir;
using testing_support::filesIn;

void sayExitHandlersRan() { std::fputs("exit handlers ran\n", stderr); }

// Every thread calls `end` (which ends the run) at about the same moment.
template <class End>
void endOnThreads(int threads, End end) {
  testing_support::LeakCheckPause pause;
  Fatal::ThreadsRunning running;
  std::atomic<int> arrived{0};
  std::vector<std::thread> ending;
  for (int k = 0; k < threads; ++k)
    ending.emplace_back([&, k] {
      ++arrived;
      while (arrived.load() < threads) std::this_thread::yield();
      end(k);
    });
  for (std::thread& t : ending) t.join();
}

TEST(Fatal, OnOneThreadTheEndRunsTheExitHandlers) {
  // As before threads: static destruction still runs (the graph library's
  // end-of-run reports depend on it).
  EXPECT_EXIT(
      {
        std::atexit(sayExitHandlersRan);
        Fatal::report(std::cerr, "stopped ", 7);
      },
      testing::ExitedWithCode(1), "^stopped 7\nexit handlers ran\n$");
}

TEST(Fatal, WhileThreadsRunTheEndSkipsTheExitHandlers) {
  EXPECT_EXIT(
      {
        std::atexit(sayExitHandlersRan);
        Fatal::ThreadsRunning running;
        Fatal::report(std::cerr, "stopped");
      },
      testing::ExitedWithCode(1), "^stopped\n$");
}

TEST(Fatal, ThreadsEndingAtOnceGiveOneMessageAndOneExit) {
  const struct {
    const char* name;
    void (*end)(int);
    const char* pattern;
  } cases[] = {
      {"report", [](int k) { Fatal::report(std::cerr, "end of thread ", k); }, "^end of thread [0-9]\n$"},
      {"out of memory", [](int) { Fatal::outOfMemory(); }, "^Not enough memory to complete the run\n$"},
      {"stop", [](int) { Fatal::stop(); }, "^$"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    // Several rounds: the threads meet in another order each time.
    for (int round = 0; round < 5; ++round) {
      EXPECT_EXIT(
          {
            std::atexit(sayExitHandlersRan);
            endOnThreads(8, c.end);
          },
          testing::ExitedWithCode(1), c.pattern);
    }
  }
}

TEST(Fatal, ThreadsFailingToAllocateAtOnceGiveOneMessage) {
  EXPECT_EXIT(
      {
        Fatal::endOnAllocationFailure();
        // What operator new calls when the memory is not there.
        endOnThreads(8, [](int) { std::get_new_handler()(); });
      },
      testing::ExitedWithCode(1), "^Not enough memory to complete the run\n$");
}

// An exception nothing catches, on a worker, ends the run with one message:
// the lack of memory for an allocation failure, an internal error otherwise.
TEST(Fatal, AnExceptionNothingCatchesEndsTheRunWithOneMessage) {
  const struct {
    const char* name;
    void (*fail)();
    const char* message;
  } cases[] = {
      {"bad_alloc", [] { throw std::bad_alloc(); }, "^Not enough memory to complete the run\n$"},
      {"length_error", [] { throw std::length_error("vector"); }, "^Not enough memory to complete the run\n$"},
      {"logic error", [] { throw std::out_of_range("slot 7"); }, "^Internal error: slot 7\n$"},
      {"not an exception", [] { throw 7; }, "^Internal error: an unknown exception\n$"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EXIT(
        {
          Fatal::endOnAllocationFailure();
          endOnThreads(3, [&c](int k) {
            if (k == 1) c.fail();
            for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
          });
        },
        testing::ExitedWithCode(1), c.message);
  }
}

// The run log is completed with the message; a file being written when the
// run ended is removed, not left under its temporary name.
TEST(Fatal, TheEndCompletesTheLogAndRemovesUnfinishedFiles) {
  TempDir dir;
  EXPECT_EXIT(
      {
        testing_support::LeakCheckPause pause;
        if (!Log::open(dir.file("log").c_str())) std::_Exit(2);
        Log::fout << "before\n";
        std::ofstream result;
        if (WholeFile::open(result, dir.file("2_sol.res")).empty()) std::_Exit(2);
        result << "half a file";
        result.flush();
        Fatal::outOfMemory();
      },
      testing::ExitedWithCode(1), "^Not enough memory to complete the run\n$");
  EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"log"});
  EXPECT_EQ(dir.read("log"), "before\nNot enough memory to complete the run\n");
}

}  // namespace
