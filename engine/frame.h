#pragma once

namespace oru::engine {

// Frame presentation: flip, and the window's events it takes.

// What the host does at frame ends and when the window is closed.
struct FrameHooks {
  void (*frameEnded)();  // once per flip, after the frame is shown (may be null)
  void (*quitting)();    // on a quit, ends the script; flip then returns at once (may be null)
};

// What the window's pending events asked for.
struct WindowEvents {
  bool quit = false;     // the window was closed
  bool escape = false;   // Escape went down
  bool exposed = false;  // part of the window was uncovered and must be drawn again
};

// Installs the host's hooks.
void setFrameHooks(FrameHooks hooks);

// Takes every pending event, shows the frame and sleeps 5 ms; a quit (the
// window closed, or a quit signal) ends the script, or the process when no
// host ends the script.
void flip();
// Draws what is queued and shows the frame, with no event taken and no delay.
void showFrame();
// Takes every pending window event into the key flags, up to a quit, without
// waiting; nothing while no window is open.
WindowEvents takeWindowEvents();

}  // namespace oru::engine
