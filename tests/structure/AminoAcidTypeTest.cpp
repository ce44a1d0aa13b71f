#include "structure/AminoAcidType.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ProcessRunner.h"

using testing_support::TempDir;

namespace {

struct Pair {
  char a, b;
  bool equivalent;
};

// A user classification fills its table once per process, so every class file
// is read in a child process of its own, which checks the pairs and exits 0
// only when all agree.
void expectUserClasses(const std::string& content, const std::vector<Pair>& pairs,
                       const char* stderrPattern = "") {
  TempDir dir;
  dir.write("biocore.in", content);
  EXPECT_EXIT(
      {
        if (chdir(dir.path().c_str()) != 0) std::_Exit(2);
        AminoAcid_UserType classes("biocore.in");
        int wrong = 0;
        for (const Pair& p : pairs)
          if (classes.equivalent(p.a, p.b) != p.equivalent) {
            std::fprintf(stderr, "wrong answer for (%c, %c)\n", p.a, p.b);
            ++wrong;
          }
        std::exit(wrong ? 3 : 0);
      },
      ::testing::ExitedWithCode(0), stderrPattern);
}

}  // namespace

TEST(AminoAcidType, TableClassifications) {
  const AminoAcid_HHAG_Type hhag;
  const AminoAcid_HPMPAG_Type hpmpag;
  const AminoAcidEqualType equal;
  const struct {
    const AminoAcidType* type;
    const char* name;
    char a, b;
    bool equivalent;
  } cases[] = {
      {&hhag, "HHAG", 'D', 'K', true},    {&hhag, "HHAG", 'D', 'A', false},   {&hpmpag, "HPMPAG", 'D', 'K', false},
      {&hhag, "HHAG", 'X', 'B', true},    {&hpmpag, "HPMPAG", 'X', 'B', true}, {&equal, "Equal", 'X', 'X', true},
      {&equal, "Equal", 'X', 'B', false}, {&hhag, "HHAG", 'F', 'W', true},    {&hhag, "HHAG", 'G', 'A', false},
      {&hhag, "HHAG", 'S', 'P', true},    {&hpmpag, "HPMPAG", 'D', 'E', true}, {&hpmpag, "HPMPAG", 'H', 'R', true},
      {&hpmpag, "HPMPAG", 'N', 'T', true}, {&hpmpag, "HPMPAG", 'H', 'N', false}, {&hpmpag, "HPMPAG", 'G', 'G', true},
      {&hpmpag, "HPMPAG", 'Y', 'W', true}, {&hpmpag, "HPMPAG", 'M', 'V', true}, {&hpmpag, "HPMPAG", 'M', 'F', false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.type->equivalent(c.a, c.b), c.equivalent) << c.name << " (" << c.a << ", " << c.b << ")";
}

TEST(AminoAcidType, EveryLetterOfTheTables) {
  const AminoAcid_HHAG_Type hhag;
  const AminoAcid_HPMPAG_Type hpmpag;
  const std::vector<std::string> hhagClasses = {"ACILMV", "DEHKNPQRST", "FWY", "G", "BJOUXZ"};
  const std::vector<std::string> hpmpagClasses = {"ACILMV", "HKR", "DE", "NPQST", "FWY", "G", "BJOUXZ"};
  auto check = [](const AminoAcidType& type, const std::vector<std::string>& classes) {
    for (size_t i = 0; i < classes.size(); ++i)
      for (size_t j = 0; j < classes.size(); ++j)
        for (char a : classes[i])
          for (char b : classes[j]) EXPECT_EQ(type.equivalent(a, b), i == j) << a << " " << b;
  };
  check(hhag, hhagClasses);
  check(hpmpag, hpmpagClasses);
}

TEST(AminoAcidType, CharactersOutsideTheTableAreClassZero) {
  const AminoAcid_HHAG_Type hhag;
  const char high = static_cast<char>(0xE9), low = 'a', bracket = '{';
  EXPECT_TRUE(hhag.equivalent(high, 'X'));
  EXPECT_TRUE(hhag.equivalent(low, bracket));
  EXPECT_FALSE(hhag.equivalent(low, 'A'));
  EXPECT_FALSE(hhag.equivalent('G', high));
}

TEST(AminoAcidTypeDeathTest, UserClassFile) {
  const std::vector<Pair> pairs = {{'A', 'V', true}, {'D', 'E', true},  {'K', 'D', false}, {'K', 'H', true},
                                   {'A', 'D', false}, {'X', 'Z', true}, {'X', 'A', false}, {'\r', 'X', true}};
  expectUserClasses("ACILMV\nDE\nKRH\n", pairs);
  expectUserClasses("ACILMV\nDE\nKRH", pairs);  // no line end after the last line
  expectUserClasses("ACILMV\r\nDE\r\nKRH\r\n", pairs);
  expectUserClasses("A C I L M V\n\tD E\n\nK R H  \n", pairs);
}

TEST(AminoAcidTypeDeathTest, LaterLinesOverrideEarlierOnes) {
  expectUserClasses("AB\nBC\n", {{'B', 'C', true}, {'A', 'B', false}, {'A', 'C', false}});
}

TEST(AminoAcidTypeDeathTest, EmptyFileMakesEverythingEquivalent) {
  expectUserClasses("", {{'A', 'W', true}, {'G', 'X', true}, {'D', 'K', true}});
}

TEST(AminoAcidTypeDeathTest, CharactersWithoutAClassAreIgnoredWithAWarning) {
  expectUserClasses("acilmv\n[{\xC3\xA9\nDE\n", {{'D', 'E', true}, {'A', 'V', true}, {'A', 'D', false}},
                    "biocore.in:1: character 'a' is not a residue letter.*"
                    "biocore.in:2: character '\\{' is not a residue letter.*"
                    "biocore.in:2: character 0xC3 is not a residue letter.*"
                    "biocore.in:2: character 0xA9 is not a residue letter");
}

TEST(AminoAcidTypeDeathTest, SecondConstructionDoesNotReadItsFile) {
  TempDir dir;
  dir.write("first.in", "ACILMV\nDE\n");
  dir.write("second.in", "AD\n");
  EXPECT_EXIT(
      {
        if (chdir(dir.path().c_str()) != 0) std::_Exit(2);
        AminoAcid_UserType first("first.in");
        AminoAcid_UserType second("second.in");
        AminoAcid_UserType third("missing.in");  // would end the process if it were opened
        const bool ok = !second.equivalent('A', 'D') && third.equivalent('D', 'E') && first.equivalent('A', 'V');
        std::exit(ok ? 0 : 3);
      },
      ::testing::ExitedWithCode(0), "");
}

// A missing class file cannot be opened; a folder opens but cannot be read.
TEST(AminoAcidTypeDeathTest, UnusableFileEndsTheRunWithStatusOne) {
  for (const bool folder : {false, true}) {
    TempDir dir;
    if (folder) {
      ASSERT_EQ(mkdir(dir.file("biocore.in").c_str(), 0755), 0);
    }
    const std::string out = dir.file("stdout.txt");
    EXPECT_EXIT(
        {
          if (chdir(dir.path().c_str()) != 0) std::_Exit(2);
          const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
          if (fd < 0 || dup2(fd, 1) < 0) std::_Exit(2);
          AminoAcid_UserType classes("biocore.in");
          std::_Exit(0);
        },
        ::testing::ExitedWithCode(1), "");
    EXPECT_EQ(testing_support::readFile(out), folder ? "Can't read file biocore.in\n" : "Can't open file biocore.in\n");
  }
}
