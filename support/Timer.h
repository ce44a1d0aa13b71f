#pragma once
// Named stopwatch of user CPU time: the whole process's, or only that of the
// thread that reads it (a worker's share of a run with several threads).
#include <cstdint>
#include <iosfwd>

class Timer {
 public:
  enum Scope { Process, Thread };

  Timer();
  explicit Timer(const char* name, Scope scope = Process);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  void reset();
  void start();
  void stop();
  // Elapsed seconds.
  float operator()() const;

  friend std::ostream& operator<<(std::ostream& os, const Timer& t);

  // The clock: user CPU time in ticks, and ticks per second. Tests replace
  // it. threadNow reads the calling thread's time; without it, now serves.
  struct Clock {
    int32_t (*now)();
    long (*rate)();
    int32_t (*threadNow)() = nullptr;
  };
  static void setClock(const Clock& clock);
  static Clock systemClock();

 private:
  int32_t elapsedTicks() const;
  int32_t now() const;

  char* m_name;
  Scope m_scope;
  int32_t m_start;  // -1 while stopped
  int32_t m_total;
};
