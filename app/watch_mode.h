#pragma once

#include <string>

namespace oru::app {

// Runs the startup script, and again, afresh, whenever a script file under
// folder is saved, keeping the window; a script error is shown in the window
// too until the next save. Ends with the program's status once the user
// quits (Escape while no script runs, the window closed, a quit signal); 1
// when folder cannot be watched or no script host can be made.
int runWatching(const std::string& script, const std::string& folder);

}  // namespace oru::app
