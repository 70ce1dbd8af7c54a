#pragma once

#include <string>
#include <vector>

namespace oru::engine {

// A message drawn across the whole window in glowing text (watch mode shows
// a script's error this way while it waits for the fix).

// Clears the window and shows lines of text, the first as a heading, long
// lines wrapped; opens a 640 by 480 window when there is none and a display
// is there to open it on. The message is kept, to be drawn again.
void showMessage(const std::vector<std::string>& lines);
// Draws the message kept again, if any (the window was uncovered).
void redrawMessage();
// Forgets the message kept.
void clearMessage();

}  // namespace oru::engine
