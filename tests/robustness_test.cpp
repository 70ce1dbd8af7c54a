// What no script can do to the program: crash it by running out of memory,
// keep it running after a quit, or hang it when the display goes away.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "display_fixture.h"
#include "oru_window.h"
#include "process_state.h"
#include "program_runner.h"
#include "wait_for.h"

namespace {

// Sets an environment variable for the programs this test starts, and puts
// back the earlier value at the end of the test.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name(name) {
    if (const char* old = std::getenv(name)) previous = old, hadValue = true;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnvironment() {
    if (hadValue) {
      setenv(name, previous.c_str(), 1);
    } else {
      unsetenv(name);
    }
  }

 private:
  const char* name;
  std::string previous;
  bool hadValue = false;
};

}  // namespace

TEST(Memory, TwentyRoundsOfRunningOutLeaveDrawingWindowsOutputAndScriptsWorking) {
  // Each round fills memory another way and catches the failure; then the
  // graphics driver, SDL, the output and a nested script all still work.
  // A small budget keeps the rounds short.
  ScopedEnvironment budget("ORU_MEMORY_LIMIT", "256");
  ScriptDirectory directory;
  directory.write(
      "main.js",
      "var ways = [\n"
      "  function (keep) { for (;;) keep.push(new ArrayBuffer(1 << 20)); },\n"
      "  function (keep) { for (;;) keep.push('s'.repeat(1 << 20) + keep.length); },\n"
      "  function (keep) { for (;;) keep.push({n: keep.length, list: [1, 2]}); },\n"
      "  function (keep) {\n"
      "    keep.push(new Array(3e6).fill(0));\n"
      "    for (;;) { keep.push(new ArrayBuffer(65536)); for (var i = 0; i < 64; ++i) "
      "keep.length.toString(); }\n"
      "  },\n"
      "  function (keep) {\n"
      "    var body = 'return [' + '1,'.repeat(100000) + '];';\n"
      "    for (;;) keep.push(new Function(body + '//' + keep.length));\n"
      "  },\n"
      "];\n"
      "for (var round = 0; round < 20; ++round) {\n"
      "  var keep = [];\n"
      "  try { ways[round % 5](keep); } catch (e) { keep = null; print(round + ' ' + e); }\n"
      "  initORU(round % 2 ? 320 : 240, 200, false);\n"
      "  for (var f = 0; f < 30; ++f) {\n"
      "    clear(); drawLine(10, 10, 200, 150); drawPoint(50, 50); flip();\n"
      "  }\n"
      "  print(' ' + 'y'.repeat(100000).length);\n"
      "  runScript('nested.js');\n"
      "}\n"
      "print('done');");
  directory.write("nested.js", "print(' nested\\n');");
  ProgramResult result = runProgram(directory.path(), {}, 900);
  std::string expected;
  for (int round = 0; round < 20; ++round) {
    expected += std::to_string(round) + " out of memory 100000 nested\n";
  }
  EXPECT_EQ(result.output, expected + "done");
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.errors, "");
}

TEST(Quit, NoJobOrConversionRunsAfterIt) {
  // The quit comes in the middle of a Promise job, then in the middle of an
  // argument's conversion: nothing queued or converted after it runs.
  const char* scripts[] = {
      "initORU(160, 120, false);\n"
      "Promise.resolve().then(function () { print('job'); while (true) flip(); });\n"
      "Promise.resolve().then(function () { print(' later job ran'); });",
      "initORU(160, 120, false); print('converting');\n"
      "setColor({valueOf() { while (true) flip(); }},\n"
      "         {valueOf() { print(' later conversion ran'); return 0; }}, 0);\n"
      "print(' after the call');",
  };
  const char* expected[] = {"job", "converting"};
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(scripts[i]);
    ScriptDirectory directory;
    directory.write("main.js", scripts[i]);
    RunningProgram program(directory.path(), {});
    ASSERT_TRUE(waitFor([] { return !findOruWindow().empty(); }));
    program.sendSignal(SIGTERM);
    ProgramResult result = program.finish();
    EXPECT_EQ(result.output, expected[i]);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.errors, "");
  }
}

TEST(Quit, TheSecondSignalEndsTheProgramWhenNobodyReadsItsOutput) {
  ScriptDirectory directory;
  directory.write("main.js", "for (;;) print('x'.repeat(4096));");
  int pipeFds[2];
  ASSERT_EQ(pipe(pipeFds), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    dup2(pipeFds[1], STDOUT_FILENO);
    close(pipeFds[0]);
    close(pipeFds[1]);
    if (chdir(directory.path().c_str()) == 0) execl(ORU_PATH, ORU_PATH, nullptr);
    _exit(127);
  }
  close(pipeFds[1]);
  // The sign that the program is stuck writing: its pipe is full.
  int capacity = fcntl(pipeFds[0], F_GETPIPE_SZ);
  EXPECT_TRUE(waitFor([&] {
    int waiting = 0;
    return ioctl(pipeFds[0], FIONREAD, &waiting) == 0 && waiting >= capacity;
  }));
  kill(child, SIGINT);
  EXPECT_TRUE(waitFor([&] { return !signalPending(child, SIGINT); }));
  kill(child, SIGINT);
  int status = 0;
  bool ended = waitFor([&] { return waitpid(child, &status, WNOHANG) == child; });
  if (!ended) {
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
  }
  close(pipeFds[0]);
  EXPECT_TRUE(ended);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
}

TEST(Display, LosingTheXServerEndsTheProgramWithItsOutput) {
  // A private X server, which the test then ends.
  const std::string number = std::to_string(3000 + getpid() % 2000);
  ChildProcess server({"Xvfb", ":" + number, "-noreset", "-screen", "0", "640x480x24"},
                      {"", true, true});
  ASSERT_TRUE(server.started()) << server.startError();
  ScopedEnvironment display("DISPLAY", (":" + number).c_str());
  ASSERT_TRUE(waitFor([&] {
    struct stat info {};
    return stat(("/tmp/.X11-unix/X" + number).c_str(), &info) == 0;
  }));
  ScriptDirectory directory;
  directory.write("main.js",
                  "initORU(160, 120, false); print('shown\\n');\n"
                  "while (true) { clear(); drawPoint(10, 10); flip(); }");
  RunningProgram program(directory.path(), {});
  ASSERT_TRUE(waitFor([] { return !findOruWindow().empty(); }));
  server.sendSignal(SIGKILL);
  ProgramResult result = program.finish();
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(result.output, "shown\n");
  EXPECT_NE(result.errors.find("oru: lost the connection to the X server.\n"), std::string::npos)
      << result.errors;
}

TEST(Display, NoneAtAllAndNoTerminalIsAnOrdinaryFailure) {
  // As under cron or a service: no X display, no terminal type, no driver named.
  ScopedEnvironment display("DISPLAY", nullptr);
  ScopedEnvironment terminal("TERM", nullptr);
  ScopedEnvironment driver("SDL_VIDEODRIVER", nullptr);
  ScriptDirectory directory;
  directory.write("main.js", "print(initORU(640, 480, false) + '\\n'); clear(); flip();");
  ProgramResult result = runProgram(directory.path());
  EXPECT_EQ(result.output, "Failed to initialize SDL.\nfalse\n");
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.errors, "");
}
