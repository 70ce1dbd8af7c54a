// The process entry: runs the startup script inside the one script context.
#include <SDL.h>

#include <iostream>

#include "frame.h"
#include "script_context.h"
#include "script_interface.h"
#include "script_loader.h"

namespace {

// Promise jobs make progress once per frame, so async code works in a game loop.
void runFrameJobs() { scriptContext->runPendingJobs(); }

// Closing the window ends the process from inside a running script: the
// script host is torn down first, since the engine library crashes at exit
// when it was never shut down.
void destroyHostOnQuit() { destroyScriptContext(scriptContext); }

}  // namespace

int main(int argc, char* argv[]) {
  startClock();
  const char* startupScript = argc > 1 ? argv[1] : "main.js";

  scriptContext = createScriptContext();
  if (!scriptContext) {
    std::cout << "Could not create JavaScript context." << std::endl;
    return 1;
  }
  scriptContext->setErrorReporter(reportScriptError);
  for (const ScriptFunction& function : scriptInterface) scriptContext->defineFunction(function);
  setFrameHooks({runFrameJobs, destroyHostOnQuit});

  bool ok = runScript(startupScript);
  destroyScriptContext(scriptContext);
  return ok ? 0 : 1;
}
