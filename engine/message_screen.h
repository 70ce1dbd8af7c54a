#pragma once

#include <string>
#include <vector>

namespace oru::engine {

// A message drawn across the whole window in glowing text (watch mode shows
// a script's error this way while it waits for the fix).

// What the first line of a message is: an error's heading (warm red), or a
// line like the others (pale gold).
enum class Heading { error, plain };

// Clears the window and shows lines of text, long lines wrapped; nothing is
// drawn while no window is open. The message is kept, to be drawn again.
void showMessage(const std::vector<std::string>& lines, Heading heading);
// Draws the message kept again, if any (the window was uncovered).
void redrawMessage();
// Forgets the message kept.
void clearMessage();

}  // namespace oru::engine
