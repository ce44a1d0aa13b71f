#include "structure/CompleteMolecule.h"
#include "structure/StructureFile.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "ProcessRunner.h"
#include "SyntheticStructure.h"
#include "support/Log.h"

using testing_support::pdbAtomLine;

namespace {

struct Named {
  const char* name;
  Vector3 position;
};

std::vector<Atom> residue(const char* residueName, int number, const std::vector<Named>& atoms) {
  std::vector<Atom> result;
  int serial = 1;
  for (const Named& a : atoms) {
    std::string line = pdbAtomLine(serial++, a.name, residueName, 'A', number, a.position);
    result.push_back(Atom(line.c_str()));
  }
  return result;
}

// Captures standard output and the run log around each call.
class CompleteMoleculeTest : public testing::Test {
 protected:
  void TearDown() override { Log::fout.close(); }

  void startCapture() {
    Log::fout.close();
    ASSERT_TRUE(Log::open(m_dir.file("log").c_str()));
    testing::internal::CaptureStdout();
  }
  void stopCapture() {
    m_out = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(Log::finish(std::cerr));
    m_log = m_dir.read("log");
  }

  testing_support::TempDir m_dir;
  std::string m_out, m_log;
};

const Vector3 kN(-1, 0.5f, 0), kCA(0, 0, 0), kC(1.2f, 0.6f, 0), kO(1.4f, 1.8f, 0);

}  // namespace

TEST_F(CompleteMoleculeTest, SideChainCentroids) {
  const std::vector<Named> phenylRing = {{" CG ", Vector3(1, 0, 0)},  {" CD1", Vector3(2, 1, 0)},
                                         {" CD2", Vector3(2, -1, 0)}, {" CE1", Vector3(3, 1, 0)},
                                         {" CE2", Vector3(3, -1, 0)}, {" CZ ", Vector3(4, 0, 0)}};
  auto with = [](std::vector<Named> a, const std::vector<Named>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  const std::vector<Named> backbone = {{" N  ", kN}, {" CA ", kCA}, {" C  ", kC}, {" O  ", kO}};
  std::vector<Named> ringWithoutCZ(phenylRing.begin(), phenylRing.end() - 1);

  const struct {
    const char* label;
    const char* residueName;
    int number;
    std::vector<Named> atoms;
    char letter;
    std::optional<Vector3> point;
    const char* message;  // on standard output and in the run log
    bool logged;
  } cases[] = {
      {"complete PHE, hydrogens ignored", "PHE", 1,
       with(with(backbone, {{" CB ", Vector3(0, 1, 1)}, {" HB2", Vector3(9, 9, 9)}, {" HZ ", Vector3(9, 9, 9)}}),
            phenylRing),
       'F', Vector3(2.5f, 0, 0), "", false},
      {"GLY at its alpha carbon", "GLY", 2, {{" N  ", kN}, {" CA ", Vector3(1.5f, 2.5f, 3.5f)}}, 'G',
       Vector3(1.5f, 2.5f, 3.5f), "", false},
      {"GLY without alpha carbon is left out", "GLY", 7, {{" N  ", kN}, {" C  ", kC}}, 'G', std::nullopt,
       "Error:readAA: Residue 7 has no side-chain atom and no alpha carbon, left out\n", true},
      {"ALA without beta carbon", "ALA", 3, {{" N  ", kN}, {" CA ", Vector3(1.5f, -2, 3.25f)}, {" C  ", kC}}, 'A',
       Vector3(1.5f, -2, 3.25f), "Error:readAA: Residue 3 default:1.5 -2 3.25\n", true},
      {"SER without beta carbon stands at its alpha carbon", "SER", 5,
       {{" N  ", kN}, {" CA ", Vector3(1, 2, 3)}, {" OG ", Vector3(7, 7, 7)}}, 'S', Vector3(1, 2, 3),
       "Error:readAA: Residue 5 default:1 2 3\n", true},
      {"CYS without SG falls back to its beta carbon", "CYS", 6,
       with(backbone, {{" CB ", Vector3(2, 3, 4)}}), 'C', Vector3(2, 3, 4),
       "Error:readAA: Residue 6 default:2 3 4\n", true},
      {"the last fallback atom counts", "CYS", 6,
       with(backbone, {{" CB ", Vector3(2, 3, 4)}, {" CB ", Vector3(5, 6, 7)}}), 'C', Vector3(5, 6, 7),
       "Error:readAA: Residue 6 default:5 6 7\n", true},
      {"PHE missing CZ", "PHE", 4, with(backbone, ringWithoutCZ), 'F', Vector3(2.2f, 0, 0),
       "Warning:readAA: Residue 4 is not complete\n", true},
      {"two conformers of SER", "SER", 8, {{" CA ", kCA}, {" CB ", Vector3(1, 0, 0)}, {" CB ", Vector3(2, 0, 0)}},
       'S', Vector3(1.5f, 0, 0), "Warning:readAA: Residue 8 is not complete\n", true},
      {"PRO averages N and CA too", "PRO", 10,
       {{" N  ", Vector3(0, 0, 0)}, {" CA ", Vector3(1, 0, 0)}, {" CB ", Vector3(2, 0, 0)},
        {" CG ", Vector3(3, 0, 0)}, {" CD ", Vector3(4, 0, 0)}, {" C  ", Vector3(9, 9, 9)}},
       'P', Vector3(2, 0, 0), "", false},
      {"water is an unknown residue", "HOH", 9,
       {{" O  ", Vector3(0, 0, 0)}, {" H1 ", Vector3(1, 0, 0)}, {" H2 ", Vector3(0, 2, 0)}}, 'X',
       Vector3(1.0f / 3, 2.0f / 3, 0), "Error:readAA: unknown residue : X : 9\n", false},
  };
  for (const auto& c : cases) {
    std::vector<Atom> atoms = residue(c.residueName, c.number, c.atoms);
    ASSERT_EQ(atoms.front().residueType(), c.letter) << c.label;
    startCapture();
    std::optional<Vector3> point = CompleteMolecule::readAA(atoms, c.letter);
    stopCapture();
    ASSERT_EQ(point.has_value(), c.point.has_value()) << c.label;
    if (point) {
      for (int k = 0; k < 3; ++k) EXPECT_FLOAT_EQ((*point)[k], (*c.point)[k]) << c.label;
    }
    EXPECT_EQ(m_out, c.message) << c.label;
    EXPECT_EQ(m_log, c.logged ? c.message : "") << c.label;
  }
}

TEST_F(CompleteMoleculeTest, SumIsRoundedToFloatAfterEachAddition) {
  // 1e8 + 1 + 1 + ... stays 1e8 in float; a double sum would not.
  std::vector<Named> leucine = {{" CG ", Vector3(1e8f, 0, 0)}, {" CD1", Vector3(4, 0, 0)}, {" CD2", Vector3(4, 0, 0)}};
  startCapture();
  std::optional<Vector3> point = CompleteMolecule::readAA(residue("LEU", 1, leucine), 'L');
  stopCapture();
  ASSERT_TRUE(point);
  EXPECT_EQ(point->x, 1e8f / 3.0f);
}

TEST_F(CompleteMoleculeTest, EmptyResidue) {
  startCapture();
  EXPECT_FALSE(CompleteMolecule::readAA({}, 'A'));
  stopCapture();
  EXPECT_EQ(m_out, "Error:readAA: vAtom.size==0\n");
  EXPECT_EQ(m_log, "Error:readAA: vAtom.size==0\n");
}

TEST_F(CompleteMoleculeTest, ResiduesAreToldApartByChainNumberAndInsertionCode) {
  startCapture();
  FMolecule<Atom> molecule = StructureFile::read(testing_support::testData("insertion_codes.pdb"), 2);
  stopCapture();
  EXPECT_EQ(m_out, "");
  // Worked by hand from the fixture: ALA and SER stand at their beta carbons,
  // LEU at the mean of CG, CD1 and CD2, GLY at its alpha carbon.
  const struct {
    char chain;
    int number;
    char letter;
    int serial;
    Vector3 point;
  } expected[] = {
      {'A', 52, 'A', 1, Vector3(0.1f, -1.0f, 1.2f)},
      {'A', 52, 'S', 6, Vector3(3.9f, -0.5f, 1.4f)},
      {'A', 53, 'L', 12, Vector3((7.9f + 8.6f + 6.7f) / 3, (-2.4f - 3.0f - 3.1f) / 3, (1.4f + 2.4f + 1.0f) / 3)},
      {'B', 53, 'G', 20, Vector3(20.0f, 0.0f, 0.0f)},
      {'B', 54, 'A', 24, Vector3(23.9f, -0.5f, 1.4f)},
  };
  ASSERT_EQ(molecule.size(), 5u);
  for (std::size_t i = 0; i < molecule.size(); ++i) {
    const Atom& atom = molecule[i];
    EXPECT_EQ(atom.chainId(), expected[i].chain) << i;
    EXPECT_EQ(atom.residueIndex(), expected[i].number) << i;
    EXPECT_EQ(atom.residueType(), expected[i].letter) << i;
    EXPECT_EQ(atom.atomIndex(), expected[i].serial) << i;
    EXPECT_STREQ(atom.type(), " N  ") << i;
    EXPECT_EQ(atom.residueICode(), ' ') << i;
    EXPECT_EQ(atom.getAtomEntryType(), ATOM) << i;
    EXPECT_EQ(atom.getOccupancy(), 1.0f) << i;
    EXPECT_EQ(atom.getTempFactor(), 0.0f) << i;
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(molecule.position(i)[k], expected[i].point[k], 1e-5) << i;
  }
  EXPECT_STREQ(molecule[1].residueName(), "SER");
}

TEST_F(CompleteMoleculeTest, LastResiduesAndUnusualFiles) {
  const std::string text = pdbAtomLine(1, " N  ", "SER", 'A', 5, Vector3(0, 0, 0)) + "\n" +
                           pdbAtomLine(2, " CB ", "SER", 'A', 5, Vector3(1, 1, 1)) + "\n" +
                           pdbAtomLine(3, " CA ", "ALA", 'A', 4, Vector3(2, 2, 2)) + "\n" +
                           pdbAtomLine(4, " N1 ", "  U", 'R', 1, Vector3(6, 0, 0)) + "\n" +
                           pdbAtomLine(5, " C2 ", "  U", 'R', 1, Vector3(8, 0, 0)) + "\n" +
                           pdbAtomLine(6, " CA ", "GLY", 'A', 9, Vector3(3, 3, 3));
  m_dir.write("tail.pdb", text);
  testing::internal::CaptureStderr();
  startCapture();
  FMolecule<Atom> molecule = StructureFile::read(m_dir.file("tail.pdb"), 2);
  stopCapture();
  std::string err = testing::internal::GetCapturedStderr();
  ASSERT_EQ(molecule.size(), 4u);
  // A last residue numbered one less than the one before, and a single-atom last residue.
  EXPECT_EQ(molecule.position(1), Vector3(2, 2, 2));
  EXPECT_EQ(molecule[1].residueIndex(), 4);
  EXPECT_EQ(molecule.position(3), Vector3(3, 3, 3));
  // A nucleic-acid residue: averaged over its atoms, no residue name, no crash.
  EXPECT_EQ(molecule.position(2), Vector3(7, 0, 0));
  EXPECT_EQ(molecule[2].residueType(), 'U');
  EXPECT_STREQ(molecule[2].residueName(), "   ");
  EXPECT_EQ(m_out, "Error:readAA: Residue 4 default:2 2 2\nError:readAA: unknown residue : U : 1\n");
  EXPECT_EQ(m_log, "Error:readAA: Residue 4 default:2 2 2\n");
  EXPECT_EQ(err, "PDB::residueLongName - A unique long name does not exist for non-protein residue :U:\n");

  for (const char* name : {"empty.pdb", "no_atoms.pdb", "binary.pdb"}) {
    startCapture();
    EXPECT_TRUE(StructureFile::read(testing_support::testData(name), 2).empty()) << name;
    stopCapture();
  }
}
