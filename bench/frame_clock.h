#pragma once

// Frame stamps for the benchmark driver. Run at each frame's end, it
// writes to standard error, at the end of the first flip, the monotonic clock
// the driver compares with the moment it started the process, and, when
// reported, how many frames ended, when the first and the last one did, and
// the processor time the whole process had used by then.

#include <cstdint>

// The monotonic clock in nanoseconds, the clock every stamp uses.
int64_t monotonicNanoseconds();
// Writes "bench: PHASE NANOSECONDS" to standard error: the moment a step of
// start-up ended (main entered, the script engine started).
void stampStartup(const char* phase);
// Stamps a frame's end: the script host's addition to each flip.
void stampFrame();
// Writes the frame count, the first and last stamps and the processor time
// used at each to standard error.
void reportFrameClock();
