// Runs the built program on scripts that use much memory, or run out of it, and checks
// their exact output and exit status.
#include <gtest/gtest.h>

#include <cstdlib>

#include "script_runs.h"

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

TEST(Memory, AScriptThatHoldsOnAfterCatchingFailsAgainUntilItLetsGo) {
  // Each time the script catches the failure but keeps what it held, its
  // next demand for more fails again, in the heap as over the budget; once
  // it lets go, and once a script that held on has ended, there is room.
  setenv("ORU_MEMORY_LIMIT", "256", 1);
  expectRun(
      runScripts({{"main.js",
                   "var caught = [];\n"
                   "print(runScript('heap.js') + ' ');\n"
                   "var kept = [];\n"
                   "for (var round = 0; round < 3; ++round) {\n"
                   "  try { for (;;) kept.push(new Array(1e5).fill(round)); }\n"
                   "  catch (e) { caught.push(e); }\n"
                   "}\n"
                   "held = kept = null;\n"
                   "var after = [];\n"
                   "for (var i = 0; i < 1000; ++i) after.push({i: i, list: new Array(1e3)});\n"
                   "print(caught.length + ' ' + caught[5] + ' ' + after.length);"},
                  {"heap.js",
                   "var held = [];\n"
                   "for (var round = 0; round < 3; ++round) {\n"
                   "  try { for (;;) held.push({n: held.length}); } catch (e) { caught.push(e); }\n"
                   "}"}},
                 {}, 300),
      "true 6 out of memory 1000", 0);
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
