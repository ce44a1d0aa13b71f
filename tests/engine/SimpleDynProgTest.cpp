#include "engine/internal/SimpleDynProg.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <utility>
#include <vector>

namespace {

using Pairs = std::vector<std::pair<int, int> >;
using DynProg = SimpleDynProg<bool, int>;

struct Case {
  const char* name;
  int n;
  int m;
  Pairs trueCells;
  int best;
  Pairs out;
};

void setTrue(DynProg& dp, const Pairs& cells) {
  for (const auto& p : cells) dp.entry(p.first, p.second) = true;
}

void runCase(const Case& c, Pairs& out, int& best) {
  DynProg dp(c.n, c.m, false);
  setTrue(dp, c.trueCells);
  dp.getBestAlignment(out, best);
}

TEST(SimpleDynProg, TableOfCases) {
  const std::vector<Case> cases = {
      {"diagonal 2x2", 2, 2, {{0, 0}, {1, 1}}, 2, {{1, 1}, {0, 0}}},
      {"single entry", 4, 5, {{2, 3}}, 1, {{2, 3}}},
      {"single corner entry", 3, 3, {{2, 2}}, 1, {{2, 2}}},
      {"crossing pair, first maximal cell wins", 2, 2, {{0, 1}, {1, 0}}, 1, {{0, 1}}},
      {"decreasing diagonal", 3, 3, {{0, 2}, {1, 1}, {2, 0}}, 1, {{0, 2}}},
      {"up-left tie at D = 0 goes up", 3, 3, {{0, 1}, {1, 0}, {2, 2}}, 2, {{2, 2}, {0, 1}}},
      {"two candidates in the last row", 2, 3, {{0, 0}, {1, 1}, {1, 2}}, 2, {{1, 1}, {0, 0}}},
      {"all false", 2, 2, {}, 0, {}},
      {"no rows", 0, 4, {}, 0, {}},
      {"no columns", 3, 0, {}, 0, {}},
      {"no rows or columns", 0, 0, {}, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Pairs out;
    int best = -7;
    runCase(c, out, best);
    EXPECT_EQ(best, c.best);
    EXPECT_EQ(out, c.out);
  }
}

TEST(SimpleDynProg, CellsOfTheDiagonalCase) {
  DynProg dp(2, 2, false);
  dp.entry(0, 0) = true;
  dp.entry(1, 1) = true;
  Pairs out;
  int best = 0;
  dp.getBestAlignment(out, best);
  struct Expected {
    int i, j, value, move;
  };
  for (const Expected& e : {Expected{1, 1, 1, 2}, Expected{1, 2, 1, 0}, Expected{2, 1, 1, 1},
                            Expected{2, 2, 2, 2}, Expected{0, 0, 0, 3}, Expected{0, 2, 0, 3},
                            Expected{2, 0, 0, 3}}) {
    SCOPED_TRACE(testing::Message() << "cell " << e.i << "," << e.j);
    EXPECT_EQ(dp.cell(e.i, e.j).value, e.value);
    EXPECT_EQ(dp.cell(e.i, e.j).move, e.move);
  }
}

// How one cell settles a tie or a near-tie between its three moves (D the
// diagonal, U up, L left), and what the traceback makes of it.
TEST(SimpleDynProg, TieBreaksAtOneCell) {
  struct TieCase {
    const char* name;
    int n;
    int m;
    Pairs trueCells;
    int i, j, value, move;
    int best;
    Pairs out;
  };
  const std::vector<TieCase> cases = {
      // Cell (2,2): D = 1 + 0, U = 1, L = 1; the diagonal takes it, so the
      // traceback crosses the false entry (1,1) without appending it.
      {"diagonal wins ties even over a false entry", 2, 2, {{0, 0}}, 2, 2, 1, 2, 1, {{0, 0}}},
      // Cell (3,3): D = 1 + 0, U = 2, L = 2. The first cell holding 2 is (2,3).
      {"up-left tie goes left when the diagonal is positive", 3, 3, {{0, 0}, {1, 2}, {2, 1}}, 3, 3, 2, 0, 2,
       {{1, 2}, {0, 0}}},
      // Cell (2,3): D = 1 + 0, U = 1, L = 2.
      {"left wins when it exceeds the diagonal", 2, 3, {{0, 0}, {0, 2}, {1, 1}}, 2, 3, 2, 0, 2, {{1, 1}, {0, 0}}},
  };
  for (const TieCase& c : cases) {
    SCOPED_TRACE(c.name);
    DynProg dp(c.n, c.m, false);
    setTrue(dp, c.trueCells);
    Pairs out;
    int best = 0;
    dp.getBestAlignment(out, best);
    EXPECT_EQ(dp.cell(c.i, c.j).value, c.value);
    EXPECT_EQ(dp.cell(c.i, c.j).move, c.move);
    EXPECT_EQ(best, c.best);
    EXPECT_EQ(out, c.out);
  }
}

TEST(SimpleDynProg, AppendsBehindWhatOutAlreadyHolds) {
  DynProg dp(2, 2, false);
  dp.entry(0, 0) = true;
  dp.entry(1, 1) = true;
  Pairs out = {{9, 9}};
  int best = 0;
  dp.getBestAlignment(out, best);
  EXPECT_EQ(out, (Pairs{{9, 9}, {1, 1}, {0, 0}}));
}

TEST(SimpleDynProg, EmptyMatrixLeavesOutUntouched) {
  DynProg dp(3, 3, false);
  Pairs out = {{4, 4}};
  int best = 5;
  dp.getBestAlignment(out, best);
  EXPECT_EQ(best, 0);
  EXPECT_EQ(out, (Pairs{{4, 4}}));
}

TEST(SimpleDynProg, InitialValueFillsTheMatrix) {
  DynProg dp(3, 4, true);
  Pairs out;
  int best = 0;
  dp.getBestAlignment(out, best);
  EXPECT_EQ(best, 3);
  // The first cell holding 3 in row-major order is (3,3).
  EXPECT_EQ(out, (Pairs{{2, 2}, {1, 1}, {0, 0}}));
}

// Longest chain strictly increasing in both indices, by an independent
// quadratic recurrence over the true cells.
int bruteForceLongestChain(const std::vector<std::vector<bool> >& matrix) {
  std::vector<std::pair<int, int> > cells;
  for (int i = 0; i < static_cast<int>(matrix.size()); ++i)
    for (int j = 0; j < static_cast<int>(matrix[i].size()); ++j)
      if (matrix[i][j]) cells.emplace_back(i, j);
  std::vector<int> longest(cells.size(), 1);
  int best = 0;
  for (std::size_t a = 0; a < cells.size(); ++a) {
    for (std::size_t b = 0; b < a; ++b)
      if (cells[b].first < cells[a].first && cells[b].second < cells[a].second)
        longest[a] = std::max(longest[a], longest[b] + 1);
    best = std::max(best, longest[a]);
  }
  return best;
}

TEST(SimpleDynProg, RandomMatricesGiveALongestValidChain) {
  std::mt19937 random(20240611);
  for (int trial = 0; trial < 400; ++trial) {
    const int n = static_cast<int>(random() % 8);
    const int m = static_cast<int>(random() % 8);
    const unsigned density = random() % 100;
    std::vector<std::vector<bool> > matrix(n, std::vector<bool>(m, false));
    DynProg dp(n, m, false);
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < m; ++j)
        if (random() % 100 < density) matrix[i][j] = dp.entry(i, j) = true;
    Pairs out;
    int best = -1;
    dp.getBestAlignment(out, best);
    SCOPED_TRACE(testing::Message() << "trial " << trial << " n " << n << " m " << m);
    ASSERT_EQ(best, bruteForceLongestChain(matrix));
    ASSERT_EQ(static_cast<int>(out.size()), best);
    for (std::size_t k = 0; k < out.size(); ++k) {
      ASSERT_TRUE(matrix[out[k].first][out[k].second]);
      if (k > 0) {
        ASSERT_LT(out[k].first, out[k - 1].first);
        ASSERT_LT(out[k].second, out[k - 1].second);
      }
    }
  }
}

TEST(SimpleDynProgDeathTest, SizesBeyondMemoryEndTheRunWithAMessage) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  EXPECT_EXIT({ DynProg dp(INT_MAX, INT_MAX, false); }, testing::ExitedWithCode(1),
              "^Not enough memory to align a structure of 2147483647 residues with one of 2147483647 "
              "residues\n$");
}

#if !defined(__SANITIZE_ADDRESS__)
TEST(SimpleDynProgDeathTest, FailedAllocationEndsTheRunWithAMessage) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  // About 8e18 bytes: representable, but no machine can provide them.
  EXPECT_EXIT({ DynProg dp(1000000000, 1000000000, false); }, testing::ExitedWithCode(1),
              "^Not enough memory to align a structure of 1000000000 residues with one of 1000000000 "
              "residues\n$");
}
#endif

}  // namespace
