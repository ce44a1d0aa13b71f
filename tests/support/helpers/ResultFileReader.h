#pragma once
// Reads "<k>_sol.res" files back, and checks what any user of them could: the
// written transformations, applied to the structures, reproduce the written
// RMSD over the match list.
#include <cctype>
#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "structure/AtomMolecule.h"

namespace testing_support {

struct MatchEntry {
  char chain;
  char letter;
  int number;
};

struct WrittenSolution {
  int number = -1;
  double score = 0;
  int ref = -1;
  std::vector<int> ids;
  std::vector<std::vector<double> > trans;  // a b c tx ty tz per slot
  double rmsd = 0;
  std::vector<std::vector<MatchEntry> > rows;
  std::vector<std::string> fastaNames;
  std::vector<std::string> fastaLetters;
};

struct WrittenFile {
  std::vector<std::string> names;
  std::vector<WrittenSolution> solutions;
  std::string error;  // empty when the file reads as expected
};

inline std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

inline bool startsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

// One match-list row: entries of chain '.' letter '.' number, the number
// left-justified in five places (a longer number pushes the rest along).
inline bool parseRow(const std::string& line, std::size_t width, std::vector<MatchEntry>& row) {
  std::size_t pos = 0;
  for (std::size_t c = 0; c < width; ++c) {
    if (pos + 4 > line.size() || line[pos + 1] != '.' || line[pos + 3] != '.') return false;
    MatchEntry e{line[pos], line[pos + 2], 0};
    pos += 4;
    std::size_t used = pos < line.size() && line[pos] == '-' ? 1 : 0;
    const std::size_t sign = used;
    while (pos + used < line.size() && std::isdigit(static_cast<unsigned char>(line[pos + used]))) ++used;
    if (used == sign) return false;
    e.number = std::stoi(line.substr(pos, used));
    pos += used;
    for (std::size_t k = used; k < 5; ++k, ++pos)
      if (pos >= line.size() || line[pos] != ' ') return false;
    row.push_back(e);
  }
  return pos == line.size();
}

inline WrittenFile readSolutionFile(const std::string& text) {
  WrittenFile file;
  std::vector<std::string> lines = linesOf(text);
  // Reading past the end gives a line that matches nothing.
  lines.resize(lines.size() + 64, std::string("\x01"));
  const std::size_t real = lines.size() - 64;
  std::size_t i = 0;
  auto fail = [&](const std::string& why) {
    file.error = why + " at line " + std::to_string(i + 1);
    return file;
  };
  if (lines.empty() || lines[i++] != "Molecules: ") return fail("no header");
  while (i < lines.size() && startsWith(lines[i], "Mol-")) {
    std::string expect = "Mol-" + std::to_string(file.names.size()) + " : ";
    if (!startsWith(lines[i], expect)) return fail("bad Mol line");
    file.names.push_back(lines[i].substr(expect.size()));
    ++i;
  }
  if (lines[i] != "" || lines[i + 1] != "Results: " || lines[i + 2] != "")
    return fail("bad header end");
  i += 3;
  while (i < real) {
    WrittenSolution s;
    if (!startsWith(lines[i], "Solution Num : ")) return fail("no solution line");
    s.number = std::stoi(lines[i].substr(15));
    if (lines[++i] != "") return fail("no empty line");
    if (!startsWith(lines[++i], "Mult Corres Score : ")) return fail("no score");
    s.score = std::stod(lines[i].substr(20));
    if (!startsWith(lines[++i], "Reference Molecule : ")) return fail("no ref");
    s.ref = std::stoi(lines[i].substr(21));
    ++i;
    while (startsWith(lines[i], "Molecule : ")) {
      s.ids.push_back(std::stoi(lines[i].substr(11)));
      if (!startsWith(lines[++i], "Trans : ")) return fail("no Trans");
      std::istringstream in(lines[i].substr(8));
      std::vector<double> t(6);
      for (double& v : t) in >> v;
      if (in.fail()) return fail("bad Trans");
      s.trans.push_back(t);
      ++i;
    }
    if (!startsWith(lines[i], "RMSD : ")) return fail("no RMSD");
    s.rmsd = std::stod(lines[i].substr(7));
    if (lines[++i] != "") return fail("no empty line after RMSD");
    const std::string head = "Match List (Chain_ID.Res_Type.Res_Num) : ";
    if (!startsWith(lines[++i], head)) return fail("no match list");
    const int rows = std::stoi(lines[i].substr(head.size()));
    for (int r = 0; r < rows; ++r) {
      std::vector<MatchEntry> row;
      if (i + 1 >= real) return fail("match list cut short");
      if (!parseRow(lines[++i], s.ids.size() + 1, row)) return fail("bad match row");
      s.rows.push_back(row);
    }
    if (lines[++i] != "End of Match List" || lines[i + 1] != "" || lines[i + 2] != "") return fail("bad list end");
    i += 3;
    for (std::size_t c = 0; c <= s.ids.size(); ++c) {
      if (!startsWith(lines[i], ">")) return fail("no sequence record");
      s.fastaNames.push_back(lines[i].substr(1));
      std::string letters;
      ++i;
      while (i < real && lines[i] != "") {
        if (lines[i].size() > 60) return fail("letter line over 60");
        letters += lines[i++];
      }
      if (rows == 0 && lines[i + 1] != "") return fail("empty record without two empty lines");
      if (rows == 0) ++i;
      ++i;
      s.fastaLetters.push_back(letters);
    }
    if (lines[i] != "" || lines[i + 1] != "") return fail("no two empty lines after the sequences");
    i += 2;
    file.solutions.push_back(s);
  }
  return file;
}

// R = Rz(c) Ry(-b) Rx(a), applied with the translation to p.
inline void applyTrans(const std::vector<double>& t, const Vector3& p, double out[3]) {
  const double ca = std::cos(t[0]), sa = std::sin(t[0]), cb = std::cos(t[1]), sb = std::sin(t[1]),
               cc = std::cos(t[2]), sc = std::sin(t[2]);
  const double r[3][3] = {{cc * cb, -cc * sb * sa - sc * ca, -cc * sb * ca + sc * sa},
                          {sc * cb, -sc * sb * sa + cc * ca, -sc * sb * ca - cc * sa},
                          {sb, cb * sa, cb * ca}};
  for (int i = 0; i < 3; ++i) out[i] = r[i][0] * p.x + r[i][1] * p.y + r[i][2] * p.z + t[3 + i];
}

// The point of structure m with this residue; -1 when none (or several).
inline int pointOf(const AtomMolecule& m, const MatchEntry& e) {
  int found = -1;
  for (std::size_t k = 0; k < m.size(); ++k)
    if (m[k].residueIndex() == e.number && m[k].chainId() == e.chain) {
      if (found >= 0) return -1;
      found = static_cast<int>(k);
    }
  return found;
}

// Applies every written check to one solution but the names of its sequence
// records; returns what failed, or "".
inline std::string checkSolution(const WrittenSolution& s, const std::vector<const AtomMolecule*>& mols, bool seqOrder) {
  std::ostringstream why;
  std::vector<int> structures(1, s.ref);
  structures.insert(structures.end(), s.ids.begin(), s.ids.end());
  for (std::size_t a = 0; a < structures.size(); ++a) {
    if (structures[a] < 0 || structures[a] >= static_cast<int>(mols.size())) return "index out of range";
    for (std::size_t b = 0; b < a; ++b)
      if (structures[a] == structures[b]) return "structure twice in a solution";
  }
  // Per column, the point indices of the rows.
  std::vector<std::vector<int> > points(structures.size());
  for (const auto& row : s.rows)
    for (std::size_t c = 0; c < structures.size(); ++c) {
      const AtomMolecule& m = *mols[static_cast<std::size_t>(structures[c])];
      int p = pointOf(m, row[c]);
      if (p < 0) return "unknown residue " + std::to_string(row[c].number);
      if (m[static_cast<std::size_t>(p)].residueType() != row[c].letter) return "wrong letter";
      points[c].push_back(p);
    }
  if (seqOrder)
    for (const auto& column : points)
      for (std::size_t r = 1; r < column.size(); ++r)
        if (column[r] <= column[r - 1]) return "column not strictly increasing";
  for (std::size_t c = 0; c < structures.size(); ++c) {
    std::string letters;
    for (int p : points[c]) letters += (*mols[static_cast<std::size_t>(structures[c])])[static_cast<std::size_t>(p)].residueType();
    if (s.fastaLetters[c] != letters) return "sequence record differs from the match list";
  }
  double rmsd = 0;
  if (!s.rows.empty()) {
    for (std::size_t c = 1; c < structures.size(); ++c) {
      const AtomMolecule& pivot = *mols[static_cast<std::size_t>(s.ref)];
      const AtomMolecule& m = *mols[static_cast<std::size_t>(structures[c])];
      double sum = 0;
      for (std::size_t r = 0; r < s.rows.size(); ++r) {
        double q[3];
        applyTrans(s.trans[c - 1], m.position(static_cast<std::size_t>(points[c][r])), q);
        const Vector3& p = pivot.position(static_cast<std::size_t>(points[0][r]));
        sum += (q[0] - p.x) * (q[0] - p.x) + (q[1] - p.y) * (q[1] - p.y) + (q[2] - p.z) * (q[2] - p.z);
      }
      rmsd += std::sqrt(sum / static_cast<double>(s.rows.size()));
    }
    rmsd /= static_cast<double>(structures.size() - 1);
  }
  // Six written digits per angle and translation.
  if (std::fabs(rmsd - s.rmsd) > 2e-3 + 1e-3 * s.rmsd) {
    why << "RMSD written " << s.rmsd << ", recomputed " << rmsd;
    return why.str();
  }
  return "";
}

}  // namespace testing_support
