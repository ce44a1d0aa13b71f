#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SeedTestSupport.h"
#include "engine/MultSeqBlock.h"
#include "support/Parameters.h"

namespace {

using testing_support::EngineTest;
using testing_support::makeSeed;
using testing_support::Structures;
using Table = std::vector<std::vector<int> >;

std::vector<Vector3> line(int n) {
  std::vector<Vector3> points;
  for (int k = 0; k < n; ++k) points.emplace_back(3.8f * k, 0.0f, 0.0f);
  return points;
}

class AlignScore : public EngineTest {};

TEST_F(AlignScore, RowCountForScoringZeroAndTwo) {
  Structures s;
  s.add(line(87), "W");
  s.add(line(87), "C");
  MultSeqBlock seed = makeSeed(0, {1}, {RigidTrans3()});
  Table table;
  for (int r = 0; r < 87; ++r) table.push_back({r, r});
  for (int scoring : {0, 2}) {
    Parameters::addParameter("Scoring", scoring);
    EXPECT_EQ(seed.calcAlignScore(s.list(), table), 87.0f) << scoring;
  }
  Parameters::addParameter("Scoring", 4);
  EXPECT_EQ(seed.calcAlignScore(s.list(), table), 0.0f);
}

struct PamCase {
  const char* name;
  std::vector<std::string> sequences;  // one per structure, residue r of each forms row r
  float expected;
};

TEST_F(AlignScore, MeanPam250OfTheRows) {
  const PamCase cases[] = {
      {"W-W and W-F", {"WW", "WF"}, 8.5f},
      {"one row A, A, G", {"A", "A", "G"}, (2.0f + 1.0f + 1.0f) / 3.0f},
      {"ambiguous letters score 0", {"XBZ", "WAJ"}, 0.0f},
      {"gap against amino acids", {"-A", "A."}, -8.0f},
      {"gap against gap and X", {"-.", ".X"}, 0.0f},
  };
  for (int scoring : {1, 3}) {
    Parameters::addParameter("Scoring", scoring);
    for (const PamCase& c : cases) {
      SCOPED_TRACE(c.name);
      const int rows = static_cast<int>(c.sequences[0].size());
      Structures s;
      std::vector<int> ids;
      for (const std::string& sequence : c.sequences) {
        if (!s.list().empty()) ids.push_back(static_cast<int>(s.list().size()));
        s.add(line(rows), sequence);
      }
      MultSeqBlock seed = makeSeed(0, ids, {});
      Table table;
      for (int r = 0; r < rows; ++r) table.push_back(std::vector<int>(c.sequences.size(), r));
      EXPECT_EQ(seed.calcAlignScore(s.list(), table), c.expected);
    }
  }
}

TEST_F(AlignScore, TableWithoutRowsScoresZero) {
  Structures s;
  s.add(line(3));
  s.add(line(3));
  MultSeqBlock seed = makeSeed(0, {1}, {});
  Parameters::addParameter("Scoring", 1);
  EXPECT_EQ(seed.calcAlignScore(s.list(), Table()), 0.0f);
}

TEST_F(AlignScore, RmsdIsTheMeanOverStructures) {
  Structures s;
  s.add(line(4));
  s.add(line(4));
  s.add(line(4));
  Table table = {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {3, 3, 3}};
  const RigidTrans3 identity;
  const RigidTrans3 byOne(Matrix3(1.0f), Vector3(1, 0, 0));
  const RigidTrans3 byThree(Matrix3(1.0f), Vector3(0, 3, 0));

  MultSeqBlock exact = makeSeed(0, {1, 2}, {identity, identity});
  EXPECT_EQ(exact.calcRMSD(s.list(), table), 0.0f);

  MultSeqBlock one = makeSeed(0, {1}, {byOne});
  Table pairs = {{0, 0}, {1, 1}, {2, 2}, {3, 3}};
  EXPECT_FLOAT_EQ(one.calcRMSD(s.list(), pairs), 1.0f);

  MultSeqBlock two = makeSeed(0, {1, 2}, {byOne, byThree});
  EXPECT_FLOAT_EQ(two.calcRMSD(s.list(), table), 2.0f);

  Table empty;
  EXPECT_EQ(two.calcRMSD(s.list(), empty), 0.0f);
}

TEST_F(AlignScore, RmsdSkipsANullSlotWithoutUsingAColumn) {
  Structures s;
  s.add(line(2));
  s.add(line(2));
  s.add(line(2));
  MultSeqBlock seed = makeSeed(0, {1, 2}, {RigidTrans3(Matrix3(1.0f), Vector3(2, 0, 0)), RigidTrans3()});
  delete seed.blocks[0];
  delete seed.trans[0];
  seed.blocks[0] = nullptr;
  seed.trans[0] = nullptr;
  // The second slot reads column 1.
  Table table = {{0, 0}, {1, 1}};
  EXPECT_EQ(seed.calcRMSD(s.list(), table), 0.0f);
}

using AlignScoreDeathTest = AlignScore;

TEST_F(AlignScoreDeathTest, NullSlotEndsPam250Scoring) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  Structures s;
  s.add(line(1));
  s.add(line(1));
  MultSeqBlock seed = makeSeed(0, {1}, {});
  delete seed.blocks[0];
  seed.blocks[0] = nullptr;
  delete seed.trans[0];
  seed.trans[0] = nullptr;
  Parameters::addParameter("Scoring", 1);
  Table table = {{0, 0}};
  EXPECT_EXIT(
      {
        std::cout.rdbuf(std::cerr.rdbuf());
        seed.calcAlignScore(s.list(), table);
      },
      testing::ExitedWithCode(1), "^error\n$");
}

}  // namespace
