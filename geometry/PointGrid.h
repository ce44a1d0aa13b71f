#pragma once
// A fixed set of points in a flat array of cubic cells, for many box queries
// while the set stays as it is; its buffers are kept from one set to the
// next. A query reports the same points as a GeomHash holding the same points
// (inserted in index order) with the same cell size: the points of every cell
// of the box of half-width r around p, by the last coordinate's cell, then
// the next lower, each ascending, and within a cell by index. Points too far
// apart for a flat array of about their number of cells go to a GeomHash.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "geometry/GeomHash.h"
#include "geometry/Vector3.h"

class PointGrid {
 public:
  // Replaces the points; point k gets index k. Points with a coordinate that
  // is not finite are left out. cellSize must be positive and finite.
  void build(const std::vector<Vector3>& points, float cellSize) {
    m_size = cellSize;
    m_hash.reset();
    m_empty = true;
    m_cells.resize(points.size());
    int32_t lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
    for (std::size_t k = 0; k < points.size(); ++k) {
      const Vector3& p = points[k];
      if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) {
        m_cells[k] = kOutside;
        continue;
      }
      for (int a = 0; a < 3; ++a) {
        const int32_t c = Cells::cube(p[a], cellSize);
        if (m_empty || c < lo[a]) lo[a] = c;
        if (m_empty || c > hi[a]) hi[a] = c;
      }
      m_empty = false;
      m_cells[k] = 0;
    }
    if (m_empty) return;
    uint64_t volume = 1;
    for (int a = 0; a < 3; ++a) {
      m_lo[a] = lo[a];
      m_dim[a] = static_cast<int64_t>(hi[a]) - lo[a] + 1;
      volume *= static_cast<uint64_t>(m_dim[a]);
      if (volume > kCellsPerPoint * points.size() + kFewCells) {
        m_hash.reset(new GeomHash<Vector3, int>(3, cellSize));
        for (std::size_t k = 0; k < points.size(); ++k) m_hash->insert(points[k], static_cast<int>(k));
        return;
      }
    }
    m_start.assign(static_cast<std::size_t>(volume) + 1, 0);
    for (std::size_t k = 0; k < points.size(); ++k) {
      if (m_cells[k] == kOutside) continue;
      const Vector3& p = points[k];
      m_cells[k] = cellIndex(Cells::cube(p[0], cellSize), Cells::cube(p[1], cellSize), Cells::cube(p[2], cellSize));
      ++m_start[static_cast<std::size_t>(m_cells[k]) + 1];
    }
    for (std::size_t c = 1; c < m_start.size(); ++c) m_start[c] += m_start[c - 1];
    m_items.resize(m_start.back());
    m_fill.assign(m_start.begin(), m_start.end() - 1);
    for (std::size_t k = 0; k < points.size(); ++k)
      if (m_cells[k] != kOutside) m_items[m_fill[static_cast<std::size_t>(m_cells[k])]++] = static_cast<int>(k);
  }

  // Calls f(index) for every point the box of half-width r around p reports.
  template <class F>
  void forEachNear(const Vector3& p, float r, F f) {
    if (m_empty) return;
    if (m_hash) {
      m_result.clear();
      m_hash->query(p, r, m_result);
      for (auto it = m_result.begin(); it != m_result.end(); ++it) f(*it);
      m_result.clear();
      return;
    }
    if (std::isnan(r) || std::isnan(p[0]) || std::isnan(p[1]) || std::isnan(p[2])) return;
    int64_t from[3], to[3];
    for (int a = 0; a < 3; ++a) {
      const float lo = p[a] - r, hi = p[a] + r;
      from[a] = std::max<int64_t>(Cells::cube(lo, m_size), m_lo[a]);
      to[a] = std::min<int64_t>(Cells::cube(hi, m_size), static_cast<int64_t>(m_lo[a]) + m_dim[a] - 1);
      if (from[a] > to[a]) return;
    }
    for (int64_t z = from[2]; z <= to[2]; ++z)
      for (int64_t y = from[1]; y <= to[1]; ++y) {
        const int64_t row = ((z - m_lo[2]) * m_dim[1] + (y - m_lo[1])) * m_dim[0] - m_lo[0];
        const std::size_t first = m_start[static_cast<std::size_t>(row + from[0])];
        const std::size_t last = m_start[static_cast<std::size_t>(row + to[0] + 1)];
        for (std::size_t q = first; q < last; ++q) f(m_items[q]);
      }
  }

 private:
  using Cells = HashLink<Vector3, int>;
  static constexpr int64_t kOutside = -1;
  // The flat array is used while it has at most this many cells per point, plus a few.
  static constexpr uint64_t kCellsPerPoint = 64;
  static constexpr uint64_t kFewCells = 4096;

  int64_t cellIndex(int32_t x, int32_t y, int32_t z) const {
    return ((static_cast<int64_t>(z) - m_lo[2]) * m_dim[1] + (static_cast<int64_t>(y) - m_lo[1])) * m_dim[0] +
           (static_cast<int64_t>(x) - m_lo[0]);
  }

  float m_size = 1.0f;
  bool m_empty = true;
  int32_t m_lo[3] = {0, 0, 0};
  int64_t m_dim[3] = {0, 0, 0};
  std::vector<int64_t> m_cells;  // per point, its cell in the flat array, or kOutside
  std::vector<std::size_t> m_start;
  std::vector<std::size_t> m_fill;
  std::vector<int> m_items;
  std::unique_ptr<GeomHash<Vector3, int> > m_hash;
  HashResult<int> m_result;
};
