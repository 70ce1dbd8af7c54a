#include "frame_clock.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <ctime>

#include "engine/frame.h"

using namespace oru::engine;

namespace {

void (*hostFrameEnded)() = nullptr;
int64_t framesEnded = 0;
int64_t firstEnd = 0;
int64_t lastEnd = 0;

// Runs the host's own frame work first, so a frame ends when the script could go on.
void stampFrame() {
  if (hostFrameEnded) hostFrameEnded();
  lastEnd = monotonicNanoseconds();
  if (++framesEnded == 1) {
    firstEnd = lastEnd;
    std::fprintf(stderr, "bench: first-frame %" PRId64 "\n", firstEnd);
  }
}

}  // namespace

int64_t monotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

void startFrameClock() {
  FrameHooks hooks = frameHooks();
  hostFrameEnded = hooks.frameEnded;
  hooks.frameEnded = stampFrame;
  setFrameHooks(hooks);
}

void reportFrameClock() {
  std::fprintf(stderr, "bench: frames %" PRId64 " first %" PRId64 " last %" PRId64 "\n",
               framesEnded, firstEnd, lastEnd);
}
