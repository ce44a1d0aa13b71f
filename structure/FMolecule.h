#pragma once
// A molecule: its atoms in file order, with an array of their positions that
// the geometric code reads by index.
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "geometry/RigidTrans3.h"
#include "geometry/Vector3.h"
#include "structure/Atom.h"
#include "structure/PDB.h"
#include "support/StringUtils.h"

template <class AtomT>
class FMolecule : public std::vector<AtomT> {
 public:
  FMolecule() {}
  FMolecule(const FMolecule& other) : std::vector<AtomT>(other) { updateVector3(); }
  virtual ~FMolecule() {}

  FMolecule& operator=(const FMolecule& other) {
    if (this != &other) std::vector<AtomT>::operator=(other);
    updateVector3();
    return *this;
  }

  // Appends the ATOM records of `in` that `selector` accepts and returns the
  // number of atoms held afterwards. Reading stops at the end of the first
  // model, at the end of the stream or at a read error. A record whose
  // coordinates cannot be read is skipped with a warning naming `sourceName`
  // and the line number.
  int readPDBfile(std::istream& in, const PDB::Selector& selector,
                  const std::string& sourceName = "input");

  void add(const AtomT& atom) {
    this->push_back(atom);
    m_positions.push_back(atom.position());
  }

  void updateVector3() {
    m_positions.clear();
    m_positions.reserve(this->size());
    for (const AtomT& atom : *this) m_positions.push_back(atom.position());
  }

  void rigidTrans(const RigidTrans3& trans) {
    for (std::size_t i = 0; i < this->size(); ++i) {
      (*this)[i].setPosition(trans * (*this)[i].position());
      m_positions[i] = trans * m_positions[i];
    }
  }

  FMolecule& operator*=(const RigidTrans3& trans) {
    rigidTrans(trans);
    return *this;
  }

  // Point i of the structure: entry i equals the position of atom i.
  const Vector3& position(std::size_t i) const { return m_positions[i]; }
  const std::vector<Vector3>& positions() const { return m_positions; }

 private:
  std::vector<Vector3> m_positions;
};

template <class AtomT>
int FMolecule<AtomT>::readPDBfile(std::istream& in, const PDB::Selector& selector,
                                  const std::string& sourceName) {
  // An ensemble (NMR models) repeats the structure: only the first model is read.
  bool inModel = false;
  long lineNumber = 0;
  while (in.good()) {
    std::string line = StringUtils::getLine(in);
    ++lineNumber;
    const char* record = line.c_str();
    if (std::strncmp(record, "ENDMDL", 6) == 0) break;
    if (std::strncmp(record, "MODEL", 5) == 0) {
      if (inModel) break;
      inModel = true;
    }
    if (!PDB::isATOMrec(record) || !selector(record)) continue;
    if (char field = PDB::unreadableCoordinate(record)) {
      std::cerr << sourceName << ":" << lineNumber << ": " << field
                << " coordinate is blank or not a number; ATOM record skipped" << std::endl;
      continue;
    }
    add(AtomT(record));
  }
  updateVector3();
  return static_cast<int>(this->size());
}
