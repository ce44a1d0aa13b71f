// The graph library comes first: it starts before the driver's own static
// objects and sets the arithmetic mode.
#include "graphlib/base/basic.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>
#include <new>
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
#include "support/Fatal.h"
#include "support/Log.h"
#include "support/ParameterKeys.h"
#include "support/Parameters.h"
#include "support/RunSignals.h"
#include "support/Timer.h"

namespace {

const char* const kRunLogName = "log_quorvalin.txt";

// Standard output closed by the caller: a console nothing can be written to,
// which the end of the run reports.
bool consoleClosed = false;

// Descriptors 0-2 closed by the caller would be taken by the first files the
// run opens (the run log would receive the console lines): they are opened on
// /dev/null first.
void ensureStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    if (fd == 1) consoleClosed = true;
    const int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != fd) close(opened);
  }
}

// Runs during static start-up, so every run starts its run log, also one that
// ends with its usage message. The signals are set before the log's temporary
// file exists.
bool startRun() {
  ensureStandardDescriptors();
  Fatal::endOnAllocationFailure();
  RunSignals::install();
  return Log::open(kRunLogName);
}

const bool runLogOpen = startRun();

void runEngine(std::vector<AtomMolecule*>& mols, int ref, PivotLoop::SetResults& results,
               PivotLoop::SeedResults& msbResults) {
  MuAlAlgRef engine(mols, ref);
  engine.runAlg(results, msbResults);
}

// The end of every run that gets that far: the run log completed, and the
// console checked, since a summary that could not be written (or had nowhere
// to go) is a failure.
int finish(bool succeeded) {
  const bool logged = Log::finish(std::cerr);
  std::cout.flush();
  if (!std::cout || consoleClosed) {
    std::cerr << "Error while writing to standard output" << std::endl;
    return 1;
  }
  return succeeded && logged ? 0 : 1;
}

int run(int argc, char* argv[]) {
  Timer overall("Overall Run Time");
  overall.start();

  std::cout << "Version 1.93" << std::endl;
  if (argc < 3) {
    std::cout << "Usage: " << argv[0] << " pdb1 pdb2 ..." << std::endl;
    Fatal::stop();
  }
  if (!runLogOpen) Fatal::report(std::cerr, "Cannot open the run log ", kRunLogName, " for writing");

  Configuration::registerDefaults();
  Configuration::readParameterFile("params.txt");
  Configuration::settleExtThr();
  if (!Configuration::validate(std::cerr, Log::fout)) Fatal::stop();
  const int eventSetBound = Parameters::getInt(Param::ResNum);
  Configuration::applyOnlyScoringOverrides();
  const bool singlePivot = Parameters::getInt(Param::OnlyRefMol) != 0;
  const int threads = ThreadCount::fromEnvironment(std::cerr);
  if (threads < 1) Fatal::stop();
  Configuration::writeParameterTable(Log::fout);
  EngineSettings::apply();

  const std::vector<std::string> names(argv + 1, argv + argc);
  if (!Loading::checkFiles(names, Log::fout, std::cout)) Fatal::stop();
  std::vector<AtomMolecule*> mols;
  const bool loaded = Loading::loadStructures(names, mols, Log::fout, std::cout);
  if (!loaded) {
    for (AtomMolecule* m : mols) delete m;
    Fatal::stop();
  }

  bool written;
  {
    // The parameter table is final, so whether set files will be written is known now.
    SolutionRanking ranking(static_cast<int>(mols.size()), eventSetBound,
                            Parameters::getInt(Param::ContFragmentMatch) == 1);
    PivotLoop::run(mols, singlePivot, runEngine, ranking, std::cout, threads);
    written = ResultFiles::write(mols, ranking, Log::fout, std::cout, std::cerr);
  }
  for (AtomMolecule* m : mols) delete m;

  Log::fout << std::endl << overall << std::endl;
  if (Parameters::getInt(Param::Debug) == 1) std::cout << MultSeqBlock::testTimerMSB << "\n";
  return finish(written);
}

}  // namespace

int main(int argc, char* argv[]) {
  try {
    return run(argc, argv);
  } catch (const std::bad_alloc&) {
    Fatal::outOfMemory();
  }
}
