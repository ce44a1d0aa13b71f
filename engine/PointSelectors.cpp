#include <iostream>

#include "engine/internal/PointSelectors.h"

#include <cmath>

namespace {

// Twice the base-2 logarithm of the frequency ratio.
float halfBits(float intra, float inter) {
  return static_cast<float>(2.0 * std::log(static_cast<double>(intra) / static_cast<double>(inter)) /
                            std::log(2.0));
}

}  // namespace

thread_local float GeomSelector::m_fDistThr2 = 0.0f;
thread_local float GeomSelectorChainEQ::m_fDistThr2 = 0.0f;
thread_local float BioCoreSelector::m_fDistThr2 = 0.0f;

bool DistProbability::init = false;
// Pair distances in ten bins of 1 A from 3 A: pairs of one structure's core
// favour the short bins, unrelated pairs the long ones.
float DistProbability::d_intra[10] = {0.02f, 0.05f, 0.10f, 0.15f, 0.18f, 0.16f, 0.13f, 0.10f, 0.07f, 0.04f};
float DistProbability::d_inter[10] = {0.01f, 0.03f, 0.07f, 0.12f, 0.16f, 0.17f, 0.15f, 0.13f, 0.10f, 0.06f};
float DistProbability::p[10] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};

DistProbability::DistProbability() {
  if (init) return;
  init = true;
  for (int k = 0; k < 10; ++k) p[k] = halfBits(d_intra[k], d_inter[k]);
}

#define QUORVALIN_DIST_PROFILE_INTRA {0.02f, 0.05f, 0.10f, 0.15f, 0.18f, 0.16f, 0.13f, 0.10f, 0.07f, 0.04f}
#define QUORVALIN_DIST_PROFILE_INTER {0.01f, 0.03f, 0.07f, 0.12f, 0.16f, 0.17f, 0.15f, 0.13f, 0.10f, 0.06f}

bool DistProbabilitySSE::init = false;
// Given for i <= j only; the constructor mirrors them.
float DistProbabilitySSE::d_intra[3][3][10] = {
    {QUORVALIN_DIST_PROFILE_INTRA, QUORVALIN_DIST_PROFILE_INTRA, QUORVALIN_DIST_PROFILE_INTRA},
    {{}, QUORVALIN_DIST_PROFILE_INTRA, QUORVALIN_DIST_PROFILE_INTRA},
    {{}, {}, QUORVALIN_DIST_PROFILE_INTRA}};
float DistProbabilitySSE::d_inter[3][3][10] = {
    {QUORVALIN_DIST_PROFILE_INTER, QUORVALIN_DIST_PROFILE_INTER, QUORVALIN_DIST_PROFILE_INTER},
    {{}, QUORVALIN_DIST_PROFILE_INTER, QUORVALIN_DIST_PROFILE_INTER},
    {{}, {}, QUORVALIN_DIST_PROFILE_INTER}};
float DistProbabilitySSE::p[3][3][10] = {};

#undef QUORVALIN_DIST_PROFILE_INTRA
#undef QUORVALIN_DIST_PROFILE_INTER

DistProbabilitySSE::DistProbabilitySSE() {
  if (init) return;
  init = true;
  for (int i = 0; i < 3; ++i) {
    for (int j = i; j < 3; ++j) {
      for (int k = 0; k < 10; ++k) {
        d_intra[j][i][k] = d_intra[i][j][k];
        d_inter[j][i][k] = d_inter[i][j][k];
        p[i][j][k] = p[j][i][k] = halfBits(d_intra[i][j][k], d_inter[i][j][k]);
      }
    }
  }
}

// Initialised in this order: the PAM250 matrix that the program reads first,
// then the statics nothing reads.
template <>
thread_local float GeomAndMatrix_Selector<AminoAcidScore::PAM250>::m_fDistThr2 = 0.0f;
template <>
AminoAcidScore::PAM250 GeomAndMatrix_Selector<AminoAcidScore::PAM250>::matrix = AminoAcidScore::PAM250();

template <>
thread_local float GeomAndMatrix_Selector<AminoAcidScore::BLOSUM62>::m_fDistThr2 = 0.0f;
template <>
AminoAcidScore::BLOSUM62 GeomAndMatrix_Selector<AminoAcidScore::BLOSUM62>::matrix = AminoAcidScore::BLOSUM62();
template <>
float GeomPAndMatrix_Selector<AminoAcidScore::BLOSUM62>::m_fDistThr2 = 0.0f;
template <>
AminoAcidScore::BLOSUM62 GeomPAndMatrix_Selector<AminoAcidScore::BLOSUM62>::matrix = AminoAcidScore::BLOSUM62();
template <>
DistProbability GeomPAndMatrix_Selector<AminoAcidScore::BLOSUM62>::dist_prob = DistProbability();

template <>
AminoAcidScore::BLOSUM62 Matrix_only_Selector<AminoAcidScore::BLOSUM62>::matrix = AminoAcidScore::BLOSUM62();
template <>
float SSgeomAndMatrix_Selector<AminoAcidScore::BLOSUM62>::m_fdist2_ss = 0.0f;
template <>
float SSgeomAndMatrix_Selector<AminoAcidScore::BLOSUM62>::m_fdist2_loop = 0.0f;
template <>
float SSgeomAndMatrix_Selector<AminoAcidScore::BLOSUM62>::m_fdist2_ss_loop = 0.0f;
template <>
AminoAcidScore::BLOSUM62 SSgeomAndMatrix_Selector<AminoAcidScore::BLOSUM62>::matrix = AminoAcidScore::BLOSUM62();
template <>
float SSEGeomPAndMatrix_Selector<AminoAcidScore::BLOSUM62>::m_fdist2_ss = 0.0f;
template <>
float SSEGeomPAndMatrix_Selector<AminoAcidScore::BLOSUM62>::m_fdist2_loop = 0.0f;
template <>
float SSEGeomPAndMatrix_Selector<AminoAcidScore::BLOSUM62>::m_fdist2_ss_loop = 0.0f;
template <>
AminoAcidScore::BLOSUM62 SSEGeomPAndMatrix_Selector<AminoAcidScore::BLOSUM62>::matrix =
    AminoAcidScore::BLOSUM62();
template <>
DistProbabilitySSE SSEGeomPAndMatrix_Selector<AminoAcidScore::BLOSUM62>::dist_prob = DistProbabilitySSE();

float PhaCoreSelector::m_fDistThr2 = 0.0f;
float PhaCoreSelector::m_fPhaSurfAngleThr = 0.0f;
float PhaCoreSelector::m_fVolumeThr = 0.0f;
float PhaCoreSelector::m_fVolumeDiffThr = 0.0f;
float PhaInterSelector::m_fDistThr2 = 0.0f;
float PhaInterSelector::m_fAngleThr = 0.0f;
