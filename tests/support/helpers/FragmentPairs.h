#pragma once
// Hand-made fragment pairs for the engine and driver tests.
#include "engine/FastSeqBlock.h"

namespace testing_support {

// A pair with the given fields and a fresh fit, as the clustering, the
// covering sets and the seeds see it. The caller deletes it.
inline FastSeqBlock* makePair(int i, int j, int l) {
  FastSeqBlock* pair = new FastSeqBlock();
  pair->i = i;
  pair->j = j;
  pair->l = l;
  return pair;
}

}  // namespace testing_support
