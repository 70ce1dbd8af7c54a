#include "engine/flip_watch.h"

#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>

namespace oru::engine {

namespace {

constexpr int64_t overdueNs = 1000000000;

constexpr char hint[] =
    "oru: the script has not called flip() for over a second, so its window cannot respond; "
    "a second signal stops it.\n";

// CLOCK_MONOTONIC in nanoseconds at the last flip, 0 before the first note.
// Lock-free, so the signal handler may read it.
std::atomic<int64_t> lastFlipNs{0};
static_assert(std::atomic<int64_t>::is_always_lock_free);

// clock_gettime is async-signal-safe.
int64_t nowNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

}  // namespace

void noteFlipReached() { lastFlipNs.store(nowNs(), std::memory_order_relaxed); }

void hintIfFlipOverdue() {
  const int64_t last = lastFlipNs.load(std::memory_order_relaxed);
  if (last == 0 || nowNs() - last <= overdueNs) return;
  const int savedErrno = errno;
  // One write of the whole line; a short write to a full pipe is not retried.
  ssize_t written = write(STDERR_FILENO, hint, sizeof hint - 1);
  (void)written;
  errno = savedErrno;
}

}  // namespace oru::engine
