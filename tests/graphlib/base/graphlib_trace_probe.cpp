// Child process that dies of a fatal library error three calls deep in
// functions of its own, so that a test can read the stack trace it prints.
// The first argument names the failure: "error" (a library error) or "segv"
// (a fault turned into a library error by the library's signal handler).
#include <cstdio>
#include <cstring>

#include "graphlib/base/basic.h"

namespace trace_probe {

volatile int sink = 0;
int* volatile nil_pointer = nullptr;

// Each caller does something after its call, so that no call becomes a jump
// and every function keeps a frame of its own.
__attribute__((noinline, no_sanitize("undefined"))) void innermost_caller(bool fault) {
  if (fault)
    *nil_pointer = 1;
  else
    graphlib::error_handler(1, "deliberate failure");
  sink = sink + 1;
}

__attribute__((noinline)) void middle_caller(bool fault) {
  innermost_caller(fault);
  sink = sink + 1;
}

// Internal linkage: only the executable's own symbol table can name it.
__attribute__((noinline)) static void hidden_caller(bool fault) {
  middle_caller(fault);
  sink = sink + 1;
}

__attribute__((noinline)) void outer_caller(bool fault) {
  hidden_caller(fault);
  sink = sink + 1;
}

}  // namespace trace_probe

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  bool fault = std::strcmp(argv[1], "segv") == 0;
  if (fault) graphlib::catch_system_errors(true);
  trace_probe::outer_caller(fault);
  std::printf("not reached\n");
  return trace_probe::sink;
}
