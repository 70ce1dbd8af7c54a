#pragma once

#include <string>

namespace oru::app {

// Writes text to standard output as it is, with no newline and no flush;
// a text so long that writing it takes a while stops early once the script
// has been stopped (a quit), so that the quit is not held up by it.
void print(std::string text);
// Writes out what was printed and not yet written, unless another thread
// is writing it now and does not finish within a moment (its output cannot
// be taken, as a full pipe that nobody reads); false then. For a thread
// that ends the process while the script's thread is busy elsewhere.
bool writeOutPrintedText();

}  // namespace oru::app
