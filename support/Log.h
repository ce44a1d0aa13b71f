#pragma once
#include <fstream>

namespace Log {

// The process-wide run log. It is constructed before any other static object of
// the program, so the driver can open it during its own static initialisation.
extern std::ofstream fout;

// Opens the run log on `fileName` for writing, truncating an earlier one.
// Returns false when the file cannot be created.
bool open(const char* fileName);

}  // namespace Log
