#include "driver/PivotLoop.h"

#include <ostream>
#include <utility>

#include "driver/Ranking.h"
#include "engine/EventSet.h"
#include "engine/FastSeqBlock.h"
#include "engine/MultSeqBlock.h"
#include "support/Parameters.h"

namespace PivotLoop {

void run(std::vector<AtomMolecule*>& mols, bool singlePivot, const Engine& engine, SolutionRanking& ranking,
         std::ostream& out) {
  const int n = static_cast<int>(mols.size());
  if (n == 2) singlePivot = true;
  const bool fullSet = Parameters::getInt("FullSet", 0) != 0;
  const bool onlyScoring = Parameters::getInt("OnlyScoring", 0) == 1;
  for (int r = 1;; ++r) {
    int N;
    int ref;
    if (fullSet) {
      if (r > n) break;
      N = n - 1;
      std::swap(mols[0], mols[static_cast<std::size_t>(r - 1)]);
      ref = 0;
    } else {
      if (r >= n) break;
      N = n - r;
      ref = r - 1;
    }
    SetResults results(static_cast<std::size_t>(N));
    SeedResults msbResults(static_cast<std::size_t>(N));
    if (onlyScoring)
      msbResults[static_cast<std::size_t>(n - 2)].push_back(scoringOnlySeed(n));
    else
      engine(mols, ref, results, msbResults);
    if (fullSet) {
      std::swap(mols[0], mols[static_cast<std::size_t>(r - 1)]);
      renumber(results, msbResults, r);
    }
    ranking.takeIteration(results, msbResults, mols);
    if (singlePivot) r = n;
    if (r == 1)
      out << "Number of iterations left: " << n - 1;
    else
      out << "," << n - r;
    out.flush();
  }
}

void renumber(SetResults& results, SeedResults& msbResults, int r) {
  const int pivot = r - 1;
  for (std::vector<EventSet*>& sets : results)
    for (EventSet* set : sets) {
      for (auto& entry : set->entries)
        if (entry.first == pivot) entry.first = set->ref;
      set->ref = pivot;
    }
  for (std::vector<MultSeqBlock*>& seeds : msbResults)
    for (MultSeqBlock* seed : seeds) {
      for (int& id : seed->ids)
        if (id == pivot) id = seed->ref;
      seed->ref = pivot;
    }
}

MultSeqBlock* scoringOnlySeed(int n) {
  std::vector<FastSeqBlock*> pairs;
  std::vector<int> ids;
  for (int m = 1; m < n; ++m) {
    pairs.push_back(new FastSeqBlock());
    ids.push_back(m);
  }
  MultSeqBlock* seed = new MultSeqBlock(pairs, ids, 0);
  for (FastSeqBlock* pair : pairs) delete pair;
  return seed;
}

}  // namespace PivotLoop
