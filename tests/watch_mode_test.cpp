// Watch mode as a game author meets it: real file saves rerun the game in
// the same window, and a script error is shown in the window until it is fixed.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "display_fixture.h"
#include "oru_window.h"
#include "process_state.h"
#include "program_runner.h"

namespace {

// A game that prints its version once and then runs, drawing nothing.
std::string game(const std::string& version) {
  return "initORU(320, 240, false); print('" + version +
         "\\n');\n"
         "while (true) { clear(); flip(); }\n";
}

// The same game, which also prints "<version> steady" once its first frame
// has ended without a save to take.
std::string steadyGame(const std::string& version) {
  return "initORU(320, 240, false); print('" + version + "\\n');\n" + "flip(); print('" + version +
         " steady\\n');\n" + "while (true) { clear(); flip(); }\n";
}

// Whether text holds each of pieces, in this order.
bool holdsInOrder(const std::string& text, std::initializer_list<std::string> pieces) {
  size_t at = 0;
  for (const std::string& piece : pieces) {
    at = text.find(piece, at);
    if (at == std::string::npos) return false;
    at += piece.size();
  }
  return true;
}

// The lines of text, without their ends.
std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

// Whether runs are how a burst of saves may rerun the game: versions of the
// burst in the order saved, no more runs than saves, the last save last.
bool isRerunOf(const std::vector<std::string>& runs, const std::vector<std::string>& burst) {
  auto saved = burst.begin();
  for (const std::string& run : runs) {
    saved = std::find(saved, burst.end(), run);
    if (saved == burst.end()) return false;
  }
  return !runs.empty() && runs.size() <= burst.size() && runs.back() == burst.back();
}

}  // namespace

TEST(WatchMode, EachSaveOrBurstOfSavesRerunsTheGameOnceInTheSameWindow) {
  ScriptDirectory directory;
  directory.write("main.js", game("v1"));
  RunningProgram program(directory.path(), {"--watch"});
  ASSERT_TRUE(program.waitForOutput("v1\n"));
  const std::string window = oruWindow();

  // Saved in place.
  directory.write("main.js", game("v2"));
  ASSERT_TRUE(program.waitForOutput("v2\n"));
  // Saved as a new file renamed over the old one; the hidden file is not a save.
  directory.write(".main.js.new", game("v3"));
  ASSERT_EQ(std::rename((directory.path() + "/.main.js.new").c_str(),
                        (directory.path() + "/main.js").c_str()),
            0);
  ASSERT_TRUE(program.waitForOutput("v3\n"));
  // Deleted and made again.
  ASSERT_EQ(std::remove((directory.path() + "/main.js").c_str()), 0);
  directory.write("main.js", game("v4"));
  ASSERT_TRUE(program.waitForOutput("v4\n"));
  // Saves that all come while the program is held still are one burst,
  // whatever the timing: one rerun, of the last version. Another script is
  // saved between them, so that no two notices of a save are alike. A run
  // says "steady" once a frame has ended with no save left to take, so no
  // rerun of the burst can come after it.
  program.sendSignal(SIGSTOP);
  ASSERT_TRUE(waitFor([&] { return stoppedBySignal(program.pid()); }));
  for (const char* version : {"v5", "v6", "v7", "v8", "v9"}) {
    directory.write("main.js", steadyGame(version));
    directory.write("notes.js", std::string("// ") + version + "\n");
  }
  program.sendSignal(SIGCONT);
  ASSERT_TRUE(program.waitForOutput("v9 steady\n"));
  // Five saves 20 ms apart, within the quiet window unless the machine
  // stalls. However they fall, the reruns run the versions in the order
  // saved, never more often than saved, and the last save runs last. (A rerun
  // may read a version before its save ends and then run it again.)
  const std::vector<std::string> timedBurst = {"v10", "v11", "v12", "v13", "v14"};
  for (const std::string& version : timedBurst) {
    directory.write("main.js", game(version));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(program.waitForOutput("v14\n"));
  EXPECT_EQ(findOruWindow(), window);

  program.sendSignal(SIGTERM);
  ProgramResult result = program.finish();
  const std::vector<std::string> runs = linesOf(result.output);
  ASSERT_GE(runs.size(), 7u) << result.output;
  EXPECT_EQ(std::vector<std::string>(runs.begin(), runs.begin() + 6),
            (std::vector<std::string>{"v1", "v2", "v3", "v4", "v9", "v9 steady"}))
      << result.output;
  EXPECT_TRUE(isRerunOf(std::vector<std::string>(runs.begin() + 6, runs.end()), timedBurst))
      << result.output;
  // One line for each rerun, naming the script saved last.
  const std::vector<std::string> notices = linesOf(result.errors);
  const auto reruns = std::count_if(runs.begin(), runs.end(),
                                    [](const std::string& run) {
                                      return run.find(" steady") == std::string::npos;
                                    }) -
                      1;
  EXPECT_EQ(static_cast<long>(notices.size()), reruns) << result.errors;
  for (const std::string& notice : notices) {
    EXPECT_TRUE(notice == "oru: main.js was saved; running main.js again." ||
                notice == "oru: notes.js was saved; running main.js again.")
        << notice;
  }
  EXPECT_EQ(result.exitStatus, 0);
}

TEST(WatchMode, AnErrorIsShownInTheWindowUntilTheFixIsSavedAndEscapeThenQuits) {
  ScriptDirectory directory;
  directory.write("lib/shapes.js", "function shape() { drawLine(10, 10, 100, 10); }\n");
  directory.write("main.js",
                  "initORU(640, 480, false); print('ok\\n');\n"
                  "while (true) { clear(); flip(); }\n");
  RunningProgram program(directory.path(), {"--watch", "."});
  ASSERT_TRUE(program.waitForOutput("ok\n"));
  const std::string window = oruWindow();

  // A syntax error in a script the game loads: the game stops, the error is lit.
  directory.write("main.js",
                  "initORU(640, 480, false); runScript('lib/shapes.js');\n"
                  "print('drawing\\n');\n"
                  "while (true) { clear(); shape(); flip(); }\n");
  ASSERT_TRUE(program.waitForOutput("drawing\n"));
  directory.write("lib/shapes.js", "function shape() {\n  drawLine(10, 10, 100, 10;\n}\n");
  ASSERT_TRUE(program.waitForOutput("Failed to run main.js (JS error).\n"));
  EXPECT_TRUE(waitForWindowShowing([](const Frame& frame) {
    const std::vector<int> box = frame.litBox(64);
    // The text spans most of the window's width, from its top left margin.
    return frame.width == 640 && box[2] - box[0] > 300 && box[1] < 60 && box[0] < 60;
  }));
  EXPECT_EQ(findOruWindow(), window);

  // The fix runs the game again: one line drawn, no text.
  directory.write("lib/shapes.js", "function shape() { drawLine(10, 10, 100, 10); }\n");
  ASSERT_TRUE(program.waitForOutput("(JS error).\ndrawing\n"));
  EXPECT_TRUE(waitForWindowShowing([](const Frame& frame) {
    const std::vector<int> box = frame.litBox(64);
    return box[2] < 120 && box[3] < 30;
  }));

  // A runtime error, then Escape while the program waits for the next save.
  directory.write("main.js", "initORU(640, 480, false);\nundefinedFunction();\n");
  ASSERT_TRUE(program.waitForOutput("Error on line 2 of main.js:\n"));
  ASSERT_TRUE(waitForWindowShowing(anythingLit));
  sendKey("key Escape");
  ProgramResult result = program.finish();
  EXPECT_TRUE(holdsInOrder(
      result.output, {"ok\n", "drawing\n", "Error on line 2 of lib/shapes.js:\n\t",
                      "Failed to run lib/shapes.js (JS error).\n", "Error on line 3 of main.js:\n",
                      "Failed to run main.js (JS error).\n", "drawing\n",
                      "Error on line 2 of main.js:\n\tReferenceError: undefinedFunction is "
                      "not defined\nFailed to run main.js (JS error).\n"}))
      << result.output;
  EXPECT_EQ(result.exitStatus, 0);
}

TEST(WatchMode, ASaveStopsALoopThatNeverFlipsAndAnEndedGameShowsTheNotice) {
  // The game's last frame shows a short line; it then loops without flip,
  // with its text still in the output buffer.
  ScriptDirectory directory;
  directory.write("main.js",
                  "initORU(320, 240, false); drawLine(10, 10, 40, 10); flip();\n"
                  "print('stuck');\n"
                  "while (true) {}\n");
  RunningProgram program(directory.path(), {"--watch"});
  ASSERT_TRUE(waitForWindowShowing([](const Frame& frame) { return anythingLit(frame); }));
  // The save stops it: its text is written out at once, and the new game
  // runs, printing, and ends by itself.
  directory.write("lib/more.js", "print(' ended\\n');\n");
  directory.write("main.js", "initORU(320, 240, false);\nrunScript('lib/more.js');\n");
  ASSERT_TRUE(program.waitForOutput("stuck ended\n"));
  // In place of its frame, the window shows what to do next: text across it.
  EXPECT_TRUE(waitForWindowShowing([](const Frame& frame) {
    const std::vector<int> box = frame.litBox(64);
    return box[2] - box[0] > 150;
  }));
  sendKey("key Escape");
  ProgramResult result = program.finish();
  EXPECT_EQ(result.output, "stuck ended\n");
  EXPECT_TRUE(result.errors.find("oru: main.js was saved; running main.js again.\n") !=
                  std::string::npos ||
              result.errors.find("oru: lib/more.js was saved; running main.js again.\n") !=
                  std::string::npos)
      << result.errors;
  EXPECT_EQ(result.exitStatus, 0);
}
