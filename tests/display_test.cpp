// The window and the drawing state, on a real X server, read back as pixels.
#include <GL/gl.h>
#include <SDL.h>

#include "display_fixture.h"
#include "engine/glow_texture.h"

using namespace oru::engine;

namespace {

// Fills the frame with white through the library, bypassing the script.
void paintWhite() {
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(0, 0, 0, 0);
}

// Draws an untextured, unblended white rectangle in script coordinates.
void fillRect(float left, float top, float right, float bottom) {
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glLoadIdentity();
  glBegin(GL_QUADS);
  glVertex2f(left, top);
  glVertex2f(right, top);
  glVertex2f(right, bottom);
  glVertex2f(left, bottom);
  glEnd();
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
}

}  // namespace

TEST_F(DisplayTest, OpensAWindowTitledOruOfTheRequestedSize) {
  ASSERT_TRUE(run("if (initORU(640, 480, false) !== true) throw new Error('initORU failed');"));
  std::string id = commandOutput("xdotool search --name '^ORU$' | head -n 1");
  ASSERT_FALSE(id.empty()) << "no window named ORU";
  id.pop_back();
  std::string info = commandOutput("xwininfo -id " + id);
  EXPECT_NE(info.find("Width: 640\n"), std::string::npos) << info;
  EXPECT_NE(info.find("Height: 480\n"), std::string::npos) << info;
  EXPECT_EQ(commandOutput("xprop -id " + id + " WM_ICON_NAME"), "WM_ICON_NAME(STRING) = \"ORU\"\n");
}

TEST_F(DisplayTest, ClearGivesBlack) {
  ASSERT_TRUE(run("initORU(640, 480, false);"));
  paintWhite();
  EXPECT_EQ(readFrame().at(320, 240), 255);
  ASSERT_TRUE(run("clear();"));
  Frame frame = readFrame();
  EXPECT_EQ(frame.litBox(0, 0)[2], -1);
  EXPECT_EQ(frame.litBox(0, 1)[2], -1);
  EXPECT_EQ(frame.litBox(0, 2)[2], -1);
}

TEST_F(DisplayTest, PixelCoordinatesWithYDownwardAndScaledSystems) {
  ASSERT_TRUE(run("initORU(640, 480, false); clear();"));
  fillRect(10, 20, 30, 60);
  EXPECT_EQ(readFrame().litBox(), (std::vector<int>{10, 20, 29, 59}));

  ASSERT_TRUE(run("clear(); setCoordSystem(0, 320, 0, 240);"));
  fillRect(10, 20, 30, 60);
  EXPECT_EQ(readFrame().litBox(), (std::vector<int>{20, 40, 59, 119}));

  // Top and bottom swapped: y grows upward from the bottom edge.
  ASSERT_TRUE(run("clear(); setCoordSystem(0, 640, 480, 0);"));
  fillRect(10, 20, 30, 60);
  EXPECT_EQ(readFrame().litBox(), (std::vector<int>{10, 420, 29, 459}));

  // An empty range leaves the identity: the window spans -1 to 1, y upward.
  ASSERT_TRUE(run("clear(); setCoordSystem(5, 5, 0, 480);"));
  fillRect(0, 0, 1, 1);
  EXPECT_EQ(readFrame().litBox(), (std::vector<int>{320, 0, 639, 239}));
}

TEST_F(DisplayTest, ColorStateRoundTripsUnclampedAndResetsOnInit) {
  ASSERT_TRUE(run(
      "setColor(0.3, 0.2, 0.1); setLineWidth(3);\n"
      "initORU(640, 480, false);\n"
      "if ([getRed(), getGreen(), getBlue()].join() !== '1,1,1') throw new Error('not white');\n"
      "setColor(0.1, 0, 0);\n"
      "if (getRed() !== 0.10000000149011612) throw new Error('red ' + getRed());\n"
      "setColor(2, -1, 0.5);\n"
      "if ([getRed(), getGreen(), getBlue()].join() !== '2,-1,0.5') throw new Error('clamped');\n"
      "setColor('0.5', 1, true);\n"
      "if ([getRed(), getGreen(), getBlue()].join() !== '0.5,1,1') throw new Error('converted');"));
  // Strokes are drawn in the colour set last.
  ASSERT_TRUE(run("clear(); drawLine(100, 100, 200, 100);"));
  const Frame frame = readFrame();
  EXPECT_GT(frame.at(150, 99, 1), 200);
  EXPECT_EQ(frame.at(150, 99, 2), frame.at(150, 99, 1));
  EXPECT_NEAR(frame.at(150, 99, 0), frame.at(150, 99, 1) / 2, 2);
}

TEST_F(DisplayTest, BadSizesFailOrOpenButNeverCrash) {
  testing::internal::CaptureStdout();
  ASSERT_TRUE(
      run("var results = [initORU(-5, 480, false), initORU(100000, 100000, false),\n"
          "               initORU(20000, 20000, false), initORU(640, 480, false)];\n"
          "print(results.join() + '\\n');"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Failed to set the video mode.\nFailed to set the video mode.\n"
            "Failed to set the video mode.\nfalse,false,false,true\n");
  // After a failed mode the script tried again and got a working window.
  ASSERT_TRUE(run("clear();"));
  EXPECT_EQ(readFrame().litBox()[2], -1);
}

TEST_F(DisplayTest, ARefusedLaterWindowLeavesTheEarlierOneDrawing) {
  ASSERT_TRUE(run("initORU(200, 200, false);"));
  // Refused by the size check, then by SDL itself.
  for (const char* refused : {"initORU(20000, 100, false)", "initORU(-5, 100, false)"}) {
    testing::internal::CaptureStdout();
    ASSERT_TRUE(run(std::string("var result = ") + refused + ";\n" +
                    "setColor(1, 1, 1); drawPoint(100, 20); flip();\n"
                    "clear(); drawLine(20, 100, 180, 100);\n"
                    "if (result !== false) throw new Error('not refused');"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Failed to set the video mode.\n");
    Frame frame = readFrame(200, 200);
    EXPECT_GT(frame.at(100, 100), 200) << refused;
    EXPECT_EQ(frame.at(100, 20), 0) << refused;
  }
}

TEST_F(DisplayTest, OddSizesAreConvertedAndOpen) {
  // 640.5 rounds up to 641; a width that is not a number becomes 0, which SDL
  // takes as the screen's own size.
  ASSERT_TRUE(run("if (!initORU(640.5, 480.4, false)) throw new Error('641 by 480');"));
  std::string id = commandOutput("xdotool search --name '^ORU$' | head -n 1");
  ASSERT_FALSE(id.empty());
  id.pop_back();
  std::string info = commandOutput("xwininfo -id " + id);
  EXPECT_NE(info.find("Width: 641\n"), std::string::npos) << info;
  EXPECT_NE(info.find("Height: 480\n"), std::string::npos) << info;
  ASSERT_TRUE(run("initORU(NaN, 0, false); clear(); initORU(0, 0, false); clear();"));
}

TEST_F(DisplayTest, ASecondInitRunsEveryStepAgain) {
  ASSERT_TRUE(
      run("initORU(320, 240, false); setColor(0, 0, 1); setLineWidth(30);\n"
          "setCoordSystem(0, 10, 0, 10);\n"
          "if (!initORU(640, 480, true)) throw new Error('full screen');\n"
          "if (!initORU(640, 480, false)) throw new Error('windowed again');\n"
          "if (getBlue() !== 1 || getRed() !== 1) throw new Error('colour kept');"));
  // The software renderer takes the window's new size at the first swap.
  ASSERT_TRUE(run("flip(); clear();"));
  fillRect(10, 20, 30, 60);
  EXPECT_EQ(readFrame().litBox(), (std::vector<int>{10, 20, 29, 59}));
}

TEST_F(DisplayTest, AnotherInitReplacesTheGlowTextureInsteadOfAddingOne) {
  ASSERT_TRUE(run("initORU(320, 240, false);"));
  GLint first = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &first);
  ASSERT_TRUE(run("initORU(330, 240, false);"));
  GLint second = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &second);
  // Scripts that open the window again and again must not pile up textures.
  EXPECT_TRUE(first == second || !glIsTexture(static_cast<GLuint>(first)));
  EXPECT_TRUE(glIsTexture(static_cast<GLuint>(second)));
}

TEST_F(DisplayTest, TheGlowTextureIsBoundWithLinearFilteringAndAdditiveBlending) {
  ASSERT_TRUE(run("initORU(640, 480, false);"));
  std::vector<unsigned char> rgb(glowTextureSize * glowTextureSize * 3);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  std::vector<unsigned char> texels = makeGlowTexture();
  int mismatches = 0;
  for (size_t i = 0; i < texels.size(); ++i) {
    // The luminance is copied into red, green and blue.
    if (rgb[i * 3] != texels[i] || rgb[i * 3 + 1] != texels[i] || rgb[i * 3 + 2] != texels[i])
      ++mismatches;
  }
  EXPECT_EQ(mismatches, 0);
  GLint filter = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
  EXPECT_EQ(filter, GL_LINEAR);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filter);
  EXPECT_EQ(filter, GL_LINEAR);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
  GLint source = 0, destination = 0;
  glGetIntegerv(GL_BLEND_SRC, &source);
  glGetIntegerv(GL_BLEND_DST, &destination);
  EXPECT_EQ(source, GL_ONE);
  EXPECT_EQ(destination, GL_ONE);
  int doubleBuffered = 0;
  SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &doubleBuffered);
  EXPECT_EQ(doubleBuffered, 1);
}

TEST_F(DisplayTest, FullScreenHidesTheCursor) {
  ASSERT_TRUE(run("initORU(640, 480, false);"));
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
  ASSERT_TRUE(run("initORU(640, 480, true);"));
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
  // Nothing shows it again, also through a later windowed call.
  ASSERT_TRUE(run("initORU(640, 480, false);"));
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
}

TEST_F(DisplayTest, TheClockRunsOnAcrossOpeningTheWindow) {
  ASSERT_TRUE(run(
      "var before = getTime(); var spin = Date.now(); while (Date.now() - spin < 200) {}\n"
      "var later = getTime(); initORU(640, 480, false); var after = getTime();\n"
      "if (!(later - before >= 0.15)) throw new Error('clock stood still ' + (later - before));\n"
      "if (!(after >= later)) throw new Error('clock went back ' + later + ' ' + after);"));
}
