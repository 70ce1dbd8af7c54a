#include "app/command_line.h"

#include <sys/stat.h>
#include <unistd.h>

#include <iostream>
#include <vector>

#include "engine/capture_file.h"
#include "engine/sdl_version.h"
#include "script/engine_version.h"

namespace oru::app {

namespace {

constexpr char defaultScript[] = "main.js";

constexpr char usage[] =
    "Usage: oru [--record FILE.gif] [--watch] [SCRIPT | DIR]\n"
    "       oru --new NAME\n"
    "       oru --export-web SCRIPT | DIR OUT\n"
    "Runs a JavaScript game or animation drawn in glowing strokes.\n"
    "\n"
    "  oru             run main.js in the working directory\n"
    "  oru SCRIPT      run the script file SCRIPT\n"
    "  oru DIR         run DIR/main.js with DIR as the working directory\n"
    "  --watch [SCRIPT | DIR]\n"
    "                  run it, and again whenever a .js file under its folder\n"
    "                  is saved; a script error is shown in the window\n"
    "  --record FILE.gif [--watch] [SCRIPT | DIR]\n"
    "                  record every frame shown to the animated GIF FILE.gif,\n"
    "                  from the first to the end of the program\n"
    "  --new NAME      make the folder NAME with a starter game, type declarations\n"
    "                  for editors (oru.d.ts, jsconfig.json) and a .gitignore\n"
    "  --export-web SCRIPT | DIR OUT\n"
    "                  write a web page that plays the game in a browser into\n"
    "                  the new folder OUT, or the archive OUT if it ends in .zip\n"
    "  -h, --help      print this help and exit\n"
    "  --version       print the version and what oru was built with, and exit\n"
    "\n"
    "In the window, F12 saves the frame shown as a PNG and F9 starts and ends\n"
    "a clip (an animated GIF), both in the working directory.\n"
    "\n"
    "Scripts load further scripts with runScript(), relative to the working\n"
    "directory. A file named like an option is run as a script. See oru(1).\n";

// The kind of file at path (S_IFDIR, S_IFREG, ...), or 0 when nothing is there.
mode_t fileKind(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? info.st_mode & S_IFMT : 0;
}

// A game folder: its main.js, run from inside the folder so that the game's
// own runScript calls find their files wherever oru was started. When there
// is no main.js to run, the name the user can look for, DIR/main.js, is the
// one reported.
std::string folderScript(const std::string& folder) {
  const std::string path = folder + (folder.back() == '/' ? "" : "/") + defaultScript;
  if (fileKind(path) != S_IFREG || chdir(folder.c_str()) != 0) return path;
  return defaultScript;
}

// Watch mode for the script or folder named (main.js when none is).
StartupChoice watchChoice(int argc, char* argv[]) {
  StartupChoice choice;
  choice.watch = true;
  choice.script = defaultScript;
  choice.watchedFolder = ".";
  if (argc < 3) return choice;
  const std::string target = argv[2];
  if (fileKind(target) == S_IFDIR) {
    // A folder without main.js yet still runs from inside, where main.js will appear.
    if (chdir(target.c_str()) != 0) {
      choice.script = target + "/" + defaultScript;
      choice.watchedFolder = target;
    }
    return choice;
  }
  choice.script = target;
  const size_t slash = target.rfind('/');
  if (slash != std::string::npos) choice.watchedFolder = slash == 0 ? "/" : target.substr(0, slash);
  return choice;
}

// --record FILE followed by what the command line would be without it.
StartupChoice recordChoice(int argc, char* argv[]) {
  if (argc < 3) {
    std::cerr << "oru: --record needs the name of the GIF to write: oru --record FILE.gif "
                 "[SCRIPT | DIR]"
              << std::endl;
    StartupChoice refused;
    refused.answered = true;
    refused.answerStatus = 1;
    return refused;
  }
  // Named from where oru was started, before a game folder becomes the working directory.
  const std::string clip = engine::absolutePath(argv[2]);
  std::vector<char*> rest = {argv[0]};
  rest.insert(rest.end(), argv + 3, argv + argc);
  StartupChoice choice = chooseStartup(static_cast<int>(rest.size()), rest.data());
  choice.clip = clip;
  return choice;
}

}  // namespace

StartupChoice chooseStartup(int argc, char* argv[]) {
  StartupChoice choice;
  if (argc < 2) {
    choice.script = defaultScript;
    return choice;
  }
  // Further arguments are ignored.
  const std::string argument = argv[1];
  const mode_t kind = fileKind(argument);
  if (kind == S_IFDIR) {
    choice.script = folderScript(argument);
  } else if (kind != 0) {
    choice.script = argument;
  } else if (argument == "--help" || argument == "-h") {
    std::cout << usage << std::flush;
    choice.answered = true;
  } else if (argument == "--watch") {
    return watchChoice(argc, argv);
  } else if (argument == "--new") {
    choice.newGame = true;
    if (argc > 2) choice.gameFolder = argv[2];
  } else if (argument == "--export-web") {
    if (argc < 4) {
      std::cerr << "oru: --export-web needs a game and where to write it: "
                   "oru --export-web SCRIPT | DIR OUT"
                << std::endl;
      choice.answered = true;
      choice.answerStatus = 1;
      return choice;
    }
    choice.exportWeb = true;
    choice.exportGame = argv[2];
    choice.exportOut = argv[3];
  } else if (argument == "--record") {
    return recordChoice(argc, argv);
  } else if (argument == "--version") {
    std::cout << "oru " ORU_VERSION " (" << script::engineVersion() << ", " << engine::sdlVersion()
              << ")" << std::endl;
    choice.answered = true;
  } else {
    // Run as a script, and so reported missing; an option misspelled is named as such too.
    if (argument.size() > 1 && argument[0] == '-') {
      std::cerr << "oru: unknown option " << argument << " (see oru --help)" << std::endl;
    }
    choice.script = argument;
  }
  return choice;
}

}  // namespace oru::app
