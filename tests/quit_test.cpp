// The built program in a real window: signals, the quit path and its surroundings.
#include <gtest/gtest.h>

#include <signal.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "display_fixture.h"
#include "oru_window.h"
#include "process_state.h"
#include "program_runner.h"

class QuitSignal : public testing::TestWithParam<int> {};

TEST_P(QuitSignal, EndsTheLoopWithStatusZeroAndFlushedOutput) {
  ScriptDirectory directory;
  // The text has no newline, so only the exit path's flush gets it out. No
  // script code runs after the quit, not even a finally block.
  directory.write("main.js",
                  "initORU(320, 240, false); print('looping');\n"
                  "try { runScript('loop.js'); } finally { print(' finally'); }\n"
                  "print('after the loop');");
  directory.write("loop.js",
                  "Promise.resolve().then(() => print(' job'));\n"
                  "while (true) { clear(); drawLine(0, 0, 100, 100); flip(); }\n"
                  "print('after the loop');");
  RunningProgram program(directory.path(), {});
  // The loop's line on the screen: its first frame has passed, and with it the job.
  ASSERT_TRUE(waitForWindowShowing(anythingLit));
  program.sendSignal(GetParam());
  ProgramResult result = program.finish();
  EXPECT_EQ(result.output, "looping job");
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.errors, "");
}

INSTANTIATE_TEST_SUITE_P(Signals, QuitSignal, testing::Values(SIGTERM, SIGINT, SIGHUP));

TEST(QuitSignals, OneEndsAScriptThatNeverFlipsAndASecondEndsItAtOnce) {
  // A window open and a loop without flip, in a plain run and in watch mode:
  // one signal ends it, with what it printed (no newline, so still in the
  // output buffer), no finally block run, and status 0.
  const std::string script =
      "initORU(200, 100, false); print('stuck');\n"
      "try { while (true) { clear(); } } finally { print(' finally'); }";
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{}, std::vector<std::string>{"--watch"}}) {
    SCOPED_TRACE(arguments.empty() ? "plain" : "watch");
    ScriptDirectory directory;
    directory.write("main.js", script);
    RunningProgram program(directory.path(), arguments);
    ASSERT_TRUE(waitForWindowShowing([](const Frame& frame) { return frame.width == 200; }));
    ASSERT_TRUE(program.waitUntilCatchingQuitSignals());
    program.sendSignal(SIGTERM);
    // Far longer than the second it waits for flip.
    ProgramResult result = program.finish(60);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.output, "stuck");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.signal, 0);
  }
  // Two signals that come together: the program dies of the second, after
  // writing out its output. Held stopped, it takes both at once.
  ScriptDirectory directory;
  directory.write("main.js", script);
  RunningProgram program(directory.path(), {});
  ASSERT_TRUE(waitForWindowShowing([](const Frame& frame) { return frame.width == 200; }));
  ASSERT_TRUE(program.waitUntilCatchingQuitSignals());
  program.sendSignal(SIGSTOP);
  program.sendSignal(SIGINT);
  program.sendSignal(SIGTERM);
  program.sendSignal(SIGCONT);
  ProgramResult result = program.finish(60);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.output, "stuck");
  EXPECT_TRUE(result.signal == SIGINT || result.signal == SIGTERM) << result.signal;
}

TEST(QuitSignals, TheFirstOneSaysWhyAScriptThatStoppedFlippingIsStopped) {
  ScriptDirectory directory;
  // The script itself makes sure flip was last called over a second ago; the
  // text is long enough to pass the output buffer, so it arrives at once.
  directory.write("main.js",
                  "initORU(320, 240, false); flip();\n"
                  "var start = getTime(); while (getTime() - start < 1.5) {}\n"
                  "print('stalled' + ' '.repeat(16384));\n"
                  "while (true) { clear(); drawLine(0, 0, 100, 100); }");
  const std::string hint =
      "oru: the script has not called flip() for over a second, so its window cannot respond; "
      "stopping it.\n";
  RunningProgram program(directory.path(), {});
  ASSERT_TRUE(program.waitForText("stalled", 30));
  program.sendSignal(SIGINT);
  ProgramResult result = program.finish(60);
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.output.rfind("stalled", 0), 0u);
  EXPECT_EQ(result.errors, hint);
}

TEST(Interrupt, TheFirstOneStillQuitsAtTheNextFlip) {
  ScriptDirectory directory;
  directory.write("main.js",
                  "initORU(320, 240, false); initORU(200, 100, false);\n"
                  "print('open\\n');\nwhile (true) flip();");
  RunningProgram program(directory.path(), {});
  // The window set up the second time.
  ASSERT_TRUE(waitForWindowShowing(
      [](const Frame& frame) { return frame.width == 200 && frame.height == 100; }));
  program.sendSignal(SIGINT);
  ProgramResult result = program.finish();
  EXPECT_EQ(result.output, "open\n");
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.errors, "");
}

TEST(Quit, ClosingTheWindowEndsTheProgram) {
  ScriptDirectory directory;
  directory.write("main.js",
                  "initORU(320, 240, false); print('open\\n');\n"
                  "while (true) flip();");
  RunningProgram program(directory.path(), {});
  std::string id = oruWindow();
  ASSERT_FALSE(id.empty());
  closeWindow(id);
  ProgramResult result = program.finish();
  EXPECT_EQ(result.output, "open\n");
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.errors, "");
}

TEST(Environment, WithoutARuntimeFolderNothingIsWrittenAndNothingIsLeft) {
  // As under cron: no XDG_RUNTIME_DIR. SDL 3 (under sdl12-compat on Debian
  // testing) then had the Wayland library write an error to standard error.
  // The private folder oru lends SDL meanwhile is gone afterwards.
  ScriptDirectory directory, temporary;
  directory.write("main.js",
                  "print(initORU(320, 240, false) + ' ' + initORU(200, 100, false));\n"
                  "clear(); flip();");
  unsetenv("XDG_RUNTIME_DIR");
  setenv("TMPDIR", temporary.path().c_str(), 1);
  ProgramResult result = RunningProgram(directory.path(), {}).finish(10);
  unsetenv("TMPDIR");
  EXPECT_EQ(result.output, "true true");
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.errors, "");
  EXPECT_EQ(commandOutput("ls -A '" + temporary.path() + "'"), "");
}

TEST(StandardStreams, ClosedOnesNeverReceiveTheProgramsOutput) {
  // Printed text must not go into the X connection (or any file the program
  // opens) when the stream it was meant for is closed.
  ScriptDirectory directory;
  directory.write("main.js",
                  "initORU(64, 48, false);\n"
                  "print('x'.repeat(1 << 16));\n"
                  "flip();\n"
                  "print(runScript('other.js'));");
  directory.write("other.js", "clear(); flip(); print('other');");
  for (const char* closed : {">&-", "<&- >&- 2>&-"}) {
    std::string status =
        commandOutput("cd '" + directory.path() + "' && timeout 120 " ORU_PATH " main.js " +
                      closed + "; echo $?");
    EXPECT_EQ(status, "0\n") << closed;
  }
}

TEST(Memory, TheDriversQueuedStrokesDoNotCountAgainstTheScript) {
  // A frame of 600,000 lines queues about 0.8 GB in the graphics driver;
  // the script itself holds little, before and after it is shown.
  ScriptDirectory directory;
  directory.write("main.js",
                  "initORU(640, 480, false); clear();\n"
                  "for (var i = 0; i < 600000; ++i) drawLine(i % 640, 0, 320, 479);\n"
                  "flip();\n"
                  "var buffer = new Uint8Array(200 * 1048576); buffer.fill(1);\n"
                  "print(buffer[buffer.length - 1]);");
  ProgramResult result = runProgram(directory.path(), {}, 600);
  EXPECT_EQ(result.output, "1");
  EXPECT_EQ(result.exitStatus, 0);
}
