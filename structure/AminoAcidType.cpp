#include "structure/AminoAcidType.h"

#include <sys/stat.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>

#include "support/Fatal.h"
#include "support/Log.h"
#include "support/StringUtils.h"

AminoAcidType* AminoAcidType::m_state = nullptr;
std::uint32_t* AminoAcid_HHAG_Type::m_classification = nullptr;
std::uint32_t* AminoAcid_HPMPAG_Type::m_classification = nullptr;
std::uint32_t* AminoAcid_UserType::m_classification = nullptr;

namespace {

std::uint32_t* newTable() { return new std::uint32_t[kResidueClassCodes](); }

void assign(std::uint32_t* table, const char* letters, std::uint32_t cls) {
  for (const char* c = letters; *c; ++c) table[static_cast<unsigned char>(*c)] = cls;
}

bool sameClass(const std::uint32_t* table, char a, char b) {
  // Character codes are signed; anything outside 0..90 has class 0.
  const int ia = a, ib = b;
  const std::uint32_t ca = ia >= 0 && ia < kResidueClassCodes ? table[ia] : 0;
  const std::uint32_t cb = ib >= 0 && ib < kResidueClassCodes ? table[ib] : 0;
  return ca == cb;
}

// The class file is read after the run log holds the parameter table: the
// reason the run stops goes there too.
[[noreturn]] void refuse(const char* what, const std::string& file) {
  Log::fout << what << file << std::endl;
  Fatal::report(std::cout, what, file);
}

std::string describe(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  char buf[16];
  if (u >= 0x20 && u < 0x7f)
    std::snprintf(buf, sizeof buf, "'%c'", c);
  else
    std::snprintf(buf, sizeof buf, "0x%02X", static_cast<unsigned>(u));
  return buf;
}

}  // namespace

AminoAcid_HHAG_Type::AminoAcid_HHAG_Type() {
  if (m_classification) return;
  m_classification = newTable();
  assign(m_classification, "ACILMV", 1);
  assign(m_classification, "DEHKNPQRST", 2);
  assign(m_classification, "FWY", 5);
  assign(m_classification, "G", 6);
}

bool AminoAcid_HHAG_Type::equivalent(char a, char b) const { return sameClass(m_classification, a, b); }

AminoAcid_HPMPAG_Type::AminoAcid_HPMPAG_Type() {
  if (m_classification) return;
  m_classification = newTable();
  assign(m_classification, "ACILMV", 1);
  assign(m_classification, "HKR", 2);
  assign(m_classification, "DE", 3);
  assign(m_classification, "NPQST", 4);
  assign(m_classification, "FWY", 5);
  assign(m_classification, "G", 6);
}

bool AminoAcid_HPMPAG_Type::equivalent(char a, char b) const { return sameClass(m_classification, a, b); }

AminoAcid_UserType::AminoAcid_UserType(const std::string& file) {
  if (m_classification) return;
  // Only a regular file can be a class file: a folder or a device (endless
  // or unreadable) opens but cannot be read as one.
  struct stat info;
  const bool exists = ::stat(file.c_str(), &info) == 0;
  std::ifstream in;
  if (exists && S_ISREG(info.st_mode)) in.open(file);
  if (!in.is_open()) refuse(exists && !S_ISREG(info.st_mode) ? "Can't read file " : "Can't open file ", file);
  m_classification = newTable();
  std::uint32_t lineNumber = 0;
  while (in.good()) {
    const std::string line = StringUtils::getLine(in);
    if (line.empty() && !in.good()) break;
    ++lineNumber;
    for (char c : line) {
      if (std::isspace(static_cast<unsigned char>(c))) continue;
      const int code = c;
      if (code < 0 || code >= kResidueClassCodes) {
        // Residue letters are upper case; lower-case letters, punctuation past
        // 'Z' and non-ASCII bytes can never match one.
        std::cerr << file << ":" << lineNumber << ": character " << describe(c)
                  << " is not a residue letter (upper case A-Z); ignored" << std::endl;
        continue;
      }
      m_classification[code] = lineNumber;
    }
  }
  if (in.bad()) refuse("Can't read file ", file);
}

bool AminoAcid_UserType::equivalent(char a, char b) const { return sameClass(m_classification, a, b); }
