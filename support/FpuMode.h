#pragma once

// Puts the x87 unit into 53-bit double precision, round to nearest, all
// exceptions masked (control word 0x127F). On x86-64 float and double arithmetic
// runs on SSE, which already follows IEEE single and double precision with every
// exception masked, so there is nothing to set there.
inline int setDoubleIeeeMode() {
#if defined(__i386__)
  unsigned short cw = 0x127F;
  __asm__ volatile("fldcw %0" : : "m"(cw));
#endif
  return 0;
}
