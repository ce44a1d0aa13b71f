#include "geometry/RigidTrans3.h"

#include <gtest/gtest.h>

#include "RandomGeometry.h"

using testing_support::maxDifference;
using testing_support::RandomGeometry;

TEST(RigidTrans3, DefaultIsIdentity) {
  const RigidTrans3 t;
  EXPECT_EQ(maxDifference(t.rotation(), Matrix3(1.0f)), 0.0);
  EXPECT_EQ(t.translation(), Vector3());
  RandomGeometry rnd(1);
  for (int i = 0; i < 20; ++i) {
    const Vector3 p = rnd.point(100);
    EXPECT_EQ(t * p, p);
  }
}

TEST(RigidTrans3, CompositionAppliesRightOperandFirst) {
  const RigidTrans3 a(Matrix3(0, -1, 0, 1, 0, 0, 0, 0, 1), Vector3());  // 90 degrees about z
  const RigidTrans3 b(Matrix3(1.0f), Vector3(1, 0, 0));
  EXPECT_LT(maxDifference((a * b) * Vector3(), Vector3(0, 1, 0)), 1e-7);
  EXPECT_LT(maxDifference((b * a) * Vector3(), Vector3(1, 0, 0)), 1e-7);
}

TEST(RigidTrans3, ApplicationAccumulatesInDouble) {
  // Each product below is exact in double; in float 1 + 1e-8 would round to 1 first.
  const RigidTrans3 t(Matrix3(1.0f, 1.0e-8f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f), Vector3(-1.0f, 0, 0));
  const Vector3 p = t * Vector3(1.0f, 1.0f, 0.0f);
  EXPECT_EQ(p.x, static_cast<float>(1.0 + double(1.0e-8f) - 1.0));
}

TEST(RigidTrans3, CompositionAndInverseLawsOverRandomMotions) {
  RandomGeometry rnd(2024);
  for (int trial = 0; trial < 300; ++trial) {
    const RigidTrans3 a = rnd.motion(50), b = rnd.motion(50), c = rnd.motion(50);
    const Vector3 p = rnd.point(30);
    // (A B) p = A (B p)
    EXPECT_LT(maxDifference((a * b) * p, a * (b * p)), 1e-4);
    // associativity
    const RigidTrans3 l = (a * b) * c, r = a * (b * c);
    EXPECT_LT(maxDifference(l.rotation(), r.rotation()), 1e-6);
    EXPECT_LT(maxDifference(l.translation(), r.translation()), 1e-4);
    // T T^-1 and T^-1 T map points onto themselves
    EXPECT_LT(maxDifference((a * !a) * p, p), 1e-4);
    EXPECT_LT(maxDifference((!a * a) * p, p), 1e-4);
    EXPECT_LT(maxDifference(!a * (a * p), p), 1e-4);
    // (A B)^-1 = B^-1 A^-1
    const RigidTrans3 inv1 = !(a * b), inv2 = !b * !a;
    EXPECT_LT(maxDifference(inv1.rotation(), inv2.rotation()), 1e-6);
    EXPECT_LT(maxDifference(inv1.translation(), inv2.translation()), 1e-4);
    // rigid: distances are kept
    const Vector3 q = rnd.point(30);
    EXPECT_NEAR(std::sqrt(dist2(a * p, a * q)), std::sqrt(dist2(p, q)), 1e-4);
  }
}

TEST(RigidTrans3, InverseIsTransposeAndNegatedRotatedTranslation) {
  const Matrix3 r(0.3f, -0.4f, 1.2f);
  const RigidTrans3 t(r, Vector3(1, 2, 3));
  const RigidTrans3 inv = !t;
  EXPECT_EQ(maxDifference(inv.rotation(), r.transpose()), 0.0);
  EXPECT_EQ(inv.translation(), -(r.transpose() * Vector3(1, 2, 3)));
}
