// Runs the built program on real script files and checks its exact output and exit status.
#include <gtest/gtest.h>

#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "program_runner.h"

namespace {

// Runs main.js (or the given arguments) in a fresh directory holding files,
// killing it after seconds.
ProgramResult runScripts(const std::vector<std::pair<std::string, std::string>>& files,
                         const std::vector<std::string>& arguments = {},
                         double seconds = runSeconds) {
  ScriptDirectory directory;
  for (const auto& [name, content] : files) directory.write(name, content);
  return runProgram(directory.path(), arguments, seconds);
}

void expectRun(const ProgramResult& result, const std::string& output, int status) {
  EXPECT_EQ(result.output, output);
  EXPECT_EQ(result.exitStatus, status);
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.errors, "");
}

}  // namespace

TEST(StartupScript, IsMainJsUnlessTheFirstArgumentNamesAnother) {
  std::vector<std::pair<std::string, std::string>> files = {
      {"main.js", "print('main\\n')"}, {"other.js", "print('other\\n')"}, {"third.js", "print(3)"}};
  expectRun(runScripts(files), "main\n", 0);
  expectRun(runScripts(files, {"other.js"}), "other\n", 0);
  expectRun(runScripts(files, {"other.js", "third.js"}), "other\n", 0);
}

TEST(StartupScript, MissingEmptyOrNotAFile) {
  expectRun(runScripts({}), "Failed to run main.js (File does not exsist).\n", 1);
  expectRun(runScripts({{"x.js", "print(1)"}}, {"nope.js"}),
            "Failed to run nope.js (File does not exsist).\n", 1);
  expectRun(runScripts({{"main.js", ""}}), "", 0);

  ScriptDirectory directory;
  ASSERT_EQ(mkdir((directory.path() + "/dir.js").c_str(), 0755), 0);
  // A folder on the command line is a game folder; given to runScript it is no file.
  expectRun(runProgram(directory.path(), {"dir.js"}),
            "Failed to run dir.js/main.js (File does not exsist).\n", 1);
  directory.write("folder.js", "print(runScript('dir.js'));");
  expectRun(runProgram(directory.path(), {"folder.js"}),
            "Failed to run dir.js (File does not exsist).\nfalse", 0);

  // A named pipe nobody writes to is refused at once, not waited on.
  ASSERT_EQ(mkfifo((directory.path() + "/pipe.js").c_str(), 0600), 0);
  expectRun(runProgram(directory.path(), {"pipe.js"}),
            "Failed to run pipe.js (File does not exsist).\n", 1);
  directory.write("nested.js", "print(runScript('pipe.js'));");
  expectRun(runProgram(directory.path(), {"nested.js"}),
            "Failed to run pipe.js (File does not exsist).\nfalse", 0);
}

TEST(StartupScript, AFolderRunsItsMainJsFromInsideTheFolder) {
  ScriptDirectory directory;
  directory.write("game/main.js", "print(runScript('lib/helper.js') + '\\n');");
  directory.write("game/lib/helper.js", "print('helper ');");
  ASSERT_EQ(mkdir((directory.path() + "/empty").c_str(), 0755), 0);
  expectRun(runProgram(directory.path(), {"game"}), "helper true\n", 0);
  expectRun(runProgram(directory.path(), {"game/"}), "helper true\n", 0);
  expectRun(runProgram(directory.path() + "/game", {"."}), "helper true\n", 0);
  expectRun(runProgram(directory.path(), {"empty"}),
            "Failed to run empty/main.js (File does not exsist).\n", 1);
  expectRun(runProgram(directory.path(), {"empty/"}),
            "Failed to run empty/main.js (File does not exsist).\n", 1);
}

TEST(CommandLine, OptionsAreAnsweredOnlyWhenNoFileHasTheirName) {
  ScriptDirectory directory;
  for (const char* help : {"--help", "-h"}) {
    ProgramResult result = runProgram(directory.path(), {help});
    EXPECT_EQ(result.output.rfind("Usage: oru [--watch] [SCRIPT | DIR]\n", 0), 0u) << result.output;
    EXPECT_NE(result.output.find("--version"), std::string::npos);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.errors, "");
  }
  expectRun(runProgram(directory.path(), {"--version"}), ORU_EXPECTED_VERSION "\n", 0);
  // Not an option: the missing file it names.
  expectRun(runProgram(directory.path(), {"--verbose"}),
            "Failed to run --verbose (File does not exsist).\n", 1);
  // Files named like options are scripts.
  directory.write("--version", "print('a script');");
  directory.write("-h", "print('another');");
  expectRun(runProgram(directory.path(), {"--version"}), "a script", 0);
  expectRun(runProgram(directory.path(), {"-h"}), "another", 0);
}

TEST(ErrorReports, SyntaxErrorNamesLineAndFile) {
  expectRun(runScripts({{"main.js", "var a = 1;\nvar b = 2;\nvar c = ;\n"}}),
            "Error on line 3 of main.js:\n"
            "\tSyntaxError: expected expression, got ';'\n"
            "Failed to run main.js (JS error).\n",
            1);
}

TEST(ErrorReports, RuntimeErrorInAFolderNamesThePathAsGiven) {
  expectRun(runScripts({{"sub/x.js", "print('before\\n');\nnothing();\nprint('after');\n"}},
                       {"sub/x.js"}),
            "before\n"
            "Error on line 2 of sub/x.js:\n"
            "\tReferenceError: nothing is not defined\n"
            "Failed to run sub/x.js (JS error).\n",
            1);
}

TEST(ErrorReports, UncaughtValuesThatAreNotErrors) {
  expectRun(runScripts({{"main.js", "\nthrow 42;"}}),
            "Error on line 2 of main.js:\n\tuncaught exception: 42\n"
            "Failed to run main.js (JS error).\n",
            1);
  expectRun(runScripts({{"main.js", "throw {toString() { throw 1; }};"}}),
            "Error on line 1 of main.js:\n\tuncaught exception: unknown (can't convert to string)\n"
            "Failed to run main.js (JS error).\n",
            1);
}

TEST(ErrorReports, WarningsAreReportedButDoNotFail) {
  // The engine may warn when it compiles the script, when the function first
  // runs, or both; every time the warning is in the two-line form.
  ProgramResult result = runScripts(
      {{"main.js", "print('start\\n');\nfunction f() { return\n 1 }\nf();\nprint('ran');"}});
  const std::string warning =
      "Error on line 3 of main.js:\n\tunreachable code after return statement\n";
  ASSERT_NE(result.output.find(warning), std::string::npos) << result.output;
  for (size_t at; (at = result.output.find(warning)) != std::string::npos;) {
    result.output.erase(at, warning.size());
  }
  expectRun(result, "start\nran", 0);
}

TEST(Print, WritesTheStringConversionOfAnyValueWithNothingAdded) {
  expectRun(runScripts({{"main.js",
                         "print('a'); print('b'); print(42); print(true); print({});"
                         "print([1, 2]); print(null); print(); print(0.1);"}}),
            "ab42true[object Object]1,2nullundefined0.1", 0);
}

TEST(Print, StringsAreBytesBothWays) {
  // A zero character ends the string; characters above 255 keep their low 8 bits; a byte of the
  // script file comes back out unchanged.
  expectRun(runScripts({{"main.js",
                         "print('x\\0y'); print('|\\u0141\\u20ac|'); print('|\xe9\xff|');"
                         "print(String.fromCharCode(0x100) + 'gone');"}}),
            "x|A\xac||\xe9\xff|", 0);
}

TEST(Print, ThrowingConversionsGiveTheEmptyStringAndTheScriptGoesOn) {
  expectRun(runScripts({{"main.js",
                         "print({toString() { throw new Error('no'); }});"
                         "print(Symbol('s')); print('[' + print(Symbol()) + ']');"
                         "print({valueOf() { throw 1; }, toString() { return 'str'; }});"}}),
            "[null]str", 0);
}

TEST(Interface, FunctionsHaveTheirAritiesAndAreOrdinaryProperties) {
  expectRun(runScripts({{"main.js",
                         "print(runScript.length + ',' + print.length + '|');"
                         "print(Object.keys(this).join(',') + '|');"
                         "var d = Object.getOwnPropertyDescriptor(this, 'print');"
                         "print([d.writable, d.enumerable, d.configurable].join(',') + '|');"
                         "print((print('') === null) + '|');"
                         "var original = print; print = function() { original('replaced|'); };"
                         "print('x'); original('original|');"
                         "delete runScript; original(typeof runScript);"}}),
            "1,1|d,original|true,false,true|true|replaced|original|undefined", 0);
}

TEST(RunScript, SharesTheGlobalObjectAndReturnsSuccess) {
  expectRun(runScripts({{"main.js",
                         "var shared = 'from main';\n"
                         "var ok = runScript('lib.js');\n"
                         "print(ok + ' ' + libValue + ' ' + twice(4) + '\\n');"},
                        {"lib.js",
                         "var libValue = shared + ' seen by lib';\n"
                         "function twice(x) { return 2 * x; }"}}),
            "true from main seen by lib 8\n", 0);
}

TEST(RunScript, NestedFailuresReturnFalseAndTheCallerGoesOn) {
  expectRun(runScripts({{"main.js",
                         "print(runScript('missing.js') + '\\n');\n"
                         "print(runScript('bad.js') + '\\n');\n"
                         "print(runScript('throws.js') + '\\n');\n"
                         "print(halfDone + '\\n');"},
                        {"bad.js", "\n\nvar x = ;"},
                        {"throws.js", "var halfDone = 'half';\nnothing.x;"}}),
            "Failed to run missing.js (File does not exsist).\nfalse\n"
            "Error on line 3 of bad.js:\n\tSyntaxError: expected expression, got ';'\n"
            "Failed to run bad.js (JS error).\nfalse\n"
            "Error on line 2 of throws.js:\n\tReferenceError: nothing is not defined\n"
            "Failed to run throws.js (JS error).\nfalse\n"
            "half\n",
            0);
}

TEST(Recursion, EndsInAScriptErrorNotACrash) {
  expectRun(runScripts({{"main.js", "function r(n) { return r(n + 1) + 1; }\nr(0);"}}),
            "Error on line 1 of main.js:\n\tInternalError: too much recursion\n"
            "Failed to run main.js (JS error).\n",
            1);

  // A script that runs itself: the innermost call fails, every caller goes on.
  ProgramResult self = runScripts(
      {{"main.js",
        "var depth = typeof depth === 'undefined' ? 0 : depth + 1;\n"
        "if (!runScript('main.js') && !this.reported) { this.reported = true; print('deep'); }"}});
  EXPECT_EQ(self.exitStatus, 0);
  EXPECT_EQ(self.signal, 0);
  EXPECT_NE(self.output.find("\tInternalError: too much recursion\n"), std::string::npos);
  EXPECT_NE(self.output.find("(JS error).\ndeep"), std::string::npos) << self.output;
}

TEST(Memory, ManyLiveObjectsRebuiltEveryFrameFit) {
  expectRun(runScripts({{"main.js",
                         "var particles;\n"
                         "for (var frame = 0; frame < 300; ++frame) {\n"
                         "  particles = [];\n"
                         "  for (var i = 0; i < 2000; ++i)\n"
                         "    particles.push({x: i, y: frame, vx: Math.sin(i), vy: [i, frame]});\n"
                         "}\n"
                         "print(particles.length + ' ' + particles[1999].vy[1]);"}}),
            "2000 299", 0);
}

TEST(Memory, ScriptsRunAgainAfterAnUncaughtOutOfMemory) {
  ProgramResult result = runScripts(
      {{"main.js",
        "print(runScript('hog.js') + '\\n');\n"
        "var list = []; for (var i = 0; i < 1000; ++i) list.push({i: i});\n"
        "print(list.length + '\\n');"},
       {"hog.js", "(function() { var b = []; for (;;) b.push({x: b.length, y: [1, 2]}); })();"}});
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_NE(result.output.find("\tuncaught exception: out of memory\n"
                               "Failed to run hog.js (JS error).\nfalse\n1000\n"),
            std::string::npos)
      << result.output;
}

TEST(Memory, GrowingArraysBuffersOrStringsWithoutBoundStopsTheScriptNotTheProgram) {
  // Array elements and buffer contents lie outside the collected heap; past
  // the memory budget the script's next allocation fails, as an ordinary
  // error: uncaught, it ends that script; caught, the script decides.
  expectRun(
      runScripts({{"main.js",
                   "var kept = [];\n"
                   "var results = runScript('buffers.js') + ' ' + runScript('arrays.js');\n"
                   "print(results + '\\n');\n"
                   "var after = []; for (var i = 0; i < 100; ++i) after.push(new Array(1e5));\n"
                   "print(after.length + '\\n');"},
                  {"buffers.js",
                   "(function () {\n  for (var b = [];;) b.push(new ArrayBuffer(1 << 20));\n})();"},
                  {"arrays.js",
                   "try {\n  for (;;) kept.push(new Array(1e5).fill(1));\n"
                   "} catch (e) { kept = null; print('caught ' + e + '\\n'); }"}},
                 {}, 300),
      "Error on line 2 of buffers.js:\n\tuncaught exception: out of memory\n"
      "Failed to run buffers.js (JS error).\n"
      "caught out of memory\nfalse true\n100\n",
      0);

  ProgramResult strings =
      runScripts({{"main.js", "var a = [];\nfor (;;) a.push('x'.repeat(1000) + a.length);"}});
  EXPECT_EQ(strings.exitStatus, 1);
  EXPECT_EQ(strings.signal, 0);
  EXPECT_NE(strings.output.find("\tuncaught exception: out of memory\nFailed to run main.js"),
            std::string::npos)
      << strings.output;
}

TEST(Memory, EveryWayOfRunningOutFailsOnlyTheScriptAtItsLine) {
  // Too large for the engine at once, a full heap at the top level, inside
  // an argument's conversion: each is reported where it happened, ends the
  // script that caused it, and the caller goes on.
  expectRun(
      runScripts(
          {{"main.js",
            "try { var a = new Uint8Array(2 ** 40), b = new Uint8Array(2 ** 40); b.set(a); }\n"
            "catch (e) { print('caught ' + e.name + '\\n'); }\n"
            "print(runScript('heap.js') + '\\n');\n"
            "list = null;\n"
            "print(runScript('conversion.js') + '\\n');\n"
            "var after = []; for (var i = 0; i < 100; ++i) after.push(new Array(1e5).fill(i));\n"
            "print(after.length);"},
           {"heap.js",
            "var list = []; for (;;) list.push({i: list.length, s: 'v' + list.length});"},
           {"conversion.js",
            "print({toString: function () {\n"
            "  for (var k = [];;) k.push(new ArrayBuffer(1 << 20));\n}});\n"
            "print('not reached');"}},
          {}, 300),
      "caught RangeError\n"
      "Error on line 1 of heap.js:\n\tuncaught exception: out of memory\n"
      "Failed to run heap.js (JS error).\nfalse\n"
      "Error on line 2 of conversion.js:\n\tuncaught exception: out of memory\n"
      "Failed to run conversion.js (JS error).\nfalse\n100",
      0);

  // An endless chain of promises fills the heap from Promise jobs; more than
  // one of its promises may be rejected for it. How soon the heap counts as
  // full depends on the collector's timing: from half a minute to over two
  // minutes on a busy machine.
  ProgramResult chain = runScripts(
      {{"main.js", "function f() { return Promise.resolve().then(f); }\nf();"}}, {}, 600);
  const std::string report =
      "Error on line 1 of main.js:\n\t(in promise) uncaught exception: out of memory\n";
  std::string rest = chain.output;
  size_t reports = 0;
  for (size_t at; (at = rest.find(report)) != std::string::npos; ++reports)
    rest.erase(at, report.size());
  EXPECT_GE(reports, 1u) << chain.output;
  EXPECT_EQ(rest, "") << chain.output;
  EXPECT_EQ(chain.exitStatus, 0);
}

TEST(Memory, OnlyARealShortageFailsAndEachFailureIsReportedWhereItHappened) {
  // Garbage is collected before anything fails; a script's own "out of
  // memory" text is an ordinary exception; a failure at the top level, and in
  // each of two Promise jobs, is reported at its own line.
  setenv("ORU_MEMORY_LIMIT", "1536", 1);
  expectRun(runScripts({{"main.js",
                         "var b = new ArrayBuffer(1200 << 20); b = null;\n"
                         "b = new ArrayBuffer(1200 << 20); print('collected ');\n"
                         "setColor({valueOf() { throw 'out of memory'; }}, 1, 1);\n"
                         "print(getRed());"}}),
            "collected 0", 0);
  setenv("ORU_MEMORY_LIMIT", "128", 1);
  expectRun(
      runScripts({{"main.js",
                   "var keep = [];\n"
                   "Promise.resolve().then(() => {\n"
                   "  while (true) keep.push(new ArrayBuffer(1 << 20)); });\n"
                   "Promise.resolve().then(() => {\n"
                   "  keep = []; while (true) keep.push('x'.repeat(1 << 20) + keep.length); });\n"
                   "var n = 0;\n"
                   "while (true) keep.push(new ArrayBuffer(1 << 20));\n"}}),
      "Error on line 7 of main.js:\n\tuncaught exception: out of memory\n"
      "Error on line 3 of main.js:\n\t(in promise) uncaught exception: out of memory\n"
      "Error on line 5 of main.js:\n\t(in promise) uncaught exception: out of memory\n"
      "Failed to run main.js (JS error).\n",
      1);
  unsetenv("ORU_MEMORY_LIMIT");
}

TEST(Print, MegabytesArriveWholeAndInOrder) {
  ProgramResult result = runScripts(
      {{"main.js",
        "for (var i = 0; i < 16; ++i) print(String.fromCharCode(65 + i).repeat(1 << 20));"}});
  EXPECT_EQ(result.exitStatus, 0);
  ASSERT_EQ(result.output.size(), size_t{16} << 20);
  for (size_t i = 0; i < 16; ++i) {
    EXPECT_EQ(result.output[i << 20], 'A' + i);
    EXPECT_EQ(result.output[((i + 1) << 20) - 1], 'A' + i);
  }
}

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
