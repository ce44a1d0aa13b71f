#pragma once
#include <string>

namespace StringUtils {

// The next line of `in` without its newline. A carriage return before the newline
// stays in the line. An empty line and end of input both give "": callers tell
// them apart by the stream's state.
template <class InStream>
std::string getLine(InStream& in) {
  std::string line;
  for (;;) {
    int c = in.get();
    if (in.fail() || in.bad()) return line;
    if (c == '\n') return line;
    line.push_back(static_cast<char>(c));
  }
}

}  // namespace StringUtils
