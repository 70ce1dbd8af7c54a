// Every example and the default main.js runs for a while without a script error or a crash.
#include <gtest/gtest.h>

#include <signal.h>

#include "oru_window.h"
#include "process_state.h"
#include "program_runner.h"

class ExampleScript : public testing::TestWithParam<const char*> {};

TEST_P(ExampleScript, RunsUntilTerminatedWithoutErrors) {
  // Each runs from its own folder, as a user runs it: the examples load their
  // helpers from lib/ beside them, and main.js from examples/lib/.
  const std::string script = GetParam();
  const size_t slash = script.rfind('/');
  const std::string folder =
      slash == std::string::npos ? ORU_SOURCE_DIR : ORU_SOURCE_DIR "/" + script.substr(0, slash);
  RunningProgram program(folder, {script.substr(slash + 1)});
  // Its first frame on the screen, then frames for half a second of its own
  // processor time, however long a loaded machine takes to give it that.
  ASSERT_TRUE(waitForWindowShowing(anythingLit));
  const pid_t pid = program.pid();
  const double shown = processCpuSeconds(pid);
  EXPECT_TRUE(waitFor([&] { return !stillRunning(pid) || processCpuSeconds(pid) >= shown + 0.5; }));
  program.sendSignal(SIGTERM);
  ProgramResult result = program.finish();
  EXPECT_EQ(result.exitStatus, 0) << result.output;
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.output.find("Error on line"), std::string::npos) << result.output;
  EXPECT_EQ(result.output.find("Failed to run"), std::string::npos) << result.output;
  EXPECT_EQ(result.errors, "");
}

INSTANTIATE_TEST_SUITE_P(Scripts, ExampleScript,
                         testing::Values("main.js", "examples/keys.js", "examples/lissajous.js",
                                         "examples/asteroids.js", "examples/glow.js"));
