#pragma once
// Fixture for tests that must give back everything they take: each test ends
// with every size class of the allocator holding as many live slots as when it
// started, so a cell, string record or compare object never released fails it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AllocatorUsage.h"

namespace testing_support {

class AllocatorCheckedTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(m_baseline.changes(), std::vector<std::string>()); }

 private:
  testing_support::AllocatorBaseline m_baseline;
};

}  // namespace testing_support
