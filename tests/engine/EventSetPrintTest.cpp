#include <gtest/gtest.h>

#include <cmath>
#include <list>
#include <sstream>
#include <string>
#include <vector>

#include "SyntheticStructure.h"
#include "engine/EventSet.h"
#include "engine/FastSeqBlock.h"
#include "structure/AtomMolecule.h"

namespace {

using testing_support::irregularChain;
using testing_support::movedCopy;
using testing_support::randomRigidMotion;

// The chain as a structure whose residue numbers start at `firstNumber`.
AtomMolecule* numberedStructure(const std::string& name, const std::vector<Vector3>& points, int firstNumber) {
  FMolecule<Atom> molecule;
  for (std::size_t k = 0; k < points.size(); ++k)
    molecule.add(Atom(points[k], ATOM, 'A', static_cast<unsigned short>(k + 1),
                      static_cast<unsigned short>(firstNumber + static_cast<int>(k)), " CA ", 'A', "ALA", ' '));
  return new AtomMolecule(name, molecule);
}

FastSeqBlock* pair(int i, int j, int l) {
  FastSeqBlock* b = new FastSeqBlock();
  b->i = i;
  b->j = j;
  b->l = l;
  return b;
}

std::vector<std::string> split(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts;
  std::size_t from = 0;
  for (;;) {
    std::size_t at = text.find(separator, from);
    parts.push_back(text.substr(from, at == std::string::npos ? std::string::npos : at - from));
    if (at == std::string::npos) return parts;
    from = at + separator.size();
  }
}

std::vector<double> numbers(const std::string& text) {
  std::istringstream in(text);
  std::vector<double> values;
  double v;
  while (in >> v) values.push_back(v);
  return values;
}

TEST(EventSetPrintTest, ReportOfAMovedCopy) {
  const std::vector<Vector3> chain = irregularChain(40, 3);
  const RigidTrans3 motion = randomRigidMotion(5);
  // Structure 2 is structure 0 moved; its residues are numbered from 101 and
  // its points are shifted by three places against the pivot's.
  std::vector<Vector3> shifted(3, Vector3(90.0f, 90.0f, 90.0f));
  for (const Vector3& p : movedCopy(chain, motion)) shifted.push_back(p);
  std::vector<AtomMolecule*> mols = {numberedStructure("pivot", chain, 1), numberedStructure("unused", chain, 1),
                                     numberedStructure("moved", shifted, 101)};
  EventSet set;
  set.ref = 0;
  set.start = 10;
  set.length = 12;
  // Both pairs span pivot 10..21; the first is the exact diagonal, the second
  // is on another diagonal.
  set.entries.emplace_back(2, std::list<FastSeqBlock*>{pair(5, 8, 25), pair(8, 10, 16)});
  std::ostringstream os;
  EventSet::printOut(os, set, 4, mols);

  std::vector<std::string> lines = split(os.str(), "\n");
  ASSERT_EQ(lines.size(), 7u) << os.str();
  EXPECT_EQ(lines[0], "Reference Molecule : 0");
  EXPECT_EQ(lines[1], "Length : 12");
  EXPECT_EQ(lines[2], "Reference Fragment : 11 22");
  EXPECT_EQ(lines[3], "Molecule : 2");
  EXPECT_EQ(lines[6], "");

  // o = S - i + j: point 13 (residue 114) for the exact pair, 12 for the other one.
  std::vector<std::string> exact = split(lines[4], " : ");
  ASSERT_EQ(exact.size(), 5u) << lines[4];
  EXPECT_EQ(exact[0], "0- 114 125");
  EXPECT_EQ(exact[1], "6 31 109 134");
  EXPECT_LT(numbers(exact[2])[0], 1e-3);
  EXPECT_EQ(exact[4], "114 125");
  std::vector<double> t = numbers(exact[3]);
  ASSERT_EQ(t.size(), 6u);
  // The fit places the moved copy back on the pivot: the inverse motion.
  const RigidTrans3 inverse = !motion;
  const Vector3 angles = inverse.rotation().rotationAngles();
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(t[static_cast<std::size_t>(k)], angles[k], 1e-3);
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(t[static_cast<std::size_t>(3 + k)], inverse.translation()[k], 1e-2);

  std::vector<std::string> other = split(lines[5], " : ");
  ASSERT_EQ(other.size(), 5u) << lines[5];
  EXPECT_EQ(other[0], "1- 113 124");
  EXPECT_EQ(other[1], "9 25 111 127");
  EXPECT_GT(numbers(other[2])[0], 0.5);  // off by one residue along the chain
  EXPECT_EQ(other[4], "113 124");
  for (AtomMolecule* m : mols) delete m;
}

TEST(EventSetPrintTest, NumberingRestartsPerEntry) {
  const std::vector<Vector3> chain = irregularChain(20, 8);
  std::vector<AtomMolecule*> mols = {numberedStructure("a", chain, 1), numberedStructure("b", chain, 1),
                                     numberedStructure("c", chain, 1)};
  EventSet set;
  set.ref = 1;
  set.start = 2;
  set.length = 5;
  set.entries.emplace_back(2, std::list<FastSeqBlock*>{pair(0, 0, 10), pair(1, 1, 9)});
  set.entries.emplace_back(0, std::list<FastSeqBlock*>{pair(2, 2, 6)});
  std::ostringstream os;
  EventSet::printOut(os, set, 0, mols);
  std::vector<std::string> lines = split(os.str(), "\n");
  ASSERT_EQ(lines.size(), 9u) << os.str();
  EXPECT_EQ(lines[0], "Reference Molecule : 1");
  EXPECT_EQ(lines[3], "Molecule : 2");
  EXPECT_EQ(lines[4].substr(0, 3), "0- ");
  EXPECT_EQ(lines[5].substr(0, 3), "1- ");
  EXPECT_EQ(lines[6], "Molecule : 0");
  EXPECT_EQ(lines[7].substr(0, 3), "0- ");
  // Identical structures on the same diagonal: the fit is the identity.
  std::vector<double> t = numbers(split(lines[7], " : ")[3]);
  ASSERT_EQ(t.size(), 6u);
  for (double v : t) EXPECT_NEAR(v, 0.0, 1e-3);
  for (AtomMolecule* m : mols) delete m;
}

}  // namespace
