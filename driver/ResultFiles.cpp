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

void writeSolution(std::ostream& os, MultSeqBlock& seed, int number, std::vector<AtomMolecule*>& mols) {
  std::vector<std::vector<int> >& table = seed.table;
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

std::string fileName(int structureCount, const char* suffix) {
  char name[64];
  std::snprintf(name, sizeof(name), "%d%s", structureCount, suffix);
  return name;
}

bool write(std::vector<AtomMolecule*>& mols, SolutionRanking& ranking, std::ostream& log, std::ostream& out,
           std::ostream& err, const std::string& directory) {
  const int printed = Parameters::getInt(Param::ResNumPrint);
  const bool debug = Parameters::getInt(Param::Debug) == 1;
  bool complete = true;
  out << std::endl;
  log << std::endl;

  std::vector<std::vector<SolutionRanking::SubsetHeap> >& subsetHeaps = ranking.subsetHeaps();
  std::vector<SolutionRanking::SeedHeap> merged(subsetHeaps.size());
  for (std::size_t k = 0; k < subsetHeaps.size(); ++k)
    for (SolutionRanking::SubsetHeap& subset : subsetHeaps[k])
      while (!subset.second.empty()) {
        merged[k].push(subset.second.top());
        subset.second.pop();
      }

  for (std::size_t k = 0; k < merged.size(); ++k) {
    if (merged[k].empty()) continue;
    const int count = static_cast<int>(k) + 2;
    ResultFile file(directory, fileName(count, "_sol.res"), log, err);
    std::ofstream& os = file.stream();
    writeHeader(os, mols);
    std::vector<MultSeqBlock*> ascending;
    while (!merged[k].empty()) {
      ascending.push_back(merged[k].top());
      merged[k].pop();
    }
    const float best = ascending.back()->score;
    writeLineToBoth(log, out, "Num Of Mols: ", count, " Largest Solution: ", static_cast<double>(best));
    if (k == 0 && Parameters::getInt(Param::PrintHits) == 1)
      writeLineToBoth(out, log, "Hits : ", static_cast<double>(best), " : ", mols[0]->name(), " : ", mols[1]->name());
    int number = 0;
    for (auto it = ascending.rbegin(); it != ascending.rend(); ++it, ++number) {
      MultSeqBlock* seed = *it;
      if (number < printed) {
        writeSolution(os, *seed, number, mols);
        if (debug)
          out << "Score : " << static_cast<double>(seed->score) << " Number of k-tuples : " << seed->table.size()
              << "\n";
      }
      delete seed;
    }
    complete = file.close() && complete;
  }

  if (Parameters::getInt(Param::ContFragmentMatch) == 1) {
    log << std::endl << "Multiple fragment alignment:" << std::endl;
    std::vector<std::vector<EventSet*> >& retainedSets = ranking.retainedSets();
    for (std::size_t k = 0; k < retainedSets.size(); ++k) {
      const int count = static_cast<int>(k) + 2;
      ResultFile file(directory, fileName(count, "_sets.res"), log, err);
      std::ofstream& os = file.stream();
      writeHeader(os, mols);
      std::vector<EventSet*>& sets = retainedSets[k];
      if (!sets.empty()) {
        log << "Sets - Mols: " << count << " Longest (contiguous) Solution: " << sets.front()->length << std::endl;
        for (std::size_t j = 0; j < sets.size(); ++j) {
          if (static_cast<long>(j) < printed) {
            os << "Solution Num : " << j << "\n\n";
            EventSet::printOut(os, *sets[j], static_cast<int>(j), mols);
            os << "\n";
          }
          delete sets[j];
        }
        sets.clear();
      }
      complete = file.close() && complete;
    }
  }
  return complete;
}

}  // namespace ResultFiles
