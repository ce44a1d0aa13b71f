// The graph library comes first: it starts before the driver's own static
// objects and sets the arithmetic mode.
#include "graphlib/base/basic.h"

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "driver/Configuration.h"
#include "driver/EngineSettings.h"
#include "driver/Loading.h"
#include "driver/PivotLoop.h"
#include "driver/Ranking.h"
#include "driver/ResultFiles.h"
#include "driver/ThreadCount.h"
#include "engine/MuAlAlgRef.h"
#include "engine/MultSeqBlock.h"
#include "structure/AtomMolecule.h"
#include "support/Log.h"
#include "support/Parameters.h"
#include "support/Timer.h"

namespace {

const char* const kRunLogName = "log_quorvalin.txt";

// The run log is opened during static start-up, so every run starts it empty,
// also one that ends with its usage message.
const bool runLogOpen = Log::open(kRunLogName);

void runEngine(std::vector<AtomMolecule*>& mols, int ref, PivotLoop::SetResults& results,
               PivotLoop::SeedResults& msbResults) {
  MuAlAlgRef engine(mols, ref);
  engine.runAlg(results, msbResults);
}

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
  const int eventSetBound = Parameters::getInt("ResNum", 100);
  Configuration::applyOnlyScoringOverrides();
  const bool singlePivot = Parameters::getInt("OnlyRefMol", 0) != 0;
  const int threads = ThreadCount::fromEnvironment(std::cerr);
  if (threads < 1) return 1;
  Configuration::writeParameterTable(Log::fout);

  const std::vector<std::string> names(argv + 1, argv + argc);
  if (!Loading::checkFiles(names, Log::fout, std::cout)) return 1;
  std::vector<AtomMolecule*> mols;
  const bool loaded = Loading::loadStructures(names, mols, Log::fout, std::cout);
  if (!loaded) {
    for (AtomMolecule* m : mols) delete m;
    return 1;
  }

  bool written;
  {
    // The parameter table is final, so whether set files will be written is known now.
    SolutionRanking ranking(static_cast<int>(mols.size()), eventSetBound,
                            Parameters::getInt("ContFragmentMatch", 0) == 1);
    PivotLoop::run(mols, singlePivot, runEngine, ranking, std::cout, threads);
    written = ResultFiles::write(mols, ranking, Log::fout, std::cout, std::cerr);
  }
  for (AtomMolecule* m : mols) delete m;

  Log::fout << std::endl << overall << std::endl;
  if (Parameters::getInt("Debug", 0) == 1) std::cout << MultSeqBlock::testTimerMSB << "\n";
  return written ? 0 : 1;
}
