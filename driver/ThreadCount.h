#pragma once
// How many threads the pivot loop uses.
#include <iosfwd>

namespace ThreadCount {

// The variable that caps the count.
extern const char* const kVariable;

// The machine's hardware threads, capped by QUORVALIN_THREADS when it is set;
// 1 for "SeqOrder" 0, whose matching runs on the graph library, which keeps
// state of its own. Writes a message and returns 0 when the variable is not a
// whole number from 1 on.
int fromEnvironment(std::ostream& err);

// The same from the variable's text (null: not set) and the hardware count
// (0: unknown).
int choose(const char* setting, unsigned hardware, bool seqOrderZero, std::ostream& err);

}  // namespace ThreadCount
