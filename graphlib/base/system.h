#pragma once
// Clock, environment, files and directories, processes and prompted console
// input. Everything calls the operating system directly: no name or command
// ever reaches a shell, so names with blanks, quotes, '%' or a leading '-'
// are taken literally.
#include "graphlib/base/memory_manager.h"

#include <istream>

#include "graphlib/base/list.h"
#include "graphlib/base/string.h"

namespace graphlib {

// The current local time; month 1..12, the full year.
void get_time(int& year, int& month, int& day, int& hours, int& minutes, int& seconds);
// ctime's text of the current time without its newline.
string time_string();
// " time = %.2f sec" with the user CPU time, on standard output.
void print_time();
void print_time(string s);
void wait(double sec);

bool get_environment(string name);
// value is set only when the variable is.
bool get_environment(string name, string& value);
// "HOME", or "/tmp" when unset.
string get_home_directory();

// A name that cannot be examined counts as absent.
bool is_directory(string name);
bool is_file(string name);
bool is_link(string name);
// Bytes; long, so that files of 2 GiB and more are measured right.
long size_of_file(string name);

string get_directory();
// Returns the working directory before the call.
string set_directory(string dir);
// False when anything named dir exists already; otherwise whether the new
// directory exists afterwards.
bool create_directory(string dir);
// True when no file of that name is left (also when there was none).
bool delete_file(string name);

// The entries of dir matching pattern (nil: all, "." and ".." included);
// kind 1 regular files only, 2 directories only, anything else all.
void read_directory(string dir, int kind, list<string>& L, const char* pattern);
list<string> get_entries(string dir);
list<string> get_files(string dir);
list<string> get_files(string dir, string pattern);
list<string> get_directories(string dir);

// The first entry d of the sep-separated list path for which d/fname is a
// regular file, as that path; empty when there is none. An empty entry
// stands for the current directory ("./fname").
string first_file_in_path(string fname, string path, char sep);

// Runs the command line cmd in the background: it is split into words at
// blanks (quotes group, a backslash escapes) and the first word is run with
// the others as its arguments, searched for through "PATH" as a shell would.
// True when the program was started.
bool create_process(string cmd);
// No command line is available through this function: argc 0, argv nil.
void get_command_line(int& argc, char**& argv);
// b, ": ", a and a line end on standard error.
void message_box(const char* a, const char* b);
// The power status from "/proc/apm"; false, with the arguments untouched,
// when it cannot be read.
bool apm_get_status(int& ac, int& percent, int& minutes);
// One line of "/proc/apm"; false, with the arguments untouched, when it does
// not have the nine fields.
bool apm_parse_status(const char* line, int& ac, int& percent, int& minutes);
void play_wave_file(string file);

// Console input on standard input, prompts on standard output. At the end of
// the input nothing is retried: read_char gives '\0', Yes false, read_int and
// read_real 0, read_string the empty string.
string read_line(std::istream& in);
void skip_line(std::istream& in);
bool is_space(char c);
char read_char(string prompt = string());
bool Yes(string prompt = string());
int read_int(string prompt = string());
double read_real(string prompt = string());
string read_string(string prompt = string());

}  // namespace graphlib
