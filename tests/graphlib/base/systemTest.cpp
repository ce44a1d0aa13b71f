#include "graphlib/base/system.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ProcessRunner.h"
#include "RecordingErrorHandler.h"

namespace {

using graphlib::list;
using testing_support::GraphlibError;
using testing_support::RecordingErrorHandler;
using testing_support::TempDir;

std::set<std::string> names(const list<graphlib::string>& L) {
  std::set<std::string> out;
  for (graphlib::dlink* it = L.first(); it; it = L.succ(it)) out.insert(L.contents(it).chars());
  return out;
}

std::string text(const graphlib::string& s) { return s.chars(); }

// Standard input from a text, standard output into a string, for one scope.
class Console {
 public:
  explicit Console(const std::string& input)
      : m_in(input), m_oldIn(std::cin.rdbuf(m_in.rdbuf())), m_oldOut(std::cout.rdbuf(m_out.rdbuf())) {
    std::cin.clear();
  }
  ~Console() {
    std::cin.rdbuf(m_oldIn);
    std::cout.rdbuf(m_oldOut);
    std::cin.clear();
  }
  std::string output() const { return m_out.str(); }

 private:
  std::istringstream m_in;
  std::ostringstream m_out;
  std::streambuf* m_oldIn;
  std::streambuf* m_oldOut;
};

// Runs f in a child that must end by itself within a few seconds.
#define EXPECT_ENDS_WITH(value_check, body)                                   \
  EXPECT_EXIT(                                                                \
      {                                                                       \
        alarm(5);                                                             \
        body;                                                                 \
        _exit((value_check) ? 0 : 3);                                         \
      },                                                                      \
      ::testing::ExitedWithCode(0), "")

// Names that a shell would split, expand or take for an option.
const char* const awkward_names[] = {"a b", "it's", "say \"hi\"", "100%", "%s%n", "-rf", "x;touch pwned", "$(id)"};

class CurrentDirectory {
 public:
  CurrentDirectory() : m_saved(graphlib::get_directory()) {}
  ~CurrentDirectory() {
    if (chdir(m_saved.chars()) != 0) ADD_FAILURE() << "cannot return to " << m_saved;
  }

 private:
  graphlib::string m_saved;
};

TEST(Utilities, FirstFileInPath) {
  TempDir tmp;
  for (const char* d : {"d1", "d2", "with blank", "other"}) mkdir(tmp.file(d).c_str(), 0777);
  tmp.write("d2/only2", "");
  tmp.write("d1/both", "");
  tmp.write("d2/both", "");
  tmp.write("with blank/f", "");
  tmp.write("here", "");
  mkdir(tmp.file("d1/adir").c_str(), 0777);
  mkdir(tmp.file("d2/adir").c_str(), 0777);
  const std::string d1 = tmp.file("d1"), d2 = tmp.file("d2"), blank = tmp.file("with blank");
  const struct {
    std::string fname, path, expected;
  } rows[] = {
      {"only2", d1 + ":" + d2, d2 + "/only2"},
      {"both", d1 + ":" + d2, d1 + "/both"},
      {"both", d2 + ":" + d1, d2 + "/both"},
      {"both", "", ""},
      {"f", d1 + ":" + blank, blank + "/f"},
      {"missing", d1 + ":" + d2, ""},
      {"adir", d1 + ":" + d2, ""},
      {"here", d1 + "::" + d2, "./here"},
      {"here", d1 + ":", "./here"},
  };
  CurrentDirectory restore;
  ASSERT_EQ(chdir(tmp.path().c_str()), 0);
  for (const auto& r : rows)
    EXPECT_EQ(text(graphlib::first_file_in_path(r.fname.c_str(), r.path.c_str(), ':')), r.expected)
        << r.fname << " in " << r.path;
  EXPECT_EQ(text(graphlib::first_file_in_path("f", (d1 + ";" + blank).c_str(), ';')), blank + "/f");
}

TEST(Utilities, FilesAndDirectoriesWithAwkwardNames) {
  TempDir tmp;
  for (const char* n : awkward_names) {
    std::string dir = tmp.file(std::string("dir ") + n);
    EXPECT_TRUE(graphlib::create_directory(dir.c_str())) << n;
    EXPECT_TRUE(graphlib::is_directory(dir.c_str())) << n;
    EXPECT_FALSE(graphlib::create_directory(dir.c_str())) << "exists already: " << n;

    std::string file = tmp.file(n);
    tmp.write(n, "12345");
    EXPECT_TRUE(graphlib::is_file(file.c_str())) << n;
    EXPECT_FALSE(graphlib::is_directory(file.c_str())) << n;
    EXPECT_EQ(graphlib::size_of_file(file.c_str()), 5) << n;
    EXPECT_FALSE(graphlib::create_directory(file.c_str())) << "a file of that name exists: " << n;
  }
  std::set<std::string> before = names(graphlib::get_entries(tmp.path().c_str()));
  for (const char* n : awkward_names) {
    EXPECT_TRUE(graphlib::delete_file(tmp.file(n).c_str())) << n;
    EXPECT_FALSE(tmp.exists(n)) << n;
  }
  std::set<std::string> after = names(graphlib::get_entries(tmp.path().c_str()));
  for (const char* n : awkward_names) before.erase(n);
  EXPECT_EQ(after, before) << "exactly the named files are gone, nothing else appeared";
  EXPECT_FALSE(tmp.exists("pwned"));
  struct stat st;
  EXPECT_NE(stat("pwned", &st), 0);
}

TEST(Utilities, DeleteFileReportsWhetherTheFileIsGone) {
  TempDir tmp;
  EXPECT_TRUE(graphlib::delete_file(tmp.file("never there").c_str()));
  mkdir(tmp.file("sub").c_str(), 0777);
  EXPECT_FALSE(graphlib::delete_file(tmp.file("sub").c_str())) << "a directory is not removed";
  EXPECT_TRUE(graphlib::is_directory(tmp.file("sub").c_str()));
  tmp.write("target", "t");
  ASSERT_EQ(symlink(tmp.file("target").c_str(), tmp.file("link").c_str()), 0);
  EXPECT_TRUE(graphlib::is_link(tmp.file("link").c_str()));
  EXPECT_FALSE(graphlib::is_link(tmp.file("target").c_str()));
  EXPECT_TRUE(graphlib::delete_file(tmp.file("link").c_str()));
  EXPECT_TRUE(tmp.exists("target")) << "removing a link leaves its target";
}

TEST(Utilities, SizeOfFile) {
  TempDir tmp;
  tmp.write("empty", "");
  EXPECT_EQ(graphlib::size_of_file(tmp.file("empty").c_str()), 0);
  // A sparse file past 2 GiB: the size must not wrap.
  int fd = open(tmp.file("big").c_str(), O_CREAT | O_WRONLY, 0600);
  ASSERT_GE(fd, 0);
  const long big = 3L << 30;
  ASSERT_EQ(ftruncate(fd, big), 0);
  close(fd);
  EXPECT_EQ(graphlib::size_of_file(tmp.file("big").c_str()), big);

  RecordingErrorHandler errors;
  EXPECT_EQ(errors.raisedBy([&] { graphlib::size_of_file(tmp.file("none").c_str()); }),
            (GraphlibError{1, "size_of_file: file does no exist"}));
}

TEST(Utilities, DirectoryListings) {
  TempDir tmp;
  tmp.write(".hidden", "");
  tmp.write("a.txt", "");
  tmp.write("b 100%.txt", "");
  tmp.write("c.dat", "");
  mkdir(tmp.file("sub").c_str(), 0777);
  mkdir(tmp.file("sub.txt").c_str(), 0777);
  const char* dir = tmp.path().c_str();
  using S = std::set<std::string>;
  EXPECT_EQ(names(graphlib::get_entries(dir)), (S{".", "..", ".hidden", "a.txt", "b 100%.txt", "c.dat", "sub", "sub.txt"}));
  EXPECT_EQ(names(graphlib::get_files(dir)), (S{".hidden", "a.txt", "b 100%.txt", "c.dat"}));
  EXPECT_EQ(names(graphlib::get_files(dir, "*")), (S{".hidden", "a.txt", "b 100%.txt", "c.dat"}));
  EXPECT_EQ(names(graphlib::get_files(dir, "*.txt")), (S{"a.txt", "b 100%.txt"}));
  EXPECT_EQ(names(graphlib::get_directories(dir)), (S{".", "..", "sub", "sub.txt"}));

  list<graphlib::string> L;
  L.append("stale");
  graphlib::read_directory(dir, 0, L, "*.dat");
  EXPECT_EQ(names(L), (S{"c.dat"})) << "the list is cleared first";

  RecordingErrorHandler errors(RecordingErrorHandler::Mode::Return);
  std::string notDir = tmp.file("a.txt");
  graphlib::read_directory(notDir.c_str(), 0, L, nullptr);
  EXPECT_TRUE(L.empty());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors.last(), (GraphlibError{1, "read_directory: " + notDir + " is not a directory."}));
}

TEST(Utilities, WorkingDirectory) {
  TempDir tmp;
  CurrentDirectory restore;
  graphlib::string start = graphlib::get_directory();
  // Deeper than any fixed 256-byte buffer.
  std::string deep = tmp.path();
  for (int i = 0; i < 8; i++) {
    deep += "/" + std::string(40, static_cast<char>('a' + i)) + " %d";
    ASSERT_EQ(mkdir(deep.c_str(), 0777), 0);
  }
  EXPECT_EQ(text(graphlib::set_directory(deep.c_str())), text(start));
  EXPECT_EQ(text(graphlib::get_directory()), deep);

  RecordingErrorHandler errors(RecordingErrorHandler::Mode::Return);
  std::string bogus = tmp.file("no %s such");
  EXPECT_EQ(text(graphlib::set_directory(bogus.c_str())), deep) << "the previous directory, also on error";
  EXPECT_EQ(text(graphlib::get_directory()), deep);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors.last(), (GraphlibError{1, "set_directory: " + bogus + " is not a directory."}));
}

TEST(Utilities, ClockAndEnvironment) {
  EXPECT_EQ(graphlib::time_string().length(), 24);
  // "Wed Jun 30 21:49:08 1993"
  std::string now = text(graphlib::time_string());
  ASSERT_EQ(now.size(), 24u);
  EXPECT_TRUE(std::isupper(now[0]) && std::isupper(now[4])) << now;
  for (size_t i : {3u, 7u, 19u}) EXPECT_EQ(now[i], ' ') << now;
  for (size_t i : {13u, 16u}) EXPECT_EQ(now[i], ':') << now;
  for (size_t i : {9u, 11u, 12u, 14u, 15u, 17u, 18u, 20u, 21u, 22u, 23u}) EXPECT_TRUE(std::isdigit(now[i])) << now;
  int y, mo, d, h, mi, s;
  graphlib::get_time(y, mo, d, h, mi, s);
  EXPECT_GE(y, 2024);
  EXPECT_TRUE(mo >= 1 && mo <= 12 && d >= 1 && d <= 31 && h >= 0 && h < 24 && mi >= 0 && mi < 60 && s >= 0 && s <= 60);

  std::string saved = std::getenv("HOME") ? std::getenv("HOME") : "";
  bool hadHome = std::getenv("HOME") != nullptr;
  unsetenv("HOME");
  EXPECT_EQ(text(graphlib::get_home_directory()), "/tmp");
  EXPECT_FALSE(graphlib::get_environment("HOME"));
  graphlib::string value = "untouched";
  EXPECT_FALSE(graphlib::get_environment("HOME", value));
  EXPECT_EQ(text(value), "untouched");
  setenv("HOME", "/home/some one", 1);
  EXPECT_EQ(text(graphlib::get_home_directory()), "/home/some one");
  EXPECT_TRUE(graphlib::get_environment("HOME", value));
  EXPECT_EQ(text(value), "/home/some one");
  if (hadHome)
    setenv("HOME", saved.c_str(), 1);
  else
    unsetenv("HOME");

  int argc = 5;
  char* dummy = nullptr;
  char** argv = &dummy;
  graphlib::get_command_line(argc, argv);
  EXPECT_EQ(argc, 0);
  EXPECT_EQ(argv, nullptr);

  Console console("");
  graphlib::print_time("run");
  std::string printed = console.output();
  const std::string head = "run time = ", tail = " sec\n";
  ASSERT_GT(printed.size(), head.size() + tail.size() + 3) << printed;
  EXPECT_EQ(printed.substr(0, head.size()), head);
  EXPECT_EQ(printed.substr(printed.size() - tail.size()), tail);
  std::string number = printed.substr(head.size(), printed.size() - head.size() - tail.size());
  EXPECT_EQ(number[number.size() - 3], '.') << "two decimals: " << number;
  EXPECT_EQ(number.find_first_not_of("0123456789."), std::string::npos) << number;
}

TEST(Utilities, MessageBox) {
  std::ostringstream err;
  std::streambuf* old = std::cerr.rdbuf(err.rdbuf());
  graphlib::message_box("disk full", "Error");
  std::cerr.rdbuf(old);
  EXPECT_EQ(err.str(), "Error: disk full\n");
}

TEST(Utilities, PowerStatusLine) {
  const struct {
    const char* line;
    bool ok;
    int ac, percent, minutes;
  } rows[] = {
      {"1.16 1.2 0x03 0x01 0x00 0x01 50% 119 sec", true, 1, 50, 1},
      {"1.16 1.2 0x03 0x00 0x00 0x01 75% 42 min\n", true, 0, 75, 42},
      {"1.16 1.2 0x03 0x01 0x00 0x01 100% -1 ?", true, 1, 100, -1},
      {"1.16 1.2 0x03", false, -7, -7, -7},
      {"", false, -7, -7, -7},
      // Words far longer than the fields they are read into.
      {"1.16aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa 1.2 0x03 0x01 0x00 0x01 50% 1 sec", false, -7, -7,
       -7},
      {"1.16 1.2 0x03 0x01 0x00 0x01 50% 120 secondsssssssssssssssssssssssssssssssss", true, 1, 50, 120},
  };
  for (const auto& r : rows) {
    int ac = -7, percent = -7, minutes = -7;
    EXPECT_EQ(graphlib::apm_parse_status(r.line, ac, percent, minutes), r.ok) << r.line;
    EXPECT_EQ(ac, r.ac) << r.line;
    EXPECT_EQ(percent, r.percent) << r.line;
    EXPECT_EQ(minutes, r.minutes) << r.line;
  }
  if (access("/proc/apm", R_OK) != 0) {
    int ac = -7, percent = -7, minutes = -7;
    EXPECT_FALSE(graphlib::apm_get_status(ac, percent, minutes));
    EXPECT_EQ(ac + percent + minutes, -21) << "arguments untouched";
  }
}

TEST(Utilities, ReadIntRetriesOnBadInputAndSkipsTheRestOfTheLine) {
  Console console("abc\n42 xyz\nnext line\n");
  EXPECT_EQ(graphlib::read_int("? "), 42);
  EXPECT_EQ(console.output(), "? read_int: illegal input \"a\"\n? ");
  EXPECT_EQ(text(graphlib::read_string("> ")), "next line");
}

TEST(Utilities, ConsoleReads) {
  Console console("yes\n\nY\nno\nxyz\nq\n2.5 rest\n  -17\nword  and more\n");
  EXPECT_TRUE(graphlib::Yes());
  EXPECT_FALSE(graphlib::Yes());
  EXPECT_TRUE(graphlib::Yes());
  EXPECT_FALSE(graphlib::Yes());
  EXPECT_EQ(graphlib::read_char("c: "), 'x');
  EXPECT_EQ(graphlib::read_char(), 'q');
  EXPECT_EQ(graphlib::read_real("r: "), 2.5);
  EXPECT_EQ(graphlib::read_int(), -17);
  EXPECT_EQ(text(graphlib::read_string()), "word  and more");
  EXPECT_EQ(console.output(), "c: r: ");
}

TEST(Utilities, ConsoleReadsEndAtEndOfInput) {
  EXPECT_ENDS_WITH(v == 0, Console c(""); int v = graphlib::read_int("? "));
  EXPECT_ENDS_WITH(v == 0, Console c("abc"); int v = graphlib::read_int("? "));
  EXPECT_ENDS_WITH(v == 0, Console c("  \n \n"); int v = graphlib::read_int("? "));
  EXPECT_ENDS_WITH(v == '\0', Console c(""); char v = graphlib::read_char("? "));
  EXPECT_ENDS_WITH(!v, Console c(""); bool v = graphlib::Yes("? "));
  EXPECT_ENDS_WITH(v == 0, Console c(""); double v = graphlib::read_real("? "));
  EXPECT_ENDS_WITH(v.length() == 0, Console c(""); graphlib::string v = graphlib::read_string("? "));
}

TEST(Utilities, ReadLineAndSpaces) {
  std::istringstream in("first line\n\nlast");
  EXPECT_EQ(text(graphlib::read_line(in)), "first line");
  EXPECT_EQ(text(graphlib::read_line(in)), "");
  EXPECT_EQ(text(graphlib::read_line(in)), "last");
  std::istringstream skip("rest of this\nnext");
  graphlib::skip_line(skip);
  EXPECT_EQ(text(graphlib::read_line(skip)), "next");
  EXPECT_TRUE(graphlib::is_space(' '));
  EXPECT_TRUE(graphlib::is_space('\n'));
  EXPECT_FALSE(graphlib::is_space('x'));
  EXPECT_FALSE(graphlib::is_space(static_cast<char>(0xE9)));
}

// The program runs detached, so its end cannot be waited for: its file is.
// A minute is only the bound for a program that never writes it.
bool eventually_exists(const std::string& path) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  for (;;) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0) return true;
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

TEST(Utilities, CreateProcessRunsACommandLineWithoutAShell) {
  TempDir tmp;
  const std::string d = tmp.path();
  EXPECT_TRUE(graphlib::create_process(("touch '" + d + "/a b' \"" + d + "/it's\"").c_str()));
  EXPECT_TRUE(eventually_exists(d + "/a b"));
  EXPECT_TRUE(eventually_exists(d + "/it's"));
  // No shell: ';' and '$(...)' are plain characters of the argument.
  EXPECT_TRUE(graphlib::create_process(("touch " + d + "/x;touch").c_str()));
  EXPECT_TRUE(eventually_exists(d + "/x;touch"));
  EXPECT_TRUE(graphlib::create_process(("touch '" + d + "/$(id)'").c_str()));
  EXPECT_TRUE(eventually_exists(d + "/$(id)"));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(tmp.exists("x"));

  EXPECT_FALSE(graphlib::create_process("quorvalin-no-such-program-here"));
  EXPECT_FALSE(graphlib::create_process(""));
  EXPECT_FALSE(graphlib::create_process("   "));
}

}  // namespace
