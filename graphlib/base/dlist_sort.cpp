#include "graphlib/base/dlist.h"

namespace graphlib {

void dlist::permute(dlink** A) {
  int n = length();
  if (n < 1) return;
  for (int k = 0; k < n; k++) {
    A[k]->pred = k > 0 ? A[k - 1] : nullptr;
    A[k]->succ = k + 1 < n ? A[k + 1] : nullptr;
  }
  h = A[0];
  t = A[n - 1];
}

}  // namespace graphlib
