#include "graphlib/base/error.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <csignal>
#include <iostream>
#include <sstream>
#include <string>

#include "ProbeRunner.h"
#include "RecordingErrorHandler.h"

namespace {

using testing_support::GraphlibError;
using testing_support::RecordingErrorHandler;

// Redirects std::cerr into a string for the life of the object.
class CerrCapture {
 public:
  CerrCapture() : m_old(std::cerr.rdbuf(m_buffer.rdbuf())) {}
  ~CerrCapture() { std::cerr.rdbuf(m_old); }
  std::string text() const { return m_buffer.str(); }

 private:
  std::ostringstream m_buffer;
  std::streambuf* m_old;
};

TEST(ErrorHandler, WarningsAndNegativeCodesPrintAndReturn) {
  struct Row {
    int code;
    const char* expected;
  };
  const Row rows[] = {
      {0, "\nGRAPHLIB WARNING\n\tdel_node: careful\n\n"},
      {-5, "\nGRAPHLIB ERROR HANDLER\n\tdel_node: careful\n\n"},
  };
  ASSERT_EQ(graphlib::get_error_handler(), graphlib::default_error_handler);
  for (const Row& r : rows) {
    CerrCapture capture;
    graphlib::error_handler(r.code, "del_node: careful");
    EXPECT_EQ(capture.text(), r.expected) << "code " << r.code;
  }
}

TEST(ErrorHandler, PositiveCodeAbortsAfterTheReport) {
  auto r = testing_support::runProbe("error");
  EXPECT_EQ(r.termSignal, SIGABRT);
  EXPECT_EQ(r.out, "");
  const std::string head = "\nGRAPHLIB ERROR HANDLER\n\tfatal message\n\n";
  EXPECT_EQ(r.err.substr(0, head.size()), head) << r.err;
  EXPECT_GT(r.err.size(), head.size()) << "no trace after the report";
}

TEST(ErrorHandler, WarningInAChildLetsItGoOn) {
  auto r = testing_support::runProbe("warning");
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.out, "continued\n");
  EXPECT_EQ(r.err, "\nGRAPHLIB WARNING\n\tcareful\n\n\nGRAPHLIB ERROR HANDLER\n\tnegative\n\n");
}

TEST(ErrorHandler, AssertionHelpers) {
  RecordingErrorHandler errors(RecordingErrorHandler::Mode::Return);
  EXPECT_EQ(graphlib::assert_error("x > 0", "f", 12), 0);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors.last(), (GraphlibError{999, "Assertion failed in file f at line 12: x > 0"}));

  EXPECT_TRUE(graphlib::graphlib_assert(true, "m", 3));
  EXPECT_EQ(errors.size(), 1u);
  EXPECT_FALSE(graphlib::graphlib_assert(false, "m", 0));
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors.last(), (GraphlibError{0, "m"}));
}

TEST(ErrorHandler, UnassertedFalseWarnsThroughTheDefaultHandler) {
  CerrCapture capture;
  EXPECT_FALSE(graphlib::graphlib_assert(false, "m", 0));
  EXPECT_EQ(capture.text(), "\nGRAPHLIB WARNING\n\tm\n\n");
}

TEST(ErrorHandler, ExceptionHandlerOwnsItsMessage) {
  const testing_support::ScopedErrorHandler throwing(graphlib::exception_error_handler);
  try {
    {
      std::string temporary = "array::entry index out of range";
      graphlib::error_handler(2, temporary.c_str());
    }
    ADD_FAILURE() << "no exception";
  } catch (const graphlib::graphlib_exception& e) {
    graphlib::graphlib_exception copy = e;
    EXPECT_EQ(e.code, 2);
    EXPECT_STREQ(e.message, "array::entry index out of range");
    EXPECT_STREQ(copy.message, "array::entry index out of range");
    EXPECT_NE(copy.message, e.message);
  }
  {
    CerrCapture capture;
    graphlib::error_handler(0, "m");
    EXPECT_EQ(capture.text(), "GRAPHLIB WARNING:m\n");
  }
}

void firstHandler(int, const char*) { throw 1; }

TEST(ErrorHandler, SetReturnsTheForwarder) {
  RecordingErrorHandler errors(RecordingErrorHandler::Mode::Return);
  graphlib::graphlib_error_handler recorder = graphlib::get_error_handler();

  graphlib::graphlib_error_handler forwarder = graphlib::set_error_handler(firstHandler);
  EXPECT_EQ(forwarder, graphlib::error_handler);
  EXPECT_EQ(graphlib::get_error_handler(), firstHandler);
  graphlib::set_error_handler(recorder);
  forwarder(0, "through the forwarder");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors.last().message, "through the forwarder");

  // Reinstalling the saved forwarder must not make the handler call itself.
  graphlib::set_error_handler(forwarder);
  EXPECT_EQ(graphlib::get_error_handler(), recorder);
  graphlib::error_handler(0, "still recorded");
  EXPECT_EQ(errors.size(), 2u);
}

TEST(ErrorHandler, SystemErrorTexts) {
  RecordingErrorHandler errors;
  struct Row {
    int sig;
    const char* text;
  };
  const Row rows[] = {{SIGINT, "System Error: Interrupt."},
                      {SIGBUS, "System Error: Bus error."},
                      {SIGSEGV, "System Error: Segmentation violation."},
                      {SIGILL, "System Error: Illegal instruction."},
                      {SIGUSR1, "System Error: Unknown error."}};
  for (const Row& r : rows)
    EXPECT_EQ(errors.raisedBy([&] { graphlib::handle_system_errors(r.sig); }), (GraphlibError{1, r.text}));
}

TEST(ErrorHandler, CatchSystemErrorsInstallsAndRestores) {
  const int signals[] = {SIGBUS, SIGSEGV, SIGILL};
  struct sigaction saved[3];
  for (int i = 0; i < 3; i++) sigaction(signals[i], nullptr, &saved[i]);

  graphlib::catch_system_errors(true);
  for (int sig : signals) {
    struct sigaction now;
    sigaction(sig, nullptr, &now);
    EXPECT_EQ(now.sa_handler, graphlib::handle_system_errors) << "signal " << sig;
  }
  graphlib::catch_system_errors(false);
  for (int sig : signals) {
    struct sigaction now;
    sigaction(sig, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL) << "signal " << sig;
  }
  for (int i = 0; i < 3; i++) sigaction(signals[i], &saved[i], nullptr);
}

TEST(ErrorHandler, CaughtSegmentationFaultIsAFatalLibraryError) {
  auto r = testing_support::runProbe("segv", {{"GRAPHLIB_CATCH_SYSTEM_ERRORS", ""}});
  EXPECT_EQ(r.termSignal, SIGABRT) << r.err;
  const std::string head = "\nGRAPHLIB ERROR HANDLER\n\tSystem Error: Segmentation violation.\n\n";
  EXPECT_EQ(r.err.substr(0, head.size()), head) << r.err;
  EXPECT_EQ(r.out, "");
}

TEST(ErrorHandler, UncaughtSegmentationFaultKeepsItsSignal) {
  auto r = testing_support::runProbe("segv");
  EXPECT_EQ(r.termSignal, SIGSEGV);
  EXPECT_EQ(r.err, "");
}

TEST(ErrorHandler, HandlerThatReturnsFromAFaultDoesNotSpin) {
  auto r = testing_support::runProbe("segv_returning_handler");
  EXPECT_EQ(r.termSignal, SIGSEGV) << r.err;
  EXPECT_EQ(r.err, "handler returned from 1: System Error: Segmentation violation.\n");
  EXPECT_EQ(r.out, "");
}

}  // namespace
