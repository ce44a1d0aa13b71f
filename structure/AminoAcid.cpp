#include "structure/AminoAcid.h"

#include <iostream>

int AminoAcid::getResidueTypeIndx(char c) {
  if (c == '-' || c == '.') return GAP_IDX;
  if (c >= 'A' && c <= 'Z') return m_indexes[c - 'A'];
  std::cerr << "SequenceScore: unknown residue type:" << c << std::endl;
  return -1;
}

float AminoAcid::getFreqOfOccurrence(RESIDUE_INDEX i) {
  if (i < 0 || i >= RESIDUE_INDEX_COUNT) return 0.0f;
  return m_fFreqOfOccurrence[i];
}

namespace {

template <class Test>
int firstAtom(const AminoAcid& aa, Test test) {
  for (size_t i = 0; i < aa.size(); ++i)
    if ((aa[i].*test)()) return static_cast<int>(i);
  return -1;
}

}  // namespace

int AminoAcid::getCA() const { return firstAtom(*this, &Atom::isCA); }
int AminoAcid::getC() const { return firstAtom(*this, &Atom::isC); }
int AminoAcid::getN() const { return firstAtom(*this, &Atom::isN); }
int AminoAcid::getO() const { return firstAtom(*this, &Atom::isO); }

AminoAcid& AminoAcid::operator*=(const RigidTrans3& t) {
  for (Atom& atom : *this) atom.setPosition(t * atom.position());
  return *this;
}

std::ostream& operator<<(std::ostream& os, const AminoAcid& aa) {
  for (const Atom& atom : aa) os << atom << std::endl;
  return os;
}
