#pragma once
// The residue-pair selector that "Scoring" names, for the seed score and both
// residue correspondences.
#include <cstdlib>
#include <iostream>

#include "engine/internal/PointSelectors.h"
#include "support/Fatal.h"
#include "support/ParameterKeys.h"
#include "support/Parameters.h"

namespace internal {

template <class Sel>
struct SelectorTag {
  using type = Sel;
};

// Returns f(SelectorTag<Sel>()) for the selector of "Scoring" as it stands
// now; any other value ends the run.
template <class F>
auto withScoringSelector(F f) -> decltype(f(SelectorTag<GeomSelector>())) {
  switch (Parameters::getInt(Param::Scoring)) {
    case 0:
      return f(SelectorTag<GeomSelector>());
    case 1:
      return f(SelectorTag<PAM250positive_Selector>());
    case 2:
      return f(SelectorTag<BioCoreSelector>());
    case 3:
      return f(SelectorTag<PAM250_only_positive_Selector>());
    default:
      Fatal::report(std::cerr, "Scoring undefined value:", Parameters::getInt(Param::Scoring));
  }
}

}  // namespace internal
