#include "engine/frame_delay.h"

namespace oru::engine {

namespace {

uint32_t delayMs = 5;

}  // namespace

uint32_t frameDelayMs() { return delayMs; }

void setFrameDelayMs(uint32_t milliseconds) { delayMs = milliseconds; }

}  // namespace oru::engine
