#pragma once

#include <string>

namespace oru::app {

// Runs the script file fileName in the one script context; false (with a message) on failure.
bool runScript(std::string fileName);
// The last "Failed to run NAME (REASON)." line printed, or "" when none was.
const std::string& lastRunFailure();
// Writes text to standard output as it is, with no newline and no flush.
void print(std::string text);

}  // namespace oru::app
