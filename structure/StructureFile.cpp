#include "structure/StructureFile.h"

#include <fstream>
#include <iostream>

#include "structure/CompleteMolecule.h"
#include "structure/PDB.h"
#include "support/Fatal.h"

namespace StructureFile {

AtomMolecule read(const std::string& fileName, int pointType) {
  std::ifstream file(fileName);
  if (file.fail() || file.bad()) Fatal::report(std::cout, "molecule file ", fileName, " not found");
  if (pointType == 2) return AtomMolecule(fileName, CompleteMolecule::readPDBfile(file, fileName));
  PDB::CAlphaSelector alpha;
  PDB::CBetaSelector beta;
  const PDB::Selector& selector = pointType == 1 ? static_cast<const PDB::Selector&>(beta) : alpha;
  FMolecule<Atom> points;
  points.readPDBfile(file, selector, fileName);
  return AtomMolecule(fileName, points);
}

}  // namespace StructureFile
