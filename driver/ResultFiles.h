#pragma once
// The end of a run: the solution files "<k>_sol.res", the optional fragment-set
// files "<k>_sets.res", and their summary lines in the run log and on the console.
#include <iosfwd>
#include <string>
#include <vector>

class AtomMolecule;
class SolutionRanking;

namespace ResultFiles {

// The name of the file of k structures: "%d%s" of k and the suffix.
std::string fileName(int structureCount, const char* suffix);

// Writes every result file into `directory` (empty: the working directory)
// and deletes every seed, and every set when set files are written. A file
// that cannot be written is named on `err` and in `log`; the others are still
// written, and the result is false.
bool write(std::vector<AtomMolecule*>& mols, SolutionRanking& ranking, std::ostream& log, std::ostream& out,
           std::ostream& err, const std::string& directory = "");

}  // namespace ResultFiles
