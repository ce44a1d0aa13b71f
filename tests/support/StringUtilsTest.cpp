#include "support/StringUtils.h"

#include <gtest/gtest.h>

#include <istream>
#include <random>
#include <sstream>
#include <string>
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

// Reading character by character: the line reader must leave the same lines
// and the same stream states.
std::string lineByCharacters(std::istream& in) {
  std::string line;
  for (;;) {
    const int c = in.get();
    if (in.fail() || in.bad()) return line;
    if (c == '\n') return line;
    line.push_back(static_cast<char>(c));
  }
}

TEST(GetLine, SameLinesAndStatesAsReadingCharacterByCharacter) {
  std::mt19937 random(3);
  const char alphabet[] = {'a', 'Z', ' ', '\t', '\r', '\n', '\0', '\xff'};
  for (int round = 0; round < 300; ++round) {
    std::string text;
    // Now and then a line longer than any stream buffer.
    const std::size_t length = round % 50 == 0 ? 20000 : random() % 60;
    for (std::size_t k = 0; k < length; ++k) text.push_back(alphabet[random() % sizeof(alphabet)]);
    std::istringstream ours(text), reference(text);
    for (int line = 0; line < 5000; ++line) {
      const std::string expected = lineByCharacters(reference);
      ASSERT_EQ(StringUtils::getLine(ours), expected) << "round " << round << " line " << line;
      ASSERT_EQ(ours.rdstate(), reference.rdstate()) << "round " << round << " line " << line;
      if (!reference.good()) break;
    }
    // A failed stream gives nothing more and stays failed.
    EXPECT_EQ(StringUtils::getLine(ours), lineByCharacters(reference));
    EXPECT_EQ(ours.rdstate(), reference.rdstate());
  }
}
