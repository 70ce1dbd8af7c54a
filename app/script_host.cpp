#include "script_host.h"

#include <iostream>

#include "frame.h"
#include "quit_signals.h"
#include "script_context.h"
#include "script_interface.h"
#include "script_stop.h"

namespace {

// Promise jobs make progress once per frame, so async code works in a game loop.
void runFrameJobs() { scriptContext->runPendingJobs(); }

}  // namespace

bool openScriptHost() {
  // Before SDL starts, so that it leaves these handlers in place.
  watchQuitSignals(requestScriptStop);
  scriptContext = createScriptContext();
  if (!scriptContext) {
    std::cout << "Could not create JavaScript context." << std::endl;
    return false;
  }
  scriptContext->setErrorReporter(reportScriptError);
  for (const ScriptFunction& function : scriptInterface) scriptContext->defineFunction(function);
  // Closing the window stops the script where it called flip; main then
  // tears the host down once the engine has left the script.
  setFrameHooks({runFrameJobs, requestScriptStop});
  return true;
}

void closeScriptHost() {
  setFrameHooks({nullptr, nullptr});
  destroyScriptContext(scriptContext);
  scriptContext = nullptr;
}

int programStatus(bool scriptSucceeded) {
  std::cout.flush();
  if (int signal = stoppingSignal()) endBySignal(signal);
  return scriptSucceeded || scriptStopRequested() ? 0 : 1;
}
