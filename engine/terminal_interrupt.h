#pragma once

// Ctrl-C from the terminal once a window is open.
//
// SDL turns an interrupt signal into a quit event, which only flip sees, so a
// script stuck in a loop that never flips would ignore Ctrl-C. With this, the
// first interrupt still becomes the quit event, and a second one ends the
// process at once, killed by the interrupt signal (status 130 in a shell).

// Puts the second-interrupt exit in front of SDL's interrupt handler; call after SDL_Init.
void watchTerminalInterrupts();
