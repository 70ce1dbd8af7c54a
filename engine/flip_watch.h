#pragma once

#include <cstdint>

namespace oru::engine {

// When the script last reached flip, for the quit signals: a quit waits for
// the script's next flip, and a script whose loop never calls flip must be
// stopped another way.

// Notes that the script has reached flip now (the program's start counts as one).
void noteFlipReached();
// CLOCK_MONOTONIC in nanoseconds; async-signal-safe.
int64_t monotonicNowNs();
// CLOCK_MONOTONIC in nanoseconds when the script last reached flip, 0 before
// the first note; async-signal-safe.
int64_t lastFlipNs();
// Writes one line to standard error: the script has not called flip for
// over a second, so its window cannot respond, and it is being stopped.
// Async-signal-safe.
void writeStoppingHint();

}  // namespace oru::engine
