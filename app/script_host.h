#pragma once

namespace oru::app {

// Sets up the script host as the program runs scripts: the one script
// context with its error reporter, the whole script interface, the frame
// hooks and the quit signals; false (with a message) when no context can be made.
bool openScriptHost();
// Destroys the script host.
void closeScriptHost();
// The program's exit status once the host is closed: 0 when the startup
// script succeeded or was stopped by a quit, 1 otherwise. When a second quit
// signal stopped the script, it ends the process killed by that signal
// instead, its output flushed.
int programStatus(bool scriptSucceeded);

}  // namespace oru::app
