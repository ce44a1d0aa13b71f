#include "driver/Loading.h"

#include <fstream>
#include <ostream>

#include "driver/TwoStreams.h"
#include "structure/AtomMolecule.h"
#include "structure/StructureFile.h"
#include "support/ParameterKeys.h"
#include "support/Parameters.h"

namespace Loading {

bool checkFiles(const std::vector<std::string>& names, std::ostream& log, std::ostream& out) {
  for (const std::string& name : names) {
    std::ifstream file(name);
    if (!file.is_open()) {
      writeLineToBoth(log, out, "File: ", name, " doesn't exist.");
      return false;
    }
  }
  return true;
}

bool loadStructures(const std::vector<std::string>& names, std::vector<AtomMolecule*>& mols, std::ostream& log,
                    std::ostream& out) {
  const int pointType = Parameters::getInt(Param::PointType);
  for (const std::string& name : names) {
    AtomMolecule* structure = new AtomMolecule(StructureFile::read(name, pointType));
    mols.push_back(structure);
    if (structure->empty()) {
      writeLineToBoth(log, out, AtomMolecule::noResiduesMessage(name));
      return false;
    }
    const unsigned size = static_cast<unsigned>(structure->size());
    writeLineToBoth(log, out, "Molecule ", name, " size : ", size);
  }
  return true;
}

}  // namespace Loading
