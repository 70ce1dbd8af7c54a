#include "engine/frame_delay.h"

namespace oru::engine {

const uint32_t frameDelayMs = 5;

}  // namespace oru::engine
