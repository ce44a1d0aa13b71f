#include "driver/ResultFiles.h"

#include <cstdio>
#include <fstream>
#include <ostream>

#include "driver/Ranking.h"
#include "driver/TwoStreams.h"
#include "engine/EventSet.h"
#include "engine/MultSeqBlock.h"
#include "structure/AtomMolecule.h"
#include "support/ParameterKeys.h"
#include "support/Parameters.h"
#include "support/WholeFile.h"

namespace ResultFiles {

namespace {

void writeHeader(std::ostream& os, const std::vector<AtomMolecule*>& mols) {
  os << "Molecules: \n";
  for (std::size_t j = 0; j < mols.size(); ++j) os << "Mol-" << j << " : " << mols[j]->name() << "\n";
  os << "\nResults: \n\n";
}

void writeSolution(std::ostream& os, const MultSeqBlock& seed, int number, const std::vector<AtomMolecule*>& mols) {
  const std::vector<std::vector<int> >& table = seed.table;
  const float rmsd = seed.calcRMSD(mols, table);
  os << "Solution Num : " << number << "\n\n";
  os << "Mult Corres Score : " << static_cast<double>(seed.score) << "\n";
  MultSeqBlock::printOut(os, seed, number, mols);
  os << "RMSD : " << static_cast<double>(rmsd) << "\n\n";
  os << "Match List (Chain_ID.Res_Type.Res_Num) : " << table.size() << "\n";
  seed.printMatchedAA(os, mols, table);
  os << "End of Match List\n\n\n";
  seed.printFastaFormat(os, mols, table);
  os << "\n\n";
}

// A result file written under a temporary name and given its name once
// complete, so that it appears whole or not at all.
class ResultFile {
 public:
  ResultFile(const std::string& directory, const std::string& name, std::ostream& log, std::ostream& err)
      : m_name(name), m_path((directory.empty() ? "" : directory + "/") + name), m_log(log), m_err(err) {
    m_temporary = WholeFile::open(m_stream, m_path);
    if (m_temporary.empty()) report("Can't open file ");
  }
  std::ofstream& stream() { return m_stream; }
  // Closes the file and gives it its name; false when it was not written completely.
  bool close() {
    if (m_temporary.empty()) return false;
    switch (WholeFile::commit(m_stream, m_temporary, m_path)) {
      case WholeFile::Outcome::Written:
        return true;
      case WholeFile::Outcome::WriteFailed:
        report("Error while writing file ");
        return false;
      case WholeFile::Outcome::NotRenamed:
        report("Can't open file ");
        return false;
    }
    return false;
  }

 private:
  void report(const char* what) {
    writeLineToBoth(m_err, m_log, what, m_name);
  }

  std::string m_name;
  std::string m_path;
  std::string m_temporary;
  std::ostream& m_log;
  std::ostream& m_err;
  std::ofstream m_stream;
};

}  // namespace

void writeSolutions(std::ostream& os, const std::vector<AtomMolecule*>& mols, const SolutionRanking::Seeds& seeds,
                    int printed) {
  writeHeader(os, mols);
  for (std::size_t number = 0; number < seeds.size() && static_cast<long>(number) < printed; ++number)
    writeSolution(os, *seeds[number], static_cast<int>(number), mols);
}

void writeSets(std::ostream& os, const std::vector<AtomMolecule*>& mols, const SolutionRanking::Sets& sets,
               int printed) {
  writeHeader(os, mols);
  for (std::size_t j = 0; j < sets.size() && static_cast<long>(j) < printed; ++j) {
    os << "Solution Num : " << j << "\n\n";
    EventSet::printOut(os, *sets[j], static_cast<int>(j), mols);
    os << "\n";
  }
}

std::string fileName(int structureCount, const char* suffix) {
  char name[64];
  std::snprintf(name, sizeof(name), "%d%s", structureCount, suffix);
  return name;
}

bool write(const std::vector<AtomMolecule*>& mols, SolutionRanking& ranking, std::ostream& log, std::ostream& out,
           std::ostream& err, const std::string& directory) {
  const int printed = Parameters::getInt(Param::ResNumPrint);
  const bool debug = Parameters::getInt(Param::Debug) == 1;
  bool complete = true;
  out << std::endl;
  log << std::endl;

  const std::vector<SolutionRanking::Seeds> solutions = ranking.takeSolutions();
  for (std::size_t k = 0; k < solutions.size(); ++k) {
    const SolutionRanking::Seeds& seeds = solutions[k];
    if (seeds.empty()) continue;
    const int count = static_cast<int>(k) + 2;
    ResultFile file(directory, fileName(count, "_sol.res"), log, err);
    const float best = seeds.front()->score;
    writeLineToBoth(log, out, "Num Of Mols: ", count, " Largest Solution: ", static_cast<double>(best));
    if (k == 0 && Parameters::getInt(Param::PrintHits) == 1)
      writeLineToBoth(out, log, "Hits : ", static_cast<double>(best), " : ", mols[0]->name(), " : ", mols[1]->name());
    writeSolutions(file.stream(), mols, seeds, printed);
    if (debug)
      for (std::size_t number = 0; number < seeds.size() && static_cast<long>(number) < printed; ++number)
        out << "Score : " << static_cast<double>(seeds[number]->score)
            << " Number of k-tuples : " << seeds[number]->table.size() << "\n";
    complete = file.close() && complete;
  }

  if (Parameters::getInt(Param::ContFragmentMatch) == 1) {
    log << std::endl << "Multiple fragment alignment:" << std::endl;
    const std::vector<SolutionRanking::Sets> retainedSets = ranking.takeSets();
    for (std::size_t k = 0; k < retainedSets.size(); ++k) {
      const int count = static_cast<int>(k) + 2;
      ResultFile file(directory, fileName(count, "_sets.res"), log, err);
      const SolutionRanking::Sets& sets = retainedSets[k];
      if (!sets.empty())
        log << "Sets - Mols: " << count << " Longest (contiguous) Solution: " << sets.front()->length << std::endl;
      writeSets(file.stream(), mols, sets, printed);
      complete = file.close() && complete;
    }
  }
  return complete;
}

}  // namespace ResultFiles
