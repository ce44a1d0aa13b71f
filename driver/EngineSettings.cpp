#include "driver/EngineSettings.h"

#include <cstdlib>
#include <iostream>

#include "engine/FastSeqBlock.h"
#include "structure/AminoAcidType.h"
#include "structure/AtomMolecule.h"
#include "support/Fatal.h"
#include "support/Log.h"
#include "support/ParameterKeys.h"
#include "support/Parameters.h"

namespace EngineSettings {

void apply() {
  FastSeqBlock::m_fRMSDthr = Parameters::getFloat(Param::SeqBlockRMSDthr);
  FastSeqBlock::m_fOverlapRatio = Parameters::getFloat(Param::SeqBlockOverlapRatio);

  const double t = Parameters::getFloat(Param::TransEqualRMSD);
  AtomMolecule::st_fThr = static_cast<float>(t * 3.0 * t);

  if (Parameters::getInt(Param::Scoring) == 2) {
    const int bioCore = Parameters::getInt(Param::BioCore);
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
        Fatal::claim();
        // The console line has no line end; the run log's line has one.
        std::cout << "Program parameter BioCore has not a legal value: " << bioCore;
        Log::fout << "Program parameter BioCore has not a legal value: " << bioCore << std::endl;
        Fatal::stop();
    }
  }
}

}  // namespace EngineSettings
