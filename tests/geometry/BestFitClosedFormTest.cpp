// On well-conditioned input the fit must be exactly Kabsch's closed form by the
// trigonometric cubic, with no safeguard changing a bit of it. The closed form
// is transcribed here step by step, without any safeguard.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "RandomGeometry.h"
#include "geometry/BestFit.h"

namespace {

struct PlainResult {
  float rotation[3][3];
  float translation[3];
  float rmsd;
};

PlainResult plainClosedForm(const std::vector<Vector3>& a, const std::vector<Vector3>& b) {
  double sumA[3] = {}, sumB[3] = {}, corr[3][3] = {}, normA = 0, normB = 0;
  const int count = int(a.size());
  for (int p = 0; p < count; ++p)
    for (int k = 0; k < 3; ++k) {
      sumB[k] += b[p][k];
      sumA[k] += a[p][k];
      normA += double(a[p][k]) * a[p][k];
      normB += double(b[p][k]) * b[p][k];
      for (int j = 0; j < 3; ++j) corr[j][k] += double(b[p][j]) * a[p][k];
    }
  const double n = count;
  double s = 0;
  for (int k = 0; k < 3; ++k) s += sumA[k] * sumA[k] + sumB[k] * sumB[k];
  const double e0 = (normA + normB) - s / n;
  double h[3][3];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) h[i][j] = corr[j][i] - sumA[i] * sumB[j] / n;
  const double det = h[0][0] * (h[1][1] * h[2][2] - h[1][2] * h[2][1]) - h[0][1] * (h[1][0] * h[2][2] - h[1][2] * h[2][0]) +
                     h[0][2] * (h[1][0] * h[2][1] - h[1][1] * h[2][0]);
  // packed M = H^T H; ip(i, j) for 1-based positions
  const int ip[3][3] = {{1, 2, 4}, {2, 3, 5}, {4, 5, 6}};
  double m[7];
  for (int i = 0; i < 3; ++i)
    for (int j = i; j < 3; ++j) m[ip[i][j]] = h[0][i] * h[0][j] + h[1][i] * h[1][j] + h[2][i] * h[2][j];
  const double spur = (m[1] + m[3] + m[6]) / 3;
  const double cof = (m[3] * m[6] - m[5] * m[5] + m[1] * m[6] - m[4] * m[4] + m[1] * m[3] - m[2] * m[2]) / 3;
  const double d = spur * spur, hh = d - cof, g = (1.5 * cof - d) * spur - 0.5 * det * det;
  EXPECT_GT(hh, d * 1e-9) << "not a general-case input";
  const double sqrth = std::sqrt(hh), c = -g / (hh * sqrth);
  EXPECT_TRUE(c <= 0.9999999 && c >= -0.9999999) << "not a general-case input";
  const double phi = std::acos(c) / 3, cth = sqrth * std::cos(phi), sth = sqrth * 1.73205080756888 * std::sin(phi);
  const double e[3] = {spur + 2 * cth, spur - cth + sth, std::fmax(0.0, spur - cth - sth)};
  double p[3][3], q[3][3];
  for (int l = 0; l < 2; ++l) {
    const double E = e[l];
    double sv[7];
    sv[1] = (E - m[3]) * (E - m[6]) - m[5] * m[5];
    sv[2] = m[4] * m[5] + (E - m[6]) * m[2];
    sv[3] = (E - m[6]) * (E - m[1]) - m[4] * m[4];
    sv[4] = m[2] * m[5] + (E - m[3]) * m[4];
    sv[5] = m[5] * (E - m[1]) + m[4] * m[2];
    sv[6] = (E - m[1]) * (E - m[3]) - m[2] * m[2];
    int j = 0;
    if (std::fabs(sv[1]) >= std::fabs(sv[3]) && std::fabs(sv[1]) >= std::fabs(sv[6])) j = 0;
    else if (std::fabs(sv[3]) >= std::fabs(sv[6])) j = 1;
    else j = 2;
    double len = 0;
    for (int i = 0; i < 3; ++i) len += sv[ip[j][i]] * sv[ip[j][i]];
    len = std::sqrt(len);
    for (int i = 0; i < 3; ++i) p[l][i] = sv[ip[j][i]] / len;
  }
  p[2][0] = p[0][1] * p[1][2] - p[0][2] * p[1][1];
  p[2][1] = p[0][2] * p[1][0] - p[0][0] * p[1][2];
  p[2][2] = p[0][0] * p[1][1] - p[0][1] * p[1][0];
  for (int l = 0; l < 2; ++l) {
    double len = 0;
    for (int i = 0; i < 3; ++i) {
      q[l][i] = h[i][0] * p[l][0] + h[i][1] * p[l][1] + h[i][2] * p[l][2];
      len += q[l][i] * q[l][i];
    }
    len = std::sqrt(len);
    for (int i = 0; i < 3; ++i) q[l][i] /= len;
  }
  q[2][0] = q[0][1] * q[1][2] - q[0][2] * q[1][1];
  q[2][1] = q[0][2] * q[1][0] - q[0][0] * q[1][2];
  q[2][2] = q[0][0] * q[1][1] - q[0][1] * q[1][0];
  PlainResult r;
  double u[3][3];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      u[i][j] = q[0][i] * p[0][j] + q[1][i] * p[1][j] + q[2][i] * p[2][j];
      r.rotation[i][j] = float(u[i][j]);
    }
  for (int i = 0; i < 3; ++i)
    r.translation[i] = float(sumA[i] / n - (u[i][0] * sumB[0] / n + u[i][1] * sumB[1] / n + u[i][2] * sumB[2] / n));
  const double sigma = det < 0 ? -1 : 1;
  r.rmsd = float(std::sqrt(std::fabs(e0 - 2 * ((sigma * std::sqrt(e[2]) + std::sqrt(e[1])) + std::sqrt(e[0]))) / n));
  return r;
}

}  // namespace

TEST(BestFitClosedForm, WellConditionedFitsAreTheClosedFormBitForBit) {
  testing_support::RandomGeometry rnd(31337);
  for (int trial = 0; trial < 500; ++trial) {
    const int n = rnd.integer(5, 60);
    const std::vector<Vector3> b = rnd.cloud(n, 12);
    std::vector<Vector3> a = testing_support::moved(rnd.motion(30), b);
    const double noise = trial % 2 ? rnd.uniform(0.05, 2.0) : 0.0;
    for (Vector3& pt : a)
      for (int k = 0; k < 3; ++k) pt[k] += float(rnd.normal(noise));
    BestFit fit;
    for (int i = 0; i < n; ++i) fit.add(a[i], b[i]);
    const PlainResult plain = plainClosedForm(a, b);
    const RigidTrans3& t = fit.rigidTrans();
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) EXPECT_EQ(t.rotation()(i, j), plain.rotation[i][j]) << "trial " << trial;
      EXPECT_EQ(t.translation()[i], plain.translation[i]) << "trial " << trial;
    }
    EXPECT_EQ(fit.rmsd(), plain.rmsd) << "trial " << trial;
  }
}
