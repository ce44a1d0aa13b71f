#pragma once
// Text-to-number conversions shared by every reader. `long` is 64 bits here, so
// conversions whose result is an int clamp to the 32-bit range explicitly.
#include <string>

// strtol(text, nullptr, 10) clamped to [INT_MIN, INT_MAX]; no digits give 0.
int strtol32(const char* text);
inline int strtol32(const std::string& text) { return strtol32(text.c_str()); }

// Truncates toward zero into the int range; NaN gives 0.
int truncateToInt(double value);
