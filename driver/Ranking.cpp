#include "driver/Ranking.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <limits>

#include "driver/TwoStreams.h"
#include "engine/EventSet.h"
#include "engine/SlotCorrespondenceCache.h"
#include "support/Log.h"
#include "support/ParameterKeys.h"
#include "support/Parameters.h"
#include "support/Fatal.h"

SolutionRanking::SolutionRanking(int structureCount, int eventSetBound, bool keepSets)
    : m_structureCount(structureCount),
      m_eventSetBound(eventSetBound),
      m_keepSets(keepSets),
      m_retainedSets(static_cast<std::size_t>(std::max(structureCount - 1, 0))),
      m_subsetHeaps(static_cast<std::size_t>(std::max(structureCount - 1, 0))),
      m_tableFloors(new std::atomic<float>[m_subsetHeaps.size()]) {
  for (std::size_t k = 0; k < m_subsetHeaps.size(); ++k) m_tableFloors[k] = -std::numeric_limits<float>::infinity();
}

SolutionRanking::~SolutionRanking() {
  for (std::vector<EventSet*>& sets : m_retainedSets)
    for (EventSet* set : sets) delete set;
  for (std::vector<SubsetHeap>& subsets : m_subsetHeaps)
    for (SubsetHeap& subset : subsets)
      while (!subset.second.empty()) {
        delete subset.second.top();
        subset.second.pop();
      }
}

void SolutionRanking::takeIteration(std::vector<std::vector<EventSet*> >& results,
                                    std::vector<std::vector<MultSeqBlock*> >& msbResults,
                                    std::vector<AtomMolecule*>& mols) {
  const int iterations = Parameters::getInt(Param::ExtIterations);
  const float thr = Parameters::getFloat(Param::ExtThr);
  // Refining a seed reads nothing the ranking holds, so each seed is refined
  // just before it is retained, and one turned away frees its table at once.
  SlotCorrespondenceCache cache;
  take(results, msbResults, mols, [&](MultSeqBlock& seed) {
    refine(seed, mols, iterations, thr, &cache);
    dropTableIfUnprinted(seed);
  });
}

void SolutionRanking::takeRefined(std::vector<std::vector<EventSet*> >& results,
                                  std::vector<std::vector<MultSeqBlock*> >& msbResults,
                                  const std::vector<AtomMolecule*>& mols) {
  take(results, msbResults, mols, [](MultSeqBlock&) {});
}

template <class Prepare>
void SolutionRanking::take(std::vector<std::vector<EventSet*> >& results,
                           std::vector<std::vector<MultSeqBlock*> >& msbResults,
                           const std::vector<AtomMolecule*>& mols, Prepare prepare) {
  const int bound = Parameters::getInt(Param::bvResNum);
  for (std::vector<EventSet*>& sets : results)
    for (EventSet*& set : sets) {
      retainSet(set);
      set = nullptr;
    }
  for (std::vector<MultSeqBlock*>& seeds : msbResults)
    for (MultSeqBlock*& seed : seeds) {
      prepare(*seed);
      retainSeed(seed, mols, bound);
      seed = nullptr;
    }
  dropUnprintedTables();
}

namespace {

// The array under a heap, read without disturbing its order.
template <class Heap>
const typename Heap::container_type& heapArray(const Heap& heap) {
  struct Peek : Heap {
    static const typename Heap::container_type& of(const Heap& h) { return h.*(&Peek::c); }
  };
  return Peek::of(heap);
}

}  // namespace

void SolutionRanking::dropUnprintedTables() {
  // The files show the best "ResNumPrint" seeds of each size; ties among them
  // are ordered by the heaps, so every seed stays, but a seed with at least
  // that many strictly better ones never gets its table shown. Their number
  // never falls: a seed leaves a heap only for a better one. So the least
  // score of the best ones so far is a floor for good.
  const int printed = Parameters::getInt(Param::ResNumPrint);
  if (printed <= 0) return;
  const std::size_t best = static_cast<std::size_t>(printed);
  std::vector<float> scores;
  for (std::size_t k = 0; k < m_subsetHeaps.size(); ++k) {
    scores.clear();
    for (const SubsetHeap& subset : m_subsetHeaps[k])
      for (const MultSeqBlock* seed : heapArray(subset.second))
        if (!std::isnan(seed->score)) scores.push_back(seed->score);
    if (scores.size() < best) continue;
    std::nth_element(scores.begin(), scores.begin() + static_cast<std::ptrdiff_t>(best - 1), scores.end(),
                     std::greater<float>());
    const float floor = std::max(m_tableFloors[k].load(), scores[best - 1]);
    m_tableFloors[k] = floor;
    for (const SubsetHeap& subset : m_subsetHeaps[k])
      for (MultSeqBlock* seed : heapArray(subset.second))
        if (seed->score < floor && !seed->table.empty()) std::vector<std::vector<int> >().swap(seed->table);
  }
}

void SolutionRanking::dropTableIfUnprinted(MultSeqBlock& seed) const {
  const int size = seed.getMolNum();
  if (size < 1 || static_cast<std::size_t>(size) > m_subsetHeaps.size()) return;
  if (seed.score < m_tableFloors[static_cast<std::size_t>(size - 1)].load())
    std::vector<std::vector<int> >().swap(seed.table);
}

void SolutionRanking::retainSet(EventSet* set) {
  const std::size_t c = set->entries.size();
  if (c == 0) {
    // Claimed before writing: another thread may be ending the run already.
    Fatal::claim();
    writeLineToBoth(Log::fout, std::cout, "Sorry, Error in main 1");
    Fatal::stop();
  }
  if (!m_keepSets) {
    delete set;
    return;
  }
  std::vector<EventSet*>& kept = m_retainedSets[c - 1];
  const std::size_t bound = m_eventSetBound > 0 ? static_cast<std::size_t>(m_eventSetBound) : 0;
  if (bound == 0 || (kept.size() >= bound && set->length <= kept.back()->length)) {
    delete set;
    return;
  }
  for (EventSet* retained : kept)
    if (retained->equal(*set)) {
      delete set;
      return;
    }
  kept.push_back(set);
  std::sort(kept.begin(), kept.end(), [](const EventSet* a, const EventSet* b) { return a->length > b->length; });
  if (kept.size() > bound) {
    delete kept.back();
    kept.pop_back();
  }
}

void SolutionRanking::refine(MultSeqBlock& seed, std::vector<AtomMolecule*>& mols, int iterations, float thr,
                             SlotCorrespondenceCache* cache) {
  for (int e = iterations; e > 0; --e) {
    std::vector<std::vector<int> > table = seed.multCorrespondence(mols, thr, cache);
    if (table.size() <= 2) {
      seed.score = 0.0f;
      return;
    }
    if (e == 1) {
      seed.score = seed.calcAlignScore(mols, table);
      seed.table.swap(table);
    }
  }
}

void SolutionRanking::retainSeed(MultSeqBlock* seed, const std::vector<AtomMolecule*>& mols, int bound) {
  const std::size_t k = static_cast<std::size_t>(seed->getMolNum() - 1);
  std::vector<bool> subset(static_cast<std::size_t>(m_structureCount), false);
  subset[static_cast<std::size_t>(seed->ref)] = true;
  for (int id : seed->ids) subset[static_cast<std::size_t>(id)] = true;

  std::vector<SubsetHeap>& subsets = m_subsetHeaps[k];
  SubsetHeap* found = nullptr;
  for (SubsetHeap& candidate : subsets)
    if (candidate.first == subset) {
      found = &candidate;
      break;
    }
  if (!found) {
    subsets.emplace_back(subset, SeedHeap());
    subsets.back().second.push(seed);
    return;
  }

  SeedHeap& heap = found->second;
  const std::size_t limit = bound > 0 ? static_cast<std::size_t>(bound) : 0;
  const bool admitted = heap.size() < limit || (!heap.empty() && seed->score > heap.top()->score);
  if (!admitted) {
    delete seed;
    return;
  }
  SeedHeap rebuilt;
  bool duplicateMet = false;
  while (!heap.empty()) {
    MultSeqBlock* retained = heap.top();
    heap.pop();
    if (!duplicateMet && seed->equal(mols, *retained)) {
      duplicateMet = true;
      if (seed->score > retained->score) {
        rebuilt.push(seed);
        delete retained;
      } else {
        rebuilt.push(retained);
        delete seed;
      }
      continue;
    }
    rebuilt.push(retained);
  }
  if (!duplicateMet) rebuilt.push(seed);
  std::swap(heap, rebuilt);
  if (heap.size() > limit) {
    delete heap.top();
    heap.pop();
  }
}

std::vector<SolutionRanking::Seeds> SolutionRanking::takeSolutions() {
  // All subsets of one size meet in one heap, whose pops give the seeds worst
  // first; the files list them best first.
  std::vector<Seeds> solutions(m_subsetHeaps.size());
  for (std::size_t k = 0; k < m_subsetHeaps.size(); ++k) {
    SeedHeap merged;
    for (SubsetHeap& subset : m_subsetHeaps[k])
      while (!subset.second.empty()) {
        merged.push(subset.second.top());
        subset.second.pop();
      }
    m_subsetHeaps[k].clear();
    std::vector<MultSeqBlock*> ascending;
    ascending.reserve(merged.size());
    while (!merged.empty()) {
      ascending.push_back(merged.top());
      merged.pop();
    }
    for (auto it = ascending.rbegin(); it != ascending.rend(); ++it) solutions[k].emplace_back(*it);
  }
  return solutions;
}

std::vector<SolutionRanking::Sets> SolutionRanking::takeSets() {
  std::vector<Sets> sets(m_retainedSets.size());
  for (std::size_t k = 0; k < m_retainedSets.size(); ++k) {
    for (EventSet* set : m_retainedSets[k]) sets[k].emplace_back(set);
    m_retainedSets[k].clear();
  }
  return sets;
}
