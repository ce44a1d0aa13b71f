// Whole runs with "SeqOrder" 0, where residues are paired by bipartite
// matching: on the bundled structures and on synthetic copies with known
// answers, compared with the order-preserving runs.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "ProcessRunner.h"
#include "ResultFileReader.h"
#include "SyntheticStructure.h"
#include "structure/AtomMolecule.h"
#include "structure/StructureFile.h"

namespace {

using testing_support::checkSolution;
using testing_support::readSolutionFile;
using testing_support::WrittenFile;
using testing_support::WrittenSolution;
using testing_support::irregularChain;
using testing_support::movedCopy;
using testing_support::ProcessResult;
using testing_support::randomRigidMotion;
using testing_support::TempDir;
using testing_support::testData;

// One run of the program in a fresh directory.
class ProgramRun {
 public:
  ProgramRun(const std::vector<std::pair<std::string, std::string> >& files, const std::string& params) {
    std::vector<std::string> argv = {QUORVALIN_BINARY};
    for (const auto& f : files) {
      m_dir.write(f.first, f.second);
      argv.push_back(f.first);
      m_names.push_back(f.first);
    }
    m_dir.write("params.txt", params);
    result = testing_support::runProcess(argv, m_dir.path());
    for (const std::string& name : m_names)
      m_mols.emplace_back(new AtomMolecule(StructureFile::read(m_dir.file(name), 0)));
  }

  bool has(int k) const { return m_dir.exists(std::to_string(k) + "_sol.res"); }

  // The solutions of k structures, each checked as a user could: the written
  // transformations reproduce the RMSD, the sequence records match, and no
  // residue appears twice in a column of the match list.
  WrittenFile solutions(int k, bool orderPreserving) const {
    WrittenFile file = readSolutionFile(m_dir.read(std::to_string(k) + "_sol.res"));
    EXPECT_EQ(file.error, "") << k;
    EXPECT_EQ(file.names, m_names);
    std::vector<const AtomMolecule*> mols;
    for (const auto& m : m_mols) mols.push_back(m.get());
    for (const WrittenSolution& s : file.solutions) {
      EXPECT_EQ(checkSolution(s, mols, orderPreserving), "") << k << "_sol.res solution " << s.number;
      EXPECT_EQ(s.score, static_cast<double>(s.rows.size()));
      for (std::size_t c = 0; c <= s.ids.size(); ++c) {
        std::set<std::pair<char, int> > seen;
        for (const auto& row : s.rows)
          EXPECT_TRUE(seen.insert({row[c].chain, row[c].number}).second)
              << k << "_sol.res solution " << s.number << ": residue " << row[c].number << " paired twice";
      }
    }
    return file;
  }

  ProcessResult result;

 private:
  TempDir m_dir;
  std::vector<std::string> m_names;
  std::vector<std::unique_ptr<AtomMolecule> > m_mols;
};

std::vector<std::pair<std::string, std::string> > zincFingers() {
  std::vector<std::pair<std::string, std::string> > files;
  for (const char* name : {"1sp1.pdb", "1sp2.pdb", "3znf.pdb"})
    files.emplace_back(name, testing_support::readFile(testData(name)));
  return files;
}

// Residue numbers of each row, by structure index (ref and ids mapped back).
std::vector<std::vector<int> > rowsByStructure(const WrittenSolution& s) {
  std::vector<int> structures(1, s.ref);
  structures.insert(structures.end(), s.ids.begin(), s.ids.end());
  std::vector<std::vector<int> > rows;
  for (const auto& row : s.rows) {
    std::vector<int> numbers(structures.size());
    for (std::size_t c = 0; c < structures.size(); ++c)
      numbers[static_cast<std::size_t>(structures[c])] = row[c].number;
    rows.push_back(numbers);
  }
  return rows;
}

TEST(SeqOrderZero, BundledStructures) {
  ProgramRun run(zincFingers(), "SeqOrder 0\n");
  ASSERT_EQ(run.result.exitStatus, 0) << run.result.out << run.result.err;
  EXPECT_EQ(run.result.err, "");
  EXPECT_EQ(run.result.out.find("Error in Correspondence"), std::string::npos) << run.result.out;
  ASSERT_TRUE(run.has(2));
  ASSERT_TRUE(run.has(3));
  WrittenFile pairs = run.solutions(2, false);
  WrittenFile triples = run.solutions(3, false);
  EXPECT_FALSE(pairs.solutions.empty());
  ASSERT_FALSE(triples.solutions.empty());
  EXPECT_GT(triples.solutions[0].rows.size(), 15u);
}

TEST(SeqOrderZero, RigidlyMovedCopiesGiveTheFullCorrespondenceLikeTheOrderedRun) {
  const std::vector<Vector3> chain = irregularChain(60, 51);
  std::vector<std::pair<std::string, std::string> > files;
  for (unsigned k = 0; k < 3; ++k)
    files.emplace_back("copy" + std::to_string(k) + ".pdb",
                       testing_support::pdbText(movedCopy(chain, randomRigidMotion(80 + k))));
  ProgramRun matching(files, "SeqOrder 0\n");
  ProgramRun ordered(files, "SeqOrder 1\n");
  for (const ProgramRun* run : {&matching, &ordered}) {
    ASSERT_EQ(run->result.exitStatus, 0) << run->result.out << run->result.err;
    EXPECT_EQ(run->result.err, "");
  }
  EXPECT_EQ(matching.result.out, ordered.result.out);
  for (int k : {2, 3}) {
    // Smaller solutions are written only when they are not part of larger ones.
    EXPECT_EQ(matching.has(k), ordered.has(k)) << k;
    if (k < 3 && !matching.has(k)) continue;
    WrittenFile byMatching = matching.solutions(k, false);
    WrittenFile byOrder = ordered.solutions(k, true);
    ASSERT_FALSE(byMatching.solutions.empty());
    ASSERT_FALSE(byOrder.solutions.empty());
    const WrittenSolution& best = byMatching.solutions[0];
    EXPECT_EQ(best.score, 60);
    EXPECT_LT(best.rmsd, 1e-3);
    std::vector<std::vector<int> > rows = rowsByStructure(best);
    ASSERT_EQ(rows.size(), 60u);
    for (std::size_t r = 0; r < rows.size(); ++r)
      for (int number : rows[r]) EXPECT_EQ(number, static_cast<int>(r) + 1);
    EXPECT_EQ(rowsByStructure(byOrder.solutions[0]), rows);
  }
}

TEST(SeqOrderZero, NoisyCopies) {
  const std::vector<Vector3> chain = irregularChain(70, 52);
  std::vector<std::pair<std::string, std::string> > files;
  for (unsigned k = 0; k < 4; ++k)
    files.emplace_back("noisy" + std::to_string(k) + ".pdb",
                       testing_support::pdbText(movedCopy(chain, randomRigidMotion(90 + k), 0.4f, 100 + k)));
  ProgramRun run(files, "SeqOrder 0\n");
  ASSERT_EQ(run.result.exitStatus, 0) << run.result.out << run.result.err;
  EXPECT_EQ(run.result.err, "");
  ASSERT_TRUE(run.has(4));
  for (int k = 2; k <= 4; ++k) {
    if (!run.has(k)) continue;
    WrittenFile file = run.solutions(k, false);
    ASSERT_FALSE(file.solutions.empty());
    EXPECT_GE(file.solutions[0].rows.size(), 65u) << k;
  }
}

TEST(SeqOrderZero, CircularPermutationIsPairedWhole) {
  // The second structure holds the same points with its chain started at
  // residue 26: the matching pairs all 60 residues, the order-preserving
  // programme only the longer of the two runs.
  const std::vector<Vector3> chain = irregularChain(60, 53);
  std::vector<Vector3> permuted(chain.begin() + 25, chain.end());
  permuted.insert(permuted.end(), chain.begin(), chain.begin() + 25);
  const std::vector<std::pair<std::string, std::string> > files = {
      {"a.pdb", testing_support::pdbText(chain)},
      {"b.pdb", testing_support::pdbText(movedCopy(permuted, randomRigidMotion(95)))}};
  ProgramRun matching(files, "SeqOrder 0\n");
  ProgramRun ordered(files, "SeqOrder 1\n");
  ASSERT_EQ(matching.result.exitStatus, 0) << matching.result.err;
  ASSERT_EQ(ordered.result.exitStatus, 0) << ordered.result.err;
  WrittenFile byMatching = matching.solutions(2, false);
  WrittenFile byOrder = ordered.solutions(2, true);
  ASSERT_FALSE(byMatching.solutions.empty());
  ASSERT_FALSE(byOrder.solutions.empty());
  EXPECT_EQ(byOrder.solutions[0].score, 35);
  const WrittenSolution& best = byMatching.solutions[0];
  EXPECT_EQ(best.score, 60);
  for (const std::vector<int>& row : rowsByStructure(best)) EXPECT_EQ((row[0] - 1 + 35) % 60, row[1] - 1);
}

}  // namespace
