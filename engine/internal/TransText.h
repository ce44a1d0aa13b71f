#pragma once
// The six numbers that place a structure in every result file: the three
// rotation angles, then the translation.
#include <ostream>

#include "geometry/RigidTrans3.h"

namespace internal {

inline void writeTransNumbers(std::ostream& os, const RigidTrans3& t) {
  const Vector3 angles = t.rotation().rotationAngles();
  const Vector3& shift = t.translation();
  os << static_cast<double>(angles.x) << " " << static_cast<double>(angles.y) << " "
     << static_cast<double>(angles.z) << " " << static_cast<double>(shift.x) << " "
     << static_cast<double>(shift.y) << " " << static_cast<double>(shift.z);
}

}  // namespace internal
