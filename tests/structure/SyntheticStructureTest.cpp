// The shared synthetic-structure helper gives what its header promises.
#include "SyntheticStructure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

using namespace testing_support;

namespace {

double distance(const Vector3& a, const Vector3& b) { return std::sqrt(dist2(a, b)); }

}  // namespace

TEST(SyntheticStructure, IrregularChainIsProteinLike) {
  const std::vector<Vector3> chain = irregularChain(80, 3);
  ASSERT_EQ(chain.size(), 80u);
  for (std::size_t i = 1; i < chain.size(); ++i) EXPECT_NEAR(distance(chain[i - 1], chain[i]), 3.8, 1e-4) << i;
  for (std::size_t i = 0; i < chain.size(); ++i)
    for (std::size_t j = i + 2; j < chain.size(); ++j) EXPECT_GT(distance(chain[i], chain[j]), 3.99) << i << " " << j;
  EXPECT_EQ(irregularChain(80, 3), chain);
  EXPECT_NE(irregularChain(80, 4), chain);
}

TEST(SyntheticStructure, RandomMotionIsRigid) {
  for (unsigned seed = 1; seed <= 20; ++seed) {
    const RigidTrans3 motion = randomRigidMotion(seed);
    const Matrix3& r = motion.rotation();
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) {
        double d = 0;
        for (int k = 0; k < 3; ++k) d += static_cast<double>(r(i, k)) * r(j, k);
        EXPECT_NEAR(d, i == j ? 1.0 : 0.0, 1e-6) << seed;
      }
    EXPECT_NEAR(r.determinant(), 1.0f, 1e-5) << seed;
    for (int k = 0; k < 3; ++k) EXPECT_LE(std::fabs(motion.translation()[k]), 20.0f);
  }
}

TEST(SyntheticStructure, MovedCopies) {
  const std::vector<Vector3> chain = irregularChain(200, 8);
  const RigidTrans3 motion = randomRigidMotion(2);
  const std::vector<Vector3> exact = movedCopy(chain, motion);
  for (std::size_t i = 0; i < chain.size(); ++i) EXPECT_EQ(exact[i], motion * chain[i]);
  const std::vector<Vector3> noisy = movedCopy(chain, motion, 0.5f, 6);
  double sum = 0;
  for (std::size_t i = 0; i < chain.size(); ++i) sum += dist2(noisy[i], exact[i]);
  // The mean squared displacement of three N(0, 0.5) coordinates is 0.75.
  EXPECT_NEAR(sum / chain.size(), 0.75, 0.15);
}

TEST(SyntheticStructure, LoopReplacement) {
  const std::vector<Vector3> chain = irregularChain(40, 12);
  const std::vector<Vector3> changed = withLoopReplaced(chain, 15, 21, 8.0f);
  for (int i = 0; i < 40; ++i) {
    if (i < 15 || i > 21)
      EXPECT_EQ(changed[i], chain[i]) << i;
    else
      EXPECT_GT(distance(changed[i], chain[i]), 2.0) << i;
  }
  EXPECT_NEAR(distance(changed[18], chain[18]), 8.0, 1e-3);
  EXPECT_EQ(withLoopReplaced(chain, 0, 5), chain);
}

TEST(SyntheticStructure, PdbTextAndMoleculeAgree) {
  const std::vector<Vector3> chain = irregularChain(25, 5);
  const std::string sequence = "GAVLS";
  AtomMolecule molecule = chainMolecule(chain, "x.pdb", sequence, 'C');
  const std::string text = pdbText(chain, sequence, 'C');

  std::istringstream alphaText(text), betaText(text);
  FMolecule<Atom> alpha, beta;
  alpha.readPDBfile(alphaText, PDB::CAlphaSelector());
  beta.readPDBfile(betaText, PDB::CBetaSelector());
  ASSERT_EQ(alpha.size(), chain.size());
  ASSERT_EQ(beta.size(), chain.size());
  for (std::size_t i = 0; i < chain.size(); ++i) {
    EXPECT_EQ(molecule[i].residueType(), sequence[i % sequence.size()]);
    EXPECT_EQ(alpha[i].residueType(), molecule[i].residueType());
    EXPECT_EQ(alpha[i].residueIndex(), molecule[i].residueIndex());
    EXPECT_EQ(alpha[i].chainId(), 'C');
    EXPECT_LT(distance(alpha.position(i), molecule.position(i)), 1e-3);
    const double toBeta = distance(beta.position(i), chain[i]);
    if (molecule[i].residueType() == 'G')
      EXPECT_LT(toBeta, 1e-3) << i;
    else
      EXPECT_NEAR(toBeta, 1.53, 2e-3) << i;
  }
}
