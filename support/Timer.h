#pragma once
// Named stopwatch of the process's user CPU time.
#include <cstdint>
#include <iosfwd>

class Timer {
 public:
  Timer();
  explicit Timer(const char* name);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  void reset();
  void start();
  void stop();
  // Elapsed seconds.
  float operator()() const;

  friend std::ostream& operator<<(std::ostream& os, const Timer& t);

  // The clock: user CPU time in ticks, and ticks per second. Tests replace it.
  struct Clock {
    int32_t (*now)();
    long (*rate)();
  };
  static void setClock(const Clock& clock);
  static Clock systemClock();

 private:
  int32_t elapsedTicks() const;

  char* m_name;
  int32_t m_start;  // -1 while stopped
  int32_t m_total;
};
