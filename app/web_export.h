#pragma once

#include <string>

namespace oru::app {

// `oru --export-web GAME OUT`: writes a web page that runs the game in a
// browser. GAME is a game folder (its main.js starts it) or a startup script
// (its folder is the game's). OUT is a new or empty folder, or an archive
// whose name ends in ".zip". Everything under the game's folder except
// hidden files goes into game/, beside the player; OUT/index.html opens it.
// Prints each file written and the total size; returns the exit status, 0,
// or 1 after a message on failure (a refused OUT is left as it was).
int exportWeb(const std::string& game, const std::string& out);

}  // namespace oru::app
