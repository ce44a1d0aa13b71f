#pragma once
// The structures of a run: every file is checked before any is parsed, then
// each is read in command-line order and its size reported.
#include <iosfwd>
#include <string>
#include <vector>

class AtomMolecule;

namespace Loading {

// Opens and closes every file in order. At the first that cannot be opened,
// writes "File: <name> doesn't exist." to `log`, then to `out`, and returns false.
bool checkFiles(const std::vector<std::string>& names, std::ostream& log, std::ostream& out);

// Reads the structures in order ("PointType" 2 through the side-chain centroid
// reader) and appends them to `mols`, writing each size line to `log`, then to
// `out`. A structure without points cannot be aligned: its message goes to
// `log`, then to `out`, and the result is false (what was loaded stays in `mols`).
bool loadStructures(const std::vector<std::string>& names, std::vector<AtomMolecule*>& mols, std::ostream& log,
                    std::ostream& out);

}  // namespace Loading
