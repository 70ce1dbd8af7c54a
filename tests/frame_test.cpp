// The built program in a real window: key events from xdotool.
#include <gtest/gtest.h>

#include <string>

#include "display_fixture.h"
#include "oru_window.h"
#include "program_runner.h"

namespace {

// Lets a key go.
void releaseKey(const std::string& key) { commandOutput("xdotool keyup " + key); }

}  // namespace

TEST(Keyboard, EscapeEndsTheLoopTheFrameAfterItIsPressed) {
  ScriptDirectory directory;
  directory.write("main.js",
                  "initORU(320, 240, false); print('ready\\n');\n"
                  "var frames = 0;\n"
                  "while (true) { clear(); drawPoint(10, 10); flip(); if (escDown()) break; }\n"
                  "print('escape seen\\n');");
  RunningProgram program(directory.path(), {});
  ASSERT_FALSE(oruWindow().empty());
  sendKey("keydown Escape");
  ProgramResult result = program.finish();
  releaseKey("Escape");
  EXPECT_EQ(result.output, "ready\nescape seen\n");
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_FALSE(result.timedOut);
}

TEST(Keyboard, AHeldKeyStaysDownAcrossFlipsAndUpAfterRelease) {
  ScriptDirectory directory;
  directory.write("main.js",
                  "initORU(320, 240, false); print('ready\\n');\n"
                  "while (!rightDown()) flip();\n"
                  "var held = 0;\n"
                  "for (var i = 0; i < 60; ++i) { flip(); if (rightDown()) ++held; }\n"
                  "print('held ' + held + '\\n');\n"
                  "while (rightDown()) { clear(); drawPoint(160, 120); flip(); }\n"
                  "print('released ' + [leftDown(), upDown(), downDown(), spaceDown(),\n"
                  "  escDown(), enterDown()].join() + '\\n');");
  RunningProgram program(directory.path(), {});
  ASSERT_FALSE(oruWindow().empty());
  sendKey("keydown Right");
  // Held until the script has counted its 60 frames and shows its point.
  EXPECT_TRUE(waitForWindowShowing(anythingLit));
  releaseKey("Right");
  ProgramResult result = program.finish();
  EXPECT_EQ(result.output, "ready\nheld 60\nreleased false,false,false,false,false,false\n");
  EXPECT_EQ(result.exitStatus, 0);
}

TEST(Keyboard, EveryQueriedKeyIsReported) {
  ScriptDirectory directory;
  directory.write("main.js",
                  "initORU(320, 240, false); print('ready\\n');\n"
                  "var queries = {Left: leftDown, Up: upDown, Down: downDown, space: spaceDown,\n"
                  "  Return: enterDown};\n"
                  "var seen = 0;\n"
                  "for (var name in queries) {\n"
                  "  while (!queries[name]()) flip();\n"
                  "  print(name + ' ');\n"
                  "  while (queries[name]()) { clear(); drawPoint(30 + 60 * seen, 120); flip(); }\n"
                  "  ++seen;\n"
                  "}");
  RunningProgram program(directory.path(), {});
  ASSERT_FALSE(oruWindow().empty());
  int seen = 0;
  for (const char* key : {"Left", "Up", "Down", "space", "Return"}) {
    sendKey(std::string("keydown ") + key);
    // Held until the script shows the point it draws while it sees this key down.
    const int x = 30 + 60 * seen++;
    EXPECT_TRUE(waitForWindowShowing([x](const Frame& frame) {
      const std::vector<int> box = frame.litBox();
      return box[0] <= x && x <= box[2];
    })) << key;
    releaseKey(key);
  }
  ProgramResult result = program.finish();
  EXPECT_EQ(result.output, "ready\nLeft Up Down space Return ");
  EXPECT_EQ(result.exitStatus, 0);
}

TEST(Keyboard, AKeyHeldAcrossInitReadsUpUntilItsNextPress) {
  ScriptDirectory directory;
  directory.write("main.js",
                  "initORU(320, 240, false); print('ready\\n');\n"
                  "while (!rightDown()) flip();\n"
                  "initORU(320, 240, false);\n"
                  "var seen = rightDown();\n"
                  "for (var i = 0; i < 40; ++i) { flip(); if (rightDown()) seen = true; }\n"
                  "print('after init ' + seen + '\\n');\n"
                  "while (!rightDown()) { clear(); drawPoint(160, 120); flip(); }\n"
                  "print('pressed again\\n');");
  RunningProgram program(directory.path(), {});
  ASSERT_FALSE(oruWindow().empty());
  // Held while the script opens the window again and flips 40 times, until it
  // shows its point; then pressed again until the script ends.
  sendKey("keydown Right");
  EXPECT_TRUE(waitForWindowShowing(anythingLit));
  releaseKey("Right");
  sendKey("keydown Right");
  ProgramResult result = program.finish();
  releaseKey("Right");
  EXPECT_EQ(result.output, "ready\nafter init false\npressed again\n");
  EXPECT_EQ(result.exitStatus, 0);
}

TEST(Keyboard, AKeyTappedBetweenTwoFlipsIsSeenAtTheNextFlip) {
  // Each tap is a key-down and a key-up 12 ms apart, and the script's frames
  // take a fifth of a second, so both come between two flips; the script
  // counts the frames at which space reads as held, and every tap is seen.
  ScriptDirectory directory;
  directory.write("main.js",
                  "initORU(320, 240, false); print('ready\\n');\n"
                  "var taps = 0, was = false;\n"
                  "while (!escDown()) {\n"
                  "  flip(); var now = spaceDown();\n"
                  "  var start = getTime(); while (getTime() - start < 0.2) {}\n"
                  "  if (now && !was) print('tap ' + ++taps + '\\n');\n"
                  "  was = now;\n"
                  "}");
  RunningProgram program(directory.path(), {});
  ASSERT_TRUE(program.waitForOutput("ready\n"));
  for (int tap = 1; tap <= 5; ++tap) {
    sendKey("key space");
    ASSERT_TRUE(program.waitForOutput("tap " + std::to_string(tap) + "\n"));
  }
  sendKey("key Escape");
  ProgramResult result = program.finish();
  EXPECT_EQ(result.output, "ready\ntap 1\ntap 2\ntap 3\ntap 4\ntap 5\n");
  EXPECT_EQ(result.exitStatus, 0);
}
