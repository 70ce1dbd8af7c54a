#include "engine/frame.h"

#include <SDL.h>
#include <poll.h>

#include <cstdlib>

#include "engine/capture.h"
#include "engine/engine_state.h"
#include "engine/flip_watch.h"
#include "engine/frame_delay.h"
#include "engine/message_screen.h"
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

// How often a wait between runs looks at the window and the quit signals.
constexpr int waitCheckMs = 100;

// What the window's pending events asked for.
struct TakenEvents {
  bool quit = false;     // the window was closed
  bool escape = false;   // Escape went down
  bool exposed = false;  // part of the window was uncovered and must be drawn again
};

// Takes every pending event into the key flags, up to a quit.
TakenEvents takeEvents() {
  TakenEvents taken;
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return taken;
  SDL_Event event;
  while (!taken.quit && SDL_PollEvent(&event)) {
    switch (event.type) {
      case SDL_KEYDOWN:
        setKey(event.key.keysym.sym, 1);
        noteCaptureKey(event.key.keysym.sym);
        if (event.key.keysym.sym == SDLK_ESCAPE) taken.escape = true;
        break;
      case SDL_KEYUP:
        setKey(event.key.keysym.sym, 0);
        break;
      case SDL_VIDEOEXPOSE:
        taken.exposed = true;
        break;
      case SDL_QUIT:
        taken.quit = true;
        break;
      default:
        break;
    }
  }
  return taken;
}

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
  if (takeEvents().quit) return quit();
  showFrame();
  if (hooks.frameEnded) hooks.frameEnded();
  if (frameDelayMs() > 0) SDL_Delay(frameDelayMs());
}

void showFrame() {
  if (!hasDrawingContext) return;
  drawPendingStrokesForShowing();
  captureShownFrame();
  SDL_GL_SwapBuffers();
}

bool waitBetweenRuns(int descriptor) {
  for (;;) {
    // The window responds while waiting: a quit signal needs no hint.
    noteFlipReached();
    if (quitSignalled()) return false;
    const TakenEvents taken = takeEvents();
    if (taken.quit || taken.escape) return false;
    // A capture key takes the message shown, drawn again.
    if (taken.exposed || captureWaiting()) redrawMessage();
    pollfd ready = {descriptor, POLLIN, 0};
    if (poll(&ready, 1, waitCheckMs) > 0) return true;
  }
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
