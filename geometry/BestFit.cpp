#include "geometry/BestFit.h"

#include <cmath>

namespace {

using Vec = double[3];

double dot3(const Vec a, const Vec b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void cross3(const Vec a, const Vec b, Vec out) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

void normalize3(Vec a) {
  const double len = std::sqrt(dot3(a, a));
  for (int i = 0; i < 3; ++i) a[i] /= len;
}

void multiply(const double h[3][3], const Vec p, Vec out) {
  for (int i = 0; i < 3; ++i) out[i] = h[i][0] * p[0] + h[i][1] * p[1] + h[i][2] * p[2];
}

// out = a^T b: out[i][j] is the sum over k of a[k][i] * b[k][j].
void transposeProduct(const double a[3][3], const double b[3][3], double out[3][3]) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) out[i][j] = a[0][i] * b[0][j] + a[1][i] * b[1][j] + a[2][i] * b[2][j];
}

bool allFinite(const double m[3][3]) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      if (!std::isfinite(m[i][j])) return false;
  return true;
}

double determinant3(const double m[3][3]) {
  return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
         m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

// The eigenvector of a simple eigenvalue e1 or e3 of M when the other two are
// equal to E, and a unit vector orthogonal to it.
void doubleRootVectors(const double m[3][3], double e, Vec single, Vec other) {
  int j = 0;
  double largest = std::fabs(m[0][0] - e);
  for (int k = 1; k < 3; ++k) {
    const double v = std::fabs(m[k][k] - e);
    if (v >= largest) {
      largest = v;
      j = k;
    }
  }
  double offDiagonal = 0.0;
  for (int i = 0; i < 3; ++i) {
    single[i] = m[j][i] - (i == j ? e : 0.0);
    other[i] = 1.0;
    if (i != j) offDiagonal += m[j][i];
  }
  other[j] = -offDiagonal / (m[j][j] - e);
  normalize3(single);
  normalize3(other);
}

// The eigenvector of a simple eigenvalue E of the symmetric M, taken from the
// column of the adjugate of E I - M with the largest diagonal entry.
void simpleRootVector(const double m[3][3], double e, Vec out) {
  const double m1 = m[0][0], m2 = m[0][1], m3 = m[1][1], m4 = m[0][2], m5 = m[1][2], m6 = m[2][2];
  const double s1 = (e - m3) * (e - m6) - m5 * m5;
  const double s2 = m4 * m5 + (e - m6) * m2;
  const double s3 = (e - m6) * (e - m1) - m4 * m4;
  const double s4 = m2 * m5 + (e - m3) * m4;
  const double s5 = m5 * (e - m1) + m4 * m2;
  const double s6 = (e - m1) * (e - m3) - m2 * m2;
  if (std::fabs(s1) >= std::fabs(s3) && std::fabs(s1) >= std::fabs(s6)) {
    out[0] = s1, out[1] = s2, out[2] = s4;
  } else if (std::fabs(s3) >= std::fabs(s6)) {
    out[0] = s2, out[1] = s3, out[2] = s5;
  } else {
    out[0] = s4, out[1] = s5, out[2] = s6;
  }
  normalize3(out);
}

// Kabsch's closed form: eigen-decomposition of H^T H by the trigonometric
// solution of its characteristic cubic. Writes the rotation u and the objective
// sqrt(e1) + sqrt(e2) + sigma sqrt(e3) it predicts.
void closedForm(const double h[3][3], double u[3][3], double& objective) {
  const double det = determinant3(h);
  double mm[3][3];
  transposeProduct(h, h, mm);
  const double m1 = mm[0][0], m2 = mm[0][1], m3 = mm[1][1], m4 = mm[0][2], m5 = mm[1][2], m6 = mm[2][2];

  const double spur = (m1 + m3 + m6) / 3.0;
  const double cof = (m3 * m6 - m5 * m5 + m1 * m6 - m4 * m4 + m1 * m3 - m2 * m2) / 3.0;
  const double d = spur * spur;
  const double hh = d - cof;
  const double g = (1.5 * cof - d) * spur - 0.5 * det * det;

  double e1, e2, e3;
  Vec p1, p2, p3;
  if (hh <= d * 1e-9) {
    e1 = e2 = e3 = spur;
    for (int i = 0; i < 3; ++i) p1[i] = p2[i] = p3[i] = 0.0;
    p1[0] = p2[1] = p3[2] = 1.0;
  } else {
    const double sqrth = std::sqrt(hh);
    const double c = -g / (hh * sqrth);
    if (c > 0.9999999) {
      e1 = spur + 2.0 * sqrth;
      e2 = e3 = spur - sqrth;
      doubleRootVectors(mm, e2, p1, p2);
      cross3(p1, p2, p3);
    } else if (c < -0.9999999) {
      e1 = e2 = spur + sqrth;
      e3 = spur - 2.0 * sqrth;
      if (e3 < 0.0) e3 = 0.0;
      doubleRootVectors(mm, e2, p3, p2);
      cross3(p2, p3, p1);
    } else {
      const double phi = std::acos(c) / 3.0;
      const double cth = sqrth * std::cos(phi);
      const double sth = sqrth * 1.73205080756888 * std::sin(phi);
      e1 = spur + 2.0 * cth;
      e2 = spur - cth + sth;
      e3 = spur - cth - sth;
      if (e3 < 0.0) e3 = 0.0;
      simpleRootVector(mm, e1, p1);
      simpleRootVector(mm, e2, p2);
      cross3(p1, p2, p3);
    }
  }

  Vec q1, q2, q3;
  multiply(h, p1, q1);
  normalize3(q1);
  multiply(h, p2, q2);
  normalize3(q2);
  cross3(q1, q2, q3);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) u[i][j] = q1[i] * p1[j] + q2[i] * p2[j] + q3[i] * p3[j];

  // Rounding can leave a vanishing eigenvalue slightly negative.
  const double sigma = det < 0.0 ? -1.0 : 1.0;
  objective = (sigma * std::sqrt(std::fmax(e3, 0.0)) + std::sqrt(std::fmax(e2, 0.0))) + std::sqrt(std::fmax(e1, 0.0));
}

// Relative tolerance of the optimality test. A rotation that passes it loses at
// most a few times this fraction of |H| in the objective: far below float
// resolution of any RMSD, yet above the rounding of a well-conditioned solution.
constexpr double kTolerance = 1e-11;

double frobenius(const double h[3][3]) {
  double s = 0.0;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) s += h[i][j] * h[i][j];
  return std::sqrt(s);
}

// tr(U^T H), the sum over the centred pairs of a . (U b).
double objectiveOf(const double u[3][3], const double h[3][3]) {
  double s = 0.0;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) s += u[i][j] * h[i][j];
  return s;
}

// U is the best proper rotation for H when it is a rotation, S = U^T H is
// symmetric and tr(S) I - S is positive semidefinite: the first-order and
// second-order conditions of the maximum of tr(U^T H) over rotations, and every
// local maximum of that problem is global.
bool isOptimalRotation(const double u[3][3], const double h[3][3], double scale) {
  if (!allFinite(u)) return false;
  double s[3][3];
  transposeProduct(u, u, s);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      if (!(std::fabs(s[i][j] - (i == j ? 1.0 : 0.0)) <= 1e-9)) return false;
  if (!(determinant3(u) > 0.0)) return false;

  transposeProduct(u, h, s);
  const double tol = kTolerance * scale;
  for (int i = 0; i < 3; ++i)
    for (int j = i + 1; j < 3; ++j)
      if (!(std::fabs(s[i][j] - s[j][i]) <= tol)) return false;

  // tr(S) I - sym(S), shifted by the tolerance, must pass Sylvester's test.
  const double trace = s[0][0] + s[1][1] + s[2][2];
  double t[3][3];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) t[i][j] = (i == j ? trace + tol : 0.0) - 0.5 * (s[i][j] + s[j][i]);
  if (!(t[0][0] > 0.0)) return false;
  if (!(t[0][0] * t[1][1] - t[0][1] * t[1][0] > 0.0)) return false;
  return determinant3(t) > 0.0;
}

// Whether tr(M^(1/2)) < limit, for a symmetric positive semidefinite M of
// the given trace, shown by upper bounds (false when none shows it). First the
// bound sqrt(tr M + 2 sqrt(3 c2)) of Cauchy-Schwarz on the products of pairs
// of singular values, c2 the sum of M's principal 2x2 minors. Then: for every
// symmetric positive definite X, tr(M^(1/2)) <= (tr X + tr(X^-1 M)) / 2, with
// equality at X = M^(1/2); Newton steps for the square root from a multiple
// of I come close, and each iterate's eigenvalues lie within a factor of 16
// of each other, so rounding stays near 1e-11 relative.
bool nuclearNormBelow(const double m[3][3], double trace, double limit) {
  if (!(limit > 0.0)) return false;
  if (!(trace > 0.0)) return true;
  const double c2 = (m[0][0] * m[1][1] - m[0][1] * m[0][1]) + (m[0][0] * m[2][2] - m[0][2] * m[0][2]) +
                    (m[1][1] * m[2][2] - m[1][2] * m[1][2]);
  const double pairwise = std::sqrt(trace + 2.0 * std::sqrt(3.0 * std::fmax(c2, 0.0)));
  // c2 loses up to about 1e-15 tr(M)^2 to cancellation, which moves the bound
  // by up to about 1e-7 of itself.
  if (pairwise * (1.0 + 1e-6) < limit) return true;
  const double c = std::sqrt(trace / 3.0);
  double x[3][3];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) x[i][j] = 0.5 * (m[i][j] / c + (i == j ? c : 0.0));
  for (int step = 0; step < 3; ++step) {
    const double minor = x[0][0] * x[1][1] - x[0][1] * x[1][0];
    const double det = determinant3(x);
    if (!(x[0][0] > 0.0) || !(minor > 0.0) || !(det > 0.0)) return false;
    double inv[3][3];
    inv[0][0] = (x[1][1] * x[2][2] - x[1][2] * x[2][1]) / det;
    inv[0][1] = (x[0][2] * x[2][1] - x[0][1] * x[2][2]) / det;
    inv[0][2] = (x[0][1] * x[1][2] - x[0][2] * x[1][1]) / det;
    inv[1][0] = (x[1][2] * x[2][0] - x[1][0] * x[2][2]) / det;
    inv[1][1] = (x[0][0] * x[2][2] - x[0][2] * x[2][0]) / det;
    inv[1][2] = (x[0][2] * x[1][0] - x[0][0] * x[1][2]) / det;
    inv[2][0] = (x[1][0] * x[2][1] - x[1][1] * x[2][0]) / det;
    inv[2][1] = (x[0][1] * x[2][0] - x[0][0] * x[2][1]) / det;
    inv[2][2] = minor / det;
    double xm[3][3];
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) xm[i][j] = inv[i][0] * m[0][j] + inv[i][1] * m[1][j] + inv[i][2] * m[2][j];
    const double value = 0.5 * ((x[0][0] + x[1][1] + x[2][2]) + (xm[0][0] + xm[1][1] + xm[2][2]));
    if (!std::isfinite(value)) return false;
    if (value * (1.0 + 1e-9) < limit) return true;
    // The next Newton iterate, made exactly symmetric.
    double next[3][3];
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) next[i][j] = 0.5 * (x[i][j] + 0.5 * (xm[i][j] + xm[j][i]));
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) x[i][j] = next[i][j];
  }
  return false;
}

// Eigen-decomposition of a symmetric 4x4 matrix by cyclic Jacobi rotations;
// the columns of v are the eigenvectors.
void jacobi4(double a[4][4], double v[4][4]) {
  double total = 0.0;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      v[i][j] = i == j ? 1.0 : 0.0;
      total += a[i][j] * a[i][j];
    }
  for (int sweep = 0; sweep < 64; ++sweep) {
    double off = 0.0;
    for (int p = 0; p < 4; ++p)
      for (int q = p + 1; q < 4; ++q) off += a[p][q] * a[p][q];
    if (!(off > 1e-36 * total)) return;
    for (int p = 0; p < 4; ++p)
      for (int q = p + 1; q < 4; ++q) {
        if (a[p][q] == 0.0) continue;
        const double theta = (a[q][q] - a[p][p]) / (2.0 * a[p][q]);
        double t = 1.0 / (std::fabs(theta) + std::sqrt(theta * theta + 1.0));
        if (theta < 0.0) t = -t;
        const double c = 1.0 / std::sqrt(t * t + 1.0), s = t * c;
        for (int k = 0; k < 4; ++k) {
          const double akp = a[k][p], akq = a[k][q];
          a[k][p] = c * akp - s * akq;
          a[k][q] = s * akp + c * akq;
        }
        for (int k = 0; k < 4; ++k) {
          const double apk = a[p][k], aqk = a[q][k];
          a[p][k] = c * apk - s * aqk;
          a[q][k] = s * apk + c * aqk;
        }
        for (int k = 0; k < 4; ++k) {
          const double vkp = v[k][p], vkq = v[k][q];
          v[k][p] = c * vkp - s * vkq;
          v[k][q] = s * vkp + c * vkq;
        }
      }
  }
}

// The best proper rotation for H through the unit quaternion of largest
// eigenvalue of Horn's symmetric 4x4 matrix, which is linear in H: it stays
// accurate where the cubic of H^T H cannot separate its roots (flat, collinear
// or coincident points, two pairs), and always yields a rotation.
void quaternionFit(const double h[3][3], double u[3][3]) {
  // s[x][y] = sum of b_x a_y
  const double sxx = h[0][0], sxy = h[1][0], sxz = h[2][0];
  const double syx = h[0][1], syy = h[1][1], syz = h[2][1];
  const double szx = h[0][2], szy = h[1][2], szz = h[2][2];
  double n[4][4] = {{sxx + syy + szz, syz - szy, szx - sxz, sxy - syx},
                    {syz - szy, sxx - syy - szz, sxy + syx, szx + sxz},
                    {szx - sxz, sxy + syx, -sxx + syy - szz, syz + szy},
                    {sxy - syx, szx + sxz, syz + szy, -sxx - syy + szz}};
  double v[4][4];
  jacobi4(n, v);
  int best = 0;
  for (int k = 1; k < 4; ++k)
    if (n[k][k] > n[best][best]) best = k;
  double w = v[0][best], x = v[1][best], y = v[2][best], z = v[3][best];
  const double len = std::sqrt(w * w + x * x + y * y + z * z);
  w /= len, x /= len, y /= len, z /= len;
  u[0][0] = w * w + x * x - y * y - z * z;
  u[0][1] = 2.0 * (x * y - w * z);
  u[0][2] = 2.0 * (x * z + w * y);
  u[1][0] = 2.0 * (x * y + w * z);
  u[1][1] = w * w - x * x + y * y - z * z;
  u[1][2] = 2.0 * (y * z - w * x);
  u[2][0] = 2.0 * (x * z - w * y);
  u[2][1] = 2.0 * (y * z + w * x);
  u[2][2] = w * w - x * x - y * y + z * z;
}

}  // namespace

BestFit::BestFit()
    : m_dirty(false), m_sumB{}, m_sumA{}, m_corr{}, m_e0(0.0), m_n(0), m_normB(0.0), m_normA(0.0), m_rmsd(0.0f) {}

void BestFit::add(const Vector3& a, const Vector3& b) {
  ++m_n;
  m_dirty = true;
  for (int k = 0; k < 3; ++k) {
    const double ak = a[k], bk = b[k];
    m_sumB[k] += bk;
    m_sumA[k] += ak;
    m_normA += ak * ak;
    m_normB += bk * bk;
    for (int j = 0; j < 3; ++j) m_corr[j][k] += static_cast<double>(b[j]) * ak;
  }
}

void BestFit::remove(const Vector3& a, const Vector3& b) {
  --m_n;
  m_dirty = true;
  for (int k = 0; k < 3; ++k) {
    const double ak = a[k], bk = b[k];
    m_sumB[k] -= bk;
    m_sumA[k] -= ak;
    m_normA -= ak * ak;
    m_normB -= bk * bk;
    for (int j = 0; j < 3; ++j) m_corr[j][k] -= static_cast<double>(b[j]) * ak;
  }
}

void BestFit::centred(double h[3][3], double& e0, double abar[3], double bbar[3]) const {
  const double n = m_n;
  double s = 0.0;
  for (int k = 0; k < 3; ++k) s += m_sumA[k] * m_sumA[k] + m_sumB[k] * m_sumB[k];
  e0 = (m_normA + m_normB) - s / n;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) h[i][j] = m_corr[j][i] - m_sumA[i] * m_sumB[j] / n;
    bbar[i] = m_sumB[i] / n;
    abar[i] = m_sumA[i] / n;
  }
}

void BestFit::update() const {
  m_dirty = false;
  if (m_n <= 0) {
    // Nothing to fit (only reachable by removing every pair).
    m_e0 = 0.0;
    m_rmsd = 0.0f;
    m_result = RigidTrans3();
    return;
  }
  double h[3][3], abar[3], bbar[3];
  centred(h, m_e0, abar, bbar);
  solve(h, m_e0, abar, bbar, m_n, m_result, m_rmsd);
}

// The bounds rest on what solve() guarantees of every rotation u it settles
// on: u is orthonormal to about 1e-9 and its objective tr(u^T h) lies within
// about 1e-7 |h| of the best proper rotation's (the optimality test allows a
// few times 1e-11 |h|, the eigenvector fit is accurate to rounding); and the
// RMSD it reports is the one of u's objective, or the closed form's when the
// two agree within 1e-6 sqrt(|e0| / n). Every tolerance below is at least ten
// times wider than that, and a bound decides only with a relative margin of
// 1e-6 to thr, so that float rounding of the RMSD cannot cross it.
namespace {

constexpr double kObjectiveSlack = 4e-6;  // in units of |h|, covers a rotation's loss both ways
constexpr double kClosedFormSlack = 1.01e-6;  // the closed form's admitted disagreement
constexpr double kMargin = 1e-6;  // relative distance a bound keeps from thr
// A hint orthonormal within kHintTolerance per entry lies within about
// 3 kHintTolerance of a rotation, whose objective it then exceeds by at most
// that much times |h|.
constexpr double kHintTolerance = 1e-6;
constexpr double kHintSlack = 1e-5;

}  // namespace

bool BestFit::rmsdCertainlyAbove(float thr) const {
  if (m_n <= 0) return false;
  double h[3][3], e0, abar[3], bbar[3];
  centred(h, e0, abar, bbar);
  // The solved RMSD is at least sqrt((e0 - 2 s) / n) less the closed form's
  // slack, s the objective of a rotation, at most the sum of h's singular
  // values. So it lies above thr once that sum is below `limit`.
  const double n = m_n;
  double m[3][3];
  transposeProduct(h, h, m);
  const double trace = m[0][0] + m[1][1] + m[2][2];
  const double frob = std::sqrt(trace);
  const double target =
      (static_cast<double>(thr) * (1.0 + kMargin) + kClosedFormSlack * std::sqrt(std::fabs(e0) / n)) / (1.0 - kMargin);
  const double limit = ((e0 - n * target * target) / 2.0 - kObjectiveSlack * frob) / (1.0 + kObjectiveSlack);
  if (!std::isfinite(limit) || !std::isfinite(trace)) return false;
  return nuclearNormBelow(m, trace, limit);
}

bool BestFit::rmsdCertainlyBelow(float thr, const Matrix3& hint) const {
  if (m_n <= 0) return false;
  double h[3][3], e0, abar[3], bbar[3];
  centred(h, e0, abar, bbar);
  // The hint must be a proper rotation to rounding, or its objective says
  // nothing about the best one.
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      const double g = static_cast<double>(hint(0, i)) * hint(0, j) + static_cast<double>(hint(1, i)) * hint(1, j) +
                       static_cast<double>(hint(2, i)) * hint(2, j);
      if (!(std::fabs(g - (i == j ? 1.0 : 0.0)) <= kHintTolerance)) return false;
    }
  if (!(hint.determinant() > 0.0f)) return false;
  double hinted = 0.0;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) hinted += static_cast<double>(hint(i, j)) * h[i][j];
  const double frob = frobenius(h);
  // The solved objective is at least the hint's, less the slack; it exceeds
  // e0 / 2 by no more than the slack and rounding of e0.
  const double above = e0 - 2.0 * hinted + 2.0 * (kObjectiveSlack + kHintSlack) * frob;
  const double below = 2.0 * kObjectiveSlack * 3.0 * frob + 1e-10 * (std::fabs(m_normA) + std::fabs(m_normB));
  const double spread = std::fmax(above, below);
  if (!std::isfinite(spread) || !std::isfinite(e0)) return false;
  const double n = m_n;
  const double upper = std::sqrt(spread / n) * (1.0 + kMargin) + kClosedFormSlack * std::sqrt(std::fabs(e0) / n);
  return upper < static_cast<double>(thr) * (1.0 - kMargin);
}

void BestFit::solve(const double h[3][3], double e0, const double abar[3], const double bbar[3], int n,
                    RigidTrans3& result, float& rmsd) {
  if (n <= 0) {
    result = RigidTrans3();
    rmsd = 0.0f;
    return;
  }
  const double scale = frobenius(h);
  double u[3][3];
  double predicted = 0.0;
  closedForm(h, u, predicted);
  double objective = 0.0;
  if (isOptimalRotation(u, h, scale)) {
    objective = objectiveOf(u, h);
    // The closed form's own RMSD stands unless it is visibly not the RMSD of
    // its rotation: the square root of a vanishing eigenvalue that rounding
    // left positive (three pairs, or planar points) can add up to 1e-3 to the
    // RMSD of an exact copy.
    const double own = std::sqrt(std::fabs(e0 - 2.0 * predicted) / n);
    const double achieved = std::sqrt(std::fabs(e0 - 2.0 * objective) / n);
    if (std::fabs(own - achieved) <= 1e-6 * std::sqrt(std::fabs(e0) / n)) objective = predicted;
  } else {
    quaternionFit(h, u);
    objective = objectiveOf(u, h);
    if (!allFinite(u)) {
      for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) u[i][j] = i == j ? 1.0 : 0.0;
      objective = objectiveOf(u, h);
    }
  }

  Vector3 rows[3], t;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) rows[i][j] = static_cast<float>(u[i][j]);
    t[i] = static_cast<float>(abar[i] - (u[i][0] * bbar[0] + u[i][1] * bbar[1] + u[i][2] * bbar[2]));
  }
  result = RigidTrans3(Matrix3(rows[0], rows[1], rows[2]), t);
  rmsd = static_cast<float>(std::sqrt(std::fabs(e0 - 2.0 * objective) / n));
}
