#include "structure/FMolecule.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ProcessRunner.h"
#include "SyntheticStructure.h"
#include "geometry/Matrix3.h"
#include "geometry/RigidTrans3.h"

using testing_support::pdbAtomLine;

namespace {

// Mixed records; the last one has no line end.
std::string mixedRecords() {
  std::vector<std::string> lines = {
      "HEADER    MIXED RECORDS",
      pdbAtomLine(1, " N  ", "ALA", 'A', 1, Vector3(0, 0, 0)),
      pdbAtomLine(2, " CA ", "ALA", 'A', 1, Vector3(1, 2, 3)),
      pdbAtomLine(3, " CB ", "ALA", 'A', 1, Vector3(1.5f, 2, 4)),
      pdbAtomLine(4, " CA ", "MSE", 'A', 2, Vector3(4, 5, 6), ' ', ' ', "HETATM"),
      pdbAtomLine(5, " CA ", "GLY", 'A', 3, Vector3(7, 8, 9)),
      pdbAtomLine(6, " CA ", "ALA", 'A', 4, Vector3(10, 11, 12), ' ', 'A'),
      pdbAtomLine(7, " CA ", "ALA", 'A', 4, Vector3(10.5f, 11, 12), ' ', 'B'),
      pdbAtomLine(8, " CB ", "ALA", 'A', 4, Vector3(11, 11, 13), ' ', 'B'),
      pdbAtomLine(9, " CB ", "ALA", 'A', 4, Vector3(11, 12, 13), ' ', 'A'),
      "TER",
      pdbAtomLine(10, " CA ", "LEU", 'A', 5, Vector3(13, 14, 15)),
  };
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? "\n" : "") + lines[i];
  return text;
}

std::vector<int> serials(const FMolecule<Atom>& molecule) {
  std::vector<int> result;
  for (const Atom& atom : molecule) result.push_back(atom.atomIndex());
  return result;
}

void expectArrayMatchesAtoms(const FMolecule<Atom>& molecule, const char* after) {
  ASSERT_EQ(molecule.positions().size(), molecule.size()) << after;
  for (std::size_t i = 0; i < molecule.size(); ++i)
    EXPECT_EQ(molecule.position(i), molecule[i].position()) << after << ", entry " << i;
}

FMolecule<Atom> readText(const std::string& text, const PDB::Selector& selector) {
  std::istringstream in(text);
  FMolecule<Atom> molecule;
  molecule.readPDBfile(in, selector);
  return molecule;
}

}  // namespace

TEST(FMolecule, SelectorsChooseTheAtoms) {
  const std::string text = mixedRecords();
  EXPECT_EQ(serials(readText(text, PDB::AllSelector())), (std::vector<int>{1, 2, 3, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(serials(readText(text, PDB::CAlphaSelector())), (std::vector<int>{2, 5, 6, 10}));
  EXPECT_EQ(serials(readText(text, PDB::CBetaSelector())), (std::vector<int>{3, 5, 9}));
  FMolecule<Atom> alpha = readText(text, PDB::CAlphaSelector());
  EXPECT_EQ(alpha.back().position(), Vector3(13, 14, 15));
  EXPECT_EQ(alpha.back().residueType(), 'L');
}

TEST(FMolecule, ReadingAppendsAndCountsAllAtoms) {
  FMolecule<Atom> molecule;
  std::istringstream first(mixedRecords());
  EXPECT_EQ(molecule.readPDBfile(first, PDB::CAlphaSelector()), 4);
  std::istringstream second(mixedRecords() + "\n");
  EXPECT_EQ(molecule.readPDBfile(second, PDB::CBetaSelector()), 7);
  EXPECT_EQ(serials(molecule), (std::vector<int>{2, 5, 6, 10, 3, 5, 9}));
  expectArrayMatchesAtoms(molecule, "two reads");
}

TEST(FMolecule, PositionArrayFollowsTheAtoms) {
  FMolecule<Atom> read = readText(mixedRecords(), PDB::AllSelector());
  expectArrayMatchesAtoms(read, "readPDBfile");

  FMolecule<Atom> added;
  added.add(Atom(Vector3(1, 2, 3), 1));
  added.add(Atom(Vector3(4, 5, 6), 2));
  expectArrayMatchesAtoms(added, "add");

  FMolecule<Atom> copy(read);
  expectArrayMatchesAtoms(copy, "copy construction");
  EXPECT_NE(copy.positions().data(), read.positions().data());

  FMolecule<Atom> assigned;
  assigned = added;
  expectArrayMatchesAtoms(assigned, "assignment");
  assigned = read;
  expectArrayMatchesAtoms(assigned, "assignment of a larger molecule");
  FMolecule<Atom>& self = assigned;
  assigned = self;
  EXPECT_EQ(assigned.size(), read.size());
  expectArrayMatchesAtoms(assigned, "self-assignment");

  RigidTrans3 motion = testing_support::randomRigidMotion(3);
  read *= motion;
  expectArrayMatchesAtoms(read, "operator*=");

  // Changing atoms through the vector breaks the invariant until the rebuild.
  read[0].setPosition(Vector3(-1, -2, -3));
  read.updateVector3();
  expectArrayMatchesAtoms(read, "updateVector3");
}

TEST(FMolecule, RigidMotionMovesAtomsAndArray) {
  const FMolecule<Atom> original = readText(mixedRecords(), PDB::AllSelector());
  FMolecule<Atom> shifted = original;
  shifted *= RigidTrans3(Matrix3(1.0f), Vector3(1, 2, 3));
  for (std::size_t i = 0; i < original.size(); ++i) {
    const Vector3& p = original[i].position();
    Vector3 expected(p.x + 1, p.y + 2, p.z + 3);
    EXPECT_EQ(shifted[i].position(), expected) << i;
    EXPECT_EQ(shifted.position(i), expected) << i;
  }

  RigidTrans3 motion = testing_support::randomRigidMotion(17);
  FMolecule<Atom> moved = original;
  FMolecule<Atom>& result = (moved *= motion);
  EXPECT_EQ(&result, &moved);
  for (std::size_t i = 0; i < original.size(); ++i) {
    EXPECT_EQ(moved[i].position(), motion * original[i].position()) << i;
    EXPECT_EQ(moved.position(i), motion * original.position(i)) << i;
    EXPECT_EQ(moved[i].atomIndex(), original[i].atomIndex());
  }
  // Moving back restores the points to float accuracy.
  moved.rigidTrans(!motion);
  for (std::size_t i = 0; i < original.size(); ++i)
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(moved.position(i)[k], original.position(i)[k], 1e-4) << i;
}

TEST(FMolecule, StreamAtEndOfFileOnlyRebuildsTheArray) {
  std::istringstream in(mixedRecords());
  FMolecule<Atom> molecule;
  ASSERT_EQ(molecule.readPDBfile(in, PDB::AllSelector()), 9);
  ASSERT_TRUE(in.eof());
  molecule[2].setPosition(Vector3(100, 100, 100));
  EXPECT_EQ(molecule.readPDBfile(in, PDB::AllSelector()), 9);
  EXPECT_EQ(molecule.position(2), Vector3(100, 100, 100));
}

TEST(FMolecule, NothingToRead) {
  const std::string hetatmOnly = pdbAtomLine(1, " CA ", "MSE", 'A', 1, Vector3(1, 2, 3), ' ', ' ', "HETATM") +
                                 "\n" + pdbAtomLine(2, "CA  ", " CA", 'A', 2, Vector3(), ' ', ' ', "HETATM");
  for (const std::string& text : {hetatmOnly, std::string(), std::string("\n\n"), std::string("ATOM")}) {
    testing::internal::CaptureStderr();
    FMolecule<Atom> molecule = readText(text, PDB::CAlphaSelector());
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(molecule.empty()) << text;
    EXPECT_TRUE(molecule.positions().empty()) << text;
  }
}

TEST(FMolecule, FailingStreamsEndTheRead) {
  std::istringstream bad(mixedRecords());
  bad.setstate(std::ios::badbit);
  FMolecule<Atom> molecule;
  EXPECT_EQ(molecule.readPDBfile(bad, PDB::AllSelector()), 0);

  // A directory opens as a file on Linux; its first read fails.
  testing_support::TempDir dir;
  std::ifstream directory(dir.path());
  EXPECT_EQ(molecule.readPDBfile(directory, PDB::AllSelector()), 0);
}

TEST(FMolecule, UnreadableCoordinatesSkipTheRecordWithAWarning) {
  std::string blankX = pdbAtomLine(2, " CA ", "ALA", 'A', 2, Vector3(4, 5, 6));
  blankX.replace(30, 8, "        ");
  std::string wordY = pdbAtomLine(3, " CA ", "SER", 'A', 3, Vector3(4, 5, 6));
  wordY.replace(38, 8, " unknown");
  const std::string text = pdbAtomLine(1, " CA ", "ALA", 'A', 1, Vector3(1, 2, 3)) + "\n" + blankX + "\n" +
                           "REMARK\n" + wordY + "\n" + pdbAtomLine(4, " CA ", "ALA", 'A', 4, Vector3(7, 8, 9)) +
                           "\n";
  std::istringstream in(text);
  FMolecule<Atom> molecule;
  testing::internal::CaptureStderr();
  EXPECT_EQ(molecule.readPDBfile(in, PDB::CAlphaSelector(), "chain.pdb"), 2);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "chain.pdb:2: x coordinate is blank or not a number; ATOM record skipped\n"
            "chain.pdb:4: y coordinate is blank or not a number; ATOM record skipped\n");
  EXPECT_EQ(serials(molecule), (std::vector<int>{1, 4}));

  // Records the selector does not take are not checked.
  std::istringstream again(text);
  FMolecule<Atom> betas;
  testing::internal::CaptureStderr();
  EXPECT_EQ(betas.readPDBfile(again, PDB::CBetaSelector(), "chain.pdb"), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(FMolecule, OnlyTheFirstModelIsRead) {
  auto model = [](float shift) {
    std::string text;
    for (int i = 1; i <= 3; ++i)
      text += pdbAtomLine(i, " CA ", "ALA", 'A', i, Vector3(3.8f * i + shift, 0, 0)) + "\n";
    return text;
  };
  const std::string withEnds =
      "MODEL        1\n" + model(0) + "ENDMDL\nMODEL        2\n" + model(0.5f) + "ENDMDL\nEND\n";
  const std::string withoutEnds = "MODEL        1\n" + model(0) + "MODEL        2\n" + model(0.5f);
  const std::string single = "MODEL        1\n" + model(0) + "ENDMDL\n";
  for (const std::string& text : {withEnds, withoutEnds, single}) {
    FMolecule<Atom> molecule = readText(text, PDB::CAlphaSelector());
    ASSERT_EQ(molecule.size(), 3u) << text;
    EXPECT_EQ(molecule[0].position(), Vector3(3.8f, 0, 0)) << text;
  }
}
