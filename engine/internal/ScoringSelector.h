#pragma once
// The residue-pair selector that "Scoring" names, for the seed score and both
// residue correspondences.
#include <cstdlib>
#include <iostream>

#include "engine/PointSelectors.h"
#include "support/Parameters.h"

namespace engine_internal {

template <class Sel>
struct SelectorTag {
  using type = Sel;
};

// Returns f(SelectorTag<Sel>()) for the selector of "Scoring" as it stands
// now; any other value ends the run.
template <class F>
auto withScoringSelector(F f) -> decltype(f(SelectorTag<GeomSelector>())) {
  switch (Parameters::getInt("Scoring", 0)) {
    case 0:
      return f(SelectorTag<GeomSelector>());
    case 1:
      return f(SelectorTag<PAM250positive_Selector>());
    case 2:
      return f(SelectorTag<BioCoreSelector>());
    case 3:
      return f(SelectorTag<PAM250_only_positive_Selector>());
    default:
      std::cerr << "Scoring undefined value:" << Parameters::getInt("Scoring", 0) << std::endl;
      std::exit(1);
  }
}

}  // namespace engine_internal
