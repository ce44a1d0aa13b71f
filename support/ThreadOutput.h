#pragma once
// Where the lines that a pivot's work prints go: std::cout, unless the thread
// doing that work has redirected them to a buffer (a worker of a run with
// several threads, whose lines the run prints in pivot order).
#include <iosfwd>

namespace ThreadOutput {

// This thread's stream for such lines.
std::ostream& out();

// Sends this thread's lines to `os` (std::cout again when null).
void redirect(std::ostream* os);

}  // namespace ThreadOutput
