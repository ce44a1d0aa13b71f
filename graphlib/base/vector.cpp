#include "graphlib/base/vector.h"

#include <cmath>
#include <vector>

#include "graphlib/base/error.h"
#include "graphlib/base/string.h"

namespace graphlib {

namespace {

size_t bytes_of(int d) { return sizeof(double) * static_cast<size_t>(d); }

}  // namespace

void vector::allocate(int dim) {
  d = dim;
  v = d > 0 ? static_cast<double*>(std_memory_mgr.allocate_bytes(bytes_of(d))) : nullptr;
  if (v == nullptr) d = 0;
}

void vector::release() {
  if (v) std_memory_mgr.deallocate_bytes(v, bytes_of(d));
  v = nullptr;
  d = 0;
}

vector::vector() : v(nullptr), d(0) {}

vector::vector(int dim) : v(nullptr), d(0) {
  if (dim < 0) {
    std_error_handler(1, "vector: negative dimension.");
    return;
  }
  allocate(dim);
  for (int i = d - 1; i >= 0; i--) v[i] = 0.0;
}

vector::vector(double a, double b) : v(nullptr), d(0) {
  allocate(2);
  if (d == 2) {
    v[0] = a;
    v[1] = b;
  }
}

vector::vector(double a, double b, double c) : v(nullptr), d(0) {
  allocate(3);
  if (d == 3) {
    v[0] = a;
    v[1] = b;
    v[2] = c;
  }
}

vector::vector(const vector& w) : v(nullptr), d(0) {
  allocate(w.d);
  for (int i = d - 1; i >= 0; i--) v[i] = w.v[i];
}

vector::~vector() { release(); }

vector& vector::operator=(const vector& w) {
  if (this == &w) return *this;
  if (d != w.d) {
    release();
    allocate(w.d);
  }
  for (int i = d - 1; i >= 0; i--) v[i] = w.v[i];
  return *this;
}

double& vector::operator[](int i) {
  if (i < 0 || i >= d) {
    std_error_handler(1, "vector: index out of range ");
    // Nowhere to point when the handler returns: a scratch cell.
    static double scratch;
    scratch = 0.0;
    return scratch;
  }
  return v[i];
}

double vector::operator[](int i) const {
  if (i < 0 || i >= d) {
    std_error_handler(1, "vector: index out of range ");
    return 0.0;
  }
  return v[i];
}

void vector::check_dimensions(const vector& w) const {
  if (d != w.d) std_error_handler(1, "vector arguments have different dimensions.");
}

vector& vector::operator+=(const vector& w) {
  check_dimensions(w);
  if (d == w.d)
    for (int i = d - 1; i >= 0; i--) v[i] += w.v[i];
  return *this;
}

vector& vector::operator-=(const vector& w) {
  check_dimensions(w);
  if (d == w.d)
    for (int i = d - 1; i >= 0; i--) v[i] -= w.v[i];
  return *this;
}

vector vector::operator+(const vector& w) const {
  vector r(*this);
  return r += w;
}

vector vector::operator-(const vector& w) const {
  vector r(*this);
  return r -= w;
}

vector vector::operator-() const {
  vector r(d);
  for (int i = d - 1; i >= 0; i--) r.v[i] = -v[i];
  return r;
}

vector vector::operator*(double s) const {
  vector r(d);
  for (int i = d - 1; i >= 0; i--) r.v[i] = v[i] * s;
  return r;
}

vector vector::operator/(double s) const {
  vector r(d);
  for (int i = d - 1; i >= 0; i--) r.v[i] = v[i] / s;
  return r;
}

double vector::operator*(const vector& w) const {
  check_dimensions(w);
  double r = 0.0;
  if (d == w.d)
    for (int i = d - 1; i >= 0; i--) r += v[i] * w.v[i];
  return r;
}

bool vector::operator==(const vector& w) const {
  if (d != w.d) return false;
  for (int i = d - 1; i >= 0; i--)
    if (!(v[i] == w.v[i])) return false;
  return true;
}

double vector::sqr_length() const { return *this * *this; }

double vector::length() const { return std::sqrt(sqr_length()); }

double vector::angle(const vector& w) const {
  double l = length() * w.length();
  if (l == 0) {
    std_error_handler(1, "angle: zero argument\n");
    return 0.0;
  }
  double c = (*this * w) / l;
  if (c > 1) c = 1;
  if (c < -1) c = -1;
  return std::acos(c);
}

vector vector::rotate90(int i) const {
  if (d != 2) {
    std_error_handler(1, "vector::rotate90: dimension must be two. ");
    return *this;
  }
  double x = v[0];
  double y = v[1];
  switch (i % 4) {
    case 1:
    case -3: return vector(-y, x);
    case 2:
    case -2: return vector(-x, -y);
    case 3:
    case -1: return vector(y, -x);
    default: return vector(x, y);
  }
}

vector vector::rotate(double a) const {
  if (d != 2) {
    std_error_handler(1, "vector::rotate: dimension must be two. ");
    return *this;
  }
  double ca = std::cos(a);
  double sa = std::sin(a);
  double x = v[0];
  double y = v[1];
  return vector(x * ca - y * sa, x * sa + y * ca);
}

vector cross_product(const vector& a, const vector& b) {
  double a0 = a[0], a1 = a[1], a2 = a[2];
  double b0 = b[0], b1 = b[1], b2 = b[2];
  return vector(a1 * b2 - a2 * b1, a2 * b0 - a0 * b2, a0 * b1 - a1 * b0);
}

namespace {

int sign(double x) { return x > 0 ? 1 : (x < 0 ? -1 : 0); }

}  // namespace

int compare_by_angle(const vector& a, const vector& b) {
  double a0 = a[0], a1 = a[1];
  double b0 = b[0], b1 = b[1];
  bool a_zero = a0 == 0 && a1 == 0;
  bool b_zero = b0 == 0 && b1 == 0;
  if (a_zero) return b_zero ? 0 : -1;
  if (b_zero) return 1;
  int ha = a1 != 0 ? sign(a1) : sign(a0);
  int hb = b1 != 0 ? sign(b1) : sign(b0);
  if (ha != hb) return hb - ha;
  return sign(b0 * a1 - a0 * b1);
}

void vector::print(std::ostream& os) const {
  os << "(";
  for (int i = 0; i < d; i++) os << string(" %6.2f", v[i]);
  os << " )";
}

void vector::read(std::istream& is) {
  for (int i = 0; i < d; i++) is >> v[i];
}

std::ostream& operator<<(std::ostream& os, const vector& w) {
  os << w.dim() << " ";
  for (int i = 0; i < w.dim(); i++) os << " " << w[i];
  return os;
}

std::istream& operator>>(std::istream& is, vector& w) {
  int d = 0;
  if (!(is >> d)) return is;
  if (d < 0) {
    std_error_handler(1, "vector: negative dimension.");
    return is;
  }
  // The dimension is untrusted input: take memory only for components that
  // are really there.
  std::vector<double> components;
  for (int i = 0; i < d; i++) {
    double x;
    if (!(is >> x)) return is;
    components.push_back(x);
  }
  vector r(d);
  for (int i = 0; i < d; i++) r[i] = components[static_cast<size_t>(i)];
  w = r;
  return is;
}

}  // namespace graphlib
