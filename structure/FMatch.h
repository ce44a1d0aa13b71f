#pragma once
// A residue correspondence between two molecules: index pairs (model point,
// scene point) with the least-squares transformation that moves the scene points
// of the pairs onto their model points, and the RMSD after it.
#include <cstddef>
#include <iosfwd>
#include <vector>

#include "geometry/RigidTrans3.h"
#include "geometry/Vector3.h"

class FMatch {
 public:
  struct ParticleMatch {
    ParticleMatch() : model(0), scene(0) {}
    ParticleMatch(unsigned m, unsigned s) : model(m), scene(s) {}
    unsigned model;
    unsigned scene;
  };

  FMatch() : m_rmsd(0.0f) {}
  explicit FMatch(const RigidTrans3& trans) : m_rmsd(0.0f), m_trans(trans) {}

  void add(unsigned model, unsigned scene) { m_matches.push_back(ParticleMatch(model, scene)); }
  std::size_t size() const { return m_matches.size(); }
  const ParticleMatch& operator[](unsigned i) const { return m_matches[i]; }

  float rmsd() const { return m_rmsd; }
  const RigidTrans3& rigidTrans() const { return m_trans; }

  // The partner of the first pair naming i, or -1.
  int sceneParticle(unsigned i) const;
  int modelParticle(unsigned i) const;

  // Fits the pairs with model and scene as position arrays of the two molecules
  // (the scene moves). Fewer than two pairs leave everything unchanged. Throws
  // std::out_of_range when a pair names a point beyond its array.
  void calculateBestFit(const std::vector<Vector3>& model, const std::vector<Vector3>& scene);

  // The same for molecules, through their position arrays.
  template <class ModelMolecule, class SceneMolecule>
  auto calculateBestFit(const ModelMolecule& model, const SceneMolecule& scene)
      -> decltype(model.positions(), scene.positions(), void()) {
    calculateBestFit(model.positions(), scene.positions());
  }

 private:
  std::vector<ParticleMatch> m_matches;
  float m_rmsd;
  RigidTrans3 m_trans;
};

// Both indices, each right-adjusted in 8 columns; leaves the stream in fixed
// notation with precision 3.
std::ostream& operator<<(std::ostream& os, const FMatch::ParticleMatch& p);
// The pairs, then the transformation as three angles and the translation, and
// the RMSD.
std::ostream& operator<<(std::ostream& os, const FMatch& match);
