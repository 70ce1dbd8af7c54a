#pragma once

// A small built-in stroke font: text laid out as straight line segments, for
// messages drawn in the window with the glow strokes. Pure geometry.

#include <string_view>
#include <vector>

namespace oru::engine {

// One straight stroke of laid-out text, in the caller's coordinates (y downward).
struct TextSegment {
  float x1, y1, x2, y2;
};

// The strokes of a printable ASCII character (' ' to '~'), as laid out on a grid of whole units:
// polylines separated by spaces, each a run of points written as two digits x y (x 0..4, y 0 at the
// cap line to 6 at the baseline, descenders to 9); a polyline of one point is a dot. Any other
// byte gives the strokes of '?'.
const char* glyphStrokes(unsigned char character);

// The horizontal distance from one character to the next in text of the given cap height.
float characterAdvance(float capHeight);

// The strokes of text laid out on one line from (left, top), characters capHeight tall
// (capital letters span top..top+capHeight; descenders go below). Printable ASCII has its own
// glyph (lower case too, with descenders for g j p q y); a space draws nothing; any other byte
// draws as '?'. A dot is a segment whose two ends coincide.
std::vector<TextSegment> layOutText(std::string_view text, float left, float top, float capHeight);

}  // namespace oru::engine
