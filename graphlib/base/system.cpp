#include "graphlib/base/system.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>
#include <string>
#include <vector>

#include "graphlib/base/error.h"
#include "graphlib/base/options.h"

namespace graphlib {

void get_time(int& year, int& month, int& day, int& hours, int& minutes, int& seconds) {
  time_t now = time(nullptr);
  struct tm t;
  localtime_r(&now, &t);
  year = t.tm_year + 1900;
  month = t.tm_mon + 1;
  day = t.tm_mday;
  hours = t.tm_hour;
  minutes = t.tm_min;
  seconds = t.tm_sec;
}

string time_string() {
  time_t now = time(nullptr);
  char buffer[64] = "";
  if (ctime_r(&now, buffer) == nullptr) return string();
  size_t n = std::strlen(buffer);
  if (n > 0 && buffer[n - 1] == '\n') buffer[n - 1] = '\0';
  return string(buffer);
}

void print_time() {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, " time = %.2f sec", static_cast<double>(used_time()));
  std::cout << buffer << std::endl;
}

void print_time(string s) {
  std::cout << s;
  print_time();
}

void wait(double sec) { sleep(sec); }

bool get_environment(string name) { return std::getenv(name.chars()) != nullptr; }

bool get_environment(string name, string& value) {
  const char* v = std::getenv(name.chars());
  if (v == nullptr) return false;
  value = string(v);
  return true;
}

string get_home_directory() {
  const char* home = std::getenv("HOME");
  return string(home ? home : "/tmp");
}

bool is_directory(string name) {
  struct stat st;
  return stat(name.chars(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool is_file(string name) {
  struct stat st;
  return stat(name.chars(), &st) == 0 && S_ISREG(st.st_mode);
}

bool is_link(string name) {
  struct stat st;
  return lstat(name.chars(), &st) == 0 && S_ISLNK(st.st_mode);
}

long size_of_file(string name) {
  struct stat st;
  if (stat(name.chars(), &st) != 0) {
    std_error_handler(1, "size_of_file: file does no exist");
    return 0;
  }
  return static_cast<long>(st.st_size);
}

string get_directory() {
  // getcwd allocates as much as the path needs.
  char* cwd = getcwd(nullptr, 0);
  if (cwd == nullptr) return string();
  string result(cwd);
  std::free(cwd);
  return result;
}

string set_directory(string dir) {
  string previous = get_directory();
  if (!is_directory(dir)) {
    std_error_handler(1, string("set_directory: %s is not a directory.", dir).chars());
    return previous;
  }
  if (chdir(dir.chars()) != 0)
    std_error_handler(0, string("set_directory: cannot change to %s", dir).chars());
  return previous;
}

bool create_directory(string dir) {
  struct stat st;
  if (lstat(dir.chars(), &st) == 0) return false;
  mkdir(dir.chars(), 0777);
  return is_directory(dir);
}

bool delete_file(string name) {
  if (unlink(name.chars()) == 0) return true;
  return errno == ENOENT;
}

void read_directory(string dir, int kind, list<string>& L, const char* pattern) {
  L.clear();
  if (!is_directory(dir)) {
    std_error_handler(1, string("read_directory: %s is not a directory.", dir).chars());
    return;
  }
  DIR* d = opendir(dir.chars());
  if (d == nullptr) {
    std_error_handler(0, string("read_directory: cannot open %s", dir).chars());
    return;
  }
  while (struct dirent* entry = readdir(d)) {
    const char* name = entry->d_name;
    if (pattern != nullptr && fnmatch(pattern, name, 0) != 0) continue;
    if (kind == 1 || kind == 2) {
      string path = dir + "/" + name;
      if (kind == 1 ? !is_file(path) : !is_directory(path)) continue;
    }
    L.append(string(name));
  }
  closedir(d);
}

list<string> get_entries(string dir) {
  list<string> L;
  read_directory(dir, 0, L, nullptr);
  return L;
}

list<string> get_files(string dir) {
  list<string> L;
  read_directory(dir, 1, L, nullptr);
  return L;
}

list<string> get_files(string dir, string pattern) {
  list<string> L;
  read_directory(dir, 1, L, pattern.chars());
  return L;
}

list<string> get_directories(string dir) {
  list<string> L;
  read_directory(dir, 2, L, nullptr);
  return L;
}

string first_file_in_path(string fname, string path, char sep) {
  const char* p = path.chars();
  if (*p == '\0') return string();
  for (;;) {
    const char* end = std::strchr(p, sep);
    if (end == nullptr) end = p + std::strlen(p);
    std::string dir(p, end);
    if (dir.empty()) dir = ".";
    string candidate = string(dir.c_str()) + "/" + fname;
    if (is_file(candidate)) return candidate;
    if (*end == '\0') return string();
    p = end + 1;
  }
}

namespace {

// Words of a command line as a shell would split a plain command: blanks
// separate, single quotes keep everything, double quotes keep everything but
// a backslash before '"' or '\', and a backslash outside quotes keeps the next
// character. No expansion of any kind.
std::vector<std::string> split_command_line(const char* s) {
  std::vector<std::string> words;
  std::string word;
  bool in_word = false;
  while (*s) {
    char c = *s++;
    if (c == ' ' || c == '\t' || c == '\n') {
      if (in_word) words.push_back(word);
      word.clear();
      in_word = false;
      continue;
    }
    in_word = true;
    if (c == '\'') {
      while (*s && *s != '\'') word += *s++;
      if (*s) s++;
    } else if (c == '"') {
      while (*s && *s != '"') {
        if (*s == '\\' && (s[1] == '"' || s[1] == '\\')) s++;
        word += *s++;
      }
      if (*s) s++;
    } else if (c == '\\' && *s) {
      word += *s++;
    } else {
      word += c;
    }
  }
  if (in_word) words.push_back(word);
  return words;
}

}  // namespace

bool create_process(string cmd) {
  std::vector<std::string> words = split_command_line(cmd.chars());
  if (words.empty()) return false;
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(&w[0]);
  argv.push_back(nullptr);

  // The program runs detached from us (a grandchild adopted by init, so no
  // zombie is left); a close-on-exec pipe tells whether its exec succeeded.
  int status_pipe[2];
  if (pipe2(status_pipe, O_CLOEXEC) != 0) return false;
  pid_t child = fork();
  if (child < 0) {
    close(status_pipe[0]);
    close(status_pipe[1]);
    return false;
  }
  if (child == 0) {
    pid_t grandchild = fork();
    if (grandchild == 0) {
      execvp(argv[0], argv.data());
      int e = errno;
      ssize_t w = write(status_pipe[1], &e, sizeof e);
      (void)w;
      _exit(127);
    }
    _exit(grandchild < 0 ? 1 : 0);
  }
  close(status_pipe[1]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int exec_errno = 0;
  ssize_t n;
  do {
    n = read(status_pipe[0], &exec_errno, sizeof exec_errno);
  } while (n < 0 && errno == EINTR);
  close(status_pipe[0]);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 && n == 0;
}

void get_command_line(int& argc, char**& argv) {
  argc = 0;
  argv = nullptr;
}

void message_box(const char* a, const char* b) { std::cerr << (b ? b : "") << ": " << (a ? a : "") << std::endl; }

bool apm_parse_status(const char* line, int& ac, int& percent, int& minutes) {
  char driver[16], bios[16], unit[16];
  unsigned flags, ac_line, battery_status, battery_flag;
  int pct, remaining;
  if (std::sscanf(line, "%15s %15s %x %x %x %x %d%% %d %15s", driver, bios, &flags, &ac_line, &battery_status,
                  &battery_flag, &pct, &remaining, unit) != 9)
    return false;
  ac = static_cast<int>(ac_line);
  percent = pct;
  minutes = std::strcmp(unit, "sec") == 0 ? remaining / 60 : remaining;
  return true;
}

bool apm_get_status(int& ac, int& percent, int& minutes) {
  FILE* f = std::fopen("/proc/apm", "r");
  if (f == nullptr) return false;
  char line[99];
  bool ok = std::fgets(line, sizeof line, f) != nullptr && apm_parse_status(line, ac, percent, minutes);
  std::fclose(f);
  return ok;
}

void play_wave_file(string) {}

string read_line(std::istream& in) {
  string s;
  s.read(in, '\n');
  return s;
}

void skip_line(std::istream& in) {
  for (;;) {
    int c = in.get();
    if (in.fail() || c == '\n') return;
  }
}

bool is_space(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

char read_char(string prompt) {
  std::cout << prompt;
  std::cout.flush();
  int c = std::cin.get();
  if (std::cin.fail()) return '\0';
  if (c != '\n') skip_line(std::cin);
  return static_cast<char>(c);
}

bool Yes(string prompt) {
  char c = read_char(prompt);
  return c == 'y' || c == 'Y';
}

int read_int(string prompt) {
  for (;;) {
    std::cout << prompt;
    std::cout.flush();
    int x = 0;
    if (std::cin >> x) {
      skip_line(std::cin);
      return x;
    }
    if (std::cin.bad()) return 0;
    std::cin.clear();
    int c = std::cin.get();
    if (std::cin.fail()) return 0;  // end of input: nothing left to retry on
    std::cout << "read_int: illegal input \"" << static_cast<char>(c) << "\"\n";
    if (c != '\n') skip_line(std::cin);
  }
}

double read_real(string prompt) {
  std::cout << prompt;
  std::cout.flush();
  double x = 0;
  std::cin >> x;
  skip_line(std::cin);
  return x;
}

string read_string(string prompt) {
  std::cout << prompt;
  std::cout.flush();
  return read_line(std::cin);
}

}  // namespace graphlib
