#pragma once
// Support for death tests of code that ends the process with a message.
//
//   EXPECT_EXIT({ testing_support::stdoutToStderr(); LeakCheckPause pause; ...; },
//               testing::ExitedWithCode(1), "^m_type error\n$");
//
// stdoutToStderr lets the death test's pattern see what the code writes to
// standard output. Objects alive when such code calls exit are not leaks;
// allocations made while a LeakCheckPause exists are left out of the leak check
// of sanitizer builds.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <thread>

#include "support/Fatal.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace testing_support {

inline void stdoutToStderr() {
  std::cout.flush();
  std::fflush(stdout);
  dup2(STDERR_FILENO, STDOUT_FILENO);
}

class LeakCheckPause {
 public:
#if defined(__SANITIZE_ADDRESS__)
  LeakCheckPause() { __lsan_disable(); }
  ~LeakCheckPause() { __lsan_enable(); }
#else
  LeakCheckPause() {}
#endif
  LeakCheckPause(const LeakCheckPause&) = delete;
  LeakCheckPause& operator=(const LeakCheckPause&) = delete;
};

// Runs `check` on another thread while this one has claimed the run's end and
// gives it time to write what it would; then ends the run with "ended
// elsewhere" on standard error. A check that claims the end before it writes
// adds nothing to that.
template <class Check>
[[noreturn]] void endElsewhereWhile(Check check) {
  Fatal::ThreadsRunning running;
  Fatal::claim();
  std::thread checking(check);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  Fatal::report(std::cerr, "ended elsewhere");
}

}  // namespace testing_support
