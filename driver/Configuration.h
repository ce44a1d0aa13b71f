#pragma once
// Start-up configuration: the registered keys, "params.txt", the derived
// "ExtThr", the refusal of unusable values and the table in the run log.
#include <iosfwd>
#include <string>

namespace Configuration {

// Registers every configuration key with its type and default, in registration order.
void registerDefaults();

// Applies "params.txt" (or another file) over the table when it can be opened;
// a missing file is no error.
void readParameterFile(const char* fileName);

// An absent "ExtThr", or one of exactly -1, becomes a float equal to "SeqBlockRMSDthr".
void settleExtThr();

// Checks the values that would make the run crash, divide by zero, loop or give
// NaN. On the first bad one writes one line naming the key and value to `err` and
// returns false.
bool validate(std::ostream& err);

// "OnlyScoring" 1 forces a single pivot and a single refinement pass.
void applyOnlyScoringOverrides();

// The parameter block that opens the run log.
void writeParameterTable(std::ostream& os);

}  // namespace Configuration
