#include "driver/EngineSettings.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ExitCapture.h"
#include "ProcessRunner.h"
#include "driver/Configuration.h"
#include "engine/FastSeqBlock.h"
#include "structure/AminoAcidType.h"
#include "structure/AtomMolecule.h"
#include "support/Parameters.h"

namespace {

using testing_support::ProcessResult;
using testing_support::TempDir;
using testing_support::runProcess;
using testing_support::testData;

// The registered defaults, then the changes of one case, as start-up has them.
class EngineSettingsTest : public testing::Test {
 protected:
  void SetUp() override {
    Parameters::clear();
    Configuration::registerDefaults();
    m_state = AminoAcidType::m_state;
    m_thr = AtomMolecule::st_fThr;
    m_rmsd = FastSeqBlock::m_fRMSDthr;
    m_ratio = FastSeqBlock::m_fOverlapRatio;
  }
  void TearDown() override {
    dropClassification();
    AminoAcidType::m_state = m_state;
    AtomMolecule::st_fThr = m_thr;
    FastSeqBlock::m_fRMSDthr = m_rmsd;
    FastSeqBlock::m_fOverlapRatio = m_ratio;
    Parameters::clear();
  }

  // Start-up makes the classification once for the whole run; the tests make
  // one per case.
  void dropClassification() {
    if (AminoAcidType::m_state != m_state) delete AminoAcidType::m_state;
    AminoAcidType::m_state = m_state;
  }

  AminoAcidType* m_state = nullptr;
  float m_thr = 0.0f, m_rmsd = 0.0f, m_ratio = 0.0f;
};

TEST_F(EngineSettingsTest, FragmentThresholdsComeFromTheTable) {
  Parameters::addParameter("SeqBlockRMSDthr", 2.5);
  Parameters::addParameter("SeqBlockOverlapRatio", 0.6);
  EngineSettings::apply();
  EXPECT_EQ(FastSeqBlock::m_fRMSDthr, 2.5f);
  EXPECT_EQ(FastSeqBlock::m_fOverlapRatio, 0.6f);
}

TEST_F(EngineSettingsTest, TransformationThresholdIsThreeTimesTheSquare) {
  const std::pair<double, float> cases[] = {{4.0, 48.0f}, {0.5, 0.75f}, {0.0, 0.0f}, {0.3, 0.27f}};
  for (const auto& c : cases) {
    Parameters::addParameter("TransEqualRMSD", c.first);
    EngineSettings::apply();
    EXPECT_EQ(AtomMolecule::st_fThr, c.second) << c.first;
  }
}

TEST_F(EngineSettingsTest, ClassificationOnlyForBioCoreScoring) {
  Parameters::addParameter("Scoring", 1);
  Parameters::addParameter("BioCore", 4);
  EngineSettings::apply();
  EXPECT_EQ(AminoAcidType::m_state, m_state);
}

TEST_F(EngineSettingsTest, BioCoreChoosesTheClassification) {
  struct Case {
    int bioCore;
    bool dkEquivalent;
    bool deEquivalent;
    bool kkEquivalent;
  };
  // HHAG groups D with K; HPMPAG D with E only; the equality classes neither.
  const Case cases[] = {{3, true, true, true}, {2, false, true, true}, {1, false, false, true}};
  Parameters::addParameter("Scoring", 2);
  for (const Case& c : cases) {
    Parameters::addParameter("BioCore", c.bioCore);
    EngineSettings::apply();
    ASSERT_NE(AminoAcidType::m_state, nullptr);
    EXPECT_EQ(AminoAcidType::m_state->equivalent('D', 'K'), c.dkEquivalent) << c.bioCore;
    EXPECT_EQ(AminoAcidType::m_state->equivalent('D', 'E'), c.deEquivalent) << c.bioCore;
    EXPECT_EQ(AminoAcidType::m_state->equivalent('K', 'K'), c.kkEquivalent) << c.bioCore;
    dropClassification();
  }
}

TEST_F(EngineSettingsTest, DefaultBioCoreIsHhag) {
  Parameters::addParameter("Scoring", 2);
  EngineSettings::apply();
  ASSERT_NE(AminoAcidType::m_state, nullptr);
  EXPECT_TRUE(AminoAcidType::m_state->equivalent('D', 'K'));
  EXPECT_FALSE(AminoAcidType::m_state->equivalent('D', 'A'));
}

using EngineSettingsDeathTest = EngineSettingsTest;

TEST_F(EngineSettingsDeathTest, IllegalBioCoreEndsTheRunWithoutALineEnd) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  Parameters::addParameter("Scoring", 2);
  Parameters::addParameter("BioCore", 4);
  EXPECT_EXIT(
      {
        std::cout.rdbuf(std::cerr.rdbuf());
        EngineSettings::apply();
      },
      testing::ExitedWithCode(1), "^Program parameter BioCore has not a legal value: 4$");
}

// Another thread ending the run already: the check waits without a word.
TEST_F(EngineSettingsDeathTest, IllegalBioCoreWhileAnotherThreadEndsTheRunSaysNothing) {
  Parameters::addParameter("Scoring", 2);
  Parameters::addParameter("BioCore", 4);
  EXPECT_EXIT(
      {
        std::cout.rdbuf(std::cerr.rdbuf());
        testing_support::endElsewhereWhile([] { EngineSettings::apply(); });
      },
      testing::ExitedWithCode(1), "^ended elsewhere\n$");
}

// A start-up stop in the engine settings comes after the parameter table is
// logged: the run log holds the table, then the message. A class file that is
// missing cannot be opened; a folder or an endless device opens but cannot be
// read as a text file.
TEST(EngineSettingsRun, StopsAreLoggedAfterTheTable) {
  const struct {
    const char* name;
    const char* params;
    const char* biocore;  // "folder", "device" or "" for none
    const char* console;  // after the version line; the BioCore message has no line end
    const char* logged;   // the run log's last line
  } cases[] = {
      {"missing class file", "Scoring 2\nBioCore 0\n", "", "Can't open file biocore.in\n",
       "Can't open file biocore.in\n"},
      {"class file a folder", "Scoring 2\nBioCore 0\n", "folder", "Can't read file biocore.in\n",
       "Can't read file biocore.in\n"},
      {"class file a device", "Scoring 2\nBioCore 0\n", "device", "Can't read file biocore.in\n",
       "Can't read file biocore.in\n"},
      {"BioCore 4", "Scoring 2\nBioCore 4\n", "", "Program parameter BioCore has not a legal value: 4",
       "Program parameter BioCore has not a legal value: 4\n"},
      {"BioCore -1", "Scoring 2\nBioCore -1\n", "", "Program parameter BioCore has not a legal value: -1",
       "Program parameter BioCore has not a legal value: -1\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    dir.write("params.txt", c.params);
    if (std::string(c.biocore) == "folder") {
      ASSERT_EQ(mkdir(dir.file("biocore.in").c_str(), 0755), 0);
    }
    if (std::string(c.biocore) == "device") {
      ASSERT_EQ(symlink("/dev/zero", dir.file("biocore.in").c_str()), 0);
    }
    ProcessResult r = runProcess({QUORVALIN_BINARY, testData("1sp1.pdb"), testData("1sp2.pdb")}, dir.path());
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.out, std::string("Version 1.93\n") + c.console);
    const std::string log = dir.read("log_quorvalin.txt");
    EXPECT_EQ(log.rfind("########### Program Parameters ##################\n", 0), 0u) << log;
    EXPECT_NE(log.find(std::string("\n#################################################\n") + c.logged), std::string::npos)
        << log;
    const std::string tail = c.logged;
    ASSERT_GE(log.size(), tail.size());
    EXPECT_EQ(log.substr(log.size() - tail.size()), tail) << log;
    EXPECT_FALSE(dir.exists("2_sol.res"));
  }
}

TEST(EngineSettingsRun, BioCoreIsNotReadForOtherScorings) {
  TempDir dir;
  dir.write("params.txt", "Scoring 1\nBioCore 4\n");
  ProcessResult r = runProcess({QUORVALIN_BINARY, testData("1sp1.pdb"), testData("1sp2.pdb")}, dir.path());
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.err, "");
}

}  // namespace
