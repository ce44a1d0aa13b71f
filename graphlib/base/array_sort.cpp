#include "graphlib/base/array_sort.h"

#include <climits>
#include <cstring>

#include "graphlib/base/error.h"

namespace graphlib {

static_assert(sizeof(int) == 4 && INT_MIN < 0 && (-1 >> 1) == -1,
              "the radix passes cover 32-bit ints and shift them arithmetically");

namespace {

const int count_entries = 4096;
int count[count_entries];

}  // namespace

void counting_sort(int*& in, int*& out, int n, int mask, int flip, int shift) {
  if (mask < 0 || mask >= count_entries || (flip & ~mask) != 0 || shift < 0 || shift > 31) {
    assert_error("0 <= mask && mask < 4096 && (flip & ~mask) == 0 && 0 <= shift && shift < 32", __FILE__,
                 __LINE__);
    return;
  }
  // Nothing to read: the empty output is the (empty) input.
  if (n <= 0) {
    std::swap(in, out);
    return;
  }
  const int* a = in;
  const int first = ((a[0] >> shift) & mask) ^ flip;
  int run = 1;
  while (run < n && (((a[run] >> shift) & mask) ^ flip) == first) run++;
  if (run == n) {
    std::swap(in, out);
    return;
  }
  std::memset(count, 0, sizeof(int) * static_cast<size_t>(mask + 1));
  count[first] = run;
  for (int k = run; k < n; k++) count[((a[k] >> shift) & mask) ^ flip]++;
  int sum = 0;
  for (int key = 0; key <= mask; key++) {
    int c = count[key];
    count[key] = sum;
    sum += c;
  }
  int* o = out;
  for (int k = 0; k < n; k++) o[count[((a[k] >> shift) & mask) ^ flip]++] = a[k];
}

void INTSORT(int* A, int n) {
  if (n <= 1) return;
  int* scratch = new int[static_cast<size_t>(n)];
  int* p0 = A;
  int* p1 = scratch;
  counting_sort(p0, p1, n, 4095, 0, 0);
  counting_sort(p1, p0, n, 4095, 0, 12);
  counting_sort(p0, p1, n, 255, 128, 24);
  if (p1 != A) std::memcpy(A, p1, sizeof(int) * static_cast<size_t>(n));
  delete[] scratch;
}

}  // namespace graphlib
