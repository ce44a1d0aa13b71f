#include "engine/SimpleDynProg.h"

#include <cstdlib>
#include <iostream>

namespace dynprog_detail {

void reportTooLarge(int n, int m) {
  std::cerr << "Not enough memory to align a structure of " << n << " residues with one of " << m
            << " residues" << std::endl;
  std::exit(1);
}

void reportNotDiagonal(int bi, int bj, int move, bool entry, int n, int m) {
  std::cerr << "ERROR in SimpleDynProg, last index comes not from diagonal" << std::endl;
  std::cerr << "i:" << bi << " j:" << bj << " direct:" << move << " relat-ij:" << entry << " n:" << n
            << " m:" << m << std::endl;
  std::exit(1);
}

}  // namespace dynprog_detail
