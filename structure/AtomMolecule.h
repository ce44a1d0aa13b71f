#pragma once
// The per-structure object the engine works on: one point per residue, named
// after its file, with three reference points that tell whether two rigid
// transformations place the structure the same way.
#include <string>

#include "geometry/RigidTrans3.h"
#include "geometry/Vector3.h"
#include "structure/Atom.h"
#include "structure/FMolecule.h"

class AtomMolecule : public FMolecule<Atom> {
 public:
  AtomMolecule() = default;
  AtomMolecule(const std::string& name, const FMolecule<Atom>& molecule);
  AtomMolecule(const AtomMolecule& other) = default;
  AtomMolecule& operator=(const AtomMolecule& other) = default;
  ~AtomMolecule() override = default;

  const std::string& name() const { return m_name; }
  const Vector3& refPoint(int k) const { return m_refPoints[k]; }

  // The two points farthest apart, then the point that maximises the product
  // of its squared distances to them.
  void detectRefPoints();

  // Whether the two transformations move the reference points to within a
  // summed squared distance of st_fThr of each other.
  bool equalTrans(const RigidTrans3& t1, const RigidTrans3& t2) const;
  bool matched(const Vector3& a1, const Vector3& a2, const Vector3& a3, const RigidTrans3& trans,
               const Vector3& b1, const Vector3& b2, const Vector3& b3) const;

  // Marks every helix run of at most `maxLength` atoms as loop.
  void removeSpuriousHelices(int maxLength);

  // The message for a structure file that gave no residues at all; the run
  // cannot align such a structure and ends with status 1.
  static std::string noResiduesMessage(const std::string& fileName);

  static float st_fThr;

 private:
  std::string m_name;
  Vector3 m_refPoints[3];
};
