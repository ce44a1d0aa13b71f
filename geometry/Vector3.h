#pragma once
// A point or displacement in single precision. Expressions that the program
// forms in double precision (distances, transformed coordinates) convert each
// component explicitly and round once when the result is stored.
#include <cmath>

class Vector3 {
 public:
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;

  Vector3() = default;
  Vector3(float x0, float y0, float z0) : x(x0), y(y0), z(z0) {}

  float& operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }
  const float& operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }

  Vector3& operator+=(const Vector3& v) {
    x += v.x;
    y += v.y;
    z += v.z;
    return *this;
  }
  Vector3& operator-=(const Vector3& v) {
    x -= v.x;
    y -= v.y;
    z -= v.z;
    return *this;
  }
  Vector3& operator*=(float s) {
    x *= s;
    y *= s;
    z *= s;
    return *this;
  }
  Vector3& operator/=(float s) {
    x /= s;
    y /= s;
    z /= s;
    return *this;
  }

  // Squared length and length, formed in double and rounded to float.
  float norm2() const {
    return static_cast<float>(static_cast<double>(x) * x + static_cast<double>(y) * y +
                              static_cast<double>(z) * z);
  }
  float norm() const { return static_cast<float>(std::sqrt(static_cast<double>(norm2()))); }
};

inline Vector3 operator+(const Vector3& a, const Vector3& b) { return Vector3(a.x + b.x, a.y + b.y, a.z + b.z); }
inline Vector3 operator-(const Vector3& a, const Vector3& b) { return Vector3(a.x - b.x, a.y - b.y, a.z - b.z); }
inline Vector3 operator-(const Vector3& a) { return Vector3(-a.x, -a.y, -a.z); }
inline Vector3 operator*(const Vector3& a, float s) { return Vector3(a.x * s, a.y * s, a.z * s); }
inline Vector3 operator*(float s, const Vector3& a) { return a * s; }
inline Vector3 operator/(const Vector3& a, float s) { return Vector3(a.x / s, a.y / s, a.z / s); }
inline bool operator==(const Vector3& a, const Vector3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
inline bool operator!=(const Vector3& a, const Vector3& b) { return !(a == b); }

// Dot and cross products, formed in double and rounded to float.
inline float dot(const Vector3& a, const Vector3& b) {
  return static_cast<float>(static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y +
                            static_cast<double>(a.z) * b.z);
}
inline Vector3 cross(const Vector3& a, const Vector3& b) {
  return Vector3(static_cast<float>(static_cast<double>(a.y) * b.z - static_cast<double>(a.z) * b.y),
                 static_cast<float>(static_cast<double>(a.z) * b.x - static_cast<double>(a.x) * b.z),
                 static_cast<float>(static_cast<double>(a.x) * b.y - static_cast<double>(a.y) * b.x));
}

// Squared distance with every difference and the sum in double precision, as
// the pair tests compare it with a squared threshold.
inline double dist2(const Vector3& a, const Vector3& b) {
  const double dx = static_cast<double>(a.x) - static_cast<double>(b.x);
  const double dy = static_cast<double>(a.y) - static_cast<double>(b.y);
  const double dz = static_cast<double>(a.z) - static_cast<double>(b.z);
  return dx * dx + dy * dy + dz * dz;
}
