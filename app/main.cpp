// The process entry: runs the startup script inside the one script context.
#include <SDL.h>

#include "frame.h"
#include "script_host.h"
#include "script_loader.h"

int main(int argc, char* argv[]) {
  startClock();
  const char* startupScript = argc > 1 ? argv[1] : "main.js";
  if (!openScriptHost()) return 1;
  bool ok = runScript(startupScript);
  closeScriptHost();
  return programStatus(ok);
}
