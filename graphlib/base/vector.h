#pragma once
// Vector of doubles of any dimension.
#include "graphlib/base/memory_manager.h"

#include <istream>
#include <ostream>

namespace graphlib {

class vector {
 public:
  vector();
  explicit vector(int d);
  vector(double a, double b);
  vector(double a, double b, double c);
  vector(const vector& w);
  ~vector();
  vector& operator=(const vector& w);

  int dim() const { return d; }
  double& operator[](int i);
  double operator[](int i) const;
  void check_dimensions(const vector& w) const;

  vector& operator+=(const vector& w);
  vector& operator-=(const vector& w);
  vector operator+(const vector& w) const;
  vector operator-(const vector& w) const;
  vector operator-() const;
  vector operator*(double s) const;
  vector operator/(double s) const;
  // Scalar product, summed from the last component down.
  double operator*(const vector& w) const;
  bool operator==(const vector& w) const;

  double sqr_length() const;
  double length() const;
  double angle(const vector& w) const;
  // A plane vector turned by i quarter turns (positive: counter-clockwise).
  vector rotate90(int i = 1) const;
  vector rotate(double a) const;

  void print(std::ostream& os) const;
  // Reads dim() components; the dimension is not read.
  void read(std::istream& is);

 private:
  void allocate(int dim);
  void release();

  double* v;
  int d;
};

vector cross_product(const vector& a, const vector& b);
// Zero vectors first, then by polar angle in [0, 2 pi).
int compare_by_angle(const vector& a, const vector& b);

std::ostream& operator<<(std::ostream& os, const vector& w);
std::istream& operator>>(std::istream& is, vector& w);

}  // namespace graphlib
