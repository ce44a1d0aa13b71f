#pragma once
// Residue correspondence by maximum-cardinality bipartite matching ("SeqOrder"
// 0): every pair that Sel admits within thr is an edge between a residue of
// the pivot A and one of the moved structure B; a maximum matching of that
// graph gives the pairs (index in A, index in B) in ascending B order.
//
// The matching needs the graph library's bipartite matching. Until that is in
// the build this entry point reports that the setting cannot run and ends the
// process; the correspondence calls it for every "SeqOrder" 0 slot.
#include <cstdlib>
#include <iostream>

template <class Match, class Molecule, class Sel>
Match getCorrespondance(const Molecule& A, const Molecule& B, float thr) {
  (void)A;
  (void)B;
  (void)thr;
  std::cerr << "SeqOrder 0 (bipartite matching) is not available in this build" << std::endl;
  std::exit(1);
}
