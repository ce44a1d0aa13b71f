#pragma once
// Largest set of admitted residue pairs that keeps the residue order on both
// sides: a chain of true matrix entries whose row and column indices both
// strictly increase. Every entry on the chain counts 1; there is no gap cost.
#include <cstddef>
#include <cstdint>
#include <iostream>
#include <new>
#include <utility>
#include <vector>

namespace internal {
// The matrix and cell arrays of an n x m programme would not fit into memory.
[[noreturn]] void reportTooLarge(int n, int m);
// The best cell was not reached diagonally from a true entry.
[[noreturn]] void reportNotDiagonal(int bi, int bj, int move, bool entry, int n, int m);
}  // namespace internal

template <class Entry, class Value>
class SimpleDynProg {
 public:
  enum Move { Left = 0, Up = 1, Diagonal = 2, Stop = 3 };

  struct Cell {
    Value value;
    int move;
  };

  // An n x m matrix with every entry `init`; the caller then sets the entries.
  // Sizes are computed in size_t so that large structures get a clear message
  // instead of an overflowed allocation.
  SimpleDynProg(int n, int m, Entry init) : score(nullptr), cells(nullptr), n(n), m(m) {
    const std::size_t rows = n > 0 ? static_cast<std::size_t>(n) : 0;
    const std::size_t cols = m > 0 ? static_cast<std::size_t>(m) : 0;
    const std::size_t maxCount = SIZE_MAX / sizeof(Cell);
    if ((rows + 1) > maxCount / (cols + 1)) internal::reportTooLarge(n, m);
    const std::size_t entryCount = rows * cols;
    const std::size_t cellCount = (rows + 1) * (cols + 1);
    score = new (std::nothrow) Entry[entryCount == 0 ? 1 : entryCount];
    cells = new (std::nothrow) Cell[cellCount];
    if (score == nullptr || cells == nullptr) {
      delete[] score;
      delete[] cells;
      internal::reportTooLarge(n, m);
    }
    for (std::size_t k = 0; k < entryCount; ++k) score[k] = init;
  }

  ~SimpleDynProg() {
    delete[] score;
    delete[] cells;
  }

  SimpleDynProg(const SimpleDynProg&) = delete;
  SimpleDynProg& operator=(const SimpleDynProg&) = delete;

  int rows() const { return n; }
  int columns() const { return m; }

  Entry& entry(int i, int j) { return score[index(i, j)]; }
  const Entry& entry(int i, int j) const { return score[index(i, j)]; }

  // Cell (i, j) covers rows 0..i-1 and columns 0..j-1; valid after getBestAlignment.
  const Cell& cell(int i, int j) const { return cells[cellIndex(i, j)]; }

  // Fills the cells, sets best to the longest chain and appends its pairs to
  // out, last pair first. A matrix without a true entry gives best 0 and
  // appends nothing.
  void getBestAlignment(std::vector<std::pair<int, int> >& out, Value& best) {
    for (int i = 0; i <= n; ++i) setCell(i, 0, Value(), Stop);
    for (int j = 0; j <= m; ++j) setCell(0, j, Value(), Stop);
    best = Value();
    int bi = 0;
    int bj = 0;
    for (int i = 1; i <= n; ++i) {
      for (int j = 1; j <= m; ++j) {
        const Value s = entry(i - 1, j - 1) ? Value(1) : Value();
        const Value d = cell(i - 1, j - 1).value + s;
        const Value u = cell(i - 1, j).value;
        const Value l = cell(i, j - 1).value;
        Cell& c = cells[cellIndex(i, j)];
        if (d <= Value()) {
          if (l <= Value()) {
            if (u <= Value()) {
              c.value = Value();
              c.move = Stop;
            } else {
              c.value = u;
              c.move = Up;
            }
          } else if (l <= u) {
            c.value = u;
            c.move = Up;
          } else {
            c.value = l;
            c.move = Left;
          }
        } else if (d < u) {
          if (u <= l) {
            c.value = l;
            c.move = Left;
          } else {
            c.value = u;
            c.move = Up;
          }
        } else if (d < l) {
          c.value = l;
          c.move = Left;
        } else {
          c.value = d;
          c.move = Diagonal;
        }
        if (c.value > best) {
          best = c.value;
          bi = i;
          bj = j;
        }
      }
    }
    // No admitted pair at all: an empty correspondence, and the run goes on.
    if (!(best > Value())) return;
    const int bestMove = cell(bi, bj).move;
    if (bestMove != Diagonal || !entry(bi - 1, bj - 1))
      internal::reportNotDiagonal(bi, bj, bestMove, static_cast<bool>(entry(bi - 1, bj - 1)), n, m);
    int i = bi;
    int j = bj;
    for (;;) {
      const int move = cell(i, j).move;
      if (move == Diagonal) {
        if (entry(i - 1, j - 1)) out.push_back(std::make_pair(i - 1, j - 1));
        --i;
        --j;
      } else if (move == Up) {
        --i;
      } else if (move == Left) {
        --j;
      } else {
        break;
      }
    }
  }

 private:
  std::size_t index(int i, int j) const {
    return static_cast<std::size_t>(i) * static_cast<std::size_t>(m) + static_cast<std::size_t>(j);
  }
  std::size_t cellIndex(int i, int j) const {
    return static_cast<std::size_t>(i) * (static_cast<std::size_t>(m) + 1) + static_cast<std::size_t>(j);
  }
  void setCell(int i, int j, Value value, int move) {
    Cell& c = cells[cellIndex(i, j)];
    c.value = value;
    c.move = move;
  }

  Entry* score;
  Cell* cells;
  int n;
  int m;
};
