#pragma once
// Residue-pair selectors: whether a pivot residue point a and a residue point b
// of another structure, already moved into the pivot's frame, may pair, and
// the value of the pair. Seed scoring and both residue correspondences are
// templates over these classes; a selector has class statics only.
//
// Every routine that applies a selector keeps its squared distance threshold,
// sets it from its own distance argument for the duration of the call and
// puts the kept value back (SelectorThreshold does both). The thresholds that
// the program sets belong to the calling thread.
#include "geometry/Vector3.h"
#include "structure/AminoAcid.h"
#include "structure/AminoAcidScore.h"
#include "structure/AminoAcidType.h"
#include "structure/Atom.h"

namespace internal {

// d^2 in double from the float coordinates against the float threshold: a
// pair exactly at the threshold is within it, a NaN distance is not.
inline bool within(const Atom& a, const Atom& b, float distThr2) {
  return dist2(a.position(), b.position()) <= static_cast<double>(distThr2);
}

// Matrix index of a residue letter. A character without one has already been
// reported by the lookup; it scores like an ambiguous letter instead of
// reading outside the matrix.
inline int matrixIndex(char letter) {
  const int index = AminoAcid::getResidueTypeIndx(letter);
  return index < 0 ? UNKNOWN_IDX : index;
}

}  // namespace internal

class GeomSelector {
 public:
  typedef bool ValueType;
  static thread_local float m_fDistThr2;
  static constexpr bool DEF_VALUE = false;

  static bool admit(const Atom& a, const Atom& b, bool& value) {
    value = internal::within(a, b, m_fDistThr2);
    return value;
  }
};

class GeomSelectorChainEQ {
 public:
  typedef bool ValueType;
  static thread_local float m_fDistThr2;
  static constexpr bool DEF_VALUE = false;

  static bool admit(const Atom& a, const Atom& b, bool& value) {
    value = internal::within(a, b, m_fDistThr2) && a.chainId() == b.chainId();
    return value;
  }
};

// Needs AminoAcidType::m_state, which start-up sets whenever "Scoring" is 2,
// the only setting that uses this selector.
class BioCoreSelector {
 public:
  typedef bool ValueType;
  static thread_local float m_fDistThr2;
  static constexpr bool DEF_VALUE = false;

  static bool admit(const Atom& a, const Atom& b, bool& value) {
    value = AminoAcidType::m_state->equivalent(a.residueType(), b.residueType()) &&
            internal::within(a, b, m_fDistThr2);
    return value;
  }
};

// The distance and score-matrix selectors over Matrix; the PAM250 selectors
// below share this class's threshold.
template <class Matrix>
class GeomAndMatrix_Selector {
 public:
  typedef float ValueType;
  static thread_local float m_fDistThr2;
  static constexpr float DEF_VALUE = -999999.0f;
  static Matrix matrix;

  // The pivot residue gives the row.
  static float pairScore(const Atom& a, const Atom& b) {
    return matrix.cells[internal::matrixIndex(a.residueType())]
                       [internal::matrixIndex(b.residueType())];
  }
};

template <>
thread_local float GeomAndMatrix_Selector<AminoAcidScore::PAM250>::m_fDistThr2;
template <>
AminoAcidScore::PAM250 GeomAndMatrix_Selector<AminoAcidScore::PAM250>::matrix;
template <>
thread_local float GeomAndMatrix_Selector<AminoAcidScore::BLOSUM62>::m_fDistThr2;
template <>
AminoAcidScore::BLOSUM62 GeomAndMatrix_Selector<AminoAcidScore::BLOSUM62>::matrix;

// Every pair within the distance, valued PAM250 + 9 (never 0: no entry is
// below -8).
class PAM250positive_Selector : public GeomAndMatrix_Selector<AminoAcidScore::PAM250> {
 public:
  static bool admit(const Atom& a, const Atom& b, float& value) {
    if (internal::within(a, b, m_fDistThr2)) {
      value = pairScore(a, b) + 9.0f;
      return true;
    }
    value = DEF_VALUE + 9.0f;
    return false;
  }
};

// Pairs within the distance whose PAM250 score is not negative, valued by it.
class PAM250_only_positive_Selector : public GeomAndMatrix_Selector<AminoAcidScore::PAM250> {
 public:
  static bool admit(const Atom& a, const Atom& b, float& value) {
    if (!internal::within(a, b, m_fDistThr2)) {
      value = DEF_VALUE;
      return false;
    }
    value = pairScore(a, b);
    return value >= 0.0f;
  }
};

// Keeps Sel's squared threshold, sets it to thr * thr for the lifetime of the
// object and puts the kept value back.
template <class Sel>
class SelectorThreshold {
 public:
  explicit SelectorThreshold(float thr) : m_kept(Sel::m_fDistThr2) { Sel::m_fDistThr2 = thr * thr; }
  ~SelectorThreshold() { Sel::m_fDistThr2 = m_kept; }
  SelectorThreshold(const SelectorThreshold&) = delete;
  SelectorThreshold& operator=(const SelectorThreshold&) = delete;

 private:
  float m_kept;
};

// Selector statics that no routine of the program reads: distance-probability
// and secondary-structure variants kept with the selectors above.

// Relative frequencies of residue-pair distances in ten distance bins, within
// and between structures, and their log-odds in half-bits.
class DistProbability {
 public:
  DistProbability();

  static bool init;
  static float d_intra[10];
  static float d_inter[10];
  static float p[10];
};

// The same per pair of secondary-structure kinds (helix, strand, loop).
class DistProbabilitySSE {
 public:
  DistProbabilitySSE();

  static bool init;
  static float d_intra[3][3][10];
  static float d_inter[3][3][10];
  static float p[3][3][10];
};

template <class Matrix>
class GeomPAndMatrix_Selector {
 public:
  static float m_fDistThr2;
  static constexpr float DEF_VALUE = -999999.0f;
  static Matrix matrix;
  static DistProbability dist_prob;
};

template <class Matrix>
class Matrix_only_Selector {
 public:
  static constexpr float DEF_VALUE = -999999.0f;
  static Matrix matrix;
};

template <class Matrix>
class SSgeomAndMatrix_Selector {
 public:
  static constexpr float DEF_VALUE = -999999.0f;
  static float m_fdist2_ss;
  static float m_fdist2_loop;
  static float m_fdist2_ss_loop;
  static Matrix matrix;
};

template <class Matrix>
class SSEGeomPAndMatrix_Selector {
 public:
  static constexpr float DEF_VALUE = -999999.0f;
  static float m_fdist2_ss;
  static float m_fdist2_loop;
  static float m_fdist2_ss_loop;
  static Matrix matrix;
  static DistProbabilitySSE dist_prob;
};

template <>
float GeomPAndMatrix_Selector<AminoAcidScore::BLOSUM62>::m_fDistThr2;
template <>
AminoAcidScore::BLOSUM62 GeomPAndMatrix_Selector<AminoAcidScore::BLOSUM62>::matrix;
template <>
DistProbability GeomPAndMatrix_Selector<AminoAcidScore::BLOSUM62>::dist_prob;
template <>
AminoAcidScore::BLOSUM62 Matrix_only_Selector<AminoAcidScore::BLOSUM62>::matrix;
template <>
float SSgeomAndMatrix_Selector<AminoAcidScore::BLOSUM62>::m_fdist2_ss;
template <>
float SSgeomAndMatrix_Selector<AminoAcidScore::BLOSUM62>::m_fdist2_loop;
template <>
float SSgeomAndMatrix_Selector<AminoAcidScore::BLOSUM62>::m_fdist2_ss_loop;
template <>
AminoAcidScore::BLOSUM62 SSgeomAndMatrix_Selector<AminoAcidScore::BLOSUM62>::matrix;
template <>
float SSEGeomPAndMatrix_Selector<AminoAcidScore::BLOSUM62>::m_fdist2_ss;
template <>
float SSEGeomPAndMatrix_Selector<AminoAcidScore::BLOSUM62>::m_fdist2_loop;
template <>
float SSEGeomPAndMatrix_Selector<AminoAcidScore::BLOSUM62>::m_fdist2_ss_loop;
template <>
AminoAcidScore::BLOSUM62 SSEGeomPAndMatrix_Selector<AminoAcidScore::BLOSUM62>::matrix;
template <>
DistProbabilitySSE SSEGeomPAndMatrix_Selector<AminoAcidScore::BLOSUM62>::dist_prob;

class PhaCoreSelector {
 public:
  static float m_fDistThr2;
  static float m_fPhaSurfAngleThr;
  static float m_fVolumeThr;
  static float m_fVolumeDiffThr;
  static constexpr bool DEF_VALUE = false;
};

class PhaInterSelector {
 public:
  static float m_fDistThr2;
  static float m_fAngleThr;
  static constexpr bool DEF_VALUE = false;
};
