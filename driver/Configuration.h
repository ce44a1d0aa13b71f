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

// Checks each key against its rule: a value that would make the run crash,
// hang, overflow or divide by zero. On the first bad one writes the parameter
// table (that value as written) and one line naming the key and value to
// `log`, the line to `err`, and returns false.
bool validate(std::ostream& err, std::ostream& log);

// "OnlyScoring" 1 forces a single pivot and a single refinement pass.
void applyOnlyScoringOverrides();

// The parameter block that opens the run log; the entry of key `asWritten`
// shows its value as "params.txt" wrote it.
void writeParameterTable(std::ostream& os, const std::string& asWritten = "");

}  // namespace Configuration
