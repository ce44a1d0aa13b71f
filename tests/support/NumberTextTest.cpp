#include "support/NumberText.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

TEST(NumberText, Strtol32ClampsTo32Bits) {
  const struct {
    const char* text;
    int value;
  } cases[] = {{"0", 0},           {"  42", 42},          {"-5", -5},        {"12abc", 12},
               {"abc", 0},         {"", 0},               {"7.9", 7},        {"+3", 3},
               {"2147483647", INT_MAX}, {"2147483648", INT_MAX}, {"99999999999", INT_MAX},
               {"-2147483648", INT_MIN}, {"-99999999999", INT_MIN}};
  for (const auto& c : cases) EXPECT_EQ(strtol32(c.text), c.value) << c.text;
}

TEST(NumberText, TruncateToInt) {
  EXPECT_EQ(truncateToInt(2.9), 2);
  EXPECT_EQ(truncateToInt(-2.9), -2);
  EXPECT_EQ(truncateToInt(1e20), INT_MAX);
  EXPECT_EQ(truncateToInt(-1e20), INT_MIN);
  EXPECT_EQ(truncateToInt(std::nan("")), 0);
}
