#pragma once

#include <string>

namespace oru::app {

// What the command line asks the program to do.
struct StartupChoice {
  bool answered = false;  // an option was answered on standard output; end with status 0
  std::string script;     // otherwise the startup script to run
  bool watch = false;     // run it again whenever a script file under watchedFolder is saved
  std::string watchedFolder;
  std::string clip;      // record the frames shown to this GIF, from the first to the end
  bool refused = false;  // the command line cannot be followed (said on standard error); status 1
};

// Reads the command line. No argument: main.js. A folder: its main.js, with
// the folder made the working directory (a folder without one names the
// missing DIR/main.js). Any other existing path: that script. Otherwise
// --help, -h and --version are answered, and --watch [SCRIPT | DIR] runs the
// same choice, main.js without one, in watch mode, watching the script's
// folder (a folder is always made the working directory, so that its main.js
// can appear later), and --record FILE followed by any of these records the
// frames shown to FILE (named from where oru started); anything else is run as
// a script (and so reported missing).
StartupChoice chooseStartup(int argc, char* argv[]);

}  // namespace oru::app
