// The order-preserving chain over admitted pairs against the full programme,
// which stays the reference: the same length, the same pairs in the same
// order, over random matrices of every density and over the admitted pairs of
// real structures placed by their own fragment-pair fits.
#include "engine/internal/OrderedChain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "RandomGeometry.h"
#include "SyntheticStructure.h"
#include "engine/FastSeqBlock.h"
#include "engine/internal/AdmittedPairs.h"
#include "engine/internal/PointSelectors.h"
#include "engine/internal/SimpleDynProg.h"
#include "structure/AtomMolecule.h"
#include "structure/StructureFile.h"

namespace {

using Pairs = std::vector<std::pair<int, int> >;

struct Outcome {
  int best;
  Pairs chain;
};

Outcome dense(int n, int m, const Pairs& admitted) {
  SimpleDynProg<bool, int> dp(n, m, false);
  for (const auto& p : admitted) dp.entry(p.first, p.second) = true;
  Outcome o{0, {}};
  dp.getBestAlignment(o.chain, o.best);
  return o;
}

Outcome sparse(OrderedChain& chain, int n, int m, const Pairs& admitted) {
  chain.clear();
  for (const auto& p : admitted) chain.add(p.first, p.second);
  Outcome o{0, {}};
  o.best = chain.solve(n, m, o.chain);
  return o;
}

void expectSame(OrderedChain& chain, int n, int m, const Pairs& admitted) {
  const Outcome want = dense(n, m, admitted);
  const Outcome got = sparse(chain, n, m, admitted);
  ASSERT_EQ(got.best, want.best);
  ASSERT_EQ(got.chain, want.chain);
}

// The full programme's own table of tie cases, and shapes that force each
// move: both agree on all of them.
TEST(OrderedChain, AgreesOnHandPickedMatrices) {
  struct Case {
    const char* name;
    int n, m;
    Pairs admitted;
  };
  const std::vector<Case> cases = {
      {"diagonal", 3, 3, {{0, 0}, {1, 1}, {2, 2}}},
      {"crossing pair", 2, 2, {{0, 1}, {1, 0}}},
      {"anti-diagonal", 3, 3, {{0, 2}, {1, 1}, {2, 0}}},
      {"up-left tie at zero", 3, 3, {{0, 1}, {1, 0}, {2, 2}}},
      {"two candidates in the last row", 2, 3, {{0, 0}, {1, 1}, {1, 2}}},
      {"full block", 4, 5, {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}, {1, 0}, {1, 1}, {1, 2}, {1, 3}, {1, 4},
                            {2, 0}, {2, 1}, {2, 2}, {2, 3}, {2, 4}, {3, 0}, {3, 1}, {3, 2}, {3, 3}, {3, 4}}},
      {"one row", 1, 6, {{0, 2}, {0, 4}}},
      {"one column", 6, 1, {{1, 0}, {4, 0}}},
      {"chain through empty rows", 7, 7, {{0, 6}, {2, 1}, {5, 3}, {6, 4}}},
      {"pair listed twice", 3, 3, {{1, 1}, {1, 1}, {2, 2}}},
      {"nothing admitted", 3, 4, {}},
      {"no rows", 0, 4, {}},
      {"no columns", 3, 0, {}},
  };
  OrderedChain chain;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    expectSame(chain, c.n, c.m, c.admitted);
  }
  Pairs out;
  chain.clear();
  chain.add(2, 3);
  EXPECT_EQ(chain.solve(4, 5, out), 1);
  EXPECT_EQ(out, (Pairs{{2, 3}}));
}

// Random matrices from nearly empty to nearly full, square and elongated, and
// band-shaped ones like those of related structures; one chain object serves
// them all, so stale buffers would show.
TEST(OrderedChain, AgreesOnRandomMatrices) {
  std::mt19937 random(20261210);
  OrderedChain chain;
  for (int trial = 0; trial < 1500; ++trial) {
    const int n = static_cast<int>(random() % 31);
    const int m = static_cast<int>(random() % 31);
    const double density = std::uniform_real_distribution<double>(0.0, 1.0)(random);
    const bool band = trial % 3 == 0;
    const int shift = static_cast<int>(random() % 7) - 3;
    Pairs admitted;
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < m; ++j) {
        if (band && std::abs(i - j - shift) > 2) continue;
        if (std::uniform_real_distribution<double>(0.0, 1.0)(random) < density) admitted.emplace_back(i, j);
      }
    std::shuffle(admitted.begin(), admitted.end(), random);
    SCOPED_TRACE(testing::Message() << "trial " << trial << ": " << n << " x " << m);
    expectSame(chain, n, m, admitted);
  }
}

Pairs admittedPairs(const AtomMolecule& a, const AtomMolecule& moved, float thr) {
  SelectorThreshold<GeomSelector> threshold(thr);
  Pairs admitted;
  forEachAdmittedPair<GeomSelector>(a, moved, thr, [&](std::size_t i, std::size_t j, bool value) {
    if (value) admitted.emplace_back(static_cast<int>(i), static_cast<int>(j));
  });
  return admitted;
}

// Admitted pairs of structures placed as the program places them: each pair
// of the bundled zinc fingers (three different proteins) superimposed by the
// fit of every fragment of six residues on every offset, at several distances,
// and a 300-residue chain against a noisy copy of itself with one loop moved.
TEST(OrderedChain, AgreesOnTheAdmittedPairsOfRealStructures) {
  const std::string data = QUORVALIN_TEST_DATA;
  std::vector<AtomMolecule> zinc;
  for (const char* name : {"1sp1.pdb", "1sp2.pdb", "3znf.pdb"}) {
    zinc.push_back(StructureFile::read(data + "/" + name, 0));
    ASSERT_GT(zinc.back().size(), 20u) << name;
  }
  OrderedChain chain;
  for (std::size_t x = 0; x < zinc.size(); ++x)
    for (std::size_t y = 0; y < zinc.size(); ++y) {
      if (x == y) continue;
      const AtomMolecule& a = zinc[x];
      const AtomMolecule& b = zinc[y];
      for (int i = 0; i + 6 <= static_cast<int>(a.size()); i += 3)
        for (int j = 0; j + 6 <= static_cast<int>(b.size()); j += 4) {
          RigidTrans3 fit;
          float rmsd = 0.0f;
          FastSeqBlock::calcRigidTrans(a, b, i, j, 6, fit, rmsd);
          AtomMolecule moved(b);
          moved *= fit;
          for (float thr : {2.0f, 3.0f, 5.0f, 8.0f}) {
            SCOPED_TRACE(testing::Message() << x << " on " << y << " at " << i << "," << j << " within " << thr);
            expectSame(chain, static_cast<int>(a.size()), static_cast<int>(b.size()), admittedPairs(a, moved, thr));
          }
        }
    }

  const std::vector<Vector3> points = testing_support::irregularChain(300, 5);
  const AtomMolecule a = testing_support::chainMolecule(points, "a");
  const AtomMolecule b = testing_support::chainMolecule(
      testing_support::movedCopy(testing_support::withLoopReplaced(points, 120, 140, 8.0f), RigidTrans3(), 0.8f, 9),
      "b");
  for (float thr : {1.0f, 2.0f, 3.0f, 4.0f, 6.0f}) {
    SCOPED_TRACE(testing::Message() << "long chains within " << thr);
    expectSame(chain, 300, 300, admittedPairs(a, b, thr));
  }
}

}  // namespace
