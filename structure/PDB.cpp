#include "structure/PDB.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "support/NumberText.h"

namespace {

struct ProteinResidue {
  const char* name;
  char letter;
};

// Searched in this order; "AS " and "GL " are the ambiguous Asx and Glx.
const ProteinResidue PROTEIN_RESIDUES[] = {
    {"ALA", 'A'}, {"ARG", 'R'}, {"ASP", 'D'}, {"ASN", 'N'}, {"CYS", 'C'}, {"GLN", 'Q'},
    {"GLU", 'E'}, {"GLY", 'G'}, {"HIS", 'H'}, {"ILE", 'I'}, {"LEU", 'L'}, {"LYS", 'K'},
    {"MET", 'M'}, {"PHE", 'F'}, {"PRO", 'P'}, {"SER", 'S'}, {"THR", 'T'}, {"TYR", 'Y'},
    {"TRP", 'W'}, {"VAL", 'V'}, {"AS ", 'B'}, {"GL ", 'Z'}, {"UNK", 'X'}};

// A nucleic-acid residue's letter is the third character of its name.
const char* const NUCLEIC_RESIDUES[] = {
    "  A", " +A", "  C", " +C", "  G", " +G", "  I", " +I", "  T", " +T", "  U", " +U", "1MA", "5MC",
    "OMC", "1MG", "2MG", "M2G", "7MG", "OMG", " YG", "H2U", "5MU", "PSU", "4SU", "MIA", "UNK"};

const std::size_t kXCol = 30, kYCol = 38, kZCol = 46, kCoordWidth = 8;
const std::size_t kOccupancyCol = 54, kTempFactorCol = 60;

// The line from column `col` on; the empty string at the line's end when the
// line is shorter.
const char* fieldAt(const char* line, std::size_t col) { return line + strnlen(line, col); }

char charAt(const char* line, std::size_t col) {
  return strnlen(line, col + 1) > col ? line[col] : ' ';
}

// Serial and residue numbers keep the low 16 bits, read back as signed.
short low16(int value) { return static_cast<short>(static_cast<std::uint16_t>(value)); }

short integerField(const char* line, std::size_t col) { return low16(strtol32(fieldAt(line, col))); }

float realField(const char* line, std::size_t col) {
  return static_cast<float>(std::strtod(fieldAt(line, col), nullptr));
}

// Where the number of a coordinate field begins, or null when the field's own
// columns are blank or lie beyond the line's end.
const char* coordinateStart(const char* line, std::size_t col) {
  std::size_t end = strnlen(line, col + kCoordWidth);
  for (std::size_t i = col; i < end; ++i)
    if (!std::isspace(static_cast<unsigned char>(line[i]))) return line + i;
  return nullptr;
}

// A coordinate reads as 0 when its field is blank, holds something other than
// a number and blanks, or does not give a finite float. The number may run on
// past the field's last column.
bool readCoordinate(const char* line, std::size_t col, float& value) {
  value = 0.0f;
  const char* start = coordinateStart(line, col);
  if (!start) return false;
  char* end = nullptr;
  float read = static_cast<float>(std::strtod(start, &end));
  if (end == start || !std::isfinite(read)) return false;
  const char* fieldEnd = line + strnlen(line, col + kCoordWidth);
  for (const char* rest = end; rest < fieldEnd; ++rest)
    if (!std::isspace(static_cast<unsigned char>(*rest))) return false;
  value = read;
  return true;
}

float coordinateField(const char* line, std::size_t col) {
  float value;
  readCoordinate(line, col, value);
  return value;
}

bool coordinateReadable(const char* line, std::size_t col) {
  float value;
  return readCoordinate(line, col, value);
}

bool alternateLocationTaken(const char* line) {
  char alt = charAt(line, 16);
  return alt == ' ' || alt == 'A';
}

// Columns 13-15 hold the two letters of the atom name followed by a blank;
// column 12 is not looked at.
bool atomNameIs(const char* line, char a, char b) {
  return charAt(line, 13) == a && charAt(line, 14) == b && charAt(line, 15) == ' ';
}

bool residueNameIs(const char* line, const char* name) {
  return charAt(line, 17) == name[0] && charAt(line, 18) == name[1] && charAt(line, 19) == name[2];
}

}  // namespace

bool PDB::isATOMrec(const char* line) { return std::strncmp(line, "ATOM", 4) == 0; }

AtomEntryType PDB::getAtomEntryType(const char* line) {
  if (isHETATMrec(line)) return HETATM;
  if (isATOMrec(line)) return ATOM;
  return UNK;
}

short PDB::atomIndex(const char* line) { return integerField(line, 6); }

const char* PDB::atomType(const char* line) { return fieldAt(line, 12); }

const char* PDB::getAtomResidueLongName(const char* line) { return fieldAt(line, 17); }

char PDB::atomResidueType(const char* line) { return residueShortName(getAtomResidueLongName(line)); }

char PDB::atomChainId(const char* line) { return charAt(line, 21); }

short PDB::atomResidueIndex(const char* line) { return integerField(line, 22); }

char PDB::atomResidueICode(const char* line) { return charAt(line, 26); }

float PDB::atomXCoord(const char* line) { return coordinateField(line, kXCol); }

float PDB::atomYCoord(const char* line) { return coordinateField(line, kYCol); }

float PDB::atomZCoord(const char* line) { return coordinateField(line, kZCol); }

char PDB::unreadableCoordinate(const char* line) {
  if (!coordinateReadable(line, kXCol)) return 'x';
  if (!coordinateReadable(line, kYCol)) return 'y';
  if (!coordinateReadable(line, kZCol)) return 'z';
  return 0;
}

float PDB::getOccupancy(const char* line) { return realField(line, kOccupancyCol); }

float PDB::getTempFactor(const char* line) { return realField(line, kTempFactorCol); }

char PDB::residueShortName(const char* name) {
  if (!name) return 'X';
  for (const ProteinResidue& r : PROTEIN_RESIDUES)
    if (std::strncmp(name, r.name, 3) == 0) return r.letter;
  for (const char* nucleic : NUCLEIC_RESIDUES)
    if (std::strncmp(name, nucleic, 3) == 0) return nucleic[2];
  return 'X';
}

const char* PDB::residueLongName(char letter) {
  for (const ProteinResidue& r : PROTEIN_RESIDUES)
    if (r.letter == letter) return r.name;
  std::cerr << "PDB::residueLongName - A unique long name does not exist for non-protein residue :"
            << letter << ":" << std::endl;
  return nullptr;
}

bool PDB::isHETATMrec(const char* line) { return std::strncmp(line, "HETATM", 6) == 0; }

bool PDB::isCONECTrec(const char* line) { return std::strncmp(line, "CONECT", 6) == 0; }

bool PDB::isCaATOMrec(const char* line) {
  return isATOMrec(line) && charAt(line, 13) == 'C' && charAt(line, 14) == 'A';
}

bool PDB::isNucleicRecord(const char* line) {
  const char* name = getAtomResidueLongName(line);
  if (std::strncmp(name, "UNK", 3) == 0) {
    std::cerr << "PDB::isNucleicRecord - The given PDB record is with unknown residue name :" << line
              << ":" << std::endl;
    return false;
  }
  for (const char* nucleic : NUCLEIC_RESIDUES)
    if (std::strncmp(name, nucleic, 3) == 0) return true;
  return false;
}

std::vector<std::uint16_t> PDB::connectedAtoms(const char* line) {
  std::vector<std::uint16_t> atoms;
  if (!isCONECTrec(line)) return atoms;
  const std::size_t usable = strnlen(line, 61);
  if (usable <= 10) return atoms;
  for (std::size_t col = 6; col + 5 <= usable; col += 5) {
    char field[6];
    std::memcpy(field, line + col, 5);
    field[5] = '\0';
    short value = low16(strtol32(field));
    if (value > 0) atoms.push_back(static_cast<std::uint16_t>(value));
  }
  return atoms;
}

bool PDB::AllSelector::operator()(const char*) const { return true; }

bool PDB::CAlphaSelector::operator()(const char* line) const {
  return atomNameIs(line, 'C', 'A') && alternateLocationTaken(line);
}

bool PDB::CBetaSelector::operator()(const char* line) const {
  if (residueNameIs(line, "GLY")) return CAlphaSelector()(line);
  return atomNameIs(line, 'C', 'B') && alternateLocationTaken(line);
}
