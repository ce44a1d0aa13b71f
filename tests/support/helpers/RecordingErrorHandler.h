#pragma once
// Header-only (test_helpers does not link the graph library): include it only in
// test binaries that link graphlib_base.
//
// Installs a graph-library error handler that records every (code, message).
// For positive codes it throws GraphlibErrorRaised by default, so the raising
// operation stops there as it would under the library's default handler (which
// aborts); Mode::Return lets the operation go on instead. Warnings and negative
// codes are recorded and return. The previous handler comes back on destruction.
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "graphlib/base/error.h"

namespace testing_support {

struct GraphlibError {
  int code;
  std::string message;
  bool operator==(const GraphlibError& o) const { return code == o.code && message == o.message; }
};

// For readable failures in GoogleTest.
inline void PrintTo(const GraphlibError& e, std::ostream* os) { *os << "{" << e.code << ", \"" << e.message << "\"}"; }

struct GraphlibErrorRaised {
  GraphlibError error;
};

// Installs a handler for the life of the object and puts back the one before.
// set_error_handler's return value is the library's forwarder, not the handler
// it replaced, so it cannot restore that one.
class ScopedErrorHandler {
 public:
  explicit ScopedErrorHandler(graphlib::graphlib_error_handler handler) : m_previous(graphlib::get_error_handler()) {
    graphlib::set_error_handler(handler);
  }
  ~ScopedErrorHandler() { graphlib::set_error_handler(m_previous); }
  ScopedErrorHandler(const ScopedErrorHandler&) = delete;
  ScopedErrorHandler& operator=(const ScopedErrorHandler&) = delete;

 private:
  graphlib::graphlib_error_handler m_previous;
};

class RecordingErrorHandler {
 public:
  enum class Mode { Throw, Return };

  // Both, for tests that hold under either handler.
  static constexpr Mode modes[] = {Mode::Throw, Mode::Return};
  static const char* modeName(Mode mode) { return mode == Mode::Throw ? "throwing" : "returning"; }

  explicit RecordingErrorHandler(Mode mode = Mode::Throw)
      : m_mode(mode), m_outer(current()), m_installed(&RecordingErrorHandler::handle) {
    current() = this;
  }
  ~RecordingErrorHandler() { current() = m_outer; }
  RecordingErrorHandler(const RecordingErrorHandler&) = delete;
  RecordingErrorHandler& operator=(const RecordingErrorHandler&) = delete;

  const std::vector<GraphlibError>& errors() const { return m_errors; }
  bool empty() const { return m_errors.empty(); }
  size_t size() const { return m_errors.size(); }
  const GraphlibError& last() const { return m_errors.back(); }
  void clear() { m_errors.clear(); }

  // Runs f and returns the error it raised (throwing mode), or {-1, ""} when it raised none.
  template <class F>
  GraphlibError raisedBy(F&& f) {
    try {
      std::forward<F>(f)();
    } catch (const GraphlibErrorRaised& e) {
      return e.error;
    }
    return {-1, ""};
  }

 private:
  static RecordingErrorHandler*& current() {
    static RecordingErrorHandler* handler = nullptr;
    return handler;
  }

  static void handle(int code, const char* message) {
    RecordingErrorHandler* self = current();
    GraphlibError error{code, message ? message : ""};
    self->m_errors.push_back(error);
    if (code > 0 && self->m_mode == Mode::Throw) throw GraphlibErrorRaised{error};
  }

  Mode m_mode;
  RecordingErrorHandler* m_outer;
  ScopedErrorHandler m_installed;
  std::vector<GraphlibError> m_errors;
};

}  // namespace testing_support
