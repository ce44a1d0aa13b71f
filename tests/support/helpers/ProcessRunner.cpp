#include "ProcessRunner.h"

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace testing_support {

namespace {

void drain(int fd, std::string& into, bool& open) {
  char buf[4096];
  ssize_t n = read(fd, buf, sizeof buf);
  if (n > 0) {
    into.append(buf, static_cast<size_t>(n));
  } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
    open = false;
  }
}

// Whether a thread of the process waits to write to a full pipe.
bool waitsOnAPipe(pid_t pid) {
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
  for (const std::string& task : filesIn(tasks)) {
    std::ifstream in(tasks + "/" + task + "/wchan");
    std::string where;
    // "pipe_write" or, on newer kernels, "anon_pipe_write"
    if (std::getline(in, where) && where.find("pipe_write") != std::string::npos) return true;
  }
  return false;
}

}  // namespace

void defaultSignals() {
  for (int signo = 1; signo < NSIG; ++signo) signal(signo, SIG_DFL);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
}

ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& workDir,
                         const std::vector<std::pair<std::string, std::string>>& env,
                         const std::string& stdinText, const ChildSetup& setup) {
  int outPipe[2], errPipe[2], inPipe[2];
  if (pipe(outPipe) != 0 || pipe(errPipe) != 0 || pipe(inPipe) != 0)
    throw std::runtime_error("pipe failed");

  std::vector<std::string> envStrings;
  for (char** e = environ; *e; ++e) {
    std::string entry(*e);
    bool replaced = false;
    for (const auto& kv : env)
      if (entry.compare(0, kv.first.size() + 1, kv.first + "=") == 0) replaced = true;
    if (!replaced) envStrings.push_back(entry);
  }
  for (const auto& kv : env) envStrings.push_back(kv.first + "=" + kv.second);
  std::vector<char*> envp;
  for (auto& s : envStrings) envp.push_back(&s[0]);
  envp.push_back(nullptr);
  std::vector<std::string> args(argv);
  std::vector<char*> cargv;
  for (auto& s : args) cargv.push_back(&s[0]);
  cargv.push_back(nullptr);

  // While the signal waits for a file, standard output is a pipe of one page
  // that filler fills but for the room asked for: the writes that fit go
  // through, and the first that does not fit waits until the pipe is read.
  const bool holdOutput = setup.signal != 0 && !setup.signalWhenFileStarts.empty();
  std::size_t filler = 0;
  if (holdOutput) {
    if (setup.stdoutUnread || setup.closeStdout || !setup.stdoutPath.empty())
      throw std::runtime_error("a signal on a file needs standard output on the pipe");
    const int capacity = fcntl(outPipe[1], F_SETPIPE_SZ, 1) < 0 ? -1 : fcntl(outPipe[1], F_GETPIPE_SZ);
    if (capacity <= 0 || setup.stdoutBytesBeforeSignal >= static_cast<std::size_t>(capacity))
      throw std::runtime_error("standard output cannot be held after " +
                               std::to_string(setup.stdoutBytesBeforeSignal) + " bytes");
    filler = static_cast<std::size_t>(capacity) - setup.stdoutBytesBeforeSignal;
    if (write(outPipe[1], std::string(filler, '.').data(), filler) != static_cast<ssize_t>(filler))
      throw std::runtime_error("pipe filler not written");
  }

  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    dup2(inPipe[0], 0);
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    close(inPipe[0]); close(inPipe[1]);
    close(outPipe[0]); close(outPipe[1]);
    close(errPipe[0]); close(errPipe[1]);
    if (setup.ownProcessGroup && setpgid(0, 0) != 0) _exit(127);
    if (!workDir.empty() && chdir(workDir.c_str()) != 0) _exit(127);
    if (!setup.stdoutPath.empty()) {
      const int fd = open(setup.stdoutPath.c_str(), O_WRONLY);
      if (fd < 0 || dup2(fd, 1) < 0) _exit(127);
      close(fd);
    }
    if (setup.closeStdout) close(1);
    defaultSignals();
    for (int signo : setup.ignoredSignals) signal(signo, SIG_IGN);
    for (const auto& limit : setup.limits) {
      const rlimit value = {static_cast<rlim_t>(limit.second), static_cast<rlim_t>(limit.second)};
      if (setrlimit(limit.first, &value) != 0) _exit(127);
    }
    execve(cargv[0], cargv.data(), envp.data());
    _exit(127);
  }
  // Set on both sides of the fork, so that the group exists whichever runs first.
  if (setup.ownProcessGroup) setpgid(pid, pid);
  const pid_t target = setup.ownProcessGroup ? -pid : pid;
  const std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
  close(inPipe[0]);
  close(outPipe[1]);
  close(errPipe[1]);
  if (setup.stdoutUnread) close(outPipe[0]);
  if (!stdinText.empty()) {
    ssize_t w = write(inPipe[1], stdinText.data(), stdinText.size());
    (void)w;
  }
  close(inPipe[1]);

  ProcessResult result;
  bool outOpen = !setup.stdoutUnread, errOpen = true;
  bool signalDue = setup.signal != 0;
  bool outputHeld = holdOutput;
  const auto fileThere = [&] {
    const std::vector<std::string> names = filesIn(workDir.empty() ? "." : workDir);
    return std::any_of(names.begin(), names.end(), [&](const std::string& name) {
      return name.compare(0, setup.signalWhenFileStarts.size(), setup.signalWhenFileStarts) == 0;
    });
  };
  int looks = 0;
  while (outOpen || errOpen) {
    // The pipes close when the child ends; until then it may be signalled,
    // looked at every 50 microseconds.
    if (signalDue && setup.signalWhenFileStarts.empty()) {
      if (std::chrono::steady_clock::now() - started >= std::chrono::microseconds(setup.signalAfterMicros)) {
        kill(target, setup.signal);  // a zombie at worst: it has not been waited for
        signalDue = false;
        result.signalSent = true;
      }
    } else if (signalDue && fileThere()) {
      kill(target, setup.signal);
      signalDue = false;
      result.signalSent = true;
      outputHeld = false;
    } else if (outputHeld && (!errOpen || (++looks % 200 == 0 && waitsOnAPipe(pid) && !fileThere()))) {
      // Ended, or waiting for the pipe without the file: the signal never comes.
      outputHeld = false;
      signalDue = false;
    }
    pollfd fds[2] = {{outOpen && !outputHeld ? outPipe[0] : -1, POLLIN, 0}, {errOpen ? errPipe[0] : -1, POLLIN, 0}};
    const timespec step = {0, 50000};
    if (ppoll(fds, 2, signalDue || outputHeld ? &step : nullptr, nullptr) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (outOpen && (fds[0].revents & (POLLIN | POLLHUP | POLLERR))) drain(outPipe[0], result.out, outOpen);
    if (errOpen && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))) drain(errPipe[0], result.err, errOpen);
  }
  result.out.erase(0, std::min(filler, result.out.size()));
  if (!setup.stdoutUnread) close(outPipe[0]);
  close(errPipe[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.termSignal = WTERMSIG(status);
  return result;
}

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string tmpl = std::string(base && *base ? base : "/tmp") + "/quorvalin-test-XXXXXX";
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
  m_path = buf.data();
}

namespace {
int removeEntry(const char* path, const struct stat*, int, struct FTW*) {
  chmod(path, 0700);
  return remove(path);
}
int unlockEntry(const char* path, const struct stat* sb, int type, struct FTW*) {
  if (type == FTW_D || type == FTW_DNR) chmod(path, sb->st_mode | 0700);
  return 0;
}
}  // namespace

TempDir::~TempDir() {
  nftw(m_path.c_str(), unlockEntry, 16, FTW_PHYS);
  nftw(m_path.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

void TempDir::write(const std::string& name, const std::string& content) const {
  writeFile(file(name), content);
}

std::string TempDir::read(const std::string& name) const { return readFile(file(name)); }

bool TempDir::exists(const std::string& name) const {
  struct stat sb;
  return stat(file(name).c_str(), &sb) == 0;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void writeFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path);
  out << content;
}

std::vector<std::string> filesIn(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* d = opendir(folder.c_str())) {
    while (const dirent* e = readdir(d)) {
      const std::string name = e->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> filesEndingIn(const std::string& folder, const std::string& suffix) {
  std::vector<std::string> names;
  for (const std::string& name : filesIn(folder))
    if (name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
      names.push_back(name);
  return names;
}

std::string withoutTimes(const std::string& text) {
  static const std::regex figure("[0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{2}");
  return std::regex_replace(text, figure, "<time>");
}

std::string testData(const std::string& name) { return std::string(QUORVALIN_TEST_DATA) + "/" + name; }

}  // namespace testing_support
