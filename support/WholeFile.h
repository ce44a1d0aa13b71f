#pragma once
// Output files that appear whole or not at all: the text goes to a temporary
// file in the same folder, which takes the file's name only once complete.
#include <fstream>
#include <string>

namespace WholeFile {

// Opens `stream` on a new temporary file next to `path` and returns its name;
// empty when none can be created. Until commit() or discard(), the file is
// noted in TemporaryFiles, so a run that is stopped removes it.
std::string open(std::ofstream& stream, const std::string& path);

enum class Outcome { Written, WriteFailed, NotRenamed };

// Closes the stream and renames the temporary file to `path`. When the text
// could not be written completely, or the rename fails, the temporary file is
// removed and `path` is left as it was.
Outcome commit(std::ofstream& stream, const std::string& temporary, const std::string& path);

// Removes a temporary file that will not be completed (its stream closed).
void discard(const std::string& temporary);

// For tests: when set, called inside each RunSignals::Deferral right after the
// step on disk and before the table of temporary names is brought in line:
// "created", "not created" (errno as the create left it), "renamed" or
// "removed", with the temporary name. A plain pointer, so that it is null
// already when static start-up opens the run log.
extern void (*stepHookForTests)(const char* step, const std::string& temporary);

}  // namespace WholeFile
