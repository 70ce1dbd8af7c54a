#pragma once

#include <string>

namespace oru::engine {

// Screenshots and clips of the frames shown. F12 writes the next frame shown
// as a PNG; F9 starts a clip of the frames shown, an animated GIF, and F9
// again ends it, as does the end of the program. Each writes one line to
// standard error saying where the file went, or why it could not be written;
// the game goes on either way. The script cannot ask for these keys, so they
// never clash with a game's own.

// Notes a key pressed, for the capture keys among them.
void noteCaptureKey(int symbol);
// Whether a capture key waits for the next frame shown.
bool captureWaiting();
// Takes what the capture keys asked for from the frame about to be shown;
// called with that frame complete in the back buffer, before the swap.
void captureShownFrame();
// Records a clip to path (made absolute now) from the next frame shown to the
// end of the program, as F9 would, without the key.
void recordClip(const std::string& path);
// Ends the clip being recorded, if any, and writes it out: at the end of the
// program, before its status is given.
void finishCapture();

}  // namespace oru::engine
