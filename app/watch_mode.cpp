#include "app/watch_mode.h"

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <thread>
#include <vector>

#include "app/file_watch.h"
#include "app/script_host.h"
#include "app/script_loader.h"
#include "engine/capture.h"
#include "engine/display.h"
#include "engine/engine_state.h"
#include "engine/flip_watch.h"
#include "engine/frame.h"
#include "engine/message_screen.h"
#include "engine/quit_signals.h"
#include "script/script_error.h"
#include "script/script_runtime.h"
#include "script/script_stop.h"

namespace oru::app {

namespace {

// How long the folder must stay quiet after a save before the game runs
// again: editors write a file in several steps, and a burst of saves reruns once.
constexpr int quietMs = 100;

// How often a wait between runs looks at the window and the quit signals.
constexpr int waitCheckMs = 100;

// The line that tells what to do next, under an error or an ended game.
constexpr char watchNotice[] = "Save a script to run the game again; Escape quits.";

// The last error reported in this run, if any, as the window shows it.
struct ReportedError {
  bool reported = false;
  std::string message;
  std::string file;
  unsigned line = 0;
  std::vector<std::string> callPath;
};
ReportedError lastError;

// Prints an error as always, and keeps it to show in the window.
void reportAndKeep(const script::ScriptError& error) {
  script::reportScriptError(error);
  lastError = {true, error.message ? error.message : "",
               error.fileName ? error.fileName : "(no file)", error.line,
               script::callPathLines(error)};
}

// Watches the game's folder while a run goes on, on a thread of its own: a
// save stops the running script at once through the engine's interrupt,
// whatever it is doing, a loop that never calls flip included.
class SaveWatcher {
 public:
  explicit SaveWatcher(FileWatch& watch) : watch(watch) {
    if (pipe(wake) != 0) wake[0] = wake[1] = -1;
    thread = std::thread([this] { watchForSave(); });
  }
  ~SaveWatcher() {
    if (wake[1] >= 0) {
      const char stop = 1;
      ssize_t written = write(wake[1], &stop, 1);
      (void)written;
    }
    thread.join();
    for (int fd : wake) {
      if (fd >= 0) close(fd);
    }
  }
  SaveWatcher(const SaveWatcher&) = delete;
  SaveWatcher& operator=(const SaveWatcher&) = delete;

  // Whether a script file was saved during the run.
  bool saved() const { return sawSave; }

 private:
  void watchForSave() {
    pollfd ready[2] = {{watch.descriptor(), POLLIN, 0}, {wake[0], POLLIN, 0}};
    for (;;) {
      if (poll(ready, wake[0] >= 0 ? 2 : 1, -1) < 0 && errno != EINTR) return;
      if (ready[1].revents) return;
      if ((ready[0].revents & POLLIN) && watch.takeChanges()) {
        sawSave = true;
        script::requestScriptStop();
        return;
      }
    }
  }

  FileWatch& watch;
  int wake[2] = {-1, -1};
  std::atomic<bool> sawSave{false};
  std::thread thread;
};

// How one run ended.
struct Run {
  bool hostOpened = false;
  bool succeeded = false;
  bool saved = false;  // a save stopped it, or came while it ran
};

// Runs the startup script once in a fresh host, watching for saves meanwhile.
Run runOnce(const std::string& script, FileWatch& watch) {
  lastError = {};
  HostOptions options;
  options.reporter = reportAndKeep;
  Run run;
  {
    ScriptHost host(options);
    run.hostOpened = host.opened();
    if (!run.hostOpened) return run;
    SaveWatcher saves(watch);
    run.succeeded = host.runStartupScript(script);
    run.saved = saves.saved();
  }
  // Each run's output reaches the terminal before the next run starts.
  std::cout.flush();
  return run;
}

// The failed run's error as the window shows it.
std::vector<std::string> errorMessage() {
  std::vector<std::string> lines;
  if (lastError.reported) {
    lines.push_back("Error on line " + std::to_string(lastError.line) + " of " + lastError.file +
                    ":");
    lines.push_back(lastError.message);
    lines.insert(lines.end(), lastError.callPath.begin(), lastError.callPath.end());
  } else {
    // A run that failed with no error reported failed to load its script.
    lines.push_back(lastRunFailure());
  }
  lines.push_back("");
  lines.push_back(watchNotice);
  return lines;
}

// Whether a display is named, on which a window could be opened.
bool displayNamed() { return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY"); }

// Shows how the run ended until the next save: its error, in a window of its
// own when the game failed before opening one; or, when the game ended by
// itself, the notice in place of its last frame.
void showRunEnd(const Run& run) {
  if (!run.succeeded) {
    if (!engine::hasDrawingContext && displayNamed()) engine::initORU(640, 480, false);
    engine::showMessage(errorMessage(), engine::Heading::error);
  } else if (engine::hasDrawingContext) {
    engine::showMessage({"The game has ended.", "", watchNotice}, engine::Heading::plain);
  }
}

// Waits for a script file to be saved, keeping the window responsive and
// its message drawn; false when the user quits first: Escape pressed, the
// window closed, or a quit signal.
bool waitForSave(FileWatch& watch) {
  for (;;) {
    // The window responds while waiting: a quit signal needs no hint.
    engine::noteFlipReached();
    if (engine::quitSignalled()) return false;
    const engine::WindowEvents taken = engine::takeWindowEvents();
    if (taken.quit || taken.escape) return false;
    // A capture key takes the message shown, drawn again.
    if (taken.exposed || engine::captureWaiting()) engine::redrawMessage();
    pollfd ready = {watch.descriptor(), POLLIN, 0};
    if (poll(&ready, 1, waitCheckMs) > 0 && watch.takeChanges()) return true;
  }
}

}  // namespace

int runWatching(const std::string& script, const std::string& folder) {
  FileWatch watch;
  if (!watch.open(folder)) {
    std::cerr << "oru: cannot watch " << folder << ": " << std::strerror(errno) << std::endl;
    return 1;
  }
  const script::EngineHold engineKept;
  engine::reuseMatchingWindows();
  for (;;) {
    // A quit signal that came while the game was being set up again.
    if (engine::quitSignalled()) break;
    const Run run = runOnce(script, watch);
    if (!run.hostOpened) return 1;
    if (engine::stoppingSignal()) break;
    if (!run.saved) {
      // A quit: the window closed, or a quit signal.
      if (script::scriptStopRequested() || engine::quitSignalled()) break;
      showRunEnd(run);
      if (!waitForSave(watch)) break;
    }
    watch.waitUntilQuiet(quietMs);
    std::cerr << "oru: " << watch.lastSaved() << " was saved; running " << script << " again."
              << std::endl;
    engine::clearMessage();
    script::withdrawScriptStop();
  }
  return programStatus(true);
}

}  // namespace oru::app
