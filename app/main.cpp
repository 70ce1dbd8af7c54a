// The process entry: runs the startup script inside the one script context.
#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "app/command_line.h"
#include "app/memory_policy.h"
#include "app/script_host.h"
#include "app/script_loader.h"
#include "app/watch_mode.h"
#include "engine/capture.h"
#include "engine/frame.h"

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

}  // namespace

int main(int argc, char* argv[]) {
  openStandardStreams();
  oru::app::keepFreedMemoryForReuse();
  oru::engine::startClock();
  const oru::app::StartupChoice startup = oru::app::chooseStartup(argc, argv);
  if (startup.answered) return 0;
  if (startup.refused) return 1;
  if (!startup.clip.empty()) oru::engine::recordClip(startup.clip);
  if (startup.watch) return oru::app::runWatching(startup.script, startup.watchedFolder);
  if (!oru::app::openScriptHost()) return 1;
  bool ok = oru::app::runScript(startup.script);
  oru::app::closeScriptHost();
  return oru::app::programStatus(ok);
}
