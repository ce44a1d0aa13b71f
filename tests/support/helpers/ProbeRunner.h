#pragma once
// Runs graphlib_base_probe with a scenario and exactly the given library
// options in its environment.
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "ProcessRunner.h"

namespace testing_support {

using Env = std::vector<std::pair<std::string, std::string>>;

// leakCheck false: the scenario leaves memory in use on purpose.
inline testing_support::ProcessResult runProbe(const std::string& scenario, Env env = {},
                                               bool leakCheck = true, const std::string& stdinText = "") {
  // The test binary has read its own options already; its children must not
  // inherit them.
  for (const char* var : {"GRAPHLIBROOT", "GRAPHLIB_INIT", "GRAPHLIB_CATCH_SYSTEM_ERRORS",
                          "GRAPHLIB_NODE_DATA", "GRAPHLIB_EDGE_DATA"})
    unsetenv(var);
  // Sanitizer builds: the probe's own signal handling and leak report are under test.
  env.push_back({"ASAN_OPTIONS", std::string("detect_leaks=") + (leakCheck ? "1" : "0") +
                                     ":handle_segv=0:handle_sigbus=0:handle_sigill=0"});
  return testing_support::runProcess({GRAPHLIB_BASE_PROBE, scenario}, "", env, stdinText);
}

}  // namespace testing_support
