#pragma once

// Frame presentation, keyboard queries and the clock.

// What the host does at frame ends and when the window is closed.
struct FrameHooks {
  void (*frameEnded)();  // once per flip, after the frame is shown (may be null)
  void (*quitting)();    // right before flip ends the process on a quit event (may be null)
};

// Installs the host's hooks.
void setFrameHooks(FrameHooks hooks);
// The hooks installed now, so that a caller can wrap them.
FrameHooks frameHooks();
// Starts SDL's millisecond clock (once), so getTime counts from program start.
void startClock();

// Takes every pending event, shows the frame and sleeps 5 ms; a quit event ends the process.
void flip();
// Whether cursor left was held at the last flip.
bool leftDown();
// Whether cursor right was held at the last flip.
bool rightDown();
// Whether cursor up was held at the last flip.
bool upDown();
// Whether cursor down was held at the last flip.
bool downDown();
// Whether the space bar was held at the last flip.
bool spaceDown();
// Whether Escape was held at the last flip.
bool escDown();
// Whether Return was held at the last flip.
bool enterDown();
// Seconds on SDL's millisecond clock.
double getTime();
