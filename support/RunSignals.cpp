#include "support/RunSignals.h"

#include <signal.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>

#include "support/TemporaryFiles.h"

namespace RunSignals {

namespace {

static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "the handler may only use lock-free atomics");

// Set by the first handler to run; a second one, or a deferral begun after
// it, waits for the end that the first brings.
std::atomic<bool> endingRun{false};
// Deferrals in progress on any thread.
std::atomic<int> deferrals{0};

const sigset_t& endingSet() {
  static const sigset_t set = [] {
    sigset_t s;
    sigemptyset(&s);
    for (int signo : ending()) sigaddset(&s, signo);
    return s;
  }();
  return set;
}

[[noreturn]] void waitForTheEnd() {
  for (;;) pause();
}

extern "C" void endRun(int signo) {
  if (endingRun.exchange(true)) waitForTheEnd();
  // A deferral lasts a few system calls and takes no lock this thread could
  // hold, so the wait is short.
  const timespec step = {0, 100000};
  while (deferrals.load() > 0) nanosleep(&step, nullptr);
  TemporaryFiles::removeAll();

  // Ended by the signal itself, so that the parent (a shell stopping a loop
  // on Ctrl-C, say) sees it. It stays pending while this handler blocks it.
  struct sigaction fallback = {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(signo, &fallback, nullptr);
  raise(signo);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signo);
  sigprocmask(SIG_UNBLOCK, &only, nullptr);
  _exit(128 + signo);
}

// The kernel kills a process at its hard CPU limit and sends SIGXCPU only at a
// soft limit below it: with the two equal, as `ulimit -t` sets them, a run
// would die with its temporary files. It sends itself SIGXCPU shortly before.
void warnBeforeTheCpuLimit() {
  rlimit cpu;
  if (getrlimit(RLIMIT_CPU, &cpu) != 0 || cpu.rlim_max == RLIM_INFINITY || cpu.rlim_cur < cpu.rlim_max) return;
  const long long limit = static_cast<long long>(std::min<rlim_t>(cpu.rlim_max, 1ull << 32)) * 1000000000ll;
  // Well above the kernel's tick, at which both the limit and the timer are checked.
  const long long early = std::min(250000000ll, limit / 4);
  const long long at = std::max(1ll, limit - early);
  sigevent event = {};
  event.sigev_notify = SIGEV_SIGNAL;
  event.sigev_signo = SIGXCPU;
  timer_t timer;
  if (timer_create(CLOCK_PROCESS_CPUTIME_ID, &event, &timer) != 0) return;
  itimerspec when = {};
  when.it_value.tv_sec = static_cast<time_t>(at / 1000000000ll);
  when.it_value.tv_nsec = static_cast<long>(at % 1000000000ll);
  // Absolute: the limit counts the CPU time the process had before exec too.
  timer_settime(timer, TIMER_ABSTIME, &when, nullptr);
}

}  // namespace

const std::vector<int>& ending() {
  static const std::vector<int> signals = [] {
    std::vector<int> s = {SIGHUP,    SIGINT,  SIGQUIT, SIGTERM, SIGUSR1, SIGUSR2,  SIGALRM,
                          SIGVTALRM, SIGPROF, SIGXCPU, SIGPOLL, SIGPWR,  SIGSTKFLT};
    for (int signo = SIGRTMIN; signo <= SIGRTMAX; ++signo) s.push_back(signo);
    return s;
  }();
  return signals;
}

void install() {
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, nullptr);
  sigaction(SIGXFSZ, &ignore, nullptr);

  // The handler never returns; on its thread the other ending signals wait meanwhile.
  struct sigaction end = {};
  end.sa_handler = endRun;
  end.sa_mask = endingSet();
  bool cpuLimitCaught = false;
  for (int signo : ending()) {
    struct sigaction before;
    if (sigaction(signo, nullptr, &before) != 0 || before.sa_handler == SIG_IGN) continue;
    if (sigaction(signo, &end, nullptr) == 0 && signo == SIGXCPU) cpuLimitCaught = true;
  }
  if (cpuLimitCaught) warnBeforeTheCpuLimit();
}

Deferral::Deferral() {
  pthread_sigmask(SIG_BLOCK, &endingSet(), &m_before);
  deferrals.fetch_add(1);
  if (endingRun.load()) {
    // A handler on another thread is ending the run and may be removing the
    // noted files right now: nothing more is created or renamed.
    deferrals.fetch_sub(1);
    waitForTheEnd();
  }
}

Deferral::~Deferral() {
  deferrals.fetch_sub(1);
  pthread_sigmask(SIG_SETMASK, &m_before, nullptr);
}

}  // namespace RunSignals
