#include "engine/sdl_version.h"

#include <SDL.h>

namespace oru::engine {

namespace {

// sdl12-compat numbers its releases from 1.2.50 on; SDL 1.2 itself ended at 1.2.15.
constexpr int firstCompatPatch = 50;

}  // namespace

std::string sdlVersion() {
  // The library loaded at run time, which a package upgrade may have changed
  // since oru was built.
  const SDL_version* linked = SDL_Linked_Version();
  std::string text = "SDL " + std::to_string(linked->major) + "." + std::to_string(linked->minor);
  if (linked->patch >= firstCompatPatch) text += " through sdl12-compat";
  return text;
}

}  // namespace oru::engine
