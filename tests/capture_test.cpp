// The capture keys and --record as a user meets them: F12 and F9 pressed in
// the program's window, the files they write read back and compared with the
// frames shown.
#include <gtest/gtest.h>

#include <signal.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "display_fixture.h"
#include "gif_frames.h"
#include "oru_window.h"
#include "program_runner.h"

namespace {

// A scene that changes with k: a wide faint halo (soft light across much of
// the window, where bands would show), two strokes and a spot moving right.
const char sceneFunction[] =
    "function scene(k) {\n"
    "  clear();\n"
    "  setColor(0.08, 0.25, 0.18); setLineWidth(160); drawLine(0, 120, 320, 120);\n"
    "  setColor(1, 0.3, 0.1); setLineWidth(8); drawLine(20, 20, 300, 220);\n"
    "  setColor(0.1, 0.6, 1); setLineWidth(24); drawLine(300, 20, 20, 220);\n"
    "  setColor(1, 1, 0.5); setLineWidth(40); drawPoint(40 + k * 20, 120);\n"
    "}\n";

// Presses and lets go of key in the ORU window.
void tapKey(const std::string& key) { sendKey("key " + key); }

// The frame count and length that the line "clip saved as PATH: N frames, S s" gives.
struct SavedClip {
  bool said = false;
  int frames = 0;
  double seconds = 0;
  int dropped = 0;
};

SavedClip savedClip(const std::string& errors, const std::string& path) {
  SavedClip clip;
  const std::regex line("oru: clip saved as " + path +
                        ": ([0-9]+) frames, ([0-9.]+) s( \\(([0-9]+) frames left out[^)]*\\))?\n");
  std::smatch found;
  if (!std::regex_search(errors, found, line)) return clip;
  clip.said = true;
  clip.frames = std::stoi(found[1]);
  clip.seconds = std::stod(found[2]);
  clip.dropped = found[4].matched ? std::stoi(found[4]) : 0;
  return clip;
}

}  // namespace

// The frames the clip test's program shows, drawn here in the same window size.
class CaptureTest : public DisplayTest {};

TEST(Capture, F12SavesTheFrameShownAsAPngInTheWorkingDirectory) {
  ScriptDirectory directory;
  directory.write("main.js", std::string(sceneFunction) +
                                 "initORU(320, 240, false);\n"
                                 "while (!escDown()) { scene(3); flip(); }\n"
                                 "print('still running\\n');");
  RunningProgram program(directory.path(), {});
  ASSERT_TRUE(waitForWindowShowing(anythingLit));
  const Frame shown = windowContents(oruWindow());
  tapKey("F12");
  const std::string said = "oru: screenshot saved as " + directory.path() + "/oru-";
  ASSERT_TRUE(program.waitForText(".png\n", signSeconds));
  tapKey("Escape");
  ProgramResult result = program.finish();
  EXPECT_EQ(result.output, "still running\n");
  EXPECT_EQ(result.exitStatus, 0);
  std::smatch name;
  ASSERT_TRUE(std::regex_match(result.errors, name,
                               std::regex("oru: screenshot saved as " + directory.path() +
                                          "/(oru-20[0-9]{6}-[0-9]{6}\\.png)\n")))
      << result.errors;
  const Frame saved = Frame::loadPng(directory.path() + "/" + name[1].str(), 320, 240);
  ASSERT_EQ(saved.rgb.size(), shown.rgb.size());
  EXPECT_TRUE(saved.rgb == shown.rgb) << "the PNG differs from the window";
}

TEST_F(CaptureTest, RecordWritesEachFrameWithItsTimeAndLittleError) {
  // Twelve scenes, each shown by flips for at least 60 ms: the flips that
  // show the same scene again make no frame of their own.
  ScriptDirectory directory;
  directory.write("game/main.js", std::string(sceneFunction) +
                                      "initORU(320, 240, false);\n"
                                      "for (var k = 0; k < 12; ++k) {\n"
                                      "  var until = getTime() + 0.06;\n"
                                      "  do { scene(k); flip(); } while (getTime() < until);\n"
                                      "}\n");
  // The clip's name is taken from where oru starts, not from the game's folder.
  ProgramResult result = runProgram(directory.path(), {"--record", "clip.gif", "game"});
  const std::string path = directory.path() + "/clip.gif";
  EXPECT_EQ(result.exitStatus, 0);
  ASSERT_EQ(result.errors.rfind("oru: recording a clip to " + path + "\n", 0), 0u) << result.errors;
  const SavedClip said = savedClip(result.errors, path);
  ASSERT_TRUE(said.said) << result.errors;

  const DecodedGif clip = decodeGif(path);
  ASSERT_EQ(clip.error, "");
  EXPECT_TRUE(clip.loops);
  EXPECT_EQ(clip.width, 320);
  EXPECT_EQ(clip.height, 240);
  // One frame for each scene; on a machine so busy that every buffer was
  // still waiting for the encoder through all of a scene's flips, that scene
  // is left out and the closing line counts it.
  EXPECT_EQ(static_cast<int>(clip.rgb.size()), said.frames);
  if (said.dropped == 0) {
    EXPECT_EQ(said.frames, 12);
  }
  ASSERT_GE(said.frames, 1);
  ASSERT_LE(said.frames, 12);
  int total = 0;
  for (int delay : clip.delays) {
    // At most 50 frames a second.
    EXPECT_GE(delay, 2);
    total += delay;
  }
  // The times are the real ones: the twelve scenes were on for 60 ms each or more.
  EXPECT_GE(total, 71);
  EXPECT_NEAR(total / 100.0, said.seconds, 0.011);

  // Each frame is its scene, in order, with a small mean error.
  std::vector<Frame> scenes;
  for (int k = 0; k < 12; ++k) {
    ASSERT_TRUE(run("initORU(320, 240, false);\n" + std::string(sceneFunction) + "scene(" +
                    std::to_string(k) + ");"));
    scenes.push_back(readFrame(320, 240));
  }
  int previous = -1;
  for (size_t frame = 0; frame < clip.rgb.size(); ++frame) {
    int closest = 0;
    for (int k = 1; k < 12; ++k) {
      if (meanAbsoluteError(clip.rgb[frame], scenes[k].rgb) <
          meanAbsoluteError(clip.rgb[frame], scenes[closest].rgb))
        closest = k;
    }
    EXPECT_GT(closest, previous) << "frame " << frame;
    EXPECT_LE(meanAbsoluteError(clip.rgb[frame], scenes[closest].rgb), 3.0) << "frame " << frame;
    previous = closest;
  }
}

TEST(Capture, AClipIsWrittenWhenTheWindowClosesAQuitSignalComesOrTheScriptFails) {
  // A window wider than 640 pixels: the clip is scaled down to 640, keeping the aspect.
  const std::string loop =
      std::string(sceneFunction) +
      "initORU(800, 300, false); setCoordSystem(0, 320, 0, 120);\n"
      "for (var k = 0; ; ++k) { scene(k % 12); flip(); if (k == 30) ending(); }\n";
  for (const char* ending : {"close", "signal", "error"}) {
    SCOPED_TRACE(ending);
    ScriptDirectory directory;
    const bool error = std::string(ending) == "error";
    directory.write("main.js", (error ? "" : "function ending() {}\n") + loop);
    RunningProgram program(directory.path(), {"--record", "clip.gif"});
    if (!error) {
      ASSERT_TRUE(program.waitForText("oru: recording a clip to", signSeconds));
      ASSERT_TRUE(waitForWindowShowing(anythingLit));
      if (std::string(ending) == "close") closeWindow(oruWindow());
      if (std::string(ending) == "signal") program.sendSignal(SIGTERM);
    }
    ProgramResult result = program.finish();
    EXPECT_EQ(result.exitStatus, error ? 1 : 0);
    const SavedClip said = savedClip(result.errors, directory.path() + "/clip.gif");
    ASSERT_TRUE(said.said) << result.errors;
    const DecodedGif clip = decodeGif(directory.path() + "/clip.gif");
    EXPECT_EQ(clip.error, "");
    EXPECT_EQ(clip.width, 640);
    EXPECT_EQ(clip.height, 240);
    EXPECT_GE(clip.rgb.size(), 1u);
    EXPECT_EQ(static_cast<int>(clip.rgb.size()), said.frames);
  }
}

TEST(Capture, F9RecordsAcrossTheRerunsOfWatchModeUntilF9Again) {
  // Each run shows a spot in its own colour, and says so once it has been on
  // screen for 30 frames.
  auto game = [](const char* name, const char* color) {
    return std::string("initORU(320, 240, false);\n") + "for (var k = 0; ; ++k) {\n" +
           "  clear(); setColor(" + color + "); setLineWidth(60); drawPoint(160, 120); flip();\n" +
           "  if (k == 30) print('" + name + "\\n');\n}\n";
  };
  ScriptDirectory directory;
  directory.write("main.js", game("red", "1, 0, 0"));
  RunningProgram program(directory.path(), {"--watch"});
  ASSERT_TRUE(program.waitForOutput("red\n"));
  tapKey("F9");
  ASSERT_TRUE(program.waitForText("; F9 ends it\n", signSeconds));
  directory.write("main.js", game("green", "0, 1, 0"));
  ASSERT_TRUE(program.waitForOutput("green\n"));
  tapKey("F9");
  ASSERT_TRUE(program.waitForText(" frames, ", signSeconds));
  program.sendSignal(SIGTERM);
  ProgramResult result = program.finish();
  EXPECT_EQ(result.exitStatus, 0);
  std::smatch path;
  ASSERT_TRUE(std::regex_search(result.errors, path,
                                std::regex("recording a clip to (" + directory.path() +
                                           "/oru-20[0-9]{6}-[0-9]{6}\\.gif); F9 ends it\n")))
      << result.errors;
  const SavedClip said = savedClip(result.errors, path[1].str());
  ASSERT_TRUE(said.said) << result.errors;
  const DecodedGif clip = decodeGif(path[1].str());
  ASSERT_EQ(clip.error, "");
  // The spot's centre: red in the first run's frames, then green.
  const size_t centre = (static_cast<size_t>(clip.height / 2) * clip.width + clip.width / 2) * 3;
  bool red = false, greenAfterRed = false;
  for (const std::vector<uint8_t>& frame : clip.rgb) {
    if (frame[centre] > 200 && frame[centre + 1] < 50) red = true;
    if (red && frame[centre + 1] > 200 && frame[centre] < 50) greenAfterRed = true;
  }
  EXPECT_TRUE(red);
  EXPECT_TRUE(greenAfterRed);
}

TEST(Capture, WhatCannotBeWrittenIsSaidInOneLineAndTheGameGoesOn) {
  const std::string game =
      "initORU(160, 120, false);\n"
      "for (var k = 0; k < 20; ++k) { clear(); drawPoint(k * 8, 60); flip(); }\n"
      "print('done\\n');";
  {
    // A folder that is not there.
    ScriptDirectory directory;
    directory.write("main.js", game);
    ProgramResult result = runProgram(directory.path(), {"--record", "missing/clip.gif"});
    EXPECT_EQ(result.output, "done\n");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.errors, "oru: cannot record a clip to " + directory.path() +
                                 "/missing/clip.gif: No such file or directory\n");
  }
  {
    // A full disk.
    ScriptDirectory directory;
    directory.write("main.js", game);
    ProgramResult result = runProgram(directory.path(), {"--record", "/dev/full"});
    EXPECT_EQ(result.output, "done\n");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.errors,
              "oru: recording a clip to /dev/full\n"
              "oru: could not write the clip /dev/full: No space left on device; recording "
              "stopped\n");
  }
  {
    // A working directory that was removed while the game ran.
    ScriptDirectory directory;
    directory.write("game/main.js",
                    "initORU(160, 120, false);\n"
                    "while (!escDown()) { clear(); drawPoint(80, 60); flip(); }\n"
                    "print('still running\\n');");
    RunningProgram program(directory.path(), {"game"});
    ASSERT_TRUE(waitForWindowShowing(anythingLit));
    std::filesystem::remove_all(directory.path() + "/game");
    tapKey("F12");
    ASSERT_TRUE(program.waitForText("oru: cannot save a screenshot", signSeconds));
    tapKey("Escape");
    ProgramResult result = program.finish();
    EXPECT_EQ(result.output, "still running\n");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.errors, "oru: cannot save a screenshot in .: No such file or directory\n");
  }
}
