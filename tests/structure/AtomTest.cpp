#include "structure/Atom.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sstream>
#include <string>

namespace {

const std::string kStandard =
    "ATOM      1  CA  ALA A   1      11.104   6.134  -6.504  1.00 20.00           C";

std::string printed(const Atom& atom) {
  std::ostringstream out;
  out << atom;
  return out.str();
}

Atom named(const char* atomName, const char* residueName = "ALA") {
  return Atom(Vector3(0, 0, 0), ATOM, 'A', 1, 1, atomName, 'A', residueName, ' ');
}

}  // namespace

TEST(Atom, ParseAtomName) {
  const struct {
    const char* name;
    const char* expected;
  } cases[] = {{"N", " N  "},      {"CA", " CA "},     {"CD1", " CD1"}, {"HG21", "HG21"},
               {"HG21X", "HG21"}, {" CA ", " CA "},   {"", ""}};
  for (const auto& c : cases) EXPECT_EQ(Atom::parseAtomName(c.name), c.expected) << c.name;
}

TEST(Atom, FromRecordLine) {
  Atom atom(kStandard.c_str());
  EXPECT_EQ(atom.position(), Vector3(11.104f, 6.134f, -6.504f));
  EXPECT_EQ(atom.getAtomEntryType(), ATOM);
  EXPECT_EQ(atom.chainId(), 'A');
  EXPECT_EQ(atom.atomIndex(), 1);
  EXPECT_EQ(atom.residueIndex(), 1);
  EXPECT_EQ(atom.residueICode(), ' ');
  EXPECT_STREQ(atom.type(), " CA ");
  EXPECT_EQ(atom.residueType(), 'A');
  EXPECT_STREQ(atom.residueName(), "ALA");
  EXPECT_EQ(atom.getOccupancy(), 1.0f);
  EXPECT_EQ(atom.getTempFactor(), 20.0f);
  EXPECT_EQ(atom.secondaryStructure(), 0);
  EXPECT_EQ(atom.secondaryStructureNumber(), 0);
  EXPECT_EQ(atom.residueSequenceID(), "1 ");
}

TEST(Atom, NumbersKeepLow16Bits) {
  std::string line = kStandard;
  line.replace(6, 5, "70000");
  line.replace(22, 4, "  -5");
  Atom atom(line.c_str());
  EXPECT_EQ(atom.atomIndex(), 4464);
  EXPECT_EQ(atom.residueIndex(), -5);
  EXPECT_EQ(atom.residueSequenceID(), "-5 ");
  line.replace(22, 5, "  52A");
  EXPECT_EQ(Atom(line.c_str()).residueSequenceID(), "52A");
}

TEST(Atom, FromShortLineKeepsWhatIsThere) {
  const std::string text = "ATOM      7  CA";
  std::unique_ptr<char[]> line(new char[text.size() + 1]);
  std::memcpy(line.get(), text.c_str(), text.size() + 1);
  Atom atom(line.get());
  EXPECT_EQ(atom.atomIndex(), 7);
  EXPECT_STREQ(atom.type(), " CA");
  EXPECT_STREQ(atom.residueName(), "");
  EXPECT_EQ(atom.residueType(), 'X');
  EXPECT_EQ(atom.chainId(), ' ');
  EXPECT_EQ(atom.position(), Vector3(0, 0, 0));
  // A missing fourth character of the name counts as a blank.
  EXPECT_TRUE(atom.isCA());
  EXPECT_TRUE(atom.isBackbone());
}

TEST(Atom, PrintsAPdbLine) {
  std::ostringstream out;
  out << Atom(kStandard.c_str());
  EXPECT_EQ(out.str(), "ATOM      1  CA  ALA A   1      11.104   6.134  -6.504  1.00 20.00");
  EXPECT_EQ(out.str(), kStandard.substr(0, 66));
  EXPECT_TRUE(out.flags() & std::ios::right);
  EXPECT_TRUE(out.flags() & std::ios::fixed);
  EXPECT_EQ(out.precision(), 2);
  out.str("");
  out << 1.0f / 3;
  EXPECT_EQ(out.str(), "0.33");

  Atom unknown(Vector3(12.3456f, -1, 0), UNK, 'B', 12, 7, " CB ", 'G', "GLY", 0.5f, 1.25f, 'C');
  EXPECT_EQ(printed(unknown), "UNK      12  CB  GLY B   7C     12.346  -1.000   0.000  0.50  1.25");
  Atom het(Vector3(), HETATM, 'A', 503, 31, "ZN", 'X', "ZN", ' ');
  EXPECT_EQ(printed(het), "HETATM  503  ZN      A  31       0.000   0.000   0.000  1.00  0.00");
}

TEST(Atom, ResidueNameFromLetter) {
  const struct {
    char letter;
    const char* name;
  } cases[] = {{'B', "AS "}, {'X', "UNK"}, {'G', "GLY"}, {'W', "TRP"}};
  for (const auto& c : cases) {
    Atom atom(Vector3(1, 2, 3), 'A', 5, 9, "N", c.letter, 'A');
    EXPECT_STREQ(atom.residueName(), c.name) << c.letter;
    EXPECT_STREQ(atom.type(), " N  ");
    EXPECT_EQ(atom.getOccupancy(), 1.0f);
    EXPECT_EQ(atom.getTempFactor(), 0.0f);
    EXPECT_EQ(atom.getAtomEntryType(), ATOM);
    EXPECT_EQ(atom.residueSequenceID(), "9A");
  }
  // A nucleic-acid letter has no residue name: three blanks and the message, no crash.
  testing::internal::CaptureStderr();
  Atom uracil(Vector3(1, 2, 3), 'A', 5, 9, " N1 ", 'U', ' ');
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "PDB::residueLongName - A unique long name does not exist for non-protein residue :U:\n");
  EXPECT_STREQ(uracil.residueName(), "   ");
  EXPECT_EQ(uracil.residueType(), 'U');
}

TEST(Atom, Predicates) {
  const struct {
    const char* name;
    bool ca, backbone, hydrogen;
  } cases[] = {
      {" CA ", true, true, false},  {"CA  ", false, false, false}, {" N  ", false, true, false},
      {" C  ", false, true, false}, {" O  ", false, true, false}, {" CB ", false, false, false},
      {" HB2", false, false, true}, {"1HB ", false, false, true}, {"HD1 ", false, false, true},
      {" CH2", false, false, false}, {" DA ", false, false, true}, {"", false, false, false},
  };
  for (const auto& c : cases) {
    Atom atom = named(c.name);
    EXPECT_EQ(atom.isCA(), c.ca) << c.name;
    EXPECT_EQ(atom.isBackbone(), c.backbone) << c.name;
    EXPECT_EQ(atom.isH(), c.hydrogen) << c.name;
  }
  EXPECT_TRUE(named(" N  ").isN());
  EXPECT_TRUE(named(" C  ").isC());
  EXPECT_FALSE(named(" CA ").isC());
  EXPECT_TRUE(named(" O  ").isO());
  EXPECT_TRUE(named(" O  ", "HOH").isWater());
  EXPECT_TRUE(named(" O  ", "DOD").isWater());
  EXPECT_FALSE(named(" O  ", "WAT").isWater());
}

TEST(Atom, CopiesEveryField) {
  Atom atom(kStandard.c_str());
  atom.setSecondaryStructure('H', 3);
  atom.setChainId('Q');
  atom.setTempFactor(7.5f);
  Atom copy(atom);
  Atom assigned;
  assigned = atom;
  for (const Atom* a : {&copy, &assigned}) {
    EXPECT_EQ(printed(*a), printed(atom));
    EXPECT_EQ(a->secondaryStructure(), 'H');
    EXPECT_EQ(a->secondaryStructureNumber(), 3);
    EXPECT_EQ(a->residueType(), 'A');
  }
}

TEST(Atom, DefaultConstructed) {
  Atom atom;
  EXPECT_EQ(printed(atom), "ATOM      0              0       0.000   0.000   0.000  1.00  0.00");
  Atom numbered(Vector3(1, 2, 3), 42);
  EXPECT_EQ(numbered.atomIndex(), 42);
  EXPECT_STREQ(numbered.type(), "    ");
  EXPECT_STREQ(numbered.residueName(), "   ");
}
