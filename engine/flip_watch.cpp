#include "engine/flip_watch.h"

#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace oru::engine {

namespace {

constexpr char hint[] =
    "oru: the script has not called flip() for over a second, so its window cannot respond; "
    "stopping it.\n";

// The time of the last flip. Lock-free, so a signal handler may read it.
std::atomic<int64_t> lastFlip{0};
static_assert(std::atomic<int64_t>::is_always_lock_free);

}  // namespace

int64_t monotonicNowNs() {
  // clock_gettime is async-signal-safe.
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

void noteFlipReached() { lastFlip.store(monotonicNowNs(), std::memory_order_relaxed); }

int64_t lastFlipNs() { return lastFlip.load(std::memory_order_relaxed); }

void writeStoppingHint() {
  const int savedErrno = errno;
  // One write of the whole line; a short write to a full pipe is not retried.
  ssize_t written = write(STDERR_FILENO, hint, sizeof hint - 1);
  (void)written;
  errno = savedErrno;
}

}  // namespace oru::engine
