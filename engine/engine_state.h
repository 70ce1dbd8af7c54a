#pragma once

#include <array>

namespace oru::engine {

// The drawing and keyboard state that every stroke and key query reads;
// the coordinate system lives in the graphics library (display.h).

// A colour as the script last set it: not clamped, single precision.
struct Color {
  float red, green, blue;
};

// The number of SDL key symbols (SDLK_LAST in SDL 1.2 and sdl12-compat,
// checked against it in frame.cpp), and so of key flags.
constexpr int keySymbolCount = 323;

// Half the current line width, in script units.
extern float halfLineWidth;
// The current drawing colour.
extern Color currentColor;
// One flag per SDL key symbol: 1 while the key is held down.
extern std::array<unsigned char, keySymbolCount> keyStates;
// True while a window with an OpenGL drawing context exists; graphics calls are skipped otherwise.
extern bool hasDrawingContext;

// Sets the line width; zero and negative widths are kept as they are.
void setLineWidth(float width);
// Sets the drawing colour.
void setColor(float red, float green, float blue);
// The red part of the current colour.
float getRed();
// The green part of the current colour.
float getGreen();
// The blue part of the current colour.
float getBlue();

}  // namespace oru::engine
