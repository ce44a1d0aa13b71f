#pragma once
// One atom record of a structure: its position and the identifiers the engine
// and the writers need (chain, residue number, residue letter), plus the rest
// of the record's fields.
#include <cstdint>
#include <iosfwd>
#include <string>

#include "geometry/Vector3.h"
#include "structure/PDB.h"

class Atom {
 public:
  Atom();
  Atom(const Vector3& position, unsigned short atomIndex);
  // The residue name is taken from the letter; a letter without one gives three blanks.
  Atom(const Vector3& position, char chainId, unsigned short atomIndex, unsigned short residueIndex,
       const char* atomName, char residueType, char residueICode);
  Atom(const Vector3& position, AtomEntryType entryType, char chainId, unsigned short atomIndex,
       unsigned short residueIndex, const char* atomName, char residueType, const char* residueName,
       char residueICode);
  Atom(const Vector3& position, AtomEntryType entryType, char chainId, unsigned short atomIndex,
       unsigned short residueIndex, const char* atomName, char residueType, const char* residueName,
       float occupancy, float tempFactor, char residueICode);
  // From an ATOM record line; fields beyond the line's end read as blank or 0.
  explicit Atom(const char* line);

  // The four-character form of an atom name: "N" gives " N  ", "CA" " CA ",
  // "CD1" " CD1"; longer names keep their first four characters.
  static std::string parseAtomName(const char* name);

  const Vector3& position() const { return m_position; }
  void setPosition(const Vector3& position) { m_position = position; }

  char chainId() const { return m_chainId; }
  unsigned short atomIndex() const { return m_atomIndex; }
  short residueIndex() const { return static_cast<short>(m_residueIndex); }
  char residueICode() const { return m_residueICode; }
  const char* type() const { return m_type.c_str(); }
  char residueType() const { return m_residueType; }
  const char* residueName() const { return m_residueName.c_str(); }
  AtomEntryType getAtomEntryType() const { return m_entryType; }
  float getOccupancy() const { return m_occupancy; }
  float getTempFactor() const { return m_tempFactor; }
  void setChainId(char chainId) { m_chainId = chainId; }
  void setTempFactor(float tempFactor) { m_tempFactor = tempFactor; }

  // The residue number followed by the insertion code: "12 " or "52A".
  std::string residueSequenceID() const;

  // Secondary-structure mark: code 'H' for a helix residue, 0 when unset.
  char secondaryStructure() const { return m_ssCode; }
  short secondaryStructureNumber() const { return m_ssNumber; }
  void setSecondaryStructure(char code, short number) {
    m_ssCode = code;
    m_ssNumber = number;
  }

  bool isCA() const;
  bool isN() const;
  bool isC() const;
  bool isO() const;
  bool isBackbone() const;
  bool isH() const;
  bool isWater() const;

 private:
  // A character of the atom name; a blank past its end.
  char nameChar(std::size_t i) const { return i < m_type.size() ? m_type[i] : ' '; }

  Vector3 m_position;
  AtomEntryType m_entryType;
  char m_chainId;
  std::uint16_t m_atomIndex;
  std::uint16_t m_residueIndex;
  char m_residueICode;
  std::string m_type;
  char m_residueType;
  std::string m_residueName;
  float m_occupancy;
  float m_tempFactor;
  char m_ssCode;
  std::int16_t m_ssNumber;
};

// The atom as a PDB line (columns 0-65, no line end). Leaves the stream right
// adjusted, in fixed notation, with precision 2.
std::ostream& operator<<(std::ostream& os, const Atom& atom);
