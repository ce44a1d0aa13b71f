#include "graphlib/base/memory_manager.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "graphlib/base/error.h"
#include "graphlib/base/options.h"

namespace graphlib {

memory_manager std_memory_mgr{memory_manager::static_init_tag()};

int memory_manager_init::count = 0;

static_assert(sizeof(size_t) <= memory_manager::vector_header_bytes,
              "the vector header holds the allocation size");

namespace {

void* next_of(void* p) { return *static_cast<void**>(p); }

template <class T>
T* new_table(size_t n) {
  return static_cast<T*>(std::calloc(n, sizeof(T)));
}

void report(int code, const char* message) { std_error_handler(code, message); }

}  // namespace

memory_manager::memory_manager(int n) {
  if (this != &std_memory_mgr) init(n, "USR_MEMORY_MGR");
}

memory_manager::memory_manager(int n, const char* nm) {
  if (this != &std_memory_mgr) init(n, nm);
}

memory_manager::~memory_manager() {
  if (this != &std_memory_mgr) destroy();
}

void memory_manager::init(int n, const char* nm) {
  if (n < 1) n = 1;
  max_sz = n - 1;
  std::strncpy(name, nm ? nm : "", sizeof name - 1);
  name[sizeof name - 1] = '\0';
  size_t entries = static_cast<size_t>(n);
  free_list = new_table<void*>(entries);
  block_list = new_table<void*>(entries);
  slot_count = new_table<long>(entries);
  block_count = new_table<long>(entries);
  block_bytes = new_table<long>(entries);
  total = 0;
  if (!free_list || !block_list || !slot_count || !block_count || !block_bytes) {
    free_tables();
    max_sz = 0;
    report(999, "memory_manager::init: out of memory");
  }
}

void memory_manager::destroy() {
  if (free_list == nullptr) return;
  bool leaks = option_list && std::strstr(option_list, "show_memory_leaks");
  bool statistics = option_list && std::strstr(option_list, "show_memory_statistics");
  if (leaks) print_used_memory();
  if (statistics) print_statistics();
  clear();
  std::free(free_list[0]);
  free_tables();
  total = 0;
}

void memory_manager::free_tables() {
  std::free(free_list);
  std::free(block_list);
  std::free(slot_count);
  std::free(block_count);
  std::free(block_bytes);
  free_list = block_list = nullptr;
  slot_count = block_count = block_bytes = nullptr;
}

long memory_manager::free_count(size_t sz) const {
  long n = 0;
  for (void* p = free_list[sz]; p; p = next_of(p)) ++n;
  return n;
}

void memory_manager::release_blocks(int i) {
  for (void* b = block_list[i]; b;) {
    void* next = next_of(b);
    std::free(b);
    b = next;
  }
  block_list[i] = nullptr;
  free_list[i] = nullptr;
  slot_count[i] = 0;
  block_count[i] = 0;
}

void memory_manager::clear() {
  if (free_list == nullptr) return;
  for (int i = 1; i <= max_sz; i++)
    if (slot_count[i] - free_count(i) <= 0) release_blocks(i);
}

void memory_manager::kill() {
  if (free_list == nullptr) return;
  for (int i = 1; i <= max_sz; i++) release_blocks(i);
  total = 0;
}

void* memory_manager::refill(size_t s) {
  allocate_block(s, -1);
  return free_list[s];
}

void* memory_manager::allocate_bytes(size_t n) {
  if (n < static_cast<size_t>(max_sz)) {
    if (n == 0) {
      allocate_block(0, -1);
      return nullptr;
    }
    return pop_slot(n);
  }
  return allocate_vector(n);
}

void memory_manager::deallocate_bytes(void* p, size_t n) {
  if (p == nullptr) return;
  if (n < static_cast<size_t>(max_sz)) {
    if (n != 0) push_slot(p, n);
    return;
  }
  deallocate_vector(p);
}

void* memory_manager::allocate_bytes_with_check(size_t n) { return allocate_bytes(n); }

void memory_manager::deallocate_bytes_with_check(void* p, size_t n) {
  if (p == nullptr || n >= static_cast<size_t>(max_sz)) {
    deallocate_bytes(p, n);
    return;
  }
  if (n == 0) return;
  if (block_count[n] == 0) report(999, "no block allocated");
  for (void* q = free_list[n]; q; q = next_of(q)) {
    if (q == p) {
      char message[64];
      std::snprintf(message, sizeof message, "GRAPHLIB memory: pointer %ld deleted twice",
                    static_cast<long>(reinterpret_cast<intptr_t>(p)));
      report(999, message);
      // Pushing it again would hand the same slot out twice.
      return;
    }
  }
  push_slot(p, n);
}

void* memory_manager::allocate_vector(size_t n) {
  if (n > SIZE_MAX - vector_header_bytes) {
    report(999, "memory_manager::allocate_vector: out of memory");
    return nullptr;
  }
  size_t b = n + vector_header_bytes;
  char* p = static_cast<char*>(std::malloc(b));
  if (p == nullptr) {
    report(999, "memory_manager::allocate_vector: out of memory");
    return nullptr;
  }
  if (memory_manager_init::count != 0 && slot_count != nullptr) {
    total += static_cast<long>(b);
    slot_count[0] += static_cast<long>(b);
    block_count[0] += 1;
  }
  std::memcpy(p, &b, sizeof b);
  return p + vector_header_bytes;
}

namespace {

char* vector_start(void* p) { return static_cast<char*>(p) - memory_manager::vector_header_bytes; }

size_t vector_size(const char* start) {
  size_t b;
  std::memcpy(&b, start, sizeof b);
  return b;
}

}  // namespace

void memory_manager::deallocate_vector(void* p) {
  if (p == nullptr) return;
  char* start = vector_start(p);
  if (memory_manager_init::count != 0 && slot_count != nullptr) {
    long b = static_cast<long>(vector_size(start));
    total -= b;
    slot_count[0] -= b;
    block_count[0] -= 1;
  }
  std::free(start);
}

void memory_manager::deallocate_vector_with_delay(void* p) {
  if (p == nullptr) return;
  char* start = vector_start(p);
  if (free_list == nullptr) {
    std::free(start);
    return;
  }
  if (memory_manager_init::count != 0) {
    long b = static_cast<long>(vector_size(start));
    total -= b;
    slot_count[0] -= b;
  }
  std::free(free_list[0]);
  free_list[0] = start;
}

void memory_manager::allocate_block(size_t sz, int num) {
  if (num == 0) return;
  if (sz == 0 || sz > static_cast<size_t>(max_sz)) {
    char message[64];
    std::snprintf(message, sizeof message, "allocate_block: illegal size (%lu bytes)",
                  static_cast<unsigned long>(sz));
    report(1, message);
    return;
  }
  size_t slot = slot_size(sz);
  size_t bytes = num < 0 ? standard_block_bytes : slot * (static_cast<size_t>(num) + 1);
  // Slot 0 carries the block chain: a block needs at least one more slot.
  if (bytes < 2 * slot) bytes = 2 * slot;
  size_t c = bytes / slot;
  total += static_cast<long>(bytes);
  block_count[sz] += 1;
  slot_count[sz] += static_cast<long>(c - 1);
  char* block = static_cast<char*>(std::malloc(bytes));
  if (block == nullptr) {
    std::cerr << std::endl;
    print_statistics();
    report(999, "memory_manager::allocate_block: out of memory");
    total -= static_cast<long>(bytes);
    block_count[sz] -= 1;
    slot_count[sz] -= static_cast<long>(c - 1);
    return;
  }
  *reinterpret_cast<void**>(block) = block_list[sz];
  block_list[sz] = block;
  block_bytes[sz] = static_cast<long>(bytes);
  for (size_t k = 1; k + 1 < c; k++)
    *reinterpret_cast<void**>(block + k * slot) = block + (k + 1) * slot;
  *reinterpret_cast<void**>(block + (c - 1) * slot) = free_list[sz];
  free_list[sz] = block + slot;
}

void* memory_manager::allocate_list(size_t sz, int num) {
  if (sz == 0 || sz > static_cast<size_t>(max_sz)) {
    allocate_block(sz, -1);
    return nullptr;
  }
  void* head = free_list[sz];
  if (num <= 0) return head;
  long have = 0;
  for (void* p = head; p && have < num; p = next_of(p)) ++have;
  if (have < num) {
    allocate_block(sz, static_cast<int>(num - have));
    head = free_list[sz];
    have = 0;
    for (void* p = head; p && have < num; p = next_of(p)) ++have;
    if (have < num) return nullptr;
  }
  void* last = head;
  for (int k = 1; k < num; k++) last = next_of(last);
  free_list[sz] = next_of(last);
  return head;
}

void memory_manager::deallocate_list(void* head, void* tail, size_t sz) {
  if (head == nullptr || tail == nullptr || free_list == nullptr) return;
  *static_cast<void**>(tail) = free_list[sz];
  free_list[sz] = head;
}

void memory_manager::check_free_list(int sz) {
  if (free_list == nullptr || sz < 1 || sz > max_sz || block_list[sz] == nullptr) return;
  // Membership in the free list rather than a mark in each free cell: a mark
  // would not fit in a one-word slot and could be mistaken for live data.
  char* block = static_cast<char*>(block_list[sz]);
  size_t slot = slot_size(static_cast<size_t>(sz));
  size_t c = static_cast<size_t>(block_bytes[sz]) / slot;
  for (size_t k = 1; k < c; k++) {
    void* cell = block + k * slot;
    bool is_free = false;
    for (void* q = free_list[sz]; q && !is_free; q = next_of(q)) is_free = q == cell;
    if (!is_free) std::fprintf(stderr, "0x%lx\n", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(cell)));
  }
}

namespace {

const char* const border = "\t+--------------------------------------------------+\n";

void print_heading(const char* name, const char* what) {
  std::fprintf(stderr, "\n");
  std::fprintf(stderr, "\t %s (%s)\n", name, what);
  std::fprintf(stderr, "%s", border);
  std::fprintf(stderr, "\t|   size     used     free     blocks     bytes    |\n");
  std::fprintf(stderr, "%s", border);
}

void print_footer(long bytes) {
  float kb = static_cast<float>(bytes) * 0.0009765625f;
  std::fprintf(stderr, "%s", border);
  std::fprintf(stderr, "\t|   time:%6.2f sec              space:%8.2f kb |\n",
               static_cast<double>(used_time()), static_cast<double>(kb));
  std::fprintf(stderr, "%s", border);
  std::fprintf(stderr, "\n");
  std::fflush(stderr);
}

}  // namespace

void memory_manager::print_statistics() {
  if (free_list == nullptr) return;
  print_heading(name, "memory status");
  for (int i = 1; i <= max_sz; i++) {
    if (block_count[i] == 0) continue;
    std::fprintf(stderr, "\t|   %3d    ", i);
    std::fflush(stderr);
    long free = free_count(i);
    std::fprintf(stderr, "%6ld   %6ld    %6ld   %8ld    |\n", slot_count[i] - free, free,
                 block_count[i], slot_count[i] * i);
  }
  if (block_count[0] != 0)
    std::fprintf(stderr, "\t| > %3d         -        -    %6ld   %8ld    |\n", max_sz, block_count[0],
                 slot_count[0]);
  print_footer(total);
}

void memory_manager::print_used_memory() {
  if (free_list == nullptr) return;
  long sum = 0;
  bool any = false;
  for (int i = 1; i <= max_sz; i++) {
    if (slot_count[i] <= 0 && free_list[i] == nullptr) continue;
    long free = free_count(i);
    long bytes = slot_count[i] * i;
    sum += bytes;
    long used = slot_count[i] - free;
    if (used <= 0) continue;
    if (!any) print_heading(name, "memory still in use");
    any = true;
    std::fprintf(stderr, "\t|   %3d    %6ld   %6ld    %6ld   %8ld    |\n", i, used, free, block_count[i],
                 bytes);
  }
  if (any) print_footer(sum);
}

memory_manager_init::memory_manager_init() {
  if (count++ == 0) {
    std_memory_mgr.init(256, "STD_MEMORY_MGR");
    read_options();
    check_version_441();
  }
}

memory_manager_init::~memory_manager_init() {
  if (--count == 0) std_memory_mgr.destroy();
}

}  // namespace graphlib
