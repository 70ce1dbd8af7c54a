// Runs the built program on real script files and checks its exact output and exit status:
// choosing the startup script, error reports, print, the interface and runScript.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include "script_runs.h"

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
  // Its main.js named from outside: its scripts are not found where it
  // looks, and one line says where it looked and what runs the game.
  expectRun(runProgram(directory.path(), {"game/main.js"}),
            "Failed to run lib/helper.js (File does not exsist).\nfalse\n", 0,
            "oru: script names are relative to the working directory, " + directory.path() +
                "; to run the game in its own folder, use: oru game\n");
  // A script missing there too is only missing.
  directory.write("game/other.js", "runScript('lib/nothing.js');");
  expectRun(runProgram(directory.path(), {"game/other.js"}),
            "Failed to run lib/nothing.js (File does not exsist).\n", 0);
}

TEST(Print, TextReachesAPipeAtEachFlip) {
  // Standard output is a pipe, as in an editor's output panel: text with no
  // newline arrives at the next flip, not when the program ends.
  ScriptDirectory directory;
  directory.write("main.js", "print('tick');\nwhile (true) flip();");
  RunningProgram program(directory.path(), {});
  ASSERT_TRUE(program.waitForOutput("tick"));
  program.sendSignal(SIGTERM);
  expectRun(program.finish(), "tick", 0);
}

TEST(CommandLine, OptionsAreAnsweredOnlyWhenNoFileHasTheirName) {
  ScriptDirectory directory;
  for (const char* help : {"--help", "-h"}) {
    ProgramResult result = runProgram(directory.path(), {help});
    EXPECT_EQ(result.output.rfind("Usage: oru [--record FILE.gif] [--watch] [SCRIPT | DIR]\n", 0),
              0u)
        << result.output;
    EXPECT_NE(result.output.find("--version"), std::string::npos);
    EXPECT_NE(result.output.find("F12"), std::string::npos);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.errors, "");
  }
  expectRun(runProgram(directory.path(), {"--version"}), ORU_EXPECTED_VERSION "\n", 0);
  // Not an option: the missing file it names, and the option it is not.
  expectRun(runProgram(directory.path(), {"--verbose"}),
            "Failed to run --verbose (File does not exsist).\n", 1,
            "oru: unknown option --verbose (see oru --help)\n");
  // --record without the clip's name.
  ProgramResult unnamed = runProgram(directory.path(), {"--record"});
  EXPECT_EQ(unnamed.output, "");
  EXPECT_EQ(unnamed.errors,
            "oru: --record needs the name of the GIF to write: oru --record FILE.gif [SCRIPT | "
            "DIR]\n");
  EXPECT_EQ(unnamed.exitStatus, 1);
  // Files named like options are scripts.
  directory.write("--version", "print('a script');");
  directory.write("-h", "print('another');");
  directory.write("--record", "print('a third');");
  expectRun(runProgram(directory.path(), {"--version"}), "a script", 0);
  expectRun(runProgram(directory.path(), {"-h"}), "another", 0);
  expectRun(runProgram(directory.path(), {"--record", "clip.gif"}), "a third", 0);
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
            0,
            // The call that loaded each failing script, under its report.
            "    at main.js:2\n"
            "    at throws.js:2\n    at main.js:3\n");
}

TEST(Recursion, EndsInAScriptErrorNotACrash) {
  expectRun(runScripts({{"main.js", "function r(n) { return r(n + 1) + 1; }\nr(0);"}}),
            "Error on line 1 of main.js:\n\tInternalError: too much recursion\n"
            "Failed to run main.js (JS error).\n",
            1, "    at main.js:1, in r (32 times)\n");

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
