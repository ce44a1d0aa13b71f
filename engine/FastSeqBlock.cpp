#include "engine/FastSeqBlock.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>

#include "geometry/Vector3.h"
#include "support/ParameterKeys.h"
#include "support/Parameters.h"
#include "support/Fatal.h"

float FastSeqBlock::m_fRMSDthr = -1.0f;
thread_local const FMolecule<Atom>* FastSeqBlock::m_model = nullptr;
thread_local const FMolecule<Atom>* FastSeqBlock::m_target = nullptr;
thread_local int FastSeqBlock::m_iModelSize = 0;
thread_local int FastSeqBlock::m_iTargetSize = 0;
float FastSeqBlock::m_fOverlapRatio = 1.0f;

FastSeqBlock::FastSeqBlock() : i(0), j(0), l(0) {}

bool FastSeqBlock::fits(int i, int j, int l) {
  // l may be as large as an int goes (a huge minimum size): compare against
  // the room left instead of forming i + l.
  return i >= 0 && j >= 0 && l < m_iModelSize - i && l < m_iTargetSize - j;
}

FastSeqBlock::GrowthTest FastSeqBlock::growthTest() {
  const bool bottleneck = Parameters::getInt(Param::SBlockBottleneck) == 1;
  return GrowthTest{bottleneck, bottleneck ? Parameters::getFloat(Param::SBlockBottleneckWeight) : 0.0f};
}

FastSeqBlock::FastSeqBlock(int i0, int j0, int l0, float thr) : FastSeqBlock(i0, j0, l0, thr, growthTest()) {}

FastSeqBlock::FastSeqBlock(int i0, int j0, int l0, float thr, const GrowthTest& test) : i(i0), j(j0), l(l0) {
  // Negative starts never come from the pipeline; refusing them keeps a stray
  // call from reading outside the point arrays.
  if (!fits(i, j, l)) {
    l = 0;
    return;
  }
  const FMolecule<Atom>& model = *m_model;
  const FMolecule<Atom>& target = *m_target;

  const bool bottleneck = test.bottleneck;
  const float bound = bottleneck ? thr * test.weight : 0.0f;
  auto bottleneckPasses = [this, bottleneck, bound](const BestFit& f) {
    return !bottleneck || checkBottleneck(bound, f.rigidTrans());
  };

  BestFit current;
  for (int k = 0; k <= l; ++k) current.add(model.position(i + k), target.position(j + k));
  // The seed is accepted at equality; every extension below needs to stay
  // strictly under the threshold. Most seeds lie far above it, which bounds
  // on the fit tell without solving it (the bottleneck test needs every fit
  // solved, so it goes without them).
  if (!bottleneck && current.rmsdCertainlyAbove(thr)) {
    l = 0;
    return;
  }
  if (current.rmsd() > thr || !bottleneckPasses(current)) {
    l = 0;
    return;
  }

  // A candidate is taken when its RMSD is below thr. Bounds decide the clear
  // cases, the one of "below" with the rotation of the last fit solved here;
  // only a candidate near thr is solved.
  Matrix3 hint = current.rigidTrans().rotation();
  auto takes = [&](const BestFit& candidate) {
    if (!bottleneck) {
      if (candidate.rmsdCertainlyBelow(thr, hint)) return true;
      if (candidate.rmsdCertainlyAbove(thr)) return false;
    }
    const bool below = candidate.rmsd() < thr;
    hint = candidate.rigidTrans().rotation();
    return below && bottleneckPasses(candidate);
  };

  // While growing, i and j keep the seed's values and l counts the seed and
  // the right pairs taken so far: the bottleneck test sees exactly those.
  int left = 0;
  bool changed = true;
  while (changed && bottleneckPasses(current)) {
    changed = false;
    if (i - left - 1 >= 0 && j - left - 1 >= 0) {
      BestFit candidate = current;
      candidate.add(model.position(i - left - 1), target.position(j - left - 1));
      if (takes(candidate)) {
        current = candidate;
        ++left;
        changed = true;
      }
    }
    if (i + l + 1 < m_iModelSize && j + l + 1 < m_iTargetSize) {
      BestFit candidate = current;
      candidate.add(model.position(i + l + 1), target.position(j + l + 1));
      if (takes(candidate)) {
        current = candidate;
        ++l;
        changed = true;
      }
    }
  }
  i -= left;
  j -= left;
  l += left;
  fit = current;
  // The block's fit is solved, as it is after any accepted candidate.
  if (fit.dirty()) fit.update();
}

FastSeqBlock::FastSeqBlock(int i0, int j0, int l0) : i(i0), j(j0), l(l0) {
  if (!fits(i, j, l)) {
    Fatal::report(std::cerr, "ERROR: FastSeqBlock::FastSeqBlock(int i,int j,int l): ", i, " ", j, " ", l, " ",
                  m_iModelSize, " ", m_iTargetSize);
  }
  for (int k = 0; k <= l; ++k) fit.add(m_model->position(i + k), m_target->position(j + k));
}

std::vector<FastSeqBlock*> FastSeqBlock::createSeqBlocks(const FMolecule<Atom>&, const FMolecule<Atom>&, int N,
                                                         int M, int minSize, int maxShift) {
  std::vector<FastSeqBlock*> result;
  // The settings cannot change while the blocks are made.
  const GrowthTest test = growthTest();
  // Offsets i - j come as N-1, ..., 0, then -(M-1), ..., -1; the clustering
  // is greedy in this order.
  for (int d = N + M - 1; d >= 1; --d) {
    int i0, j0, count;
    if (d >= M) {
      i0 = d - M;
      j0 = 0;
      count = std::min(M, N - i0);
    } else {
      i0 = 0;
      j0 = d;
      count = std::min(N, M - d);
    }
    if (std::abs(i0 - j0) > maxShift) continue;
    int k = 0;
    while (k < count) {
      // Most seeds are refused: only a kept block goes to the heap.
      const FastSeqBlock block(i0 + k, j0 + k, minSize - 1, m_fRMSDthr, test);
      if (block.l + 1 < minSize) {
        ++k;
        continue;
      }
      result.push_back(new FastSeqBlock(block));
      // Measured from the seed, not from the left-grown start: the next seed
      // shares its first pair with the block's last one.
      const int e = (block.i + block.l) - (i0 + k);
      k += e > 1 ? e : 1;
    }
  }
  return result;
}

void FastSeqBlock::calcRigidTrans(const FMolecule<Atom>& A, const FMolecule<Atom>& B, int i, int j, int n,
                                  RigidTrans3& T, float& rmsd) {
  BestFit fit;
  for (int k = 0; k < n; ++k) fit.add(A.position(i + k), B.position(j + k));
  T = fit.rigidTrans();
  rmsd = fit.rmsd();
}

bool FastSeqBlock::checkBottleneck(float thr, const RigidTrans3& T) const {
  // Squares from the float points, compared in double: a pair exactly thr
  // apart passes.
  const double bound = static_cast<double>(thr) * static_cast<double>(thr);
  for (int k = 0; k <= l; ++k)
    if (dist2(m_model->position(i + k), T * m_target->position(j + k)) > bound) return false;
  return true;
}

bool FastSeqBlock::checkBottleneck(float thr) const { return checkBottleneck(thr, fit.rigidTrans()); }

void FastSeqBlock::resolveOverlap(FastSeqBlock** a, FastSeqBlock** b) {
  const FastSeqBlock& A = **a;
  const FastSeqBlock& B = **b;
  const int gapI = B.i - (A.i + A.l) - 1;
  const int gapJ = B.j - (A.j + A.l) - 1;
  if (gapI >= 0 && gapJ >= 0) return;
  const int overlap = -std::min(gapI, gapJ);
  const int ceilHalf = (overlap + 1) / 2;
  const int floorHalf = overlap / 2;
  FastSeqBlock* newA = new FastSeqBlock(A.i, A.j, A.l - ceilHalf);
  FastSeqBlock* newB = new FastSeqBlock(B.i + floorHalf, B.j + floorHalf, B.l - floorHalf);
  *a = newA;
  *b = newB;
}
