#include "graphlib/base/memory_manager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "AllocatorUsage.h"
#include "ProbeRunner.h"
#include "RecordingErrorHandler.h"

namespace {

using graphlib::memory_manager;
using graphlib::std_memory_mgr;
using testing_support::AllocatorBaseline;
using testing_support::GraphlibError;
using testing_support::liveSlots;
using testing_support::RecordingErrorHandler;

const long kStandardBlock = 8188;
const size_t kWord = sizeof(void*);

// Slot of a size class: whole pointers, since a free slot holds a link.
size_t slotOf(size_t sz) { return std::max(kWord, (sz + kWord - 1) / kWord * kWord); }

long usableInStandardBlock(size_t sz) { return kStandardBlock / static_cast<long>(slotOf(sz)) - 1; }

// The report's CPU time varies: "time:%6.2f sec" becomes "time:@ sec" when it is well formed.
std::string maskTimes(std::string text) {
  const std::string key = "time:";
  for (size_t pos = text.find(key); pos != std::string::npos; pos = text.find(key, pos + 1)) {
    size_t start = pos + key.size();
    size_t end = text.find(" sec", start);
    if (end == std::string::npos || end - start != 6) continue;
    std::string field = text.substr(start, 6);
    size_t digits = field.find_first_not_of(' ');
    bool ok = digits != std::string::npos && field.size() - 3 > digits && field[field.size() - 3] == '.' &&
              field.find_first_not_of("0123456789.", digits) == std::string::npos;
    if (ok) text.replace(start, 6, "@");
  }
  return text;
}

bool onFreeList(const memory_manager& m, size_t sz, void* p) {
  for (void* q = m.free_list[sz]; q; q = *static_cast<void**>(q))
    if (q == p) return true;
  return false;
}

TEST(MemoryManager, FirstAllocationCarvesOneStandardBlockWithAscendingSlots) {
  memory_manager m(256, "T");
  const size_t sz = 12;
  const long usable = usableInStandardBlock(sz);
  std::vector<char*> cells;
  cells.push_back(static_cast<char*>(m.allocate_bytes(sz)));
  EXPECT_EQ(m.slot_count[sz], usable);
  EXPECT_EQ(m.block_count[sz], 1);
  EXPECT_EQ(m.total, kStandardBlock);
  for (long k = 1; k < usable; k++) cells.push_back(static_cast<char*>(m.allocate_bytes(sz)));
  for (size_t k = 1; k < cells.size(); k++)
    EXPECT_EQ(cells[k] - cells[k - 1], static_cast<ptrdiff_t>(slotOf(sz))) << "slot " << k;
  EXPECT_EQ(m.block_count[sz], 1);
  EXPECT_EQ(m.free_list[sz], nullptr);

  cells.push_back(static_cast<char*>(m.allocate_bytes(sz)));
  EXPECT_EQ(m.block_count[sz], 2);
  EXPECT_EQ(m.slot_count[sz], 2 * usable);
  EXPECT_EQ(m.total, 2 * kStandardBlock);
  for (char* c : cells) m.deallocate_bytes(c, sz);
  EXPECT_EQ(liveSlots(sz, m), 0);
}

TEST(MemoryManager, ObjectsOfEverySizeAreAlignedAndDoNotOverlap) {
  memory_manager m(256, "T");
  struct Cell {
    unsigned char* p;
    size_t size;
    unsigned char fill;
  };
  std::vector<Cell> cells;
  for (size_t sz = 1; sz <= 300; sz++)
    for (int k = 0; k < 3; k++) {
      auto* p = static_cast<unsigned char*>(m.allocate_bytes(sz));
      ASSERT_NE(p, nullptr);
      EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % alignof(void*), 0u) << "size " << sz;
      unsigned char fill = static_cast<unsigned char>(sz * 3 + k);
      std::memset(p, fill, sz);
      cells.push_back({p, sz, fill});
    }
  for (const Cell& c : cells)
    for (size_t i = 0; i < c.size; i++) ASSERT_EQ(c.p[i], c.fill) << "size " << c.size << " byte " << i;
  for (const Cell& c : cells) m.deallocate_bytes(c.p, c.size);
  for (size_t sz = 1; sz < 255; sz++) EXPECT_EQ(liveSlots(sz, m), 0) << "size " << sz;
}

TEST(MemoryManager, FreedObjectIsTheNextOneHandedOut) {
  memory_manager m(256, "T");
  void* a = m.allocate_bytes(24);
  void* b = m.allocate_bytes(24);
  m.deallocate_bytes(a, 24);
  m.deallocate_bytes(b, 24);
  EXPECT_EQ(m.allocate_bytes(24), b);
  EXPECT_EQ(m.allocate_bytes(24), a);
  m.deallocate_bytes(a, 24);
  m.deallocate_bytes(b, 24);
}

// Which path a request takes at the boundaries of std_memory_mgr.
TEST(MemoryManager, SizeClassAndVectorBoundaries) {
  struct Row {
    const char* call;
    size_t size;
    bool throughOperator;  // the small-object operator rather than allocate_bytes
    long sizeClass;        // 0: a vector
  };
  const Row rows[] = {
      {"allocate_bytes(254)", 254, false, 254},
      {"allocate_bytes(255)", 255, false, 0},
      {"operator new(255)", 255, true, 255},
      {"operator new(256)", 256, true, 0},
      {"allocate_bytes(1)", 1, false, 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.call);
    long live = r.sizeClass ? liveSlots(r.sizeClass) : 0;
    long vectors = std_memory_mgr.block_count[0];
    long vectorBytes = std_memory_mgr.slot_count[0];
    void* p = r.throughOperator ? graphlib::small_object_allocate(r.size) : std_memory_mgr.allocate_bytes(r.size);
    if (r.sizeClass) {
      EXPECT_EQ(liveSlots(r.sizeClass), live + 1);
      EXPECT_EQ(std_memory_mgr.block_count[0], vectors);
    } else {
      EXPECT_EQ(std_memory_mgr.block_count[0], vectors + 1);
      EXPECT_EQ(std_memory_mgr.slot_count[0], vectorBytes + static_cast<long>(r.size) + 8);
    }
    if (r.throughOperator)
      graphlib::small_object_deallocate(p, r.size);
    else
      std_memory_mgr.deallocate_bytes(p, r.size);
    EXPECT_EQ(std_memory_mgr.block_count[0], vectors);
    EXPECT_EQ(std_memory_mgr.slot_count[0], vectorBytes);
    if (r.sizeClass) {
      EXPECT_EQ(liveSlots(r.sizeClass), live);
    }
  }
}

TEST(MemoryManager, VectorsCarryTheirSizeAndAreCounted) {
  memory_manager m(256, "T");
  void* empty = m.allocate_vector(0);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(m.slot_count[0], 8);
  EXPECT_EQ(m.block_count[0], 1);
  auto* big = static_cast<char*>(m.allocate_vector(100000));
  std::memset(big, 7, 100000);
  EXPECT_EQ(m.total, 8 + 100008);
  m.deallocate_vector(nullptr);
  EXPECT_EQ(m.block_count[0], 2);
  m.deallocate_vector(big);
  m.deallocate_vector(empty);
  EXPECT_EQ(m.slot_count[0], 0);
  EXPECT_EQ(m.block_count[0], 0);
  EXPECT_EQ(m.total, 0);
}

TEST(MemoryManager, VectorsAreNotCountedWhileTheLibraryIsStopped) {
  memory_manager m(256, "T");
  const int running = graphlib::memory_manager_init::count;
  graphlib::memory_manager_init::count = 0;
  void* v = m.allocate_vector(100);
  EXPECT_EQ(m.total, 0);
  EXPECT_EQ(m.slot_count[0], 0);
  EXPECT_EQ(m.block_count[0], 0);
  m.deallocate_vector(v);
  EXPECT_EQ(m.slot_count[0], 0);
  EXPECT_EQ(m.block_count[0], 0);
  graphlib::memory_manager_init::count = running;
}

TEST(MemoryManager, DelayedVectorIsKeptUntilTheNextCall) {
  memory_manager m(256, "T");
  void* a = m.allocate_vector(40);
  void* b = m.allocate_vector(50);
  m.deallocate_vector_with_delay(a);
  EXPECT_EQ(m.slot_count[0], 58);
  EXPECT_EQ(m.block_count[0], 2);  // not decremented by the delayed form
  EXPECT_NE(m.free_list[0], nullptr);
  m.deallocate_vector_with_delay(b);  // releases a's block (ASan would see a leak otherwise)
  EXPECT_EQ(m.slot_count[0], 0);
  EXPECT_EQ(m.free_list[0], static_cast<char*>(b) - 8);
  // destroy() releases the block still kept back.
}

TEST(MemoryManager, AllocateBlockGivesAtLeastTheSlotsAskedFor) {
  struct Row {
    size_t size;
    int num;
    long usable;
  };
  const Row rows[] = {{12, 10, 10}, {5, 10, 10}, {8, 1, 1}, {255, 3, 3}, {1, 100, 100}};
  for (const Row& r : rows) {
    SCOPED_TRACE("allocate_block(" + std::to_string(r.size) + ", " + std::to_string(r.num) + ")");
    memory_manager m(256, "T");
    m.allocate_block(r.size, r.num);
    EXPECT_EQ(m.slot_count[r.size], r.usable);
    EXPECT_EQ(m.free_count(r.size), r.usable);
    EXPECT_EQ(m.total, static_cast<long>(slotOf(r.size)) * (r.num + 1));
    EXPECT_EQ(m.block_count[r.size], 1);
  }
}

TEST(MemoryManager, HugeSizeClassStillHandsOutASlot) {
  memory_manager m(6000, "T");
  void* p = m.allocate_bytes(5000);
  ASSERT_NE(p, nullptr);
  std::memset(p, 1, 5000);
  EXPECT_EQ(m.slot_count[5000], 1);
  m.deallocate_bytes(p, 5000);
}

TEST(MemoryManager, AllocateBlockErrors) {
  RecordingErrorHandler errors;
  memory_manager m(256, "T");
  m.allocate_block(300, 0);
  m.allocate_block(0, 0);
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(errors.raisedBy([&] { m.allocate_block(0, -1); }),
            (GraphlibError{1, "allocate_block: illegal size (0 bytes)"}));
  EXPECT_EQ(errors.raisedBy([&] { m.allocate_block(256, 4); }),
            (GraphlibError{1, "allocate_block: illegal size (256 bytes)"}));
  EXPECT_EQ(errors.raisedBy([&] { m.allocate_bytes(0); }),
            (GraphlibError{1, "allocate_block: illegal size (0 bytes)"}));
  EXPECT_EQ(m.total, 0);
}

TEST(MemoryManager, CheckedDeallocationErrors) {
  RecordingErrorHandler errors(RecordingErrorHandler::Mode::Return);
  memory_manager m(256, "T");
  void* a = m.allocate_bytes(16);
  void* b = m.allocate_bytes(16);

  long never[4];
  m.deallocate_bytes_with_check(never, 32);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors.last(), (GraphlibError{999, "no block allocated"}));

  m.deallocate_bytes_with_check(a, 16);
  EXPECT_EQ(errors.size(), 1u);
  m.deallocate_bytes_with_check(a, 16);
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors.last().code, 999);
  EXPECT_EQ(errors.last().message, "GRAPHLIB memory: pointer " +
                                       std::to_string(static_cast<long>(reinterpret_cast<intptr_t>(a))) +
                                       " deleted twice");

  // The second free was refused: the slot is handed out once, not twice.
  void* x = m.allocate_bytes(16);
  void* y = m.allocate_bytes(16);
  EXPECT_EQ(x, a);
  EXPECT_NE(y, a);
  m.deallocate_bytes(x, 16);
  m.deallocate_bytes(y, 16);
  m.deallocate_bytes(b, 16);
  m.deallocate_bytes(m.allocate_bytes(32), 32);  // the foreign cell pushed after the report
}

TEST(MemoryManager, ClearKeepsOnlySizeClassesInUse) {
  memory_manager m(256, "T");
  auto* live = static_cast<long*>(m.allocate_bytes(16));
  *live = 4242;
  void* gone = m.allocate_bytes(24);
  m.deallocate_bytes(gone, 24);
  long total = m.total;
  m.clear();
  EXPECT_EQ(m.block_count[16], 1);
  EXPECT_EQ(m.slot_count[16], usableInStandardBlock(16));
  EXPECT_EQ(m.block_count[24], 0);
  EXPECT_EQ(m.slot_count[24], 0);
  EXPECT_EQ(m.free_list[24], nullptr);
  EXPECT_EQ(m.total, total);
  EXPECT_EQ(*live, 4242);
  m.deallocate_bytes(live, 16);
  m.kill();
  EXPECT_EQ(m.total, 0);
  for (int i = 1; i <= m.max_sz; i++) {
    EXPECT_EQ(m.block_count[i], 0);
    EXPECT_EQ(m.slot_count[i], 0);
    EXPECT_EQ(m.free_list[i], nullptr);
  }
}

TEST(MemoryManager, AllocateListHandsOutCellsThatLeaveTheFreeList) {
  memory_manager m(256, "T");
  // A short free list is topped up first.
  m.allocate_block(32, 2);
  void* head = m.allocate_list(32, 5);
  std::set<void*> taken;
  void* p = head;
  for (int k = 0; k < 5; k++) {
    ASSERT_NE(p, nullptr);
    taken.insert(p);
    if (k < 4) p = *static_cast<void**>(p);
  }
  void* tail = p;
  EXPECT_EQ(taken.size(), 5u);
  for (void* cell : taken) EXPECT_FALSE(onFreeList(m, 32, cell));
  EXPECT_EQ(liveSlots(32, m), 5);
  EXPECT_EQ(m.allocate_list(32, 0), m.free_list[32]);
  m.deallocate_list(head, tail, 32);
  EXPECT_EQ(liveSlots(32, m), 0);
  EXPECT_EQ(m.free_list[32], head);
}

TEST(MemoryManager, HugeRequestsFailCleanly) {
  RecordingErrorHandler errors(RecordingErrorHandler::Mode::Return);
  memory_manager m(256, "T");
  EXPECT_EQ(m.allocate_vector(SIZE_MAX - 3), nullptr);
  EXPECT_EQ(m.allocate_bytes(SIZE_MAX), nullptr);
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors.errors()[0], (GraphlibError{999, "memory_manager::allocate_vector: out of memory"}));
  EXPECT_EQ(errors.errors()[1], (GraphlibError{999, "memory_manager::allocate_vector: out of memory"}));
  EXPECT_EQ(m.total, 0);
  EXPECT_EQ(m.block_count[0], 0);
}

TEST(MemoryManager, LongNamesAreCut) {
  std::string name(100, 'n');
  memory_manager m(16, name.c_str());
  EXPECT_EQ(std::string(m.name), std::string(63, 'n'));
  EXPECT_EQ(m.max_sz, 15);
}

TEST(MemoryManager, RandomAllocationsOfManySizesKeepTheirContents) {
  memory_manager m(256, "T");
  std::mt19937 rng(7);
  struct Cell {
    unsigned char* p;
    size_t size;
    unsigned char fill;
  };
  std::vector<Cell> live;
  for (int step = 0; step < 20000; step++) {
    if (live.empty() || rng() % 3 != 0) {
      size_t sz = 1 + rng() % 400;
      auto* p = static_cast<unsigned char*>(m.allocate_bytes(sz));
      auto fill = static_cast<unsigned char>(rng());
      std::memset(p, fill, sz);
      live.push_back({p, sz, fill});
    } else {
      size_t k = rng() % live.size();
      Cell c = live[k];
      for (size_t i = 0; i < c.size; i++) ASSERT_EQ(c.p[i], c.fill);
      m.deallocate_bytes(c.p, c.size);
      live[k] = live.back();
      live.pop_back();
    }
  }
  for (const Cell& c : live) {
    for (size_t i = 0; i < c.size; i++) ASSERT_EQ(c.p[i], c.fill);
    m.deallocate_bytes(c.p, c.size);
  }
  for (size_t sz = 1; sz < 255; sz++) EXPECT_EQ(liveSlots(sz, m), 0);
  EXPECT_EQ(m.block_count[0], 0);
}

TEST(MemoryManager, CheckFreeListNamesTheSlotsInUse) {
  for (size_t sz : {size_t(8), size_t(24)}) {
    memory_manager m(256, "T");
    void* a = m.allocate_bytes(sz);
    void* b = m.allocate_bytes(sz);
    void* c = m.allocate_bytes(sz);
    m.deallocate_bytes(b, sz);
    testing::internal::CaptureStderr();
    m.check_free_list(static_cast<int>(sz));
    std::string out = testing::internal::GetCapturedStderr();
    char expected[64];
    std::snprintf(expected, sizeof expected, "0x%lx\n0x%lx\n", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(a)),
                  static_cast<unsigned long>(reinterpret_cast<uintptr_t>(c)));
    EXPECT_EQ(out, expected) << "size " << sz;
    m.deallocate_bytes(a, sz);
    m.deallocate_bytes(c, sz);
  }
}

TEST(MemoryManager, ReportsOfAnIdleManager) {
  memory_manager m(256, "IDLE");
  testing::internal::CaptureStderr();
  m.print_used_memory();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

  testing::internal::CaptureStderr();
  m.print_statistics();
  std::string stats = testing::internal::GetCapturedStderr();
  const std::string border = "\t+--------------------------------------------------+\n";
  EXPECT_EQ(maskTimes(stats), "\n\t IDLE (memory status)\n" + border +
                                  "\t|   size     used     free     blocks     bytes    |\n" + border + border +
                                  "\t|   time:@ sec              space:    0.00 kb |\n" + border + "\n");

  m.destroy();
  m.destroy();
  EXPECT_EQ(m.free_list, nullptr);
  EXPECT_EQ(m.total, 0);
}

TEST(MemoryManager, StatisticsRowsUseTheRequestedSize) {
  memory_manager m(256, "STATS");
  void* a = m.allocate_bytes(12);
  void* v = m.allocate_vector(92);
  testing::internal::CaptureStderr();
  m.print_statistics();
  std::string stats = testing::internal::GetCapturedStderr();
  long usable = usableInStandardBlock(12);
  char row[128];
  std::snprintf(row, sizeof row, "\t|    12    %6ld   %6ld    %6ld   %8ld    |\n", 1L, usable - 1, 1L, usable * 12);
  EXPECT_NE(stats.find(row), std::string::npos) << stats;
  EXPECT_NE(stats.find("\t| > 255         -        -         1        100    |\n"), std::string::npos) << stats;
  m.deallocate_bytes(a, 12);
  m.deallocate_vector(v);
}

TEST(MemoryManager, StandardManagerIsRunningDuringTests) {
  EXPECT_GE(graphlib::memory_manager_init::count, 1);
  EXPECT_NE(std_memory_mgr.free_list, nullptr);
  EXPECT_EQ(std_memory_mgr.max_sz, 255);
  EXPECT_STREQ(std_memory_mgr.name, "STD_MEMORY_MGR");
}

TEST(MemoryManager, SmallObjectsComeFromTheirExactSizeClass) {
  struct Cell : graphlib::small_object {
    Cell* next = nullptr;
    Cell* prev = nullptr;
    int value = 0;
  };
  AllocatorBaseline before;
  long live = liveSlots(sizeof(Cell));
  Cell* c = new Cell;
  EXPECT_EQ(liveSlots(sizeof(Cell)), live + 1);
  delete c;
  EXPECT_TRUE(before.changes().empty());
  Cell* again = new Cell;
  EXPECT_EQ(again, c);  // LIFO
  delete again;
}

// The reports at shut-down, in a child process: its last start-up counter
// destroys std_memory_mgr.
TEST(MemoryManagerShutdown, ReportsWhatGraphlibInitAsksFor) {
  auto r = testing_support::runProbe("leak12", {{"GRAPHLIB_INIT", "show_memory_leaks,show_memory_statistics"}}, false);
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  long usable = usableInStandardBlock(12);
  char row[128];
  std::snprintf(row, sizeof row, "\t|    12    %6ld   %6ld    %6ld   %8ld    |\n", 1L, usable - 1, 1L, usable * 12);
  char usedSpace[64], totalSpace[64];
  std::snprintf(usedSpace, sizeof usedSpace, "space:%8.2f kb |\n", static_cast<double>(usable * 12 * 0.0009765625f));
  std::snprintf(totalSpace, sizeof totalSpace, "space:%8.2f kb |\n", static_cast<double>(kStandardBlock * 0.0009765625f));
  const std::string border = "\t+--------------------------------------------------+\n";
  const std::string columns = "\t|   size     used     free     blocks     bytes    |\n";
  const std::string timeLine = "\t|   time:";
  std::string expected = "\n\t STD_MEMORY_MGR (memory still in use)\n" + border + columns + border + row + border +
                         timeLine + "@ sec              " + usedSpace + border + "\n" +
                         "\n\t STD_MEMORY_MGR (memory status)\n" + border + columns + border + row + border +
                         timeLine + "@ sec              " + totalSpace + border + "\n";
  EXPECT_EQ(maskTimes(r.err), expected) << r.err;
}

TEST(MemoryManagerShutdown, RunThatFreesEverythingPrintsAnEmptyReport) {
  auto r = testing_support::runProbe("clean", {{"GRAPHLIB_INIT", "show_memory_leaks"}});
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.err, "");
}

TEST(MemoryManagerShutdown, NoOptionNoReport) {
  auto r = testing_support::runProbe("leak12", {}, false);
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.out, "allocated\n");
  EXPECT_EQ(r.err, "");
}

}  // namespace
