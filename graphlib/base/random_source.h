#pragma once
// The library's pseudo-random numbers: the additive lagged-Fibonacci generator
// of the 4.3BSD C library (31 words, separation 3) with its seeding, in
// precision mode (bits per draw) or range mode (integers of [low, high]).
#include "graphlib/base/memory_manager.h"

#include <cstdint>

namespace graphlib {

class random_source {
 public:
  random_source();
  explicit random_source(int prec);
  random_source(int low, int high);
  // A copy draws from its own table.
  random_source(const random_source& x);
  random_source& operator=(const random_source& x);

  void set_seed(int s);
  void set_range(int low, int high);
  // Returns the previous precision.
  int set_precision(int prec);

  uint32_t get_rand31();
  uint32_t get_rand32();

  int operator()();
  // The prec (1..31) high-order bits of one draw.
  int operator()(int prec);
  // One value of [low, high] whatever the mode; 0 without a draw when high < low.
  int operator()(int low, int high);

  random_source& operator>>(bool& x);
  random_source& operator>>(char& x);
  random_source& operator>>(unsigned char& x);
  random_source& operator>>(int& x);
  random_source& operator>>(long& x);
  random_source& operator>>(unsigned int& x);
  random_source& operator>>(unsigned long& x);
  random_source& operator>>(float& x);
  random_source& operator>>(double& x);

  // The unit-interval values of one 31-bit draw.
  static float unit_float(uint32_t draw);
  static double unit_double(uint32_t draw);

  // Sources constructed so far in the process.
  static int count;

 private:
  void init_table();
  void copy_from(const random_source& x);

  uint32_t table[31];
  uint32_t* rear;
  uint32_t* front;
  uint32_t* table_end;
  uint32_t mask;
  int precision;
  int low;
  uint32_t diff;
  bool use_precision;
  uint32_t bit_pool;
};

extern random_source rand_int;

}  // namespace graphlib
