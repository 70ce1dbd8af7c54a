#include "engine/clock.h"

#include <SDL.h>

#include "engine/flip_watch.h"

namespace oru::engine {

namespace {

bool clockStarted = false;

}  // namespace

void startClock() {
  if (clockStarted) return;
  // The program's start counts as a flip, for the quit signals' hint.
  noteFlipReached();
  // Starting no subsystem still starts SDL's tick count, which later
  // initialisations leave running.
  SDL_InitSubSystem(0);
  clockStarted = true;
}

float getTime() {
  // SDL's count is meaningless before something starts it.
  startClock();
  // Seconds are worked out in double precision; scripts see them in single precision.
  const double seconds = static_cast<double>(SDL_GetTicks()) / 1000.0;
  return static_cast<float>(seconds);
}

}  // namespace oru::engine
