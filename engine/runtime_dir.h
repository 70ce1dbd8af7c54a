#pragma once

#include <string>

namespace oru::engine {

// While it lives, gives SDL a private, empty XDG_RUNTIME_DIR when the
// environment names none (as under cron or in a bare root). SDL 3, under
// SDL 1.2 through sdl12-compat and sdl2-compat, looks for a Wayland
// compositor when it starts, and without that folder the Wayland library
// writes "error: XDG_RUNTIME_DIR is invalid or not set in the environment."
// to the program's standard error. With a folder that holds no compositor's
// socket, the search fails quietly and SDL goes on to X11. When it ends, the
// folder is removed and the variable is as it was.
class RuntimeDirForSdl {
 public:
  // Sets the variable to a new private folder if it is unset or not absolute.
  RuntimeDirForSdl();
  // Removes the folder it made, if any, and puts the variable back.
  ~RuntimeDirForSdl();
  RuntimeDirForSdl(const RuntimeDirForSdl&) = delete;
  RuntimeDirForSdl& operator=(const RuntimeDirForSdl&) = delete;

 private:
  std::string folder;
  bool wasSet = false;
  std::string previous;
};

}  // namespace oru::engine
