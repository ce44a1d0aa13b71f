#include "engine/MultSeqBlock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/FastSeqBlock.h"

namespace {

FastSeqBlock* pair(int i, int j, int l) {
  FastSeqBlock* b = new FastSeqBlock();
  b->i = i;
  b->j = j;
  b->l = l;
  return b;
}

TEST(MultSeqBlockTest, KeyHoldsTheLowBytesOfRefAndEverySlot) {
  std::vector<FastSeqBlock*> pairs = {pair(300, 5, 12)};
  MultSeqBlock seed(pairs, {2}, 1);
  EXPECT_EQ(seed.getID(), std::string("\x01\x2C\x05\x0C\x02", 5));
  delete pairs[0];
}

}  // namespace
