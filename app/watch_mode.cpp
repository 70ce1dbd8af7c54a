#include "app/watch_mode.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <vector>

#include "app/file_watch.h"
#include "app/script_host.h"
#include "app/script_loader.h"
#include "engine/display.h"
#include "engine/frame.h"
#include "engine/message_screen.h"
#include "engine/quit_signals.h"
#include "script/error_report.h"
#include "script/script_context.h"
#include "script/script_runtime.h"
#include "script/script_stop.h"

namespace oru::app {

namespace {

// How long the folder must stay quiet after a save before the game runs
// again: editors write a file in several steps, and a burst of saves reruns once.
constexpr int quietMs = 100;

// The watch of the running game, while one runs.
FileWatch* gameWatch = nullptr;
// Whether a save stopped the running script, for a rerun.
bool rerunRequested = false;
// What the host does at each frame end.
engine::FrameHooks hostHooks = {nullptr, nullptr};

// The last error reported in this run, if any.
struct ReportedError {
  bool reported = false;
  std::string message;
  std::string file;
  unsigned line = 0;
};
ReportedError lastError;

// Prints an error as always, and keeps it to show in the window.
void reportAndKeep(const char* message, const char* fileName, unsigned line) {
  script::reportScriptError(message, fileName, line);
  lastError = {true, message ? message : "", fileName ? fileName : "(no file)", line};
}

// At each frame end: what the script printed is written out, so that it can
// be followed as the game runs; a save stops the script, at once, for a
// rerun; otherwise the host's own frame work (Promise jobs) goes on.
void stopForSaves() {
  std::cout.flush();
  if (gameWatch->takeChanges()) {
    rerunRequested = true;
    script::requestScriptStop();
    return;
  }
  if (hostHooks.frameEnded) hostHooks.frameEnded();
}

// Runs the startup script once in the script host just opened, and closes
// the host; false when the run failed (a stop is no failure).
bool runInHost(const std::string& script) {
  rerunRequested = false;
  lastError = {};
  script::scriptContext->setErrorReporter(reportAndKeep);
  hostHooks = engine::frameHooks();
  engine::setFrameHooks({stopForSaves, hostHooks.quitting});
  const bool ok = runScript(script);
  closeScriptHost();
  // Each run's output reaches the terminal before the next run starts.
  std::cout.flush();
  return ok;
}

// The failed run's error as the window shows it.
std::vector<std::string> errorMessage() {
  std::vector<std::string> lines;
  if (lastError.reported) {
    lines.push_back("Error on line " + std::to_string(lastError.line) + " of " + lastError.file +
                    ":");
    lines.push_back(lastError.message);
  } else {
    // A run that failed with no error reported failed to load its script.
    lines.push_back(lastRunFailure());
  }
  lines.push_back("");
  lines.push_back("Save a script to run the game again; Escape quits.");
  return lines;
}

// Waits for a script file to be saved; false when the user quits first.
bool waitForSave(FileWatch& watch) {
  do {
    if (!engine::waitBetweenRuns(watch.descriptor())) return false;
  } while (!watch.takeChanges());
  return true;
}

}  // namespace

int runWatching(const std::string& script, const std::string& folder) {
  FileWatch watch;
  if (!watch.open(folder)) {
    std::cerr << "oru: cannot watch " << folder << ": " << std::strerror(errno) << std::endl;
    return 1;
  }
  // The engine starts once per process: held here, it outlives each run's context.
  script::ScriptRuntime* engineHeld = script::scriptRuntime.acquireRuntime();
  engine::reuseMatchingWindows();
  gameWatch = &watch;
  bool hostOpened = true;
  for (;;) {
    // A quit signal that came while the game was being set up again.
    if (engine::quitSignalled()) break;
    hostOpened = openScriptHost();
    if (!hostOpened) break;
    const bool ok = runInHost(script);
    if (engine::stoppingSignal()) break;
    if (!rerunRequested) {
      // A quit: the window closed, or a quit signal.
      if (script::scriptStopRequested() || engine::quitSignalled()) break;
      if (!ok) engine::showMessage(errorMessage());
      if (!waitForSave(watch)) break;
    }
    watch.waitUntilQuiet(quietMs);
    engine::clearMessage();
    script::withdrawScriptStop();
  }
  gameWatch = nullptr;
  if (engineHeld) engineHeld->releaseRuntime();
  return hostOpened ? programStatus(true) : 1;
}

}  // namespace oru::app
