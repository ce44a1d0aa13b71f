#pragma once
// Synthetic protein structures with known answers: an irregular alpha-carbon
// chain, rigidly moved copies of it (exact or with Gaussian noise), a copy with
// one loop pushed out of place, and the PDB text or molecule of any of them.
// Everything is deterministic for a given seed, on every platform.
//
// Typical use:
//   auto chain = irregularChain(60, 7);
//   RigidTrans3 motion = randomRigidMotion(11);
//   AtomMolecule a = chainMolecule(chain, "a.pdb");
//   AtomMolecule b = chainMolecule(movedCopy(chain, motion, 0.3f, 5), "b.pdb");
//   // b is a moved by `motion`, each coordinate disturbed by N(0, 0.3).
//
// Header only: include it from test binaries that link `structure`.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "RandomGeometry.h"
#include "geometry/Matrix3.h"
#include "geometry/RigidTrans3.h"
#include "geometry/Vector3.h"
#include "structure/Atom.h"
#include "structure/AtomMolecule.h"
#include "structure/FMolecule.h"
#include "structure/PDB.h"

namespace testing_support {

// One ATOM (or HETATM) record in the standard columns; `atomName` is written
// as given into columns 12-15 (" CA ", " CB ", "HG21").
inline std::string pdbAtomLine(int serial, const std::string& atomName, const std::string& residueName,
                               char chain, int residueNumber, const Vector3& p, char iCode = ' ',
                               char altLoc = ' ', const char* record = "ATOM") {
  char line[96];
  std::snprintf(line, sizeof(line), "%-6s%5d %-4s%c%-3s %c%4d%c   %8.3f%8.3f%8.3f%6.2f%6.2f", record,
                serial, atomName.c_str(), altLoc, residueName.c_str(), chain, residueNumber, iCode, p.x,
                p.y, p.z, 1.0, 10.0);
  return line;
}

// An alpha-carbon trace of `n` residues: consecutive points 3.8 apart, bond
// angles between 85 and 150 degrees, random torsions, and no two points that
// are not neighbours closer than 4.
inline std::vector<Vector3> irregularChain(int n, unsigned seed) {
  RandomGeometry random(seed);
  std::vector<Vector3> chain;
  std::vector<double> px, py, pz;
  auto push = [&](double x, double y, double z) {
    px.push_back(x);
    py.push_back(y);
    pz.push_back(z);
    chain.emplace_back(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
  };
  const double bond = 3.8;
  const double degree = 3.141592653589793 / 180.0;
  for (int i = 0; i < n; ++i) {
    if (i == 0) { push(0, 0, 0); continue; }
    if (i == 1) { push(bond, 0, 0); continue; }
    if (i == 2) {
      double angle = random.uniform(85, 150) * degree;
      push(bond - bond * std::cos(angle), bond * std::sin(angle), 0);
      continue;
    }
    double x = 0, y = 0, z = 0;
    for (int attempt = 0; attempt < 200; ++attempt) {
      // Local frame at the last point c, from the two before it (a, b).
      double a[3] = {px[i - 3], py[i - 3], pz[i - 3]}, b[3] = {px[i - 2], py[i - 2], pz[i - 2]},
             c[3] = {px[i - 1], py[i - 1], pz[i - 1]};
      double bc[3] = {c[0] - b[0], c[1] - b[1], c[2] - b[2]};
      double ab[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
      double lbc = std::sqrt(bc[0] * bc[0] + bc[1] * bc[1] + bc[2] * bc[2]);
      for (double& v : bc) v /= lbc;
      double nrm[3] = {ab[1] * bc[2] - ab[2] * bc[1], ab[2] * bc[0] - ab[0] * bc[2],
                       ab[0] * bc[1] - ab[1] * bc[0]};
      double ln = std::sqrt(nrm[0] * nrm[0] + nrm[1] * nrm[1] + nrm[2] * nrm[2]);
      if (ln < 1e-9) { nrm[0] = 0; nrm[1] = 0; nrm[2] = 1; ln = 1; }
      for (double& v : nrm) v /= ln;
      double m[3] = {nrm[1] * bc[2] - nrm[2] * bc[1], nrm[2] * bc[0] - nrm[0] * bc[2],
                     nrm[0] * bc[1] - nrm[1] * bc[0]};
      double angle = random.uniform(85, 150) * degree;
      double torsion = random.uniform(-180, 180) * degree;
      double d0 = -bond * std::cos(angle), d1 = bond * std::sin(angle) * std::cos(torsion),
             d2 = bond * std::sin(angle) * std::sin(torsion);
      x = c[0] + d0 * bc[0] + d1 * m[0] + d2 * nrm[0];
      y = c[1] + d0 * bc[1] + d1 * m[1] + d2 * nrm[1];
      z = c[2] + d0 * bc[2] + d1 * m[2] + d2 * nrm[2];
      bool clash = false;
      for (int k = 0; k + 2 < i && !clash; ++k) {
        double dx = x - px[k], dy = y - py[k], dz = z - pz[k];
        clash = dx * dx + dy * dy + dz * dz < 16.0;
      }
      if (!clash) break;
    }
    push(x, y, z);
  }
  return chain;
}

// A rotation drawn uniformly (from a random unit quaternion) and a translation
// with each component uniform in [-maxTranslation, maxTranslation].
inline RigidTrans3 randomRigidMotion(unsigned seed, float maxTranslation = 20.0f) {
  RandomGeometry random(seed);
  double q[4], length = 0;
  for (double& c : q) {
    c = random.normal(1.0);
    length += c * c;
  }
  length = std::sqrt(length);
  for (double& c : q) c /= length;
  const double w = q[0], x = q[1], y = q[2], z = q[3];
  Matrix3 rotation(static_cast<float>(1 - 2 * (y * y + z * z)), static_cast<float>(2 * (x * y - w * z)),
                   static_cast<float>(2 * (x * z + w * y)), static_cast<float>(2 * (x * y + w * z)),
                   static_cast<float>(1 - 2 * (x * x + z * z)), static_cast<float>(2 * (y * z - w * x)),
                   static_cast<float>(2 * (x * z - w * y)), static_cast<float>(2 * (y * z + w * x)),
                   static_cast<float>(1 - 2 * (x * x + y * y)));
  Vector3 translation(static_cast<float>(random.uniform(-maxTranslation, maxTranslation)),
                      static_cast<float>(random.uniform(-maxTranslation, maxTranslation)),
                      static_cast<float>(random.uniform(-maxTranslation, maxTranslation)));
  return RigidTrans3(rotation, translation);
}

// Every point moved by `motion`, then each coordinate disturbed by Gaussian
// noise of standard deviation `noise` (none when 0).
inline std::vector<Vector3> movedCopy(const std::vector<Vector3>& points, const RigidTrans3& motion,
                                      float noise = 0.0f, unsigned seed = 1) {
  RandomGeometry random(seed);
  std::vector<Vector3> moved;
  moved.reserve(points.size());
  for (const Vector3& p : points) {
    Vector3 q = motion * p;
    if (noise != 0.0f)
      for (int k = 0; k < 3; ++k) q[k] = static_cast<float>(q[k] + noise * random.normal(1.0));
    moved.push_back(q);
  }
  return moved;
}

// The chain with points first..last (inclusive) pushed away from the rest of
// the structure, up to `bulge` at the loop's middle, as a loop of another
// conformation would be; every other point is unchanged. Needs 0 < first <=
// last < size - 1.
inline std::vector<Vector3> withLoopReplaced(const std::vector<Vector3>& points, int first, int last,
                                             float bulge = 8.0f) {
  std::vector<Vector3> result = points;
  const int n = static_cast<int>(points.size());
  if (first < 1 || last > n - 2 || first > last) return result;
  double centre[3] = {0, 0, 0};
  for (const Vector3& p : points)
    for (int k = 0; k < 3; ++k) centre[k] += p[k] / static_cast<double>(n);
  const Vector3& before = points[first - 1];
  const Vector3& after = points[last + 1];
  double chord[3], out[3], chordLength = 0, outLength = 0;
  for (int k = 0; k < 3; ++k) chord[k] = static_cast<double>(after[k]) - before[k];
  for (int k = 0; k < 3; ++k) chordLength += chord[k] * chord[k];
  chordLength = std::sqrt(chordLength);
  const Vector3& middle = points[(first + last) / 2];
  for (int k = 0; k < 3; ++k) out[k] = static_cast<double>(middle[k]) - centre[k];
  if (chordLength > 1e-9) {
    double along = 0;
    for (int k = 0; k < 3; ++k) along += out[k] * chord[k] / chordLength;
    for (int k = 0; k < 3; ++k) out[k] -= along * chord[k] / chordLength;
  }
  for (int k = 0; k < 3; ++k) outLength += out[k] * out[k];
  outLength = std::sqrt(outLength);
  if (outLength < 1e-9) {
    out[0] = 0;
    out[1] = 0;
    out[2] = 1;
    outLength = 1;
  }
  const double pi = 3.141592653589793;
  for (int i = first; i <= last; ++i) {
    double t = static_cast<double>(i - first + 1) / (last - first + 2);
    double shift = bulge * std::sin(pi * t);
    for (int k = 0; k < 3; ++k)
      result[i][k] = static_cast<float>(points[i][k] + shift * out[k] / outLength);
  }
  return result;
}

// The letter of residue i when the sequence repeats.
inline char residueLetter(const std::string& sequence, std::size_t i) {
  return sequence.empty() ? 'A' : sequence[i % sequence.size()];
}

// One alpha carbon per point, residues numbered from 1, letters cycling
// through `sequence`; the reference points are computed as for a file.
inline AtomMolecule chainMolecule(const std::vector<Vector3>& points, const std::string& name = "synthetic",
                                  const std::string& sequence = "ACDEFGHIKLMNPQRSTVWY", char chain = 'A') {
  FMolecule<Atom> molecule;
  for (std::size_t i = 0; i < points.size(); ++i) {
    char letter = residueLetter(sequence, i);
    const char* residueName = PDB::residueLongName(letter);
    molecule.add(Atom(points[i], ATOM, chain, static_cast<unsigned short>(i + 1),
                      static_cast<unsigned short>(i + 1), " CA ", letter, residueName ? residueName : "UNK",
                      ' '));
  }
  return AtomMolecule(name, molecule);
}

// PDB text of the chain: per residue its alpha carbon and, except for
// glycine, a beta carbon 1.53 from it, pointing away from its neighbours (so a
// moved copy of the points gives the moved beta carbons too).
inline std::string pdbText(const std::vector<Vector3>& points,
                           const std::string& sequence = "ACDEFGHIKLMNPQRSTVWY", char chain = 'A') {
  std::string text;
  int serial = 1;
  const std::size_t n = points.size();
  for (std::size_t i = 0; i < n; ++i) {
    char letter = residueLetter(sequence, i);
    const char* name = PDB::residueLongName(letter);
    std::string residueName = name ? name : "UNK";
    const int number = static_cast<int>(i + 1);
    text += pdbAtomLine(serial++, " CA ", residueName, chain, number, points[i]) + "\n";
    if (letter == 'G') continue;
    double away[3] = {0, 0, 0};
    for (std::size_t j : {i - 1, i + 1}) {
      if (j >= n) continue;  // i - 1 wraps for the first residue
      double d[3], length = 0;
      for (int k = 0; k < 3; ++k) d[k] = static_cast<double>(points[i][k]) - points[j][k];
      for (double v : d) length += v * v;
      length = std::sqrt(length);
      if (length > 1e-9)
        for (int k = 0; k < 3; ++k) away[k] += d[k] / length;
    }
    double length = std::sqrt(away[0] * away[0] + away[1] * away[1] + away[2] * away[2]);
    if (length < 1e-9) {
      away[2] = 1;
      length = 1;
    }
    Vector3 cb;
    for (int k = 0; k < 3; ++k) cb[k] = static_cast<float>(points[i][k] + 1.53 * away[k] / length);
    text += pdbAtomLine(serial++, " CB ", residueName, chain, number, cb) + "\n";
  }
  text += "END\n";
  return text;
}

}  // namespace testing_support
