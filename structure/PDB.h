#pragma once
// Fixed-column PDB records: record types, field readers, residue-name tables
// and the selectors that decide which ATOM records become atoms.
//
// Every reader takes one record line (a NUL-terminated line without its
// newline) and never reads past its end: a field that starts beyond the end of
// the line reads as 0 (numbers), a blank (characters) or an empty string
// (pointer fields). Many files cut records short after the coordinates.
#include <cstdint>
#include <vector>

enum AtomEntryType : std::int32_t { UNK = 0, ATOM = 1, HETATM = 2 };

class PDB {
 public:
  static bool isATOMrec(const char* line);
  static AtomEntryType getAtomEntryType(const char* line);

  // Integer fields keep the low 16 bits of the 32-bit clamped value.
  static short atomIndex(const char* line);
  // Pointer into the line at the atom name (column 12); not terminated after the field.
  static const char* atomType(const char* line);
  // Pointer into the line at the residue name (column 17); not terminated after the field.
  static const char* getAtomResidueLongName(const char* line);
  static char atomResidueType(const char* line);
  static char atomChainId(const char* line);
  static short atomResidueIndex(const char* line);
  static char atomResidueICode(const char* line);

  // A coordinate is read from its field's first column on, and may run on into
  // the next field when the characters continue the number. A field whose own
  // eight columns hold anything but a finite number and blanks reads as 0 rather
  // than borrowing its neighbour's value; unreadableCoordinate tells the reader
  // to skip such a record.
  static float atomXCoord(const char* line);
  static float atomYCoord(const char* line);
  static float atomZCoord(const char* line);
  // 'x', 'y' or 'z' for the first coordinate field that is blank, not a number
  // or not finite; 0 when all three are readable.
  static char unreadableCoordinate(const char* line);

  static float getOccupancy(const char* line);
  static float getTempFactor(const char* line);

  // One-letter code of a three-character residue name; 'X' when neither table has it.
  static char residueShortName(const char* name);
  // Three-character name of a protein residue letter, or null (with a message on
  // standard error) for a letter without one.
  static const char* residueLongName(char letter);

  static bool isHETATMrec(const char* line);
  static bool isCONECTrec(const char* line);
  static bool isCaATOMrec(const char* line);
  static bool isNucleicRecord(const char* line);
  static std::vector<std::uint16_t> connectedAtoms(const char* line);

  class Selector {
   public:
    virtual bool operator()(const char* line) const = 0;
  };

  class AllSelector : public Selector {
   public:
    bool operator()(const char* line) const override;
  };

  // The alpha carbon, alternate location blank or 'A'.
  class CAlphaSelector : public Selector {
   public:
    bool operator()(const char* line) const override;
  };

  // The beta carbon, or the alpha carbon of glycine; alternate location blank or 'A'.
  class CBetaSelector : public Selector {
   public:
    bool operator()(const char* line) const override;
  };
};
