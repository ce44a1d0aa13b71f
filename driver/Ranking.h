#pragma once
// What the run keeps across its pivots: covering sets per number of
// structures, longest first, and refined seeds per exact subset of structures,
// best first. Owns everything it holds.
#include <atomic>
#include <memory>
#include <queue>
#include <utility>
#include <vector>

#include "engine/MultSeqBlock.h"

class AtomMolecule;
class EventSet;
class SlotCorrespondenceCache;

class SolutionRanking {
 public:
  // Top of the heap: the seed with the lowest score.
  typedef std::priority_queue<MultSeqBlock*, std::vector<MultSeqBlock*>, CompareMultSeqBlock> SeedHeap;
  typedef std::pair<std::vector<bool>, SeedHeap> SubsetHeap;

  // Entry k of each container belongs to k + 2 structures. Covering sets are
  // only kept when `keepSets` (they are written only to the fragment-set
  // files); otherwise each is checked and deleted at once.
  SolutionRanking(int structureCount, int eventSetBound, bool keepSets = true);
  ~SolutionRanking();
  SolutionRanking(const SolutionRanking&) = delete;
  SolutionRanking& operator=(const SolutionRanking&) = delete;

  // Takes over one pivot's sets and seeds (command-line indices): the sets
  // first, then every seed is refined and retained or deleted.
  void takeIteration(std::vector<std::vector<EventSet*> >& results,
                     std::vector<std::vector<MultSeqBlock*> >& msbResults, std::vector<AtomMolecule*>& mols);
  // The same for seeds that have been refined already (by the workers of a run
  // with several threads).
  void takeRefined(std::vector<std::vector<EventSet*> >& results,
                   std::vector<std::vector<MultSeqBlock*> >& msbResults, const std::vector<AtomMolecule*>& mols);

  // Keeps the set among the longest of its structure count unless it mirrors
  // one already kept; otherwise deletes it. A set without entries ends the
  // process ("Sorry, Error in main 1").
  void retainSet(EventSet* set);

  // Up to `iterations` correspondence passes at distance `thr`, each refitting
  // the transformations; the last pass's table and score stay with the seed. A
  // pass of two rows or fewer sets the score to 0 and ends the refinement.
  // The cache, when given, serves the seeds of one pivot and this `thr`.
  static void refine(MultSeqBlock& seed, std::vector<AtomMolecule*>& mols, int iterations, float thr,
                     SlotCorrespondenceCache* cache = nullptr);

  // Keeps the seed among the best `bound` of its subset of structures, a
  // geometric duplicate giving way to a strictly higher score; otherwise deletes it.
  void retainSeed(MultSeqBlock* seed, const std::vector<AtomMolecule*>& mols, int bound);

  // What the result files show, handed over once at the end of the run; entry
  // k belongs to k + 2 structures. Seeds come best first (of equal scores, in
  // the order the heaps give them), sets longest first. The ranking is left empty.
  typedef std::vector<std::unique_ptr<const MultSeqBlock> > Seeds;
  typedef std::vector<std::unique_ptr<const EventSet> > Sets;
  std::vector<Seeds> takeSolutions();
  std::vector<Sets> takeSets();

  // Frees the table of a refined seed that could never be shown, as far as
  // the seeds taken so far tell; safe beside the ranking's own work.
  void dropTableIfUnprinted(MultSeqBlock& seed) const;

  int eventSetBound() const { return m_eventSetBound; }
  const std::vector<std::vector<EventSet*> >& retainedSets() const { return m_retainedSets; }
  const std::vector<std::vector<SubsetHeap> >& subsetHeaps() const { return m_subsetHeaps; }

 private:
  // Retains or deletes every set, then every seed of one pivot, in order,
  // each seed after prepare(seed).
  template <class Prepare>
  void take(std::vector<std::vector<EventSet*> >& results, std::vector<std::vector<MultSeqBlock*> >& msbResults,
            const std::vector<AtomMolecule*>& mols, Prepare prepare);
  // Frees the tables of retained seeds that can no longer be among those the
  // result files show.
  void dropUnprintedTables();

  int m_structureCount;
  int m_eventSetBound;
  bool m_keepSets;
  std::vector<std::vector<EventSet*> > m_retainedSets;
  std::vector<std::vector<SubsetHeap> > m_subsetHeaps;
  // Per size, a score below which a seed is never shown; read by the workers
  // of a run with several threads while the ranking raises it.
  std::unique_ptr<std::atomic<float>[]> m_tableFloors;
};
