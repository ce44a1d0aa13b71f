#include "driver/Configuration.h"

#include <cmath>
#include <fstream>
#include <ostream>
#include <string>

#include "support/ParameterKeys.h"
#include "support/Parameters.h"

namespace Configuration {

void registerDefaults() {
  for (const Param::Key* key : Param::kAll)
    if (key->registered) Parameters::addDefault(*key);
}

void readParameterFile(const char* fileName) {
  std::ifstream in(fileName);
  if (!in.is_open()) return;
  Parameters::readParameters(in);
}

void settleExtThr() {
  if (Parameters::getFloat(Param::ExtThr) == -1.0f)
    Parameters::addParameter(Param::ExtThr.name, static_cast<double>(Parameters::getFloat(Param::SeqBlockRMSDthr)));
}

namespace {

bool positiveFinite(float v) { return std::isfinite(v) && v > 0.0f; }

// The refusal of a value that breaks its key's rule ("" when it keeps it).
std::string refusal(const Param::Key& key) {
  const std::string written = Parameters::writtenText(key.name);
  auto invalid = [&](const char* requirement) {
    return "Invalid value of parameter " + std::string(key.name) + ": " + written + " (" + requirement + ")";
  };
  switch (key.rule) {
    case Param::Rule::Any:
      return "";
    case Param::Rule::PositiveNumber:
      return positiveFinite(Parameters::getFloat(key)) ? "" : invalid("must be a positive number");
    case Param::Rule::PositiveNumberOrMinusOne: {
      const float v = Parameters::getFloat(key);
      return v == -1.0f || positiveFinite(v) ? ""
                                             : invalid("must be a positive number, or -1 for the value of SeqBlockRMSDthr");
    }
    case Param::Rule::AtLeastOne:
      return Parameters::getInt(key) >= 1 ? "" : invalid("must be at least 1");
    case Param::Rule::AtLeastThree:
      return Parameters::getInt(key) >= 3 ? "" : invalid("must be at least 3");
    case Param::Rule::ScoringChoice: {
      // Only the residue-pair selectors read it, and none does when the chain
      // selector replaces them everywhere (ChainEq 1 with SeqOrder 0).
      const bool read = Parameters::getFloat(Param::ChainEq) != 1.0f || Parameters::getInt(Param::SeqOrder) != 0;
      const int v = Parameters::getInt(key);
      return !read || (v >= 0 && v <= 3) ? "" : "Scoring undefined value:" + written;
    }
    case Param::Rule::SeqOrderChoice: {
      const int v = Parameters::getInt(key);
      return v == 0 || v == 1 ? "" : "SeqOrder undefined value:" + written;
    }
  }
  return "";
}

}  // namespace

bool validate(std::ostream& err, std::ostream& log) {
  for (const Param::Key* key : Param::kAll) {
    const std::string message = refusal(*key);
    if (message.empty()) continue;
    writeParameterTable(log, key->name);
    log << message << std::endl;
    err << message << std::endl;
    return false;
  }
  return true;
}

void applyOnlyScoringOverrides() {
  if (Parameters::getInt(Param::OnlyScoring) == 1) {
    Parameters::addParameter(Param::OnlyRefMol.name, 1);
    Parameters::addParameter(Param::ExtIterations.name, 1);
  }
}

void writeParameterTable(std::ostream& os, const std::string& asWritten) {
  os << "########### Program Parameters ##################" << std::endl;
  Parameters::dump(os, asWritten);
  os << "#################################################" << std::endl;
}

}  // namespace Configuration
