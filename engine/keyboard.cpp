#include "engine/keyboard.h"

#include <SDL.h>

#include <array>

#include "engine/engine_state.h"

namespace oru::engine {

// One key flag for each of SDL's key symbols.
static_assert(keySymbolCount == SDLK_LAST, "the key flags must cover SDL's key symbols");

namespace {

// Keys that went down since the last flip began taking events.
std::array<bool, keySymbolCount> pressedSinceFlip = {};
// Keys that came up again before the flip that would have shown them held.
std::array<bool, keySymbolCount> releaseAtNextFlip = {};

bool isKeySymbol(int symbol) { return symbol >= 0 && symbol < keySymbolCount; }

bool keyHeld(int symbol) { return keyStates[symbol] == 1; }

}  // namespace

void keyWentDown(int symbol) {
  if (!isKeySymbol(symbol)) return;
  keyStates[symbol] = 1;
  pressedSinceFlip[symbol] = true;
  releaseAtNextFlip[symbol] = false;
}

void keyWentUp(int symbol) {
  if (!isKeySymbol(symbol)) return;
  if (pressedSinceFlip[symbol]) {
    releaseAtNextFlip[symbol] = true;
  } else {
    keyStates[symbol] = 0;
  }
}

void releaseTappedKeys() {
  for (int symbol = 0; symbol < keySymbolCount; ++symbol) {
    if (releaseAtNextFlip[symbol]) keyStates[symbol] = 0;
  }
  pressedSinceFlip.fill(false);
  releaseAtNextFlip.fill(false);
}

void resetKeys() {
  keyStates.fill(0);
  pressedSinceFlip.fill(false);
  releaseAtNextFlip.fill(false);
}

bool leftDown() { return keyHeld(SDLK_LEFT); }
bool rightDown() { return keyHeld(SDLK_RIGHT); }
bool upDown() { return keyHeld(SDLK_UP); }
bool downDown() { return keyHeld(SDLK_DOWN); }
bool spaceDown() { return keyHeld(SDLK_SPACE); }
bool escDown() { return keyHeld(SDLK_ESCAPE); }
bool enterDown() { return keyHeld(SDLK_RETURN); }

}  // namespace oru::engine
