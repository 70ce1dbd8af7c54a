#pragma once

#include <string>

namespace oru::app {

// Runs the script file fileName in the one script context; false (with a
// message) on failure. Names are relative to the working directory: when a
// script that the startup script loads is missing there but found beside the
// startup script, in another folder, one line on standard error says so once
// and suggests running the game by its folder.
bool runScript(std::string fileName);
// The last "Failed to run NAME (REASON)." line printed, or "" when none was.
const std::string& lastRunFailure();

}  // namespace oru::app
