// End-to-end start-up of the quorvalin binary: console lines, exit status and
// the parameter block of the run log.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "ProcessRunner.h"

namespace {

using testing_support::ProcessResult;
using testing_support::TempDir;
using testing_support::runProcess;
using testing_support::testData;

const char* const kHeader = "########### Program Parameters ##################\n";
const char* const kFooter = "#################################################\n";

// The default table in byte order of the key, "ExtThr" included.
const std::vector<std::string> kDefaultEntries = {
    "BioCore\t(Int)\t3",
    "BioCoreRadius\t(Float)\t3",
    "ChainEq\t(Int)\t0",
    "ClusterSeqBlockRMSDthr\t(Float)\t-1",
    "ContFragmentMatch\t(Int)\t0",
    "ExtIterations\t(Int)\t3",
    "ExtThr\t(Float)\t3",
    "FullSet\t(Int)\t1",
    "IJStep\t(Int)\t1",
    "IJshift\t(Int)\t10000",
    "MaxDels\t(Int)\t350",
    "MaxIns\t(Int)\t350",
    "MaxRFP\t(Int)\t4500",
    "OnlyRefMol\t(Int)\t0",
    "OnlyScoring\t(Int)\t0",
    "PointType\t(Int)\t0",
    "PrintHits\t(Int)\t0",
    "ResNum\t(Int)\t100",
    "ResNumPrint\t(Int)\t10",
    "RobustFPClustering\t(Int)\t0",
    "Scoring\t(Int)\t0",
    "SeqBlockMinSize\t(Int)\t10",
    "SeqBlockOverlapRatio\t(Float)\t0.8",
    "SeqBlockRMSDthr\t(Float)\t3",
    "SeqOrder\t(Int)\t1",
    "Step\t(Int)\t1",
    "TransEqualRMSD\t(Float)\t4",
    "bvResNum\t(Int)\t3",
};

ProcessResult runIn(const TempDir& dir, std::vector<std::string> files) {
  std::vector<std::string> argv = {QUORVALIN_BINARY};
  for (auto& f : files) argv.push_back(f);
  return runProcess(argv, dir.path());
}

std::vector<std::string> zincFingers() { return {testData("1sp1.pdb"), testData("1sp2.pdb")}; }

// The entries between the header and the footer of the run log.
std::vector<std::string> parameterBlock(const std::string& log) {
  std::vector<std::string> entries;
  if (log.compare(0, std::string(kHeader).size(), kHeader) != 0) return {"<no header>"};
  size_t pos = std::string(kHeader).size();
  for (;;) {
    size_t end = log.find('\n', pos);
    if (end == std::string::npos) return entries;
    std::string line = log.substr(pos, end - pos);
    if (line + "\n" == kFooter) return entries;
    entries.push_back(line);
    pos = end + 1;
  }
}

std::vector<std::string> withChanges(std::vector<std::string> entries,
                                     const std::vector<std::pair<std::string, std::string>>& changes) {
  for (const auto& change : changes) {
    bool replaced = false;
    for (auto& e : entries)
      if (e.compare(0, change.first.size() + 1, change.first + "\t") == 0) {
        e = change.second;
        replaced = true;
      }
    if (!replaced) {
      entries.push_back(change.second);
      std::sort(entries.begin(), entries.end());
    }
  }
  return entries;
}

TEST(Startup, UsageWithTooFewFiles) {
  for (size_t count : {0u, 1u}) {
    TempDir dir;
    dir.write("log_quorvalin.txt", "left over from an earlier run\n");
    std::vector<std::string> files;
    if (count == 1) files.push_back(testData("1sp1.pdb"));
    ProcessResult r = runIn(dir, files);
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.out, std::string("Version 1.93\nUsage: ") + QUORVALIN_BINARY + " pdb1 pdb2 ...\n");
    EXPECT_EQ(dir.read("log_quorvalin.txt"), "");  // truncated before main runs
  }
}

TEST(Startup, DefaultParameterTable) {
  TempDir dir;
  ProcessResult r = runIn(dir, zincFingers());
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, 13), "Version 1.93\n");
  std::string log = dir.read("log_quorvalin.txt");
  EXPECT_EQ(parameterBlock(log), kDefaultEntries);
  EXPECT_EQ(log.find(kHeader), 0u);
  EXPECT_NE(log.find(kFooter), std::string::npos);
  EXPECT_EQ(std::string(kHeader).size(), 50u);
}

struct ParamsCase {
  const char* name;
  const char* paramsTxt;
  std::vector<std::pair<std::string, std::string>> changes;
};

TEST(Startup, ParamsFileCases) {
  const ParamsCase cases[] = {
      {"comments and blanks", "# a comment\n   # indented comment\n\n  ResNum \t 7  \n",
       {{"ResNum", "ResNum\t(Int)\t7"}}},
      {"unknown key", "Colour blue  green\n", {{"Colour", "Colour\t(Str)\tblue  green"}}},
      {"ExtThr -1 behaves as absent", "ExtThr -1\n", {}},
      {"ExtThr 2.5 stays text", "ExtThr 2.5\n", {{"ExtThr", "ExtThr\t(Str)\t2.5"}}},
      {"ExtThr follows SeqBlockRMSDthr", "SeqBlockRMSDthr 2.5\n",
       {{"SeqBlockRMSDthr", "SeqBlockRMSDthr\t(Float)\t2.5"}, {"ExtThr", "ExtThr\t(Float)\t2.5"}}},
      {"OnlyScoring 1 forces a single pass",
       "OnlyScoring 1\nOnlyRefMol 0\nExtIterations 5\n",
       {{"OnlyScoring", "OnlyScoring\t(Int)\t1"},
        {"OnlyRefMol", "OnlyRefMol\t(Int)\t1"},
        {"ExtIterations", "ExtIterations\t(Int)\t1"}}},
      {"OnlyScoring 2 changes nothing else", "OnlyScoring 2\nExtIterations 5\n",
       {{"OnlyScoring", "OnlyScoring\t(Int)\t2"}, {"ExtIterations", "ExtIterations\t(Int)\t5"}}},
      {"keys are case-sensitive", "resnum 5\n", {{"resnum", "resnum\t(Str)\t5"}}},
      {"clamped to 32 bits", "ResNum 99999999999\n", {{"ResNum", "ResNum\t(Int)\t2147483647"}}},
      {"CRLF line ends", "ResNum 7\r\nBioCoreRadius 2.5\r\n",
       {{"ResNum", "ResNum\t(Int)\t7"}, {"BioCoreRadius", "BioCoreRadius\t(Float)\t2.5"}}},
      {"log-only keys", "MaxIns 1\nMaxDels 2\nStep 3\nIJStep 4\nMaxRFP 5\nClusterSeqBlockRMSDthr 6\n",
       {{"MaxIns", "MaxIns\t(Int)\t1"},
        {"MaxDels", "MaxDels\t(Int)\t2"},
        {"Step", "Step\t(Int)\t3"},
        {"IJStep", "IJStep\t(Int)\t4"},
        {"MaxRFP", "MaxRFP\t(Int)\t5"},
        {"ClusterSeqBlockRMSDthr", "ClusterSeqBlockRMSDthr\t(Float)\t6"}}},
      {"later line wins", "ResNum 5\nResNum 9\n", {{"ResNum", "ResNum\t(Int)\t9"}}},
      {"Scoring 1 ignores BioCore", "Scoring 1\nBioCore 4\n",
       {{"Scoring", "Scoring\t(Int)\t1"}, {"BioCore", "BioCore\t(Int)\t4"}}},
  };
  for (const ParamsCase& c : cases) {
    TempDir dir;
    dir.write("params.txt", c.paramsTxt);
    ProcessResult r = runIn(dir, zincFingers());
    EXPECT_EQ(r.exitStatus, 0) << c.name << "\n" << r.err;
    EXPECT_EQ(parameterBlock(dir.read("log_quorvalin.txt")), withChanges(kDefaultEntries, c.changes)) << c.name;
  }
}

struct InvalidCase {
  const char* paramsTxt;
  const char* key;         // the key refused, shown as written in the logged table
  const char* stderrText;  // also the last line of the run log
};

// The refusals kept: each value would crash, hang, overflow or divide by zero.
TEST(Startup, InvalidValuesAreRefused) {
  const InvalidCase cases[] = {
      {"SeqBlockRMSDthr 0\n", "SeqBlockRMSDthr",
       "Invalid value of parameter SeqBlockRMSDthr: 0 (must be a positive number)\n"},
      {"SeqBlockRMSDthr -2\n", "SeqBlockRMSDthr",
       "Invalid value of parameter SeqBlockRMSDthr: -2 (must be a positive number)\n"},
      {"SeqBlockRMSDthr nan\n", "SeqBlockRMSDthr",
       "Invalid value of parameter SeqBlockRMSDthr: nan (must be a positive number)\n"},
      {"SeqBlockRMSDthr inf\n", "SeqBlockRMSDthr",
       "Invalid value of parameter SeqBlockRMSDthr: inf (must be a positive number)\n"},
      {"SeqBlockRMSDthr abc\n", "SeqBlockRMSDthr",
       "Invalid value of parameter SeqBlockRMSDthr: abc (must be a positive number)\n"},
      {"ExtThr abc\n", "ExtThr",
       "Invalid value of parameter ExtThr: abc (must be a positive number, or -1 for the value of SeqBlockRMSDthr)\n"},
      {"ExtThr 0\n", "ExtThr",
       "Invalid value of parameter ExtThr: 0 (must be a positive number, or -1 for the value of SeqBlockRMSDthr)\n"},
      {"ExtThr -3\n", "ExtThr",
       "Invalid value of parameter ExtThr: -3 (must be a positive number, or -1 for the value of SeqBlockRMSDthr)\n"},
      {"SeqBlockMinSize 2\n", "SeqBlockMinSize", "Invalid value of parameter SeqBlockMinSize: 2 (must be at least 3)\n"},
      {"ResNum 0\n", "ResNum", "Invalid value of parameter ResNum: 0 (must be at least 1)\n"},
      {"ResNum abc\n", "ResNum", "Invalid value of parameter ResNum: abc (must be at least 1)\n"},
      {"bvResNum -1\n", "bvResNum", "Invalid value of parameter bvResNum: -1 (must be at least 1)\n"},
      {"bvResNum 0x10\n", "bvResNum", "Invalid value of parameter bvResNum: 0x10 (must be at least 1)\n"},
      {"Scoring 7\n", "Scoring", "Scoring undefined value:7\n"},
      {"Scoring -1\n", "Scoring", "Scoring undefined value:-1\n"},
      {"ChainEq 1\nScoring 9\n", "Scoring", "Scoring undefined value:9\n"},  // read by the ordered correspondence
      {"SeqOrder 2\n", "SeqOrder", "SeqOrder undefined value:2\n"},
  };
  for (const InvalidCase& c : cases) {
    TempDir dir;
    dir.write("params.txt", c.paramsTxt);
    ProcessResult r = runIn(dir, zincFingers());
    EXPECT_EQ(r.exitStatus, 1) << c.paramsTxt;
    EXPECT_EQ(r.err, c.stderrText) << c.paramsTxt;
    EXPECT_EQ(r.out, "Version 1.93\n") << c.paramsTxt;
    // The log: the table, the refused value as written, then the message.
    const std::string log = dir.read("log_quorvalin.txt");
    const std::vector<std::string> table = parameterBlock(log);
    const std::string written = std::string(c.paramsTxt).substr(std::string(c.paramsTxt).rfind(c.key));
    const std::string shown = written.substr(std::string(c.key).size() + 1, written.size() - std::string(c.key).size() - 2);
    bool found = false;
    for (const std::string& entry : table)
      if (entry.compare(0, std::string(c.key).size() + 1, std::string(c.key) + "\t") == 0)
        found = entry.substr(entry.rfind('\t') + 1) == shown;
    EXPECT_TRUE(found) << c.paramsTxt << log;
    EXPECT_GE(log.size(), std::string(c.stderrText).size());
    EXPECT_EQ(log.substr(log.size() - std::string(c.stderrText).size()), c.stderrText) << log;
  }
}

// Values the run carries out as described, once refused at start-up.
TEST(Startup, BoundaryValuesAreAccepted) {
  // "SeqOrder" 0 without refinement: only start-up's acceptance of the value
  // is at stake here, not the matching that the refinement would run.
  for (const char* params :
       {"SeqBlockMinSize 3\n", "SeqBlockOverlapRatio 1\n", "ResNumPrint 0\n", "ResNum 1\nbvResNum 1\n",
        "ExtThr 0.5\n", "SeqOrder 0\nExtIterations 0\n", "Scoring 3\n", "TransEqualRMSD 0\n",
        "SeqBlockOverlapRatio 0\n", "SeqBlockOverlapRatio 1.5\n", "SeqBlockOverlapRatio -1\n", "ResNumPrint -1\n",
        "ChainEq 1\nSeqOrder 0\nScoring 7\n"}) {
    TempDir dir;
    dir.write("params.txt", params);
    ProcessResult r = runIn(dir, zincFingers());
    EXPECT_EQ(r.exitStatus, 0) << params << r.err;
    EXPECT_EQ(r.err, "") << params;
  }
}

// Header-only result files when no solution is to be printed.
TEST(Startup, NoSolutionsPrintedGivesHeaderOnlyFiles) {
  for (const char* params : {"ResNumPrint 0\n", "ResNumPrint -3\n"}) {
    TempDir dir;
    dir.write("params.txt", params);
    ProcessResult r = runIn(dir, zincFingers());
    ASSERT_EQ(r.exitStatus, 0) << params << r.err;
    const std::string file = dir.read("2_sol.res");
    EXPECT_EQ(file.find("Solution Num"), std::string::npos) << params;
    EXPECT_EQ(file.rfind("Molecules: \n", 0), 0u) << params;
  }
}

TEST(Startup, UnwritableRunLogIsAnError) {
  TempDir dir;
  ASSERT_EQ(mkdir(dir.file("log_quorvalin.txt").c_str(), 0755), 0);  // a directory cannot be opened as a file
  ProcessResult r = runIn(dir, zincFingers());
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_NE(r.err.find("log_quorvalin.txt"), std::string::npos) << r.err;
}

}  // namespace

namespace {

TEST(Startup, GraphLibraryStartsAndStopsWithEveryRun) {
  TempDir dir;
  std::vector<std::string> argv = {QUORVALIN_BINARY, testData("1sp1.pdb"), testData("1sp2.pdb")};
  ProcessResult clean = runProcess(argv, dir.path(), {{"GRAPHLIB_INIT", "show_memory_leaks"}});
  EXPECT_EQ(clean.exitStatus, 0);
  EXPECT_EQ(clean.err, "");  // everything freed: the leak report is empty

  ProcessResult slots =
      runProcess(argv, dir.path(), {{"GRAPHLIB_NODE_DATA", "2"}, {"GRAPHLIB_EDGE_DATA", "1"}});
  EXPECT_EQ(slots.exitStatus, 0);
  EXPECT_EQ(slots.err, "\nnode_data_slots = 2\nedge_data_slots = 1\n\n");
}

}  // namespace
