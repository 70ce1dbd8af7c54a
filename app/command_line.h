#pragma once

#include <string>

namespace oru::app {

// What the command line asks the program to do.
struct StartupChoice {
  bool answered = false;  // an option was answered; end with answerStatus
  int answerStatus = 0;
  std::string script;  // otherwise the startup script to run
  bool watch = false;  // run it again whenever a script file under watchedFolder is saved
  std::string watchedFolder;
  bool newGame = false;  // make the game folder gameFolder instead of running a script
  std::string gameFolder;
  bool exportWeb = false;  // write a web page that plays exportGame into exportOut
  std::string exportGame;
  std::string exportOut;
  std::string clip;  // record the frames shown to this GIF, from the first to the end
};

// Reads the command line. No argument: main.js. A folder: its main.js, with
// the folder made the working directory (a folder without one names the
// missing DIR/main.js). Any other existing path: that script. Otherwise
// --help, -h and --version are answered, and --watch [SCRIPT | DIR] runs the
// same choice, main.js without one, in watch mode, watching the script's
// folder (a folder is always made the working directory, so that its main.js
// can appear later); --new NAME asks for a new game folder NAME;
// --export-web GAME OUT asks for the web export (without both names, the
// usage is written to standard error and the choice is answered with status
// 1); --record FILE followed by any of these records the frames shown to
// FILE (named from where oru started); anything else is run as a script (and
// so reported missing, and an unknown option named as such on standard error).
StartupChoice chooseStartup(int argc, char* argv[]);

}  // namespace oru::app
