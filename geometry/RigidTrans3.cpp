#include "geometry/RigidTrans3.h"

Vector3 RigidTrans3::operator*(const Vector3& p) const {
  const Matrix3& r = m_rotation;
  Vector3 out;
  for (int i = 0; i < 3; ++i)
    out[i] = static_cast<float>(static_cast<double>(r(i, 0)) * p.x + static_cast<double>(r(i, 1)) * p.y +
                                static_cast<double>(r(i, 2)) * p.z + static_cast<double>(m_translation[i]));
  return out;
}

RigidTrans3 operator*(const RigidTrans3& a, const RigidTrans3& b) {
  return RigidTrans3(a.rotation() * b.rotation(), a * b.translation());
}

RigidTrans3 operator!(const RigidTrans3& t) {
  const Matrix3 rt = t.rotation().transpose();
  return RigidTrans3(rt, -(rt * t.translation()));
}
