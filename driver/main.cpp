// The graph library comes first: it starts before the driver's own static
// objects and sets the arithmetic mode.
#include "graphlib/base/basic.h"

#include <cstdlib>
#include <iostream>

#include "driver/Configuration.h"
#include "driver/EngineSettings.h"
#include "support/Log.h"
#include "support/Parameters.h"
#include "support/Timer.h"

namespace {

const char* const kRunLogName = "log_quorvalin.txt";

// The run log is opened during static start-up, so every run starts it empty,
// also one that ends with its usage message.
const bool runLogOpen = Log::open(kRunLogName);

}  // namespace

int main(int argc, char* argv[]) {
  Timer overall("Overall Run Time");
  overall.start();

  std::cout << "Version 1.93" << std::endl;
  if (argc < 3) {
    std::cout << "Usage: " << argv[0] << " pdb1 pdb2 ..." << std::endl;
    return 1;
  }
  if (!runLogOpen) {
    std::cerr << "Cannot open the run log " << kRunLogName << " for writing" << std::endl;
    return 1;
  }

  Configuration::registerDefaults();
  Configuration::readParameterFile("params.txt");
  Configuration::settleExtThr();
  if (!Configuration::validate(std::cerr)) return 1;
  EngineSettings::apply();
  int eventSetBound = Parameters::getInt("ResNum", 100);
  Configuration::applyOnlyScoringOverrides();
  bool singlePivot = Parameters::getInt("OnlyRefMol", 0) != 0;
  Configuration::writeParameterTable(Log::fout);

  // Loading, the pivot loop, ranking and the result files follow here.
  (void)eventSetBound;
  (void)singlePivot;

  Log::fout << std::endl << overall << std::endl;
  return 0;
}
