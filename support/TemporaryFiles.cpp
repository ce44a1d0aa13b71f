#include "support/TemporaryFiles.h"

#include <limits.h>
#include <unistd.h>

#include <atomic>

namespace TemporaryFiles {

namespace {

constexpr std::size_t kNameSize = PATH_MAX;

// A slot is written only by the thread that took it. Its generation is odd
// while it holds a name; a reader (a signal handler, perhaps on another
// thread) copies the name and uses the copy only when the generation has not
// moved meanwhile, so it never acts on a name half overwritten: a character
// it reads from a later name (stored with release) makes the step of the
// generation before that name visible to it. Lock-free atomics only, as a
// signal handler may run in the middle of any of this.
struct Slot {
  std::atomic<bool> taken;
  std::atomic<unsigned> generation;
  std::atomic<char> name[kNameSize];
};

Slot slots[kCapacity];

bool holds(const Slot& slot, const std::string& name) {
  for (std::size_t k = 0; k < name.size(); ++k)
    if (slot.name[k].load(std::memory_order_acquire) != name[k]) return false;
  return slot.name[name.size()].load(std::memory_order_acquire) == '\0';
}

}  // namespace

bool add(const std::string& name) {
  if (name.empty() || name.size() >= kNameSize) return false;
  for (Slot& slot : slots) {
    bool free = false;
    if (!slot.taken.compare_exchange_strong(free, true, std::memory_order_acquire)) continue;
    for (std::size_t k = 0; k < name.size(); ++k) slot.name[k].store(name[k], std::memory_order_release);
    slot.name[name.size()].store('\0', std::memory_order_release);
    slot.generation.fetch_add(1, std::memory_order_release);
    return true;
  }
  return false;
}

void forget(const std::string& name) {
  for (Slot& slot : slots) {
    if (!slot.taken.load(std::memory_order_acquire)) continue;
    if ((slot.generation.load(std::memory_order_acquire) & 1u) == 0 || !holds(slot, name)) continue;
    slot.generation.fetch_add(1, std::memory_order_release);
    slot.taken.store(false, std::memory_order_release);
    return;
  }
}

void removeAll() {
  for (Slot& slot : slots) {
    const unsigned generation = slot.generation.load(std::memory_order_acquire);
    if ((generation & 1u) == 0) continue;
    char name[kNameSize];
    std::size_t k = 0;
    for (; k + 1 < kNameSize; ++k)
      if ((name[k] = slot.name[k].load(std::memory_order_acquire)) == '\0') break;
    name[k] = '\0';
    if (slot.generation.load(std::memory_order_acquire) != generation) continue;
    unlink(name);
  }
}

}  // namespace TemporaryFiles
