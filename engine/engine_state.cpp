#include "engine/engine_state.h"

namespace oru::engine {

float halfLineWidth = 4.0f;
Color currentColor = {1.0f, 1.0f, 1.0f};
std::array<unsigned char, keySymbolCount> keyStates = {};
bool hasDrawingContext = false;

void setLineWidth(float width) { halfLineWidth = width / 2; }

void setColor(float red, float green, float blue) { currentColor = {red, green, blue}; }

float getRed() { return currentColor.red; }
float getGreen() { return currentColor.green; }
float getBlue() { return currentColor.blue; }

}  // namespace oru::engine
