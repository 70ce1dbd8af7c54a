#pragma once

#include <cstdint>

namespace oru::engine {

// How long flip sleeps after showing a frame, in milliseconds, to give time
// back to the system: 5 unless set.
uint32_t frameDelayMs();
// Sets flip's sleep; the benchmark and the fuzzer set 0, so that frames cost
// only their drawing.
void setFrameDelayMs(uint32_t milliseconds);

}  // namespace oru::engine
