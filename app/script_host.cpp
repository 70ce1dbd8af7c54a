#include "script_host.h"

#include <iostream>

#include "frame.h"
#include "script_context.h"
#include "script_interface.h"

namespace {

// Promise jobs make progress once per frame, so async code works in a game loop.
void runFrameJobs() { scriptContext->runPendingJobs(); }

// Closing the window ends the process from inside a running script: the
// script host is torn down first, since the engine library crashes at exit
// when it was never shut down.
void destroyHostOnQuit() { destroyScriptContext(scriptContext); }

}  // namespace

bool openScriptHost() {
  scriptContext = createScriptContext();
  if (!scriptContext) {
    std::cout << "Could not create JavaScript context." << std::endl;
    return false;
  }
  scriptContext->setErrorReporter(reportScriptError);
  for (const ScriptFunction& function : scriptInterface) scriptContext->defineFunction(function);
  setFrameHooks({runFrameJobs, destroyHostOnQuit});
  return true;
}

void closeScriptHost() {
  setFrameHooks({nullptr, nullptr});
  destroyScriptContext(scriptContext);
}
