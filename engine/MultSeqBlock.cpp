#include "engine/MultSeqBlock.h"

#include <cstdlib>
#include <iostream>

#include "engine/FastSeqBlock.h"
#include "structure/AtomMolecule.h"
#include "support/Fatal.h"
#include "support/FpuMode.h"

namespace {


// Before the timer below, so that everything after runs in the same mode.
const int fpuModeSet = setDoubleIeeeMode();

// Where seed x places structure m: the identity for its pivot, the
// transformation of the first slot holding m otherwise; null when x does not
// hold m or that slot has no transformation.
const RigidTrans3* placement(const MultSeqBlock& x, int m, const RigidTrans3& identity) {
  if (m == x.ref) return &identity;
  for (std::size_t k = 0; k < x.ids.size() && k < x.trans.size(); ++k)
    if (x.ids[k] == m) return x.trans[k];
  return nullptr;
}

void appendLowByte(std::string& key, int value) {
  key.push_back(static_cast<char>(static_cast<unsigned char>(value & 0xFF)));
}

}  // namespace

std::atomic<int> MultSeqBlock::inew[3] = {{0}, {0}, {0}};
Timer MultSeqBlock::testTimerMSB("MSB:test1");

MultSeqBlock::MultSeqBlock(const std::vector<FastSeqBlock*>& pairs, std::vector<int> ids_, int ref_)
    : score(0.0f),
      start(0),
      length(0),
      blocks(pairs.size(), nullptr),
      trans(pairs.size(), nullptr),
      ref(ref_),
      ids(std::move(ids_)),
      m_type(0) {
  (void)fpuModeSet;
  ++inew[0];
  int maxStart = 0;
  int minEnd = 999999;
  for (std::size_t k = 0; k < pairs.size(); ++k) {
    const FastSeqBlock* pair = pairs[k];
    if (!pair) continue;
    blocks[k] = new FastSeqBlock(*pair);
    trans[k] = new RigidTrans3(pair->rigidTrans());
    if (pair->i > maxStart) maxStart = pair->i;
    if (pair->i + pair->l < minEnd) minEnd = pair->i + pair->l;
  }
  start = maxStart;
  length = minEnd - maxStart + 1;
}

MultSeqBlock::MultSeqBlock(const MultSeqBlock& other)
    : score(0.0f),
      start(0),
      length(0),
      blocks(other.blocks.size(), nullptr),
      trans(other.blocks.size(), nullptr),
      ref(0),
      m_type(1) {
  ++inew[1];
  if (other.blocks.size() != other.trans.size()) Fatal::report(std::cout, "error");
  score = other.score;
  start = other.start;
  length = other.length;
  ref = other.ref;
  ids = other.ids;
  for (std::size_t k = 0; k < other.blocks.size(); ++k) {
    if (!other.blocks[k]) Fatal::report(std::cout, "error");
    blocks[k] = new FastSeqBlock(*other.blocks[k]);
    if (!other.trans[k]) Fatal::report(std::cout, "error");
    trans[k] = new RigidTrans3(*other.trans[k]);
  }
}

MultSeqBlock::~MultSeqBlock() {
  if (blocks.size() != trans.size()) Fatal::report(std::cout, "error");
  if (static_cast<unsigned>(m_type) > 2) Fatal::report(std::cout, "m_type error");
  --inew[m_type];
  ids.clear();
  deleteVectors();
}

std::string MultSeqBlock::getID() const {
  std::string key;
  key.reserve(1 + 4 * blocks.size());
  appendLowByte(key, ref);
  for (std::size_t k = 0; k < blocks.size(); ++k) {
    const FastSeqBlock* pair = blocks[k];
    if (!pair) Fatal::report(std::cerr, "Error in MSB getID");
    appendLowByte(key, pair->i);
    appendLowByte(key, pair->j);
    appendLowByte(key, pair->l);
    appendLowByte(key, k < ids.size() ? ids[k] : 0);
  }
  return key;
}

int MultSeqBlock::getMolNum() const {
  int count = 0;
  for (const FastSeqBlock* pair : blocks)
    if (pair) ++count;
  return count;
}

std::vector<FastSeqBlock*> MultSeqBlock::getAllSeqBlocks() {
  std::vector<FastSeqBlock*> result;
  for (FastSeqBlock* pair : blocks)
    if (pair) result.push_back(pair);
  return result;
}

void MultSeqBlock::deleteVectors() {
  for (FastSeqBlock* pair : blocks) delete pair;
  for (RigidTrans3* t : trans) delete t;
  blocks.clear();
  trans.clear();
}

bool MultSeqBlock::equalExact(const MultSeqBlock& other) const {
  if (blocks.size() != other.blocks.size()) return false;
  if (ref != other.ref) return false;
  if (ids.size() != other.ids.size()) return false;
  for (std::size_t k = 0; k < ids.size(); ++k)
    if (ids[k] != other.ids[k]) return false;
  for (std::size_t k = 0; k < blocks.size(); ++k) {
    const FastSeqBlock* a = blocks[k];
    const FastSeqBlock* b = other.blocks[k];
    if (!a || !b) {
      if (a != b) return false;
      continue;
    }
    if (a->i != b->i || a->j != b->j || a->l != b->l) return false;
  }
  return true;
}

bool MultSeqBlock::equal(const std::vector<AtomMolecule*>& mols, const MultSeqBlock& other) const {
  if (blocks.size() != other.blocks.size()) return false;
  std::vector<int> mine(1, ref);
  mine.insert(mine.end(), ids.begin(), ids.end());
  std::vector<int> theirs(1, other.ref);
  theirs.insert(theirs.end(), other.ids.begin(), other.ids.end());
  for (int m : mine) {
    bool present = false;
    for (int n : theirs) present = present || n == m;
    if (!present) return false;
  }

  const RigidTrans3 identity;
  // Re-express the other seed in this seed's pivot frame.
  RigidTrans3 frame;
  if (other.ref != ref) {
    const RigidTrans3* pivotInOther = placement(other, ref, identity);
    if (!pivotInOther) return false;
    frame = !(*pivotInOther);
  }
  for (int m : mine) {
    const RigidTrans3* p1 = placement(*this, m, identity);
    if (!p1) return false;
    RigidTrans3 p2;
    if (m != ref) {
      const RigidTrans3* inOther = placement(other, m, identity);
      if (!inOther) return false;
      p2 = frame * (*inOther);
    }
    if (m < 0 || static_cast<std::size_t>(m) >= mols.size() || !mols[m]) return false;
    if (!mols[m]->equalTrans(*p1, p2)) return false;
  }
  return true;
}
