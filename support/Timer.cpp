#include "support/Timer.h"

#include <sys/resource.h>
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

// The calling thread's user time in the same ticks, rounded down as times() does.
int32_t threadNow() {
  struct rusage usage;
  if (getrusage(RUSAGE_THREAD, &usage) != 0) return systemNow();
  const int64_t micros = static_cast<int64_t>(usage.ru_utime.tv_sec) * 1000000 + usage.ru_utime.tv_usec;
  return static_cast<int32_t>(micros * systemRate() / 1000000);
}

Timer::Clock currentClock = {systemNow, systemRate, threadNow};

}  // namespace

Timer::Clock Timer::systemClock() { return {systemNow, systemRate, threadNow}; }

void Timer::setClock(const Clock& clock) { currentClock = clock; }

Timer::Timer() : m_name(nullptr), m_scope(Process), m_start(0), m_total(0) { reset(); }

Timer::Timer(const char* name, Scope scope)
    : m_name(new char[std::strlen(name) + 1]), m_scope(scope), m_start(0), m_total(0) {
  std::strcpy(m_name, name);
  reset();
}

Timer::~Timer() { delete[] m_name; }

int32_t Timer::now() const {
  return m_scope == Thread && currentClock.threadNow ? currentClock.threadNow() : currentClock.now();
}

void Timer::reset() {
  m_start = now();
  m_total = 0;
}

void Timer::start() { m_start = now(); }

void Timer::stop() {
  if (m_start >= 0) {
    m_total += now() - m_start;
    m_start = -1;
  }
}

int32_t Timer::elapsedTicks() const {
  return m_start < 0 ? m_total : now() - m_start + m_total;
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
