#include "structure/CompleteMolecule.h"

#include <cstring>
#include <fstream>
#include <iostream>

#include "support/Log.h"

namespace {

struct SideChain {
  const char* averaged[9];  // null-terminated when shorter
  int completeCount;
  const char* fallback;     // null: no fallback atom
};

// Indexed by letter - 'A'; letters without an entry have completeCount 0.
const SideChain kSideChains[] = {
    /* A */ {{"CB"}, 1, "CA"},
    /* B */ {{}, 0, nullptr},
    /* C */ {{"SG"}, 1, "CB"},
    /* D */ {{"CG"}, 1, "CB"},
    /* E */ {{"CD"}, 1, "CB"},
    /* F */ {{"CG", "CD1", "CD2", "CE1", "CE2", "CZ"}, 6, "CB"},
    /* G */ {{"CA"}, 1, nullptr},
    /* H */ {{"CG", "ND1", "CD2", "CE1", "NE2"}, 5, "CB"},
    /* I */ {{"CB", "CG1", "CG2", "CD1"}, 4, nullptr},
    /* J */ {{}, 0, nullptr},
    /* K */ {{"NZ"}, 1, "CB"},
    /* L */ {{"CG", "CD1", "CD2"}, 3, "CB"},
    /* M */ {{"SD"}, 1, "CB"},
    /* N */ {{"CG"}, 1, "CB"},
    /* O */ {{}, 0, nullptr},
    /* P */ {{"N", "CA", "CB", "CG", "CD"}, 5, nullptr},
    /* Q */ {{"CD"}, 1, "CB"},
    /* R */ {{"CZ"}, 1, "CB"},
    /* S */ {{"CB"}, 1, nullptr},
    /* T */ {{"CB", "OG1", "CG2"}, 3, nullptr},
    /* U */ {{}, 0, nullptr},
    /* V */ {{"CB", "CG1", "CG2"}, 3, nullptr},
    /* W */ {{"CG", "CD1", "CD2", "NE1", "CE2", "CE3", "CZ2", "CZ3", "CH2"}, 9, "CB"},
    /* X */ {{}, 0, nullptr},
    /* Y */ {{"CG", "CD1", "CD2", "CE1", "CE2", "CZ"}, 6, "CB"},
};

const SideChain* sideChainOf(char letter) {
  if (letter < 'A' || letter > 'Y') return nullptr;
  const SideChain& entry = kSideChains[letter - 'A'];
  return entry.completeCount > 0 ? &entry : nullptr;
}

// Characters 1-3 of the stored name against the listed name padded with
// blanks; character 0 (the element's column) is not compared.
bool nameMatches(const Atom& atom, const char* listed) {
  const char* stored = atom.type();
  std::size_t storedLength = std::strlen(stored);
  std::size_t listedLength = std::strlen(listed);
  for (std::size_t i = 0; i < 3; ++i) {
    char have = i + 1 < storedLength ? stored[i + 1] : ' ';
    char want = i < listedLength ? listed[i] : ' ';
    if (have != want) return false;
  }
  return true;
}

struct FloatSum {
  Vector3 total;
  int count = 0;
  void add(const Vector3& p) {
    total += p;
    ++count;
  }
  Vector3 mean() const { return total / static_cast<float>(count); }
};

template <class Message>
void report(const Message& write) {
  write(std::cout);
  write(Log::fout);
}

bool sameResidue(const Atom& a, const Atom& b) {
  return a.chainId() == b.chainId() && a.residueIndex() == b.residueIndex() &&
         a.residueICode() == b.residueICode();
}

}  // namespace

std::optional<Vector3> CompleteMolecule::readAA(const std::vector<Atom>& atoms, char letter) {
  if (atoms.empty()) {
    report([](std::ostream& os) { os << "Error:readAA: vAtom.size==0" << std::endl; });
    return std::nullopt;
  }
  const int n = atoms.front().residueIndex();

  const SideChain* sideChain = sideChainOf(letter);
  if (!sideChain) {
    std::cout << "Error:readAA: unknown residue : " << letter << " : " << n << std::endl;
    FloatSum all;
    for (const Atom& atom : atoms) all.add(atom.position());
    return all.mean();
  }

  FloatSum sum;
  const Atom* fallback = nullptr;
  const Atom* alphaCarbon = nullptr;
  for (const Atom& atom : atoms) {
    for (const char* const* name = sideChain->averaged; name < sideChain->averaged + 9 && *name;
         ++name) {
      if (nameMatches(atom, *name)) {
        sum.add(atom.position());
        break;
      }
    }
    if (sideChain->fallback && nameMatches(atom, sideChain->fallback)) fallback = &atom;
    if (nameMatches(atom, "CA")) alphaCarbon = &atom;
  }

  if (sum.count == 0) {
    // Never the origin: without the fallback atom the residue stands at its
    // alpha carbon, and without that it is left out.
    const Atom* stand = fallback ? fallback : alphaCarbon;
    if (!stand) {
      report([n](std::ostream& os) {
        os << "Error:readAA: Residue " << n << " has no side-chain atom and no alpha carbon, left out"
           << std::endl;
      });
      return std::nullopt;
    }
    const Vector3& p = stand->position();
    report([n, &p](std::ostream& os) {
      os << "Error:readAA: Residue " << n << " default:" << p[0] << " " << p[1] << " " << p[2]
         << std::endl;
    });
    return p;
  }
  if (sum.count != sideChain->completeCount)
    report([n](std::ostream& os) {
      os << "Warning:readAA: Residue " << n << " is not complete" << std::endl;
    });
  return sum.mean();
}

FMolecule<Atom> CompleteMolecule::readPDBfile(std::istream& file, const std::string& fileName) {
  FMolecule<Atom> all;
  all.readPDBfile(file, PDB::AllSelector(), fileName);

  FMolecule<Atom> result;
  std::size_t begin = 0;
  while (begin < all.size()) {
    std::size_t end = begin + 1;
    while (end < all.size() && sameResidue(all[begin], all[end])) ++end;
    std::vector<Atom> residue(all.begin() + begin, all.begin() + end);
    const Atom& first = residue.front();
    if (std::optional<Vector3> point = readAA(residue, first.residueType()))
      result.add(Atom(*point, first.chainId(), first.atomIndex(),
                      static_cast<unsigned short>(first.residueIndex()), first.type(),
                      first.residueType(), ' '));
    begin = end;
  }
  return result;
}
