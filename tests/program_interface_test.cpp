// Runs the built program on real script files and checks its exact output and exit status:
// promises, conversions, graphics without a window or display, and time.
#include <gtest/gtest.h>

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "script_runs.h"

TEST(Promises, JobsRunWhenTheScriptFinishes) {
  expectRun(runScripts({{"main.js",
                         "async function later() { await null; print('async '); }\n"
                         "later();\n"
                         "Promise.resolve(7).then(v => print('then ' + v + ' '));\n"
                         "print('sync ');"}}),
            "sync async then 7 ", 0);
}

TEST(Interface, AllFunctionsInTableOrderWithTheirArities) {
  expectRun(
      runScripts({{"main.js",
                   "var names = ['runScript', 'print', 'initORU', 'getTime', 'clear', 'flip',\n"
                   "  'drawPoint', 'setLineWidth', 'setCoordSystem', 'setColor', 'drawLine',\n"
                   "  'leftDown', 'rightDown', 'upDown', 'downDown', 'spaceDown', 'escDown',\n"
                   "  'enterDown', 'getRed', 'getGreen', 'getBlue'];\n"
                   "print(Object.getOwnPropertyNames(this)\n"
                   "  .filter(n => names.indexOf(n) >= 0).map(n => n + this[n].length).join());"}}),
      "runScript1,print1,initORU3,getTime0,clear0,flip0,drawPoint2,setLineWidth1,"
      "setCoordSystem4,setColor3,drawLine4,leftDown0,rightDown0,upDown0,downDown0,"
      "spaceDown0,escDown0,enterDown0,getRed0,getGreen0,getBlue0",
      0);
}

TEST(Graphics, CallsBeforeTheWindowKeepStateAndDrawNothing) {
  expectRun(
      runScripts({{"main.js",
                   "var results = [clear(), setColor(0.5, '0.25', 2), setLineWidth(3),\n"
                   "  setCoordSystem(0, 1, 0, 1), drawLine(0, 0, 10, 10), drawLine(1, 2, 3),\n"
                   "  drawPoint(1, 1), flip(), setColor(0.5, 0.25, 2, 99)];\n"
                   "print(results.every(r => r === null) + ' ');\n"
                   "print([getRed(), getGreen(), getBlue(), leftDown(), escDown()].join());"}}),
      "true 0.5,0.25,2,false,false", 0);
}

TEST(Conversions, NumbersAndTruthFollowTheScriptLanguage) {
  // Before the window opens the colour is still stored, so it shows the float conversion.
  expectRun(
      runScripts(
          {{"main.js",
            "function rgb() { return [getRed(), getGreen(), getBlue()].join(); }\n"
            "setColor(0.1, 0, 0); print(rgb() + '|');\n"
            "setColor('0.5', true, null); print(rgb() + '|');\n"
            "setColor(' 12 ', '0x10', [5]); print(rgb() + '|');\n"
            "setColor(undefined, '12abc', {}); print(rgb() + '|');\n"
            "setColor(1e40, -1e40, 5e-46); print(rgb() + '|');\n"
            "setColor(1, 2); print(rgb() + '|');\n"
            "setColor({valueOf() { throw new Error('no'); }}, Symbol(), 10n); print(rgb());"}}),
      "0.10000000149011612,0,0|0.5,1,0|12,16,5|NaN,NaN,NaN|Infinity,-Infinity,0|1,2,NaN|0,0,0", 0);
}

TEST(Conversions, ValueOfRunsOnceForEachArgumentInOrderAndExtrasAreIgnored) {
  expectRun(
      runScripts({{"main.js",
                   "var order = '';\n"
                   "function n(name, v) { return {valueOf() { order += name; return v; }}; }\n"
                   "setColor(n('r', 1), n('g', 2), n('b', 3), n('extra', 4));\n"
                   "print(order + ' ' + getBlue());"}}),
      "rgb 3", 0);
}

TEST(Graphics, NoDisplayMeansSdlCannotStart) {
  // Without X, SDL would fall back to drawing in the terminal; keep it to X.
  unsetenv("DISPLAY");
  setenv("SDL_VIDEODRIVER", "x11", 1);
  expectRun(runScripts({{"main.js", "print(initORU(640, 480, false) + '\\n'); clear(); flip();"}}),
            "Failed to initialize SDL.\nfalse\n", 0);
}

TEST(Graphics, WithoutADisplayTheFailureStaysOnTheTerminal) {
  // Run in a terminal, with no X display and no driver named: SDL's text
  // driver would take the terminal and write its escape codes around the
  // message; it is never chosen, so the terminal shows the message alone.
  ScriptDirectory directory;
  directory.write("main.js", "print(initORU(640, 480, false) + '\\n');");
  int terminal = -1;
  pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
  ASSERT_GE(child, 0);
  if (child == 0) {
    unsetenv("DISPLAY");
    unsetenv("SDL_VIDEODRIVER");
    setenv("TERM", "xterm", 1);
    if (chdir(directory.path().c_str()) == 0) execl(ORU_PATH, ORU_PATH, nullptr);
    _exit(127);
  }
  std::string screen;
  char buffer[4096];
  for (ssize_t n; (n = read(terminal, buffer, sizeof buffer)) > 0;) screen.append(buffer, n);
  int status = 0;
  waitpid(child, &status, 0);
  close(terminal);
  EXPECT_EQ(screen, "Failed to initialize SDL.\r\nfalse\r\n");
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(Time, CountsFromStartAndFlipSleeps) {
  ProgramResult result =
      runScripts({{"main.js",
                   "var start = getTime(), last = start, backwards = false;\n"
                   "for (var i = 0; i < 100; ++i) {\n"
                   "  flip(); var now = getTime(); if (now < last) backwards = true; last = now;\n"
                   "}\n"
                   "print([start >= 0 && start < 5, backwards, last - start >= 0.5].join());"}});
  expectRun(result, "true,false,true", 0);
}

TEST(Promises, RejectionsWithoutAHandlerAreReportedWhereTheyHappened) {
  expectRun(
      runScripts({{"main.js",
                   "async function f() { await null;\n nothing.x; }\n"
                   "f();\n"
                   "Promise.reject(42);\n"
                   "Promise.reject(new Error('later')).catch(e => print('caught ' + e.message));\n"
                   "print('sync ');"}}),
      "sync caught later"
      "Error on line 4 of main.js:\n\t(in promise) uncaught exception: 42\n"
      "Error on line 2 of main.js:\n\t(in promise) ReferenceError: nothing is not defined\n",
      0);
}

TEST(Promises, ReportingRejectionsIsSafeFromTheScriptsItRuns) {
  // A rejection's toString runs flip or runScript (which report rejections
  // themselves) or handles another listed rejection: each is reported once,
  // the handled one not at all, and later collections find nothing broken.
  expectRun(
      runScripts(
          {{"main.js",
            "var n = 0;\n"
            "Promise.reject({toString: function () { if (n++ == 0) flip(); return 'x'; }});\n"
            "flip(); flip();\n"
            "Promise.reject({toString: function () { p2.catch(function () {}); return 'y'; }});\n"
            "var p2 = Promise.reject(new Error('two'));\n"
            "flip();\n"
            "Promise.reject({toString: function () { runScript('empty.js'); return 'z'; }});\n"
            "flip();\n"
            "for (var i = 0, junk = []; i < 300000; ++i) junk.push({i: i});\n"
            "print('survived');"},
           {"empty.js", ""}}),
      "Error on line 2 of main.js:\n\t(in promise) uncaught exception: x\n"
      "Error on line 4 of main.js:\n\t(in promise) uncaught exception: y\n"
      "Error on line 7 of main.js:\n\t(in promise) uncaught exception: z\n"
      "survived",
      0);
}
