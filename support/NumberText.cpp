#include "support/NumberText.h"

#include <climits>
#include <cmath>
#include <cstdlib>

int strtol32(const char* text) {
  long value = std::strtol(text, nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

int truncateToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483648.0) return INT_MAX;
  if (value <= -2147483649.0) return INT_MIN;
  return static_cast<int>(value);
}
