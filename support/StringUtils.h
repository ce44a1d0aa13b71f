#pragma once
#include <istream>
#include <string>

namespace StringUtils {

// The next line of `in` without its newline. A carriage return before the newline
// stays in the line. An empty line and end of input both give "": callers tell
// them apart by the stream's state.
template <class InStream>
std::string getLine(InStream& in) {
  std::string line;
  std::getline(in, line);
  // A line cut short by the end of input also fails the stream, as reading it
  // character by character would.
  if (in.eof()) in.setstate(std::ios_base::failbit);
  return line;
}

}  // namespace StringUtils
