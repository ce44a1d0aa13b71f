#include <iostream>

#include "engine/EventSet.h"
#include "engine/FastSeqBlock.h"
#include "engine/internal/TransText.h"
#include "structure/AtomMolecule.h"

namespace {

int residueNumber(const AtomMolecule& structure, int position) {
  return structure[static_cast<std::size_t>(position)].residueIndex();
}

}  // namespace

void EventSet::printOut(std::ostream& os, const EventSet& set, int /*num*/, const std::vector<AtomMolecule*>& mols) {
  const int S = set.start;
  const int L = set.length;
  const AtomMolecule& pivot = *mols[static_cast<std::size_t>(set.ref)];
  os << "Reference Molecule : " << set.ref << "\n";
  os << "Length : " << L << "\n";
  os << "Reference Fragment : " << residueNumber(pivot, S) << " " << residueNumber(pivot, S + L - 1)
     << "\n";
  for (const auto& entry : set.entries) {
    const int m = entry.first;
    const AtomMolecule& other = *mols[static_cast<std::size_t>(m)];
    os << "Molecule : " << m << "\n";
    int n = 0;
    for (const FastSeqBlock* pair : entry.second) {
      if (!pair) continue;
      const int o = S - pair->i + pair->j;
      RigidTrans3 T;
      float rmsd = 0.0f;
      FastSeqBlock::calcRigidTrans(pivot, other, S, o, L, T, rmsd);
      os << n << "- " << residueNumber(other, o) << " " << residueNumber(other, o + L - 1) << " : "
         << residueNumber(pivot, pair->i) << " " << residueNumber(pivot, pair->i + pair->l) << " "
         << residueNumber(other, pair->j) << " " << residueNumber(other, pair->j + pair->l) << " : "
         << static_cast<double>(rmsd) << " : ";
      internal::writeTransNumbers(os, T);
      os << " : " << residueNumber(other, o) << " " << residueNumber(other, o + L - 1) << "\n";
      ++n;
    }
  }
}
