#pragma once
// Reads a structure as one pseudo-atom per residue, placed at the centroid of
// the residue's side chain.
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "geometry/Vector3.h"
#include "structure/Atom.h"
#include "structure/FMolecule.h"

class CompleteMolecule {
 public:
  // The side-chain centroids of every residue of the file, in file order. A
  // residue is a run of consecutive ATOM records with the same chain, residue
  // number and insertion code; `fileName` names the stream in reports.
  static FMolecule<Atom> readPDBfile(std::istream& file, const std::string& fileName);

  // The representative point of one residue's atoms for its letter: the mean
  // of the letter's side-chain atoms, else its fallback atom, else the alpha
  // carbon. None when the residue has none of these; it is then left out.
  // Reports go to standard output and the run log.
  static std::optional<Vector3> readAA(const std::vector<Atom>& atoms, char letter);
};
