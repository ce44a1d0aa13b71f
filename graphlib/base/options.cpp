#include "graphlib/base/options.h"

#include <sys/select.h>
#include <sys/time.h>
#include <sys/times.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "graphlib/base/error.h"

namespace graphlib {

const char* rootdir_name = "/GRAPHLIB/INSTALL";
const char* option_list = nullptr;
int node_data_slots = 0;
int edge_data_slots = 0;

namespace {

// strtol's reading of the value ("2x" is 2, "abc" is 0), kept within the slot
// range: a negative count would make records smaller than their fixed part.
int data_slots(const char* key, const char* value) {
  long n = std::strtol(value, nullptr, 10);
  if (n >= 0 && n <= max_data_slots) return static_cast<int>(n);
  int clamped = n < 0 ? 0 : max_data_slots;
  std::string msg = std::string(key) + ": " + value + " is out of range [0.." +
                    std::to_string(max_data_slots) + "], using " + std::to_string(clamped);
  std_error_handler(0, msg.c_str());
  return clamped;
}

}  // namespace

void read_options() {
  if (const char* root = std::getenv("GRAPHLIBROOT")) rootdir_name = root;
  option_list = std::getenv("GRAPHLIB_INIT");
  if (std::getenv("GRAPHLIB_CATCH_SYSTEM_ERRORS")) catch_system_errors(true);
  const char* node_data = std::getenv("GRAPHLIB_NODE_DATA");
  const char* edge_data = std::getenv("GRAPHLIB_EDGE_DATA");
  if (node_data) node_data_slots = data_slots("GRAPHLIB_NODE_DATA", node_data);
  if (edge_data) edge_data_slots = data_slots("GRAPHLIB_EDGE_DATA", edge_data);
  // C stream: std::cerr may not be constructed yet when the first unit starts up.
  if (node_data || edge_data) {
    std::fprintf(stderr, "\n");
    std::fprintf(stderr, "node_data_slots = %d\n", node_data_slots);
    std::fprintf(stderr, "edge_data_slots = %d\n", edge_data_slots);
    std::fprintf(stderr, "\n");
  }
}

void check_version_441() {}

float used_time() {
  struct tms t;
  times(&t);
  return static_cast<float>(t.tms_utime) / static_cast<float>(sysconf(_SC_CLK_TCK));
}

float used_time(float& T) {
  float old = T;
  T = used_time();
  return T - old;
}

sleep_interval sleep_timeout(double sec) {
  // In 64 bits: a 32-bit microsecond count overflows after 2147 seconds.
  const double limit = 9.0e18;
  double usec = sec * 1000000.0;
  if (!(usec > 0)) return {0, 0};
  int64_t n = usec >= limit ? static_cast<int64_t>(limit) : static_cast<int64_t>(usec);
  return {static_cast<long>(n / 1000000), static_cast<long>(n % 1000000)};
}

void sleep(double sec) {
  sleep_interval w = sleep_timeout(sec);
  struct timeval tv;
  tv.tv_sec = w.seconds;
  tv.tv_usec = w.microseconds;
  select(0, nullptr, nullptr, nullptr, &tv);
}

}  // namespace graphlib
