#include "engine/internal/OrderedChain.h"

#include <algorithm>

namespace {

// The longest chain within columns 0..j-1: the thresholds below j.
int lengthBefore(const std::vector<int>& thresholds, int j) {
  return static_cast<int>(std::lower_bound(thresholds.begin(), thresholds.end(), j) - thresholds.begin());
}

}  // namespace

void OrderedChain::undoRow(std::vector<int>& thresholds, int row) const {
  for (std::size_t c = m_changeStart[static_cast<std::size_t>(row) + 1]; c-- > m_changeStart[static_cast<std::size_t>(row)];) {
    const Change& change = m_changes[c];
    if (change.old < 0)
      thresholds.pop_back();
    else
      thresholds[static_cast<std::size_t>(change.k)] = change.old;
  }
}

bool OrderedChain::admitted(int i, int j) const {
  const auto first = m_pairs.begin() + static_cast<std::ptrdiff_t>(m_rowStart[static_cast<std::size_t>(i)]);
  const auto last = m_pairs.begin() + static_cast<std::ptrdiff_t>(m_rowStart[static_cast<std::size_t>(i) + 1]);
  return std::binary_search(first, last, std::make_pair(i, j));
}

int OrderedChain::solve(int n, int m, std::vector<std::pair<int, int> >& out) {
  if (n <= 0 || m <= 0 || m_pairs.empty()) return 0;
  std::sort(m_pairs.begin(), m_pairs.end());
  m_pairs.erase(std::unique(m_pairs.begin(), m_pairs.end()), m_pairs.end());

  const std::size_t rows = static_cast<std::size_t>(n);
  m_rowStart.assign(rows + 1, 0);
  for (const std::pair<int, int>& p : m_pairs) ++m_rowStart[static_cast<std::size_t>(p.first) + 1];
  for (std::size_t r = 0; r < rows; ++r) m_rowStart[r + 1] += m_rowStart[r];

  // Forward: row by row, each row's columns from the right, so that a pair
  // does not extend a chain ending in its own row.
  m_current.clear();
  m_changes.clear();
  m_reachedAt.clear();
  m_changeStart.assign(rows + 1, 0);
  for (std::size_t r = 0; r < rows; ++r) {
    m_changeStart[r] = m_changes.size();
    for (std::size_t p = m_rowStart[r + 1]; p-- > m_rowStart[r];) {
      const int q = m_pairs[p].second;
      const std::size_t k = static_cast<std::size_t>(lengthBefore(m_current, q));
      if (k == m_current.size()) {
        m_changes.push_back(Change{static_cast<int>(k), -1});
        m_current.push_back(q);
        m_reachedAt.push_back(static_cast<int>(r));
      } else if (m_current[k] > q) {
        m_changes.push_back(Change{static_cast<int>(k), m_current[k]});
        m_current[k] = q;
      }
    }
  }
  m_changeStart[rows] = m_changes.size();
  const int best = static_cast<int>(m_current.size());
  if (best == 0) return 0;

  // The first cell in row order holding the longest length.
  int i = m_reachedAt.back() + 1;
  for (int r = n - 1; r >= i; --r) undoRow(m_current, r);
  int j = m_current.back() + 1;
  m_above = m_current;
  undoRow(m_above, i - 1);

  // The walk back through the moves the full programme stores: m_current
  // holds the thresholds of row i, m_above those of row i - 1.
  enum Move { Left, Up, Diagonal, Stop };
  while (i > 0 && j > 0) {
    const bool entry = admitted(i - 1, j - 1);
    const int d = lengthBefore(m_above, j - 1) + (entry ? 1 : 0);
    const int u = lengthBefore(m_above, j);
    const int l = lengthBefore(m_current, j - 1);
    Move move;
    if (d <= 0) {
      if (l <= 0)
        move = u <= 0 ? Stop : Up;
      else
        move = l <= u ? Up : Left;
    } else if (d < u) {
      move = u <= l ? Left : Up;
    } else if (d < l) {
      move = Left;
    } else {
      move = Diagonal;
    }
    if (move == Stop) break;
    if (move == Left) {
      --j;
      continue;
    }
    if (move == Diagonal) {
      if (entry) out.emplace_back(i - 1, j - 1);
      --j;
    }
    --i;
    undoRow(m_current, i);
    if (i > 0) undoRow(m_above, i - 1);
  }
  return best;
}
