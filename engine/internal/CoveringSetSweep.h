#pragma once
// Step 2 and the sweep of the per-pivot pipeline: events per pivot residue,
// then a walk over the pivot's residues that forms covering sets and seeds
// where fragment pairs start, scores each seed not met before, and keeps the
// longest sets and best seeds per size index in bounded heaps.
#include <list>
#include <memory>
#include <queue>
#include <unordered_set>
#include <utility>
#include <vector>

#include "engine/EventSet.h"
#include "engine/MultSeqBlock.h"
#include "engine/PlacementCache.h"
#include "engine/internal/EndSet.h"

class AtomMolecule;
class FastSeqBlock;
class Timer;

// A fragment pair starts (kind 0) or ends (kind 1) at a pivot residue.
struct SeqBlockEvent {
  int kind;
  FastSeqBlock* block;
  int slot;
};

struct IntsHash {
  std::size_t operator()(const std::vector<int>& v) const {
    std::size_t h = 14695981039346656037ull;
    for (int x : v) h = (h ^ static_cast<unsigned>(x)) * 1099511628211ull;
    return h;
  }
};

class CoveringSetSweep {
 public:
  using SetHeap = std::priority_queue<EventSet*, std::vector<EventSet*>, EventSet>;
  // A seed the heaps hold: its score and, per slot, the fragment pair and
  // structure it is made of when handed back. The pairs outlive the heaps, so
  // a held seed costs a few words per slot rather than copies of its pairs.
  struct HeldSeed {
    float score;
    std::vector<FastSeqBlock*> pairs;
    std::vector<int> ids;
  };
  // Heap order of seeds: the lowest score on top.
  struct CompareHeldSeed {
    bool operator()(const HeldSeed* a, const HeldSeed* b) const { return a->score > b->score; }
  };
  using SeedHeap = std::priority_queue<HeldSeed*, std::vector<HeldSeed*>, CompareHeldSeed>;

  // `slots` structures follow the pivot `ref` in `molecules`; the timers
  // accumulate the seed scoring (test1), the set and seed making (test2) and
  // the whole sweep (test3). Without `makeSets` no covering set is made (only
  // the fragment-set files show them); the seeds are the same either way.
  CoveringSetSweep(const std::vector<AtomMolecule*>& molecules, int ref, int slots, Timer& test1, Timer& test2,
                   Timer& test3, bool makeSets = true);
  ~CoveringSetSweep();
  CoveringSetSweep(const CoveringSetSweep&) = delete;
  CoveringSetSweep& operator=(const CoveringSetSweep&) = delete;

  // One event list per pivot residue from the retained pairs of every slot
  // (not owned). With "Debug" 1 writes the event counts.
  void makeEvents(const std::vector<std::vector<FastSeqBlock*> >& keptPairs, int pivotSize);
  void sweep();
  // Empties the heaps into entries 0..slots-1: sets first, then seeds, each
  // entry in ascending length or score. The caller owns what it receives.
  // The fragment pairs of the sweep must still be there.
  void handBack(std::vector<std::vector<EventSet*> >& results,
                std::vector<std::vector<MultSeqBlock*> >& msbResults);
  // Frees the event lists and forgets the seeds met.
  void release();

  // When set, every stretch [p, e] is appended to `log` as it is handled
  // (tests follow the visiting order with it).
  void recordStretches(std::vector<std::pair<int, int> >* log) { m_stretchLog = log; }

  int eventSetCounter() const { return m_eventSetCounter; }
  const std::vector<SetHeap>& setHeaps() const { return m_setHeaps; }
  const std::vector<SeedHeap>& seedHeaps() const { return m_seedHeaps; }

 private:
  void startEvent(const SeqBlockEvent& event);
  void endEvent(const SeqBlockEvent& event);
  void handleStretch(int p, int e);
  void offerSeed(std::size_t n, MultSeqBlock* msb);
  void offerSet(std::size_t n, int p, int e);
  void timerStart(Timer& timer) const;
  void timerStop(Timer& timer) const;

  const std::vector<AtomMolecule*>& m_molecules;
  int m_ref;
  bool m_makeSets;
  int m_slots;
  Timer& m_test1;
  Timer& m_test2;
  Timer& m_test3;
  bool m_timed;
  // "ResNum" and "SeqBlockRMSDthr" as the sweep found them.
  int m_heapBound;
  float m_seedThr;

  std::vector<std::vector<SeqBlockEvent> > m_eventLists;
  // Per slot, the pairs that have started and not yet ended, oldest first,
  // with their ends alongside: the sweep scans the ends of every active pair
  // at every start, so they are kept as plain integers.
  struct ActivePairs {
    std::vector<FastSeqBlock*> pairs;
    std::vector<int> ends;
  };
  std::vector<ActivePairs> m_active;
  std::size_t m_activeCount;
  std::vector<std::list<FastSeqBlock*> > m_setLists;
  EndSet m_ends;
  // Every distinct seed met in the call, as ref followed by (molecule index,
  // i, j, l) per slot.
  std::unordered_set<std::vector<int>, IntsHash> m_seenSeeds;
  // What each placement of a structure covers, for seed scoring.
  CoreHitCache m_coreHits;
  std::vector<SetHeap> m_setHeaps;
  std::vector<SeedHeap> m_seedHeaps;
  int m_eventSetCounter;
  // Scratch of the stretch being handled.
  std::vector<FastSeqBlock*> m_chosen;
  std::vector<int> m_ids;
  std::vector<int> m_key;
  std::vector<std::pair<int, int> >* m_stretchLog;
};
