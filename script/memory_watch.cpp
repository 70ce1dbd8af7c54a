#include "memory_watch.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>

#include <jsapi.h>

namespace {

// How often the resident size is read: at the fastest rate a script can
// allocate (about 200 MB/s) it passes the limit by a few MB at most.
constexpr auto samplePeriod = std::chrono::milliseconds(10);

}  // namespace

size_t residentBytes() {
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (!statm) return 0;
  unsigned long sizePages = 0, residentPages = 0;
  int read = std::fscanf(statm, "%lu %lu", &sizePages, &residentPages);
  std::fclose(statm);
  if (read != 2) return 0;
  return static_cast<size_t>(residentPages) * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

MemoryWatch::MemoryWatch(JSContext* context, size_t limitBytes)
    : context(context), limit(limitBytes), thread([this] { watch(); }) {}

MemoryWatch::~MemoryWatch() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    stopping = true;
  }
  wake.notify_one();
  thread.join();
}

bool MemoryWatch::overLimit() const { return residentBytes() > limit; }

void MemoryWatch::watch() {
  std::unique_lock<std::mutex> lock(mutex);
  while (!wake.wait_for(lock, samplePeriod, [this] { return stopping; })) {
    // The engine allows this one call from other threads.
    if (overLimit()) JS_RequestInterruptCallback(context);
  }
}
