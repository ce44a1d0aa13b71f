#include "graphlib/base/stack_trace.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "ProcessRunner.h"
#include "graphlib/base/error.h"
#include "graphlib/base/random_source.h"

// Functions whose names the in-process trace and lookup must show.
namespace trace_probe {

volatile int sink = 0;

// Internal linkage: only the executable's own symbol table can name it.
__attribute__((noinline)) static void hidden_function() { sink = sink + 1; }

__attribute__((noinline)) std::string traced_here() {
  std::ostringstream out;
  graphlib::trace_stack(out);
  sink = sink + 1;
  return out.str();
}

}  // namespace trace_probe

namespace {

using graphlib::symbol_entry;
using graphlib::symbol_table;
using testing_support::TempDir;

// "#NN at 0x<at least 8 hex digits> in <name>", numbered from 0 with at least two digits.
bool parseFrame(const std::string& line, int& number, std::string& name) {
  size_t i = 0;
  if (line.empty() || line[i++] != '#') return false;
  size_t digits = i;
  while (i < line.size() && std::isdigit(static_cast<unsigned char>(line[i]))) i++;
  if (i - digits < 2) return false;
  number = std::stoi(line.substr(digits, i - digits));
  if (line.compare(i, 6, " at 0x") != 0) return false;
  i += 6;
  size_t hex = i;
  while (i < line.size() && std::isxdigit(static_cast<unsigned char>(line[i])) && !std::isupper(line[i])) i++;
  if (i - hex < 8) return false;
  if (line.compare(i, 4, " in ") != 0) return false;
  name = line.substr(i + 4);
  return true;
}

// The frame names of a trace: the frame lines, then one empty line.
std::vector<std::string> frameNames(const std::vector<std::string>& lines) {
  std::vector<std::string> names;
  EXPECT_FALSE(lines.empty());
  if (lines.empty()) return names;
  EXPECT_EQ(lines.back(), "") << "the trace ends with an empty line";
  for (size_t i = 0; i + 1 < lines.size(); i++) {
    int number = -1;
    std::string name;
    EXPECT_TRUE(parseFrame(lines[i], number, name)) << lines[i];
    EXPECT_EQ(number, static_cast<int>(i)) << "consecutive from #00";
    names.push_back(name);
  }
  return names;
}

// Every name of expected appears in names, in that order, the first within
// the first few frames (a sanitizer adds a frame of its own in front).
void expectInOrder(const std::vector<std::string>& names, const std::vector<std::string>& expected,
                   const std::string& trace) {
  size_t at = 0;
  for (const std::string& want : expected) {
    while (at < names.size() && names[at] != want) at++;
    ASSERT_LT(at, names.size()) << "no frame " << want << " in order in\n" << trace;
    if (&want == &expected.front()) {
      EXPECT_LE(at, 1u) << trace;
    }
  }
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

TEST(StackTrace, FrameLine) {
  EXPECT_EQ(graphlib::frame_line(3, reinterpret_cast<void*>(0x1234), "f"), "#03 at 0x00001234 in f");
  EXPECT_EQ(graphlib::frame_line(0, reinterpret_cast<void*>(0x7fffd1e2a3b4c5d6), "g"), "#00 at 0x7fffd1e2a3b4c5d6 in g");
  EXPECT_EQ(graphlib::frame_line(123, nullptr, ""), "#123 at 0x00000000 in ");
  std::string longName(2000, 'x');
  std::string line = graphlib::frame_line(7, reinterpret_cast<void*>(0xabc), longName.c_str());
  EXPECT_EQ(line, "#07 at 0x00000abc in " + longName);
  EXPECT_EQ(graphlib::frame_line(1, nullptr, "100% %s %n"), "#01 at 0x00000000 in 100% %s %n");
}

// Addresses of different lengths: ordered as numbers, "20" comes before "100".
TEST(StackTrace, LookupInANumericallyOrderedTable) {
  symbol_table L{{100, 0, "a"}, {20, 0, "b"}};
  graphlib::sort_name_list(L);
  ASSERT_EQ(L[0].name, "b");
  const struct {
    unsigned long addr;
    const char* name;
  } rows[] = {{19, ""}, {20, "b"}, {50, "b"}, {99, "b"}, {100, "a"}, {1000000000, "a"}};
  for (const auto& r : rows) EXPECT_EQ(graphlib::find_function(L, r.addr), r.name) << r.addr;

  // A known extent ends the symbol: the gap after it belongs to no function.
  symbol_table S{{200, 16, "sized"}, {20, 10, "small"}, {100, 0, "open"}};
  graphlib::sort_name_list(S);
  EXPECT_EQ(graphlib::find_function(S, 29), "small");
  EXPECT_EQ(graphlib::find_function(S, 30), "");
  EXPECT_EQ(graphlib::find_function(S, 150), "open");
  EXPECT_EQ(graphlib::find_function(S, 215), "sized");
  EXPECT_EQ(graphlib::find_function(S, 216), "");
  EXPECT_EQ(graphlib::find_function(symbol_table(), 50), "");
}

TEST(StackTrace, OwnSymbolTableNamesStaticFunctions) {
  symbol_table L;
  ASSERT_TRUE(graphlib::get_name_list(L));
  ASSERT_FALSE(L.empty());
  for (size_t i = 1; i < L.size(); i++) ASSERT_LE(L[i - 1].address, L[i].address);
  // The running address of a function of this file is named right after
  // the load offset is taken off.
  const void* addr = reinterpret_cast<const void*>(&trace_probe::hidden_function);
  EXPECT_EQ(std::string(graphlib::cplus_filter(graphlib::find_function(static_cast<const char*>(addr) + 1).c_str()).chars()),
            "trace_probe::hidden_function()");
  int local = 0;
  EXPECT_EQ(graphlib::find_function(&local), "") << "a stack address is in no function";
}

TEST(StackTrace, Demangling) {
  EXPECT_EQ(std::string(graphlib::cplus_filter("_ZN11trace_probe12outer_callerEi").chars()),
            "trace_probe::outer_caller(int)");
  EXPECT_EQ(std::string(graphlib::cplus_filter("main").chars()), "main");
  EXPECT_EQ(std::string(graphlib::cplus_filter("").chars()), "");
  EXPECT_EQ(std::string(graphlib::cplus_filter("_Z'; touch x'").chars()), "_Z'; touch x'");
}

TEST(StackTrace, ExecutableName) {
  std::string name = graphlib::get_exec_name().chars();
  ASSERT_FALSE(name.empty());
  EXPECT_EQ(name[0], '/');
  char buffer[4096];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  ASSERT_GT(n, 0);
  EXPECT_EQ(name, std::string(buffer, static_cast<size_t>(n)));
}

TEST(StackTrace, InProcessTraceNamesItsCallers) {
  std::string trace = trace_probe::traced_here();
  std::vector<std::string> names = frameNames(lines_of(trace));
  expectInOrder(names,
                {"graphlib::trace_stack(char**)", "graphlib::trace_stack(std::ostream&)",
                 "trace_probe::traced_here[abi:cxx11]()"},
                trace);

  char* frames[graphlib::max_trace_frames];
  int n = graphlib::trace_stack(frames);
  ASSERT_GE(n, 2);
  bool raw = false;
  for (int i = 0; i < n; i++) {
    raw = raw || std::string(frames[i]).find(" in _ZN8graphlib11trace_stackEPPc") != std::string::npos;
    delete[] frames[i];
  }
  EXPECT_TRUE(raw) << "frame lines hold the symbol names as found";
}

int entriesOf(const std::string& dir) {
  int n = 0;
  if (DIR* d = opendir(dir.c_str())) {
    while (struct dirent* e = readdir(d))
      if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) n++;
    closedir(d);
  }
  return n;
}

// "<dir>/L" and at least eight lower-case hexadecimal digits.
bool isTmpName(const std::string& name, const std::string& dir) {
  std::string head = dir + "/L";
  if (name.compare(0, head.size(), head) != 0) return false;
  std::string digits = name.substr(head.size());
  return digits.size() >= 8 && digits.find_first_not_of("0123456789abcdef") == std::string::npos;
}

class TmpdirSetting {
 public:
  TmpdirSetting() : m_had(std::getenv("TMPDIR") != nullptr), m_old(m_had ? std::getenv("TMPDIR") : "") {}
  ~TmpdirSetting() {
    if (m_had)
      setenv("TMPDIR", m_old.c_str(), 1);
    else
      unsetenv("TMPDIR");
  }

 private:
  bool m_had;
  std::string m_old;
};

TEST(StackTrace, TemporaryFileNames) {
  TmpdirSetting restore;
  TempDir tmp;
  const std::string dir = tmp.path() + "/it's a b;touch pwned 100%s";
  ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
  setenv("TMPDIR", (dir + "/").c_str(), 1);
  std::string first = graphlib::tmp_file_name().chars();
  std::string second = graphlib::tmp_file_name().chars();
  EXPECT_TRUE(isTmpName(first, dir)) << first << ": one trailing '/' is dropped";
  EXPECT_TRUE(isTmpName(second, dir)) << second;
  EXPECT_NE(first, second);
  // The name is taken at once: an empty private file, not a link someone planted.
  struct stat st;
  ASSERT_EQ(lstat(first.c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(st.st_size, 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(entriesOf(dir), 2);
  EXPECT_FALSE(tmp.exists("pwned"));

  setenv("TMPDIR", "/nonexistent-quorvalin-dir/", 1);
  std::string nowhere = graphlib::tmp_file_name().chars();
  EXPECT_TRUE(isTmpName(nowhere, "/nonexistent-quorvalin-dir")) << nowhere;

  unsetenv("TMPDIR");
  std::string standard = graphlib::tmp_file_name().chars();
  EXPECT_TRUE(isTmpName(standard, "/tmp")) << standard;
  unlink(standard.c_str());
}

testing_support::ProcessResult runTraceProbe(const std::string& argv0, const std::string& scenario,
                                             const std::string& workDir, const std::string& tmpdir) {
  // Sanitizer builds: the library's own signal handling is under test.
  return testing_support::runProcess({argv0, scenario}, workDir,
                                     {{"TMPDIR", tmpdir},
                                      {"PATH", ""},
                                      {"ASAN_OPTIONS", "handle_segv=0:detect_leaks=0"}});
}


void expectFatalTrace(const testing_support::ProcessResult& r, const std::string& message) {
  EXPECT_EQ(r.termSignal, SIGABRT);
  EXPECT_EQ(r.out, "");
  const std::string head = "\nGRAPHLIB ERROR HANDLER\n\t" + message + "\n\n";
  ASSERT_EQ(r.err.substr(0, head.size()), head) << r.err;
  std::string trace = r.err.substr(head.size());
  std::vector<std::string> names = frameNames(lines_of(trace));
  ASSERT_GE(names.size(), 6u) << trace;
  // Innermost first: the trace itself, the handler, then the callers in the
  // order they were called.
  expectInOrder(names,
                {"graphlib::trace_stack(char**)", "graphlib::default_error_handler(int, char const*)",
                 "trace_probe::innermost_caller(bool)", "trace_probe::middle_caller(bool)",
                 "trace_probe::hidden_caller(bool)", "trace_probe::outer_caller(bool)", "main"},
                r.err);
}

TEST(StackTrace, FatalErrorInAChildPrintsTheReportThenTheTraceThenAborts) {
  TempDir tmp;
  // A shell would run the command hidden in this directory name.
  const std::string hostile = tmp.path() + "/a b;touch " + tmp.path() + "/pwned";
  expectFatalTrace(runTraceProbe(GRAPHLIB_TRACE_PROBE, "error", "", hostile), "deliberate failure");
  EXPECT_FALSE(tmp.exists("pwned"));
  EXPECT_EQ(entriesOf(tmp.path()), 0) << "no temporary file is left behind";
}

// Started by a relative path, as "./quorvalin" would be, with an empty "PATH".
TEST(StackTrace, FatalErrorInAChildStartedByARelativePath) {
  std::string exe = GRAPHLIB_TRACE_PROBE;
  std::string dir = exe.substr(0, exe.rfind('/'));
  std::string leaf = exe.substr(exe.rfind('/') + 1);
  TempDir tmp;
  expectFatalTrace(runTraceProbe("./" + leaf, "error", dir, tmp.path()), "deliberate failure");
}

// The trace from inside the library's signal handler still names the
// function that faulted and its callers.
TEST(StackTrace, CaughtFaultInAChildIsTracedToTheFaultingFunction) {
  TempDir tmp;
  expectFatalTrace(runTraceProbe(GRAPHLIB_TRACE_PROBE, "segv", "", tmp.path()), "System Error: Segmentation violation.");
}

}  // namespace
