#include "structure/AminoAcidScore.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "structure/AminoAcid.h"

namespace {

int idx(char c) { return AminoAcid::getResidueTypeIndx(c); }

template <class Matrix>
void expectSymmetric(const Matrix& m) {
  for (int i = 0; i < 22; ++i)
    for (int j = 0; j < 22; ++j) EXPECT_EQ(m.cells[i][j], m.cells[j][i]) << i << " " << j;
}

// PAM250 in the customary alphabetical layout, so that a wrong residue order in
// the matrix or the index shows.
const char* const kPam250Alphabetical[] = {
    //   A   C   D   E   F   G   H   I   K   L   M   N   P   Q   R   S   T   V   W   Y
    "A   2  -2   0   0  -3   1  -1  -1  -1  -2  -1   0   1   0  -2   1   1   0  -6  -3",
    "C  -2  12  -5  -5  -4  -3  -3  -2  -5  -6  -5  -4  -3  -5  -4   0  -2  -2  -8   0",
    "D   0  -5   4   3  -6   1   1  -2   0  -4  -3   2  -1   2  -1   0   0  -2  -7  -4",
    "E   0  -5   3   4  -5   0   1  -2   0  -3  -2   1  -1   2  -1   0   0  -2  -7  -4",
    "F  -3  -4  -6  -5   9  -5  -2   1  -5   2   0  -3  -5  -5  -4  -3  -3  -1   0   7",
    "G   1  -3   1   0  -5   5  -2  -3  -2  -4  -3   0  -1  -1  -3   1   0  -1  -7  -5",
    "H  -1  -3   1   1  -2  -2   6  -2   0  -2  -2   2   0   3   2  -1  -1  -2  -3   0",
    "I  -1  -2  -2  -2   1  -3  -2   5  -2   2   2  -2  -2  -2  -2  -1   0   4  -5  -1",
    "K  -1  -5   0   0  -5  -2   0  -2   5  -3   0   1  -1   1   3   0   0  -2  -3  -4",
    "L  -2  -6  -4  -3   2  -4  -2   2  -3   6   4  -3  -3  -2  -3  -3  -2   2  -2  -1",
    "M  -1  -5  -3  -2   0  -3  -2   2   0   4   6  -2  -2  -1   0  -2  -1   2  -4  -2",
    "N   0  -4   2   1  -3   0   2  -2   1  -3  -2   2  -1   1   0   1   0  -2  -4  -2",
    "P   1  -3  -1  -1  -5  -1   0  -2  -1  -3  -2  -1   6   0   0   1   0  -1  -6  -5",
    "Q   0  -5   2   2  -5  -1   3  -2   1  -2  -1   1   0   4   1  -1  -1  -2  -5  -4",
    "R  -2  -4  -1  -1  -4  -3   2  -2   3  -3   0   0   0   1   6   0  -1  -2   2  -4",
    "S   1   0   0   0  -3   1  -1  -1   0  -3  -2   1   1  -1   0   2   1  -1  -2  -3",
    "T   1  -2   0   0  -3   0  -1   0   0  -2  -1   0   0  -1  -1   1   3   0  -5  -3",
    "V   0  -2  -2  -2  -1  -1  -2   4  -2   2   2  -2  -1  -2  -2  -1   0   4  -6  -2",
    "W  -6  -8  -7  -7   0  -7  -3  -5  -3  -2  -4  -4  -6  -5   2  -2  -5  -6  17   0",
    "Y  -3   0  -4  -4   7  -5   0  -1  -4  -1  -2  -2  -5  -4  -4  -3  -3  -2   0  10",
};
const char kAlphabet[] = "ACDEFGHIKLMNPQRSTVWY";

}  // namespace

TEST(AminoAcidScore, Pam250AminoAcidBlock) {
  const AminoAcidScore::PAM250 pam;
  for (int r = 0; r < 20; ++r) {
    std::istringstream row(kPam250Alphabetical[r]);
    char letter;
    row >> letter;
    ASSERT_EQ(letter, kAlphabet[r]);
    for (int c = 0; c < 20; ++c) {
      int value;
      row >> value;
      EXPECT_EQ(pam.cells[idx(letter)][idx(kAlphabet[c])], float(value)) << letter << kAlphabet[c];
    }
  }
  expectSymmetric(pam);
  EXPECT_EQ(pam.max, 17.0f);
  EXPECT_EQ(pam.min, -8.0f);
}

TEST(AminoAcidScore, Pam250AmbiguousAndGap) {
  const AminoAcidScore::PAM250 pam;
  EXPECT_EQ(pam.cells[idx('W')][idx('W')], 17.0f);
  EXPECT_EQ(pam.cells[idx('C')][idx('W')], -8.0f);
  for (char c : std::string("ACDEFGHIKLMNPQRSTVWYBJOUXZ-."))
    EXPECT_EQ(pam.cells[idx('X')][idx(c)], 0.0f) << c;
  EXPECT_EQ(pam.cells[idx('-')][idx('.')], 0.0f);
  EXPECT_EQ(pam.cells[idx('-')][idx('-')], 0.0f);
  for (char c : std::string(kAlphabet)) {
    EXPECT_EQ(pam.cells[idx('-')][idx(c)], -8.0f) << c;
    EXPECT_EQ(pam.cells[idx(c)][idx('.')], -8.0f) << c;
  }
}

TEST(AminoAcidScore, Blosum62) {
  const AminoAcidScore::BLOSUM62 blosum;
  const struct {
    char a, b;
    int score;
  } cases[] = {{'W', 'W', 11}, {'C', 'C', 9},  {'A', 'A', 4},  {'P', 'P', 7},  {'H', 'H', 8},  {'Y', 'Y', 7},
               {'A', 'R', -1}, {'R', 'K', 2},  {'N', 'D', 1},  {'D', 'E', 2},  {'I', 'V', 3},  {'L', 'I', 2},
               {'F', 'Y', 3},  {'W', 'Y', 2},  {'W', 'F', 1},  {'C', 'E', -4}, {'G', 'I', -4}, {'W', 'N', -4},
               {'S', 'T', 1},  {'M', 'L', 2},  {'Q', 'E', 2},  {'H', 'Y', 2},  {'P', 'F', -4}, {'T', 'V', 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(blosum.cells[idx(c.a)][idx(c.b)], float(c.score)) << c.a << c.b;
    EXPECT_EQ(blosum.cells[idx(c.b)][idx(c.a)], float(c.score)) << c.b << c.a;
  }
  expectSymmetric(blosum);
  EXPECT_EQ(blosum.max, 11.0f);
  EXPECT_EQ(blosum.min, -4.0f);
  EXPECT_EQ(blosum.cells[idx('-')][idx('A')], -4.0f);
  EXPECT_EQ(blosum.cells[idx('-')][idx('.')], 0.0f);
  EXPECT_EQ(blosum.cells[idx('X')][idx('W')], 0.0f);
  EXPECT_EQ(blosum.cells[idx('X')][idx('-')], 0.0f);
  // Every amino acid scores highest against itself.
  for (char a : std::string(kAlphabet))
    for (char b : std::string(kAlphabet))
      if (a != b) {
        EXPECT_LT(blosum.cells[idx(a)][idx(b)], blosum.cells[idx(a)][idx(a)]) << a << b;
      }
}

TEST(AminoAcidScore, Hydrophobic) {
  const AminoAcidScore::Hydrophobic h;
  EXPECT_EQ(h.cells[idx('L')][idx('F')], 1.0f);
  EXPECT_EQ(h.cells[idx('R')][idx('H')], 1.0f);
  EXPECT_EQ(h.cells[idx('L')][idx('K')], -1.0f);
  EXPECT_EQ(h.cells[idx('X')][idx('X')], -1.0f);
  EXPECT_EQ(h.cells[idx('-')][idx('-')], -1.0f);
  EXPECT_EQ(h.cells[idx('A')][idx('-')], -1.0f);
  expectSymmetric(h);
  EXPECT_EQ(h.max, 1.0f);
  EXPECT_EQ(h.min, -1.0f);
}

TEST(AminoAcidScore, UpdateMinMax) {
  AminoAcidScore::PAM250 m;
  m.cells[3][5] = 40.0f;
  m.cells[21][0] = -50.0f;
  m.updateMinMax();
  EXPECT_EQ(m.max, 40.0f);
  EXPECT_EQ(m.min, -50.0f);
}
