#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "SyntheticStructure.h"
#include "engine/FastSeqBlock.h"
#include "engine/MultSeqBlock.h"
#include "structure/AtomMolecule.h"

namespace {

struct Residue {
  char chain;
  char letter;
  int number;
};

// A structure whose points carry the given chains, letters and residue numbers.
AtomMolecule* structureOf(const std::string& name, const std::vector<Residue>& residues) {
  FMolecule<Atom> molecule;
  for (std::size_t k = 0; k < residues.size(); ++k) {
    const Residue& r = residues[k];
    molecule.add(Atom(Vector3(static_cast<float>(k), 0.0f, 0.0f), ATOM, r.chain, static_cast<unsigned short>(k + 1),
                      static_cast<unsigned short>(r.number), " CA ", r.letter, "ALA", ' '));
  }
  return new AtomMolecule(name, molecule);
}

// The letters cycle through the alphabet, numbers from 1.
AtomMolecule* plainStructure(const std::string& name, int size) {
  std::vector<Residue> residues;
  for (int k = 0; k < size; ++k) residues.push_back({'A', static_cast<char>('A' + k % 26), k + 1});
  return structureOf(name, residues);
}

class Structures {
 public:
  ~Structures() {
    for (AtomMolecule* m : list) delete m;
  }
  std::vector<AtomMolecule*> list;
};

// A seed over `ids` with pivot `ref`; slot k holds a pair unless nullSlot == k.
std::unique_ptr<MultSeqBlock> makeSeed(int ref, const std::vector<int>& ids, int nullSlot = -1) {
  std::vector<FastSeqBlock*> pairs;
  for (std::size_t k = 0; k < ids.size(); ++k)
    pairs.push_back(static_cast<int>(k) == nullSlot ? nullptr : new FastSeqBlock());
  std::unique_ptr<MultSeqBlock> seed(new MultSeqBlock(pairs, ids, ref));
  for (FastSeqBlock* p : pairs) delete p;
  return seed;
}

std::string matchList(const MultSeqBlock& seed, std::vector<AtomMolecule*>& mols, std::vector<std::vector<int> > table) {
  std::ostringstream os;
  seed.printMatchedAA(os, mols, table);
  return os.str();
}

TEST(MultSeqBlockPrintTest, MatchEntriesAreChainLetterAndLeftJustifiedNumber) {
  struct Case {
    Residue residue;
    const char* entry;
  };
  const std::vector<Case> cases = {
      {{'A', 'L', 12}, "A.L.12   "},
      {{'A', 'L', -10000}, "A.L.-10000"},
      {{'A', 'L', -32768}, "A.L.-32768"},
      {{' ', 'L', 12}, " .L.12   "},
      {{'B', 'W', 12345}, "B.W.12345"},
      {{'A', 'G', 7}, "A.G.7    "},
  };
  for (const Case& c : cases) {
    Structures s;
    s.list.push_back(structureOf("p", {c.residue}));
    s.list.push_back(structureOf("q", {{'Z', 'K', 3}}));
    std::unique_ptr<MultSeqBlock> seed = makeSeed(0, {1});
    EXPECT_EQ(matchList(*seed, s.list, {{0, 0}}), std::string(c.entry) + "Z.K.3    \n") << c.entry;
  }
}

TEST(MultSeqBlockPrintTest, ColumnsFollowRefThenSlotOrder) {
  Structures s;
  s.list.push_back(structureOf("s0", {{'A', 'G', 1}, {'A', 'H', 2}}));
  s.list.push_back(structureOf("s1", {{'B', 'K', 10}, {'B', 'L', 11}}));
  s.list.push_back(structureOf("s2", {{'C', 'M', 20}, {'C', 'N', 21}}));
  // Pivot 1 after renumbering, slots holding 2 then 0: columns 1, 2, 0.
  std::unique_ptr<MultSeqBlock> seed = makeSeed(1, {2, 0});
  EXPECT_EQ(matchList(*seed, s.list, {{0, 1, 0}, {1, 0, 1}}),
            "B.K.10   C.N.21   A.G.1    \n"
            "B.L.11   C.M.20   A.H.2    \n");
}

TEST(MultSeqBlockPrintTest, MatchListRestoresTheStreamFormat) {
  Structures s;
  s.list.push_back(structureOf("p", {{'A', 'L', 12}}));
  s.list.push_back(structureOf("q", {{'A', 'L', 12}}));
  std::unique_ptr<MultSeqBlock> seed = makeSeed(0, {1});
  std::ostringstream os;
  std::vector<std::vector<int> > table = {{0, 0}};
  seed->printMatchedAA(os, s.list, table);
  EXPECT_EQ(os.flags() & std::ios::adjustfield, std::ios::right);
  EXPECT_EQ(os.width(), 0);
  os.width(4);
  os << 7;
  EXPECT_EQ(os.str(), "A.L.12   A.L.12   \n   7");
}

TEST(MultSeqBlockPrintTest, EmptyTableWritesNoRows) {
  Structures s;
  s.list.push_back(structureOf("p", {{'A', 'L', 12}}));
  s.list.push_back(structureOf("q", {{'A', 'L', 12}}));
  std::unique_ptr<MultSeqBlock> seed = makeSeed(0, {1});
  EXPECT_EQ(matchList(*seed, s.list, {}), "");
}

TEST(MultSeqBlockPrintTest, MatchListWithANullSlotStops) {
  Structures s;
  s.list.push_back(structureOf("p", {{'A', 'L', 12}}));
  s.list.push_back(structureOf("q", {{'A', 'L', 12}}));
  s.list.push_back(structureOf("r", {{'A', 'L', 12}}));
  std::unique_ptr<MultSeqBlock> seed = makeSeed(0, {1, 2}, 0);
  EXPECT_EXIT(matchList(*seed, s.list, {{0, 0}}), ::testing::ExitedWithCode(1), "");
}

std::string fasta(const MultSeqBlock& seed, std::vector<AtomMolecule*>& mols, std::vector<std::vector<int> > table) {
  std::ostringstream os;
  seed.printFastaFormat(os, mols, table);
  return os.str();
}

std::vector<std::vector<int> > diagonal(int rows, int width) {
  std::vector<std::vector<int> > table;
  for (int r = 0; r < rows; ++r) table.push_back(std::vector<int>(static_cast<std::size_t>(width), r));
  return table;
}

TEST(MultSeqBlockPrintTest, FastaBreaksEverySixtyLetters) {
  Structures s;
  std::vector<Residue> residues;
  for (int k = 0; k < 130; ++k) residues.push_back({'A', static_cast<char>('A' + k % 26), k + 1});
  s.list.push_back(structureOf("first.pdb", residues));
  s.list.push_back(structureOf("second.pdb", residues));
  std::unique_ptr<MultSeqBlock> seed = makeSeed(0, {1});
  std::string letters;
  for (int k = 0; k < 130; ++k) letters += static_cast<char>('A' + k % 26);
  struct Case {
    int rows;
    std::string body;
  };
  const std::vector<Case> cases = {
      {60, letters.substr(0, 60) + "\n"},
      {61, letters.substr(0, 60) + "\n" + letters.substr(60, 1) + "\n"},
      {120, letters.substr(0, 60) + "\n" + letters.substr(60, 60) + "\n"},
      {1, letters.substr(0, 1) + "\n"},
      {0, "\n"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(fasta(*seed, s.list, diagonal(c.rows, 2)),
              ">first.pdb\n" + c.body + "\n>second.pdb\n" + c.body + "\n")
        << c.rows << " rows";
}

TEST(MultSeqBlockPrintTest, FastaSkipsNullSlotsAndFollowsTheTableColumns) {
  Structures s;
  s.list.push_back(structureOf("a", {{'A', 'G', 1}, {'A', 'H', 2}}));
  s.list.push_back(structureOf("b", {{'A', 'K', 1}, {'A', 'L', 2}}));
  s.list.push_back(structureOf("c", {{'A', 'M', 1}, {'A', 'N', 2}}));
  std::unique_ptr<MultSeqBlock> seed = makeSeed(2, {1, 0}, 0);
  // Column 0 is the pivot 2, column 1 the only non-null slot, structure 0.
  EXPECT_EQ(fasta(*seed, s.list, {{1, 0}, {0, 1}}), ">c\nNM\n\n>a\nGH\n\n");
}

RigidTrans3 transOf(float m00, float m01, float m02, float m10, float m11, float m12, float m20, float m21,
                    float m22, Vector3 t) {
  return RigidTrans3(Matrix3(m00, m01, m02, m10, m11, m12, m20, m21, m22), t);
}

std::string transLines(const MultSeqBlock& seed, const std::vector<AtomMolecule*>& mols) {
  std::ostringstream os;
  MultSeqBlock::printOut(os, seed, 17, mols);
  return os.str();
}

TEST(MultSeqBlockPrintTest, TransLineAngles) {
  const float c = std::cos(0.5f), sn = std::sin(0.5f);
  struct Case {
    RigidTrans3 trans;
    const char* line;
  };
  const std::vector<Case> cases = {
      {transOf(0, -1, 0, 1, 0, 0, 0, 0, 1, Vector3(1, 2, 3)), "Trans : 0 0 1.5708 1 2 3"},
      // Ry(-0.5): the second angle is +0.5, m20 = +sin b.
      {transOf(c, 0, -sn, 0, 1, 0, sn, 0, c, Vector3()), "Trans : 0 0.5 0 0 0 0"},
      // Rx(0.25) and a translation that needs six significant digits.
      {transOf(1, 0, 0, 0, std::cos(0.25f), -std::sin(0.25f), 0, std::sin(0.25f), std::cos(0.25f),
               Vector3(-12.3456789f, 0.000125f, 1234567.0f)),
       "Trans : 0.25 0 0 -12.3457 0.000125 1.23457e+06"},
      {RigidTrans3(), "Trans : 0 0 0 0 0 0"},
  };
  for (const Case& k : cases) {
    Structures s;
    s.list.push_back(plainStructure("p", 1));
    s.list.push_back(plainStructure("q", 1));
    std::unique_ptr<MultSeqBlock> seed = makeSeed(0, {1});
    *seed->trans[0] = k.trans;
    EXPECT_EQ(transLines(*seed, s.list), std::string("Reference Molecule : 0\nMolecule : 1\n") + k.line + "\n");
  }
}

TEST(MultSeqBlockPrintTest, AnglesGiveBackTheRotation) {
  // R = Rz(c) Ry(-b) Rx(a), rebuilt from the written angles, is the rotation.
  for (unsigned seed = 1; seed <= 20; ++seed) {
    RigidTrans3 motion = testing_support::randomRigidMotion(seed);
    Structures s;
    s.list.push_back(plainStructure("p", 1));
    s.list.push_back(plainStructure("q", 1));
    std::unique_ptr<MultSeqBlock> msb = makeSeed(0, {1});
    *msb->trans[0] = motion;
    std::istringstream in(transLines(*msb, s.list).substr(std::string("Reference Molecule : 0\nMolecule : 1\nTrans : ").size()));
    double a, b, c, tx, ty, tz;
    in >> a >> b >> c >> tx >> ty >> tz;
    ASSERT_FALSE(in.fail());
    const double ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b), cc = std::cos(c),
                 sc = std::sin(c);
    // Rz(c) * Ry(-b) * Rx(a) written out.
    const double r[3][3] = {{cc * cb, cc * -sb * sa - sc * ca, cc * -sb * ca + sc * sa},
                            {sc * cb, sc * -sb * sa + cc * ca, sc * -sb * ca - cc * sa},
                            {sb, cb * sa, cb * ca}};
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) EXPECT_NEAR(r[i][j], motion.rotation()(i, j), 2e-5) << seed;
    EXPECT_NEAR(tx, motion.translation().x, 1e-3);
    EXPECT_NEAR(ty, motion.translation().y, 1e-3);
    EXPECT_NEAR(tz, motion.translation().z, 1e-3);
  }
}

TEST(MultSeqBlockPrintTest, PrintOutSkipsNullSlotsAndBioCoreWritesTheSame) {
  Structures s;
  for (const char* name : {"a", "b", "c", "d"}) s.list.push_back(plainStructure(name, 1));
  std::unique_ptr<MultSeqBlock> seed = makeSeed(2, {3, 0, 1}, 1);
  *seed->trans[0] = transOf(0, -1, 0, 1, 0, 0, 0, 0, 1, Vector3(1, 2, 3));
  const std::string expected =
      "Reference Molecule : 2\n"
      "Molecule : 3\nTrans : 0 0 1.5708 1 2 3\n"
      "Molecule : 1\nTrans : 0 0 0 0 0 0\n";
  EXPECT_EQ(transLines(*seed, s.list), expected);
  std::ostringstream os;
  MultSeqBlock::printOut_BioCore(os, *seed, 0, s.list);
  EXPECT_EQ(os.str(), expected);
}

}  // namespace
