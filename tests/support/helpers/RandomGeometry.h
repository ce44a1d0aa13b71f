#pragma once
// Reproducible random points and rigid motions for geometry tests (header-only,
// so that test binaries that do not use geometry need not link it).
#include <cmath>
#include <random>
#include <vector>

#include "geometry/Matrix3.h"
#include "geometry/RigidTrans3.h"
#include "geometry/Vector3.h"

namespace testing_support {

class RandomGeometry {
 public:
  explicit RandomGeometry(unsigned seed) : m_engine(seed) {}

  // Drawn directly from the engine: the standard distributions differ between
  // library implementations, and the tests should see the same numbers everywhere.
  double uniform(double lo, double hi) { return lo + (hi - lo) * (m_engine() / 4294967296.0); }
  double normal(double sigma) {
    const double u = 1.0 - m_engine() / 4294967296.0, v = m_engine() / 4294967296.0;
    return sigma * std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * v);
  }
  int integer(int lo, int hi) { return lo + static_cast<int>(m_engine() % static_cast<unsigned>(hi - lo + 1)); }

  Vector3 point(double range) {
    return Vector3(static_cast<float>(uniform(-range, range)), static_cast<float>(uniform(-range, range)),
                   static_cast<float>(uniform(-range, range)));
  }

  std::vector<Vector3> cloud(int n, double range) {
    std::vector<Vector3> pts;
    for (int i = 0; i < n; ++i) pts.push_back(point(range));
    return pts;
  }

  // A rotation drawn uniformly from a random unit quaternion.
  Matrix3 rotation() {
    double q[4], len = 0.0;
    do {
      len = 0.0;
      for (double& c : q) {
        c = normal(1.0);
        len += c * c;
      }
    } while (len < 1e-6);
    len = std::sqrt(len);
    for (double& c : q) c /= len;
    return rotationFromQuaternion(q);
  }

  RigidTrans3 motion(double shift) { return RigidTrans3(rotation(), point(shift)); }

  static Matrix3 rotationFromQuaternion(const double* q) {
    const double w = q[0], x = q[1], y = q[2], z = q[3];
    const double m[9] = {w * w + x * x - y * y - z * z, 2 * (x * y - w * z), 2 * (x * z + w * y),
                         2 * (x * y + w * z), w * w - x * x + y * y - z * z, 2 * (y * z - w * x),
                         2 * (x * z - w * y), 2 * (y * z + w * x), w * w - x * x - y * y + z * z};
    return Matrix3(m);
  }

 private:
  std::mt19937 m_engine;
};

inline std::vector<Vector3> moved(const RigidTrans3& t, const std::vector<Vector3>& pts) {
  std::vector<Vector3> out;
  for (const Vector3& p : pts) out.push_back(t * p);
  return out;
}

// RMSD between fixed[i] and t * moving[i], in double.
inline double rmsdAfter(const RigidTrans3& t, const std::vector<Vector3>& fixed, const std::vector<Vector3>& moving) {
  double sum = 0.0;
  for (size_t i = 0; i < fixed.size(); ++i) {
    const Matrix3& r = t.rotation();
    for (int k = 0; k < 3; ++k) {
      const double x = static_cast<double>(r(k, 0)) * moving[i].x + static_cast<double>(r(k, 1)) * moving[i].y +
                       static_cast<double>(r(k, 2)) * moving[i].z + t.translation()[k];
      const double d = x - fixed[i][k];
      sum += d * d;
    }
  }
  return fixed.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(fixed.size()));
}

// max(worst, v) that keeps a NaN, so that a NaN result can never pass a bound.
inline double worstOf(double worst, double v) {
  if (std::isnan(worst) || std::isnan(v)) return std::nan("");
  return v > worst ? v : worst;
}

// Largest deviation of R^T R from the identity.
inline double orthonormalityError(const Matrix3& r) {
  double worst = 0.0;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      double s = 0.0;
      for (int k = 0; k < 3; ++k) s += static_cast<double>(r(k, i)) * r(k, j);
      worst = worstOf(worst, std::fabs(s - (i == j ? 1.0 : 0.0)));
    }
  return worst;
}

inline double determinant(const Matrix3& r) {
  const double a = r(0, 0), b = r(0, 1), c = r(0, 2), d = r(1, 0), e = r(1, 1), f = r(1, 2), g = r(2, 0),
               h = r(2, 1), i = r(2, 2);
  return a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
}

inline double maxDifference(const Matrix3& a, const Matrix3& b) {
  double worst = 0.0;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) worst = worstOf(worst, std::fabs(static_cast<double>(a(i, j)) - b(i, j)));
  return worst;
}

inline double maxDifference(const Vector3& a, const Vector3& b) {
  double worst = 0.0;
  for (int k = 0; k < 3; ++k) worst = worstOf(worst, std::fabs(static_cast<double>(a[k]) - b[k]));
  return worst;
}

}  // namespace testing_support
