#include "driver/EngineSettings.h"

#include <cstdlib>
#include <iostream>

#include "support/Parameters.h"

namespace EngineSettings {

void apply() {
  // The engine's class-static thresholds and the residue classification object
  // are set here once the engine and the residue classes are built.
  if (Parameters::getInt("Scoring", 0) == 2) {
    int bioCore = Parameters::getInt("BioCore", 3);
    if (bioCore < 0 || bioCore > 3) {
      std::cout << "Program parameter BioCore has not a legal value: " << bioCore;
      std::cout.flush();
      std::exit(1);
    }
  }
}

}  // namespace EngineSettings
