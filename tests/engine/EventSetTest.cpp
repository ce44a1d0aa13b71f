#include "engine/EventSet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <list>
#include <queue>
#include <vector>

#include "ExitCapture.h"
#include "PairTestSupport.h"
#include "SyntheticStructure.h"
#include "engine/FastSeqBlock.h"
#include "engine/MultSeqBlock.h"
#include "structure/AtomMolecule.h"

namespace {

using testing_support::comparePair;
using testing_support::makePair;
using testing_support::StaticsGuard;
using testing_support::chainMolecule;
using testing_support::irregularChain;
using testing_support::movedCopy;
using testing_support::randomRigidMotion;

struct Triple {
  int i, j, l;
  bool operator==(const Triple& o) const { return i == o.i && j == o.j && l == o.l; }
};

std::vector<Triple> triples(const std::list<FastSeqBlock*>& pairs) {
  std::vector<Triple> result;
  for (const FastSeqBlock* p : pairs) result.push_back({p->i, p->j, p->l});
  return result;
}

// Active lists whose pairs the test owns.
class ActiveLists {
 public:
  explicit ActiveLists(const std::vector<std::vector<Triple>>& spec) {
    for (const auto& list : spec) {
      lists.emplace_back();
      for (const Triple& t : list) lists.back().push_back(makePair(t.i, t.j, t.l));
    }
  }
  ~ActiveLists() {
    for (auto& list : lists)
      for (FastSeqBlock* p : list) delete p;
  }
  ActiveLists(const ActiveLists&) = delete;
  ActiveLists& operator=(const ActiveLists&) = delete;

  std::vector<std::list<FastSeqBlock*>> lists;
};

bool sharesAPointer(const EventSet& set, const ActiveLists& active) {
  for (const auto& entry : set.entries)
    for (const FastSeqBlock* p : entry.second)
      for (const auto& list : active.lists)
        if (std::find(list.begin(), list.end(), p) != list.end()) return true;
  return false;
}

TEST(EventSetTest, CopiesThePairsThatReachTheEnd) {
  ActiveLists active({{{10, 0, 5}, {12, 3, 2}, {9, 1, 8}}, {}, {{14, 0, 0}}, {{15, 2, 0}}});
  EventSet set(active.lists, 10, 15, 3);
  EXPECT_EQ(set.m_type, 0);
  EXPECT_EQ(set.start, 10);
  EXPECT_EQ(set.length, 6);
  EXPECT_EQ(set.ref, 3);
  // List k belongs to molecule k + ref + 1; a pair ending at 15 is copied, one
  // ending at 14 is not, and a list with nothing left gives no entry.
  ASSERT_EQ(set.entries.size(), 2u);
  EXPECT_EQ(set.entries[0].first, 4);
  EXPECT_EQ(triples(set.entries[0].second), (std::vector<Triple>{{10, 0, 5}, {9, 1, 8}}));
  EXPECT_EQ(set.entries[1].first, 7);
  EXPECT_EQ(triples(set.entries[1].second), (std::vector<Triple>{{15, 2, 0}}));
  EXPECT_FALSE(sharesAPointer(set, active));
}

TEST(EventSetTest, NoListsOrShortPairsGiveNoEntries) {
  std::vector<std::list<FastSeqBlock*>> none;
  EventSet empty(none, 0, 4, 0);
  EXPECT_TRUE(empty.entries.empty());
  EXPECT_EQ(empty.length, 5);

  ActiveLists active({{{0, 0, 3}, {1, 1, 2}}});
  EventSet early(active.lists, 0, 4, 0);
  EXPECT_TRUE(early.entries.empty());
}

TEST(EventSetTest, DefaultSetIsTheOrderingObject) {
  EventSet comparator;
  EXPECT_EQ(comparator.m_type, 2);
  EXPECT_TRUE(comparator.entries.empty());
  EXPECT_EQ(comparator.start, 0);
  EXPECT_EQ(comparator.maxLen, 0);
  EXPECT_EQ(comparator.length, 0);
  EXPECT_EQ(comparator.ref, 0);
}

TEST(EventSetTest, CountersFollowEveryKindOfConstruction) {
  const int before[3] = {EventSet::inew[0], EventSet::inew[1], EventSet::inew[2]};
  {
    ActiveLists active({{{0, 0, 9}}});
    EventSet built(active.lists, 0, 9, 0);
    EventSet copy(built);
    EventSet comparator;
    EXPECT_EQ(EventSet::inew[0], before[0] + 1);
    EXPECT_EQ(EventSet::inew[1], before[1] + 1);
    EXPECT_EQ(EventSet::inew[2], before[2] + 1);
  }
  for (int k = 0; k < 3; ++k) EXPECT_EQ(EventSet::inew[k], before[k]) << k;
}

TEST(EventSetTest, OrderingPutsTheLongestFirstAndTheShortestOnTop) {
  std::vector<std::list<FastSeqBlock*>> none;
  std::vector<EventSet*> sets;
  for (int end : {4, 9, 2, 7}) sets.push_back(new EventSet(none, 0, end, 0));
  const int copiesBefore = EventSet::inew[1];
  {
    EventSet comparator;
    std::sort(sets.begin(), sets.end(), comparator);
    std::vector<int> lengths;
    for (const EventSet* s : sets) lengths.push_back(s->length);
    EXPECT_EQ(lengths, (std::vector<int>{10, 8, 5, 3}));

    std::priority_queue<EventSet*, std::vector<EventSet*>, EventSet> heap(comparator);
    for (EventSet* s : sets) heap.push(s);
    EXPECT_EQ(heap.top()->length, 3);
    heap.pop();
    EXPECT_EQ(heap.top()->length, 5);
  }
  // The comparator copies that sorts and heaps make are all gone again.
  EXPECT_EQ(EventSet::inew[1], copiesBefore);
  for (EventSet* s : sets) delete s;
}

TEST(EventSetTest, SeedTakesTheFirstOfTheLongestPairsOfEveryEntry) {
  ActiveLists active({{{5, 0, 9}, {3, 7, 9}, {2, 2, 8}}, {{4, 4, 12}, {4, 9, 14}}});
  EventSet set(active.lists, 5, 14, 0);
  MultSeqBlock* seed = set.getLongestSB();
  ASSERT_EQ(seed->blocks.size(), 2u);
  EXPECT_EQ(seed->ref, 0);
  EXPECT_EQ(seed->ids, (std::vector<int>{1, 2}));
  EXPECT_EQ(seed->blocks[0]->i, 5);
  EXPECT_EQ(seed->blocks[0]->j, 0);
  EXPECT_EQ(seed->blocks[1]->j, 9);
  EXPECT_EQ(seed->start, 5);
  EXPECT_EQ(seed->length, 10);
  // The seed holds copies of its own.
  for (const auto& entry : set.entries)
    for (const FastSeqBlock* p : entry.second)
      for (const FastSeqBlock* b : seed->blocks) EXPECT_NE(p, b);
  delete seed;
  EXPECT_EQ(set.entries[0].second.front()->l, 9);
}

TEST(EventSetTest, EqualIsAMirrorTest) {
  // a: pivot 0, one entry for molecule 2. b: pivot 2, an entry for 0 holding
  // the mirrored pairs and perhaps one for molecule 1.
  struct Case {
    std::vector<Triple> aPairs;
    int aEnd;
    std::vector<Triple> bMirror, bExtra;
    int bEnd;
    bool aEqualsB, bEqualsA;
    const char* what;
  } cases[] = {
      {{{3, 10, 20}, {4, 11, 19}}, 20, {{10, 3, 20}, {11, 4, 19}}, {}, 24, true, true, "mirror images"},
      {{{3, 10, 20}, {4, 11, 19}}, 20, {{11, 4, 19}, {10, 3, 20}}, {}, 24, true, true, "in any order"},
      {{{3, 10, 20}}, 20, {{10, 3, 21}}, {}, 24, false, false, "an l differs"},
      {{{3, 10, 20}}, 20, {{10, 4, 20}}, {}, 24, false, false, "i and j not exchanged"},
      {{{3, 10, 20}, {4, 11, 19}}, 20, {{10, 3, 20}}, {}, 24, false, false, "pair counts differ"},
      {{{3, 10, 20}, {3, 10, 20}}, 20, {{10, 3, 20}, {11, 4, 19}}, {}, 24, true, false,
       "one pair mirrors two, but not the other way round"},
      {{{3, 10, 20}}, 20, {{10, 3, 20}}, {}, 25, false, false, "lengths differ"},
      {{{3, 10, 20}}, 20, {{10, 3, 20}}, {{7, 7, 30}}, 24, true, false, "b has a second entry"},
  };
  for (const Case& c : cases) {
    ActiveLists aLists({{}, c.aPairs});
    EventSet a(aLists.lists, 0, c.aEnd, 0);
    // Built with pivot 0 as the pipeline does, then renumbered as the driver
    // does after it moved structure 2 to the front.
    ActiveLists bLists({c.bExtra, c.bMirror});
    EventSet b(bLists.lists, 4, c.bEnd, 0);
    b.ref = 2;
    for (auto& entry : b.entries)
      if (entry.first == 2) entry.first = 0;
    ASSERT_EQ(a.entries.size(), 1u) << c.what;
    ASSERT_EQ(b.entries.size(), c.bExtra.empty() ? 1u : 2u) << c.what;
    EXPECT_EQ(a.entries[0].first, 2) << c.what;
    EXPECT_EQ(a.equal(b), c.aEqualsB) << c.what;
    EXPECT_EQ(b.equal(a), c.bEqualsA) << c.what;
  }
}

TEST(EventSetTest, SetWithoutEntriesEqualsEverySetOfItsLength) {
  std::vector<std::list<FastSeqBlock*>> none;
  EventSet empty(none, 0, 9, 0);
  ActiveLists active({{{0, 0, 9}}});
  EventSet full(active.lists, 0, 9, 5);
  EventSet longer(active.lists, 0, 8, 5);
  EXPECT_TRUE(empty.equal(full));
  EXPECT_FALSE(full.equal(empty));
  EXPECT_FALSE(empty.equal(longer));
  EXPECT_TRUE(empty.equal(empty));
}

TEST(EventSetTest, CopyIsIndependentOfItsSource) {
  ActiveLists active({{{1, 2, 9}, {0, 3, 12}}, {{1, 1, 9}}});
  EventSet source(active.lists, 1, 10, 0);
  source.maxLen = 17;
  EventSet* copy = new EventSet(source);
  EXPECT_EQ(copy->m_type, 1);
  EXPECT_EQ(copy->start, 1);
  EXPECT_EQ(copy->maxLen, 17);
  EXPECT_EQ(copy->length, 10);
  EXPECT_EQ(copy->ref, 0);
  ASSERT_EQ(copy->entries.size(), source.entries.size());
  for (std::size_t e = 0; e < source.entries.size(); ++e) {
    EXPECT_EQ(copy->entries[e].first, source.entries[e].first);
    EXPECT_EQ(triples(copy->entries[e].second), triples(source.entries[e].second));
    for (const FastSeqBlock* p : copy->entries[e].second)
      for (const FastSeqBlock* q : source.entries[e].second) EXPECT_NE(p, q);
  }
  copy->entries[0].second.front()->l = 99;
  delete copy;
  // The source still holds its own pairs (the sanitizer build would report a
  // use after free here).
  EXPECT_EQ(triples(source.entries[0].second), (std::vector<Triple>{{1, 2, 9}, {0, 3, 12}}));
}

void destroySetOfKind(int kind) {
  testing_support::stdoutToStderr();
  testing_support::LeakCheckPause pause;
  EventSet* set = new EventSet();
  set->m_type = kind;
  delete set;
}

TEST(EventSetDeathTest, DestroyingAnObjectOfNoKnownKindEndsTheRun) {
  EXPECT_EXIT(destroySetOfKind(3), testing::ExitedWithCode(1), "^m_type error\n$");
  EXPECT_EXIT(destroySetOfKind(-1), testing::ExitedWithCode(1), "^m_type error\n$");
}

TEST(EventSetTest, CoveringSetOfRealPairsFindsItsMirrorImage) {
  StaticsGuard guard;
  // b is a moved copy of a chain of 35 points, a its last 30 points: the pair
  // a 0..29 / b 5..34 seen from either side.
  const std::vector<Vector3> chain = irregularChain(35, 14);
  const RigidTrans3 motion = randomRigidMotion(9);
  AtomMolecule a = chainMolecule(std::vector<Vector3>(chain.begin() + 5, chain.end()), "a");
  AtomMolecule b = chainMolecule(movedCopy(chain, motion), "b");
  FastSeqBlock::m_fRMSDthr = 0.5f;

  comparePair(a, b);
  std::vector<FastSeqBlock*> ab = FastSeqBlock::createSeqBlocks(a, b, 30, 35, 10, 10000);
  comparePair(b, a);
  std::vector<FastSeqBlock*> ba = FastSeqBlock::createSeqBlocks(b, a, 35, 30, 10, 10000);
  ASSERT_EQ(ab.size(), 1u);
  ASSERT_EQ(ba.size(), 1u);
  EXPECT_EQ((Triple{ab[0]->i, ab[0]->j, ab[0]->l}), (Triple{0, 5, 29}));
  EXPECT_EQ((Triple{ba[0]->i, ba[0]->j, ba[0]->l}), (Triple{5, 0, 29}));

  std::vector<std::list<FastSeqBlock*>> fromA = {{ab[0]}};
  EventSet setA(fromA, 0, 29, 0);
  std::vector<std::list<FastSeqBlock*>> fromB = {{ba[0]}};
  EventSet setB(fromB, 5, 34, 0);
  setB.ref = 1;
  setB.entries[0].first = 0;
  EXPECT_TRUE(setA.equal(setB));
  EXPECT_TRUE(setB.equal(setA));

  MultSeqBlock* seed = setA.getLongestSB();
  EXPECT_EQ(seed->ref, 0);
  EXPECT_EQ(seed->ids, std::vector<int>{1});
  EXPECT_EQ(seed->start, 0);
  EXPECT_EQ(seed->length, 30);
  ASSERT_NE(seed->trans[0], nullptr);
  for (int k = 0; k < 30; ++k) EXPECT_LT(dist2(*seed->trans[0] * b.position(k + 5), a.position(k)), 1e-5) << k;
  delete seed;
  delete ab[0];
  delete ba[0];
}

}  // namespace
