#include "frame_delay.h"

const uint32_t frameDelayMs = 5;
