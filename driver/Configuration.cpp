#include "driver/Configuration.h"

#include <cmath>
#include <fstream>
#include <ostream>

#include "support/Parameters.h"

namespace Configuration {

void registerDefaults() {
  Parameters::addParameter("MaxIns", 350);
  Parameters::addParameter("MaxDels", 350);
  Parameters::addParameter("Step", 1);
  Parameters::addParameter("IJStep", 1);
  Parameters::addParameter("MaxRFP", 4500);
  Parameters::addParameter("ClusterSeqBlockRMSDthr", -1.0);
  Parameters::addParameter("RobustFPClustering", 0);
  Parameters::addParameter("TransEqualRMSD", 4.0);
  Parameters::addParameter("ExtIterations", 3);
  Parameters::addParameter("PrintHits", 0);
  Parameters::addParameter("ResNum", 100);
  Parameters::addParameter("bvResNum", 3);
  Parameters::addParameter("SeqBlockRMSDthr", 3.0);
  Parameters::addParameter("IJshift", 10000);
  Parameters::addParameter("SeqBlockMinSize", 10);
  Parameters::addParameter("ResNumPrint", 10);
  Parameters::addParameter("OnlyRefMol", 0);
  Parameters::addParameter("SeqBlockOverlapRatio", 0.8);
  Parameters::addParameter("BioCore", 3);
  Parameters::addParameter("BioCoreRadius", 3.0);
  Parameters::addParameter("FullSet", 1);
  Parameters::addParameter("PointType", 0);
  Parameters::addParameter("SeqOrder", 1);
  Parameters::addParameter("ChainEq", 0);
  Parameters::addParameter("Scoring", 0);
  Parameters::addParameter("OnlyScoring", 0);
  Parameters::addParameter("ContFragmentMatch", 0);
}

void readParameterFile(const char* fileName) {
  std::ifstream in(fileName);
  if (!in.is_open()) return;
  Parameters::readParameters(in);
}

void settleExtThr() {
  if (Parameters::getFloat("ExtThr", -1.0f) == -1.0f)
    Parameters::addParameter("ExtThr", static_cast<double>(Parameters::getFloat("SeqBlockRMSDthr", 3.0f)));
}

namespace {

bool positiveFinite(float v) { return std::isfinite(v) && v > 0.0f; }

bool reject(std::ostream& err, const char* key, const char* requirement) {
  err << "Invalid value of parameter " << key << ": " << Parameters::getString(key, "") << " ("
      << requirement << ")" << std::endl;
  return false;
}

}  // namespace

bool validate(std::ostream& err) {
  if (!positiveFinite(Parameters::getFloat("SeqBlockRMSDthr", 3.0f)))
    return reject(err, "SeqBlockRMSDthr", "must be a positive number");
  if (Parameters::getFloat("ExtThr", -1.0f) != -1.0f && !positiveFinite(Parameters::getFloat("ExtThr", -1.0f)))
    return reject(err, "ExtThr", "must be a positive number, or -1 for the value of SeqBlockRMSDthr");
  if (Parameters::getInt("SeqBlockMinSize", 10) < 3) return reject(err, "SeqBlockMinSize", "must be at least 3");
  if (Parameters::getInt("ResNum", 100) < 1) return reject(err, "ResNum", "must be at least 1");
  if (Parameters::getInt("bvResNum", 3) < 1) return reject(err, "bvResNum", "must be at least 1");
  if (Parameters::getInt("ResNumPrint", 10) < 0) return reject(err, "ResNumPrint", "must not be negative");
  float ratio = Parameters::getFloat("SeqBlockOverlapRatio", 0.8f);
  if (!(ratio > 0.0f && ratio <= 1.0f))
    return reject(err, "SeqBlockOverlapRatio", "must be greater than 0 and at most 1");
  if (!(Parameters::getFloat("TransEqualRMSD", 4.0f) > 0.0f))
    return reject(err, "TransEqualRMSD", "must be positive");
  int scoring = Parameters::getInt("Scoring", 0);
  if (scoring < 0 || scoring > 3) {
    err << "Scoring undefined value:" << scoring << std::endl;
    return false;
  }
  int seqOrder = Parameters::getInt("SeqOrder", 0);
  if (seqOrder != 0 && seqOrder != 1) {
    err << "SeqOrder undefined value:" << seqOrder << std::endl;
    return false;
  }
  return true;
}

void applyOnlyScoringOverrides() {
  if (Parameters::getInt("OnlyScoring", 0) == 1) {
    Parameters::addParameter("OnlyRefMol", 1);
    Parameters::addParameter("ExtIterations", 1);
  }
}

void writeParameterTable(std::ostream& os) {
  os << "########### Program Parameters ##################" << std::endl;
  Parameters::dump(os);
  os << "#################################################" << std::endl;
}

}  // namespace Configuration
