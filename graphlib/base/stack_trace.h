#pragma once
// Stack trace written by the default error handler before it aborts: one line
// "#NN at 0x... in name" per active frame, innermost first, then an empty
// line. Names are found in-process: the dynamic linker's symbols first, then
// the running executable's own symbol table (which also holds static and
// non-exported functions); they are demangled in-process too. No external
// program and no temporary file is involved.
#include <iosfwd>
#include <string>
#include <vector>

#include "graphlib/base/memory_manager.h"
#include "graphlib/base/string.h"

namespace graphlib {

std::ostream& trace_stack(std::ostream& os);
// Fills frames[0..n-1] (room for max_trace_frames entries) with new[]'d frame
// lines holding the raw symbol names and returns n; the caller delete[]s them.
int trace_stack(char** frames);

const int max_trace_frames = 256;

// "#%02d at 0x%08lx in %s", never truncated.
std::string frame_line(int i, const void* addr, const char* name);

// A function symbol of the executable: its link-time address and extent
// (size 0: unknown extent).
struct symbol_entry {
  unsigned long address;
  unsigned long size;
  std::string name;
};
typedef std::vector<symbol_entry> symbol_table;

// Orders by address as numbers.
void sort_name_list(symbol_table& L);
// Appends the running executable's function symbols, sorted; false when its
// symbol table cannot be read.
bool get_name_list(symbol_table& L);
// The name of the last symbol of the sorted table at or below addr, unless
// addr lies past that symbol's known extent; empty when there is none.
std::string find_function(const symbol_table& L, unsigned long addr);
// The name of the function of the running program that contains addr.
std::string find_function(const void* addr);

// The full path of the running executable; empty when unknown.
string get_exec_name();
// The demangled form of name, or name itself when it is not a mangled name.
string cplus_filter(string name);
// The name of a new, empty, private file in "TMPDIR" (or "/tmp"): the file is
// created under that name, so no one else can have taken it. Empty when no
// fresh name was found after 16 tries; when the directory cannot be written,
// the name is returned without a file.
string tmp_file_name();

}  // namespace graphlib
