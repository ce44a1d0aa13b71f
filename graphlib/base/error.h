#pragma once
// The library's one replaceable error handler: every error or warning is one
// call with a code and a message. Code 0 is a warning and the caller goes on;
// the default handler ends the process for positive codes.
#include <string>

#include "graphlib/base/memory_manager.h"

namespace graphlib {

typedef void (*graphlib_error_handler)(int code, const char* message);

extern graphlib_error_handler std_error_handler;

// Calls the handler installed at the time of the call.
inline void error_handler(int code, const char* message) { std_error_handler(code, message); }

// Installs h and returns the forwarder error_handler (not the previous handler).
// Installing the forwarder itself changes nothing, since it would call itself.
graphlib_error_handler set_error_handler(graphlib_error_handler h);
graphlib_error_handler get_error_handler();

void default_error_handler(int code, const char* message);

// Throws graphlib_exception for positive codes, prints a one-line warning otherwise.
void exception_error_handler(int code, const char* message);

class graphlib_exception {
 public:
  graphlib_exception(const char* msg, int c);
  graphlib_exception(const graphlib_exception& x);
  graphlib_exception& operator=(const graphlib_exception& x);

  // The raiser's text usually lives in a temporary, so the exception keeps its
  // own copy and message points into it.
  const char* message;
  int code;

 private:
  std::string text;
};

bool graphlib_assert(bool cond, const char* message, int code);
int assert_error(const char* expr, const char* file, int line);

// Turns SIGBUS, SIGSEGV and SIGILL into error 1 (on) or restores their default action (off).
void catch_system_errors(bool on = true);
void handle_system_errors(int sig);

}  // namespace graphlib
