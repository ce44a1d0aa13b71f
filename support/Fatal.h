#pragma once
// The one way a run ends on a fatal condition: the message as the caller
// words it, on the caller's stream, then the run log completed and status 1.
// Only the first thread to get there ends the run; any other that follows
// waits, silent, until the process has ended.
#include <ostream>

namespace Fatal {

// Returns in the first thread that calls it (and again in that thread); any
// other thread waits here for good. Called before a fatal message is written,
// so that a run prints one.
void claim();

// Flushes the console, completes the run log, removes the files still under a
// temporary name and exits with status 1.
[[noreturn]] void stop();

// Writes the parts and a newline to `os`, then stop().
template <class... Parts>
[[noreturn]] void report(std::ostream& os, const Parts&... parts) {
  claim();
  (os << ... << parts) << std::endl;
  stop();
}

// "Not enough memory to complete the run" on standard error and in the run
// log, then stop().
[[noreturn]] void outOfMemory();

// Makes a failed allocation, and an exception that nothing catches on any
// thread, end the run: through outOfMemory() when the exception is a lack of
// memory, with "Internal error: " and its text otherwise. Such an exception
// ends it where it was thrown, before any stack is unwound under the threads
// still using it.
void endOnAllocationFailure();

// Held by code that runs threads of its own, from before it starts them until
// they have been joined: a fatal end meanwhile exits without running the
// static destructors, as the other threads may still be using those objects.
class ThreadsRunning {
 public:
  ThreadsRunning();
  ~ThreadsRunning();
  ThreadsRunning(const ThreadsRunning&) = delete;
  ThreadsRunning& operator=(const ThreadsRunning&) = delete;
};

}  // namespace Fatal
