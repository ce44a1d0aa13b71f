#pragma once
// The signals that would otherwise end a run abruptly, half-way through a file.

namespace RunSignals {

// For the whole process; call it before any temporary file is opened.
// SIGPIPE and SIGXFSZ are ignored: a console that has gone away and a file
// past the size limit make the write fail, which the run reports as for a full
// disk. SIGTERM, SIGHUP and SIGINT remove the run's temporary files
// (TemporaryFiles) and end the process with status 128 + the signal's number.
// A signal that the program was started with ignored stays ignored, as nohup
// and background jobs expect.
void install();

}  // namespace RunSignals
