#include "structure/PDB.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

const std::string kStandard =
    "ATOM      1  CA  ALA A   1      11.104   6.134  -6.504  1.00 20.00           C";

// The line with `text` written from column `col` on, padded with blanks when the
// line is shorter.
std::string withField(std::string line, std::size_t col, const std::string& text) {
  if (line.size() < col + text.size()) line.resize(col + text.size(), ' ');
  line.replace(col, text.size(), text);
  return line;
}

// An exactly sized heap copy, so that the sanitizer sees any read past the end.
std::unique_ptr<char[]> exactCopy(const std::string& line) {
  std::unique_ptr<char[]> copy(new char[line.size() + 1]);
  std::memcpy(copy.get(), line.c_str(), line.size() + 1);
  return copy;
}

}  // namespace

TEST(PDBRecord, StandardLineFields) {
  const char* line = kStandard.c_str();
  EXPECT_TRUE(PDB::isATOMrec(line));
  EXPECT_EQ(PDB::getAtomEntryType(line), ATOM);
  EXPECT_EQ(PDB::atomIndex(line), 1);
  EXPECT_EQ(std::string(PDB::atomType(line), 4), " CA ");
  EXPECT_EQ(std::string(PDB::getAtomResidueLongName(line), 3), "ALA");
  EXPECT_EQ(PDB::atomResidueType(line), 'A');
  EXPECT_EQ(PDB::atomChainId(line), 'A');
  EXPECT_EQ(PDB::atomResidueIndex(line), 1);
  EXPECT_EQ(PDB::atomResidueICode(line), ' ');
  EXPECT_EQ(PDB::atomXCoord(line), 11.104f);
  EXPECT_EQ(PDB::atomYCoord(line), 6.134f);
  EXPECT_EQ(PDB::atomZCoord(line), -6.504f);
  EXPECT_EQ(PDB::unreadableCoordinate(line), 0);
  EXPECT_EQ(PDB::getOccupancy(line), 1.0f);
  EXPECT_EQ(PDB::getTempFactor(line), 20.0f);
}

TEST(PDBRecord, CoordinateFields) {
  const struct {
    const char* xy;  // columns 30-45
    float x, y;
    char unreadable;
  } cases[] = {
      // A number runs on into the next field while the characters continue it.
      {"1234.5671234.567", static_cast<float>(1234.5671234), 1234.567f, 0},
      {"-100.123-200.456", -100.123f, -200.456f, 0},
      // A blank or non-numeric field never borrows its neighbour's value.
      {"           6.134", 0.0f, 6.134f, 'x'},
      {"  abcdef   6.134", 0.0f, 6.134f, 'x'},
      {"       -   6.134", 0.0f, 6.134f, 'x'},
      {"     nan   6.134", 0.0f, 6.134f, 'x'},
      {"     inf   6.134", 0.0f, 6.134f, 'x'},
      {"   1e300   6.134", 0.0f, 6.134f, 'x'},
      {"  12.a4b   6.134", 0.0f, 6.134f, 'x'},
      {"12.3       6.134", 12.3f, 6.134f, 0},
      {"  11.104        ", 11.104f, 0.0f, 'y'},
      {"  11.104     ?.1", 11.104f, 0.0f, 'y'},
  };
  for (const auto& c : cases) {
    std::string line = withField(kStandard, 30, c.xy);
    EXPECT_EQ(PDB::atomYCoord(line.c_str()), c.y) << line;
    EXPECT_EQ(PDB::unreadableCoordinate(line.c_str()), c.unreadable) << line;
    EXPECT_EQ(PDB::atomXCoord(line.c_str()), c.x) << line;
  }
  std::string blankZ = withField(kStandard, 46, "        ");
  EXPECT_EQ(PDB::unreadableCoordinate(blankZ.c_str()), 'z');
  EXPECT_EQ(PDB::atomZCoord(blankZ.c_str()), 0.0f);
}

TEST(PDBRecord, OccupancyAndTemperatureFactor) {
  // Not coordinates: a blank occupancy reads the temperature factor after it.
  std::string blankOccupancy = withField(kStandard, 54, "      ");
  EXPECT_EQ(PDB::getOccupancy(blankOccupancy.c_str()), 20.0f);
  std::string blankTemp = withField(kStandard.substr(0, 60), 60, "      ");
  EXPECT_EQ(PDB::getTempFactor(blankTemp.c_str()), 0.0f);
  std::string lettersAfter = withField(kStandard, 60, "      ");
  EXPECT_EQ(PDB::getTempFactor(lettersAfter.c_str()), 0.0f);
}

TEST(PDBRecord, IntegerFieldsKeepLow16Bits) {
  const struct {
    std::size_t col;
    const char* text;
    short value;
  } cases[] = {
      {6, "70000", 4464},     {6, "    7", 7},         {6, "99999999999", -1},
      {22, "  -5", -5},       {22, "40000", -25536},   {22, "  52", 52},
  };
  for (const auto& c : cases) {
    std::string line = withField(kStandard, c.col, c.text);
    short value = c.col == 6 ? PDB::atomIndex(line.c_str()) : PDB::atomResidueIndex(line.c_str());
    EXPECT_EQ(value, c.value) << c.text;
  }
  // A digit insertion code joins the residue number.
  std::string digitICode = withField(kStandard, 22, "  521");
  EXPECT_EQ(PDB::atomResidueIndex(digitICode.c_str()), 521);
  EXPECT_EQ(PDB::atomResidueICode(digitICode.c_str()), '1');
}

TEST(PDBRecord, EntryTypes) {
  const struct {
    const char* line;
    AtomEntryType type;
    bool atomRecord;
  } cases[] = {
      {"HETATM  503 ZN    ZN A  31", HETATM, false},
      {"ATOM      1  N   LYS A   1", ATOM, true},
      {"ATOM", ATOM, true},
      {"ATOMS and more", ATOM, true},
      {"ANISOU    1  N   LYS A   1", UNK, false},
      {"ATO", UNK, false},
      {"", UNK, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PDB::getAtomEntryType(c.line), c.type) << c.line;
    EXPECT_EQ(PDB::isATOMrec(c.line), c.atomRecord) << c.line;
  }
  EXPECT_TRUE(PDB::isHETATMrec("HETATM  503 ZN    ZN A  31"));
  EXPECT_FALSE(PDB::isHETATMrec("HETAT"));
  EXPECT_TRUE(PDB::isCONECTrec("CONECT    1    2"));
}

TEST(PDBRecord, Selectors) {
  const struct {
    const char* name;      // columns 12-15
    char alt;              // column 16
    const char* residue;   // columns 17-19
    bool alpha, beta;
  } cases[] = {
      {" CA ", ' ', "ALA", true, false},  {" CA ", 'A', "ALA", true, false},
      {" CA ", 'B', "ALA", false, false}, {" CA ", '1', "ALA", false, false},
      {"CA  ", ' ', "ALA", false, false}, {"XCA ", ' ', "ALA", true, false},
      {" CA ", ' ', "GLY", true, true},   {" CA ", 'B', "GLY", false, false},
      {" CB ", ' ', "ALA", false, true},  {" CB ", 'A', "ALA", false, true},
      {" CB ", 'B', "ALA", false, false}, {" CB ", ' ', "GLY", false, false},
      {" CAX", ' ', "ALA", false, false}, {" N  ", ' ', "GLY", false, false},
  };
  PDB::AllSelector all;
  PDB::CAlphaSelector alpha;
  PDB::CBetaSelector beta;
  for (const auto& c : cases) {
    std::string line = withField(withField(withField(kStandard, 12, c.name), 16, std::string(1, c.alt)),
                                 17, c.residue);
    EXPECT_TRUE(all(line.c_str()));
    EXPECT_EQ(alpha(line.c_str()), c.alpha) << line;
    EXPECT_EQ(beta(line.c_str()), c.beta) << line;
  }
}

TEST(PDBRecord, ResidueShortNames) {
  const struct {
    const char* name;
    char letter;
  } cases[] = {{"GLY", 'G'}, {"AS ", 'B'}, {"GL ", 'Z'}, {"UNK", 'X'}, {"  U", 'U'},
               {"H2U", 'U'}, {"1MA", 'A'}, {" YG", 'G'}, {"HOH", 'X'}, {"MSE", 'X'},
               {"gly", 'X'}, {"GL", 'X'},  {"", 'X'},    {"TRPX", 'W'}};
  for (const auto& c : cases) EXPECT_EQ(PDB::residueShortName(c.name), c.letter) << c.name;
  EXPECT_EQ(PDB::residueShortName(nullptr), 'X');
}

TEST(PDBRecord, ResidueLongNames) {
  EXPECT_STREQ(PDB::residueLongName('B'), "AS ");
  EXPECT_STREQ(PDB::residueLongName('X'), "UNK");
  EXPECT_STREQ(PDB::residueLongName('W'), "TRP");
  testing::internal::CaptureStderr();
  const char* none = PDB::residueLongName('U');
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(err, "PDB::residueLongName - A unique long name does not exist for non-protein residue :U:\n");
}

TEST(PDBRecord, NucleicAndAlphaCarbonRecords) {
  std::string uracil = withField(kStandard, 17, "  U");
  EXPECT_TRUE(PDB::isNucleicRecord(uracil.c_str()));
  EXPECT_FALSE(PDB::isNucleicRecord(kStandard.c_str()));
  std::string unknown = withField(kStandard, 17, "UNK");
  testing::internal::CaptureStderr();
  EXPECT_FALSE(PDB::isNucleicRecord(unknown.c_str()));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "PDB::isNucleicRecord - The given PDB record is with unknown residue name :" + unknown +
                ":\n");

  EXPECT_TRUE(PDB::isCaATOMrec(kStandard.c_str()));
  EXPECT_TRUE(PDB::isCaATOMrec(withField(kStandard, 15, "X").c_str()));
  EXPECT_FALSE(PDB::isCaATOMrec(withField(kStandard, 0, "HETATM").c_str()));
}

TEST(PDBRecord, ConnectedAtoms) {
  using Atoms = std::vector<std::uint16_t>;
  EXPECT_EQ(PDB::connectedAtoms("CONECT    1    2    3"), (Atoms{1, 2, 3}));
  // Only fields that lie wholly within the line; blanks and non-positive values are skipped.
  EXPECT_EQ(PDB::connectedAtoms("CONECT    1         0   -4   12  1"), (Atoms{1, 12}));
  // Nothing beyond column 60.
  std::string eleven = "CONECT";
  for (int i = 1; i <= 12; ++i) {
    std::string number = std::to_string(i);
    eleven += std::string(5 - number.size(), ' ') + number;
  }
  Atoms firstEleven;
  for (std::uint16_t i = 1; i <= 11; ++i) firstEleven.push_back(i);
  EXPECT_EQ(PDB::connectedAtoms(eleven.c_str()), firstEleven);
  EXPECT_TRUE(PDB::connectedAtoms("CONECT   1").empty());
  EXPECT_TRUE(PDB::connectedAtoms(kStandard.c_str()).empty());
}

TEST(PDBRecord, ShortLinesReadMissingFieldsAsBlankOrZero) {
  const struct {
    std::size_t length;
    short serial, residue;
    char chain;
    const char* name;
    float x, y, z;
    char unreadable;
  } cases[] = {
      {4, 0, 0, ' ', "", 0, 0, 0, 'x'},
      {14, 1, 0, ' ', " C", 0, 0, 0, 'x'},
      {20, 1, 0, ' ', " CA ", 0, 0, 0, 'x'},
      {40, 1, 1, 'A', " CA ", 11.104f, 0, 0, 'y'},
      {42, 1, 1, 'A', " CA ", 11.104f, 6.0f, 0, 'z'},
      {54, 1, 1, 'A', " CA ", 11.104f, 6.134f, -6.504f, 0},
      {66, 1, 1, 'A', " CA ", 11.104f, 6.134f, -6.504f, 0},
  };
  PDB::CAlphaSelector alpha;
  PDB::CBetaSelector beta;
  for (const auto& c : cases) {
    auto line = exactCopy(kStandard.substr(0, c.length));
    const char* l = line.get();
    EXPECT_EQ(PDB::atomIndex(l), c.serial) << c.length;
    EXPECT_EQ(PDB::atomResidueIndex(l), c.residue) << c.length;
    EXPECT_EQ(PDB::atomChainId(l), c.chain) << c.length;
    EXPECT_EQ(PDB::atomResidueICode(l), ' ') << c.length;
    EXPECT_EQ(std::string(PDB::atomType(l)).substr(0, 4), c.name) << c.length;
    EXPECT_EQ(PDB::atomXCoord(l), c.x) << c.length;
    EXPECT_EQ(PDB::atomYCoord(l), c.y) << c.length;
    EXPECT_EQ(PDB::atomZCoord(l), c.z) << c.length;
    EXPECT_EQ(PDB::unreadableCoordinate(l), c.unreadable) << c.length;
    EXPECT_EQ(PDB::getOccupancy(l), c.length >= 60 ? 1.0f : 0.0f) << c.length;
    EXPECT_EQ(PDB::getTempFactor(l), c.length >= 66 ? 20.0f : 0.0f) << c.length;
    EXPECT_EQ(PDB::atomResidueType(l), c.length >= 20 ? 'A' : 'X') << c.length;
    EXPECT_EQ(alpha(l), c.length >= 16) << c.length;
    EXPECT_FALSE(beta(l)) << c.length;
    EXPECT_FALSE(PDB::isNucleicRecord(l)) << c.length;
  }
}
