#pragma once
// Floating-point mode of the library: 53-bit double precision, round to
// nearest, all exceptions masked (x87 control word 0x127F). Only x87 code
// (FLT_EVAL_METHOD != 0) needs it; SSE arithmetic already rounds every float and
// double operation to its own IEEE precision.
#if defined(__FLT_EVAL_METHOD__) && __FLT_EVAL_METHOD__ != 0 && \
    (defined(__i386__) || defined(__x86_64__))
#include <fpu_control.h>
#define GRAPHLIB_X87_ARITHMETIC 1
#endif

namespace graphlib {

inline int fpu_setup() {
#ifdef GRAPHLIB_X87_ARITHMETIC
  fpu_control_t cw = 0x127F;
  _FPU_SETCW(cw);
#endif
  return 0;
}

}  // namespace graphlib
