#pragma once
// Size-class allocator of the graph library, and the per-unit start-up of the
// library.
//
// <iostream> comes first so that this unit's standard streams are set up before
// the library starts: an error raised during start-up is written to std::cerr.
#include <iostream>

#include <cstddef>

#include "graphlib/base/fpu.h"

namespace graphlib {

// One exact-size free list per request size 1..max_sz, filled from blocks taken
// with malloc; larger requests are malloc'd "vectors" with a size header. Free
// slots are linked through their first word; an object carries no header, so
// whoever frees it gives its size back.
class memory_manager {
 public:
  struct static_init_tag {};
  // For std_memory_mgr only: constant initialisation, so that units started
  // before the manager's own unit can already allocate from it.
  constexpr explicit memory_manager(static_init_tag)
      : max_sz(0), name(), total(0), slot_count(nullptr), block_count(nullptr),
        block_list(nullptr), free_list(nullptr), block_bytes(nullptr) {}

  explicit memory_manager(int n);
  memory_manager(int n, const char* name);
  ~memory_manager();
  memory_manager(const memory_manager&) = delete;
  memory_manager& operator=(const memory_manager&) = delete;

  void init(int n, const char* name);
  void destroy();
  // Gives back the blocks of every size class none of whose slots is in use.
  void clear();
  // Gives back every block; objects still in use become invalid.
  void kill();

  void* allocate_bytes(size_t n);
  void deallocate_bytes(void* p, size_t n);
  void* allocate_bytes_with_check(size_t n);
  void deallocate_bytes_with_check(void* p, size_t n);

  void* allocate_vector(size_t n);
  void deallocate_vector(void* p);
  // Frees the vector kept back by the previous call and keeps p's instead.
  void deallocate_vector_with_delay(void* p);

  // Carves a block for size class sz in front of its free list: num usable
  // slots (at least one), or as many as fit in a standard block when num < 0.
  void allocate_block(size_t sz, int num);
  // Takes num cells off the front of the free list of size sz; the chain handed
  // out is not terminated (its last cell still links into the free list).
  void* allocate_list(size_t sz, int num);
  // Puts cells already linked from head to tail through their first words back.
  void deallocate_list(void* head, void* tail, size_t sz);

  long used_memory() const { return total; }
  void check_free_list(int sz);
  void print_statistics();
  void print_used_memory();

  // The size-class path: one pop or push, refilling an empty list with a block.
  void* pop_slot(size_t s) {
    void* p = free_list[s];
    if (p == nullptr) p = refill(s);
    if (p != nullptr) free_list[s] = *static_cast<void**>(p);
    return p;
  }
  void push_slot(void* p, size_t s) {
    // After the library has stopped there is no free list left: leaking the
    // object is the only safe thing to do.
    if (free_list == nullptr) return;
    *static_cast<void**>(p) = free_list[s];
    free_list[s] = p;
  }

  // Slots hold a link while free, so they are whole pointers in size and alignment.
  static size_t slot_size(size_t sz) {
    const size_t w = sizeof(void*);
    return sz <= w ? w : (sz + w - 1) / w * w;
  }
  static const size_t standard_block_bytes = 8188;
  static const size_t vector_header_bytes = 8;

  // Length of the free list of size class sz.
  long free_count(size_t sz) const;

  int max_sz;
  char name[64];
  long total;
  long* slot_count;
  long* block_count;
  void** block_list;
  void** free_list;  // nil while the manager is not initialised

 private:
  void* refill(size_t s);
  // Frees every block of size class i and empties the class.
  void release_blocks(int i);
  // Frees the per-size tables and leaves the manager uninitialised.
  void free_tables();
  long* block_bytes;  // bytes of the newest block of each size class
};

extern memory_manager std_memory_mgr;

// Reference counter of the library's life: the first instance in the process
// initialises std_memory_mgr and reads the options, the last one destroys it.
class memory_manager_init {
 public:
  memory_manager_init();
  ~memory_manager_init();
  memory_manager_init(const memory_manager_init&) = delete;
  memory_manager_init& operator=(const memory_manager_init&) = delete;

  static int count;
};

// Objects up to this size use the exact-size free lists of std_memory_mgr.
const size_t small_object_limit = 255;

inline void* small_object_allocate(size_t s) {
  if (s == 0 || s > small_object_limit) return std_memory_mgr.allocate_bytes(s);
  return std_memory_mgr.pop_slot(s);
}

inline void small_object_deallocate(void* p, size_t s) {
  if (p == nullptr) return;
  if (s == 0 || s > small_object_limit)
    std_memory_mgr.deallocate_bytes(p, s);
  else
    std_memory_mgr.push_slot(p, s);
}

// Base of the library's small objects (list cells, string records, compare
// objects, ...): class-specific new and delete on std_memory_mgr's free lists.
struct small_object {
  static void* operator new(size_t s) noexcept { return small_object_allocate(s); }
  static void operator delete(void* p, size_t s) { small_object_deallocate(p, s); }
};

// Every unit that includes the library sets the floating-point mode and starts
// the library before its own static objects, and stops it after them.
[[maybe_unused]] static int set_double_ieee_for_linux = fpu_setup();
static memory_manager_init memory_mgr_init;

}  // namespace graphlib
