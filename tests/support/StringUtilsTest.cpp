#include "support/StringUtils.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

TEST(GetLine, LineEndsAndStreamState) {
  const struct {
    const char* input;
    std::vector<std::string> lines;
    bool eofAfter;
  } cases[] = {
      {"a\nb", {"a", "b"}, true},
      {"a\r\n", {"a\r"}, false},
      {"\n", {""}, false},
      {"", {""}, true},
      {"x\r\ny\r\n", {"x\r", "y\r"}, false},
      {"one\n\nthree", {"one", "", "three"}, true},
  };
  for (const auto& c : cases) {
    std::istringstream in(c.input);
    for (const std::string& expected : c.lines) EXPECT_EQ(StringUtils::getLine(in), expected) << c.input;
    EXPECT_EQ(in.eof(), c.eofAfter) << ::testing::PrintToString(std::string(c.input));
  }
}

TEST(GetLine, EmptyLineKeepsStreamGood) {
  std::istringstream in("\nmore");
  EXPECT_EQ(StringUtils::getLine(in), "");
  EXPECT_TRUE(in.good());
  EXPECT_EQ(StringUtils::getLine(in), "more");
  EXPECT_TRUE(in.eof());
}
