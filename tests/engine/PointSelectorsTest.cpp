#include "engine/internal/PointSelectors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "structure/AminoAcidType.h"
#include "structure/Atom.h"

namespace {

Atom residue(float x, char letter, char chain = 'A') {
  return Atom(Vector3(x, 0.0f, 0.0f), ATOM, chain, 1, 1, " CA ", letter, "UNK", ' ');
}

// Each selector's threshold set for one test and put back afterwards.
class PointSelectorsTest : public testing::Test {
 protected:
  void SetUp() override {
    m_kept = AminoAcidType::m_state;
    AminoAcidType::m_state = &m_hhag;
  }
  void TearDown() override { AminoAcidType::m_state = m_kept; }

  AminoAcid_HHAG_Type m_hhag;
  AminoAcidType* m_kept = nullptr;
};

TEST_F(PointSelectorsTest, GeomSelectorAdmitsExactlyTheDistance) {
  SelectorThreshold<GeomSelector> thr(3.0f);
  bool value = true;
  EXPECT_TRUE(GeomSelector::admit(residue(0, 'A'), residue(3.0f, 'W'), value));
  EXPECT_TRUE(value);
  EXPECT_FALSE(GeomSelector::admit(residue(0, 'A'), residue(3.001f, 'A'), value));
  EXPECT_FALSE(value);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_FALSE(GeomSelector::admit(residue(0, 'A'), residue(nan, 'A'), value));
}

TEST_F(PointSelectorsTest, ChainSelectorTestsTheChainWithinTheDistance) {
  SelectorThreshold<GeomSelectorChainEQ> thr(3.0f);
  bool value = true;
  EXPECT_TRUE(GeomSelectorChainEQ::admit(residue(0, 'A', 'A'), residue(2.0f, 'A', 'A'), value));
  EXPECT_TRUE(value);
  EXPECT_FALSE(GeomSelectorChainEQ::admit(residue(0, 'A', 'A'), residue(2.0f, 'A', 'B'), value));
  EXPECT_FALSE(value);
  EXPECT_FALSE(GeomSelectorChainEQ::admit(residue(0, 'A', 'A'), residue(4.0f, 'A', 'A'), value));
}

TEST_F(PointSelectorsTest, BioCoreSelectorNeedsEquivalentLettersWithinTheDistance) {
  SelectorThreshold<BioCoreSelector> thr(3.0f);
  bool value = true;
  EXPECT_TRUE(BioCoreSelector::admit(residue(0, 'D'), residue(2.0f, 'K'), value));
  EXPECT_TRUE(value);
  EXPECT_FALSE(BioCoreSelector::admit(residue(0, 'D'), residue(2.0f, 'A'), value));
  EXPECT_FALSE(value);
  EXPECT_FALSE(BioCoreSelector::admit(residue(0, 'D'), residue(3.5f, 'K'), value));
  EXPECT_FALSE(value);
}

struct MatrixCase {
  const char* name;
  char pivot;
  char other;
  float distance;
  bool positiveAdmits;
  float positiveValue;
  bool onlyPositiveAdmits;
  float onlyPositiveValue;
};

TEST_F(PointSelectorsTest, Pam250SelectorsShareOneThresholdAndDifferInValue) {
  const MatrixCase cases[] = {
      {"A-E scores 0", 'A', 'E', 2.0f, true, 9.0f, true, 0.0f},
      {"A-K scores -1", 'A', 'K', 2.0f, true, 8.0f, false, -1.0f},
      {"W-W scores 17", 'W', 'W', 2.0f, true, 26.0f, true, 17.0f},
      {"pivot letter gives the row: C-W", 'C', 'W', 2.0f, true, 1.0f, false, -8.0f},
      {"beyond the distance", 'A', 'E', 3.5f, false, -999990.0f, false, -999999.0f},
      {"exactly at the distance", 'A', 'A', 3.0f, true, 11.0f, true, 2.0f},
  };
  // Set through one selector, read by both.
  SelectorThreshold<PAM250positive_Selector> thr(3.0f);
  EXPECT_EQ(PAM250_only_positive_Selector::m_fDistThr2, 9.0f);
  for (const MatrixCase& c : cases) {
    SCOPED_TRACE(c.name);
    float value = 0.0f;
    EXPECT_EQ(PAM250positive_Selector::admit(residue(0, c.pivot), residue(c.distance, c.other), value),
              c.positiveAdmits);
    EXPECT_EQ(value, c.positiveValue);
    EXPECT_EQ(PAM250_only_positive_Selector::admit(residue(0, c.pivot), residue(c.distance, c.other), value),
              c.onlyPositiveAdmits);
    EXPECT_EQ(value, c.onlyPositiveValue);
  }
}

TEST_F(PointSelectorsTest, LetterWithoutAMatrixIndexScoresLikeAnAmbiguousOne) {
  SelectorThreshold<PAM250positive_Selector> thr(3.0f);
  float value = 0.0f;
  testing::internal::CaptureStderr();
  EXPECT_TRUE(PAM250positive_Selector::admit(residue(0, 'a'), residue(1.0f, 'W'), value));
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(value, 9.0f);
  EXPECT_EQ(err, "SequenceScore: unknown residue type:a\n");
}

TEST_F(PointSelectorsTest, ThresholdIsSetForTheScopeAndPutBack) {
  GeomSelector::m_fDistThr2 = 1.5f;
  {
    SelectorThreshold<GeomSelector> thr(3.0f);
    EXPECT_EQ(GeomSelector::m_fDistThr2, 9.0f);
    {
      SelectorThreshold<GeomSelector> inner(0.5f);
      EXPECT_EQ(GeomSelector::m_fDistThr2, 0.25f);
    }
    EXPECT_EQ(GeomSelector::m_fDistThr2, 9.0f);
  }
  EXPECT_EQ(GeomSelector::m_fDistThr2, 1.5f);
  GeomSelector::m_fDistThr2 = 0.0f;
}

TEST(PointSelectorStatics, ThresholdsStartAtZeroAndMatricesAreFilled) {
  EXPECT_EQ(GeomSelectorChainEQ::m_fDistThr2, 0.0f);
  EXPECT_EQ(BioCoreSelector::m_fDistThr2, 0.0f);
  EXPECT_EQ(GeomAndMatrix_Selector<AminoAcidScore::PAM250>::matrix.max, 17.0f);
  EXPECT_EQ(GeomAndMatrix_Selector<AminoAcidScore::PAM250>::matrix.min, -8.0f);
  EXPECT_EQ(GeomAndMatrix_Selector<AminoAcidScore::BLOSUM62>::matrix.max, 11.0f);
  EXPECT_EQ(SSEGeomPAndMatrix_Selector<AminoAcidScore::BLOSUM62>::matrix.min, -4.0f);
  EXPECT_EQ(PAM250positive_Selector::DEF_VALUE, -999999.0f);
  EXPECT_FALSE(PhaCoreSelector::DEF_VALUE);
}

TEST(PointSelectorStatics, DistanceProbabilitiesAreHalfBitLogOdds) {
  ASSERT_TRUE(DistProbability::init);
  for (int k = 0; k < 10; ++k) {
    const double expected = 2.0 * std::log2(static_cast<double>(DistProbability::d_intra[k]) /
                                            static_cast<double>(DistProbability::d_inter[k]));
    EXPECT_NEAR(DistProbability::p[k], expected, 1e-5) << k;
  }
  ASSERT_TRUE(DistProbabilitySSE::init);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(DistProbabilitySSE::d_intra[i][j][k], DistProbabilitySSE::d_intra[j][i][k]);
        EXPECT_GT(DistProbabilitySSE::d_inter[i][j][k], 0.0f);
        EXPECT_EQ(DistProbabilitySSE::p[i][j][k], DistProbabilitySSE::p[j][i][k]);
      }
}

}  // namespace
