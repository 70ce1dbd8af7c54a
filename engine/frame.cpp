#include "engine/frame.h"

#include <SDL.h>

#include <cstdlib>

#include "engine/engine_state.h"
#include "engine/flip_watch.h"
#include "engine/frame_delay.h"
#include "engine/quit_signals.h"
#include "engine/stroke_batch.h"

namespace oru::engine {

// One key flag for each of SDL's key symbols.
static_assert(keySymbolCount == SDLK_LAST, "the key flags must cover SDL's key symbols");

namespace {

FrameHooks hooks = {nullptr, nullptr};
bool clockStarted = false;

// Records a key going down or up; symbols outside the flag table are ignored.
void setKey(int symbol, unsigned char state) {
  if (symbol >= 0 && symbol < keySymbolCount) keyStates[symbol] = state;
}

bool keyHeld(int symbol) { return keyStates[symbol] == 1; }

// The quit: the host, if there is one, ends the script that called flip
// (flip returns to it at once); without one the process ends with status 0
// through the normal exit path.
void quit() {
  if (!hooks.quitting) std::exit(0);
  hooks.quitting();
}

}  // namespace

void setFrameHooks(FrameHooks newHooks) { hooks = newHooks; }

FrameHooks frameHooks() { return hooks; }

void startClock() {
  if (clockStarted) return;
  noteFlipReached();
  // Starting no subsystem still starts SDL's tick count, which later
  // initialisations leave running.
  SDL_InitSubSystem(0);
  clockStarted = true;
}

void flip() {
  noteFlipReached();
  if (quitSignalled()) return quit();
  if (SDL_WasInit(SDL_INIT_VIDEO)) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
      switch (event.type) {
        case SDL_KEYDOWN:
          setKey(event.key.keysym.sym, 1);
          break;
        case SDL_KEYUP:
          setKey(event.key.keysym.sym, 0);
          break;
        case SDL_QUIT:
          return quit();
        default:
          break;
      }
    }
  }
  if (hasDrawingContext) {
    drawPendingStrokesForShowing();
    SDL_GL_SwapBuffers();
  }
  if (hooks.frameEnded) hooks.frameEnded();
  if (frameDelayMs() > 0) SDL_Delay(frameDelayMs());
}

bool leftDown() { return keyHeld(SDLK_LEFT); }
bool rightDown() { return keyHeld(SDLK_RIGHT); }
bool upDown() { return keyHeld(SDLK_UP); }
bool downDown() { return keyHeld(SDLK_DOWN); }
bool spaceDown() { return keyHeld(SDLK_SPACE); }
bool escDown() { return keyHeld(SDLK_ESCAPE); }
bool enterDown() { return keyHeld(SDLK_RETURN); }

float getTime() {
  // SDL's count is meaningless before something starts it.
  startClock();
  // Seconds are worked out in double precision; scripts see them in single precision.
  const double seconds = static_cast<double>(SDL_GetTicks()) / 1000.0;
  return static_cast<float>(seconds);
}

}  // namespace oru::engine
