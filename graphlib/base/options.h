#pragma once
// Start-up options from the environment, read once before main, and the
// library's timing services.

#include "graphlib/base/memory_manager.h"

namespace graphlib {

extern const char* rootdir_name;  // "GRAPHLIBROOT"
extern const char* option_list;   // "GRAPHLIB_INIT", the environment's own text; nil when unset
extern int node_data_slots;       // "GRAPHLIB_NODE_DATA"
extern int edge_data_slots;       // "GRAPHLIB_EDGE_DATA"

// Data slot counts beyond this are refused: each slot is a word in every node or edge.
const int max_data_slots = 1024;

void read_options();
void check_version_441();

// User CPU time of the process in seconds.
float used_time();
// User CPU time since T; T becomes the current time.
float used_time(float& T);

// Suspends the process for sec seconds (microsecond resolution); a signal ends it early.
void sleep(double sec);

struct sleep_interval {
  long seconds;
  long microseconds;
};
// The wait that sleep(sec) asks select for.
sleep_interval sleep_timeout(double sec);

}  // namespace graphlib
