// Glow strokes in real frames, read back from the window's back buffer.
#include <cmath>
#include <cstdlib>

#include "display_fixture.h"

namespace {

using Box = std::vector<int>;

// Opens the window and clears it before drawing.
const char* const openWindow = "initORU(640, 480, false); clear();";

// The largest difference of any channel between two frames.
int maxDifference(const Frame& a, const Frame& b) {
  int largest = 0;
  for (size_t i = 0; i < a.rgb.size(); ++i)
    largest = std::max(largest, std::abs(a.rgb[i] - b.rgb[i]));
  return largest;
}

// The transposed frame: pixel (x, y) becomes (y, x).
Frame transposed(const Frame& frame, int size) {
  Frame result = frame;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      for (int c = 0; c < 3; ++c) result.rgb[(y * frame.width + x) * 3 + c] = frame.at(y, x, c);
  return result;
}

}  // namespace

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

TEST_F(StrokesTest, AHorizontalLineIsASoftBandWithRoundedEnds) {
  Frame frame = draw("drawLine(100, 100, 200, 100);");
  Box box = frame.litBox();
  // The quads span x 96 to 204 and y 96 to 104; their outermost texels are dark.
  EXPECT_GE(box[0], 96);
  EXPECT_LE(box[0], 98);
  EXPECT_LE(box[2], 203);
  EXPECT_GE(box[2], 201);
  EXPECT_GE(box[1], 96);
  EXPECT_LE(box[3], 103);
  // The body is equally bright along its length, brightest on the centre line.
  int centre = frame.at(150, 99);
  EXPECT_GT(centre, 200);
  for (int x = 104; x <= 196; ++x) EXPECT_NEAR(frame.at(x, 99), centre, 2) << "x " << x;
  EXPECT_LT(frame.at(150, 97), frame.at(150, 98));
  EXPECT_LT(frame.at(150, 98), centre);
  // Rounded ends: the cap's corner is darker than its edge's middle.
  EXPECT_LT(frame.at(97, 97), frame.at(97, 99));
}

TEST_F(StrokesTest, ReversedAndVerticalLinesCoverTheSameBand) {
  Frame forward = draw("drawLine(100, 100, 200, 100);");
  Frame backward = draw("drawLine(200, 100, 100, 100);");
  EXPECT_LE(maxDifference(forward, backward), 3);

  Frame horizontal = draw("drawLine(100, 200, 200, 200);");
  Frame down = draw("drawLine(200, 100, 200, 200);");
  Frame up = draw("drawLine(200, 200, 200, 100);");
  EXPECT_LE(maxDifference(down, up), 3);
  EXPECT_LE(maxDifference(transposed(horizontal, 480), down), 3);
}

TEST_F(StrokesTest, PointsAndLinesShorterThanTheirWidthAreSpots) {
  Frame point = draw("drawPoint(100, 100);");
  Box box = point.litBox();
  EXPECT_GE(box[0], 96);
  EXPECT_LE(box[2], 103);
  EXPECT_GE(box[1], 96);
  EXPECT_LE(box[3], 103);
  EXPECT_GT(point.at(99, 99), 200);
  EXPECT_EQ(maxDifference(point, draw("drawLine(100, 100, 102, 100);")), 0);
  // A line exactly as long as its width is a line: its light reaches past the spot.
  EXPECT_GT(draw("drawLine(100, 100, 108, 100);").litBox()[2], box[2] + 4);
}

TEST_F(StrokesTest, LightAddsUpAndTakesTheColour) {
  Frame dim = draw("setColor(0.25, 0.25, 0.25); drawLine(100, 100, 200, 100);");
  Frame twice = draw(
      "setColor(0.25, 0.25, 0.25); drawLine(100, 100, 200, 100);"
      "drawLine(100, 100, 200, 100);");
  EXPECT_GT(dim.at(150, 99), 40);
  EXPECT_NEAR(twice.at(150, 99), 2 * dim.at(150, 99), 2);

  EXPECT_EQ(draw("setColor(0, 0, 0); drawLine(100, 100, 200, 100); drawPoint(50, 50);").litBox()[2],
            -1);
  Frame red = draw("setColor(1, 0, 0); drawLine(100, 100, 200, 100);");
  EXPECT_GT(red.at(150, 99, 0), 200);
  EXPECT_EQ(red.litBox(0, 1)[2], -1);
  EXPECT_EQ(red.litBox(0, 2)[2], -1);
}

TEST_F(StrokesTest, WidthSetsTheBand) {
  EXPECT_EQ(draw("setLineWidth(0); drawLine(100, 100, 200, 100); drawPoint(50, 50);").litBox()[2],
            -1);
  Box wide = draw("setLineWidth(20); drawLine(100, 100, 200, 100);").litBox();
  EXPECT_GE(wide[1], 90);
  EXPECT_LE(wide[1], 92);
  EXPECT_LE(wide[3], 109);
  EXPECT_GE(wide[3], 107);
}

TEST_F(StrokesTest, CoordinateSystemsScaleAndFlip) {
  Box doubled = draw("setCoordSystem(0, 320, 0, 240); drawLine(50, 50, 100, 50);").litBox();
  // Every unit is two pixels: the quads span x 92 to 208 and y 92 to 108.
  EXPECT_GE(doubled[0], 92);
  EXPECT_LE(doubled[0], 94);
  EXPECT_LE(doubled[2], 207);
  EXPECT_GE(doubled[2], 205);
  EXPECT_GE(doubled[1], 92);
  EXPECT_LE(doubled[3], 107);
  EXPECT_GE(doubled[3], 105);

  Frame downward = draw("setCoordSystem(0, 640, 0, 480); drawLine(100, 100, 200, 100);");
  Frame upward = draw("setCoordSystem(0, 640, 480, 0); drawLine(100, 380, 200, 380);");
  EXPECT_LE(maxDifference(downward, upward), 3);
}

TEST_F(StrokesTest, LinesWithoutAFiniteLengthDrawNothingAndHarmNothingAfter) {
  Frame reference = draw("drawLine(100, 100, 200, 100);");
  Frame after = draw(
      "drawLine(NaN, 0, 10, 10); drawLine(1, 2, 3); drawLine(0, 0, Infinity, 5);"
      "drawPoint(NaN, 5); setLineWidth(0); drawLine(7, 7, 7, 7); setLineWidth(-2);"
      "drawLine(7, 7, 7, 7); setLineWidth(8); drawLine(100, 100, 200, 100);");
  EXPECT_EQ(maxDifference(reference, after), 0);
}

// A scene of crossing, coloured strokes of several widths against a reference
// image. A failing run leaves the frame it drew beside the reference as
// scene.actual.png; copy it over scene.png when a change of look is intended.
TEST_F(StrokesTest, ASceneMatchesItsReferenceImage) {
  Frame frame = draw(
      "setColor(1, 0.3, 0.1); drawLine(40, 40, 600, 440);\n"
      "setColor(0.1, 0.6, 1); setLineWidth(16); drawLine(600, 40, 40, 440);\n"
      "setColor(0.2, 1, 0.3); setLineWidth(4); drawLine(320, 20, 320, 460);\n"
      "setLineWidth(2); for (var i = 0; i < 12; ++i) {\n"
      "  var a = i * Math.PI / 6; drawLine(480 + 20 * Math.cos(a), 120 + 20 * Math.sin(a),\n"
      "                                   480 + 60 * Math.cos(a), 120 + 60 * Math.sin(a)); }\n"
      "setColor(1, 1, 0.5); setLineWidth(30); drawPoint(160, 120); drawLine(160, 360, 170, 360);\n"
      "setColor(0.8, 0.2, 1); setLineWidth(-8); drawLine(100, 240, 220, 240);\n"
      "setColor(0.5, 0.5, 0.5); setLineWidth(8); setCoordSystem(0, 320, 0, 240);\n"
      "drawLine(200, 200, 300, 180);");
  const std::string expected = std::string(ORU_SOURCE_DIR) + "/tests/golden/scene.png";
  Frame reference = Frame::loadPng(expected, 640, 480);
  bool readable = reference.rgb.size() == frame.rgb.size();
  int difference = readable ? maxDifference(frame, reference) : 255;
  if (difference > 3) frame.savePng(std::string(ORU_SOURCE_DIR) + "/tests/golden/scene.actual.png");
  EXPECT_TRUE(readable) << "cannot read " << expected;
  EXPECT_LE(difference, 3);
}
