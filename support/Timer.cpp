#include "support/Timer.h"

#include <sys/times.h>
#include <unistd.h>

#include <cstring>
#include <iomanip>
#include <ostream>

namespace {

int32_t systemNow() {
  struct tms t;
  times(&t);
  return static_cast<int32_t>(t.tms_utime);
}

long systemRate() { return sysconf(_SC_CLK_TCK); }

Timer::Clock currentClock = {systemNow, systemRate};

}  // namespace

Timer::Clock Timer::systemClock() { return {systemNow, systemRate}; }

void Timer::setClock(const Clock& clock) { currentClock = clock; }

Timer::Timer() : m_name(nullptr), m_start(0), m_total(0) { reset(); }

Timer::Timer(const char* name) : m_name(new char[std::strlen(name) + 1]), m_start(0), m_total(0) {
  std::strcpy(m_name, name);
  reset();
}

Timer::~Timer() { delete[] m_name; }

void Timer::reset() {
  m_start = currentClock.now();
  m_total = 0;
}

void Timer::start() { m_start = currentClock.now(); }

void Timer::stop() {
  if (m_start >= 0) {
    m_total += currentClock.now() - m_start;
    m_start = -1;
  }
}

int32_t Timer::elapsedTicks() const {
  return m_start < 0 ? m_total : currentClock.now() - m_start + m_total;
}

float Timer::operator()() const {
  return static_cast<float>(elapsedTicks()) / static_cast<float>(currentClock.rate());
}

std::ostream& operator<<(std::ostream& os, const Timer& t) {
  if (t.m_name) os << t.m_name << ": ";
  os.setf(std::ios::fixed, std::ios::floatfield);
  os.setf(std::ios::right, std::ios::adjustfield);
  os.precision(2);
  // Hundredths in integers: going through float seconds would print 115 ticks
  // as 1.14 s.
  long rate = currentClock.rate();
  int64_t ticks = t.elapsedTicks();
  uint32_t c = rate > 0 ? static_cast<uint32_t>(ticks * 100 / rate) : 0;
  char oldFill = os.fill('0');
  (void)oldFill;
  os << std::setw(2) << c / 360000 << ":" << std::setw(2) << (c / 6000) % 60 << ":" << std::setw(2)
     << (c / 100) % 60 << "." << std::setw(2) << c % 100;
  os.fill(' ');
  return os;
}
