#pragma once
// Batches of independent tasks within one pivot's work (one task per other
// structure, say). A thread runs them one after another unless it has been
// given a runner that shares them with idle threads; task k must write only
// what belongs to k, and print nothing, so the outcome is the same either way.
#include <cstddef>
#include <functional>

namespace SharedTasks {

using Task = std::function<void(std::size_t)>;
using Runner = std::function<void(std::size_t count, const Task& task)>;

// Runs task(0) .. task(count - 1) and returns when all have ended.
void run(std::size_t count, const Task& task);

// This thread's runner (none when null: the tasks run in order).
void setRunner(const Runner* runner);

}  // namespace SharedTasks
