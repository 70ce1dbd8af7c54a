#include "app/script_host.h"

#include <iostream>

#include "app/memory_policy.h"
#include "app/script_interface.h"
#include "engine/capture.h"
#include "engine/frame.h"
#include "engine/quit_signals.h"
#include "script/error_report.h"
#include "script/memory_limit.h"
#include "script/script_context.h"
#include "script/script_stop.h"

namespace oru::app {

using script::scriptContext;

namespace {

// Promise jobs make progress once per frame, so async code works in a game loop.
void runFrameJobs() { scriptContext->runPendingJobs(); }

}  // namespace

bool openScriptHost() {
  // Before SDL starts, so that it leaves these handlers in place.
  engine::watchQuitSignals(script::requestScriptStop);
  script::setScriptMemoryBudget(scriptMemoryBudget());
  scriptContext = script::createScriptContext();
  if (!scriptContext) {
    std::cout << "Could not create JavaScript context." << std::endl;
    return false;
  }
  scriptContext->setErrorReporter(script::reportScriptError);
  for (const script::ScriptFunction& function : scriptInterface) {
    scriptContext->defineFunction(function);
  }
  // Closing the window stops the script where it called flip; main then
  // tears the host down once the engine has left the script.
  engine::setFrameHooks({runFrameJobs, script::requestScriptStop});
  return true;
}

void closeScriptHost() {
  engine::setFrameHooks({nullptr, nullptr});
  script::destroyScriptContext(scriptContext);
  scriptContext = nullptr;
}

int programStatus(bool scriptSucceeded) {
  std::cout.flush();
  // The clip being recorded is written out, also before a stopping signal ends the process.
  engine::finishCapture();
  if (int signal = engine::stoppingSignal()) engine::endBySignal(signal);
  return scriptSucceeded || script::scriptStopRequested() ? 0 : 1;
}

}  // namespace oru::app
