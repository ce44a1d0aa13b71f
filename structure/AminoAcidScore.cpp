#include "structure/AminoAcidScore.h"

#include "structure/AminoAcid.h"

namespace AminoAcidScore {

namespace {

// Upper triangle of PAM250 by residue index: row i lists columns i..19.
const int kPam250Upper[20][20] = {
    {6, 3, -1, 1, -1, 0, 0, -3, 0, -1, 2, -2, -2, -3, -2, -4, -4, 0, -4, 2},  // R
    {5, 0, 1, 0, 1, -1, -2, 0, 0, 0, -1, -2, -3, -2, -5, -5, 0, -4, -3},      // K
    {4, 2, 3, 1, -1, 0, 0, 0, 1, 0, -2, -3, -2, -5, -5, -2, -4, -7},          // E
    {4, 2, 1, 0, -1, -1, -1, 3, 0, -2, -2, -2, -5, -5, -1, -4, -5},           // Q
    {4, 2, -1, 1, 0, 0, 1, 0, -2, -4, -2, -6, -5, -3, -4, -7},                // D
    {2, -1, 0, 1, 0, 2, 0, -2, -3, -2, -3, -4, -2, -2, -4},                   // N
    {6, -1, 1, 0, 0, 1, -2, -3, -1, -5, -3, -2, -5, -6},                      // P
    {5, 1, 0, -2, 1, -3, -4, -1, -5, -3, -3, -5, -7},                         // G
    {2, 1, -1, 1, -1, -3, -1, -3, 0, -2, -3, -2},                             // S
    {3, -1, 1, 0, -2, 0, -3, -2, -1, -3, -5},                                 // T
    {6, -1, -2, -2, -2, -2, -3, -2, 0, -3},                                   // H
    {2, -1, -2, 0, -3, -2, -1, -3, -6},                                       // A
    {5, 2, 4, 1, -2, 2, -1, -5},                                              // I
    {6, 2, 2, -6, 4, -1, -2},                                                 // L
    {4, -1, -2, 2, -2, -6},                                                   // V
    {9, -4, 0, 7, 0},                                                         // F
    {12, -5, 0, -8},                                                          // C
    {6, -2, -4},                                                              // M
    {10, 0},                                                                  // Y
    {17},                                                                     // W
};

// BLOSUM62 as published (Henikoff and Henikoff 1992), rows and columns in the
// customary order below.
const char kBlosumOrder[] = "ARNDCQEGHILKMFPSTWYV";
const int kBlosum62[20][20] = {
    {4, -1, -2, -2, 0, -1, -1, 0, -2, -1, -1, -1, -1, -2, -1, 1, 0, -3, -2, 0},
    {-1, 5, 0, -2, -3, 1, 0, -2, 0, -3, -2, 2, -1, -3, -2, -1, -1, -3, -2, -3},
    {-2, 0, 6, 1, -3, 0, 0, 0, 1, -3, -3, 0, -2, -3, -2, 1, 0, -4, -2, -3},
    {-2, -2, 1, 6, -3, 0, 2, -1, -1, -3, -4, -1, -3, -3, -1, 0, -1, -4, -3, -3},
    {0, -3, -3, -3, 9, -3, -4, -3, -3, -1, -1, -3, -1, -2, -3, -1, -1, -2, -2, -1},
    {-1, 1, 0, 0, -3, 5, 2, -2, 0, -3, -2, 1, 0, -3, -1, 0, -1, -2, -1, -2},
    {-1, 0, 0, 2, -4, 2, 5, -2, 0, -3, -3, 1, -2, -3, -1, 0, -1, -3, -2, -2},
    {0, -2, 0, -1, -3, -2, -2, 6, -2, -4, -4, -2, -3, -3, -2, 0, -2, -2, -3, -3},
    {-2, 0, 1, -1, -3, 0, 0, -2, 8, -3, -3, -1, -2, -1, -2, -1, -2, -2, 2, -3},
    {-1, -3, -3, -3, -1, -3, -3, -4, -3, 4, 2, -3, 1, 0, -3, -2, -1, -3, -1, 3},
    {-1, -2, -3, -4, -1, -2, -3, -4, -3, 2, 4, -2, 2, 0, -3, -2, -1, -2, -1, 1},
    {-1, 2, 0, -1, -3, 1, 1, -2, -1, -3, -2, 5, -1, -3, -1, 0, -1, -3, -2, -2},
    {-1, -1, -2, -3, -1, 0, -2, -3, -2, 1, 2, -1, 5, 0, -2, -1, -1, -1, -1, 1},
    {-2, -3, -3, -3, -2, -3, -3, -3, -1, 0, 0, -3, 0, 6, -4, -2, -2, 1, 3, -1},
    {-1, -2, -2, -1, -3, -1, -1, -2, -2, -3, -3, -1, -2, -4, 7, -1, -1, -4, -3, -2},
    {1, -1, 1, 0, -1, 0, 0, 0, -1, -2, -2, 0, -1, -2, -1, 4, 1, -3, -2, -2},
    {0, -1, 0, -1, -1, -1, -1, -2, -2, -1, -1, -1, -1, -2, -1, 1, 5, -2, -2, 0},
    {-3, -3, -4, -4, -2, -2, -3, -2, -2, -3, -2, -3, -1, 1, -4, -3, -2, 11, 2, -3},
    {-2, -2, -2, -3, -2, -1, -2, -3, 2, -1, -1, -2, -1, 3, -3, -2, -2, 2, 7, -1},
    {0, -3, -3, -3, -1, -2, -2, -3, -3, 3, 1, -2, 1, -1, -2, -2, 0, -3, -1, 4},
};

// The gap index scores `gap` against the twenty amino acids; every other cell
// of the ambiguous and gap indices is 0.
void fillBorders(ScoreMatrix& m, float gap) {
  for (int i = 0; i < UNKNOWN_IDX; ++i) {
    m.cells[GAP_IDX][i] = m.cells[i][GAP_IDX] = gap;
    m.cells[UNKNOWN_IDX][i] = m.cells[i][UNKNOWN_IDX] = 0.0f;
  }
  m.cells[UNKNOWN_IDX][UNKNOWN_IDX] = m.cells[GAP_IDX][GAP_IDX] = 0.0f;
  m.cells[UNKNOWN_IDX][GAP_IDX] = m.cells[GAP_IDX][UNKNOWN_IDX] = 0.0f;
}

}  // namespace

void ScoreMatrix::updateMinMax() {
  max = -99999.0f;
  min = 99999.0f;
  for (const auto& row : cells)
    for (float v : row) {
      if (v > max) max = v;
      if (v < min) min = v;
    }
}

PAM250::PAM250() {
  for (int i = 0; i < 20; ++i)
    for (int j = i; j < 20; ++j) cells[i][j] = cells[j][i] = static_cast<float>(kPam250Upper[i][j - i]);
  fillBorders(*this, -8.0f);
  updateMinMax();
}

BLOSUM62::BLOSUM62() {
  for (int i = 0; i < 20; ++i)
    for (int j = 0; j < 20; ++j)
      cells[AminoAcid::getResidueTypeIndx(kBlosumOrder[i])][AminoAcid::getResidueTypeIndx(kBlosumOrder[j])] =
          static_cast<float>(kBlosum62[i][j]);
  fillBorders(*this, -4.0f);
  updateMinMax();
}

Hydrophobic::Hydrophobic() {
  for (int i = 0; i < 22; ++i)
    for (int j = 0; j < 22; ++j) {
      const bool amino = i < UNKNOWN_IDX && j < UNKNOWN_IDX;
      const bool sameGroup = (i <= HIS_IDX) == (j <= HIS_IDX);
      cells[i][j] = amino && sameGroup ? 1.0f : -1.0f;
    }
  updateMinMax();
}

}  // namespace AminoAcidScore
