#include "support/Fatal.h"

#include <cstdlib>
#include <iostream>

#include "support/Log.h"

namespace Fatal {

void stop() {
  std::cout.flush();
  std::cerr.flush();
  Log::finish(std::cerr);
  std::exit(1);
}

void outOfMemory() {
  // Nothing here allocates: the streams write into buffers they already have.
  static const char* const message = "Not enough memory to complete the run";
  std::cerr << message << std::endl;
  if (Log::fout.is_open()) Log::fout << message << std::endl;
  stop();
}

}  // namespace Fatal
