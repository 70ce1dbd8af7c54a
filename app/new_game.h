#pragma once

#include <string>

namespace oru::app {

// `oru --new NAME`: makes the folder NAME holding the starter game, its type
// declarations, jsconfig.json and .gitignore, and prints the next two
// commands. Refuses, changing nothing, when NAME exists; says why on standard
// error. Returns the exit status: 0 when made, 1 otherwise.
int makeNewGame(const std::string& folder);

}  // namespace oru::app
