#include "geometry/Matrix3.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "RandomGeometry.h"

using testing_support::maxDifference;

namespace {

// Right-handed rotations about the axes, built independently in double.
void rx(double a, double m[3][3]) {
  double r[3][3] = {{1, 0, 0}, {0, std::cos(a), -std::sin(a)}, {0, std::sin(a), std::cos(a)}};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) m[i][j] = r[i][j];
}
void ry(double a, double m[3][3]) {
  double r[3][3] = {{std::cos(a), 0, std::sin(a)}, {0, 1, 0}, {-std::sin(a), 0, std::cos(a)}};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) m[i][j] = r[i][j];
}
void rz(double a, double m[3][3]) {
  double r[3][3] = {{std::cos(a), -std::sin(a), 0}, {std::sin(a), std::cos(a), 0}, {0, 0, 1}};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) m[i][j] = r[i][j];
}
Matrix3 product(double a[3][3], double b[3][3], double c[3][3]) {
  double ab[3][3] = {}, abc[3][3] = {};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) ab[i][j] += a[i][k] * b[k][j];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) abc[i][j] += ab[i][k] * c[k][j];
  return Matrix3(abc);
}

}  // namespace

TEST(Vector3, ComponentsByNameAndIndex) {
  Vector3 v;
  EXPECT_EQ(v, Vector3(0, 0, 0));
  v = Vector3(1.5f, -2.0f, 3.25f);
  EXPECT_EQ(v[0], 1.5f);
  EXPECT_EQ(v[1], -2.0f);
  EXPECT_EQ(v[2], 3.25f);
  v[1] = 7.0f;
  EXPECT_EQ(v.y, 7.0f);
  EXPECT_EQ(v - Vector3(1, 1, 1), Vector3(0.5f, 6.0f, 2.25f));
  EXPECT_EQ(cross(Vector3(1, 0, 0), Vector3(0, 1, 0)), Vector3(0, 0, 1));
  EXPECT_FLOAT_EQ(dot(Vector3(1, 2, 3), Vector3(4, -5, 6)), 12.0f);
}

TEST(Vector3, SquaredDistanceIsFormedInDouble) {
  // 16777217 is not a float, but the difference of these two floats is exactly 1.
  Vector3 a(16777216.0f, 0, 0), b(16777218.0f, 0, 0);
  EXPECT_EQ(dist2(a, b), 4.0);
  Vector3 c(0.1f, 0.2f, 0.3f), d(0.4f, -0.2f, 1.0f);
  double dx = double(0.1f) - double(0.4f), dy = double(0.2f) - double(-0.2f), dz = double(0.3f) - double(1.0f);
  EXPECT_EQ(dist2(c, d), dx * dx + dy * dy + dz * dz);
}

TEST(Matrix3, Constructors) {
  const float rowMajor[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  const double rowMajorD[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  const float rows[3][3] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
  const double rowsD[3][3] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
  const Matrix3 expected(Vector3(1, 2, 3), Vector3(4, 5, 6), Vector3(7, 8, 9));
  for (const Matrix3& m : {Matrix3(1, 2, 3, 4, 5, 6, 7, 8, 9), Matrix3(rowMajor), Matrix3(rowMajorD),
                           Matrix3(rows), Matrix3(rowsD)})
    EXPECT_EQ(maxDifference(m, expected), 0.0);
  EXPECT_EQ(expected(1, 2), 6.0f);
  EXPECT_EQ(expected[2], Vector3(7, 8, 9));

  EXPECT_EQ(maxDifference(Matrix3(2.0f), Matrix3(2, 0, 0, 0, 2, 0, 0, 0, 2)), 0.0);
  EXPECT_EQ(maxDifference(Matrix3(Vector3(1, 2, 3)), Matrix3(1, 0, 0, 0, 2, 0, 0, 0, 3)), 0.0);
  EXPECT_EQ(maxDifference(Matrix3(Vector3(1, 2, 3), Vector3(4, 5, 6)), Matrix3(4, 5, 6, 8, 10, 12, 12, 15, 18)),
            0.0);
  EXPECT_EQ(Matrix3(1.0f) * Vector3(3, -4, 5), Vector3(3, -4, 5));
}

TEST(Matrix3, XyzAnglesAreRzRyRx) {
  const float a = 0.3f, b = 0.2f, c = -0.5f;
  const Matrix3 m(a, b, c);
  double x[3][3], y[3][3], z[3][3];
  rz(c, z);
  ry(-b, y);
  rx(a, x);
  EXPECT_LT(maxDifference(m, product(z, y, x)), 1e-6);
  const Vector3 back = m.rotationAngles();
  EXPECT_NEAR(back.x, 0.3, 1e-6);
  EXPECT_NEAR(back.y, 0.2, 1e-6);
  EXPECT_NEAR(back.z, -0.5, 1e-6);
}

TEST(Matrix3, AnglesRoundTripOverManyRotations) {
  testing_support::RandomGeometry rnd(11);
  for (int trial = 0; trial < 500; ++trial) {
    const float a = float(rnd.uniform(-3.1, 3.1)), b = float(rnd.uniform(-1.5, 1.5)), c = float(rnd.uniform(-3.1, 3.1));
    const Vector3 back = Matrix3(a, b, c).rotationAngles();
    EXPECT_LT(maxDifference(back, Vector3(a, b, c)), 2e-5) << a << " " << b << " " << c;
  }
}

TEST(Matrix3, ZxzAnglesAreRzRxRz) {
  const float a = 0.7f, b = -1.1f, c = 2.4f;
  double z1[3][3], x[3][3], z2[3][3];
  rz(-a, z1);
  rx(-b, x);
  rz(-c, z2);
  EXPECT_LT(maxDifference(Matrix3(a, b, c, 0), product(z1, x, z2)), 1e-6);
}

TEST(Matrix3, DeterminantAdjointAndInverse) {
  const Matrix3 m(2, -1, 0, 1, 3, 4, 0, 5, -2);
  // 2(3*-2 - 4*5) - (-1)(1*-2 - 0) + 0 = -52 - 2 = -54
  EXPECT_EQ(m.determinant(), -54.0f);
  const Matrix3 madj = m * m.adjoint();
  EXPECT_EQ(maxDifference(madj, Matrix3(-54.0f)), 0.0);
  const Matrix3 inv = !m;
  EXPECT_LT(maxDifference(m * inv, Matrix3(1.0f)), 1e-6);
  EXPECT_LT(maxDifference(inv * m, Matrix3(1.0f)), 1e-6);
}

TEST(Matrix3, InverseOfSingularMatrixIsZero) {
  EXPECT_EQ(maxDifference(!Matrix3(1, 2, 3, 0, 0, 0, 4, 5, 6), Matrix3(0.0f)), 0.0);
  EXPECT_EQ(maxDifference(!Matrix3(1, 2, 3, 2, 4, 6, 7, 1, 0), Matrix3(0.0f)), 0.0);
}

TEST(Matrix3, CompoundOperators) {
  Matrix3 m(1, 2, 3, 4, 5, 6, 7, 8, 9);
  m *= 2.0f;
  EXPECT_EQ(maxDifference(m, Matrix3(2, 4, 6, 8, 10, 12, 14, 16, 18)), 0.0);
  m /= 2.0f;
  m += Matrix3(1.0f);
  EXPECT_EQ(maxDifference(m, Matrix3(2, 2, 3, 4, 6, 6, 7, 8, 10)), 0.0);
  m -= Matrix3(1.0f);
  // The product keeps this matrix on the left.
  Matrix3 p = m;
  p *= Matrix3(0, 1, 0, 0, 0, 1, 1, 0, 0);
  EXPECT_EQ(maxDifference(p, Matrix3(3, 1, 2, 6, 4, 5, 9, 7, 8)), 0.0);
}

TEST(Matrix3, Eigenvalues) {
  // Near a double root the cubic's angle is an arccosine close to +-1 of
  // single-precision coefficients, good to about 1e-4 only.
  const struct {
    Matrix3 m;
    Vector3 expected;
    double tolerance;
  } cases[] = {
      {Matrix3(Vector3(3, 1, 2)), Vector3(3, 2, 1), 1e-5},
      {Matrix3(0, -1, 0, 1, 0, 0, 0, 0, 1), Vector3(0, 0, 0), 0.0},  // a 90 degree rotation: complex pair
      {Matrix3(Vector3(2, 2, 1)), Vector3(2, 2, 1), 1e-4},             // double root
      {Matrix3(Vector3(1, 2, 2)), Vector3(2, 2, 1), 1e-4},
      {Matrix3(Vector3(2, 2, 2)), Vector3(2, 2, 2), 0.0},              // triple root
      {Matrix3(2, 1, 0, 1, 2, 0, 0, 0, 5), Vector3(5, 3, 1), 1e-5},
  };
  for (const auto& c : cases) {
    const Vector3 e = c.m.eigenvalues();
    EXPECT_LE(maxDifference(e, c.expected), c.tolerance) << e.x << " " << e.y << " " << e.z;
  }
}

TEST(Matrix3, EigenvaluesOfRandomSymmetricMatricesAreRoots) {
  testing_support::RandomGeometry rnd(5);
  for (int trial = 0; trial < 200; ++trial) {
    const Matrix3 r = rnd.rotation();
    const Vector3 d(float(rnd.uniform(-5, 5)), float(rnd.uniform(-5, 5)), float(rnd.uniform(-5, 5)));
    const Matrix3 m = r * Matrix3(d) * r.transpose();
    const Vector3 e = m.eigenvalues();
    float sorted[3] = {d.x, d.y, d.z};
    std::sort(sorted, sorted + 3, [](float a, float b) { return a > b; });
    for (int k = 0; k < 3; ++k) {
      EXPECT_FALSE(std::isnan(e[k]));
      EXPECT_NEAR(e[k], sorted[k], 2e-3) << trial;
    }
  }
}
