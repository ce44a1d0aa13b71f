#include "graphlib/base/options.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "ProbeRunner.h"

namespace {

using testing_support::Env;
using testing_support::runProbe;

// Each row starts a fresh process: the options are read before main.
TEST(StartupOptions, EnvironmentTable) {
  struct Row {
    Env env;
    std::string err;
    std::string out;
  };
  const std::string echo03 = "\nnode_data_slots = 0\nedge_data_slots = 3\n\n";
  const std::string echo20 = "\nnode_data_slots = 2\nedge_data_slots = 0\n\n";
  const std::string echo00 = "\nnode_data_slots = 0\nedge_data_slots = 0\n\n";
  const std::string base = " option_list=(nil) root=/GRAPHLIB/INSTALL segv=default\n";
  const Row rows[] = {
      {{}, "", "node=0 edge=0" + base},
      {{{"GRAPHLIB_EDGE_DATA", "3"}}, echo03, "node=0 edge=3" + base},
      {{{"GRAPHLIB_NODE_DATA", "2x"}}, echo20, "node=2 edge=0" + base},
      {{{"GRAPHLIB_NODE_DATA", "abc"}}, echo00, "node=0 edge=0" + base},
      {{{"GRAPHLIB_NODE_DATA", " +2"}}, echo20, "node=2 edge=0" + base},
      {{{"GRAPHLIB_NODE_DATA", "-1"}},
       "\nGRAPHLIB WARNING\n\tGRAPHLIB_NODE_DATA: -1 is out of range [0..1024], using 0\n\n" + echo00,
       "node=0 edge=0" + base},
      {{{"GRAPHLIB_EDGE_DATA", "99999999999"}},
       "\nGRAPHLIB WARNING\n\tGRAPHLIB_EDGE_DATA: 99999999999 is out of range [0..1024], using 1024\n\n"
       "\nnode_data_slots = 0\nedge_data_slots = 1024\n\n",
       "node=0 edge=1024" + base},
      {{{"GRAPHLIB_NODE_DATA", "1024"}, {"GRAPHLIB_EDGE_DATA", "7"}},
       "\nnode_data_slots = 1024\nedge_data_slots = 7\n\n", "node=1024 edge=7" + base},
      {{{"GRAPHLIB_CATCH_SYSTEM_ERRORS", ""}}, "",
       "node=0 edge=0 option_list=(nil) root=/GRAPHLIB/INSTALL segv=library\n"},
      {{{"GRAPHLIB_INIT", "show_nothing"}, {"GRAPHLIBROOT", "/opt/g"}}, "",
       "node=0 edge=0 option_list=show_nothing root=/opt/g segv=default\n"},
  };
  for (const Row& r : rows) {
    std::string label;
    for (const auto& kv : r.env) label += kv.first + "=\"" + kv.second + "\" ";
    SCOPED_TRACE(label);
    auto result = runProbe("options", r.env);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.err, r.err);
    EXPECT_EQ(result.out, r.out);
  }
}

TEST(StartupOptions, SleepTimeout) {
  struct Row {
    double sec;
    long seconds;
    long microseconds;
  };
  const Row rows[] = {{0.0000004, 0, 0}, {1.5, 1, 500000}, {0.25, 0, 250000}, {-2.0, 0, 0}, {0.0, 0, 0}};
  for (const Row& r : rows) {
    graphlib::sleep_interval w = graphlib::sleep_timeout(r.sec);
    EXPECT_EQ(w.seconds, r.seconds) << r.sec;
    EXPECT_EQ(w.microseconds, r.microseconds) << r.sec;
  }
  // Beyond 2147 s a 32-bit microsecond count would wrap negative.
  graphlib::sleep_interval longWait = graphlib::sleep_timeout(3000.0);
  EXPECT_EQ(longWait.seconds, 3000);
  EXPECT_EQ(longWait.microseconds, 0);
  graphlib::sleep_interval huge = graphlib::sleep_timeout(1e300);
  EXPECT_GT(huge.seconds, 0);
}

TEST(StartupOptions, SleepWaitsAndNegativeReturnsAtOnce) {
  auto start = std::chrono::steady_clock::now();
  graphlib::sleep(0.05);
  double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_GE(waited, 0.045);
  // An hour, had the sign been dropped: far beyond any delay of a loaded machine.
  start = std::chrono::steady_clock::now();
  graphlib::sleep(-3600.0);
  waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(waited, 60.0);
}

TEST(StartupOptions, UsedTimeMeasuresUserTime) {
  float T = 0;
  float whole = graphlib::used_time(T);
  EXPECT_EQ(whole, T);
  EXPECT_GE(T, 0.0f);
  volatile double sink = 0;
  // Burn a little CPU so that the second reading can move on.
  for (int i = 0; i < 3000000; i++) sink = sink + i * 0.5;
  float before = T;
  float elapsed = graphlib::used_time(T);
  EXPECT_GE(elapsed, 0.0f);
  EXPECT_EQ(elapsed, T - before);
  EXPECT_LE(T, graphlib::used_time());
}

}  // namespace
