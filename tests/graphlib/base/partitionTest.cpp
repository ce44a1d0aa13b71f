#include "graphlib/base/partition.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "AllocatorUsage.h"

namespace {

using graphlib::list;
using graphlib::partition;
using graphlib::partition_node;
using testing_support::AllocatorBaseline;

int count_items(const partition& P) {
  int n = 0;
  for (partition_node* p = P.all_items; p; p = p->next) n++;
  return n;
}

TEST(Partition, UnionWithinOneBlockChangesNothing) {
  partition P;
  partition_node* a = P.new_block(nullptr);
  partition_node* b = P.new_block(nullptr);
  partition_node* c = P.new_block(nullptr);
  P.union_blocks(a, a);
  EXPECT_EQ(P.block_count, 3);
  EXPECT_EQ(a->parent, nullptr);
  P.union_blocks(a, b);
  P.union_blocks(b, c);
  ASSERT_EQ(P.block_count, 1);
  partition_node* root = P.find(a);
  int size = root->size;
  P.union_blocks(c, a);
  P.union_blocks(a, b);
  EXPECT_EQ(P.block_count, 1);
  EXPECT_EQ(P.find(c), root);
  EXPECT_EQ(root->size, size);
  EXPECT_EQ(size, 3);
}

TEST(Partition, EqualSizesPutTheFirstRootUnderTheSecond) {
  partition P;
  partition_node* a = P.new_block(nullptr);
  partition_node* b = P.new_block(nullptr);
  P.union_blocks(a, b);
  EXPECT_EQ(P.find(a), b);
  EXPECT_EQ(P.find(b), b);
  EXPECT_EQ(b->size, 2);
  EXPECT_EQ(P.block_count, 1);

  // The larger block's root stays the root, whichever argument it is.
  partition_node* c = P.new_block(nullptr);
  P.union_blocks(a, c);
  EXPECT_EQ(P.find(c), b);
  EXPECT_EQ(b->size, 3);
}

TEST(Partition, FindCompressesTheWholePath) {
  partition P;
  partition_node* root = P.new_block(nullptr);
  partition_node* c = P.new_block(nullptr);
  partition_node* b = P.new_block(nullptr);
  partition_node* a = P.new_block(nullptr);
  // The chain a -> b -> c -> root, which unions by size never build.
  a->parent = b;
  b->parent = c;
  c->parent = root;
  EXPECT_EQ(P.find(root), root);
  EXPECT_EQ(root->parent, nullptr);
  EXPECT_EQ(P.find(a), root);
  EXPECT_EQ(a->parent, root);
  EXPECT_EQ(b->parent, root);
  EXPECT_EQ(c->parent, root);
}

TEST(Partition, ResetAndSplit) {
  partition P;
  std::vector<partition_node*> items;
  for (int i = 0; i < 6; i++) items.push_back(P.new_block(nullptr));
  for (int i = 1; i < 6; i++) P.union_blocks(items[0], items[i]);
  ASSERT_EQ(P.block_count, 1);
  partition_node* root = P.find(items[0]);
  P.reset(root);
  EXPECT_EQ(P.block_count, 1) << "a root has no parent to lose";
  EXPECT_EQ(root->size, 1);
  partition_node* other = items[0] == root ? items[1] : items[0];
  P.reset(other);
  EXPECT_EQ(P.block_count, 2);

  list<partition_node*> all;
  for (partition_node* p : items) all.append(p);
  P.split(all);
  EXPECT_EQ(P.block_count, 6);
  for (partition_node* p : items) {
    EXPECT_EQ(P.find(p), p);
    EXPECT_EQ(p->size, 1);
  }
}

class CountingPartition : public partition {
 public:
  ~CountingPartition() override { clear(); }
  mutable std::vector<long> cleared;
  void clear_inf(void*& x) const override { cleared.push_back(reinterpret_cast<long>(x)); }
};

TEST(Partition, ClearGivesEveryItemBackAndStartsAfresh) {
  AllocatorBaseline baseline;
  {
    CountingPartition P;
    for (long i = 1; i <= 50; i++) P.new_block(reinterpret_cast<void*>(i));
    EXPECT_EQ(count_items(P), 50);
    EXPECT_EQ(P.all_items->inf, reinterpret_cast<void*>(50)) << "newest first";
    P.union_blocks(P.all_items, P.all_items->next);
    P.clear();
    EXPECT_EQ(P.all_items, nullptr);
    EXPECT_EQ(P.block_count, 0);
    EXPECT_EQ(P.cleared.size(), 50u);
    EXPECT_EQ(P.cleared.front(), 50);
    EXPECT_EQ(baseline.changes(), std::vector<std::string>());

    partition_node* x = P.new_block(nullptr);
    partition_node* y = P.new_block(nullptr);
    P.union_blocks(x, y);
    EXPECT_EQ(P.block_count, 1);
    EXPECT_EQ(P.find(x), y);
  }
  EXPECT_EQ(baseline.changes(), std::vector<std::string>());
}

// Blocks against a brute-force labelling: components of the graph of all
// unions made so far, found by a search from scratch after every step.
TEST(Partition, AgreesWithBruteForceComponentLabelling) {
  for (unsigned seed : {5u, 6u, 7u}) {
    std::mt19937 rng(seed);
    const int n = 60;
    partition P;
    std::vector<partition_node*> item;
    for (int i = 0; i < n; i++) item.push_back(P.new_block(nullptr));
    std::vector<std::vector<int>> adj(n);

    auto labels = [&] {
      std::vector<int> label(n, -1);
      int next = 0;
      for (int s = 0; s < n; s++) {
        if (label[s] >= 0) continue;
        std::vector<int> stack{s};
        label[s] = next;
        while (!stack.empty()) {
          int v = stack.back();
          stack.pop_back();
          for (int w : adj[v])
            if (label[w] < 0) {
              label[w] = next;
              stack.push_back(w);
            }
        }
        next++;
      }
      return std::make_pair(label, next);
    };

    for (int step = 0; step < 400; step++) {
      int i = static_cast<int>(rng() % n), j = static_cast<int>(rng() % n);
      if (rng() % 10 == 0) {
        // Split i's whole block.
        std::vector<int> lab = labels().first;
        list<partition_node*> L;
        for (int k = 0; k < n; k++)
          if (lab[k] == lab[i]) {
            L.append(item[k]);
            adj[k].clear();
          }
        P.split(L);
      } else {
        P.union_blocks(item[i], item[j]);
        adj[i].push_back(j);
        adj[j].push_back(i);
      }
      auto [lab, blocks] = labels();
      ASSERT_EQ(P.block_count, blocks) << "seed " << seed << " step " << step;
      std::vector<int> members(static_cast<size_t>(blocks), 0);
      for (int k = 0; k < n; k++) members[static_cast<size_t>(lab[k])]++;
      for (int k = 0; k < n; k++) {
        partition_node* r = P.find(item[k]);
        ASSERT_EQ(r == P.find(item[i]), lab[k] == lab[i]) << "seed " << seed << " step " << step;
        ASSERT_EQ(r->size, members[static_cast<size_t>(lab[k])]) << "seed " << seed << " step " << step;
      }
    }
  }
}

}  // namespace
