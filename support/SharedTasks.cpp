#include "support/SharedTasks.h"

namespace {

thread_local const SharedTasks::Runner* runner = nullptr;

}  // namespace

namespace SharedTasks {

void run(std::size_t count, const Task& task) {
  if (runner && count > 1) {
    (*runner)(count, task);
    return;
  }
  for (std::size_t k = 0; k < count; ++k) task(k);
}

void setRunner(const Runner* r) { runner = r; }

}  // namespace SharedTasks
