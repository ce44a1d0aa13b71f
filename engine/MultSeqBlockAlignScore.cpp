// Scores of a refined alignment: its size or mean PAM250 similarity, and the
// mean RMSD of its superposition.
#include <cmath>
#include <vector>

#include "engine/FastSeqBlock.h"
#include "engine/MultSeqBlock.h"
#include "engine/internal/TableColumns.h"
#include "structure/AminoAcid.h"
#include "structure/AminoAcidScore.h"
#include "structure/AtomMolecule.h"
#include "support/ParameterKeys.h"
#include "support/Parameters.h"

float MultSeqBlock::calcAlignScore(const std::vector<AtomMolecule*>& mols,
                                   const std::vector<std::vector<int> >& table) const {
  const int scoring = Parameters::getInt(Param::Scoring);
  if (scoring == 0 || scoring == 2) return static_cast<float>(table.size());

  const std::vector<int> columns = internal::tableColumns(*this);
  const int again = Parameters::getInt(Param::Scoring);
  if (again != 1 && again != 3) return 0.0f;
  // 0/0 has no meaning; nothing aligned scores 0.
  if (table.empty()) return 0.0f;

  const AminoAcidScore::PAM250 matrix;
  float S = 0.0f;
  for (const std::vector<int>& row : table) {
    const std::size_t w = row.size();
    const int P = static_cast<int>(w * (w - 1) / 2);
    std::vector<int> index(w);
    for (std::size_t c = 0; c < w; ++c)
      index[c] = AminoAcid::getResidueTypeIndx(
          (*mols[static_cast<std::size_t>(columns[c])])[static_cast<std::size_t>(row[c])].residueType());
    float rowSum = 0.0f;
    for (std::size_t a = 0; a < w; ++a)
      for (std::size_t b = a + 1; b < w; ++b)
        // A character without a matrix index has been reported; its pairs score 0.
        if (index[a] >= 0 && index[b] >= 0) rowSum += matrix.cells[index[a]][index[b]];
    if (P > 0) S = S + rowSum / static_cast<float>(P);
  }
  return S / static_cast<float>(table.size());
}

float MultSeqBlock::calcRMSD(const std::vector<AtomMolecule*>& mols, const std::vector<std::vector<int> >& table) const {
  if (table.empty()) return 0.0f;
  const std::size_t width = table.front().size();
  // A table of pivot positions only compares nothing.
  if (width < 2) return 0.0f;
  const AtomMolecule& pivot = *mols[static_cast<std::size_t>(ref)];
  float total = 0.0f;
  std::size_t c = 1;
  for (std::size_t k = 0; k < blocks.size(); ++k) {
    if (!blocks[k]) continue;
    const AtomMolecule& structure = *mols[static_cast<std::size_t>(ids[k])];
    double D = 0.0;
    for (const std::vector<int>& row : table)
      D += dist2(pivot.position(static_cast<std::size_t>(row[0])),
                 *trans[k] * structure.position(static_cast<std::size_t>(row[c])));
    total = total + static_cast<float>(std::sqrt(D / static_cast<double>(table.size())));
    ++c;
  }
  return total / static_cast<float>(width - 1);
}
