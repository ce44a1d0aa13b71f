#pragma once
// A fragment pair: pivot points i..i+l matched one to one with points j..j+l
// of another structure, with the least-squares fit of those pairs (the fit
// maps the other structure onto the pivot). The two structures are not
// arguments: the pipeline sets them in the class statics before it makes the
// pairs of one structure against the pivot. Those statics belong to the thread
// that sets them, so pivots can run on several threads at once.
#include <vector>

#include "geometry/BestFit.h"
#include "geometry/RigidTrans3.h"
#include "structure/Atom.h"
#include "structure/FMolecule.h"

class FastSeqBlock {
 public:
  // i = j = l = 0 with a fresh fit (identity, RMSD 0).
  FastSeqBlock();
  // Seeds l + 1 pairs at (i, j) and grows them while the RMSD stays below thr.
  // A seed out of range, above thr or failing the bottleneck test leaves l = 0
  // and a fresh fit.
  FastSeqBlock(int i, int j, int l, float thr);
  // Exactly the pairs i..i+l with j..j+l; ends the process when they do not
  // fit into the two structures.
  FastSeqBlock(int i, int j, int l);

  // Every fragment pair of the current pivot (N points) and the current other
  // structure (M points), diagonal by diagonal. The molecule arguments are not
  // read: the pairs read m_model and m_target. The caller owns the result.
  static std::vector<FastSeqBlock*> createSeqBlocks(const FMolecule<Atom>& pivot, const FMolecule<Atom>& other,
                                                    int N, int M, int minSize, int maxShift);

  // A fresh fit of the n pairs (A point i+k, B point j+k); T maps B onto A.
  static void calcRigidTrans(const FMolecule<Atom>& A, const FMolecule<Atom>& B, int i, int j, int n,
                             RigidTrans3& T, float& rmsd);

  // Whether every pair of the block lies within thr once the other point is
  // moved by T.
  bool checkBottleneck(float thr, const RigidTrans3& T) const;
  bool checkBottleneck(float thr) const;

  // Splits the overlap of two consecutive blocks between them; *a and *b are
  // replaced by new blocks and the former ones are not deleted.
  static void resolveOverlap(FastSeqBlock** a, FastSeqBlock** b);

  // Greedy complete-linkage grouping of near-duplicate pairs in input order.
  // Both take over every input block: the input is left holding null entries,
  // one representative per group is returned, the others are deleted.
  // cluster keeps the longest member of a group, clusterGlobalSize the one of
  // largest weight (weights[q] belongs to input entry q).
  static std::vector<FastSeqBlock*> cluster(std::vector<FastSeqBlock*>& blocks);
  static std::vector<FastSeqBlock*> clusterGlobalSize(std::vector<FastSeqBlock*>& blocks,
                                                      const std::vector<float>& weights);
  // The weights for clusterGlobalSize: per block, the number of points of
  // `other` that the block's fit brings within m_fRMSDthr of some pivot point.
  static std::vector<float> globalSizeWeights(const FMolecule<Atom>& pivot, const FMolecule<Atom>& other,
                                              const std::vector<FastSeqBlock*>& blocks);

  const RigidTrans3& rigidTrans() const { return fit.rigidTrans(); }
  float rmsd() const { return fit.rmsd(); }

  int i;
  int j;
  int l;
  BestFit fit;

  static float m_fRMSDthr;
  static thread_local const FMolecule<Atom>* m_model;
  static thread_local const FMolecule<Atom>* m_target;
  static thread_local int m_iModelSize;
  static thread_local int m_iTargetSize;
  static float m_fOverlapRatio;

 private:
  // The optional bottleneck test of growing, as the settings stand: whether
  // it applies and its distance bound as a fraction of the RMSD threshold.
  struct GrowthTest {
    bool bottleneck;
    float weight;
  };
  static GrowthTest growthTest();
  // Whether pivot points i..i+l and other points j..j+l all exist.
  static bool fits(int i, int j, int l);
  FastSeqBlock(int i, int j, int l, float thr, const GrowthTest& test);
};
