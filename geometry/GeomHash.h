#pragma once
// Grid hash of points: values stored under 3-D points in cubic cells, answering
// box queries with whole cells (a superset of the points within the box, which
// callers filter by exact distance). The grid is a sparse tree with one level
// per coordinate, the last coordinate at the top; each level holds a contiguous
// range of cells that widens on demand, and leaf cells are created when first
// used. A level whose range would grow much wider than the cells it uses (points
// far apart for the cell size) keeps only its used cells, in ascending order,
// so memory stays proportional to the points held whatever the cell size.
//
// Cell indices are 32-bit and range sizes are size_t, so any coordinate and any
// cell size index correctly; quotients beyond +-2^30 cells share the outermost
// cell, which keeps every query a superset of the true neighbours.
#include <cmath>
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

template <class T, class Container = std::vector<T>>
class HashIterator {
 public:
  HashIterator() = default;
  // At the first value of the container in `slot` (none when the slot is null).
  explicit HashIterator(Container* const* slot) : m_slot(slot), m_value(*slot ? (*slot)->data() : nullptr) {}

  T& operator*() const { return *m_value; }
  T* operator->() const { return m_value; }

  HashIterator& operator++() {
    ++m_value;
    if (m_value == (*m_slot)->data() + (*m_slot)->size()) {
      ++m_slot;
      if (*m_slot) m_value = (*m_slot)->data();
    }
    return *this;
  }
  HashIterator operator++(int) {
    HashIterator old = *this;
    ++*this;
    return old;
  }

  // Within cells the values decide; at the null entry that ends a result only
  // the slot does.
  bool operator==(const HashIterator& o) const {
    if (!m_slot || !o.m_slot) return m_slot == o.m_slot && m_value == o.m_value;
    if (*m_slot && *o.m_slot) return m_value == o.m_value;
    return m_slot == o.m_slot;
  }
  bool operator!=(const HashIterator& o) const { return !(*this == o); }

 private:
  Container* const* m_slot = nullptr;
  T* m_value = nullptr;
};

// The cells a query found, in order, followed by a null entry. The cells belong
// to the hash; the result owns only its array, which is reused across queries.
template <class T, class Container = std::vector<T>>
class HashResult {
 public:
  using iterator = HashIterator<T, Container>;

  HashResult() : m_cells(new Container*[kInitialCapacity]), m_size(0), m_capacity(kInitialCapacity) {
    m_cells[0] = nullptr;
  }
  HashResult(const HashResult& o) : m_cells(new Container*[o.m_capacity]), m_size(o.m_size), m_capacity(o.m_capacity) {
    for (size_t i = 0; i <= m_size; ++i) m_cells[i] = o.m_cells[i];
  }
  HashResult& operator=(const HashResult& o) {
    if (this != &o) {
      HashResult copy(o);
      std::swap(m_cells, copy.m_cells);
      std::swap(m_size, copy.m_size);
      std::swap(m_capacity, copy.m_capacity);
    }
    return *this;
  }
  ~HashResult() { delete[] m_cells; }

  void push_back(Container* cell) {
    if (m_size + 1 >= m_capacity) grow();
    m_cells[m_size] = cell;
    ++m_size;
    m_cells[m_size] = nullptr;
  }
  void clear() {
    m_size = 0;
    m_cells[0] = nullptr;
  }

  iterator begin() const { return iterator(m_cells); }
  iterator end() const { return iterator(m_cells + m_size); }

  size_t size() const { return m_size; }
  size_t capacity() const { return m_capacity; }
  Container* operator[](size_t i) const { return m_cells[i]; }

 private:
  static constexpr size_t kInitialCapacity = 32;

  void grow() {
    const size_t capacity = m_capacity ? 2 * m_capacity : kInitialCapacity;
    Container** cells = new Container*[capacity];
    for (size_t i = 0; i <= m_size; ++i) cells[i] = m_cells[i];
    delete[] m_cells;
    m_cells = cells;
    m_capacity = capacity;
  }

  Container** m_cells;
  size_t m_size;
  size_t m_capacity;
};

struct GeomHashParams {
  unsigned short dimension = 0;
  std::vector<float> cellSizes;
  float growthFactor = 1.0f;
};

// One node of the tree: at an inner level child nodes, at the leaf level cell
// containers. A node covers a contiguous range of cells lowest..highest, or,
// once that range would be much wider than the cells in use, only the cells in
// use (sparse).
template <class Point, class T, class Container = std::vector<T>>
class HashLink {
 public:
  using Result = HashResult<T, Container>;

  // The grid cell of coordinate x: truncation toward zero, minus one below zero,
  // so that an exact negative multiple of the size falls in the lower cell.
  static int32_t cube(float x, float size) {
    const double q = static_cast<double>(x) / static_cast<double>(size);
    int64_t c;
    if (!(q > -kCellLimit))
      c = -static_cast<int64_t>(kCellLimit);
    else if (q >= kCellLimit)
      c = static_cast<int64_t>(kCellLimit);
    else
      c = static_cast<int64_t>(q);
    if (x < 0.0f) c -= 1;
    return static_cast<int32_t>(c);
  }

  bool empty() const { return m_links == nullptr && m_cells == nullptr && m_sparse == nullptr; }
  bool sparse() const { return m_sparse != nullptr; }
  // The range of a node that is not sparse.
  int32_t lowest() const { return m_lowest; }
  int32_t highest() const { return m_highest; }
  // The child node of an inner level, or the container of a leaf cell (null
  // when that cell holds nothing); cell must lie within lowest..highest.
  const HashLink& child(int32_t cell) const { return m_links[cell - m_lowest]; }
  const Container* container(int32_t cell) const { return m_cells[cell - m_lowest]; }
  // The cells in use of a sparse node, ascending.
  const std::vector<int32_t>& sparseCells() const { return m_sparse->keys; }

  void put(const Point& p, const T& value, const GeomHashParams& params, int level) {
    const int32_t c = cube(p[level], params.cellSizes[level]);
    if (level > 0) {
      if (!m_sparse) {
        const int32_t margin = static_cast<int32_t>(static_cast<float>(level) * params.growthFactor);
        if (!m_links) {
          m_lowest = c;
          m_highest = c - 1;
          resize(c - level, c + level);
        } else if (c < m_lowest) {
          widenOrSpread(m_links, c - margin, m_highest);
        } else if (c > m_highest) {
          widenOrSpread(m_links, m_lowest, c + margin);
        }
      }
      HashLink& next = m_sparse ? sparseEntry(m_sparse->links, c) : m_links[c - m_lowest];
      next.put(p, value, params, level - 1);
    } else {
      if (!m_sparse) {
        const int32_t margin = 1 + static_cast<int32_t>(params.growthFactor);
        if (!m_cells) {
          m_lowest = c;
          m_highest = c - 1;
          buckResize(c - 1, c + 1);
        } else if (c < m_lowest) {
          widenOrSpread(m_cells, c - margin, m_highest);
        } else if (c > m_highest) {
          widenOrSpread(m_cells, m_lowest, c + margin);
        }
      }
      Container*& cell = m_sparse ? sparseEntry(m_sparse->cells, c) : m_cells[c - m_lowest];
      if (!cell) cell = new Container;
      cell->push_back(value);
    }
  }

  void getInfinite(const Point& p, float r, const GeomHashParams& params, int level, Result& result) const {
    if (empty()) return;
    const float size = params.cellSizes[level];
    const float lo = p[level] - r, hi = p[level] + r;
    int32_t from = cube(lo, size), to = cube(hi, size);
    if (m_sparse) {
      const std::vector<int32_t>& keys = m_sparse->keys;
      size_t k = static_cast<size_t>(std::lower_bound(keys.begin(), keys.end(), from) - keys.begin());
      for (; k < keys.size() && keys[k] <= to; ++k) {
        if (level > 0)
          m_sparse->links[k].getInfinite(p, r, params, level - 1, result);
        else
          result.push_back(m_sparse->cells[k]);
      }
      return;
    }
    if (from < m_lowest) from = m_lowest;
    if (to > m_highest) to = m_highest;
    if (from > to) return;
    for (int32_t c = from; c <= to; ++c) {
      if (level > 0) {
        m_links[c - m_lowest].getInfinite(p, r, params, level - 1, result);
      } else if (m_cells[c - m_lowest]) {
        result.push_back(m_cells[c - m_lowest]);
      }
    }
  }

  // Widens an inner level to cells lo..hi, keeping the children in their cells.
  void resize(int32_t lo, int32_t hi) { m_links = widened(m_links, lo, hi); }

  // Widens a leaf level to cells lo..hi, keeping the containers in their cells.
  void buckResize(int32_t lo, int32_t hi) { m_cells = widened(m_cells, lo, hi); }

  // A new array over cells lo..hi holding the old one's entries in their cells
  // (new cells empty); releases the old one and takes the new bounds.
  template <class Entry>
  Entry* widened(Entry* old, int32_t lo, int32_t hi) {
    Entry* entries = new Entry[count(lo, hi)]();
    if (old) {
      const size_t n = count(m_lowest, m_highest);
      for (size_t i = 0; i < n; ++i) entries[i + static_cast<size_t>(m_lowest - lo)] = old[i];
      delete[] old;
    }
    m_lowest = lo;
    m_highest = hi;
    return entries;
  }

  // Releases the subtree; the bounds stay until the next insert resets them.
  void erase(int level) {
    if (m_links) {
      const size_t n = count(m_lowest, m_highest);
      for (size_t i = 0; i < n; ++i) m_links[i].erase(level - 1);
      delete[] m_links;
      m_links = nullptr;
    }
    if (m_cells) {
      const size_t n = count(m_lowest, m_highest);
      for (size_t i = 0; i < n; ++i) delete m_cells[i];
      delete[] m_cells;
      m_cells = nullptr;
    }
    if (m_sparse) {
      for (HashLink& link : m_sparse->links) link.erase(level - 1);
      for (Container* cell : m_sparse->cells) delete cell;
      delete m_sparse;
      m_sparse = nullptr;
    }
  }

 private:
  static constexpr double kCellLimit = 1073741824.0;  // 2^30: margins never overflow 32 bits
  // A range stays contiguous while it is at most this many cells plus this
  // many per cell in use wide; ordinary structures never reach it.
  static constexpr size_t kDenseCells = 32;
  static constexpr size_t kDenseCellsPerUse = 4;

  // The cells in use, ascending, and their children (inner level) or
  // containers (leaf level) at the same index.
  struct Sparse {
    std::vector<int32_t> keys;
    std::vector<HashLink> links;
    std::vector<Container*> cells;
  };

  static size_t count(int32_t lo, int32_t hi) {
    return hi < lo ? 0 : static_cast<size_t>(static_cast<int64_t>(hi) - lo + 1);
  }
  static bool inUse(const HashLink& link) { return !link.empty(); }
  static bool inUse(const Container* cell) { return cell != nullptr; }
  std::vector<HashLink>& sparseEntries(HashLink*) { return m_sparse->links; }
  std::vector<Container*>& sparseEntries(Container**) { return m_sparse->cells; }

  // Widens the range to lo..hi, or, when that would be too wide for the cells
  // in use, turns the node sparse and releases the range.
  template <class Entry>
  void widenOrSpread(Entry*& entries, int32_t lo, int32_t hi) {
    const size_t n = count(m_lowest, m_highest);
    size_t used = 0;
    for (size_t i = 0; i < n; ++i) used += inUse(entries[i]) ? 1 : 0;
    if (count(lo, hi) <= kDenseCells + kDenseCellsPerUse * (used + 1)) {
      entries = widened(entries, lo, hi);
      return;
    }
    m_sparse = new Sparse;
    std::vector<Entry>& kept = sparseEntries(entries);
    m_sparse->keys.reserve(used + 1);
    kept.reserve(used + 1);
    for (size_t i = 0; i < n; ++i) {
      if (!inUse(entries[i])) continue;
      m_sparse->keys.push_back(static_cast<int32_t>(static_cast<int64_t>(m_lowest) + static_cast<int64_t>(i)));
      kept.push_back(entries[i]);
    }
    delete[] entries;
    entries = nullptr;
  }

  // The entry of cell c in a sparse node, added empty when c is not in use.
  template <class Entry>
  Entry& sparseEntry(std::vector<Entry>& entries, int32_t c) {
    std::vector<int32_t>& keys = m_sparse->keys;
    const auto at = std::lower_bound(keys.begin(), keys.end(), c);
    const size_t k = static_cast<size_t>(at - keys.begin());
    if (at == keys.end() || *at != c) {
      keys.insert(at, c);
      entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(k), Entry());
    }
    return entries[k];
  }

  HashLink* m_links = nullptr;
  Container** m_cells = nullptr;
  Sparse* m_sparse = nullptr;
  int32_t m_lowest = 0;
  int32_t m_highest = -1;
};

template <class Point, class T, class Container = std::vector<T>>
class GeomHash {
 public:
  using Link = HashLink<Point, T, Container>;
  using Result = HashResult<T, Container>;

  // Every coordinate gets the same cell size, which must be a positive finite
  // number (cell indices are quotients by it).
  GeomHash(unsigned short dimension, float cellSize) {
    if (dimension == 0) throw std::invalid_argument("GeomHash: the dimension must be at least 1");
    if (!(cellSize > 0.0f) || !std::isfinite(cellSize))
      throw std::invalid_argument("GeomHash: cell size must be a positive finite number, not " +
                                  std::to_string(cellSize));
    m_params.dimension = dimension;
    m_params.cellSizes.assign(dimension, cellSize);
    m_params.growthFactor = 1.0f;
  }
  ~GeomHash() { erase(); }
  GeomHash(const GeomHash&) = delete;
  GeomHash& operator=(const GeomHash&) = delete;

  // Stores a copy of value in p's cell. A point with a coordinate that is not a
  // finite number lies within no distance of anything and is not stored.
  void insert(const Point& p, const T& value) {
    for (int k = 0; k < m_params.dimension; ++k)
      if (!std::isfinite(p[k])) return;
    m_top.put(p, value, m_params, m_params.dimension - 1);
  }

  // Appends to result every non-empty cell of the box of half-width r around p,
  // ordered by the last coordinate's cell, then the next lower, each ascending.
  // The result is not cleared first.
  void query(const Point& p, float r, Result& result) const {
    if (std::isnan(r)) return;
    for (int k = 0; k < m_params.dimension; ++k)
      if (std::isnan(p[k])) return;
    m_top.getInfinite(p, r, m_params, m_params.dimension - 1, result);
  }

  void erase() { m_top.erase(m_params.dimension - 1); }

  const Link& top() const { return m_top; }
  const GeomHashParams& params() const { return m_params; }

 private:
  Link m_top;
  GeomHashParams m_params;
};
