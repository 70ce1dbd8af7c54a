#pragma once

namespace oru::engine {

// The key flags as flip keeps them, and the seven key queries.
//
// A key reads as held from its key-down event to its key-up event, as of the
// last flip. A key tapped between two flips (down and up again before the
// next one) still reads as held until the flip after that, so no tap is
// lost however short it is.

// Records a key going down; symbols outside the flag table are ignored.
void keyWentDown(int symbol);
// Records a key coming up; a key that went down since the last flip stays held until the next.
void keyWentUp(int symbol);
// Starts a flip's events: the keys tapped since the last flip come up now.
void releaseTappedKeys();
// Every key reads as not pressed, until its next key-down event.
void resetKeys();

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

}  // namespace oru::engine
