#pragma once
// Header-only (test_helpers does not link the graph library): include it only in
// test binaries that link graphlib_base.
//
// Live objects per size class of a graph-library memory manager, to show that
// an operation gives back every cell, string record or compare object it took.
#include <cstddef>
#include <string>
#include <vector>

#include "graphlib/base/memory_manager.h"

namespace testing_support {

// Slots of size class sz handed out and not yet given back.
inline long liveSlots(size_t sz, const graphlib::memory_manager& m = graphlib::std_memory_mgr) {
  return m.slot_count[sz] - m.free_count(sz);
}

// Snapshot of every size class of a manager; changes() lists the classes whose
// live count differs now, as "size: before -> after".
class AllocatorBaseline {
 public:
  explicit AllocatorBaseline(const graphlib::memory_manager& m = graphlib::std_memory_mgr) : m_manager(m) {
    for (int i = 1; i <= m.max_sz; i++) m_live.push_back(liveSlots(static_cast<size_t>(i), m));
  }

  std::vector<std::string> changes() const {
    std::vector<std::string> out;
    for (int i = 1; i <= m_manager.max_sz && static_cast<size_t>(i) <= m_live.size(); i++) {
      long now = liveSlots(static_cast<size_t>(i), m_manager);
      long before = m_live[static_cast<size_t>(i - 1)];
      if (now != before)
        out.push_back(std::to_string(i) + ": " + std::to_string(before) + " -> " + std::to_string(now));
    }
    return out;
  }

 private:
  const graphlib::memory_manager& m_manager;
  std::vector<long> m_live;
};

}  // namespace testing_support
