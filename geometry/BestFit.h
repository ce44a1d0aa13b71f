#pragma once
// Least-squares superposition of point pairs (a, b): the rigid transformation
// that maps the b points onto the a points with the least sum of squared
// distances, and the RMSD after it. Only running sums are kept, so pairs can be
// added one at a time and the fit read after each addition at constant cost.
#include "geometry/RigidTrans3.h"
#include "geometry/Vector3.h"

class BestFit {
 public:
  BestFit();

  // a is the point that stays fixed, b the point that moves.
  void add(const Vector3& a, const Vector3& b);
  void remove(const Vector3& a, const Vector3& b);
  // Recomputes the RMSD and the transformation from the sums.
  void update() const;

  float rmsd() const {
    if (m_dirty) update();
    return m_rmsd;
  }
  const RigidTrans3& rigidTrans() const {
    if (m_dirty) update();
    return m_result;
  }

  bool dirty() const { return m_dirty; }
  int count() const { return m_n; }
  const double* sumA() const { return m_sumA; }
  const double* sumB() const { return m_sumB; }
  // corr()[j][k] is the sum of b_j * a_k.
  const double (*corr() const)[3] { return m_corr; }
  double normA() const { return m_normA; }
  double normB() const { return m_normB; }

  // Whether the RMSD that update() computes is certainly above thr, or
  // certainly below thr, decided from bounds on the best rotation's objective
  // without solving. "Below" uses `hint`, any rotation (the closer to the best
  // one, the sharper the bound). Neither answers true unless the solved RMSD,
  // rounded to float, compares that way with thr; a false answer says
  // nothing.
  bool rmsdCertainlyAbove(float thr) const;
  bool rmsdCertainlyBelow(float thr, const Matrix3& hint) const;

  // The fit from centred sums: h[i][j] = sum of (a_i - abar_i)(b_j - bbar_j),
  // e0 = sum of |a - abar|^2 + |b - bbar|^2, over n pairs. The result maps b onto
  // a. Shared by every least-squares fit of the program.
  static void solve(const double h[3][3], double e0, const double abar[3], const double bbar[3], int n,
                    RigidTrans3& result, float& rmsd);

 private:
  // The centred cross matrix, the residual base and the centroids.
  void centred(double h[3][3], double& e0, double abar[3], double bbar[3]) const;

  mutable bool m_dirty;
  double m_sumB[3];
  double m_sumA[3];
  double m_corr[3][3];
  mutable double m_e0;
  int m_n;
  double m_normB;
  double m_normA;
  mutable float m_rmsd;
  mutable RigidTrans3 m_result;
};
