#pragma once
// Largest set of admitted residue pairs that keeps the residue order on both
// sides, computed over the admitted pairs alone: they are a few per residue,
// while the full n x m programme (SimpleDynProg) visits every cell. Gives the
// same chain as that programme, tie choices included: the chain ends at the
// first cell, in row order, that reaches the longest length, and the walk back
// from there takes the moves the full programme stores.
//
// The length of the longest chain in rows 0..i-1 and columns 0..j-1 is kept
// per row as thresholds: entry k - 1 holds the smallest column that ends a
// chain of length k in the rows so far. Each row's changes to them are logged,
// so that the walk back, row by row, can undo them.
#include <cstddef>
#include <utility>
#include <vector>

class OrderedChain {
 public:
  // Forgets the pairs of the previous programme; keeps the buffers.
  void clear() { m_pairs.clear(); }
  // Admits pair (i, j) of an n x m programme, 0 <= i < n, 0 <= j < m, in any order.
  void add(int i, int j) { m_pairs.emplace_back(i, j); }

  // Appends the chain to out, last pair first, and returns its length (0 and
  // nothing appended when no pair was admitted).
  int solve(int n, int m, std::vector<std::pair<int, int> >& out);

 private:
  struct Change {
    int k;
    int old;  // -1: the change appended entry k
  };

  void undoRow(std::vector<int>& thresholds, int row) const;
  bool admitted(int i, int j) const;

  std::vector<std::pair<int, int> > m_pairs;
  std::vector<std::size_t> m_rowStart;     // first pair of each row, n + 1 entries
  std::vector<std::size_t> m_changeStart;  // first change of each row, n + 1 entries
  std::vector<Change> m_changes;
  std::vector<int> m_reachedAt;  // the row where the longest length first reached k + 1
  std::vector<int> m_current;
  std::vector<int> m_above;
};
