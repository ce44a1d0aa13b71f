#pragma once
#include <fstream>
#include <iosfwd>

namespace Log {

// The process-wide run log. It is constructed before any other static object of
// the program, so the driver can open it during its own static initialisation.
extern std::ofstream fout;

// Opens the run log for `fileName`, written under a temporary name next to it
// until finish() gives it its name. Returns false when it cannot be created.
bool open(const char* fileName);

// Completes an open run log and gives it its name; when it cannot be written
// completely, says so on `err` ("Error while writing file <name>"), leaves no
// file behind and returns false. Later calls return the first one's result.
bool finish(std::ostream& err);

}  // namespace Log
