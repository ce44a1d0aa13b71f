#include "structure/AtomMolecule.h"
#include "structure/StructureFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "ProcessRunner.h"
#include "SyntheticStructure.h"
#include "geometry/Matrix3.h"
#include "support/Parameters.h"

using testing_support::pdbAtomLine;

namespace {

AtomMolecule moleculeOf(const std::vector<Vector3>& points) {
  FMolecule<Atom> molecule;
  for (std::size_t i = 0; i < points.size(); ++i)
    molecule.add(Atom(points[i], 'A', static_cast<unsigned short>(i + 1), static_cast<unsigned short>(i + 1),
                      "CA", 'A', ' '));
  return AtomMolecule("points", molecule);
}

// Sets the threshold for one test and restores the process-wide value after it.
class ThresholdGuard {
 public:
  explicit ThresholdGuard(float threshold) : m_saved(AtomMolecule::st_fThr) { AtomMolecule::st_fThr = threshold; }
  ~ThresholdGuard() { AtomMolecule::st_fThr = m_saved; }

 private:
  float m_saved;
};

class PointTypeTest : public testing::Test {
 protected:
  void SetUp() override { Parameters::clear(); }
  void TearDown() override { Parameters::clear(); }
};

// The alpha carbons of a file, found by a plain column reading of its lines.
struct ResidueRecord {
  char chain;
  int number;
  std::string name;
  Vector3 position;
};

std::vector<ResidueRecord> alphaCarbonsOf(const std::string& path) {
  std::ifstream in(path);
  std::vector<ResidueRecord> records;
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, 6, "ATOM  ") != 0 || line.compare(12, 4, " CA ") != 0) continue;
    if (line[16] != ' ' && line[16] != 'A') continue;
    records.push_back({line[21], std::stoi(line.substr(22, 4)), line.substr(17, 3),
                       Vector3(std::stof(line.substr(30, 8)), std::stof(line.substr(38, 8)),
                               std::stof(line.substr(46, 8)))});
  }
  return records;
}

const std::map<std::string, char> kLetters = {
    {"ALA", 'A'}, {"ARG", 'R'}, {"ASN", 'N'}, {"ASP", 'D'}, {"CYS", 'C'}, {"GLN", 'Q'}, {"GLU", 'E'},
    {"GLY", 'G'}, {"HIS", 'H'}, {"ILE", 'I'}, {"LEU", 'L'}, {"LYS", 'K'}, {"MET", 'M'}, {"PHE", 'F'},
    {"PRO", 'P'}, {"SER", 'S'}, {"THR", 'T'}, {"TRP", 'W'}, {"TYR", 'Y'}, {"VAL", 'V'}};

}  // namespace

TEST(AtomMolecule, ReferencePoints) {
  const Vector3 o(0, 0, 0);
  const struct {
    const char* label;
    std::vector<Vector3> points;
    Vector3 r0, r1, r2;
  } cases[] = {
      {"right triangle", {o, Vector3(3, 0, 0), Vector3(0, 4, 0)}, Vector3(3, 0, 0), Vector3(0, 4, 0), o},
      // Both diagonals tie: (i=0, j=2) comes first; r2 ties between k=1 and k=3.
      {"square",
       {o, Vector3(1, 0, 0), Vector3(1, 1, 0), Vector3(0, 1, 0)},
       o,
       Vector3(1, 1, 0),
       Vector3(1, 0, 0)},
      {"two points", {Vector3(5, 5, 5), Vector3(1, 2, 3)}, Vector3(5, 5, 5), Vector3(1, 2, 3), o},
      // Without two distinct points the first two stay at the origin, and the
      // third is the point farthest from it.
      {"one point", {Vector3(5, 5, 5)}, o, o, Vector3(5, 5, 5)},
      {"one point at the origin", {o}, o, o, o},
      {"no points", {}, o, o, o},
      {"coincident points", {Vector3(2, 2, 2), Vector3(2, 2, 2)}, o, o, Vector3(2, 2, 2)},
  };
  for (const auto& c : cases) {
    AtomMolecule molecule = moleculeOf(c.points);
    EXPECT_EQ(molecule.refPoint(0), c.r0) << c.label;
    EXPECT_EQ(molecule.refPoint(1), c.r1) << c.label;
    EXPECT_EQ(molecule.refPoint(2), c.r2) << c.label;
  }
}

TEST(AtomMolecule, ReferencePointsAgreeWithBruteForce) {
  const std::vector<Vector3> chain = testing_support::irregularChain(40, 5);
  AtomMolecule molecule = testing_support::chainMolecule(chain);
  double far = 0;
  for (const Vector3& a : chain)
    for (const Vector3& b : chain) far = std::max(far, dist2(a, b));
  EXPECT_EQ(dist2(molecule.refPoint(0), molecule.refPoint(1)), far);
  double third = 0;
  for (const Vector3& p : chain)
    third = std::max(third, dist2(p, molecule.refPoint(0)) * dist2(p, molecule.refPoint(1)));
  EXPECT_EQ(dist2(molecule.refPoint(2), molecule.refPoint(0)) * dist2(molecule.refPoint(2), molecule.refPoint(1)),
            third);
}

TEST(AtomMolecule, EqualTransComparesImagesOfTheReferencePoints) {
  AtomMolecule molecule = moleculeOf({Vector3(0, 0, 0), Vector3(3, 0, 0), Vector3(0, 4, 0)});
  const RigidTrans3 identity;
  const RigidTrans3 shifted(Matrix3(1.0f), Vector3(1, 0, 0));
  {
    ThresholdGuard threshold(3.0f);
    EXPECT_TRUE(molecule.equalTrans(shifted, identity));
    EXPECT_TRUE(molecule.equalTrans(identity, shifted));
  }
  {
    ThresholdGuard threshold(2.9f);
    EXPECT_FALSE(molecule.equalTrans(shifted, identity));
  }
  {
    ThresholdGuard threshold(0.0f);
    const RigidTrans3 motion = testing_support::randomRigidMotion(9);
    EXPECT_TRUE(molecule.equalTrans(motion, motion));
    EXPECT_FALSE(molecule.equalTrans(motion, identity));
    EXPECT_TRUE(molecule.matched(motion * Vector3(1, 2, 3), motion * Vector3(0, 1, 0), motion * Vector3(5, 0, 1),
                                 motion, Vector3(1, 2, 3), Vector3(0, 1, 0), Vector3(5, 0, 1)));
  }
  {
    ThresholdGuard threshold(3.0f);
    EXPECT_TRUE(molecule.matched(Vector3(1, 0, 0), Vector3(0, 1, 0), Vector3(0, 0, 1), identity,
                                 Vector3(0, 0, 0), Vector3(0, 0, 0), Vector3(0, 0, 0)));
    EXPECT_FALSE(molecule.matched(Vector3(1, 0, 0), Vector3(0, 1, 0), Vector3(0, 0, 1.1f), identity,
                                  Vector3(0, 0, 0), Vector3(0, 0, 0), Vector3(0, 0, 0)));
  }
}

TEST(AtomMolecule, RigidlyMovedCopy) {
  const std::vector<Vector3> chain = testing_support::irregularChain(50, 21);
  const RigidTrans3 motion = testing_support::randomRigidMotion(4);
  AtomMolecule original = testing_support::chainMolecule(chain, "a.pdb");
  AtomMolecule copy = testing_support::chainMolecule(testing_support::movedCopy(chain, motion), "b.pdb");

  // The reference points of the copy are the moved reference points.
  for (int k = 0; k < 3; ++k)
    EXPECT_LT(dist2(copy.refPoint(k), motion * original.refPoint(k)), 1e-6) << k;

  // Judged on the copy, the motion back and that motion followed by a small
  // extra turn are the same placement; a larger turn is not.
  ThresholdGuard threshold(3 * 4.0f * 4.0f);
  const RigidTrans3 back = !motion;
  auto turned = [&](float angle) { return RigidTrans3(Matrix3(angle, 0.0f, 0.0f), Vector3()) * back; };
  EXPECT_TRUE(copy.equalTrans(back, back));
  EXPECT_TRUE(copy.equalTrans(back, turned(0.01f)));
  EXPECT_FALSE(copy.equalTrans(back, turned(0.5f)));
  EXPECT_FALSE(copy.equalTrans(back, RigidTrans3(Matrix3(1.0f), Vector3(0, 0, 7)) * back));
}

TEST(AtomMolecule, CopiesKeepTheReferencePoints) {
  AtomMolecule molecule = testing_support::chainMolecule(testing_support::irregularChain(12, 2), "m.pdb");
  const Vector3 r0 = molecule.refPoint(0), r1 = molecule.refPoint(1), r2 = molecule.refPoint(2);
  // Moving the atoms does not touch the reference points, and copies take
  // them over as they are.
  molecule *= testing_support::randomRigidMotion(8);
  AtomMolecule copy(molecule);
  std::vector<AtomMolecule> working(2, AtomMolecule());
  working[1] = molecule;
  for (const AtomMolecule* m : {&copy, &working[1]}) {
    EXPECT_EQ(m->name(), "m.pdb");
    EXPECT_EQ(m->size(), molecule.size());
    EXPECT_EQ(m->refPoint(0), r0);
    EXPECT_EQ(m->refPoint(1), r1);
    EXPECT_EQ(m->refPoint(2), r2);
    for (std::size_t i = 0; i < m->size(); ++i) EXPECT_EQ(m->position(i), molecule[i].position());
  }
  EXPECT_TRUE(working[0].empty());
  EXPECT_EQ(working[0].name(), "");
  EXPECT_EQ(working[0].refPoint(0), Vector3(0, 0, 0));
}

TEST(AtomMolecule, RemoveSpuriousHelices) {
  AtomMolecule molecule = moleculeOf(std::vector<Vector3>(9, Vector3(1, 1, 1)));
  const char marks[] = "HHLHHHLHH";
  for (std::size_t i = 0; i < molecule.size(); ++i) molecule[i].setSecondaryStructure(marks[i], 1);
  molecule.removeSpuriousHelices(2);
  std::string after;
  for (const Atom& atom : molecule) after += atom.secondaryStructure();
  EXPECT_EQ(after, "LLLHHHLLL");
  EXPECT_EQ(molecule[0].secondaryStructureNumber(), 0);
  EXPECT_EQ(molecule[3].secondaryStructureNumber(), 1);
}

TEST_F(PointTypeTest, ChoosesAlphaOrBetaCarbons) {
  testing_support::TempDir dir;
  const std::string text = pdbAtomLine(1, " N  ", "GLY", 'A', 1, Vector3(0, 0, 0)) + "\n" +
                           pdbAtomLine(2, " CA ", "GLY", 'A', 1, Vector3(1, 0, 0)) + "\n" +
                           pdbAtomLine(3, " CA ", "ALA", 'A', 2, Vector3(4, 0, 0)) + "\n" +
                           pdbAtomLine(4, " CB ", "ALA", 'A', 2, Vector3(4, 1.5f, 0)) + "\n" +
                           pdbAtomLine(5, " CA ", "SER", 'A', 3, Vector3(8, 0, 0)) + "\n";
  dir.write("gly.pdb", text);
  const struct {
    int pointType;
    std::vector<Vector3> points;
  } cases[] = {
      {0, {Vector3(1, 0, 0), Vector3(4, 0, 0), Vector3(8, 0, 0)}},
      {1, {Vector3(1, 0, 0), Vector3(4, 1.5f, 0)}},
      {7, {Vector3(1, 0, 0), Vector3(4, 0, 0), Vector3(8, 0, 0)}},
  };
  for (const auto& c : cases) {
    Parameters::addParameter("PointType", c.pointType);
    AtomMolecule molecule = StructureFile::read(dir.file("gly.pdb"), c.pointType);
    EXPECT_EQ(molecule.name(), dir.file("gly.pdb"));
    ASSERT_EQ(molecule.size(), c.points.size()) << c.pointType;
    for (std::size_t i = 0; i < c.points.size(); ++i) EXPECT_EQ(molecule.position(i), c.points[i]);
    EXPECT_EQ(molecule.refPoint(0), c.points.front()) << c.pointType;
    EXPECT_EQ(molecule.refPoint(1), c.points.back()) << c.pointType;
  }
}

TEST_F(PointTypeTest, ZincFingersReadOneAlphaCarbonPerResidue) {
  const struct {
    const char* file;
    std::size_t residues;
  } cases[] = {{"1sp1.pdb", 29}, {"1sp2.pdb", 31}, {"3znf.pdb", 30}};
  for (const auto& c : cases) {
    const std::string path = testing_support::testData(c.file);
    AtomMolecule molecule = StructureFile::read(path, 0);
    const std::vector<ResidueRecord> expected = alphaCarbonsOf(path);
    ASSERT_EQ(molecule.size(), c.residues) << c.file;
    ASSERT_EQ(expected.size(), c.residues) << c.file;
    for (std::size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(molecule[i].chainId(), expected[i].chain) << c.file << " " << i;
      EXPECT_EQ(molecule[i].residueIndex(), expected[i].number) << c.file << " " << i;
      EXPECT_EQ(molecule[i].residueType(), kLetters.at(expected[i].name)) << c.file << " " << i;
      EXPECT_EQ(molecule.position(i), expected[i].position) << c.file << " " << i;
    }
  }
}

TEST(AtomMolecule, NoResiduesMessageNamesTheFile) {
  EXPECT_EQ(AtomMolecule::noResiduesMessage("water.pdb"), "File: water.pdb has no residues to align.");
}

TEST(AtomMoleculeDeathTest, MissingFileEndsTheRun) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  const std::string missing = testing_support::testData("no-such-structure.pdb");
  // The message goes to standard output; the child sends it to the checked stream.
  // Every point type, side-chain centroids (2) included, ends the run alike.
  for (int pointType : {0, 1, 2})
    EXPECT_EXIT(
        {
          std::cout.rdbuf(std::cerr.rdbuf());
          StructureFile::read(missing, pointType);
        },
        testing::ExitedWithCode(1), "^molecule file " + missing + " not found\n$")
        << pointType;
}
