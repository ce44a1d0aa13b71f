#include "support/WholeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "support/RunSignals.h"
#include "support/TemporaryFiles.h"

namespace WholeFile {

void (*stepHookForTests)(const char* step, const std::string& temporary) = nullptr;

namespace {

void step(const char* what, const std::string& temporary) {
  if (stepHookForTests) stepHookForTests(what, temporary);
}

}  // namespace

std::string open(std::ofstream& stream, const std::string& path) {
  // A folder of that name could never be replaced: refused now, not after the writing.
  struct stat existing;
  if (::stat(path.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) return std::string();
  // Created exclusively, so a file of that name left by another run is never
  // overwritten; mode 0666 lets the umask decide as for any new file.
  const std::string base = path + "." + std::to_string(static_cast<long>(getpid()));
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = base + (attempt ? "-" + std::to_string(attempt) : std::string()) + ".tmp";
    int fd;
    int error = 0;
    {
      // A stop between noting the name and a failed create would remove a
      // file of that name that is not this run's: a leftover of a dead run
      // that had the same pid, or one of a run in another pid namespace.
      const RunSignals::Deferral deferral;
      TemporaryFiles::add(name);
      fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd < 0) {
        error = errno;
        step("not created", name);
        TemporaryFiles::forget(name);
      } else {
        step("created", name);
      }
    }
    if (fd < 0) {
      if (error == EEXIST) continue;
      return std::string();
    }
    ::close(fd);
    stream.open(name, std::ios::out | std::ios::trunc);
    if (stream.is_open()) return name;
    discard(name);
    return std::string();
  }
  return std::string();
}

Outcome commit(std::ofstream& stream, const std::string& temporary, const std::string& path) {
  stream.close();
  if (stream.fail()) {
    discard(temporary);
    return Outcome::WriteFailed;
  }
  {
    // Once renamed, the name is free for another run's file until forgotten.
    const RunSignals::Deferral deferral;
    if (std::rename(temporary.c_str(), path.c_str()) == 0) {
      step("renamed", temporary);
      TemporaryFiles::forget(temporary);
      return Outcome::Written;
    }
  }
  discard(temporary);
  return Outcome::NotRenamed;
}

void discard(const std::string& temporary) {
  const RunSignals::Deferral deferral;
  std::remove(temporary.c_str());
  step("removed", temporary);
  TemporaryFiles::forget(temporary);
}

}  // namespace WholeFile
