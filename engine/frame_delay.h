#pragma once

#include <cstdint>

namespace oru::engine {

// How long flip sleeps after showing a frame, in milliseconds, to give time
// back to the system. Defined in a source of its own (frame_delay.cpp) so
// that the benchmark copy can link 0 instead and time drawing alone.
extern const uint32_t frameDelayMs;

}  // namespace oru::engine
