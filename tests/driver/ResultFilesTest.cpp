#include "driver/ResultFiles.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>

#include <sstream>
#include <string>
#include <vector>

#include "DriverTestSupport.h"
#include "ProcessRunner.h"
#include "driver/Ranking.h"
#include "engine/EventSet.h"
#include "engine/MultSeqBlock.h"
#include "support/Parameters.h"

namespace {

using testing_support::Structures;
using testing_support::seedOf;
using testing_support::setOf;
using testing_support::shift;
using testing_support::TempDir;
using testing_support::filesIn;

const char* const kHeader =
    "Molecules: \n"
    "Mol-0 : a.pdb\n"
    "Mol-1 : b.pdb\n"
    "Mol-2 : c.pdb\n"
    "\n"
    "Results: \n"
    "\n";

const char* const kPairSolutions =
    "Solution Num : 0\n"
    "\n"
    "Mult Corres Score : 2\n"
    "Reference Molecule : 1\n"
    "Molecule : 2\n"
    "Trans : 0 0 0 2 0 0\n"
    "RMSD : 0\n"
    "\n"
    "Match List (Chain_ID.Res_Type.Res_Num) : 2\n"
    "A.A.1    A.A.1    \n"
    "A.D.3    A.D.3    \n"
    "End of Match List\n"
    "\n"
    "\n"
    ">b.pdb\n"
    "AD\n"
    "\n"
    ">c.pdb\n"
    "AD\n"
    "\n"
    "\n"
    "\n";

const char* const kEmptySolution =
    "Solution Num : 1\n"
    "\n"
    "Mult Corres Score : 0\n"
    "Reference Molecule : 0\n"
    "Molecule : 1\n"
    "Trans : 0 0 1.5708 1 2 3\n"
    "RMSD : 0\n"
    "\n"
    "Match List (Chain_ID.Res_Type.Res_Num) : 0\n"
    "End of Match List\n"
    "\n"
    "\n"
    ">a.pdb\n"
    "\n"
    "\n"
    ">b.pdb\n"
    "\n"
    "\n"
    "\n"
    "\n";

const char* const kTripleSolution =
    "Solution Num : 0\n"
    "\n"
    "Mult Corres Score : 3\n"
    "Reference Molecule : 0\n"
    "Molecule : 1\n"
    "Trans : 0 0 0 0 0 0\n"
    "Molecule : 2\n"
    "Trans : 0 0 0 0 0 0\n"
    "RMSD : 1\n"
    "\n"
    "Match List (Chain_ID.Res_Type.Res_Num) : 3\n"
    "A.A.1    A.A.1    A.A.1    \n"
    "A.C.2    A.C.2    A.C.2    \n"
    "A.D.3    A.D.3    A.D.3    \n"
    "End of Match List\n"
    "\n"
    "\n"
    ">a.pdb\n"
    "ACD\n"
    "\n"
    ">b.pdb\n"
    "ACD\n"
    "\n"
    ">c.pdb\n"
    "ACD\n"
    "\n"
    "\n"
    "\n";

class ResultFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::startWithDefaults();
    // a and c are the same three points, b is them moved 2 along x.
    const std::vector<Vector3> points = {Vector3(0, 0, 0), Vector3(3.8f, 0, 0), Vector3(7.6f, 0, 0)};
    structures.add(points, "a.pdb");
    structures.add(testing_support::movedCopy(points, shift(2.0f)), "b.pdb");
    structures.add(points, "c.pdb");
    liveSeeds = MultSeqBlock::inew[0];
    liveSets = EventSet::inew[2];
  }
  void TearDown() override { Parameters::clear(); }

  // Two pair solutions (scores 2 and 0) and one of all three (score 3).
  void addSolutions(SolutionRanking& ranking) {
    MultSeqBlock* pair = seedOf(1, {2}, 2.0f, {shift(2.0f)});
    pair->table = {{0, 0}, {2, 2}};
    MultSeqBlock* empty =
        seedOf(0, {1}, 0.0f, {RigidTrans3(Matrix3(0, -1, 0, 1, 0, 0, 0, 0, 1), Vector3(1, 2, 3))});
    MultSeqBlock* triple = seedOf(0, {1, 2}, 3.0f);
    triple->table = {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}};
    ranking.retainSeed(empty, structures.list, 3);
    ranking.retainSeed(pair, structures.list, 3);
    ranking.retainSeed(triple, structures.list, 3);
  }

  bool write(SolutionRanking& ranking) {
    return ResultFiles::write(structures.list, ranking, log, out, err, dir.path());
  }

  Structures structures;
  TempDir dir;
  std::ostringstream log, out, err;
  int liveSeeds = 0;
  int liveSets = 0;
};

TEST_F(ResultFilesTest, SolutionFilesInTheirExactLayout) {
  SolutionRanking ranking(3, 100);
  addSolutions(ranking);
  EXPECT_TRUE(write(ranking));
  EXPECT_EQ(dir.read("2_sol.res"), std::string(kHeader) + kPairSolutions + kEmptySolution);
  EXPECT_EQ(dir.read("3_sol.res"), std::string(kHeader) + kTripleSolution);
  EXPECT_EQ(out.str(), "\nNum Of Mols: 2 Largest Solution: 2\nNum Of Mols: 3 Largest Solution: 3\n");
  EXPECT_EQ(log.str(), out.str());
  EXPECT_EQ(err.str(), "");
  EXPECT_FALSE(dir.exists("2_sets.res"));
  EXPECT_EQ(MultSeqBlock::inew[0], liveSeeds);
}

TEST_F(ResultFilesTest, ResNumPrintBoundsTheWrittenSolutions) {
  for (int print : {0, -1, 1, 50}) {
    TempDir target;
    Parameters::addParameter("ResNumPrint", print);
    SolutionRanking ranking(3, 100);
    addSolutions(ranking);
    std::ostringstream summary;
    EXPECT_TRUE(ResultFiles::write(structures.list, ranking, summary, summary, err, target.path()));
    const std::string pairs = print <= 0 ? "" : print == 1 ? kPairSolutions : std::string(kPairSolutions) + kEmptySolution;
    EXPECT_EQ(target.read("2_sol.res"), kHeader + pairs) << print;
    EXPECT_EQ(target.read("3_sol.res"), std::string(kHeader) + (print <= 0 ? "" : kTripleSolution)) << print;
    EXPECT_NE(summary.str().find("Num Of Mols: 3 Largest Solution: 3\n"), std::string::npos);
    EXPECT_EQ(MultSeqBlock::inew[0], liveSeeds);
  }
}

TEST_F(ResultFilesTest, HitsLineNamesTheFirstTwoStructures) {
  Parameters::addParameter("PrintHits", 1);
  SolutionRanking ranking(3, 100);
  addSolutions(ranking);
  EXPECT_TRUE(write(ranking));
  const std::string expected =
      "Num Of Mols: 2 Largest Solution: 2\nHits : 2 : a.pdb : b.pdb\nNum Of Mols: 3 Largest Solution: 3\n";
  EXPECT_EQ(out.str(), "\n" + expected);
  EXPECT_EQ(log.str(), "\n" + expected);
}

TEST_F(ResultFilesTest, ACountWithoutSolutionsGetsNoFile) {
  dir.write("3_sol.res", "left from an earlier run\n");
  SolutionRanking ranking(3, 100);
  MultSeqBlock* pair = seedOf(1, {2}, 2.0f, {shift(2.0f)});
  pair->table = {{0, 0}, {2, 2}};
  ranking.retainSeed(pair, structures.list, 3);
  EXPECT_TRUE(write(ranking));
  EXPECT_EQ(dir.read("2_sol.res"), std::string(kHeader) + kPairSolutions);
  EXPECT_EQ(dir.read("3_sol.res"), "left from an earlier run\n");
  EXPECT_EQ(out.str(), "\nNum Of Mols: 2 Largest Solution: 2\n");
}

TEST_F(ResultFilesTest, SetFilesForEveryCount) {
  Parameters::addParameter("ContFragmentMatch", 1);
  SolutionRanking ranking(3, 100);
  ranking.retainSet(setOf(0, 0, 3, {{2, {{0, 0, 2}}}}));
  ranking.retainSet(setOf(1, 1, 2, {{0, {{1, 1, 1}}}}));
  EXPECT_TRUE(write(ranking));
  EXPECT_FALSE(dir.exists("2_sol.res"));
  EXPECT_EQ(dir.read("3_sets.res"), kHeader);
  const std::string sets = dir.read("2_sets.res");
  const std::string first =
      "Solution Num : 0\n\nReference Molecule : 0\nLength : 3\nReference Fragment : 1 3\nMolecule : 2\n0- 1 3 : 1 3 1 3 : ";
  ASSERT_EQ(sets.compare(0, std::string(kHeader).size(), kHeader), 0) << sets;
  EXPECT_EQ(sets.compare(std::string(kHeader).size(), first.size(), first), 0) << sets;
  const std::string second =
      "\nSolution Num : 1\n\nReference Molecule : 1\nLength : 2\nReference Fragment : 2 3\nMolecule : 0\n0- 2 3 : 2 3 2 3 : ";
  EXPECT_NE(sets.find(second), std::string::npos) << sets;
  EXPECT_EQ(sets.substr(sets.size() - 8), " : 2 3\n\n") << sets;
  EXPECT_EQ(log.str(), "\n\nMultiple fragment alignment:\nSets - Mols: 2 Longest (contiguous) Solution: 3\n");
  EXPECT_EQ(out.str(), "\n");
  EXPECT_EQ(EventSet::inew[2], liveSets);
}

TEST_F(ResultFilesTest, SetsStayWhenSetFilesAreNotWritten) {
  SolutionRanking ranking(3, 100);
  ranking.retainSet(setOf(0, 0, 3, {{2, {{0, 0, 2}}}}));
  EXPECT_TRUE(write(ranking));
  EXPECT_FALSE(dir.exists("2_sets.res"));
  EXPECT_EQ(ranking.retainedSets()[0].size(), 1u);
}

TEST_F(ResultFilesTest, AFileThatCannotBeWrittenIsReportedAndTheOthersAreWritten) {
  ASSERT_EQ(mkdir(dir.file("2_sol.res").c_str(), 0755), 0);
  SolutionRanking ranking(3, 100);
  addSolutions(ranking);
  EXPECT_FALSE(write(ranking));
  EXPECT_EQ(err.str(), "Can't open file 2_sol.res\n");
  EXPECT_NE(log.str().find("Can't open file 2_sol.res\n"), std::string::npos);
  EXPECT_EQ(dir.read("3_sol.res"), std::string(kHeader) + kTripleSolution);
  EXPECT_EQ(MultSeqBlock::inew[0], liveSeeds);
}

// Files of this process may grow to `bytes` while it lives; a write beyond
// fails (EFBIG) as on a full disk, instead of raising SIGXFSZ.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) : m_handler(std::signal(SIGXFSZ, SIG_IGN)) {
    getrlimit(RLIMIT_FSIZE, &m_old);
    rlimit limit = m_old;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &m_old);
    std::signal(SIGXFSZ, m_handler);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit m_old;
  void (*m_handler)(int);
};

// The pair file is longer than the triple file: with room for the triple file
// only, the pair file is reported and leaves nothing behind, not a cut file.
TEST_F(ResultFilesTest, AFileThatFillsUpIsReportedAndLeavesNothing) {
  const std::string triple = std::string(kHeader) + kTripleSolution;
  ASSERT_LT(triple.size(), std::string(kHeader).size() + std::string(kPairSolutions).size() +
                               std::string(kEmptySolution).size());
  SolutionRanking ranking(3, 100);
  addSolutions(ranking);
  bool written;
  {
    FileSizeLimit limit(triple.size());
    written = write(ranking);
  }
  EXPECT_FALSE(written);
  EXPECT_EQ(err.str(), "Error while writing file 2_sol.res\n");
  EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"3_sol.res"});
  EXPECT_EQ(dir.read("3_sol.res"), triple);
}

// A file of that name from an earlier run stays as it was until the new one
// is complete.
TEST_F(ResultFilesTest, AnEarlierFileIsReplacedOnlyByAWholeOne) {
  dir.write("2_sol.res", "earlier\n");
  SolutionRanking ranking(3, 100);
  addSolutions(ranking);
  {
    FileSizeLimit limit(std::string(kHeader).size() + std::string(kTripleSolution).size());
    EXPECT_FALSE(write(ranking));
  }
  EXPECT_EQ(dir.read("2_sol.res"), "earlier\n");
  SolutionRanking again(3, 100);
  addSolutions(again);
  EXPECT_TRUE(write(again));
  EXPECT_EQ(dir.read("2_sol.res"), std::string(kHeader) + kPairSolutions + kEmptySolution);
}

TEST_F(ResultFilesTest, DebugAddsAScoreLinePerWrittenSolution) {
  Parameters::addParameter("Debug", 1);
  Parameters::addParameter("ResNumPrint", 1);
  SolutionRanking ranking(3, 100);
  addSolutions(ranking);
  EXPECT_TRUE(write(ranking));
  EXPECT_EQ(out.str(),
            "\nNum Of Mols: 2 Largest Solution: 2\nScore : 2 Number of k-tuples : 2\n"
            "Num Of Mols: 3 Largest Solution: 3\nScore : 3 Number of k-tuples : 3\n");
}

TEST(ResultFileNames, CountAndSuffix) {
  EXPECT_EQ(ResultFiles::fileName(2, "_sol.res"), "2_sol.res");
  EXPECT_EQ(ResultFiles::fileName(17, "_sets.res"), "17_sets.res");
}

}  // namespace
