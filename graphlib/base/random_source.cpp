#include "graphlib/base/random_source.h"

#include <ctime>

namespace graphlib {

int random_source::count = 0;

random_source rand_int;

namespace {

const uint32_t all_bits = 0xFFFFFFFFu;

uint32_t precision_mask(int prec) { return prec >= 1 && prec <= 31 ? (uint32_t(1) << prec) - 1 : all_bits; }

}  // namespace

void random_source::init_table() {
  table_end = table + 31;
  uint32_t t = static_cast<uint32_t>(std::time(nullptr));
  ++count;
  set_seed(static_cast<int>(t * static_cast<uint32_t>(count)));
}

random_source::random_source()
    : mask(all_bits), precision(31), low(0), diff(0), use_precision(true), bit_pool(1) {
  init_table();
}

random_source::random_source(int prec)
    : mask(precision_mask(prec)), precision(prec), low(0), diff(0), use_precision(true), bit_pool(1) {
  init_table();
}

random_source::random_source(int lo, int hi)
    : mask(0), precision(31), low(0), diff(0), use_precision(false), bit_pool(1) {
  init_table();
  set_range(lo, hi);
}

void random_source::copy_from(const random_source& x) {
  for (int i = 0; i < 31; i++) table[i] = x.table[i];
  table_end = table + 31;
  rear = table + (x.rear - x.table);
  front = table + (x.front - x.table);
  mask = x.mask;
  precision = x.precision;
  low = x.low;
  diff = x.diff;
  use_precision = x.use_precision;
  bit_pool = x.bit_pool;
}

random_source::random_source(const random_source& x) { copy_from(x); }

random_source& random_source::operator=(const random_source& x) {
  if (this != &x) copy_from(x);
  return *this;
}

void random_source::set_seed(int s) {
  table[0] = static_cast<uint32_t>(s);
  for (int i = 1; i < 31; i++) table[i] = table[i - 1] * 1103515245u + 12345u;
  rear = table;
  front = table + 3;
  for (int i = 0; i < 310; i++) get_rand31();
}

void random_source::set_range(int lo, int hi) {
  low = lo;
  diff = hi >= lo ? static_cast<uint32_t>(hi) - static_cast<uint32_t>(lo) : 0;
  use_precision = false;
  if (diff == 0) {
    mask = 0;
    return;
  }
  // Ranges of 2^31 values and more take whole 32-bit words (see operator()).
  uint32_t p = 1;
  while (p <= diff && p != 0x80000000u) p <<= 1;
  mask = p <= diff ? all_bits : p - 1;
}

int random_source::set_precision(int prec) {
  int old = precision;
  precision = prec;
  mask = precision_mask(prec);
  use_precision = true;
  return old;
}

uint32_t random_source::get_rand31() {
  *front += *rear;
  uint32_t r = *front >> 1;
  if (++rear == table_end) rear = table;
  if (++front == table_end) front = table;
  return r;
}

uint32_t random_source::get_rand32() {
  if (bit_pool == 1) bit_pool = get_rand31() | 0x80000000u;
  uint32_t r = get_rand31();
  if (bit_pool & 1) r |= 0x80000000u;
  bit_pool >>= 1;
  return r;
}

int random_source::operator()() {
  if (!use_precision && mask == all_bits) {
    uint32_t r = get_rand32();
    while (r > diff) r = get_rand32();
    return static_cast<int>(static_cast<uint32_t>(low) + r);
  }
  uint32_t r = get_rand31() & mask;
  if (use_precision) return static_cast<int>(r);
  while (r > diff) r = get_rand31() & mask;
  return static_cast<int>(static_cast<uint32_t>(low) + r);
}

int random_source::operator()(int prec) {
  if (prec < 1) prec = 1;
  if (prec > 31) prec = 31;
  return static_cast<int>((get_rand31() >> (31 - prec)) & ((uint32_t(1) << prec) - 1));
}

int random_source::operator()(int lo, int hi) {
  if (hi < lo) return 0;
  int saved_low = low;
  uint32_t saved_diff = diff;
  uint32_t saved_mask = mask;
  bool saved_mode = use_precision;
  set_range(lo, hi);
  int r = (*this)();
  low = saved_low;
  diff = saved_diff;
  mask = saved_mask;
  use_precision = saved_mode;
  return r;
}

random_source& random_source::operator>>(bool& x) {
  x = ((get_rand31() >> 16) & 1) != 0;
  return *this;
}

random_source& random_source::operator>>(char& x) {
  x = static_cast<char>((*this)() & 0xFF);
  return *this;
}

random_source& random_source::operator>>(unsigned char& x) {
  x = static_cast<unsigned char>((*this)() & 0xFF);
  return *this;
}

random_source& random_source::operator>>(int& x) {
  x = (*this)();
  return *this;
}

random_source& random_source::operator>>(long& x) {
  x = (*this)();
  return *this;
}

random_source& random_source::operator>>(unsigned int& x) {
  x = static_cast<unsigned int>((*this)());
  return *this;
}

random_source& random_source::operator>>(unsigned long& x) {
  x = static_cast<unsigned long>(static_cast<unsigned int>((*this)()));
  return *this;
}

float random_source::unit_float(uint32_t draw) {
  // Rounded to single precision, the largest draws give 1.0.
  return static_cast<float>(static_cast<double>(draw) * (1.0 / 2147483648.0));
}

double random_source::unit_double(uint32_t draw) { return static_cast<double>(draw) / 2147483647.0; }

random_source& random_source::operator>>(float& x) {
  x = unit_float(get_rand31());
  return *this;
}

random_source& random_source::operator>>(double& x) {
  x = unit_double(get_rand31());
  return *this;
}

}  // namespace graphlib
