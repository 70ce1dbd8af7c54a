#pragma once

namespace oru::engine {

// Frame presentation, keyboard queries and the clock.

// What the host does at frame ends and when the window is closed.
struct FrameHooks {
  void (*frameEnded)();  // once per flip, after the frame is shown (may be null)
  void (*quitting)();    // on a quit, ends the script; flip then returns at once (may be null)
};

// Installs the host's hooks.
void setFrameHooks(FrameHooks hooks);
// The hooks installed now, so that a caller can wrap them.
FrameHooks frameHooks();
// Starts SDL's millisecond clock (once), so getTime counts from program start.
void startClock();

// Takes every pending event, shows the frame and sleeps 5 ms; a quit (the
// window closed, or a quit signal) ends the script, or the process when no
// host ends the script.
void flip();
// Draws what is queued and shows the frame, with no event taken and no delay.
void showFrame();
// Waits while no script runs (watch mode), keeping the window responsive and
// the message on it drawn, until descriptor is readable (true) or the user
// quits: Escape pressed, the window closed, or a quit signal (false).
bool waitBetweenRuns(int descriptor);
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
// Seconds on SDL's millisecond clock, narrowed to single precision as scripts see them.
float getTime();

}  // namespace oru::engine
