#include "engine/internal/CoveringSetSweep.h"

#include <cstdlib>
#include <iostream>

#include "engine/FastSeqBlock.h"
#include "support/ParameterKeys.h"
#include "support/Parameters.h"
#include "support/ThreadOutput.h"
#include "support/Timer.h"
#include "support/Fatal.h"

namespace {

bool debug() { return Parameters::getInt(Param::Debug) == 1; }

// Whether a heap bounded by `bound` takes a candidate that beats its top by
// `better`; checked before the top is read, as an empty heap has none.
template <class Heap, class Better>
bool admits(const Heap& heap, int bound, Better better) {
  if (static_cast<long>(heap.size()) < static_cast<long>(bound)) return true;
  return !heap.empty() && better(heap.top());
}

template <class Heap>
void evictBeyondBound(Heap& heap, int bound) {
  if (static_cast<long>(heap.size()) > static_cast<long>(bound)) {
    delete heap.top();
    heap.pop();
  }
}

}  // namespace

CoveringSetSweep::CoveringSetSweep(const std::vector<AtomMolecule*>& molecules, int ref, int slots, Timer& test1,
                                   Timer& test2, Timer& test3, bool makeSets)
    : m_molecules(molecules),
      m_ref(ref),
      m_makeSets(makeSets),
      m_slots(slots > 0 ? slots : 0),
      m_test1(test1),
      m_test2(test2),
      m_test3(test3),
      m_timed(debug()),
      m_heapBound(0),
      m_seedThr(0.0f),
      m_active(static_cast<std::size_t>(m_slots)),
      m_activeCount(0),
      m_setLists(static_cast<std::size_t>(m_slots)),
      m_setHeaps(static_cast<std::size_t>(m_slots)),
      m_seedHeaps(static_cast<std::size_t>(m_slots)),
      m_eventSetCounter(0),
      m_stretchLog(nullptr) {}

// The timers are written out only under "Debug" 1; otherwise each reading of
// the processor clock (a system call per stretch) would cost more than the
// work it measures on small structures.
void CoveringSetSweep::timerStart(Timer& timer) const {
  if (m_timed) timer.start();
}

void CoveringSetSweep::timerStop(Timer& timer) const {
  if (m_timed) timer.stop();
}

CoveringSetSweep::~CoveringSetSweep() {
  release();
  for (SetHeap& heap : m_setHeaps) {
    while (!heap.empty()) {
      delete heap.top();
      heap.pop();
    }
  }
  for (SeedHeap& heap : m_seedHeaps) {
    while (!heap.empty()) {
      delete heap.top();
      heap.pop();
    }
  }
}

void CoveringSetSweep::makeEvents(const std::vector<std::vector<FastSeqBlock*> >& keptPairs, int pivotSize) {
  const std::size_t M = pivotSize > 0 ? static_cast<std::size_t>(pivotSize) : 0;
  m_eventLists.clear();
  m_eventLists.resize(M);
  auto append = [this](std::size_t residue, const SeqBlockEvent& event) {
    m_eventLists[residue].push_back(event);
  };
  for (std::size_t s = 0; s < keptPairs.size() && s < static_cast<std::size_t>(m_slots); ++s) {
    for (FastSeqBlock* b : keptPairs[s]) {
      // Retained pairs lie on the pivot; anything else has no residue to go to.
      if (!b || b->i < 0 || b->l < 0 || static_cast<std::size_t>(b->i) + static_cast<std::size_t>(b->l) >= M)
        continue;
      append(static_cast<std::size_t>(b->i), SeqBlockEvent{0, b, static_cast<int>(s)});
      append(static_cast<std::size_t>(b->i + b->l), SeqBlockEvent{1, b, static_cast<int>(s)});
    }
  }
  if (debug()) {
    std::ostream& out = ThreadOutput::out();
    out << "Number of events: " << "\n";
    for (const auto& list : m_eventLists) {
      out << list.size() << " ";
    }
    out << "\n";
    out << "Done step 2................" << "\n";
  }
}

void CoveringSetSweep::endEvent(const SeqBlockEvent& event) {
  ActivePairs& active = m_active[static_cast<std::size_t>(event.slot)];
  for (std::size_t k = active.pairs.size(); k-- > 0;) {
    if (active.pairs[k] != event.block) continue;
    active.pairs.erase(active.pairs.begin() + static_cast<std::ptrdiff_t>(k));
    active.ends.erase(active.ends.begin() + static_cast<std::ptrdiff_t>(k));
    --m_activeCount;
    return;
  }
}

void CoveringSetSweep::startEvent(const SeqBlockEvent& event) {
  FastSeqBlock* b = event.block;
  ActivePairs& active = m_active[static_cast<std::size_t>(event.slot)];
  const int end = b->i + b->l;
  active.pairs.push_back(b);
  active.ends.push_back(end);
  ++m_activeCount;
  if (active.pairs.back() != b) {
    Fatal::report(std::cout, "Hash Error.");
  }
  // Slot by slot, each from the most recently started pair to the oldest.
  for (const ActivePairs& slot : m_active) {
    const int* ends = slot.ends.data();
    for (std::size_t k = slot.ends.size(); k-- > 0;)
      if (ends[k] <= end) m_ends.offer(ends[k]);
  }
}

void CoveringSetSweep::sweep() {
  // The settings cannot change during the sweep.
  m_heapBound = Parameters::getInt(Param::ResNum);
  m_seedThr = Parameters::getFloat(Param::SeqBlockRMSDthr);
  timerStart(m_test3);
  for (std::size_t p = 0; p < m_eventLists.size(); ++p) {
    bool started = false;
    for (const SeqBlockEvent& event : m_eventLists[p]) {
      if (event.kind == 1) {
        endEvent(event);
      } else if (event.kind == 0) {
        started = true;
        startEvent(event);
      }
    }
    if (!started) continue;
    for (int e : m_ends.inVisitOrder()) handleStretch(static_cast<int>(p), e);
    m_ends.clear();
  }
  timerStop(m_test3);
  if (m_activeCount != 0) ThreadOutput::out() << "Hash:" << m_activeCount << std::endl;
}

void CoveringSetSweep::handleStretch(int p, int e) {
  if (m_stretchLog) m_stretchLog->emplace_back(p, e);
  timerStart(m_test2);
  // The stretch's covering set would hold, per slot, copies of the active
  // pairs reaching e, and its seed the first longest of them. Both are read
  // off the active lists directly; the set itself is built only when its heap
  // takes it.
  m_chosen.clear();
  m_ids.clear();
  for (std::size_t k = 0; k < m_active.size(); ++k) {
    const ActivePairs& active = m_active[k];
    FastSeqBlock* longest = nullptr;
    for (std::size_t q = active.pairs.size(); q-- > 0;) {
      FastSeqBlock* pair = active.pairs[q];
      if (active.ends[q] >= e && (!longest || pair->l + 1 > longest->l + 1)) longest = pair;
    }
    if (longest) {
      m_chosen.push_back(longest);
      m_ids.push_back(static_cast<int>(k) + m_ref + 1);
    }
  }
  ++m_eventSetCounter;
  // Possible only with one-residue pairs that ended at p: such a set has no
  // size index and its seed no slot, so it is dropped.
  if (m_chosen.empty()) {
    timerStop(m_test2);
    return;
  }
  const std::size_t n = m_chosen.size() - 1;
  // A seed is met again exactly when its pivot, molecule indices and pairs'
  // positions all repeat.
  m_key.clear();
  m_key.push_back(m_ref);
  for (std::size_t k = 0; k < m_chosen.size(); ++k) {
    m_key.push_back(m_ids[k]);
    m_key.push_back(m_chosen[k]->i);
    m_key.push_back(m_chosen[k]->j);
    m_key.push_back(m_chosen[k]->l);
  }
  const bool isNew = m_seenSeeds.insert(m_key).second;
  timerStop(m_test2);

  if (isNew) {
    timerStart(m_test1);
    MultSeqBlock* msb = new MultSeqBlock(m_chosen, m_ids, m_ref);
    msb->calcScore(m_molecules, m_seedThr, &m_coreHits);
    timerStop(m_test1);
    offerSeed(n, msb);
    delete msb;
  }
  if (m_makeSets) offerSet(n, p, e);
}

void CoveringSetSweep::offerSeed(std::size_t n, MultSeqBlock* msb) {
  SeedHeap& heap = m_seedHeaps[n];
  if (!admits(heap, m_heapBound, [msb](const HeldSeed* top) { return top->score < msb->score; })) return;
  heap.push(new HeldSeed{msb->score, m_chosen, m_ids});
  evictBeyondBound(heap, m_heapBound);
}

void CoveringSetSweep::offerSet(std::size_t n, int p, int e) {
  SetHeap& heap = m_setHeaps[n];
  const int length = e - p + 1;
  if (!admits(heap, m_heapBound, [length](const EventSet* top) { return top->length < length; })) return;
  // The set's lists: per slot the active pairs reaching e, most recently
  // started first.
  for (std::size_t k = 0; k < m_active.size(); ++k) {
    std::list<FastSeqBlock*>& list = m_setLists[k];
    list.clear();
    const ActivePairs& active = m_active[k];
    for (std::size_t q = active.pairs.size(); q-- > 0;)
      if (active.ends[q] >= e) list.push_back(active.pairs[q]);
  }
  heap.push(new EventSet(m_setLists, p, e, m_ref));
  evictBeyondBound(heap, m_heapBound);
}

void CoveringSetSweep::handBack(std::vector<std::vector<EventSet*> >& results,
                                std::vector<std::vector<MultSeqBlock*> >& msbResults) {
  for (std::size_t m = 0; m < m_setHeaps.size(); ++m) {
    while (!m_setHeaps[m].empty()) {
      results[m].push_back(m_setHeaps[m].top());
      m_setHeaps[m].pop();
    }
  }
  for (std::size_t m = 0; m < m_seedHeaps.size(); ++m) {
    while (!m_seedHeaps[m].empty()) {
      const std::unique_ptr<HeldSeed> held(m_seedHeaps[m].top());
      m_seedHeaps[m].pop();
      // Made as the scoring made it, then copied, as every seed handed back is.
      MultSeqBlock made(held->pairs, held->ids, m_ref);
      made.score = held->score;
      msbResults[m].push_back(new MultSeqBlock(made));
    }
  }
}

void CoveringSetSweep::release() {
  m_eventLists.clear();
  m_seenSeeds.clear();
  m_coreHits.clear();
  for (ActivePairs& active : m_active) {
    active.pairs.clear();
    active.ends.clear();
  }
  m_activeCount = 0;
  for (std::list<FastSeqBlock*>& list : m_setLists) list.clear();
}
