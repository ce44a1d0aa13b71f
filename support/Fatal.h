#pragma once
// The one way a run ends on a fatal condition: the message as the caller
// words it, on the caller's stream, then the run log completed and status 1.
#include <ostream>

namespace Fatal {

// Flushes the console, completes the run log and exits with status 1.
[[noreturn]] void stop();

// Writes the parts and a newline to `os`, then stop().
template <class... Parts>
[[noreturn]] void report(std::ostream& os, const Parts&... parts) {
  (os << ... << parts) << std::endl;
  stop();
}

// For std::set_new_handler: "Not enough memory to complete the run" on
// standard error and in the run log, then stop().
[[noreturn]] void outOfMemory();

}  // namespace Fatal
