#include "engine/EventSet.h"

#include <cstdlib>
#include <iostream>

#include "engine/FastSeqBlock.h"
#include "engine/MultSeqBlock.h"
#include "support/Fatal.h"

std::atomic<int> EventSet::inew[3] = {{0}, {0}, {0}};

EventSet::EventSet() : start(0), maxLen(0), length(0), ref(0), m_type(2) { ++inew[2]; }

EventSet::EventSet(std::vector<std::list<FastSeqBlock*> >& lists, int start_, int end, int ref_)
    : start(start_), maxLen(0), length(end - start_ + 1), ref(ref_), m_type(0) {
  ++inew[0];
  for (std::size_t k = 0; k < lists.size(); ++k) {
    std::list<FastSeqBlock*> copies;
    for (const FastSeqBlock* pair : lists[k])
      if (pair && pair->i + pair->l >= end) copies.push_back(new FastSeqBlock(*pair));
    if (!copies.empty()) entries.emplace_back(static_cast<int>(k) + ref + 1, std::move(copies));
  }
}

EventSet::EventSet(const EventSet& other)
    : start(other.start), maxLen(other.maxLen), length(other.length), ref(other.ref), m_type(1) {
  ++inew[1];
  entries.reserve(other.entries.size());
  for (const auto& entry : other.entries) {
    std::list<FastSeqBlock*> copies;
    for (const FastSeqBlock* pair : entry.second) copies.push_back(pair ? new FastSeqBlock(*pair) : nullptr);
    entries.emplace_back(entry.first, std::move(copies));
  }
}

EventSet::~EventSet() {
  if (static_cast<unsigned>(m_type) > 2) {
    Fatal::report(std::cout, "m_type error");
  }
  --inew[m_type];
  deleteEvents();
}

void EventSet::deleteEvents() {
  for (auto& entry : entries)
    for (FastSeqBlock* pair : entry.second) delete pair;
}

MultSeqBlock* EventSet::getLongestSB() {
  std::vector<FastSeqBlock*> chosen;
  std::vector<int> ids;
  for (const auto& entry : entries) {
    FastSeqBlock* longest = nullptr;
    // Only a strictly longer pair replaces: the first of equally long ones,
    // the most recently started, wins.
    for (FastSeqBlock* pair : entry.second)
      if (pair && (!longest || pair->l + 1 > longest->l + 1)) longest = pair;
    chosen.push_back(longest);
    ids.push_back(entry.first);
  }
  return new MultSeqBlock(chosen, ids, ref);
}

bool EventSet::equal(EventSet& other) {
  if (length != other.length) return false;
  for (const auto& entry : entries)
    if (entry.first != other.ref) return false;
  for (const auto& entry : entries) {
    bool found = false;
    for (const auto& mirror : other.entries) {
      if (mirror.first != ref) continue;
      found = true;
      if (entry.second.size() != mirror.second.size()) return false;
      for (const FastSeqBlock* p : entry.second) {
        if (!p) return false;
        bool mirrored = false;
        for (const FastSeqBlock* q : mirror.second) {
          if (q && q->i == p->j && q->j == p->i && q->l == p->l) {
            mirrored = true;
            break;
          }
        }
        if (!mirrored) return false;
      }
    }
    if (!found) return false;
  }
  return true;
}
