// The benchmark copy's flip does not sleep, so frame times measure drawing.
#include "frame_delay.h"

const uint32_t frameDelayMs = 0;
