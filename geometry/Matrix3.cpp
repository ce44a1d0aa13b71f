#include "geometry/Matrix3.h"

#include <algorithm>
#include <cmath>

namespace {

float f(double v) { return static_cast<float>(v); }

}  // namespace

Matrix3::Matrix3(const float& d) {
  m_rows[0] = Vector3(d, 0.0f, 0.0f);
  m_rows[1] = Vector3(0.0f, d, 0.0f);
  m_rows[2] = Vector3(0.0f, 0.0f, d);
}

Matrix3::Matrix3(const Vector3& r0, const Vector3& r1, const Vector3& r2) {
  m_rows[0] = r0;
  m_rows[1] = r1;
  m_rows[2] = r2;
}

Matrix3::Matrix3(float m00, float m01, float m02, float m10, float m11, float m12, float m20, float m21,
                 float m22) {
  m_rows[0] = Vector3(m00, m01, m02);
  m_rows[1] = Vector3(m10, m11, m12);
  m_rows[2] = Vector3(m20, m21, m22);
}

Matrix3::Matrix3(const float* a) {
  for (int i = 0; i < 3; ++i) m_rows[i] = Vector3(a[3 * i], a[3 * i + 1], a[3 * i + 2]);
}

Matrix3::Matrix3(const double* a) {
  for (int i = 0; i < 3; ++i) m_rows[i] = Vector3(f(a[3 * i]), f(a[3 * i + 1]), f(a[3 * i + 2]));
}

Matrix3::Matrix3(const float (*a)[3]) {
  for (int i = 0; i < 3; ++i) m_rows[i] = Vector3(a[i][0], a[i][1], a[i][2]);
}

Matrix3::Matrix3(const double (*a)[3]) {
  for (int i = 0; i < 3; ++i) m_rows[i] = Vector3(f(a[i][0]), f(a[i][1]), f(a[i][2]));
}

Matrix3::Matrix3(const Vector3& v) {
  m_rows[0] = Vector3(v.x, 0.0f, 0.0f);
  m_rows[1] = Vector3(0.0f, v.y, 0.0f);
  m_rows[2] = Vector3(0.0f, 0.0f, v.z);
}

Matrix3::Matrix3(const Vector3& a, const Vector3& b) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) m_rows[i][j] = a[i] * b[j];
}

Matrix3::Matrix3(const float& a, const float& b, const float& c) {
  const double ca = f(std::cos(static_cast<double>(a))), sa = f(std::sin(static_cast<double>(a)));
  const double cb = f(std::cos(static_cast<double>(b))), sb = f(std::sin(static_cast<double>(b)));
  const double cc = f(std::cos(static_cast<double>(c))), sc = f(std::sin(static_cast<double>(c)));
  m_rows[0] = Vector3(f(cc * cb), f(-cc * sa * sb - ca * sc), f(-cc * sb * ca + sa * sc));
  m_rows[1] = Vector3(f(cb * sc), f(ca * cc - sa * sb * sc), f(-sb * ca * sc - sa * cc));
  m_rows[2] = Vector3(f(sb), f(cb * sa), f(cb * ca));
}

Matrix3::Matrix3(const float& a, const float& b, const float& c, const int&) {
  const double ca = f(std::cos(static_cast<double>(a))), sa = f(std::sin(static_cast<double>(a)));
  const double cb = f(std::cos(static_cast<double>(b))), sb = f(std::sin(static_cast<double>(b)));
  const double cc = f(std::cos(static_cast<double>(c))), sc = f(std::sin(static_cast<double>(c)));
  m_rows[0] = Vector3(f(ca * cc - sa * sc * cb), f(cc * sa * cb + ca * sc), f(sb * sa));
  m_rows[1] = Vector3(f(-cc * sa - ca * sc * cb), f(-sa * sc + ca * cc * cb), f(ca * sb));
  m_rows[2] = Vector3(f(sc * sb), f(-sb * cc), f(cb));
}

float Matrix3::determinant() const {
  const Matrix3& m = *this;
  const double m00 = m(0, 0), m01 = m(0, 1), m02 = m(0, 2);
  const double m10 = m(1, 0), m11 = m(1, 1), m12 = m(1, 2);
  const double m20 = m(2, 0), m21 = m(2, 1), m22 = m(2, 2);
  return f(m00 * (m11 * m22 - m12 * m21) - m01 * (m10 * m22 - m12 * m20) + m02 * (m10 * m21 - m11 * m20));
}

Matrix3 Matrix3::adjoint() const {
  const Matrix3& m = *this;
  const double m00 = m(0, 0), m01 = m(0, 1), m02 = m(0, 2);
  const double m10 = m(1, 0), m11 = m(1, 1), m12 = m(1, 2);
  const double m20 = m(2, 0), m21 = m(2, 1), m22 = m(2, 2);
  return Matrix3(f(m11 * m22 - m12 * m21), f(m02 * m21 - m01 * m22), f(m01 * m12 - m02 * m11),
                 f(m12 * m20 - m10 * m22), f(m00 * m22 - m02 * m20), f(m02 * m10 - m00 * m12),
                 f(m10 * m21 - m11 * m20), f(m01 * m20 - m00 * m21), f(m00 * m11 - m01 * m10));
}

Matrix3 Matrix3::transpose() const {
  const Matrix3& m = *this;
  return Matrix3(m(0, 0), m(1, 0), m(2, 0), m(0, 1), m(1, 1), m(2, 1), m(0, 2), m(1, 2), m(2, 2));
}

Vector3 Matrix3::eigenvalues() const {
  const Matrix3& m = *this;
  const double m00 = m(0, 0), m01 = m(0, 1), m02 = m(0, 2);
  const double m10 = m(1, 0), m11 = m(1, 1), m12 = m(1, 2);
  const double m20 = m(2, 0), m21 = m(2, 1), m22 = m(2, 2);
  const float a = f(-(m00 + m11 + m22));
  const float b = f(m00 * m11 - m10 * m01 + m00 * m22 - m20 * m02 + m11 * m22 - m21 * m12);
  const float c = -determinant();
  const double ad = a, bd = b, cd = c;
  const float p = f((3.0 * bd - ad * ad) / 3.0);
  if (p > 0.0f) return Vector3();
  const float q = f((2.0 * ad * ad * ad - 9.0 * ad * bd + 27.0 * cd) / 27.0);
  const double pd = p, qd = q;
  // A double root makes the discriminant 0 in exact arithmetic; rounding leaves
  // it slightly positive, which must not be read as a complex pair.
  const double disc = qd * qd / 4.0 + pd * pd * pd / 27.0;
  const double discScale = std::max(qd * qd / 4.0, -pd * pd * pd / 27.0);
  if (disc > 1e-6 * discScale) return Vector3();
  const float shift = f(ad / 3.0);
  if (p == 0.0f) return Vector3(-shift, -shift, -shift);  // triple root
  double cosArg = (-qd / 2.0) * std::pow(-3.0 / pd, 1.5);
  cosArg = std::min(1.0, std::max(-1.0, cosArg));
  const float phi = f(std::acos(cosArg) / 3.0);
  const float r = f(2.0 * std::sqrt(-pd / 3.0));
  const double phid = phi, rd = r;
  return Vector3(f(rd * std::cos(phid) - ad / 3.0), f(rd * std::cos(phid + 4.1887903f) - ad / 3.0),
                 f(rd * std::cos(phid + 2.0943952f) - ad / 3.0));
}

Vector3 Matrix3::rotationAngles() const {
  const Matrix3& m = *this;
  const double m00 = m(0, 0), m10 = m(1, 0), m20 = m(2, 0), m21 = m(2, 1), m22 = m(2, 2);
  return Vector3(f(std::atan2(m21, m22)), f(std::atan2(m20, std::sqrt(m00 * m00 + m10 * m10))),
                 f(std::atan2(m10, m00)));
}

Matrix3& Matrix3::operator*=(const float& s) {
  for (Vector3& r : m_rows) r *= s;
  return *this;
}

Matrix3& Matrix3::operator/=(const float& s) {
  for (Vector3& r : m_rows) r /= s;
  return *this;
}

Matrix3& Matrix3::operator+=(const Matrix3& o) {
  for (int i = 0; i < 3; ++i) m_rows[i] += o.m_rows[i];
  return *this;
}

Matrix3& Matrix3::operator-=(const Matrix3& o) {
  for (int i = 0; i < 3; ++i) m_rows[i] -= o.m_rows[i];
  return *this;
}

Matrix3& Matrix3::operator*=(const Matrix3& o) {
  *this = *this * o;
  return *this;
}

Matrix3 operator*(const Matrix3& a, const Matrix3& b) {
  Vector3 rows[3];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      rows[i][j] = f(static_cast<double>(a(i, 0)) * b(0, j) + static_cast<double>(a(i, 1)) * b(1, j) +
                     static_cast<double>(a(i, 2)) * b(2, j));
  return Matrix3(rows[0], rows[1], rows[2]);
}

Vector3 operator*(const Matrix3& m, const Vector3& v) {
  Vector3 r;
  for (int i = 0; i < 3; ++i)
    r[i] = f(static_cast<double>(m(i, 0)) * v.x + static_cast<double>(m(i, 1)) * v.y +
             static_cast<double>(m(i, 2)) * v.z);
  return r;
}

Matrix3 operator!(const Matrix3& m) {
  const float d = m.determinant();
  if (d == 0.0f) return Matrix3(0.0f);
  const float inv = 1.0f / d;
  Matrix3 r = m.adjoint();
  r *= inv;
  return r;
}
