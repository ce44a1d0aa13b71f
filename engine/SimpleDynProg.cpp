#include "engine/internal/SimpleDynProg.h"
#include "support/Fatal.h"

#include <cstdlib>
#include <iostream>

namespace internal {

void reportTooLarge(int n, int m) {
  Fatal::report(std::cerr, "Not enough memory to align a structure of ", n, " residues with one of ", m,
                " residues");
}

void reportNotDiagonal(int bi, int bj, int move, bool entry, int n, int m) {
  Fatal::report(std::cerr, "ERROR in SimpleDynProg, last index comes not from diagonal\ni:", bi, " j:", bj,
                " direct:", move, " relat-ij:", entry, " n:", n, " m:", m);
}

}  // namespace internal
