#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RandomGeometry.h"
#include "geometry/BestFit.h"

using testing_support::moved;
using testing_support::RandomGeometry;

namespace {

BestFit fitOf(const std::vector<Vector3>& fixed, const std::vector<Vector3>& moving) {
  BestFit fit;
  for (size_t i = 0; i < fixed.size(); ++i) fit.add(fixed[i], moving[i]);
  return fit;
}

// Point sets of every kind the fits meet: clouds, chains, copies with and
// without noise, mirror images, flat and collinear sets, few pairs, and sets
// far from the origin.
std::vector<std::pair<std::vector<Vector3>, std::vector<Vector3> > > pointSets(RandomGeometry& random, int round) {
  std::vector<std::pair<std::vector<Vector3>, std::vector<Vector3> > > sets;
  const int n = 3 + round % 40;
  const double noise = (round % 5) * 0.4;
  std::vector<Vector3> a = random.cloud(n, 3.0 + round % 20);
  const Vector3 offset = random.point(round % 3 == 0 ? 1000.0 : 50.0);
  for (Vector3& p : a) p += offset;
  std::vector<Vector3> b = moved(random.motion(30.0), a);
  for (Vector3& p : b) p += random.point(noise);
  sets.emplace_back(a, b);
  sets.emplace_back(a, random.cloud(n, 3.0 + round % 20));
  std::vector<Vector3> mirror;
  for (const Vector3& p : a) mirror.push_back(-p);
  sets.emplace_back(a, mirror);
  std::vector<Vector3> line, flat;
  for (int k = 0; k < n; ++k) {
    line.push_back(Vector3(1.5f * k, 0.001f * (k % 2), 0.0f) + offset);
    flat.push_back(Vector3(1.5f * k, 2.0f * (k % 3), 0.0f) + offset);
  }
  sets.emplace_back(line, moved(random.motion(10.0), line));
  sets.emplace_back(flat, moved(random.motion(10.0), a));
  sets.emplace_back(a, a);
  return sets;
}

TEST(BestFitBounds, NeverContradictTheSolvedRmsd) {
  RandomGeometry random(29);
  int decidedAbove = 0, decidedBelow = 0, cases = 0;
  for (int round = 0; round < 400; ++round) {
    for (const auto& set : pointSets(random, round)) {
      BestFit fit = fitOf(set.first, set.second);
      BestFit probe = fit;  // asked before any solving
      const float rmsd = fit.rmsd();
      const Matrix3 exact = fit.rigidTrans().rotation();
      const Matrix3 hints[] = {exact, Matrix3(1.0f), random.rotation(),
                               exact * Matrix3(0.01f, -0.02f, 0.015f)};
      // Thresholds on both sides of the RMSD, near and far, and exactly at it.
      for (double factor : {0.0, 0.3, 0.9, 0.999, 0.999999, 1.0, 1.000001, 1.001, 1.1, 3.0}) {
        for (float thr : {static_cast<float>(rmsd * factor), std::nextafter(static_cast<float>(rmsd * factor), 0.0f),
                          static_cast<float>(rmsd * factor + 0.05 * factor)}) {
          ++cases;
          const std::string label = "round " + std::to_string(round) + " rmsd " + std::to_string(rmsd) + " thr " +
                                    std::to_string(thr);
          if (probe.rmsdCertainlyAbove(thr)) {
            ++decidedAbove;
            EXPECT_GT(rmsd, thr) << label;
          }
          for (const Matrix3& hint : hints) {
            if (probe.rmsdCertainlyBelow(thr, hint)) {
              ++decidedBelow;
              EXPECT_LT(rmsd, thr) << label;
            }
          }
        }
      }
      EXPECT_TRUE(probe.dirty());
    }
  }
  // The bounds are of use: clear cases are decided without solving.
  EXPECT_GT(decidedAbove, cases / 8);
  EXPECT_GT(decidedBelow, cases / 8);
}

TEST(BestFitBounds, DecideClearCasesOfARealisticFragment) {
  RandomGeometry random(4);
  std::vector<Vector3> a = random.cloud(12, 6.0);
  std::vector<Vector3> b = moved(random.motion(20.0), a);
  for (Vector3& p : b) p += random.point(0.5);
  BestFit fit = fitOf(a, b);
  const float rmsd = BestFit(fit).rmsd();
  ASSERT_GT(rmsd, 0.1f);
  EXPECT_TRUE(fit.rmsdCertainlyAbove(rmsd * 0.5f));
  EXPECT_FALSE(fit.rmsdCertainlyAbove(rmsd * 2.0f));
  EXPECT_TRUE(fit.rmsdCertainlyBelow(rmsd * 2.0f, BestFit(fit).rigidTrans().rotation()));
  EXPECT_FALSE(fit.rmsdCertainlyBelow(rmsd * 0.5f, BestFit(fit).rigidTrans().rotation()));
  EXPECT_TRUE(fit.dirty());
}

TEST(BestFitBounds, AHintThatIsNoRotationDecidesNothing) {
  RandomGeometry random(8);
  std::vector<Vector3> a = random.cloud(12, 6.0);
  BestFit fit = fitOf(a, moved(random.motion(20.0), a));
  const Matrix3 rotation = BestFit(fit).rigidTrans().rotation();
  Matrix3 reflection = rotation;
  reflection[2] = -reflection[2];
  Matrix3 stretched = rotation;
  stretched *= 1.01f;
  EXPECT_TRUE(fit.rmsdCertainlyBelow(1.0f, rotation));
  EXPECT_FALSE(fit.rmsdCertainlyBelow(1.0f, reflection));
  EXPECT_FALSE(fit.rmsdCertainlyBelow(1.0f, stretched));
  EXPECT_FALSE(BestFit().rmsdCertainlyBelow(1.0f, rotation));
  EXPECT_FALSE(BestFit().rmsdCertainlyAbove(1.0f));
}

}  // namespace
