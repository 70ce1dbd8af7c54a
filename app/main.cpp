// The process entry: runs the startup script inside the one script context.
#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "app/command_line.h"
#include "app/memory_policy.h"
#include "app/new_game.h"
#include "app/script_host.h"
#include "app/watch_mode.h"
#include "app/web_export.h"
#include "engine/capture.h"
#include "engine/clock.h"

namespace {

// Opens /dev/null on standard input, output or error where one is closed.
// Otherwise the next file opened (the X connection, a script) would take its
// number, and printed text would be written into it.
void openStandardStreams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free number is this one: the lower ones are open by now.
    int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (opened != fd && opened >= 0) close(opened);
  }
}

// Runs the startup script once in a host of its own; false when it failed.
bool runOnce(const std::string& script) {
  oru::app::HostOptions options;
  oru::app::ScriptHost host(options);
  return host.opened() && host.runStartupScript(script);
}

}  // namespace

int main(int argc, char* argv[]) {
  openStandardStreams();
  oru::app::keepFreedMemoryForReuse();
  oru::engine::startClock();
  const oru::app::StartupChoice startup = oru::app::chooseStartup(argc, argv);
  if (startup.answered) return startup.answerStatus;
  if (startup.newGame) return oru::app::makeNewGame(startup.gameFolder);
  if (startup.exportWeb) return oru::app::exportWeb(startup.exportGame, startup.exportOut);
  if (!startup.clip.empty()) oru::engine::recordClip(startup.clip);
  if (startup.watch) return oru::app::runWatching(startup.script, startup.watchedFolder);
  return oru::app::programStatus(runOnce(startup.script));
}
