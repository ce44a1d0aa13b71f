#pragma once
// Independent checks of least-squares superpositions for tests: a reference fit
// (Horn's quaternion method, Jacobi eigen-solver in long double) and an
// optimality certificate for a given rotation. Header-only.
#include <cmath>
#include <string>
#include <vector>

#include "geometry/Matrix3.h"
#include "geometry/Vector3.h"

namespace testing_support {

struct ReferenceFit {
  double rotation[3][3];
  double translation[3];
  double rmsd;
};

// The rotation R and translation t minimising sum |fixed - (R moving + t)|^2.
inline ReferenceFit referenceFit(const std::vector<Vector3>& fixed, const std::vector<Vector3>& moving) {
  typedef long double L;
  const size_t n = fixed.size();
  L ca[3] = {0, 0, 0}, cb[3] = {0, 0, 0};
  for (size_t i = 0; i < n; ++i)
    for (int k = 0; k < 3; ++k) {
      ca[k] += fixed[i][k];
      cb[k] += moving[i][k];
    }
  for (int k = 0; k < 3; ++k) {
    ca[k] /= L(n);
    cb[k] /= L(n);
  }
  L s[3][3] = {};  // s[x][y] = sum of moving_x fixed_y, centred
  for (size_t i = 0; i < n; ++i)
    for (int x = 0; x < 3; ++x)
      for (int y = 0; y < 3; ++y) s[x][y] += (L(moving[i][x]) - cb[x]) * (L(fixed[i][y]) - ca[y]);
  L a[4][4] = {
      {s[0][0] + s[1][1] + s[2][2], s[1][2] - s[2][1], s[2][0] - s[0][2], s[0][1] - s[1][0]},
      {s[1][2] - s[2][1], s[0][0] - s[1][1] - s[2][2], s[0][1] + s[1][0], s[2][0] + s[0][2]},
      {s[2][0] - s[0][2], s[0][1] + s[1][0], -s[0][0] + s[1][1] - s[2][2], s[1][2] + s[2][1]},
      {s[0][1] - s[1][0], s[2][0] + s[0][2], s[1][2] + s[2][1], -s[0][0] - s[1][1] + s[2][2]}};
  L v[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
  for (int sweep = 0; sweep < 100; ++sweep) {
    L off = 0;
    for (int p = 0; p < 4; ++p)
      for (int q = p + 1; q < 4; ++q) off += std::fabs(a[p][q]);
    if (off == 0) break;
    for (int p = 0; p < 4; ++p)
      for (int q = p + 1; q < 4; ++q) {
        if (a[p][q] == 0) continue;
        // Rotation angle that zeroes a[p][q]: tan(2 phi) = 2 a_pq / (a_qq - a_pp).
        const L phi = 0.5L * std::atan2(2 * a[p][q], a[q][q] - a[p][p]);
        const L c = std::cos(phi), sn = std::sin(phi);
        for (int k = 0; k < 4; ++k) {
          const L kp = a[k][p], kq = a[k][q];
          a[k][p] = c * kp - sn * kq;
          a[k][q] = sn * kp + c * kq;
        }
        for (int k = 0; k < 4; ++k) {
          const L pk = a[p][k], qk = a[q][k];
          a[p][k] = c * pk - sn * qk;
          a[q][k] = sn * pk + c * qk;
        }
        for (int k = 0; k < 4; ++k) {
          const L kp = v[k][p], kq = v[k][q];
          v[k][p] = c * kp - sn * kq;
          v[k][q] = sn * kp + c * kq;
        }
      }
  }
  int top = 0;
  for (int k = 1; k < 4; ++k)
    if (a[k][k] > a[top][top]) top = k;
  L w = v[0][top], x = v[1][top], y = v[2][top], z = v[3][top];
  const L len = std::sqrt(w * w + x * x + y * y + z * z);
  w /= len, x /= len, y /= len, z /= len;
  const L r[3][3] = {{w * w + x * x - y * y - z * z, 2 * (x * y - w * z), 2 * (x * z + w * y)},
                     {2 * (x * y + w * z), w * w - x * x + y * y - z * z, 2 * (y * z - w * x)},
                     {2 * (x * z - w * y), 2 * (y * z + w * x), w * w - x * x - y * y + z * z}};
  ReferenceFit fit;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) fit.rotation[i][j] = double(r[i][j]);
    fit.translation[i] = double(ca[i] - (r[i][0] * cb[0] + r[i][1] * cb[1] + r[i][2] * cb[2]));
  }
  L sum = 0;
  for (size_t i = 0; i < n; ++i)
    for (int k = 0; k < 3; ++k) {
      const L d = r[k][0] * moving[i][0] + r[k][1] * moving[i][1] + r[k][2] * moving[i][2] +
                  L(fit.translation[k]) - fixed[i][k];
      sum += d * d;
    }
  fit.rmsd = n ? double(std::sqrt(sum / L(n))) : 0.0;
  return fit;
}

// Whether rotation u maximises sum fixed . (u moving) over all rotations (centred
// coordinates), to a relative tolerance: S = u^T H must be symmetric and every
// sum of two of its eigenvalues non-negative, i.e. tr(S) I - S positive
// semidefinite. On failure `why` says which condition broke.
inline bool certifiesOptimal(const Matrix3& u, const std::vector<Vector3>& fixed, const std::vector<Vector3>& moving,
                             double tolerance, std::string* why = nullptr) {
  const size_t n = fixed.size();
  double ca[3] = {0, 0, 0}, cb[3] = {0, 0, 0};
  for (size_t i = 0; i < n; ++i)
    for (int k = 0; k < 3; ++k) {
      ca[k] += fixed[i][k] / double(n);
      cb[k] += moving[i][k] / double(n);
    }
  double h[3][3] = {}, scale = 0;
  for (size_t i = 0; i < n; ++i)
    for (int x = 0; x < 3; ++x)
      for (int y = 0; y < 3; ++y) h[x][y] += (fixed[i][x] - ca[x]) * (moving[i][y] - cb[y]);
  for (auto& row : h)
    for (double e : row) scale += e * e;
  scale = std::sqrt(scale);
  double s[3][3];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) s[i][j] = u(0, i) * h[0][j] + u(1, i) * h[1][j] + u(2, i) * h[2][j];
  const double tol = tolerance * (scale > 0 ? scale : 1.0);
  for (int i = 0; i < 3; ++i)
    for (int j = i + 1; j < 3; ++j)
      if (!(std::fabs(s[i][j] - s[j][i]) <= tol)) {
        if (why) *why = "u^T H is not symmetric";
        return false;
      }
  // Minimum eigenvalue of T = tr(S) I - sym(S) by the closed form of a
  // symmetric 3x3 matrix (trigonometric method).
  const double tr = s[0][0] + s[1][1] + s[2][2];
  double t[3][3];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) t[i][j] = (i == j ? tr : 0.0) - 0.5 * (s[i][j] + s[j][i]);
  const double p1 = t[0][1] * t[0][1] + t[0][2] * t[0][2] + t[1][2] * t[1][2];
  const double q = (t[0][0] + t[1][1] + t[2][2]) / 3.0;
  const double p2 = (t[0][0] - q) * (t[0][0] - q) + (t[1][1] - q) * (t[1][1] - q) + (t[2][2] - q) * (t[2][2] - q) +
                    2.0 * p1;
  const double p = std::sqrt(p2 / 6.0);
  double minEigen = q;
  if (p > 0) {
    double b[3][3];
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) b[i][j] = (t[i][j] - (i == j ? q : 0.0)) / p;
    double r = (b[0][0] * (b[1][1] * b[2][2] - b[1][2] * b[2][1]) - b[0][1] * (b[1][0] * b[2][2] - b[1][2] * b[2][0]) +
                b[0][2] * (b[1][0] * b[2][1] - b[1][1] * b[2][0])) /
               2.0;
    r = std::fmin(1.0, std::fmax(-1.0, r));
    const double phi = std::acos(r) / 3.0;
    minEigen = q + 2.0 * p * std::cos(phi + 2.0 * std::acos(-1.0) / 3.0);
  }
  if (!(minEigen >= -tol)) {
    if (why) *why = "a saddle, not the maximum: tr(S) I - S has eigenvalue " + std::to_string(minEigen);
    return false;
  }
  return true;
}

inline double maxDifference(const Matrix3& a, const double b[3][3]) {
  double worst = 0.0;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      const double d = std::fabs(double(a(i, j)) - b[i][j]);
      if (std::isnan(d)) return d;
      if (d > worst) worst = d;
    }
  return worst;
}

}  // namespace testing_support
