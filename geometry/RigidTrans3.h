#pragma once
// A rotation followed by a translation: x -> R x + t.
#include "geometry/Matrix3.h"
#include "geometry/Vector3.h"

class RigidTrans3 {
 public:
  RigidTrans3() : m_rotation(1.0f) {}
  RigidTrans3(const Matrix3& rotation, const Vector3& translation)
      : m_rotation(rotation), m_translation(translation) {}

  const Matrix3& rotation() const { return m_rotation; }
  const Vector3& translation() const { return m_translation; }

  // R p + t, each component accumulated in double and rounded once.
  Vector3 operator*(const Vector3& p) const;

 private:
  Matrix3 m_rotation;
  Vector3 m_translation;
};

// a * b applies b first: (R_a R_b, R_a t_b + t_a).
RigidTrans3 operator*(const RigidTrans3& a, const RigidTrans3& b);
// (R^T, -(R^T t)); R must be a rotation.
RigidTrans3 operator!(const RigidTrans3& t);
