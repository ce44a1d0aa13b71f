#pragma once
// The structure behind each column of a seed's correspondence table.
#include <cstddef>
#include <iostream>
#include <vector>

#include "engine/MultSeqBlock.h"
#include "support/Fatal.h"

namespace internal {

// The pivot, then every slot's structure; "error" for a slot without a pair.
inline std::vector<int> tableColumns(const MultSeqBlock& seed) {
  std::vector<int> columns(1, seed.ref);
  for (std::size_t k = 0; k < seed.blocks.size(); ++k) {
    if (!seed.blocks[k]) Fatal::report(std::cout, "error");
    columns.push_back(seed.ids[k]);
  }
  return columns;
}

}  // namespace internal
