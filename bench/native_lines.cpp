// Draws the benchmark's lines by calling the natives directly from C++ and
// prints the elapsed seconds: the cost of the glow path without the script.
#include <chrono>
#include <cmath>
#include <cstdio>

#include "display.h"
#include "engine_state.h"
#include "frame.h"
#include "strokes.h"

int main() {
  if (!initORU(640, 480, false)) return 1;
  const int frames = 100, perFrame = 2000;
  auto start = std::chrono::steady_clock::now();
  for (int f = 0; f < frames; ++f) {
    clear();
    for (int i = 0; i < perFrame; ++i) {
      double a = i * 0.001 + f * 0.01, r = 10 + (i % 91);
      setColor(0.2f, 0.5f, 1);
      drawLine(320, 240, static_cast<float>(320 + r * std::cos(a)),
               static_cast<float>(240 + r * std::sin(a)));
    }
    flip();
  }
  std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  std::printf("%f\n", elapsed.count());
  return 0;
}
