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

#include <cstdio>
#include <iostream>

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

}  // namespace testing_support
