#include "structure/AminoAcid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "structure/AminoAcidScore.h"

TEST(AminoAcid, ResidueIndexOfEveryCharacter) {
  // Every letter by its role; the twenty amino acids in matrix order.
  const std::string order = "RKEQDNPGSTHAILVFCMYW";
  for (char c = 'A'; c <= 'Z'; ++c) {
    const size_t pos = order.find(c);
    const int expected = pos == std::string::npos ? 20 : int(pos);
    testing::internal::CaptureStderr();
    EXPECT_EQ(AminoAcid::getResidueTypeIndx(c), expected) << c;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << c;
  }
  for (char c : {'B', 'J', 'O', 'U', 'X', 'Z'}) EXPECT_EQ(AminoAcid::getResidueTypeIndx(c), UNKNOWN_IDX) << c;
  EXPECT_EQ(AminoAcid::getResidueTypeIndx('R'), ARG_IDX);
  EXPECT_EQ(AminoAcid::getResidueTypeIndx('W'), TRP_IDX);
  EXPECT_EQ(AminoAcid::getResidueTypeIndx('A'), ALA_IDX);
  EXPECT_EQ(AminoAcid::getResidueTypeIndx('-'), GAP_IDX);
  EXPECT_EQ(AminoAcid::getResidueTypeIndx('.'), GAP_IDX);
}

TEST(AminoAcid, UnknownCharactersAreReported) {
  for (char c : {'a', '*', ' ', 'z', '@', '['}) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(AminoAcid::getResidueTypeIndx(c), -1) << c;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string("SequenceScore: unknown residue type:") + c + "\n");
  }
}

TEST(AminoAcid, ReverseTableMatchesTheIndex) {
  for (int i = 0; i < 20; ++i) EXPECT_EQ(AminoAcid::getResidueTypeIndx(AminoAcid::m_revIndexes[i]), i);
  EXPECT_EQ(AminoAcid::m_revIndexes[20], '.');
  EXPECT_EQ(AminoAcid::m_revIndexes[21], '-');
}

TEST(AminoAcid, Frequencies) {
  EXPECT_EQ(AminoAcid::getFreqOfOccurrence(ARG_IDX), 0.047f);
  EXPECT_EQ(AminoAcid::getFreqOfOccurrence(TRP_IDX), 0.011f);
  EXPECT_EQ(AminoAcid::getFreqOfOccurrence(ALA_IDX), 0.090f);
  EXPECT_EQ(AminoAcid::getFreqOfOccurrence(UNKNOWN_IDX), 0.0f);
  EXPECT_EQ(AminoAcid::getFreqOfOccurrence(GAP_IDX), 0.0f);
  EXPECT_EQ(AminoAcid::getFreqOfOccurrence(static_cast<RESIDUE_INDEX>(22)), 0.0f);
  float sum = 0;
  for (int i = 0; i < 22; ++i) sum += AminoAcid::getFreqOfOccurrence(static_cast<RESIDUE_INDEX>(i));
  EXPECT_NEAR(sum, 1.0f, 0.01f);
}

// Catches a wrong order in either the letter index or the matrix.
TEST(AminoAcid, IndexAgreesWithPam250) {
  const AminoAcidScore::PAM250 pam;
  auto idx = AminoAcid::getResidueTypeIndx;
  EXPECT_EQ(pam.cells[idx('W')][idx('W')], 17.0f);
  EXPECT_EQ(pam.cells[idx('C')][idx('C')], 12.0f);
  EXPECT_EQ(pam.cells[idx('F')][idx('Y')], 7.0f);
  EXPECT_EQ(pam.cells[idx('Y')][idx('Y')], 10.0f);
}

TEST(AminoAcid, BackboneAtomsMotionAndOutput) {
  AminoAcid residue;
  EXPECT_EQ(residue.getCA(), -1);
  residue.push_back(Atom(Vector3(1, 2, 3), 'A', 1, 5, "N", 'G', ' '));
  residue.push_back(Atom(Vector3(2, 2, 3), 'A', 2, 5, "CA", 'G', ' '));
  residue.push_back(Atom(Vector3(3, 2, 3), 'A', 3, 5, "C", 'G', ' '));
  residue.push_back(Atom(Vector3(3, 3, 3), 'A', 4, 5, "O", 'G', ' '));
  residue.push_back(Atom(Vector3(4, 4, 4), 'A', 5, 5, "CA", 'G', ' '));
  EXPECT_EQ(residue.getN(), 0);
  EXPECT_EQ(residue.getCA(), 1);
  EXPECT_EQ(residue.getC(), 2);
  EXPECT_EQ(residue.getO(), 3);

  residue *= RigidTrans3(Matrix3(0, -1, 0, 1, 0, 0, 0, 0, 1), Vector3(10, 0, 0));
  EXPECT_EQ(residue[0].position(), Vector3(8, 1, 3));
  EXPECT_EQ(residue[4].position(), Vector3(6, 4, 4));

  std::ostringstream text, expected;
  text << residue;
  for (const Atom& a : residue) expected << a << "\n";
  const std::string written = text.str();
  EXPECT_EQ(written, expected.str());
  EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 5);
}
