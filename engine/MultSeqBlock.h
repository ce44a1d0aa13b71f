#pragma once
// A multiple-alignment seed: per other structure (slot) one fragment pair with
// the pivot and the transformation that places that structure on the pivot,
// with its score and, once refined, its residue correspondence table.
#include <atomic>
#include <iosfwd>
#include <string>
#include <vector>

#include "geometry/RigidTrans3.h"
#include "support/Timer.h"

class AtomMolecule;
class FastSeqBlock;
class SlotCorrespondenceCache;
class CoreHitCache;

class MultSeqBlock {
 public:
  // What seed scoring stores per point in its grid hash.
  struct MolCounter {
    int atom;
    int slot;
    bool used;
  };

  // Kind 0: copies of the non-null pairs and of their fits' transformations.
  MultSeqBlock(const std::vector<FastSeqBlock*>& blocks, std::vector<int> ids, int ref);
  // Kind 1: a deep copy without the correspondence table.
  MultSeqBlock(const MultSeqBlock& other);
  // Seeds are never assigned.
  MultSeqBlock& operator=(const MultSeqBlock&) = delete;
  ~MultSeqBlock();

  // 1 + 4 * slots bytes: ref, then per slot i, j, l and the molecule index,
  // each reduced to its low 8 bits. Contains zero bytes; keys can collide.
  std::string getID() const;
  // The number of non-null slots.
  int getMolNum() const;
  // The non-null pairs, not copied: the seed keeps them.
  std::vector<FastSeqBlock*> getAllSeqBlocks();
  void deleteVectors();
  // Same slots with the same pairs, value by value.
  bool equalExact(const MultSeqBlock& other) const;
  // Same structures placed the same way, compared in this seed's pivot frame.
  bool equal(const std::vector<AtomMolecule*>& mols, const MultSeqBlock& other) const;

  // Seed scoring by common core. A cache, when given, holds the residues each
  // placement of a structure covers, for this seed's pivot and this thr.
  void calcScore(const std::vector<AtomMolecule*>& mols, float thr, CoreHitCache* cache = nullptr);
  template <class Sel, class T>
  static void getCorrespondenceSize(MultSeqBlock& msb, const std::vector<AtomMolecule*>& mols, float thr,
                                    float& score, CoreHitCache* cache = nullptr);
  int getCorrespondenceSizeOld(const std::vector<AtomMolecule*>& mols, float thr);
  int getCorrespondenceSizeNew(const std::vector<AtomMolecule*>& mols, float thr);
  void getCorrespondenceSizeNew(const std::vector<AtomMolecule*>& mols, float thr, float& score,
                                std::vector<std::vector<int> >& table);

  // Residue correspondence; replaces every slot's transformation by its refit.
  // A cache, when given, holds slots computed before for the same pivot.
  std::vector<std::vector<int> > multCorrespondence(std::vector<AtomMolecule*>& mols, float thr,
                                                    SlotCorrespondenceCache* cache = nullptr);
  void setRealAA(std::vector<AtomMolecule*>& mols, std::vector<std::vector<int> >& table);
  int multCorrespondenceNew(std::vector<AtomMolecule*>& mols, float thr) const;
  void extend(std::vector<AtomMolecule*>& mols, float thr);

  // Alignment scores.
  float calcAlignScore(const std::vector<AtomMolecule*>& mols, const std::vector<std::vector<int> >& table) const;
  float calcRMSD(const std::vector<AtomMolecule*>& mols, const std::vector<std::vector<int> >& table) const;

  // Result writers.
  static void printOut(std::ostream& os, const MultSeqBlock& seed, int num, const std::vector<AtomMolecule*>& mols);
  static void printOut_BioCore(std::ostream& os, const MultSeqBlock& seed, int num,
                               const std::vector<AtomMolecule*>& mols);
  void printMatchedAA(std::ostream& os, const std::vector<AtomMolecule*>& mols,
                      const std::vector<std::vector<int> >& table) const;
  void printFastaFormat(std::ostream& os, const std::vector<AtomMolecule*>& mols,
                        const std::vector<std::vector<int> >& table) const;

  float score;
  int start;
  int length;
  std::vector<FastSeqBlock*> blocks;
  std::vector<RigidTrans3*> trans;
  std::vector<std::vector<int> > table;
  int ref;
  std::vector<int> ids;
  int m_type;

  // Live seeds per kind of construction (seeds are made on several threads).
  static std::atomic<int> inew[3];
  static Timer testTimerMSB;
};

// Heap order of seeds: the seed with the lowest score is on top.
struct CompareMultSeqBlock {
  bool operator()(const MultSeqBlock* a, const MultSeqBlock* b) const { return a->score > b->score; }
};
