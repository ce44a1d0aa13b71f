#include "driver/Loading.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "ProcessRunner.h"
#include "SyntheticStructure.h"
#include "structure/AtomMolecule.h"
#include "support/Parameters.h"

namespace {

using testing_support::TempDir;
using testing_support::testData;

class LoadingTest : public ::testing::Test {
 protected:
  void SetUp() override { Parameters::clear(); }
  void TearDown() override {
    for (AtomMolecule* m : mols) delete m;
    Parameters::clear();
  }
  std::vector<AtomMolecule*> mols;
  std::ostringstream log;
  std::ostringstream out;
};

TEST_F(LoadingTest, EveryFileIsCheckedBeforeAnyIsRead) {
  const std::vector<std::string> names = {testData("1sp1.pdb"), "b.pdb", "missing-too.pdb"};
  EXPECT_FALSE(Loading::checkFiles(names, log, out));
  EXPECT_EQ(log.str(), "File: b.pdb doesn't exist.\n");
  EXPECT_EQ(out.str(), "File: b.pdb doesn't exist.\n");
}

TEST_F(LoadingTest, ReadableFilesPassSilently) {
  EXPECT_TRUE(Loading::checkFiles({testData("1sp1.pdb"), testData("1sp1.pdb"), testData("empty.pdb")}, log, out));
  EXPECT_EQ(log.str() + out.str(), "");
}

TEST_F(LoadingTest, SizeLinesInCommandLineOrder) {
  TempDir dir;
  dir.write("forty.pdb", testing_support::pdbText(testing_support::irregularChain(40, 2)));
  const std::vector<std::string> names = {dir.file("forty.pdb"), testData("1sp1.pdb"), dir.file("forty.pdb")};
  ASSERT_TRUE(Loading::loadStructures(names, mols, log, out));
  const std::string expected = "Molecule " + names[0] + " size : 40\nMolecule " + names[1] + " size : " +
                               std::to_string(mols[1]->size()) + "\nMolecule " + names[0] + " size : 40\n";
  EXPECT_EQ(log.str(), expected);
  EXPECT_EQ(out.str(), expected);
  ASSERT_EQ(mols.size(), 3u);
  EXPECT_EQ(mols[0]->name(), names[0]);
  EXPECT_EQ(mols[2]->name(), names[0]);
  EXPECT_NE(mols[0], mols[2]);  // a file named twice gives two structures
  EXPECT_GT(mols[1]->size(), 20u);
}

TEST_F(LoadingTest, PointTypeChoosesTheReader) {
  TempDir dir;
  const std::vector<Vector3> chain = testing_support::irregularChain(12, 4);
  dir.write("chain.pdb", testing_support::pdbText(chain, "AGAGAGAGAGAG"));
  for (int pointType : {0, 1, 2}) {
    Parameters::addParameter("PointType", pointType);
    std::vector<AtomMolecule*> loaded;
    ASSERT_TRUE(Loading::loadStructures({dir.file("chain.pdb")}, loaded, log, out));
    ASSERT_EQ(loaded[0]->size(), 12u);
    // Residue 0 is alanine: its beta carbon (PointType 1) is its side-chain
    // centroid too (PointType 2); glycine keeps its alpha carbon throughout.
    const float shift = std::sqrt(dist2(loaded[0]->position(0), chain[0]));
    if (pointType == 0)
      EXPECT_LT(shift, 1e-3f);
    else
      EXPECT_NEAR(shift, 1.53f, 1e-2f) << pointType;
    EXPECT_LT(std::sqrt(dist2(loaded[0]->position(1), chain[1])), 1e-3f) << pointType;
    for (AtomMolecule* m : loaded) delete m;
  }
}

TEST_F(LoadingTest, AStructureWithoutResiduesStopsTheRun) {
  for (const char* file : {"no_atoms.pdb", "empty.pdb"}) {
    std::ostringstream fileLog, fileOut;
    std::vector<AtomMolecule*> loaded;
    const std::vector<std::string> names = {testData("1sp1.pdb"), testData(file), testData("1sp2.pdb")};
    EXPECT_FALSE(Loading::loadStructures(names, loaded, fileLog, fileOut));
    const std::string message = AtomMolecule::noResiduesMessage(names[1]) + "\n";
    const std::string first = "Molecule " + names[0] + " size : " + std::to_string(loaded[0]->size()) + "\n";
    EXPECT_EQ(fileLog.str(), first + message);
    EXPECT_EQ(fileOut.str(), first + message);
    EXPECT_EQ(loaded.size(), 2u);  // the third file is never read
    for (AtomMolecule* m : loaded) delete m;
  }
}

}  // namespace
