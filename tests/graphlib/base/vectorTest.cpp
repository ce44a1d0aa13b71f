#include "graphlib/base/vector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "AllocatorUsage.h"
#include "RecordingErrorHandler.h"

namespace {

using graphlib::vector;
using testing_support::AllocatorBaseline;
using testing_support::GraphlibError;
using testing_support::RecordingErrorHandler;

std::string printed(const vector& v) {
  std::ostringstream os;
  v.print(os);
  return os.str();
}

std::string written(const vector& v) {
  std::ostringstream os;
  os << v;
  return os.str();
}

TEST(Vector, Rotate90) {
  const vector p(1, 2);
  struct Row {
    int turns;
    vector expected;
  };
  const Row rows[] = {{0, vector(1, 2)},  {1, vector(-2, 1)}, {-3, vector(-2, 1)}, {5, vector(-2, 1)},
                      {2, vector(-1, -2)}, {-2, vector(-1, -2)}, {3, vector(2, -1)},  {-1, vector(2, -1)},
                      {4, vector(1, 2)}};
  for (const Row& r : rows) EXPECT_TRUE(p.rotate90(r.turns) == r.expected) << r.turns << ": " << written(p.rotate90(r.turns));
  EXPECT_TRUE(p.rotate90(-1) == p.rotate90(3));

  RecordingErrorHandler errors;
  EXPECT_EQ(errors.raisedBy([] { vector(1, 2, 3).rotate90(1); }),
            (GraphlibError{1, "vector::rotate90: dimension must be two. "}));
  EXPECT_EQ(errors.raisedBy([] { vector(1, 2, 3).rotate(1.0); }),
            (GraphlibError{1, "vector::rotate: dimension must be two. "}));
}

TEST(Vector, RotateByAngle) {
  vector r = vector(1, 0).rotate(M_PI / 2);
  EXPECT_NEAR(r[0], 0.0, 1e-15);
  EXPECT_DOUBLE_EQ(r[1], 1.0);
  vector q = vector(3, 4).rotate(0.3);
  EXPECT_DOUBLE_EQ(q.length(), 5.0);
}

TEST(Vector, CompareByAngle) {
  struct Row {
    vector a, b;
    int expected;
  };
  const Row rows[] = {
      {vector(1, 0), vector(0, 1), -1},   {vector(0, 1), vector(0, -1), -2}, {vector(0, -1), vector(0, 1), 2},
      {vector(2, 2), vector(1, 1), 0},    {vector(0, 0), vector(0, 0), 0},   {vector(0, 0), vector(1, 0), -1},
      {vector(1, 0), vector(0, 0), 1},    {vector(-1, 0), vector(1, 0), 2},  {vector(1, -1), vector(1, -2), 1},
      {vector(-1, 1), vector(-1, -1), -2}};
  for (const Row& r : rows)
    EXPECT_EQ(graphlib::compare_by_angle(r.a, r.b), r.expected) << written(r.a) << " vs " << written(r.b);
}

TEST(Vector, Angle) {
  EXPECT_EQ(vector(1, 0).angle(vector(-1, 0)), M_PI);
  EXPECT_EQ(vector(1, 0).angle(vector(0, 3)), M_PI / 2);
  // The quotient rounds to just above 1 here: without the clamp acos gives NaN.
  vector v(1, 1, 1);
  EXPECT_GT((v * v) / (v.length() * v.length()), 1.0);
  EXPECT_EQ(v.angle(v), 0.0);
  EXPECT_EQ((v * -1.0).angle(v), M_PI);

  RecordingErrorHandler errors;
  EXPECT_EQ(errors.raisedBy([] { vector(0, 0).angle(vector(1, 0)); }), (GraphlibError{1, "angle: zero argument\n"}));
}

TEST(Vector, Arithmetic) {
  AllocatorBaseline baseline;
  {
    vector a(1, 2, 3), b(4, 5, 6);
    EXPECT_TRUE(a + b == vector(5, 7, 9));
    EXPECT_TRUE(b - a == vector(3, 3, 3));
    EXPECT_TRUE(-a == vector(-1, -2, -3));
    EXPECT_TRUE(a * 2.0 == vector(2, 4, 6));
    EXPECT_TRUE(b / 2.0 == vector(2, 2.5, 3));
    EXPECT_EQ(a * b, 32.0);
    EXPECT_EQ(vector(3, 4).length(), 5.0);
    EXPECT_EQ(vector(3, 4).sqr_length(), 25.0);
    vector c = a;
    c += b;
    c -= a;
    EXPECT_TRUE(c == b);
    EXPECT_TRUE(graphlib::cross_product(vector(1, 0, 0), vector(0, 1, 0)) == vector(0, 0, 1));
    EXPECT_TRUE(graphlib::cross_product(a, b) == vector(-3, 6, -3));
    vector nan(std::nan(""), 0.0);
    EXPECT_FALSE(nan == nan);
  }
  EXPECT_TRUE(baseline.changes().empty());
}

TEST(Vector, DotProductSumsFromTheLastComponent) {
  vector a(1.0, 1e17, -1e17);
  vector ones(1, 1, 1);
  // (-1e17 + 1e17) + 1 keeps the 1; from the first component it would be lost.
  EXPECT_EQ(a * ones, 1.0);
}

TEST(Vector, EmptyVectors) {
  vector none, zero(0);
  EXPECT_EQ(none.dim(), 0);
  EXPECT_TRUE(none == zero);
  EXPECT_EQ(none * zero, 0.0);
  EXPECT_EQ(zero.length(), 0.0);
  EXPECT_EQ(vector(3)[2], 0.0);
}

TEST(Vector, AssignmentTakesTheSourceDimension) {
  AllocatorBaseline baseline;
  {
    vector a(1, 2);
    a = vector(7, 8, 9);
    EXPECT_EQ(a.dim(), 3);
    EXPECT_TRUE(a == vector(7, 8, 9));
    a = vector();
    EXPECT_EQ(a.dim(), 0);
    vector b(5, 6);
    vector& alias = b;
    b = alias;
    EXPECT_TRUE(b == vector(5, 6));
  }
  EXPECT_TRUE(baseline.changes().empty());
}

TEST(Vector, TextForms) {
  EXPECT_EQ(printed(vector(1, 2.5)), "(   1.00   2.50 )");
  EXPECT_EQ(printed(vector()), "( )");
  EXPECT_EQ(written(vector(1, 2.5)), "2  1 2.5");
  EXPECT_EQ(written(vector()), "0 ");

  std::istringstream in("2 1 2.5");
  vector v;
  in >> v;
  EXPECT_TRUE(v == vector(1, 2.5));

  std::istringstream roundTrip(written(vector(-3, 0.125, 9)));
  vector w;
  roundTrip >> w;
  EXPECT_TRUE(w == vector(-3, 0.125, 9));

  vector r(3);
  std::istringstream comps("4 5 6");
  r.read(comps);
  EXPECT_TRUE(r == vector(4, 5, 6));
}

TEST(Vector, UntrustedDimensionOnInput) {
  // A huge dimension with no components behind it takes no memory and leaves
  // the vector as it was.
  std::istringstream in("268435456 1 2");
  vector v(1, 1);
  in >> v;
  EXPECT_TRUE(in.fail());
  EXPECT_TRUE(v == vector(1, 1));

  RecordingErrorHandler errors;
  std::istringstream negative("-2 1 1");
  EXPECT_EQ(errors.raisedBy([&] { negative >> v; }), (GraphlibError{1, "vector: negative dimension."}));
}

TEST(Vector, Errors) {
  RecordingErrorHandler errors;
  EXPECT_EQ(errors.raisedBy([] { vector v(-1); }), (GraphlibError{1, "vector: negative dimension."}));
  EXPECT_EQ(errors.raisedBy([] {
              vector v(1, 2);
              v[2] = 1;
            }),
            (GraphlibError{1, "vector: index out of range "}));
  EXPECT_EQ(errors.raisedBy([] {
              const vector v(1, 2);
              (void)v[-1];
            }),
            (GraphlibError{1, "vector: index out of range "}));
  EXPECT_EQ(errors.raisedBy([] { vector(1, 2) + vector(1, 2, 3); }),
            (GraphlibError{1, "vector arguments have different dimensions."}));
  EXPECT_EQ(errors.raisedBy([] { (void)(vector(1, 2) * vector(1, 2, 3)); }),
            (GraphlibError{1, "vector arguments have different dimensions."}));
  EXPECT_EQ(errors.raisedBy([] { graphlib::compare_by_angle(vector(1), vector(1, 2)); }).code, 1);
  EXPECT_EQ(errors.raisedBy([] { graphlib::cross_product(vector(1, 2), vector(1, 2, 3)); }),
            (GraphlibError{1, "vector: index out of range "}));
}

}  // namespace
