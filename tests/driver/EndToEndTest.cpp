// Whole runs of the quorvalin binary on synthetic and real structures: the
// console, the run log, the result files and what a user can check in them.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "ProcessRunner.h"
#include "ResultFileReader.h"
#include "SyntheticStructure.h"
#include "structure/AtomMolecule.h"
#include "structure/StructureFile.h"
#include "support/Parameters.h"

namespace {

using testing_support::WrittenFile;
using testing_support::WrittenSolution;
using testing_support::checkSolution;
using testing_support::linesOf;
using testing_support::readSolutionFile;
using testing_support::ProcessResult;
using testing_support::TempDir;
using testing_support::irregularChain;
using testing_support::movedCopy;
using testing_support::randomRigidMotion;
using testing_support::runProcess;
using testing_support::testData;

class EndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override { Parameters::clear(); }
  void TearDown() override { Parameters::clear(); }

  // Writes the chain as `name` in the run directory and returns the name.
  std::string write(const std::string& name, const std::vector<Vector3>& points) {
    dir->write(name, testing_support::pdbText(points));
    return name;
  }

  ProcessResult run(const std::vector<std::string>& files, const std::string& params = "") {
    if (!params.empty()) dir->write("params.txt", params);
    std::vector<std::string> argv = {QUORVALIN_BINARY};
    argv.insert(argv.end(), files.begin(), files.end());
    ProcessResult r = runProcess(argv, dir->path());
    names = files;
    return r;
  }

  // The structures of the last run as the program reads them.
  std::vector<const AtomMolecule*> structures() {
    loaded.clear();
    std::vector<const AtomMolecule*> list;
    for (const std::string& name : names) {
      loaded.emplace_back(new AtomMolecule(StructureFile::read(dir->file(name), 0)));
      list.push_back(loaded.back().get());
    }
    return list;
  }

  // Reads "<k>_sol.res" and checks every solution in it.
  WrittenFile checkedFile(int k, bool seqOrder = true) {
    WrittenFile file = readSolutionFile(dir->read(std::to_string(k) + "_sol.res"));
    EXPECT_EQ(file.error, "") << k << "_sol.res";
    EXPECT_EQ(file.names, names);
    std::vector<const AtomMolecule*> mols = structures();
    for (std::size_t s = 0; s < file.solutions.size(); ++s) {
      const WrittenSolution& solution = file.solutions[s];
      EXPECT_EQ(solution.number, static_cast<int>(s));
      EXPECT_EQ(solution.ids.size(), static_cast<std::size_t>(k - 1));
      if (s > 0) {
        EXPECT_LE(solution.score, file.solutions[s - 1].score);
      }
      EXPECT_EQ(checkSolution(solution, mols, seqOrder), "") << k << "_sol.res solution " << s;
      std::vector<std::string> recordNames;
      if (solution.ref >= 0 && solution.ref < static_cast<int>(names.size())) recordNames.push_back(names[static_cast<std::size_t>(solution.ref)]);
      for (int id : solution.ids)
        if (id >= 0 && id < static_cast<int>(names.size())) recordNames.push_back(names[static_cast<std::size_t>(id)]);
      EXPECT_EQ(solution.fastaNames, recordNames);
    }
    return file;
  }

  // Checks the solution files of 2 .. upTo structures that the run wrote.
  void checkExistingFiles(int upTo) {
    for (int k = 2; k <= upTo; ++k)
      if (dir->exists(std::to_string(k) + "_sol.res")) checkedFile(k);
  }

  std::unique_ptr<TempDir> dir{new TempDir};
  std::vector<std::string> names;
  std::vector<std::unique_ptr<AtomMolecule> > loaded;
};

// Every point of `moved`, placed by the written transformation, against the
// same point of `pivot`.
double placementRmsd(const std::vector<double>& trans, const AtomMolecule& moved, const AtomMolecule& pivot) {
  double sum = 0;
  for (std::size_t k = 0; k < moved.size(); ++k) {
    double q[3];
    testing_support::applyTrans(trans, moved.position(k), q);
    const Vector3& p = pivot.position(k);
    sum += (q[0] - p.x) * (q[0] - p.x) + (q[1] - p.y) * (q[1] - p.y) + (q[2] - p.z) * (q[2] - p.z);
  }
  return std::sqrt(sum / static_cast<double>(moved.size()));
}

TEST_F(EndToEndTest, RigidlyMovedCopy) {
  const std::vector<Vector3> chain = irregularChain(40, 31);
  const RigidTrans3 motion = randomRigidMotion(32);
  ProcessResult r = run({write("a.pdb", chain), write("b.pdb", movedCopy(chain, motion))});
  ASSERT_EQ(r.exitStatus, 0) << r.out << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "Version 1.93\nMolecule a.pdb size : 40\nMolecule b.pdb size : 40\n,0\n"
            "Num Of Mols: 2 Largest Solution: 40\n");

  std::vector<std::string> log = linesOf(dir->read("log_quorvalin.txt"));
  ASSERT_EQ(log.size(), 36u) << dir->read("log_quorvalin.txt");
  EXPECT_EQ(log[0], "########### Program Parameters ##################");
  EXPECT_EQ(log[29], "#################################################");
  EXPECT_EQ(log[30], "Molecule a.pdb size : 40");
  EXPECT_EQ(log[31], "Molecule b.pdb size : 40");
  EXPECT_EQ(log[32], "");
  EXPECT_EQ(log[33], "Num Of Mols: 2 Largest Solution: 40");
  EXPECT_EQ(log[34], "");
  EXPECT_EQ(log[35].substr(0, 18), "Overall Run Time: ");
  EXPECT_EQ(log[35].size(), 29u);

  WrittenFile file = checkedFile(2);
  ASSERT_FALSE(file.solutions.empty());
  const WrittenSolution& best = file.solutions[0];
  EXPECT_EQ(best.score, 40);
  EXPECT_LT(best.rmsd, 1e-3);
  ASSERT_EQ(best.rows.size(), 40u);
  for (std::size_t k = 0; k < 40; ++k) {
    EXPECT_EQ(best.rows[k][0].number, static_cast<int>(k) + 1);
    EXPECT_EQ(best.rows[k][1].number, static_cast<int>(k) + 1);
  }
  std::vector<const AtomMolecule*> mols = structures();
  const AtomMolecule& pivot = *mols[static_cast<std::size_t>(best.ref)];
  const AtomMolecule& other = *mols[static_cast<std::size_t>(best.ids[0])];
  EXPECT_LT(placementRmsd(best.trans[0], other, pivot), 1e-3);
  EXPECT_EQ(best.fastaLetters[0].size(), 40u);
  EXPECT_FALSE(dir->exists("3_sol.res"));
  EXPECT_FALSE(dir->exists("2_sets.res"));
}

TEST_F(EndToEndTest, DebugLines) {
  const std::vector<Vector3> chain = irregularChain(40, 31);
  ProcessResult r = run({write("a.pdb", chain), write("b.pdb", movedCopy(chain, randomRigidMotion(32)))}, "Debug 1\n");
  ASSERT_EQ(r.exitStatus, 0) << r.out << r.err;
  // Once the engine has printed its timers, scores show with two decimals.
  EXPECT_NE(r.out.find(",0\nNum Of Mols: 2 Largest Solution: 40.00\nScore : 40.00 Number of k-tuples : 40\n"),
            std::string::npos)
      << r.out;
  const std::string last = "MSB:test1: 00:00:00.00\n";
  ASSERT_GE(r.out.size(), last.size());
  EXPECT_EQ(r.out.substr(r.out.size() - last.size(), 11), "MSB:test1: ");
  EXPECT_EQ(r.out.back(), '\n');
  EXPECT_EQ(r.err, "");
}

TEST_F(EndToEndTest, ZincFingers) {
  dir->write("1sp1.pdb", testing_support::readFile(testData("1sp1.pdb")));
  dir->write("1sp2.pdb", testing_support::readFile(testData("1sp2.pdb")));
  dir->write("3znf.pdb", testing_support::readFile(testData("3znf.pdb")));
  ProcessResult r = run({"1sp1.pdb", "1sp2.pdb", "3znf.pdb"});
  ASSERT_EQ(r.exitStatus, 0) << r.out << r.err;
  EXPECT_EQ(r.err, "");
  std::vector<std::string> out = linesOf(r.out);
  std::vector<const AtomMolecule*> mols = structures();
  ASSERT_EQ(out.size(), 7u) << r.out;
  EXPECT_EQ(out[0], "Version 1.93");
  for (std::size_t k = 0; k < 3; ++k)
    EXPECT_EQ(out[1 + k], "Molecule " + names[k] + " size : " + std::to_string(mols[k]->size()));
  EXPECT_EQ(out[4], "Number of iterations left: 2,1,0");
  EXPECT_EQ(out[5].substr(0, 33), "Num Of Mols: 2 Largest Solution: ");
  EXPECT_EQ(out[6].substr(0, 33), "Num Of Mols: 3 Largest Solution: ");

  WrittenFile pairs = checkedFile(2);
  WrittenFile triples = checkedFile(3);
  ASSERT_FALSE(pairs.solutions.empty());
  ASSERT_FALSE(triples.solutions.empty());
  EXPECT_LE(pairs.solutions.size(), 10u);
  EXPECT_EQ(out[5], "Num Of Mols: 2 Largest Solution: " +
                        std::to_string(static_cast<int>(pairs.solutions[0].score)));
  // Scoring 0: the score is the row count.
  for (const WrittenFile* f : {&pairs, &triples})
    for (const WrittenSolution& s : f->solutions) EXPECT_EQ(s.score, static_cast<double>(s.rows.size()));
  std::string log = dir->read("log_quorvalin.txt");
  EXPECT_NE(log.find("\n\n" + out[5] + "\n" + out[6] + "\n\nOverall Run Time: "), std::string::npos) << log;
}

TEST_F(EndToEndTest, GroundTruthOfNoisyCopies) {
  const std::vector<Vector3> chain = irregularChain(50, 41);
  std::vector<std::string> files;
  for (unsigned k = 0; k < 4; ++k)
    files.push_back(write("copy" + std::to_string(k) + ".pdb", movedCopy(chain, randomRigidMotion(50 + k), 0.15f, 60 + k)));
  ProcessResult r = run(files);
  ASSERT_EQ(r.exitStatus, 0) << r.out << r.err;
  WrittenFile all = checkedFile(4);
  ASSERT_FALSE(all.solutions.empty());
  const WrittenSolution& best = all.solutions[0];
  EXPECT_EQ(best.score, 50);
  ASSERT_EQ(best.rows.size(), 50u);
  for (std::size_t k = 0; k < 50; ++k)
    for (const auto& entry : best.rows[k]) EXPECT_EQ(entry.number, static_cast<int>(k) + 1);
  std::vector<const AtomMolecule*> mols = structures();
  for (std::size_t c = 0; c < best.ids.size(); ++c)
    EXPECT_LT(placementRmsd(best.trans[c], *mols[static_cast<std::size_t>(best.ids[c])],
                            *mols[static_cast<std::size_t>(best.ref)]),
              0.5);
  checkExistingFiles(3);
}

TEST_F(EndToEndTest, AReplacedLoopIsLeftOut) {
  const std::vector<Vector3> chain = irregularChain(50, 43);
  const std::vector<Vector3> altered = testing_support::withLoopReplaced(chain, 20, 29, 10.0f);
  std::vector<std::string> files = {write("s0.pdb", movedCopy(chain, randomRigidMotion(71))),
                                    write("s1.pdb", movedCopy(chain, randomRigidMotion(72))),
                                    write("loop.pdb", movedCopy(altered, randomRigidMotion(73)))};
  ProcessResult r = run(files);
  ASSERT_EQ(r.exitStatus, 0) << r.out << r.err;
  WrittenFile all = checkedFile(3);
  ASSERT_FALSE(all.solutions.empty());
  const WrittenSolution& best = all.solutions[0];
  // The residue numbers of each row by structure: s0, s1, loop.
  std::vector<int> column(3);
  column[static_cast<std::size_t>(best.ref)] = 0;
  for (std::size_t c = 0; c < best.ids.size(); ++c) column[static_cast<std::size_t>(best.ids[c])] = static_cast<int>(c) + 1;
  std::vector<bool> aligned(51, false);
  for (const auto& row : best.rows) {
    const int s0 = row[static_cast<std::size_t>(column[0])].number, s1 = row[static_cast<std::size_t>(column[1])].number,
              loop = row[static_cast<std::size_t>(column[2])].number;
    EXPECT_EQ(s0, s1);
    // The loop's middle, moved 5 to 10 angstroms, is never paired with itself.
    if (loop >= 22 && loop <= 29) {
      EXPECT_NE(loop, s0);
    }
    if (s0 == loop) aligned[static_cast<std::size_t>(s0)] = true;
  }
  for (int number = 1; number <= 50; ++number)
    if (number < 20 || number > 31) {
      EXPECT_TRUE(aligned[static_cast<std::size_t>(number)]) << number;
    }
  // The two unaltered copies align completely.
  WrittenFile pairs = checkedFile(2);
  ASSERT_FALSE(pairs.solutions.empty());
  EXPECT_EQ(pairs.solutions[0].score, 50);
}

TEST_F(EndToEndTest, ScoringOnlyScoresTheGivenSuperposition) {
  const std::vector<Vector3> chain = irregularChain(30, 51);
  ProcessResult r = run({write("a.pdb", chain), write("same.pdb", chain), write("near.pdb", movedCopy(chain, RigidTrans3(), 0.2f, 9))},
                        "OnlyScoring 1\n");
  ASSERT_EQ(r.exitStatus, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("size : 30\n,0\nNum Of Mols: 3 Largest Solution: 30\n"), std::string::npos) << r.out;
  EXPECT_FALSE(dir->exists("2_sol.res"));
  WrittenFile file = checkedFile(3);
  ASSERT_EQ(file.solutions.size(), 1u);
  const WrittenSolution& s = file.solutions[0];
  EXPECT_EQ(s.score, 30);
  EXPECT_EQ(s.ref, 0);
  EXPECT_EQ(s.ids, (std::vector<int>{1, 2}));
  EXPECT_LT(s.rmsd, 0.5);
  for (double v : s.trans[0]) EXPECT_NEAR(v, 0.0, 1e-3);
  for (double v : s.trans[1]) EXPECT_NEAR(v, 0.0, 0.2);
}

TEST_F(EndToEndTest, ScoringOnlyOnStructuresNotSuperposed) {
  const std::vector<Vector3> chain = irregularChain(30, 52);
  ProcessResult r = run({write("a.pdb", chain), write("b.pdb", movedCopy(chain, randomRigidMotion(5, 60.0f)))},
                        "OnlyScoring 1\n");
  ASSERT_EQ(r.exitStatus, 0) << r.out << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find(",0\nNum Of Mols: 2 Largest Solution: 0\n"), std::string::npos) << r.out;
  WrittenFile file = checkedFile(2);
  ASSERT_EQ(file.solutions.size(), 1u);
  EXPECT_EQ(file.solutions[0].score, 0);
  EXPECT_TRUE(file.solutions[0].rows.empty());
}

TEST_F(EndToEndTest, SetFilesAndHits) {
  // Two copies of one chain and an unrelated third structure.
  const std::vector<Vector3> chain = irregularChain(36, 61);
  std::vector<std::string> files = {write("m0.pdb", movedCopy(chain, randomRigidMotion(80), 0.1f, 1)),
                                    write("m1.pdb", movedCopy(chain, randomRigidMotion(81), 0.1f, 2)),
                                    write("m2.pdb", irregularChain(36, 62))};
  ProcessResult r = run(files, "ContFragmentMatch 1\nPrintHits 1\n");
  ASSERT_EQ(r.exitStatus, 0) << r.out << r.err;
  WrittenFile pairs = checkedFile(2);
  ASSERT_FALSE(pairs.solutions.empty());
  const std::string best = std::to_string(static_cast<int>(pairs.solutions[0].score));
  EXPECT_EQ(best, "36");
  EXPECT_NE(r.out.find("\nNum Of Mols: 2 Largest Solution: 36\nHits : 36 : m0.pdb : m1.pdb\n"), std::string::npos)
      << r.out;
  const std::string log = dir->read("log_quorvalin.txt");
  EXPECT_NE(log.find("\nNum Of Mols: 2 Largest Solution: 36\nHits : 36 : m0.pdb : m1.pdb\n"), std::string::npos)
      << log;
  EXPECT_NE(log.find("\n\nMultiple fragment alignment:\nSets - Mols: 2 Longest (contiguous) Solution: "),
            std::string::npos)
      << log;
  const bool tripleSets = log.find("Sets - Mols: 3 ") != std::string::npos;
  for (int k : {2, 3}) {
    ASSERT_TRUE(dir->exists(std::to_string(k) + "_sets.res"));
    std::vector<std::string> lines = linesOf(dir->read(std::to_string(k) + "_sets.res"));
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[0], "Molecules: ");
    EXPECT_EQ(lines[1], "Mol-0 : m0.pdb");
    EXPECT_EQ(lines[3], "Mol-2 : m2.pdb");
    EXPECT_EQ(lines[5], "Results: ");
    // Each set: k-1 "Molecule :" entries, each followed by numbered lines.
    int solutions = 0;
    int lastLength = 1 << 30;
    for (std::size_t i = 7; i < lines.size(); ++i) {
      if (lines[i].compare(0, 15, "Solution Num : ") != 0) continue;
      EXPECT_EQ(lines[i], "Solution Num : " + std::to_string(solutions));
      ++solutions;
      EXPECT_EQ(lines[i + 1], "");
      EXPECT_EQ(lines[i + 2].compare(0, 21, "Reference Molecule : "), 0);
      ASSERT_EQ(lines[i + 3].compare(0, 9, "Length : "), 0);
      const int length = std::stoi(lines[i + 3].substr(9));
      EXPECT_LE(length, lastLength);
      lastLength = length;
      EXPECT_EQ(lines[i + 4].compare(0, 21, "Reference Fragment : "), 0);
      int molecules = 0;
      int numbered = 0;
      std::size_t j = i + 5;
      for (; j < lines.size() && !lines[j].empty(); ++j) {
        if (lines[j].compare(0, 11, "Molecule : ") == 0) {
          ++molecules;
          numbered = 0;
          continue;
        }
        EXPECT_EQ(lines[j].compare(0, std::to_string(numbered).size() + 2, std::to_string(numbered) + "- "), 0)
            << lines[j];
        ++numbered;
      }
      EXPECT_EQ(molecules, k - 1);
    }
    EXPECT_LE(solutions, 10);
    if (k == 2) {
      EXPECT_GT(solutions, 0);
    } else if (!tripleSets) {
      EXPECT_EQ(lines.size(), 7u);  // the header alone
    }
  }
}

TEST_F(EndToEndTest, MissingFileIsReportedBeforeAnyIsRead) {
  const std::vector<Vector3> chain = irregularChain(20, 1);
  ProcessResult r = run({write("a.pdb", chain), "b.pdb", write("c.pdb", chain)});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.out, "Version 1.93\nFile: b.pdb doesn't exist.\n");
  std::vector<std::string> log = linesOf(dir->read("log_quorvalin.txt"));
  ASSERT_EQ(log.size(), 31u);
  EXPECT_EQ(log[30], "File: b.pdb doesn't exist.");
}

TEST_F(EndToEndTest, AStructureWithoutResiduesStopsTheRun) {
  dir->write("water.pdb", testing_support::readFile(testData("no_atoms.pdb")));
  ProcessResult r = run({write("a.pdb", irregularChain(20, 1)), "water.pdb"});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.out, "Version 1.93\nMolecule a.pdb size : 20\n" + AtomMolecule::noResiduesMessage("water.pdb") + "\n");
  EXPECT_NE(dir->read("log_quorvalin.txt").find("\n" + AtomMolecule::noResiduesMessage("water.pdb") + "\n"),
            std::string::npos);
  EXPECT_FALSE(dir->exists("2_sol.res"));
}

TEST_F(EndToEndTest, AResultFileThatCannotBeWrittenFailsTheRun) {
  const std::vector<Vector3> chain = irregularChain(30, 3);
  ASSERT_EQ(mkdir(dir->file("3_sol.res").c_str(), 0755), 0);
  ProcessResult r = run({write("a.pdb", chain), write("b.pdb", movedCopy(chain, randomRigidMotion(2))),
                         write("c.pdb", movedCopy(chain, randomRigidMotion(3)))},
                        "ContFragmentMatch 1\n");
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, "Can't open file 3_sol.res\n");
  EXPECT_NE(r.out.find("Num Of Mols: 3 Largest Solution: 30\n"), std::string::npos) << r.out;
  EXPECT_NE(dir->read("log_quorvalin.txt").find("Can't open file 3_sol.res\n"), std::string::npos);
  // The files after it are still written.
  EXPECT_TRUE(dir->exists("2_sets.res"));
  EXPECT_TRUE(dir->exists("3_sets.res"));
}

TEST_F(EndToEndTest, WithoutFullSetEachPivotLooksForward) {
  const std::vector<Vector3> chain = irregularChain(25, 4);
  ProcessResult r = run({write("a.pdb", chain), write("b.pdb", chain), write("c.pdb", chain)}, "FullSet 0\n");
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_NE(r.out.find("size : 25\nNumber of iterations left: 2,1\nNum Of Mols: 2"), std::string::npos) << r.out;
  WrittenFile pairs = checkedFile(2);
  for (const WrittenSolution& s : pairs.solutions) EXPECT_LT(s.ref, s.ids[0]);
}

// Inputs that must not crash, hang or upset the sanitizers: every run ends
// normally and its result files read back consistently.
TEST_F(EndToEndTest, AwkwardInputs) {
  struct Case {
    const char* name;
    std::vector<std::vector<Vector3> > chains;
    std::vector<int> files;  // which chain each file holds
  };
  const std::vector<Vector3> a = irregularChain(30, 90), b = irregularChain(30, 91);
  const std::vector<Vector3> tiny = irregularChain(6, 92), three = irregularChain(3, 93);
  std::vector<Case> cases = {
      {"identical files", {a}, {0, 0, 0}},
      {"unrelated structures", {a, b}, {0, 1}},
      {"shorter than SeqBlockMinSize", {tiny, movedCopy(tiny, randomRigidMotion(4)), three}, {0, 1, 2}},
      {"short and long", {tiny, a}, {0, 1, 1}},
  };
  for (const Case& c : cases) {
    dir.reset(new TempDir);
    std::vector<std::string> files;
    for (std::size_t k = 0; k < c.files.size(); ++k)
      files.push_back(write("f" + std::to_string(k) + ".pdb", c.chains[static_cast<std::size_t>(c.files[k])]));
    ProcessResult r = run(files);
    EXPECT_EQ(r.exitStatus, 0) << c.name << "\n" << r.out << r.err;
    EXPECT_EQ(r.err, "") << c.name;
    checkExistingFiles(static_cast<int>(files.size()));
  }
}

TEST_F(EndToEndTest, AFileGivenTwice) {
  const std::vector<Vector3> chain = irregularChain(30, 94);
  ProcessResult r = run({write("a.pdb", chain), "a.pdb", write("b.pdb", movedCopy(chain, randomRigidMotion(9)))});
  ASSERT_EQ(r.exitStatus, 0) << r.out << r.err;
  WrittenFile file = checkedFile(3);
  EXPECT_EQ(file.names, (std::vector<std::string>{"a.pdb", "a.pdb", "b.pdb"}));
  ASSERT_FALSE(file.solutions.empty());
  EXPECT_EQ(file.solutions[0].score, 30);
}

TEST_F(EndToEndTest, TwentyStructures) {
  const std::vector<Vector3> chain = irregularChain(24, 95);
  std::vector<std::string> files;
  for (unsigned k = 0; k < 20; ++k)
    files.push_back(write("s" + std::to_string(k) + ".pdb", movedCopy(chain, randomRigidMotion(100 + k), 0.1f, k)));
  ProcessResult r = run(files, "ResNumPrint 2\n");
  ASSERT_EQ(r.exitStatus, 0) << r.out << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("Number of iterations left: 19,18,17,16,15,14,13,12,11,10,9,8,7,6,5,4,3,2,1,0\n"),
            std::string::npos);
  WrittenFile all = checkedFile(20);
  ASSERT_FALSE(all.solutions.empty());
  EXPECT_EQ(all.solutions[0].score, 24);
  checkExistingFiles(19);
}

}  // namespace
