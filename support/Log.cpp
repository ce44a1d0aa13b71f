#include "support/Log.h"

namespace Log {

std::ofstream fout __attribute__((init_priority(101)));

bool open(const char* fileName) {
  fout.open(fileName, std::ios::out | std::ios::trunc);
  return fout.is_open();
}

}  // namespace Log
