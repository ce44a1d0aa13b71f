#include "support/Log.h"

#include <ostream>
#include <string>

#include "support/WholeFile.h"

namespace Log {

std::ofstream fout __attribute__((init_priority(101)));

namespace {
std::string finalName __attribute__((init_priority(101)));
std::string temporaryName __attribute__((init_priority(101)));
bool finished = true;  // until a log is opened
bool finishedWell = true;
}  // namespace

bool open(const char* fileName) {
  if (!finished) {  // a log opened before and never finished is dropped
    fout.close();
    WholeFile::discard(temporaryName);
  }
  finalName = fileName;
  temporaryName = WholeFile::open(fout, finalName);
  finished = temporaryName.empty();
  finishedWell = true;
  return !temporaryName.empty();
}

bool finish(std::ostream& err) {
  if (finished) return finishedWell;
  finished = true;
  finishedWell = WholeFile::commit(fout, temporaryName, finalName) == WholeFile::Outcome::Written;
  if (!finishedWell) err << "Error while writing file " << finalName << std::endl;
  return finishedWell;
}

}  // namespace Log
