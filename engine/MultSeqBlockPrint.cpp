#include <iostream>

#include "engine/FastSeqBlock.h"
#include "engine/MultSeqBlock.h"
#include "engine/internal/TableColumns.h"
#include "engine/internal/TransText.h"
#include "structure/AtomMolecule.h"

void MultSeqBlock::printOut(std::ostream& os, const MultSeqBlock& seed, int /*num*/,
                            const std::vector<AtomMolecule*>& /*mols*/) {
  os << "Reference Molecule : " << seed.ref << "\n";
  for (std::size_t k = 0; k < seed.blocks.size(); ++k) {
    if (!seed.blocks[k]) continue;
    os << "Molecule : " << seed.ids[k] << "\n";
    os << "Trans : ";
    internal::writeTransNumbers(os, *seed.trans[k]);
    os << "\n";
  }
}

void MultSeqBlock::printOut_BioCore(std::ostream& os, const MultSeqBlock& seed, int num,
                                    const std::vector<AtomMolecule*>& mols) {
  printOut(os, seed, num, mols);
}

void MultSeqBlock::printMatchedAA(std::ostream& os, const std::vector<AtomMolecule*>& mols,
                                  const std::vector<std::vector<int> >& table) const {
  const std::vector<int> columns = internal::tableColumns(*this);
  os.setf(std::ios::left, std::ios::adjustfield);
  for (const std::vector<int>& row : table) {
    for (std::size_t c = 0; c < row.size() && c < columns.size(); ++c) {
      const Atom& atom = (*mols[static_cast<std::size_t>(columns[c])])[static_cast<std::size_t>(row[c])];
      os.width(1);
      os << atom.chainId();
      os << "." << atom.residueType() << ".";
      os.width(5);
      os << atom.residueIndex();
    }
    os << "\n";
  }
  os.width(0);
  os.setf(std::ios::right, std::ios::adjustfield);
}

void MultSeqBlock::printFastaFormat(std::ostream& os, const std::vector<AtomMolecule*>& mols,
                                    const std::vector<std::vector<int> >& table) const {
  std::vector<int> columns(1, ref);
  for (std::size_t k = 0; k < blocks.size(); ++k)
    if (blocks[k]) columns.push_back(ids[k]);
  for (std::size_t s = 0; s < columns.size(); ++s) {
    const AtomMolecule& structure = *mols[static_cast<std::size_t>(columns[s])];
    os << ">" << structure.name() << "\n";
    for (std::size_t r = 0; r < table.size(); ++r) {
      if (r > 0 && r % 60 == 0) os << "\n";
      os << structure[static_cast<std::size_t>(table[r][s])].residueType();
    }
    os << "\n\n";
  }
}
