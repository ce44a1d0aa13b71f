// Timing of the two residue correspondences on structures of 300 residues.
// Disabled in the test runs (timings are meaningless in sanitized or loaded
// builds); scripts/time-correspondence.sh runs it on the optimised build.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "SeedTestSupport.h"
#include "SyntheticStructure.h"
#include "engine/internal/BipartiteCorrespondence.h"
#include "engine/internal/PointSelectors.h"
#include "engine/internal/SeqOrderedCorrespondence.h"
#include "structure/FMatch.h"

namespace {

using testing_support::Structures;
using testing_support::irregularChain;
using testing_support::movedCopy;
using testing_support::randomRigidMotion;

// Best time per call over five batches, in microseconds.
template <class F>
double microsecondsPerCall(F f, int calls) {
  double best = 1e300;
  for (int batch = 0; batch < 5; ++batch) {
    const auto start = std::chrono::steady_clock::now();
    for (int k = 0; k < calls; ++k) f();
    const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
    best = std::min(best, spent.count() / calls);
  }
  return best;
}

TEST(DISABLED_CorrespondenceTiming, MatchingAgainstOrderPreserving) {
  struct Case {
    const char* what;
    std::vector<Vector3> a, b;
    float thr;
  };
  const std::vector<Vector3> chain = irregularChain(300, 17);
  const std::vector<Case> cases = {
      {"same chain, noise 0.5, thr 3", chain, movedCopy(chain, RigidTrans3(), 0.5f, 3), 3.0f},
      {"same chain, noise 1.0, thr 6", chain, movedCopy(chain, RigidTrans3(), 1.0f, 4), 6.0f},
      {"unrelated chains, thr 3", chain, movedCopy(irregularChain(300, 18), RigidTrans3()), 3.0f},
  };
  std::printf("%-32s %7s %7s %12s %12s %6s\n", "case", "pairs", "(DP)", "matching us", "ordered us", "ratio");
  for (const Case& c : cases) {
    Structures s;
    s.add(c.a);
    s.add(c.b);
    std::size_t byMatching = 0, byOrder = 0;
    const double matching = microsecondsPerCall(
        [&] { byMatching = getCorrespondance<FMatch, AtomMolecule, GeomSelector>(s[0], s[1], c.thr).size(); }, 50);
    const double ordered = microsecondsPerCall(
        [&] { byOrder = getSeqOrderedCorrespondance<FMatch, AtomMolecule, GeomSelector>(s[0], s[1], c.thr).size(); },
        50);
    std::printf("%-32s %7zu %7zu %12.1f %12.1f %6.2f\n", c.what, byMatching, byOrder, matching, ordered,
                matching / ordered);
    EXPECT_GE(byMatching, byOrder) << c.what;
    EXPECT_LT(matching, 4.0 * ordered) << c.what;
  }
}

}  // namespace
