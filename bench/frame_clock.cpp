#include "frame_clock.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <ctime>

namespace {

int64_t framesEnded = 0;
int64_t firstEnd = 0;
int64_t lastEnd = 0;
int64_t firstCpu = 0;
int64_t lastCpu = 0;

// The reading of clock in nanoseconds.
int64_t clockNanoseconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

// Writes "bench: NAME AT" to standard error, the form the driver reads.
void writeStamp(const char* name, int64_t at) {
  std::fprintf(stderr, "bench: %s %" PRId64 "\n", name, at);
}

}  // namespace

// The host runs its own frame work first, so a frame ends when the script could go on.
void stampFrame() {
  lastEnd = monotonicNanoseconds();
  // The processor time of the whole process, every thread.
  lastCpu = clockNanoseconds(CLOCK_PROCESS_CPUTIME_ID);
  if (++framesEnded == 1) {
    firstEnd = lastEnd;
    firstCpu = lastCpu;
    writeStamp("first-frame", firstEnd);
  }
}

int64_t monotonicNanoseconds() { return clockNanoseconds(CLOCK_MONOTONIC); }

void stampStartup(const char* phase) { writeStamp(phase, monotonicNanoseconds()); }

void reportFrameClock() {
  std::fprintf(stderr,
               "bench: frames %" PRId64 " first %" PRId64 " last %" PRId64 " cpu %" PRId64
               " %" PRId64 "\n",
               framesEnded, firstEnd, lastEnd, firstCpu, lastCpu);
}
