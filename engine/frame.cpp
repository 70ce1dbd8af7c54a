#include "engine/frame.h"

#include <SDL.h>

#include <cstdlib>

#include "engine/capture.h"
#include "engine/engine_state.h"
#include "engine/flip_watch.h"
#include "engine/frame_delay.h"
#include "engine/keyboard.h"
#include "engine/quit_signals.h"
#include "engine/stroke_batch.h"

namespace oru::engine {

namespace {

FrameHooks hooks = {nullptr, nullptr};

// The quit: the host, if there is one, ends the script that called flip
// (flip returns to it at once); without one the process ends with status 0
// through the normal exit path.
void quit() {
  if (!hooks.quitting) std::exit(0);
  hooks.quitting();
}

}  // namespace

void setFrameHooks(FrameHooks newHooks) { hooks = newHooks; }

WindowEvents takeWindowEvents() {
  WindowEvents taken;
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return taken;
  releaseTappedKeys();
  SDL_Event event;
  while (!taken.quit && SDL_PollEvent(&event)) {
    switch (event.type) {
      case SDL_KEYDOWN:
        keyWentDown(event.key.keysym.sym);
        noteCaptureKey(event.key.keysym.sym);
        if (event.key.keysym.sym == SDLK_ESCAPE) taken.escape = true;
        break;
      case SDL_KEYUP:
        keyWentUp(event.key.keysym.sym);
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

void flip() {
  noteFlipReached();
  if (quitSignalled()) return quit();
  if (takeWindowEvents().quit) return quit();
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

}  // namespace oru::engine
