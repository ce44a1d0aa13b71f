#pragma once
// Summary and error lines of a run go to the run log and to the console alike.
#include <ostream>

template <class... Parts>
void writeLineToBoth(std::ostream& first, std::ostream& second, const Parts&... parts) {
  (first << ... << parts) << std::endl;
  (second << ... << parts) << std::endl;
}
