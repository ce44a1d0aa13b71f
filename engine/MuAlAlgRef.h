#pragma once
// The engine's entry for one pivot: fragment pairs of the pivot with every
// structure after it, clustered, swept into covering sets and seeds, and the
// longest sets and best-scoring seeds per number of structures handed back.
#include <vector>

class AtomMolecule;
class EventSet;
class MultSeqBlock;

class MuAlAlgRef {
 public:
  // Copies the list (the molecules are not owned); ref indexes it.
  MuAlAlgRef(std::vector<AtomMolecule*>& molecules, int ref);

  // Appends to entry m of each vector the sets and seeds of m + 2 structures,
  // in ascending length and score; the caller owns them. Both vectors need an
  // entry per structure after the pivot. Sets the pair statics of
  // FastSeqBlock, which keep their values afterwards.
  void runAlg(std::vector<std::vector<EventSet*> >& results, std::vector<std::vector<MultSeqBlock*> >& msbResults);

 private:
  std::vector<AtomMolecule*> m_molecules;
  int m_ref;
};
