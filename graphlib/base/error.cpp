#include "graphlib/base/error.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "graphlib/base/stack_trace.h"

namespace graphlib {

// Constant-initialised, so errors raised during static initialisation reach it.
graphlib_error_handler std_error_handler = default_error_handler;

namespace {

const char* text_of(const char* message) { return message ? message : ""; }

}  // namespace

graphlib_error_handler set_error_handler(graphlib_error_handler h) {
  if (h != error_handler) std_error_handler = h;
  return error_handler;
}

graphlib_error_handler get_error_handler() { return std_error_handler; }

void default_error_handler(int code, const char* message) {
  std::cerr << std::endl;
  std::cerr << (code == 0 ? "GRAPHLIB WARNING" : "GRAPHLIB ERROR HANDLER") << std::endl;
  std::cerr << "\t" << text_of(message) << std::endl;
  std::cerr << std::endl;
  if (code > 0) {
    catch_system_errors(false);
    trace_stack(std::cerr);
    std::cerr.flush();
    abort();
  }
}

graphlib_exception::graphlib_exception(const char* msg, int c)
    : message(nullptr), code(c), text(text_of(msg)) {
  message = text.c_str();
}

graphlib_exception::graphlib_exception(const graphlib_exception& x)
    : message(nullptr), code(x.code), text(x.text) {
  message = text.c_str();
}

graphlib_exception& graphlib_exception::operator=(const graphlib_exception& x) {
  code = x.code;
  text = x.text;
  message = text.c_str();
  return *this;
}

void exception_error_handler(int code, const char* message) {
  if (code > 0) throw graphlib_exception(message, code);
  std::cerr << "GRAPHLIB WARNING:" << text_of(message) << "\n";
}

bool graphlib_assert(bool cond, const char* message, int code) {
  if (!cond) std_error_handler(code, message);
  return cond;
}

int assert_error(const char* expr, const char* file, int line) {
  std::string msg = std::string("Assertion failed in file ") + text_of(file) + " at line " +
                    std::to_string(line) + ": " + text_of(expr);
  std_error_handler(999, msg.c_str());
  return 0;
}

namespace {

const int caught_signals[] = {SIGBUS, SIGSEGV, SIGILL};

bool is_caught_signal(int sig) {
  for (int s : caught_signals)
    if (s == sig) return true;
  return false;
}

}  // namespace

void catch_system_errors(bool on) {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  sigemptyset(&action.sa_mask);
  if (on) {
    action.sa_handler = handle_system_errors;
    action.sa_flags = SA_RESTART;
  } else {
    action.sa_handler = SIG_DFL;
  }
  for (int sig : caught_signals) sigaction(sig, &action, nullptr);
}

void handle_system_errors(int sig) {
  const char* text;
  switch (sig) {
    case SIGINT: text = "Interrupt."; break;
    case SIGBUS: text = "Bus error."; break;
    case SIGSEGV: text = "Segmentation violation."; break;
    case SIGILL: text = "Illegal instruction."; break;
    default: text = "Unknown error."; break;
  }
  // No allocation here: this runs inside a signal handler.
  char message[64] = "System Error: ";
  std::strncat(message, text, sizeof message - std::strlen(message) - 1);
  std_error_handler(1, message);
  // A handler that returns would send us back to the faulting instruction
  // forever: let the signal's default action end the process instead.
  if (is_caught_signal(sig)) {
    signal(sig, SIG_DFL);
    raise(sig);
  }
}

}  // namespace graphlib
