#include "driver/Configuration.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/Parameters.h"

namespace {

class ConfigurationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Parameters::clear();
    Configuration::registerDefaults();
  }
  void TearDown() override { Parameters::clear(); }
};

TEST_F(ConfigurationTest, RegistersTwentySevenKeys) {
  std::ostringstream os;
  Parameters::dump(os);
  std::string text = os.str();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 27);
  EXPECT_EQ(Parameters::paramType("ExtThr"), 0);
  Configuration::settleExtThr();
  EXPECT_EQ(Parameters::paramType("ExtThr"), Parameter::Float);
  EXPECT_EQ(Parameters::getFloat("ExtThr", 0.0f), 3.0f);
}

TEST_F(ConfigurationTest, DefaultsAreValid) {
  Configuration::settleExtThr();
  std::ostringstream err, log;
  EXPECT_TRUE(Configuration::validate(err, log));
  EXPECT_EQ(err.str(), "");
  EXPECT_EQ(log.str(), "");
}

TEST_F(ConfigurationTest, OnlyScoringOverrides) {
  Parameters::addParameter("OnlyScoring", 1);
  Parameters::addParameter("ExtIterations", 7);
  Configuration::applyOnlyScoringOverrides();
  EXPECT_EQ(Parameters::getInt("OnlyRefMol", 0), 1);
  EXPECT_EQ(Parameters::getInt("ExtIterations", 0), 1);
}

}  // namespace
