#pragma once

namespace oru::engine {

// The script's clock: SDL's millisecond tick count, in seconds.

// Starts SDL's millisecond clock (once), so getTime counts from program start.
void startClock();
// Seconds on SDL's millisecond clock, narrowed to single precision as scripts see them.
float getTime();

}  // namespace oru::engine
