// The whole scripts of the user guide (README.md: the minimal script and the
// recipes) run as a reader runs them, in a window until Escape, without a
// script error.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "display_fixture.h"
#include "oru_window.h"
#include "process_state.h"
#include "program_runner.h"

namespace {

// The JavaScript blocks of a Markdown text that open a window: whole scripts.
std::vector<std::string> wholeScripts(const std::string& markdown) {
  const std::string opening = "```js\n", closing = "\n```";
  std::vector<std::string> scripts;
  for (size_t at = markdown.find(opening); at != std::string::npos;
       at = markdown.find(opening, at)) {
    const size_t start = at + opening.size();
    const size_t end = markdown.find(closing, start);
    if (end == std::string::npos) break;
    std::string script = markdown.substr(start, end - start + 1);
    if (script.find("initORU(") != std::string::npos) scripts.push_back(script);
    at = end + closing.size();
  }
  return scripts;
}

}  // namespace

TEST(ReadmeScripts, RunAndQuitOnEscape) {
  std::ifstream file(ORU_SOURCE_DIR "/README.md", std::ios::binary);
  std::ostringstream markdown;
  markdown << file.rdbuf();
  const std::vector<std::string> scripts = wholeScripts(markdown.str());
  // The minimal script and the five recipes, at least.
  ASSERT_GE(scripts.size(), 6u);

  ScriptDirectory directory;
  for (size_t number = 0; number < scripts.size(); ++number) {
    SCOPED_TRACE(scripts[number]);
    const std::string name = "script" + std::to_string(number) + ".js";
    directory.write(name, scripts[number]);
    // Run where the examples are, as a reader runs them with lib/ at hand.
    RunningProgram program(ORU_SOURCE_DIR "/examples", {directory.path() + "/" + name});
    // Its first frame, then frames for a fifth of a second of its own
    // processor time, however long a loaded machine takes to give it that;
    // a tap of space on the way, then Escape.
    if (!waitForWindowShowing(anythingLit)) {
      ProgramResult result = program.finish();
      ADD_FAILURE() << "no frame shown; the output:\n" << result.output << result.errors;
      continue;
    }
    const pid_t pid = program.pid();
    const double shown = processCpuSeconds(pid);
    const std::string window = findOruWindow();
    commandOutput("xdotool windowfocus --sync " + window + " key space");
    EXPECT_TRUE(
        waitFor([&] { return !stillRunning(pid) || processCpuSeconds(pid) >= shown + 0.2; }));
    commandOutput("xdotool windowfocus --sync " + window + " keydown Escape");
    ProgramResult result = program.finish();
    commandOutput("xdotool keyup Escape");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.output, "");
    EXPECT_EQ(result.errors, "");
  }
}
