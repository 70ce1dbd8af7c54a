#pragma once

#include <string>

namespace oru::engine {

// The SDL library loaded now, as "SDL 1.2", or "SDL 1.2 through sdl12-compat"
// when it is the SDL 1.2 interface over SDL2. Needs no SDL subsystem started.
std::string sdlVersion();

}  // namespace oru::engine
