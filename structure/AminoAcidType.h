#pragma once
// Residue classifications: whether two residue letters count as the same kind
// of residue. The driver picks the active one for bio-core scoring.
#include <cstdint>
#include <string>

class AminoAcidType {
 public:
  virtual ~AminoAcidType() = default;
  virtual bool equivalent(char a, char b) const = 0;

  // The active classification; null until the driver sets it, never deleted.
  static AminoAcidType* m_state;
};

class AminoAcidEqualType : public AminoAcidType {
 public:
  bool equivalent(char a, char b) const override { return a == b; }
};

// The classifications below keep one class number per character code 0 to 90
// ('Z'); class 0 holds every character a table does not list, and any code
// outside the table. Each class fills its table on its first construction only.
constexpr int kResidueClassCodes = 91;

// Hydrophobic, hydrophilic, aromatic, glycine.
class AminoAcid_HHAG_Type : public AminoAcidType {
 public:
  AminoAcid_HHAG_Type();
  bool equivalent(char a, char b) const override;

 private:
  static std::uint32_t* m_classification;
};

// Hydrophobic, positive, negative, polar, aromatic, glycine.
class AminoAcid_HPMPAG_Type : public AminoAcidType {
 public:
  AminoAcid_HPMPAG_Type();
  bool equivalent(char a, char b) const override;

 private:
  static std::uint32_t* m_classification;
};

// Classes read from a text file, one class per line: line n gives class n to
// every character on it that is not white space. A file that cannot be opened
// ends the process with "Can't open file " and its name on standard output, one
// that opens but cannot be read as text (a folder, a device) with "Can't read
// file " and its name; the run log gets the same line.
class AminoAcid_UserType : public AminoAcidType {
 public:
  explicit AminoAcid_UserType(const std::string& file);
  bool equivalent(char a, char b) const override;

 private:
  static std::uint32_t* m_classification;
};
