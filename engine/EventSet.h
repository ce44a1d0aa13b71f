#pragma once
// A covering set: for one stretch of the pivot, per other structure the
// fragment pairs that cover it (owned copies). An EventSet built with the
// default constructor serves as the ordering of covering-set heaps and sorts:
// longest first in a sort, shortest on top of a priority queue.
#include <atomic>
#include <iosfwd>
#include <list>
#include <utility>
#include <vector>

class AtomMolecule;
class FastSeqBlock;
class MultSeqBlock;

class EventSet {
 public:
  // Kind 2: no entries, every field 0.
  EventSet();
  // Kind 0: the set of pivot positions start..end from the active lists; list
  // k belongs to molecule k + ref + 1.
  EventSet(std::vector<std::list<FastSeqBlock*> >& lists, int start, int end, int ref);
  // Kind 1: a deep copy.
  EventSet(const EventSet& other);
  EventSet& operator=(const EventSet&) = delete;
  ~EventSet();

  // Deletes the fragment pairs; the lists keep their (dangling) pointers, so
  // this is only for an empty set or on the way to destruction.
  void deleteEvents();
  // A new seed of the longest pair of every entry; the caller owns it.
  MultSeqBlock* getLongestSB();
  // Whether `other` holds the same pairs seen from the other pivot (not symmetric).
  bool equal(EventSet& other);

  bool operator()(const EventSet* a, const EventSet* b) const { return a->length > b->length; }

  // The set's report in a fragment-set file.
  static void printOut(std::ostream& os, const EventSet& set, int num, const std::vector<AtomMolecule*>& mols);

  std::vector<std::pair<int, std::list<FastSeqBlock*> > > entries;
  int start;
  int maxLen;
  int length;
  int ref;
  int m_type;

  // Live objects per kind of construction (sets are made on several threads).
  static std::atomic<int> inew[3];
};
