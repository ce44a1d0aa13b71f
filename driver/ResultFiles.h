#pragma once
// The end of a run: the solution files "<k>_sol.res", the optional fragment-set
// files "<k>_sets.res", and their summary lines in the run log and on the console.
#include <iosfwd>
#include <string>
#include <vector>

#include "driver/Ranking.h"

class AtomMolecule;

namespace ResultFiles {

// The name of the file of k structures: "%d%s" of k and the suffix.
std::string fileName(int structureCount, const char* suffix);

// A solution file: its header and the first `printed` seeds, best first.
void writeSolutions(std::ostream& os, const std::vector<AtomMolecule*>& mols, const SolutionRanking::Seeds& seeds,
                    int printed);
// A fragment-set file: its header and the first `printed` sets, longest first.
void writeSets(std::ostream& os, const std::vector<AtomMolecule*>& mols, const SolutionRanking::Sets& sets,
               int printed);

// Takes the solutions (and, when set files are written, the sets) from the
// ranking and writes every result file into `directory` (empty: the working
// directory), with their summary lines. A file that cannot be written is named
// on `err` and in `log`; the others are still written, and the result is false.
bool write(const std::vector<AtomMolecule*>& mols, SolutionRanking& ranking, std::ostream& log, std::ostream& out,
           std::ostream& err, const std::string& directory = "");

}  // namespace ResultFiles
