#include "driver/EngineSettings.h"

#include <cstdlib>
#include <iostream>

#include "engine/FastSeqBlock.h"
#include "structure/AminoAcidType.h"
#include "structure/AtomMolecule.h"
#include "support/Parameters.h"

namespace EngineSettings {

void apply() {
  FastSeqBlock::m_fRMSDthr = Parameters::getFloat("SeqBlockRMSDthr", 0.0f);
  FastSeqBlock::m_fOverlapRatio = Parameters::getFloat("SeqBlockOverlapRatio", 0.0f);

  const double t = Parameters::getFloat("TransEqualRMSD", 0.0f);
  AtomMolecule::st_fThr = static_cast<float>(t * 3.0 * t);

  if (Parameters::getInt("Scoring", 0) == 2) {
    const int bioCore = Parameters::getInt("BioCore", 0);
    // Made once and kept until the process ends, as every scoring call reads it.
    switch (bioCore) {
      case 0:
        AminoAcidType::m_state = new AminoAcid_UserType("biocore.in");
        break;
      case 1:
        AminoAcidType::m_state = new AminoAcidEqualType();
        break;
      case 2:
        AminoAcidType::m_state = new AminoAcid_HPMPAG_Type();
        break;
      case 3:
        AminoAcidType::m_state = new AminoAcid_HHAG_Type();
        break;
      default:
        std::cout << "Program parameter BioCore has not a legal value: " << bioCore;
        std::cout.flush();
        std::exit(1);
    }
  }
}

}  // namespace EngineSettings
