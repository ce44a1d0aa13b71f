#include "engine/MuAlAlgRef.h"

#include <cstdlib>
#include <iostream>

#include "engine/EventSet.h"
#include "engine/FastSeqBlock.h"
#include "engine/MultSeqBlock.h"
#include "engine/internal/CoveringSetSweep.h"
#include "structure/AtomMolecule.h"
#include "support/ParameterKeys.h"
#include "support/SharedTasks.h"
#include "support/Parameters.h"
#include "support/ThreadOutput.h"
#include "support/Timer.h"
#include "support/Fatal.h"

namespace {

bool debug() { return Parameters::getInt(Param::Debug) == 1; }

}  // namespace

MuAlAlgRef::MuAlAlgRef(std::vector<AtomMolecule*>& molecules, int ref) : m_molecules(molecules), m_ref(ref) {}

void MuAlAlgRef::runAlg(std::vector<std::vector<EventSet*> >& results,
                        std::vector<std::vector<MultSeqBlock*> >& msbResults) {
  // The pivot's own CPU time, also when other pivots run on other threads.
  Timer test1("Test1", Timer::Thread);
  Timer test2("test2", Timer::Thread);
  Timer test3("test3", Timer::Thread);

  const int N = static_cast<int>(m_molecules.size()) - m_ref - 1;
  if (results.size() < static_cast<std::size_t>(static_cast<unsigned>(N)) ||
      msbResults.size() < static_cast<std::size_t>(static_cast<unsigned>(N))) {
    Fatal::report(std::cout, "Error in MuAlAlgRef: Sizes not matched\n", results.size(), " ", N, "\n",
                  msbResults.size(), " ", N);
  }

  const AtomMolecule& pivot = *m_molecules[static_cast<std::size_t>(m_ref)];

  // The fragment pairs of each other structure, found independently of the
  // others (on several threads when the run has them); their counts are
  // written afterwards, in order.
  std::vector<std::vector<FastSeqBlock*> > keptPairs(static_cast<std::size_t>(N));
  std::vector<std::size_t> rawCounts(static_cast<std::size_t>(N), 0);
  const int minSize = Parameters::getInt(Param::SeqBlockMinSize);
  const int shift = Parameters::getInt(Param::IJshift);
  const bool robust = Parameters::getInt(Param::RobustFPClustering) == 1;
  SharedTasks::run(static_cast<std::size_t>(N > 0 ? N : 0), [&](std::size_t s) {
    const AtomMolecule& other = *m_molecules[static_cast<std::size_t>(m_ref) + 1 + s];
    FastSeqBlock::m_model = &pivot;
    FastSeqBlock::m_iModelSize = static_cast<int>(pivot.size());
    FastSeqBlock::m_target = &other;
    FastSeqBlock::m_iTargetSize = static_cast<int>(other.size());
    std::vector<FastSeqBlock*> rawPairs = FastSeqBlock::createSeqBlocks(
        pivot, other, FastSeqBlock::m_iModelSize, FastSeqBlock::m_iTargetSize, minSize, shift);
    rawCounts[s] = rawPairs.size();
    if (robust) {
      const std::vector<float> weights = FastSeqBlock::globalSizeWeights(pivot, other, rawPairs);
      keptPairs[s] = FastSeqBlock::clusterGlobalSize(rawPairs, weights);
    } else {
      keptPairs[s] = FastSeqBlock::cluster(rawPairs);
    }
  });
  // This thread's fragment statics as the last structure left them.
  FastSeqBlock::m_model = &pivot;
  FastSeqBlock::m_iModelSize = static_cast<int>(pivot.size());
  if (N > 0) {
    FastSeqBlock::m_target = m_molecules.back();
    FastSeqBlock::m_iTargetSize = static_cast<int>(m_molecules.back()->size());
  }
  if (debug())
    for (int k = m_ref + 1; k < static_cast<int>(m_molecules.size()); ++k) {
      const std::size_t s = static_cast<std::size_t>(k - m_ref - 1);
      ThreadOutput::out() << "Number of SeqBlock's Before Clustering: " << k << " : " << rawCounts[s] << "\n";
      ThreadOutput::out() << "Number of SeqBlock's After Clustering: " << k << " : " << keptPairs[s].size() << "\n";
    }
  if (debug()) ThreadOutput::out() << "Done step 1................\n";

  int eventSetCounter = 0;
  {
    // Covering sets are shown only in the fragment-set files.
    CoveringSetSweep sweep(m_molecules, m_ref, N, test1, test2, test3,
                           Parameters::getInt(Param::ContFragmentMatch) == 1);
    sweep.makeEvents(keptPairs, static_cast<int>(pivot.size()));
    sweep.sweep();
    sweep.handBack(results, msbResults);
    sweep.release();
    eventSetCounter = sweep.eventSetCounter();
  }
  for (std::vector<FastSeqBlock*>& pairs : keptPairs)
    for (FastSeqBlock* pair : pairs) delete pair;

  if (debug()) {
    std::ostream& out = ThreadOutput::out();
    out << "EventSet counter: " << eventSetCounter << "\n";
    out << test1 << "\n";
    out << test2 << "\n";
    out << test3 << "\n";
  }
}
