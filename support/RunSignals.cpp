#include "support/RunSignals.h"

#include <signal.h>
#include <unistd.h>

#include "support/TemporaryFiles.h"

namespace RunSignals {

namespace {

const int kEnding[] = {SIGTERM, SIGHUP, SIGINT};

extern "C" void endRun(int signo) {
  TemporaryFiles::removeAll();
  _exit(128 + signo);
}

}  // namespace

void install() {
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, nullptr);
  sigaction(SIGXFSZ, &ignore, nullptr);

  // The handler never returns; on its thread the other two wait meanwhile.
  struct sigaction end = {};
  end.sa_handler = endRun;
  sigemptyset(&end.sa_mask);
  for (int signo : kEnding) sigaddset(&end.sa_mask, signo);
  for (int signo : kEnding) {
    struct sigaction before;
    if (sigaction(signo, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    sigaction(signo, &end, nullptr);
  }
}

}  // namespace RunSignals
