// Whole files, well-formed and malformed, read the way the program loads a
// structure for each "PointType".
#include <gtest/gtest.h>

#include <string>

#include "ProcessRunner.h"
#include "structure/AtomMolecule.h"
#include "structure/StructureFile.h"
#include "structure/CompleteMolecule.h"
#include "support/Log.h"
#include "support/Parameters.h"

namespace {

struct Loaded {
  std::size_t points;
  std::string out, err;
};

Loaded load(const std::string& path, int pointType) {
  Parameters::clear();
  Parameters::addParameter("PointType", pointType);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  const std::size_t points = StructureFile::read(path, pointType).size();
  Loaded loaded{points, "", ""};
  loaded.out = testing::internal::GetCapturedStdout();
  loaded.err = testing::internal::GetCapturedStderr();
  Parameters::clear();
  return loaded;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST(PDBFiles, ZincFingersGiveOnePointPerResidueForEveryPointType) {
  const struct {
    const char* file;
    std::size_t residues;
  } cases[] = {{"1sp1.pdb", 29}, {"1sp2.pdb", 31}, {"3znf.pdb", 30}};
  for (const auto& c : cases)
    for (int pointType : {0, 1, 2}) {
      Loaded loaded = load(testing_support::testData(c.file), pointType);
      EXPECT_EQ(loaded.points, c.residues) << c.file << " PointType " << pointType;
      EXPECT_EQ(loaded.err, "") << c.file << " PointType " << pointType;
    }
}

TEST(PDBFiles, MalformedAndUnusualFiles) {
  const struct {
    const char* file;
    std::size_t alpha, beta, centroid;
    const char* alphaErr;      // part of standard error with "PointType" 0
    const char* centroidOut;   // part of standard output with "PointType" 2
  } cases[] = {
      {"short_lines.pdb", 3, 3, 3, "", ""},
      {"crlf_lines.pdb", 3, 3, 3, "", ""},
      {"bad_coordinates.pdb", 1, 3, 3, "bad_coordinates.pdb:9: x coordinate is blank or not a number",
       "Error:readAA: Residue 2 has no side-chain atom and no alpha carbon, left out"},
      {"hetatm.pdb", 2, 2, 2, "", ""},
      {"altloc.pdb", 2, 2, 3, "", "Warning:readAA: Residue 2 is not complete"},
      {"insertion_codes.pdb", 5, 5, 5, "", ""},
      {"two_models.pdb", 3, 3, 3, "", ""},
      {"no_side_chain.pdb", 2, 1, 2, "", "Error:readAA: Residue 2 default:3.8 0.5 0.2"},
      {"no_atoms.pdb", 0, 0, 0, "", ""},
      {"empty.pdb", 0, 0, 0, "", ""},
      {"binary.pdb", 0, 0, 0, "", ""},
  };
  for (const auto& c : cases) {
    const std::string path = testing_support::testData(c.file);
    Loaded alpha = load(path, 0);
    Loaded beta = load(path, 1);
    Loaded centroid = load(path, 2);
    EXPECT_EQ(alpha.points, c.alpha) << c.file;
    EXPECT_EQ(beta.points, c.beta) << c.file;
    EXPECT_EQ(centroid.points, c.centroid) << c.file;
    EXPECT_TRUE(contains(alpha.err, c.alphaErr)) << c.file << ": " << alpha.err;
    EXPECT_TRUE(contains(centroid.out, c.centroidOut)) << c.file << ": " << centroid.out;
    if (!*c.alphaErr) {
      EXPECT_EQ(alpha.err, "") << c.file;
    }
    if (!*c.centroidOut) {
      EXPECT_EQ(centroid.out, "") << c.file;
    }
  }
}

TEST(PDBFiles, BadCoordinatesAreReportedWithTheirLines) {
  Loaded alpha = load(testing_support::testData("bad_coordinates.pdb"), 0);
  const std::string path = testing_support::testData("bad_coordinates.pdb");
  EXPECT_EQ(alpha.err, path + ":9: x coordinate is blank or not a number; ATOM record skipped\n" + path +
                           ":13: y coordinate is blank or not a number; ATOM record skipped\n" + path +
                           ":19: z coordinate is blank or not a number; ATOM record skipped\n");
}

TEST(PDBFiles, DirectoryGivesNoPoints) {
  testing_support::TempDir dir;
  EXPECT_EQ(load(dir.path(), 0).points, 0u);
  EXPECT_EQ(load(dir.path(), 2).points, 0u);
}
