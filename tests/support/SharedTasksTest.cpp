#include "support/SharedTasks.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

namespace {

TEST(SharedTasks, WithoutARunnerTheTasksRunInOrderOnTheCallingThread) {
  std::vector<std::size_t> order;
  const std::thread::id caller = std::this_thread::get_id();
  bool sameThread = true;
  SharedTasks::run(5, [&](std::size_t k) {
    order.push_back(k);
    sameThread = sameThread && std::this_thread::get_id() == caller;
  });
  EXPECT_EQ(order, (std::vector<std::size_t>{0, 1, 2, 3, 4}));
  EXPECT_TRUE(sameThread);
  SharedTasks::run(0, [&](std::size_t) { FAIL() << "no task to run"; });
}

TEST(SharedTasks, AThreadsRunnerTakesItsBatchesOfMoreThanOneTask) {
  // A runner that runs the tasks on two threads, last first.
  std::atomic<int> batches{0};
  const SharedTasks::Runner runner = [&](std::size_t count, const SharedTasks::Task& task) {
    ++batches;
    std::thread helper([&] {
      for (std::size_t k = count; k-- > count / 2;) task(k);
    });
    for (std::size_t k = count / 2; k-- > 0;) task(k);
    helper.join();
  };
  SharedTasks::setRunner(&runner);
  std::vector<int> done(9, 0);
  SharedTasks::run(done.size(), [&](std::size_t k) { done[k] += static_cast<int>(k) + 1; });
  SharedTasks::run(1, [&](std::size_t k) { done[k] += 100; });  // one task: no runner needed
  SharedTasks::setRunner(nullptr);
  SharedTasks::run(2, [&](std::size_t k) { done[k] += 1000; });
  EXPECT_EQ(batches.load(), 1);
  EXPECT_EQ(done, (std::vector<int>{1101, 1002, 3, 4, 5, 6, 7, 8, 9}));
}

}  // namespace
