#include "support/Fatal.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <new>
#include <stdexcept>
#include <string>

#include "support/Log.h"
#include "support/TemporaryFiles.h"

namespace Fatal {

namespace {

std::atomic<bool> claimed{false};
thread_local bool claimedHere = false;
std::atomic<int> threadsRunning{0};

}  // namespace

void claim() {
  if (claimedHere) return;
  if (claimed.exchange(true)) {
    for (;;) pause();
  }
  claimedHere = true;
}

void stop() {
  claim();
  // Only the claiming thread gets here; a second time when ending failed in
  // turn (out of memory while completing the log, say).
  static bool stopping = false;
  if (stopping) std::_Exit(1);
  stopping = true;
  std::cout.flush();
  std::cerr.flush();
  Log::finish(std::cerr);
  TemporaryFiles::removeAll();
  if (threadsRunning.load() > 0) std::_Exit(1);
  std::exit(1);
}

void outOfMemory() {
  claim();
  // Nothing here allocates: the streams write into buffers they already have.
  static const char* const message = "Not enough memory to complete the run";
  std::cerr << message << std::endl;
  if (Log::fout.is_open()) Log::fout << message << std::endl;
  stop();
}

namespace {

// An exception nothing catches: short of memory when it says so, otherwise a
// fault of the program's own, said as such rather than as a lack of memory.
[[noreturn]] void endOnUncaught() {
  claim();
  std::string what = "an unknown exception";
  if (std::exception_ptr caught = std::current_exception()) {
    try {
      std::rethrow_exception(caught);
    } catch (const std::bad_alloc&) {
      outOfMemory();
    } catch (const std::length_error&) {
      outOfMemory();
    } catch (const std::exception& e) {
      what = e.what();
    } catch (...) {
    }
  }
  std::cerr << "Internal error: " << what << std::endl;
  if (Log::fout.is_open()) Log::fout << "Internal error: " << what << std::endl;
  stop();
}

}  // namespace

void endOnAllocationFailure() {
  std::set_new_handler(outOfMemory);
  std::set_terminate(endOnUncaught);
}

ThreadsRunning::ThreadsRunning() { threadsRunning.fetch_add(1); }

ThreadsRunning::~ThreadsRunning() { threadsRunning.fetch_sub(1); }

}  // namespace Fatal
