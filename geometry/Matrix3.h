#pragma once
// 3x3 single-precision matrix stored as three rows. Sums of products are formed
// in double precision and each element is rounded to float when stored.
#include "geometry/Vector3.h"

class Matrix3 {
 public:
  Matrix3() = default;
  // d on the diagonal: Matrix3(1) is the identity.
  explicit Matrix3(const float& d);
  Matrix3(const Vector3& r0, const Vector3& r1, const Vector3& r2);
  Matrix3(float m00, float m01, float m02, float m10, float m11, float m12, float m20, float m21, float m22);
  // Nine elements in row order.
  explicit Matrix3(const float* a);
  explicit Matrix3(const double* a);
  explicit Matrix3(const float (*a)[3]);
  explicit Matrix3(const double (*a)[3]);
  // The diagonal matrix of v.
  explicit Matrix3(const Vector3& v);
  // The outer product a b^T.
  Matrix3(const Vector3& a, const Vector3& b);
  // Rotation Rz(c) Ry(-b) Rx(a).
  Matrix3(const float& a, const float& b, const float& c);
  // Rotation Rz(-a) Rx(-b) Rz(-c); k only selects this convention.
  Matrix3(const float& a, const float& b, const float& c, const int& k);

  Vector3& operator[](int i) { return m_rows[i]; }
  const Vector3& operator[](int i) const { return m_rows[i]; }
  float& operator()(int i, int j) { return m_rows[i][j]; }
  float operator()(int i, int j) const { return m_rows[i][j]; }

  float determinant() const;
  Matrix3 adjoint() const;
  Matrix3 transpose() const;
  // The three real eigenvalues in descending order; (0, 0, 0) when two of them are complex.
  Vector3 eigenvalues() const;
  // The angles (a, b, c) of the X-Y-Z convention: atan2(m21, m22),
  // atan2(m20, sqrt(m00^2 + m10^2)), atan2(m10, m00), each rounded to float.
  Vector3 rotationAngles() const;

  Matrix3& operator*=(const float& s);
  Matrix3& operator/=(const float& s);
  Matrix3& operator+=(const Matrix3& o);
  Matrix3& operator-=(const Matrix3& o);
  Matrix3& operator*=(const Matrix3& o);

 private:
  Vector3 m_rows[3];
};

Matrix3 operator*(const Matrix3& a, const Matrix3& b);
// m v, each component accumulated in double and rounded once.
Vector3 operator*(const Matrix3& m, const Vector3& v);
// The inverse: the adjugate scaled by 1/det, or the zero matrix when det is 0.
Matrix3 operator!(const Matrix3& m);
