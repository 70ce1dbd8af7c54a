#include "wait_for.h"

#include <poll.h>

#include "child_process.h"

bool waitFor(const std::function<bool()>& sign, double seconds) {
  const int64_t deadline = monotonicNanoseconds() + static_cast<int64_t>(seconds * 1e9);
  while (!sign()) {
    if (monotonicNanoseconds() >= deadline) return false;
    poll(nullptr, 0, 20);
  }
  return true;
}
