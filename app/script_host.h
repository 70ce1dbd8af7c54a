#pragma once

// Sets up the script host as the program runs scripts: the one script
// context with its error reporter, the whole script interface and the frame
// hooks; false (with a message) when no context can be made.
bool openScriptHost();
// Destroys the script host.
void closeScriptHost();
