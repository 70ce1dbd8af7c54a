#pragma once

namespace oru::engine {

// How long ago the script last reached flip, for the quit signals: a script
// whose loop never calls flip leaves its window frozen, and the first quit
// signal (which waits for flip) seems to do nothing. The hint says why.

// Notes that the script has reached flip now (the program's start counts as one).
void noteFlipReached();
// Writes one line to standard error when the script has not reached flip for
// over a second: the window cannot respond, and a second signal stops the
// script. Async-signal-safe: called from the quit signal handler.
void hintIfFlipOverdue();

}  // namespace oru::engine
