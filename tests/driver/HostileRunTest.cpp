// Runs of the quorvalin binary under hostile settings, input and conditions:
// each ends with its result files whole, or with a message and status 1.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ProcessRunner.h"
#include "SyntheticStructure.h"

namespace {

using testing_support::ProcessResult;
using testing_support::TempDir;
using testing_support::irregularChain;
using testing_support::movedCopy;
using testing_support::randomRigidMotion;
using testing_support::runProcess;

// The PDB text of a chain with the x field (columns 31-38) of residue `at`'s
// alpha carbon replaced by `x`.
std::string withCoordinate(const std::vector<Vector3>& chain, std::size_t at, const std::string& x) {
  std::string text = testing_support::pdbText(chain);
  std::size_t line = 0;
  for (std::size_t k = 0; k < text.size(); k = text.find('\n', k) + 1) {
    if (text.compare(k + 12, 4, " CA ") != 0) continue;
    if (line++ == at) {
      text.replace(k + 30, 8, std::string(8 - x.size(), ' ') + x);
      break;
    }
  }
  return text;
}

class HostileRun : public ::testing::Test {
 protected:
  // Three related chains, the second moved, the third with residue 7 replaced
  // by the given x coordinate when one is given.
  std::vector<std::string> structures(const std::string& outlierX = "") {
    const std::vector<Vector3> chain = irregularChain(30, 21);
    dir->write("a.pdb", testing_support::pdbText(chain));
    dir->write("b.pdb", testing_support::pdbText(movedCopy(chain, randomRigidMotion(5), 0.3f, 1)));
    dir->write("c.pdb", outlierX.empty() ? testing_support::pdbText(chain) : withCoordinate(chain, 7, outlierX));
    return {"a.pdb", "b.pdb", "c.pdb"};
  }

  ProcessResult run(const std::vector<std::string>& files, const std::string& params) {
    dir->write("params.txt", params);
    std::vector<std::string> argv = {QUORVALIN_BINARY};
    argv.insert(argv.end(), files.begin(), files.end());
    return runProcess(argv, dir->path());
  }

  std::unique_ptr<TempDir> dir{new TempDir};
};

// Settings and coordinates that once overflowed an index or made the grid hash
// allocate a dense range of cells between far-apart points: each run ends
// normally with whole result files.
TEST_F(HostileRun, ExtremeSizesAndCoordinatesRunToTheEnd) {
  const struct {
    const char* params;
    const char* outlierX;
    bool solutions;  // whether any solution is found
  } cases[] = {
      {"SeqBlockMinSize 99999999999\n", "", false},
      {"SeqBlockMinSize 2147483647\n", "", false},
      {"ExtThr 1e-30\n", "", true},
      {"ExtThr 1e-6\n", "", true},
      {"SeqBlockRMSDthr 1e-30\nOnlyScoring 1\n", "", true},
      {"", "1e10", true},
      {"", "-1e8", true},
      {"ExtThr 1e-6\n", "1e7", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.params) + " x=" + c.outlierX);
    dir.reset(new TempDir);
    ProcessResult r = run(structures(c.outlierX), c.params);
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.find("Num Of Mols:") != std::string::npos, c.solutions) << r.out;
    EXPECT_NE(dir->read("log_quorvalin.txt").find("Overall Run Time"), std::string::npos);
  }
}

}  // namespace
