#pragma once
// Residue correspondence by maximum-cardinality bipartite matching ("SeqOrder"
// 0): every pair that Sel admits within thr is an edge from a residue of the
// pivot A to one of the moved structure B; a maximum matching of that graph
// pairs each residue at most once, regardless of sequence order.
#include <cstddef>
#include <iostream>
#include <vector>

#include "engine/internal/AdmittedPairs.h"
#include "engine/internal/PointSelectors.h"
#include "graphlib/graph/bipartite_matching.h"
#include "graphlib/graph/param_graph.h"

// The pairs come as (index in A, index in B) in ascending index in B. Which
// of several maximum matchings is found follows from the node order (A's
// residues, then B's) and the order in which the hash reports the pairs.
template <class Match, class Molecule, class Sel>
Match getCorrespondance(const Molecule& A, const Molecule& B, float thr) {
  SelectorThreshold<Sel> threshold(thr);
  graphlib::GRAPH<int, float> G;
  graphlib::list<graphlib::node> LA, LB;
  std::vector<graphlib::node> nodesA, nodesB;
  const int sizeA = static_cast<int>(A.size());
  for (std::size_t i = 0; i < A.size(); ++i) {
    nodesA.push_back(G.new_node(static_cast<int>(i)));
    LA.append(nodesA.back());
  }
  for (std::size_t j = 0; j < B.size(); ++j) {
    nodesB.push_back(G.new_node(sizeA + static_cast<int>(j)));
    LB.append(nodesB.back());
  }
  forEachAdmittedPair<Sel>(A, B, thr, [&](std::size_t i, std::size_t j, typename Sel::ValueType) {
    G.new_edge(nodesA[i], nodesB[j], 0.0f);
  });

  graphlib::list<graphlib::edge> M = graphlib::MAX_CARD_BIPARTITE_MATCHING(G, LA, LB);
  Match match;
  for (graphlib::dlink* it = M.first(); it != nullptr; it = it->succ) {
    const graphlib::edge e = M.contents(it);
    match.add(static_cast<unsigned>(G.inf(G.source(e))), static_cast<unsigned>(G.inf(G.target(e)) - sizeA));
  }
  if (match.size() != static_cast<std::size_t>(M.length()))
    std::cout << "Error in Correspondence, lengths doesn't match" << std::endl;
  return match;
}
