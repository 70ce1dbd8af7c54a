#pragma once

// The stroke tests' fixture: a window opened and cleared, and frames compared.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "display_fixture.h"

// Opens the window and clears it before drawing.
inline const char* const openWindow = "initORU(640, 480, false); clear();";

// The largest difference of any channel between two frames.
inline int maxDifference(const Frame& a, const Frame& b) {
  int largest = 0;
  for (size_t i = 0; i < a.rgb.size(); ++i)
    largest = std::max(largest, std::abs(a.rgb[i] - b.rgb[i]));
  return largest;
}

class StrokesTest : public DisplayTest {
 protected:
  // Clears, runs the drawing script and reads the frame back.
  Frame draw(const std::string& script) {
    EXPECT_TRUE(run(std::string("clear();") + script));
    return readFrame();
  }
  void SetUp() override {
    DisplayTest::SetUp();
    ASSERT_TRUE(run(openWindow));
  }
};
