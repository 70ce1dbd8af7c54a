#include "engine/message_screen.h"

#include <SDL.h>

#include <algorithm>

#include "engine/display.h"
#include "engine/engine_state.h"
#include "engine/frame.h"
#include "engine/stroke_font.h"
#include "engine/strokes.h"

namespace oru::engine {

namespace {

std::vector<std::string> shownLines;
Heading shownHeading = Heading::plain;

// Splits text into lines of at most columns characters, at spaces where it can.
std::vector<std::string> wrap(const std::string& text, size_t columns) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (text.size() - start > columns) {
    size_t cut = text.rfind(' ', start + columns);
    if (cut == std::string::npos || cut <= start) cut = start + columns;
    lines.push_back(text.substr(start, cut - start));
    start = cut;
    while (start < text.size() && text[start] == ' ') ++start;
  }
  lines.push_back(text.substr(start));
  return lines;
}

// Draws text as strokes from (left, top) in the current colour.
void drawText(const std::string& text, float left, float top, float capHeight) {
  for (const TextSegment& segment : layOutText(text, left, top, capHeight)) {
    drawLine(segment.x1, segment.y1, segment.x2, segment.y2);
  }
}

// Draws the kept lines on a cleared frame, in the window's own pixels, and shows it.
void drawShownLines() {
  const SDL_Surface* window = SDL_GetVideoSurface();
  if (!hasDrawingContext || !window) return;
  const float width = static_cast<float>(window->w);
  const float height = static_cast<float>(window->h);
  // 16 pixels tall at 640 by 480, larger in larger windows.
  const float capHeight = std::max(10.0f, std::min(width * 0.75f, height) / 30);
  const float margin = capHeight * 2;
  const float lineStep = capHeight * 2;
  const auto columns =
      static_cast<size_t>(std::max(8.0f, (width - 2 * margin) / characterAdvance(capHeight)));

  setCoordSystem(0, width, 0, height);
  clear();
  setLineWidth(capHeight / 5);
  float top = margin;
  for (size_t index = 0; index < shownLines.size(); ++index) {
    // An error's heading in warm red, the rest in pale gold.
    if (index == 0 && shownHeading == Heading::error) {
      setColor(1.0f, 0.35f, 0.25f);
    } else {
      setColor(1.0f, 0.85f, 0.6f);
    }
    for (const std::string& line : wrap(shownLines[index], columns)) {
      if (top + capHeight > height) break;
      drawText(line, margin, top, capHeight);
      top += lineStep;
    }
  }
  showFrame();
}

}  // namespace

void showMessage(const std::vector<std::string>& lines, Heading heading) {
  shownLines = lines;
  shownHeading = heading;
  drawShownLines();
}

void redrawMessage() {
  if (!shownLines.empty()) drawShownLines();
}

void clearMessage() { shownLines.clear(); }

}  // namespace oru::engine
