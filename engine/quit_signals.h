#pragma once

namespace oru::engine {

// Interrupt (Ctrl-C), termination and hang-up signals.
//
// The program handles these itself, the same with every SDL build: the first
// one is a request to quit, which flip turns into the quit at its next call,
// as if the window had been closed. A script stuck in a loop that never flips
// would never see it, so a second one asks the host to stop the running
// script at once (the host then ends the process killed by that signal, its
// output flushed, or, when that takes over a second, as standard output
// cannot be written, the process ends killed by it all the same), and a
// third ends the process on the spot. A signal that was
// ignored when the program started (a background job's interrupt) stays ignored.

// Installs the handlers; stopScript (called from the handler, so it must be
// async-signal-safe) stops the running script. Call before SDL starts, which
// then leaves the handlers in place.
void watchQuitSignals(void (*stopScript)());
// Whether a quit signal has arrived.
bool quitSignalled();
// The signal that asked to stop the running script (the second one), or 0.
int stoppingSignal();
// Ends the process killed by signal, with no exit handlers run.
[[noreturn]] void endBySignal(int signal);

}  // namespace oru::engine
