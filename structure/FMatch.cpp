#include "structure/FMatch.h"

#include <iomanip>
#include <ostream>
#include <stdexcept>
#include <string>

#include "geometry/BestFit.h"

int FMatch::sceneParticle(unsigned i) const {
  for (const ParticleMatch& m : m_matches)
    if (m.model == i) return static_cast<int>(m.scene);
  return -1;
}

int FMatch::modelParticle(unsigned i) const {
  for (const ParticleMatch& m : m_matches)
    if (m.scene == i) return static_cast<int>(m.model);
  return -1;
}

void FMatch::calculateBestFit(const std::vector<Vector3>& model, const std::vector<Vector3>& scene) {
  const std::size_t n = size();
  if (n < 2) return;
  for (const ParticleMatch& m : m_matches)
    if (m.model >= model.size() || m.scene >= scene.size())
      throw std::out_of_range("FMatch: pair (" + std::to_string(m.model) + ", " + std::to_string(m.scene) +
                              ") names a point beyond the molecules");
  double cm[3] = {0.0, 0.0, 0.0}, cs[3] = {0.0, 0.0, 0.0};
  for (const ParticleMatch& m : m_matches)
    for (int k = 0; k < 3; ++k) {
      cm[k] += model[m.model][k];
      cs[k] += scene[m.scene][k];
    }
  for (int k = 0; k < 3; ++k) {
    cm[k] /= static_cast<double>(n);
    cs[k] /= static_cast<double>(n);
  }
  double h[3][3] = {}, e0 = 0.0;
  for (const ParticleMatch& m : m_matches) {
    double dm[3], ds[3];
    for (int k = 0; k < 3; ++k) {
      dm[k] = model[m.model][k] - cm[k];
      ds[k] = scene[m.scene][k] - cs[k];
    }
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) h[i][j] += dm[i] * ds[j];
    e0 += (ds[0] * ds[0] + ds[1] * ds[1] + ds[2] * ds[2]) + (dm[0] * dm[0] + dm[1] * dm[1] + dm[2] * dm[2]);
  }
  BestFit::solve(h, e0, cm, cs, static_cast<int>(n), m_trans, m_rmsd);
}

std::ostream& operator<<(std::ostream& os, const FMatch::ParticleMatch& p) {
  os.setf(std::ios::fixed, std::ios::floatfield);
  os.setf(std::ios::right, std::ios::adjustfield);
  os.precision(3);
  os << std::setw(8) << p.model << std::setw(8) << p.scene;
  return os;
}

std::ostream& operator<<(std::ostream& os, const FMatch& match) {
  os << "#model  #scene" << std::endl;
  for (std::size_t i = 0; i < match.size(); ++i) os << match[static_cast<unsigned>(i)] << std::endl;
  os << std::endl;
  os << "#The transformation is:" << std::endl;
  const Vector3 angles = match.rigidTrans().rotation().rotationAngles();
  const Vector3& t = match.rigidTrans().translation();
  os << static_cast<double>(angles.x) << " " << static_cast<double>(angles.y) << " " << static_cast<double>(angles.z)
     << " " << static_cast<double>(t.x) << " " << static_cast<double>(t.y) << " " << static_cast<double>(t.z)
     << std::endl;
  os << "#Rms: " << static_cast<double>(match.rmsd()) << std::endl;
  return os;
}
