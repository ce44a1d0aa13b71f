#include "graphlib/base/stack_trace.h"

#include <cxxabi.h>
#include <dlfcn.h>
#include <elf.h>
#include <execinfo.h>
#include <fcntl.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>

#include "graphlib/base/random_source.h"

namespace graphlib {

std::string frame_line(int i, const void* addr, const char* name) {
  const char* format = "#%02d at 0x%08lx in %s";
  unsigned long a = reinterpret_cast<unsigned long>(addr);
  int n = std::snprintf(nullptr, 0, format, i, a, name);
  if (n < 0) return std::string();
  std::string line(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(&line[0], line.size(), format, i, a, name);
  line.resize(static_cast<size_t>(n));
  return line;
}

namespace {

bool by_address(const symbol_entry& a, const symbol_entry& b) { return a.address < b.address; }

}  // namespace

void sort_name_list(symbol_table& L) { std::stable_sort(L.begin(), L.end(), by_address); }

std::string find_function(const symbol_table& L, unsigned long addr) {
  auto above = std::upper_bound(L.begin(), L.end(), addr,
                                [](unsigned long a, const symbol_entry& e) { return a < e.address; });
  if (above == L.begin()) return std::string();
  const symbol_entry& e = *(above - 1);
  if (e.size != 0 && addr - e.address >= e.size) return std::string();
  return e.name;
}

namespace {

// Reads exactly n bytes at offset off of fd, within a file of file_size bytes.
bool read_at(int fd, unsigned long file_size, unsigned long off, unsigned long n, void* into) {
  if (off > file_size || n > file_size - off) return false;
  char* p = static_cast<char*>(into);
  while (n > 0) {
    ssize_t got = pread(fd, p, n, static_cast<off_t>(off));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    p += got;
    off += static_cast<unsigned long>(got);
    n -= static_cast<unsigned long>(got);
  }
  return true;
}

// The function symbols of the ELF file fd: the full symbol table when the
// file has one, else its dynamic symbols.
bool read_function_symbols(int fd, symbol_table& L) {
  off_t end = lseek(fd, 0, SEEK_END);
  if (end <= 0) return false;
  unsigned long file_size = static_cast<unsigned long>(end);
  Elf64_Ehdr eh;
  if (!read_at(fd, file_size, 0, sizeof eh, &eh)) return false;
  if (std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 || eh.e_ident[EI_CLASS] != ELFCLASS64) return false;
  if (eh.e_shentsize != sizeof(Elf64_Shdr) || eh.e_shnum == 0) return false;
  std::vector<Elf64_Shdr> sections(eh.e_shnum);
  if (!read_at(fd, file_size, eh.e_shoff, sizeof(Elf64_Shdr) * sections.size(), sections.data())) return false;

  const Elf64_Shdr* symtab = nullptr;
  for (const Elf64_Shdr& s : sections)
    if (s.sh_type == SHT_SYMTAB) symtab = &s;
  if (symtab == nullptr)
    for (const Elf64_Shdr& s : sections)
      if (s.sh_type == SHT_DYNSYM) symtab = &s;
  if (symtab == nullptr || symtab->sh_link >= sections.size() || symtab->sh_entsize != sizeof(Elf64_Sym))
    return false;
  const Elf64_Shdr& strtab = sections[symtab->sh_link];

  if (symtab->sh_size > file_size || strtab.sh_size > file_size) return false;
  std::vector<Elf64_Sym> symbols(symtab->sh_size / sizeof(Elf64_Sym));
  std::vector<char> names(strtab.sh_size + 1, '\0');
  if (!read_at(fd, file_size, symtab->sh_offset, symbols.size() * sizeof(Elf64_Sym), symbols.data())) return false;
  if (!read_at(fd, file_size, strtab.sh_offset, strtab.sh_size, names.data())) return false;

  size_t first = L.size();
  for (const Elf64_Sym& s : symbols) {
    if (ELF64_ST_TYPE(s.st_info) != STT_FUNC || s.st_shndx == SHN_UNDEF || s.st_value == 0) continue;
    if (s.st_name >= strtab.sh_size) continue;
    L.push_back(symbol_entry{s.st_value, s.st_size, std::string(&names[s.st_name])});
  }
  std::stable_sort(L.begin() + static_cast<long>(first), L.end(), by_address);
  return true;
}

struct main_program {
  unsigned long bias = 0;
  std::vector<std::pair<unsigned long, unsigned long>> segments;  // loaded [begin, end)
};

int first_object(struct dl_phdr_info* info, size_t, void* data) {
  main_program* m = static_cast<main_program*>(data);
  m->bias = info->dlpi_addr;
  for (int i = 0; i < info->dlpi_phnum; i++) {
    const ElfW(Phdr)& ph = info->dlpi_phdr[i];
    if (ph.p_type == PT_LOAD)
      m->segments.push_back({info->dlpi_addr + ph.p_vaddr, info->dlpi_addr + ph.p_vaddr + ph.p_memsz});
  }
  return 1;  // the main program is always listed first
}

std::string demangle(const char* name) {
  if (name == nullptr || *name == '\0') return std::string();
  int status = 0;
  char* plain = abi::__cxa_demangle(name, nullptr, nullptr, &status);
  if (status != 0 || plain == nullptr) {
    std::free(plain);
    return std::string(name);
  }
  std::string result(plain);
  std::free(plain);
  return result;
}

// The name of the function holding the instruction at addr.
std::string function_at(const void* addr) {
  Dl_info info;
  if (dladdr(addr, &info) != 0 && info.dli_sname != nullptr && *info.dli_sname != '\0')
    return std::string(info.dli_sname);
  return find_function(addr);
}

}  // namespace

bool get_name_list(symbol_table& L) {
  int fd = open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = read_function_symbols(fd, L);
  close(fd);
  return ok;
}

std::string find_function(const void* addr) {
  // Kept for later traces; an empty table is read again next time.
  static symbol_table nm_list;
  main_program m;
  dl_iterate_phdr(first_object, &m);
  unsigned long a = reinterpret_cast<unsigned long>(addr);
  bool inside = false;
  for (const auto& seg : m.segments)
    if (a >= seg.first && a < seg.second) inside = true;
  if (!inside) return std::string();
  if (nm_list.empty()) get_name_list(nm_list);
  return find_function(nm_list, a - m.bias);
}

int trace_stack(char** frames) {
  void* addresses[max_trace_frames];
  int n = backtrace(addresses, max_trace_frames);
  for (int i = 0; i < n; i++) {
    // A return address may lie just past its function, when the call was the
    // function's last instruction: name the call's own byte instead.
    const void* call = static_cast<const char*>(addresses[i]) - 1;
    std::string line = frame_line(i, addresses[i], function_at(call).c_str());
    frames[i] = new char[line.size() + 1];
    std::memcpy(frames[i], line.c_str(), line.size() + 1);
  }
  return n;
}

std::ostream& trace_stack(std::ostream& os) {
  char* frames[max_trace_frames];
  int n = trace_stack(frames);
  for (int i = 0; i < n; i++) {
    const char* blank = std::strrchr(frames[i], ' ');
    const char* name = blank ? blank + 1 : frames[i] + std::strlen(frames[i]);
    os.write(frames[i], name - frames[i]);
    os << demangle(name) << std::endl;
    delete[] frames[i];
  }
  os << std::endl;
  return os;
}

string get_exec_name() {
  std::vector<char> buffer(256);
  for (;;) {
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return string();
    if (static_cast<size_t>(n) < buffer.size()) return string(std::string(buffer.data(), static_cast<size_t>(n)).c_str());
    buffer.resize(buffer.size() * 2);
  }
}

string cplus_filter(string name) { return string(demangle(name.chars()).c_str()); }

string tmp_file_name() {
  const char* env = std::getenv("TMPDIR");
  std::string dir = env ? env : "/tmp";
  if (!dir.empty() && dir.back() == '/') dir.pop_back();
  random_source source;
  for (int tries = 0; tries < 16; tries++) {
    char leaf[32];
    std::snprintf(leaf, sizeof leaf, "/L%lx", static_cast<unsigned long>(source.get_rand32() | 0x10000000u));
    std::string name = dir + leaf;
    int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
      close(fd);
      return string(name.c_str());
    }
    if (errno != EEXIST) return string(name.c_str());
  }
  return string();
}

}  // namespace graphlib
