#pragma once
// Substitution matrices over residue indices (see RESIDUE_INDEX): 22 x 22
// single-precision scores, symmetric, with their largest and smallest value.

namespace AminoAcidScore {

class ScoreMatrix {
 public:
  // cells[a][b]: the score of residue index a against residue index b.
  float cells[22][22];
  float max = 0.0f;
  float min = 0.0f;

  void updateMinMax();
};

// Dayhoff's PAM250; the gap index scores -8 against the amino acids and 0
// against the ambiguous index and itself; the ambiguous index scores 0.
class PAM250 : public ScoreMatrix {
 public:
  PAM250();
};

// The published BLOSUM62 scores; the gap index scores -4 against the amino
// acids and 0 against the ambiguous index and itself; the ambiguous index
// scores 0.
class BLOSUM62 : public ScoreMatrix {
 public:
  BLOSUM62();
};

// Two groups by index, R K E Q D N P G S T H and A I L V F C M Y W: 1 within a
// group, -1 across; -1 for every cell of the ambiguous and gap indices.
class Hydrophobic : public ScoreMatrix {
 public:
  Hydrophobic();
};

}  // namespace AminoAcidScore
