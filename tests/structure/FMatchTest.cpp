#include "structure/FMatch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "FitReference.h"
#include "RandomGeometry.h"
#include "SyntheticStructure.h"
#include "geometry/BestFit.h"

using testing_support::determinant;
using testing_support::maxDifference;
using testing_support::moved;
using testing_support::orthonormalityError;
using testing_support::RandomGeometry;
using testing_support::rmsdAfter;

namespace {

// The pairs (i, i) of two point lists, as the fit sees them.
FMatch identityPairs(size_t n) {
  FMatch match;
  for (size_t i = 0; i < n; ++i) match.add(unsigned(i), unsigned(i));
  return match;
}

}  // namespace

TEST(FMatch, AgreesWithTheIncrementalFit) {
  RandomGeometry rnd(12);
  for (int trial = 0; trial < 50; ++trial) {
    const std::vector<Vector3> model = rnd.cloud(80, 20), scene = rnd.cloud(70, 20);
    FMatch match;
    BestFit fit;
    for (int k = 0; k < 50; ++k) {
      const unsigned m = unsigned(rnd.integer(0, 79)), s = unsigned(rnd.integer(0, 69));
      match.add(m, s);
      fit.add(model[m], scene[s]);
    }
    match.calculateBestFit(model, scene);
    EXPECT_LT(maxDifference(match.rigidTrans().rotation(), fit.rigidTrans().rotation()), 1e-4);
    EXPECT_LT(maxDifference(match.rigidTrans().translation(), fit.rigidTrans().translation()), 1e-4);
    EXPECT_NEAR(match.rmsd(), fit.rmsd(), 1e-4);
  }
}

TEST(FMatch, MovedCopyOfAChainIsSuperimposedBack) {
  const std::vector<Vector3> chain = testing_support::irregularChain(60, 7);
  const RigidTrans3 motion = testing_support::randomRigidMotion(11);
  const AtomMolecule model = testing_support::chainMolecule(chain, "model");
  const AtomMolecule scene = testing_support::chainMolecule(testing_support::movedCopy(chain, motion), "scene");
  FMatch match = identityPairs(chain.size());
  match.calculateBestFit(model, scene);
  const RigidTrans3 back = !motion;
  EXPECT_LT(match.rmsd(), 1e-3);
  EXPECT_LT(maxDifference(match.rigidTrans().rotation(), back.rotation()), 1e-5);
  EXPECT_LT(maxDifference(match.rigidTrans().translation(), back.translation()), 1e-3);
  for (size_t i = 0; i < chain.size(); ++i)
    EXPECT_LT(std::sqrt(dist2(match.rigidTrans() * scene.position(i), model.position(i))), 1e-3);
}

TEST(FMatch, NoisyCopyReportsTheRmsdOfItsTransformation) {
  const std::vector<Vector3> chain = testing_support::irregularChain(40, 3);
  const std::vector<Vector3> scene = testing_support::movedCopy(chain, testing_support::randomRigidMotion(5), 0.5f, 9);
  FMatch match = identityPairs(chain.size());
  match.calculateBestFit(chain, scene);
  EXPECT_GT(match.rmsd(), 0.3f);
  EXPECT_NEAR(match.rmsd(), rmsdAfter(match.rigidTrans(), chain, scene), 1e-4);
  EXPECT_NEAR(match.rmsd(), testing_support::referenceFit(chain, scene).rmsd, 1e-4);
}

TEST(FMatch, CoincidentPointsGiveIdentity) {
  const std::vector<Vector3> pts = {{1, 2, 3}, {4, -1, 0}, {0, 5, 2}, {-3, 1, 1}};
  FMatch match = identityPairs(pts.size());
  match.calculateBestFit(pts, pts);
  EXPECT_LT(match.rmsd(), 1e-3);
  for (const Vector3& p : pts) EXPECT_LT(maxDifference(match.rigidTrans() * p, p), 1e-5);
}

TEST(FMatch, PairCounts) {
  const std::vector<Vector3> model = {{1, 2, 3}, {4, 6, 3}, {0, 0, 7}};
  const RigidTrans3 motion(Matrix3(0.3f, 0.2f, -0.5f), Vector3(1, 2, 3));
  const std::vector<Vector3> scene = moved(motion, model);
  for (size_t n : {0u, 1u}) {
    FMatch match = identityPairs(n);
    match.calculateBestFit(model, scene);
    EXPECT_EQ(match.rmsd(), 0.0f) << n;
    EXPECT_EQ(maxDifference(match.rigidTrans().rotation(), Matrix3(1.0f)), 0.0) << n;
    EXPECT_EQ(match.rigidTrans().translation(), Vector3()) << n;
  }
  // One pair leaves an earlier transformation as it was.
  FMatch given(motion);
  given.add(0, 0);
  given.calculateBestFit(model, scene);
  EXPECT_EQ(maxDifference(given.rigidTrans().rotation(), motion.rotation()), 0.0);
  EXPECT_EQ(given.rigidTrans().translation(), motion.translation());
  // Two pairs do not fix the rotation about their line, but any fit must be a
  // proper rotation that superimposes them.
  FMatch two = identityPairs(2);
  two.calculateBestFit(model, scene);
  EXPECT_LT(orthonormalityError(two.rigidTrans().rotation()), 1e-5);
  EXPECT_NEAR(determinant(two.rigidTrans().rotation()), 1.0, 1e-5);
  EXPECT_TRUE(std::isfinite(two.rmsd()));
  EXPECT_LT(two.rmsd(), 1e-3f);
  for (int i = 0; i < 2; ++i) EXPECT_LT(maxDifference(two.rigidTrans() * scene[i], model[i]), 1e-4);
}

// The pair count was a 16-bit value: 32768 pairs read as -32768 and the fit was skipped.
TEST(FMatch, LargeListsAreCountedAndFitted) {
  RandomGeometry rnd(13);
  const std::vector<Vector3> model = rnd.cloud(100, 30);
  const RigidTrans3 motion = rnd.motion(10);
  const std::vector<Vector3> scene = moved(motion, model);
  FMatch match;
  for (unsigned i = 0; i < 32768; ++i) match.add(i % 100, i % 100);
  EXPECT_EQ(match.size(), 32768u);
  match.calculateBestFit(model, scene);
  EXPECT_LT(match.rmsd(), 1e-3);
  EXPECT_LT(maxDifference(match.rigidTrans().rotation(), (!motion).rotation()), 1e-5);
}

TEST(FMatch, IndexOutsideTheMoleculesIsRefused) {
  const std::vector<Vector3> model = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  FMatch match;
  match.add(0, 0);
  match.add(1, 1);
  match.add(2, 3);
  EXPECT_THROW(match.calculateBestFit(model, model), std::out_of_range);
  EXPECT_EQ(match.rmsd(), 0.0f);
}

TEST(FMatch, PartnersAndCopies) {
  FMatch match;
  match.add(3, 7);
  match.add(5, 7);
  match.add(3, 9);
  EXPECT_EQ(match.sceneParticle(3), 7);
  EXPECT_EQ(match.sceneParticle(5), 7);
  EXPECT_EQ(match.sceneParticle(4), -1);
  EXPECT_EQ(match.modelParticle(7), 3);
  EXPECT_EQ(match.modelParticle(9), 3);
  EXPECT_EQ(match.modelParticle(3), -1);
  FMatch copy(match);
  copy.add(1, 1);
  EXPECT_EQ(match.size(), 3u);
  EXPECT_EQ(copy.size(), 4u);
  EXPECT_EQ(copy[2].model, 3u);
  EXPECT_EQ(copy[2].scene, 9u);
  const FMatch::ParticleMatch empty;
  EXPECT_EQ(empty.model, 0u);
  EXPECT_EQ(empty.scene, 0u);
}

TEST(FMatch, Output) {
  FMatch match;
  match.add(1, 2);
  match.add(3, 4);
  std::ostringstream os;
  os << match;
  EXPECT_EQ(os.str(),
            "#model  #scene\n       1       2\n       3       4\n\n#The transformation is:\n"
            "0.000 0.000 0.000 0.000 0.000 0.000\n#Rms: 0.000\n");
  // The pair writer leaves the stream in fixed notation with three decimals.
  std::ostringstream pair;
  pair << FMatch::ParticleMatch(123456789, 5) << " " << 0.5;
  EXPECT_EQ(pair.str(), "123456789       5 0.500");
}

TEST(FMatch, OutputOfAFit) {
  const std::vector<Vector3> scene = {{0, 0, 0}, {3.8f, 0, 0}, {5, 3, 0}, {2, 4, 3}};
  const RigidTrans3 motion(Matrix3(0.3f, 0.2f, -0.5f), Vector3(1, 2, 3));
  const std::vector<Vector3> model = moved(motion, scene);
  FMatch match = identityPairs(scene.size());
  match.calculateBestFit(model, scene);
  std::ostringstream os;
  os << match;
  const std::string text = os.str();
  EXPECT_NE(text.find("#The transformation is:\n0.300 0.200 -0.500 1.000 2.000 3.000\n#Rms: 0.000\n"),
            std::string::npos)
      << text;
  // With no pair the numbers keep the stream's own format.
  std::ostringstream plain;
  plain << FMatch(motion);
  EXPECT_NE(plain.str().find("#model  #scene\n\n#The transformation is:\n0.3 0.2 -0.5 1 2 3\n#Rms: 0\n"),
            std::string::npos)
      << plain.str();
}
