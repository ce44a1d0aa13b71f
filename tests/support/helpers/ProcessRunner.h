#pragma once
// Runs a program as a child process (no shell) and captures what it prints.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

struct ProcessResult {
  int exitStatus = -1;   // exit code, or -1 when the child did not exit normally
  int termSignal = 0;    // the signal that ended the child, 0 if it exited
  bool signalSent = false;  // whether ChildSetup::signal was sent
  std::string out;
  std::string err;
};

// Conditions the child starts under, set between fork and exec. Every signal
// starts with its default action and unblocked, whatever the test runner's.
struct ChildSetup {
  std::vector<std::pair<int, unsigned long>> limits;  // setrlimit resource and (soft and hard) limit
  std::vector<int> ignoredSignals;    // started ignored (SIGXFSZ: writes past RLIMIT_FSIZE fail with EFBIG)
  std::string stdoutPath;             // standard output opened on this file instead of the pipe
  bool closeStdout = false;           // standard output closed
  bool stdoutUnread = false;          // standard output a pipe whose reader has gone (`| head -c0`)
  bool ownProcessGroup = false;       // the child leads a process group of its own, which `signal` goes to

  // `signal` is sent to the child once it has run `signalAfterMicros`, or,
  // when `signalWhenFileStarts` is set, once a file whose name starts so
  // appears in the working folder; not at all when it ends before.
  int signal = 0;
  long signalAfterMicros = 0;
  std::string signalWhenFileStarts;
  // With signalWhenFileStarts: standard output takes this many bytes, and the
  // child's next write to it waits until the signal has been sent. A file the
  // child creates before that write is then certain to be there, unrenamed,
  // when the signal comes, however the machine schedules the two processes.
  // The child stopping in that write without the file is a fault of the test.
  std::size_t stdoutBytesBeforeSignal = 0;
};

// Every signal at its default action and unblocked, whatever this process was
// started with: as a child starts (the test runner may have some ignored).
void defaultSignals();

// argv[0] is the program path. The child runs in `workDir` (when not empty) with the
// given variables added to (or replacing those of) the current environment.
ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& workDir = "",
                         const std::vector<std::pair<std::string, std::string>>& env = {},
                         const std::string& stdinText = "", const ChildSetup& setup = ChildSetup());

// A fresh directory under the system temp dir, removed with its contents on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return m_path; }
  std::string file(const std::string& name) const { return m_path + "/" + name; }
  void write(const std::string& name, const std::string& content) const;
  std::string read(const std::string& name) const;
  bool exists(const std::string& name) const;

 private:
  std::string m_path;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);

// The names in a folder but "." and "..", sorted; none when it cannot be read.
std::vector<std::string> filesIn(const std::string& folder);

// The names in a folder that end in `suffix`, sorted.
std::vector<std::string> filesEndingIn(const std::string& folder, const std::string& suffix);

// The text with every timer figure (hh:mm:ss.cc), which varies from run to
// run, replaced by "<time>".
std::string withoutTimes(const std::string& text);

// Path of a file in the tests' data folder.
std::string testData(const std::string& name);

}  // namespace testing_support
