#pragma once
// The names of this process's files that are still under a temporary name,
// kept where a signal handler can reach them: a run that is stopped removes
// them, and leaves no cut file behind.
#include <cstddef>
#include <string>

namespace TemporaryFiles {

// Files that can be noted at once (a run writes one result file at a time
// besides its log).
constexpr std::size_t kCapacity = 32;

// Notes `name`; call it before the file is created, so that it is never on
// disk unnoted, under the same RunSignals::Deferral as the create. False when the table is full or the name too long: the file
// can still be written, but a stopped run would leave it behind.
bool add(const std::string& name);

// Forgets `name` once the file has been renamed or removed, under the same
// RunSignals::Deferral as that step.
void forget(const std::string& name);

// Removes every noted file. Async-signal-safe: signal handlers call it too.
void removeAll();

}  // namespace TemporaryFiles
