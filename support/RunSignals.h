#pragma once
// The signals that would otherwise end a run abruptly, half-way through a file.
#include <signal.h>

#include <vector>

namespace RunSignals {

// The signals whose default action ends the process and that a run can catch:
// HUP, INT, QUIT, TERM, USR1, USR2, ALRM, VTALRM, PROF, XCPU, POLL, PWR,
// STKFLT and the real-time signals. A crash (SEGV, BUS, ILL, ABRT, FPE, SYS,
// TRAP) and SIGKILL are not among them.
const std::vector<int>& ending();

// For the whole process; call it before any temporary file is opened.
// SIGPIPE and SIGXFSZ are ignored: a console that has gone away and a file
// past the size limit make the write fail, which the run reports as for a full
// disk. An ending signal removes the run's temporary files (TemporaryFiles)
// and then ends the process by that same signal, as its default action would:
// a shell running the program in a loop sees that it was interrupted, and
// stops too. A signal that the program was started with ignored stays
// ignored, as nohup and background jobs expect.
// Under a CPU time limit whose soft and hard values are one (`ulimit -t`), the
// kernel kills the process at the limit without a SIGXCPU first; the run
// sends itself SIGXCPU a little before that, so as to end cleanly.
void install();

// Held while the table of temporary names and the disk may disagree: from
// noting a name until its file exists (or the name is forgotten after a failed
// create), and from renaming or removing a file until its name is forgotten.
// Meanwhile the ending signals are blocked on this thread, and a handler
// running on another thread waits before it removes the noted files; so a
// handler never removes a file of that name that this run did not create.
class Deferral {
 public:
  Deferral();
  ~Deferral();
  Deferral(const Deferral&) = delete;
  Deferral& operator=(const Deferral&) = delete;

 private:
  sigset_t m_before;
};

}  // namespace RunSignals
