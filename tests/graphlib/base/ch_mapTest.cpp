#include "graphlib/base/ch_map.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iostream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "RecordingErrorHandler.h"
#include "graphlib/base/map.h"

namespace {

using graphlib::ch_map;
using graphlib::ch_map_elem;
using graphlib::map;
using testing_support::GraphlibError;
using testing_support::RecordingErrorHandler;

// Cells hold plain numbers here; init_inf marks a fresh cell and counts.
class CountingMap : public ch_map {
 public:
  explicit CountingMap(int n = 1) : ch_map(n) {}
  mutable int inits = 0;
  void init_inf(void*& x) const override {
    inits++;
    x = reinterpret_cast<void*>(uintptr_t{7777});
  }
};

long value_of(void* x) { return static_cast<long>(reinterpret_cast<intptr_t>(x)); }
void* cell_of(long v) { return reinterpret_cast<void*>(static_cast<intptr_t>(v)); }

std::vector<unsigned long> keys_in_order(const ch_map& m) {
  std::vector<unsigned long> out;
  for (ch_map_elem* it = m.first_item(); it; it = m.next_item(it)) out.push_back(it->key);
  return out;
}

// Keys that all fall into head slot 3 of a table of 512 head slots.
unsigned long colliding(int i) { return static_cast<unsigned long>(i) * 512 + 3; }

TEST(ChMap, TableSizeFromExpectedEntries) {
  const struct {
    int n;
    int size;
  } rows[] = {{0, 512}, {1, 512}, {511, 512}, {512, 512}, {513, 1024}, {1000, 1024}, {5000, 8192}};
  for (const auto& r : rows) EXPECT_EQ(ch_map(r.n).size(), r.size) << "n = " << r.n;

  ch_map big(5000);
  big.access(42);
  big.clear();
  EXPECT_EQ(big.size(), 512);
  EXPECT_EQ(big.first_item(), nullptr);
}

TEST(ChMap, TooLargeTableIsAnError) {
  RecordingErrorHandler errors;
  EXPECT_EQ(errors.raisedBy([] { ch_map m(ch_map::max_table_size + 1); }),
            (GraphlibError{1, "ch_map: table size too large"}));
}

TEST(ChMap, KeysZeroAndOneAreOrdinaryKeys) {
  CountingMap m;
  m.access(0) = cell_of(10);
  m.access(1) = cell_of(11);
  m.access(2) = cell_of(12);
  ASSERT_NE(m.lookup(0), nullptr);
  ASSERT_NE(m.lookup(1), nullptr);
  EXPECT_EQ(value_of(m.lookup(0)->inf), 10);
  EXPECT_EQ(value_of(m.lookup(1)->inf), 11);
  EXPECT_EQ(value_of(m.access(0)), 10);
  EXPECT_EQ(value_of(m.access(1)), 11);
  EXPECT_EQ(m.inits, 3);
  // Key 0 can only live in the pool, after every head slot.
  EXPECT_EQ(keys_in_order(m), (std::vector<unsigned long>{1, 2, 0}));
}

TEST(ChMap, LookupNeverInsertsAccessInitialisesOnce) {
  CountingMap m;
  m.access(5) = cell_of(1);
  m.access(517) = cell_of(2);  // same head slot as 5
  EXPECT_EQ(m.lookup(6), nullptr);
  EXPECT_EQ(m.lookup(1029), nullptr);  // chain of slot 5, absent
  EXPECT_EQ(m.lookup(0), nullptr);
  EXPECT_EQ(keys_in_order(m), (std::vector<unsigned long>{5, 517}));
  EXPECT_EQ(m.inits, 2);

  EXPECT_EQ(value_of(m.access(1029)), 7777);
  EXPECT_EQ(m.inits, 3);
  EXPECT_EQ(value_of(m.access(1029)), 7777);
  EXPECT_EQ(m.inits, 3);
}

TEST(ChMap, IterationVisitsHeadSlotsThenPoolInInsertionOrder) {
  ch_map m;
  for (unsigned long k : {700ul, 3ul, 515ul, 9ul, 1027ul, 1ul}) m.access(k) = cell_of(static_cast<long>(k));
  // 700 hashes to slot 188; 515 and 1027 collide with 3 and go to the pool.
  EXPECT_EQ(keys_in_order(m), (std::vector<unsigned long>{1, 3, 9, 700, 515, 1027}));
  EXPECT_EQ(m.next_item(nullptr), nullptr);
}

TEST(ChMap, GrowsOnlyWhenTheOverflowPoolIsFull) {
  ch_map m;
  // Keys in distinct head slots never grow the table.
  for (unsigned long k = 1; k < 512; k++) m.access(k) = cell_of(static_cast<long>(k));
  EXPECT_EQ(m.size(), 512);

  ch_map c;
  for (int i = 0; i <= 256; i++) c.access(colliding(i)) = cell_of(i);
  EXPECT_EQ(c.size(), 512) << "256 pool elements in use";
  c.access(colliding(257)) = cell_of(257);
  EXPECT_EQ(c.size(), 1024);
  for (int i = 0; i <= 257; i++) {
    ch_map_elem* e = c.lookup(colliding(i));
    ASSERT_NE(e, nullptr) << i;
    EXPECT_EQ(value_of(e->inf), i);
  }
  EXPECT_EQ(keys_in_order(c).size(), 258u);
}

// A cell returned by one access and written after the next access grew the
// table: the write must reach the grown table, wherever the key lives.
TEST(ChMap, HeldCellSurvivesTheNextAccessGrowingTheTable) {
  const struct {
    const char* name;
    unsigned long held;  // inserted by the access just before the one that grows the table
  } rows[] = {{"pool insertion", colliding(256)}, {"head slot insertion", 77}, {"key 0 in the pool", 0}};
  for (const auto& r : rows) {
    ch_map m;
    for (int i = 0; i < 256; i++) m.access(colliding(i)) = cell_of(i);
    if (r.held == 77 || r.held == 0) m.access(colliding(256)) = cell_of(256);
    void*& held = m.access(r.held);
    void*& fresh = m.access(colliding(300));  // pool full: doubles the table
    ASSERT_EQ(m.size(), 1024) << r.name;
    held = cell_of(-1);
    fresh = cell_of(-2);
    ch_map_elem* e = m.lookup(r.held);
    ASSERT_NE(e, nullptr) << r.name;
    EXPECT_EQ(value_of(e->inf), -1) << r.name;
    EXPECT_EQ(value_of(m.access(r.held)), -1) << r.name;
    EXPECT_EQ(value_of(m.access(colliding(300))), -2) << r.name;
  }
}

TEST(ChMap, TypedAssignmentBetweenEntriesAcrossGrowth) {
  map<unsigned long, long> M(0);
  for (int i = 0; i < 256; i++) M[colliding(i)] = i;
  M[colliding(256)] = 256;
  // The cell of a is taken first; reading b then inserts b and grows.
  long& a = M[colliding(1)];
  a = M[colliding(400)] + 5;
  EXPECT_EQ(M.size(), 1024);
  EXPECT_EQ(M[colliding(1)], 5);
  EXPECT_EQ(M[colliding(400)], 0);
  EXPECT_EQ(M[colliding(256)], 256);
}

// Fills M with colliding keys 0..256, then writes `value` to key k through a
// reference taken before an insertion grows the table.
void writeHeldAcrossGrowth(map<unsigned long, long>& M, int k, long value) {
  for (int i = 0; i <= 256; i++) M[colliding(i)] = i;
  long& held = M[colliding(k)];
  M[colliding(999)];  // grows
  held = value;
}

TEST(ChMap, ClearDropsAPendingCarryOver) {
  map<unsigned long, long> M(0);
  writeHeldAcrossGrowth(M, 5, 55);
  M.clear();
  EXPECT_EQ(M[colliding(5)], 0);
  EXPECT_EQ(keys_in_order(M), (std::vector<unsigned long>{colliding(5)}));
}

TEST(ChMap, CopyAndAssignmentAreDeepAndSelfAssignmentIsSafe) {
  map<int, std::string> M("none");  // a std::string is boxed in its cell
  for (int i = 0; i < 600; i++) M[i * 512] = "v" + std::to_string(i);
  map<int, std::string> C(M);
  EXPECT_EQ(C.size(), M.size());
  EXPECT_EQ(keys_in_order(C), keys_in_order(M));
  C[512] = "changed";
  EXPECT_EQ(M[512], "v1");
  EXPECT_EQ(C[1024], "v2");
  EXPECT_EQ(C[3], "none");

  map<int, std::string> A("other");
  A[1] = "one";
  A = M;
  EXPECT_EQ(keys_in_order(A), keys_in_order(M));
  EXPECT_EQ(A[599 * 512], "v599");
  A[0] = "zero";
  EXPECT_EQ(M[0], "v0");

  M = *&M;
  EXPECT_EQ(M[512], "v1");
  EXPECT_EQ(M[599 * 512], "v599");
}

TEST(ChMap, CopyTakesAHeldWriteAlong) {
  map<unsigned long, long> M(0);
  writeHeldAcrossGrowth(M, 7, 70);
  map<unsigned long, long> C(M);
  EXPECT_EQ(C[colliding(7)], 70);
  EXPECT_EQ(M[colliding(7)], 70);
}

TEST(ChMap, PointerKeysWithBoolInformation) {
  int objects[4];
  map<int*, bool> M(false);
  M[&objects[1]] = true;
  M[&objects[3]] = true;
  EXPECT_TRUE(M[&objects[1]]);
  EXPECT_FALSE(M[&objects[0]]);
  EXPECT_TRUE(M[&objects[3]]);
  EXPECT_FALSE(M[&objects[2]]);
  map<int*, bool> C(M);
  EXPECT_TRUE(C[&objects[1]]);
  ch_map_elem* e = C.lookup(reinterpret_cast<unsigned long>(&objects[3]));
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->inf, reinterpret_cast<void*>(1)) << "the bool fills its cell widened with zeros";
}

TEST(ChMap, StatisticsLines) {
  std::ostringstream out;
  std::streambuf* old = std::cout.rdbuf(out.rdbuf());
  ch_map m;
  m.statistics();
  m.access(2);
  m.access(514);
  m.access(1);
  m.statistics();
  std::cout.rdbuf(old);
  std::istringstream in(out.str());
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 8u) << out.str();
  EXPECT_EQ(lines[0], "table_size: 512");
  EXPECT_EQ(lines[1], "number of entries: 0");
  EXPECT_NE(lines[2].find("nan"), std::string::npos) << "0/0 is not a number";
  EXPECT_EQ(lines[2].rfind("fraction of entries in first position: ", 0), 0u);
  EXPECT_EQ(lines[3], "fraction of empty lists: 1");
  EXPECT_EQ(lines[4], "table_size: 512");
  EXPECT_EQ(lines[5], "number of entries: 3");
  EXPECT_EQ(lines[6], "fraction of entries in first position: 0.666667");
  EXPECT_EQ(lines[7], "fraction of empty lists: 0.996094");
}

// Random operation sequences against std::unordered_map, with key patterns
// that crowd single head slots so that the table grows several times.
TEST(ChMap, AgreesWithUnorderedMapOverRandomOperations) {
  for (unsigned seed : {1u, 2u, 3u, 4u}) {
    std::mt19937_64 rng(seed);
    map<unsigned long, long> M(-1);
    std::unordered_map<unsigned long, long> ref;
    auto key = [&]() -> unsigned long {
      switch (rng() % 4) {
        case 0: return rng() % 64;                        // 0, 1 and small keys
        case 1: return (rng() % 3000) * 512 + (seed % 5);  // one crowded chain
        case 2: return (rng() % 5000) * 4096;              // multiples of the larger tables
        default: return rng();                             // anywhere
      }
    };
    for (int step = 0; step < 20000; step++) {
      unsigned long k = key();
      switch (rng() % 5) {
        case 0:
        case 1: {
          long v = static_cast<long>(rng() % 1000000);
          M[k] = v;
          ref[k] = v;
          break;
        }
        case 2: {
          long got = M[k];
          auto it = ref.find(k);
          long want = it == ref.end() ? -1 : it->second;
          ref[k] = want;
          ASSERT_EQ(got, want) << "seed " << seed << " step " << step;
          break;
        }
        case 3: {
          // The value written after another access, as in M[a] = M[b].
          unsigned long k2 = key();
          long& cell = M[k];
          cell = M[k2] + 1;
          long v2 = ref.count(k2) ? ref[k2] : -1;
          ref[k2] = v2;
          ref[k] = v2 + 1;
          break;
        }
        default: {
          ch_map_elem* e = M.lookup(k);
          auto it = ref.find(k);
          ASSERT_EQ(e != nullptr, it != ref.end()) << "seed " << seed << " step " << step;
          if (e) {
            ASSERT_EQ(graphlib::graphlib_slot_value<long>(e->inf), it->second);
          }
          break;
        }
      }
    }
    EXPECT_GT(M.size(), 512) << "the table grew";
    std::set<unsigned long> seen;
    for (ch_map_elem* it = M.first_item(); it; it = M.next_item(it)) {
      ASSERT_TRUE(seen.insert(it->key).second) << "key " << it->key << " visited twice";
      ASSERT_EQ(ref.count(it->key), 1u) << "key " << it->key;
      EXPECT_EQ(graphlib::graphlib_slot_value<long>(it->inf), ref[it->key]);
    }
    EXPECT_EQ(seen.size(), ref.size());
    map<unsigned long, long> copy(M);
    for (const auto& kv : ref) ASSERT_EQ(copy[kv.first], kv.second);
  }
}

}  // namespace
