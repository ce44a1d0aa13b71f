#include "structure/Atom.h"

#include <cstdio>
#include <cstring>
#include <iomanip>
#include <ostream>

namespace {

// At most `count` characters of `text`, stopping at its end.
std::string prefix(const char* text, std::size_t count) {
  if (!text) return std::string();
  return std::string(text, strnlen(text, count));
}

// A letter without a residue name ('U' of nucleic acids) gets three blanks.
std::string residueNameOfLetter(char letter) {
  const char* name = PDB::residueLongName(letter);
  return name ? prefix(name, 3) : std::string("   ");
}

}  // namespace

Atom::Atom()
    : Atom(Vector3(0, 0, 0), ATOM, ' ', 0, 0, "    ", ' ', "   ", 1.0f, 0.0f, ' ') {}

Atom::Atom(const Vector3& position, unsigned short atomIndex)
    : Atom(position, ATOM, ' ', atomIndex, 0, "    ", ' ', "   ", 1.0f, 0.0f, ' ') {}

Atom::Atom(const Vector3& position, char chainId, unsigned short atomIndex, unsigned short residueIndex,
           const char* atomName, char residueType, char residueICode)
    : Atom(position, ATOM, chainId, atomIndex, residueIndex, atomName, residueType, "", 1.0f, 0.0f,
           residueICode) {
  m_residueName = residueNameOfLetter(residueType);
}

Atom::Atom(const Vector3& position, AtomEntryType entryType, char chainId, unsigned short atomIndex,
           unsigned short residueIndex, const char* atomName, char residueType, const char* residueName,
           char residueICode)
    : Atom(position, entryType, chainId, atomIndex, residueIndex, atomName, residueType, residueName,
           1.0f, 0.0f, residueICode) {}

Atom::Atom(const Vector3& position, AtomEntryType entryType, char chainId, unsigned short atomIndex,
           unsigned short residueIndex, const char* atomName, char residueType, const char* residueName,
           float occupancy, float tempFactor, char residueICode)
    : m_position(position),
      m_entryType(entryType),
      m_chainId(chainId),
      m_atomIndex(atomIndex),
      m_residueIndex(residueIndex),
      m_residueICode(residueICode),
      m_type(parseAtomName(atomName)),
      m_residueType(residueType),
      m_residueName(prefix(residueName, 3)),
      m_occupancy(occupancy),
      m_tempFactor(tempFactor),
      m_ssCode(0),
      m_ssNumber(0) {}

Atom::Atom(const char* line)
    : m_position(PDB::atomXCoord(line), PDB::atomYCoord(line), PDB::atomZCoord(line)),
      m_entryType(PDB::getAtomEntryType(line)),
      m_chainId(PDB::atomChainId(line)),
      m_atomIndex(static_cast<std::uint16_t>(PDB::atomIndex(line))),
      m_residueIndex(static_cast<std::uint16_t>(PDB::atomResidueIndex(line))),
      m_residueICode(PDB::atomResidueICode(line)),
      m_type(prefix(PDB::atomType(line), 4)),
      m_residueType(PDB::atomResidueType(line)),
      m_residueName(prefix(PDB::getAtomResidueLongName(line), 3)),
      m_occupancy(PDB::getOccupancy(line)),
      m_tempFactor(PDB::getTempFactor(line)),
      m_ssCode(0),
      m_ssNumber(0) {}

std::string Atom::parseAtomName(const char* name) {
  if (!name) return std::string();
  switch (std::strlen(name)) {
    case 1:
      return std::string(" ") + name + "  ";
    case 2:
      return std::string(" ") + name + " ";
    case 3:
      return std::string(" ") + name;
    default:
      return prefix(name, 4);
  }
}

std::string Atom::residueSequenceID() const {
  char number[16];
  std::snprintf(number, sizeof(number), "%d", static_cast<int>(residueIndex()));
  return std::string(number) + m_residueICode;
}

bool Atom::isCA() const { return nameChar(1) == 'C' && nameChar(2) == 'A' && nameChar(3) == ' '; }

bool Atom::isN() const { return nameChar(1) == 'N' && nameChar(2) == ' '; }

bool Atom::isC() const { return nameChar(1) == 'C' && nameChar(2) == ' '; }

bool Atom::isO() const { return nameChar(1) == 'O' && nameChar(2) == ' '; }

bool Atom::isBackbone() const { return isCA() || isN() || isC() || isO(); }

bool Atom::isH() const {
  return nameChar(1) == 'H' || nameChar(1) == 'D' || nameChar(0) == 'H' || nameChar(0) == 'D';
}

bool Atom::isWater() const { return m_residueName == "HOH" || m_residueName == "DOD"; }

std::ostream& operator<<(std::ostream& os, const Atom& atom) {
  const char* record = "UNK";
  if (atom.getAtomEntryType() == ATOM) record = "ATOM";
  if (atom.getAtomEntryType() == HETATM) record = "HETATM";
  std::string residueName = atom.residueName();
  if (residueName.size() != 3) residueName = "   ";
  const Vector3& p = atom.position();
  os << std::left << std::setw(6) << record << std::right << std::setw(5) << atom.atomIndex() << ' '
     << atom.type() << ' ' << residueName << ' ' << atom.chainId() << std::setw(4)
     << atom.residueIndex() << atom.residueICode() << "   " << std::fixed << std::setprecision(3)
     << std::setw(8) << p[0] << std::setw(8) << p[1] << std::setw(8) << p[2] << std::setprecision(2)
     << std::setw(6) << atom.getOccupancy() << std::setw(6) << atom.getTempFactor();
  return os;
}
