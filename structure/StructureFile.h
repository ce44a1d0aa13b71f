#pragma once
// The one way a structure file is opened and read: one point per residue of
// the chosen kind.
#include <string>

#include "structure/AtomMolecule.h"

namespace StructureFile {

// Point types: 0 alpha carbon, 1 beta carbon (alpha carbon for glycine), 2
// side-chain centroid; any other value alpha carbon. A file that cannot be
// opened ends the process with "molecule file <name> not found" and status 1.
AtomMolecule read(const std::string& fileName, int pointType);

}  // namespace StructureFile
