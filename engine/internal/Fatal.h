#pragma once
// The engine's fatal messages: one line on the given stream, then status 1.
#include <cstdlib>
#include <ostream>

namespace engine_internal {

[[noreturn]] inline void fatal(std::ostream& os, const char* message) {
  os << message << std::endl;
  std::exit(1);
}

}  // namespace engine_internal
