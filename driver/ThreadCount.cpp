#include "driver/ThreadCount.h"

#include <cerrno>
#include <cstdlib>
#include <ostream>
#include <thread>

#include "support/ParameterKeys.h"
#include "support/Parameters.h"

namespace ThreadCount {

const char* const kVariable = "QUORVALIN_THREADS";

int choose(const char* setting, unsigned hardware, bool seqOrderZero, std::ostream& err) {
  long cap = 0;
  if (setting) {
    char* end = nullptr;
    errno = 0;
    cap = std::strtol(setting, &end, 10);
    if (end == setting || *end != '\0' || errno != 0 || cap < 1) {
      err << kVariable << " must be a whole number from 1 on, not \"" << setting << "\"" << std::endl;
      return 0;
    }
  }
  if (seqOrderZero) return 1;
  long count = hardware > 0 ? static_cast<long>(hardware) : 1;
  if (cap > 0 && cap < count) count = cap;
  return static_cast<int>(count);
}

int fromEnvironment(std::ostream& err) {
  return choose(std::getenv(kVariable), std::thread::hardware_concurrency(),
                Parameters::getInt(Param::SeqOrder) == 0, err);
}

}  // namespace ThreadCount
