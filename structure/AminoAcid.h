#pragma once
// Residue letters and their index in the substitution matrices, and a residue
// as the list of its atoms.
#include <iosfwd>
#include <vector>

#include "geometry/RigidTrans3.h"
#include "structure/Atom.h"

// Rows and columns of the substitution matrices: the twenty amino acids in the
// order R K E Q D N P G S T H A I L V F C M Y W, then the ambiguous letters
// (B, J, O, U, X, Z) and the gap ('-' and '.').
enum RESIDUE_INDEX {
  ARG_IDX = 0,
  LYS_IDX,
  GLU_IDX,
  GLN_IDX,
  ASP_IDX,
  ASN_IDX,
  PRO_IDX,
  GLY_IDX,
  SER_IDX,
  THR_IDX,
  HIS_IDX,
  ALA_IDX,
  ILE_IDX,
  LEU_IDX,
  VAL_IDX,
  PHE_IDX,
  CYS_IDX,
  MET_IDX,
  TYR_IDX,
  TRP_IDX,
  UNKNOWN_IDX,
  GAP_IDX,
  RESIDUE_INDEX_COUNT
};

class AminoAcid : public std::vector<Atom> {
 public:
  // The index of each letter 'A' to 'Z'.
  static constexpr int m_indexes[26] = {11, 20, 16, 4, 2, 15, 7, 10, 12, 20, 1, 13, 17,
                                        5,  20, 6,  3, 0, 8,  9, 20, 14, 19, 20, 18, 20};
  // One character per index (not terminated).
  static constexpr char m_revIndexes[22] = {'R', 'K', 'E', 'Q', 'D', 'N', 'P', 'G', 'S', 'T', 'H',
                                            'A', 'I', 'L', 'V', 'F', 'C', 'M', 'Y', 'W', '.', '-'};
  // Background frequency per index.
  static constexpr float m_fFreqOfOccurrence[22] = {0.047f, 0.070f, 0.062f, 0.039f, 0.055f, 0.044f,
                                                    0.046f, 0.075f, 0.071f, 0.060f, 0.021f, 0.090f,
                                                    0.046f, 0.075f, 0.069f, 0.035f, 0.028f, 0.017f,
                                                    0.035f, 0.011f, 0.0f,   0.0f};

  // The index of residue letter c: 21 for '-' and '.', the table entry for 'A'
  // to 'Z'; any other character is reported on standard error and gives -1.
  static int getResidueTypeIndx(char c);
  // 0 for an index outside the table.
  static float getFreqOfOccurrence(RESIDUE_INDEX i);

  // Position of the first atom of that kind, or -1.
  int getCA() const;
  int getC() const;
  int getN() const;
  int getO() const;

  AminoAcid& operator*=(const RigidTrans3& t);
};

// Every atom followed by a line end.
std::ostream& operator<<(std::ostream& os, const AminoAcid& aa);
