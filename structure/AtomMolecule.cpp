#include "structure/AtomMolecule.h"

#include <cstdlib>
#include <iostream>


float AtomMolecule::st_fThr = 3.0f;

AtomMolecule::AtomMolecule(const std::string& name, const FMolecule<Atom>& molecule)
    : FMolecule<Atom>(molecule), m_name(name) {
  detectRefPoints();
}

void AtomMolecule::detectRefPoints() {
  const std::vector<Vector3>& p = positions();
  const std::size_t n = p.size();
  double best = 0;
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = 0; j < n; ++j) {
      double d = dist2(p[j], p[i]);
      if (d > best) {
        best = d;
        m_refPoints[0] = p[i];
        m_refPoints[1] = p[j];
      }
    }
  best = 0;
  for (std::size_t k = 0; k < n; ++k) {
    double e = dist2(m_refPoints[0], p[k]) * dist2(m_refPoints[1], p[k]);
    if (e > best) {
      best = e;
      m_refPoints[2] = p[k];
    }
  }
}

bool AtomMolecule::equalTrans(const RigidTrans3& t1, const RigidTrans3& t2) const {
  float sum = 0;
  for (int k = 0; k < 3; ++k) {
    sum += (t1 * m_refPoints[k] - t2 * m_refPoints[k]).norm2();
    if (sum > st_fThr) return false;
  }
  return true;
}

bool AtomMolecule::matched(const Vector3& a1, const Vector3& a2, const Vector3& a3,
                           const RigidTrans3& trans, const Vector3& b1, const Vector3& b2,
                           const Vector3& b3) const {
  const Vector3* a[3] = {&a1, &a2, &a3};
  const Vector3* b[3] = {&b1, &b2, &b3};
  float sum = 0;
  for (int k = 0; k < 3; ++k) {
    sum += (*a[k] - trans * *b[k]).norm2();
    if (sum > st_fThr) return false;
  }
  return true;
}

void AtomMolecule::removeSpuriousHelices(int maxLength) {
  std::size_t i = 0;
  while (i < size()) {
    if ((*this)[i].secondaryStructure() != 'H') {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < size() && (*this)[end].secondaryStructure() == 'H') ++end;
    if (static_cast<long>(end - i) <= maxLength)
      for (std::size_t k = i; k < end; ++k) (*this)[k].setSecondaryStructure('L', 0);
    i = end;
  }
}

std::string AtomMolecule::noResiduesMessage(const std::string& fileName) {
  return "File: " + fileName + " has no residues to align.";
}
