#pragma once

namespace oru::engine {

// Interrupt (Ctrl-C), termination and hang-up signals.
//
// The program handles these itself, the same with every SDL build. The
// first one is a request to quit, which flip turns into the quit at its next
// call, as if the window had been closed. A quit never depends on the script
// calling flip: when flip does not come within a second of the signal, or is
// already more than a second overdue, the running script is stopped through
// the engine's interrupt (with a line on standard error that says so), and
// the program ends as after any quit. Should even that not end the script
// within another second (it is deep in work that the engine cannot
// interrupt), the program ends at once, its output written, with status 0.
// A second signal asks the host to stop the running script at once (the
// host then ends the process killed by that signal, its output flushed, or,
// when that takes over a second, as standard output cannot be written, the
// process ends killed by it all the same), and a third ends the process on
// the spot. A signal that was ignored when the program started (a background
// job's interrupt) stays ignored.

// What the quit signals do to the program beyond asking flip to quit.
struct QuitHooks {
  // Stops the running script; async-signal-safe, as a handler calls it.
  void (*stopScript)();
  // Ends the process at once with status 0, its output written; called from
  // a thread of its own when a stopped script does not end (may be null).
  void (*endNow)();
};

// Installs the handlers and the watch for scripts that do not reach flip.
// Call before SDL starts, which then leaves the handlers in place.
void watchQuitSignals(QuitHooks hooks);
// Whether a quit signal has arrived.
bool quitSignalled();
// The signal that asked to stop the running script (the second one), or 0.
int stoppingSignal();
// Tells the watch that the program is ending by itself: a stopped script has
// ended, so the process need not be ended for it.
void noteProgramEnding();
// Ends the process killed by signal, with no exit handlers run.
[[noreturn]] void endBySignal(int signal);

}  // namespace oru::engine
