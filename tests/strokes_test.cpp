// Glow strokes in real frames, read back from the window's back buffer.
#include <signal.h>

#include "program_runner.h"
#include "strokes_fixture.h"

namespace {

using Box = std::vector<int>;

// The transposed frame: pixel (x, y) becomes (y, x).
Frame transposed(const Frame& frame, int size) {
  Frame result = frame;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      for (int c = 0; c < 3; ++c) result.rgb[(y * frame.width + x) * 3 + c] = frame.at(y, x, c);
  return result;
}

}  // namespace

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

TEST_F(StrokesTest, LightAddsUpAndTakesTheColor) {
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

// Strokes queued for a window reach it before the window is set up again,
// even when that fails; with no window, strokes queue nothing.
TEST_F(StrokesTest, QueuedStrokesNeverReachTheNextWindow) {
  ASSERT_TRUE(
      run("drawLine(100, 100, 200, 100); drawPoint(300, 300);\n"
          "if (initORU(20000, 20000, false)) throw new Error('opened');\n"
          "drawLine(100, 200, 200, 200); drawPoint(300, 400);\n"
          "if (!initORU(640, 480, false)) throw new Error('not opened');"));
  EXPECT_EQ(readFrame().litBox()[2], -1);
}

// A script that draws without ever showing a frame: the work handed to the
// driver stays bounded (without that it grew by about 900 MB a million
// lines), the script ends normally, and one that never ends is still ended by
// an interrupt.
TEST(StrokeQueue, DrawingWithoutFlipKeepsMemoryBoundedAndStaysStoppable) {
  ScriptDirectory directory;
  directory.write("main.js",
                  "initORU(640, 480, false);\n"
                  "for (var i = 0; i < 600000; ++i)\n"
                  "  drawLine(i % 640, i % 480, i % 640 + 40, i % 480 + 30);\n"
                  "for (var j = 0; j < 600000; ++j) drawPoint(j % 640, j % 480);\n"
                  "print('done');\n");
  // Once it has drawn 100,000 lines, its report of a missing script, flushed
  // at once, tells the test so.
  directory.write("forever.js",
                  "initORU(640, 480, false);\n"
                  "for (var i = 0; ; ++i) {\n"
                  "  drawLine(i % 640, i % 480, i % 640 + 40, i % 480 + 30);\n"
                  "  if (i == 100000) runScript('queued');\n"
                  "}\n");
  // About 75 MB is the software driver's before anything is drawn.
  const long boundKiB = 400 * 1024;
  ProgramResult finite = runProgram(directory.path());
  EXPECT_EQ(finite.output, "done");
  EXPECT_EQ(finite.exitStatus, 0);
  EXPECT_LT(finite.peakKiB, boundKiB);

  RunningProgram endless(directory.path(), {"forever.js"});
  ASSERT_TRUE(endless.waitForOutput("Failed to run queued"));
  endless.sendSignal(SIGINT);
  ProgramResult ended = endless.finish();
  EXPECT_FALSE(ended.timedOut);
  EXPECT_EQ(ended.exitStatus, 0);
  EXPECT_LT(ended.peakKiB, boundKiB);
}
