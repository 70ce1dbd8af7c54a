#include "app/script_host.h"

#include <unistd.h>

#include <iostream>

#include "app/console.h"
#include "app/script_interface.h"
#include "app/script_loader.h"
#include "engine/capture.h"
#include "engine/frame.h"
#include "engine/quit_signals.h"
#include "script/script_context.h"
#include "script/script_stop.h"

namespace oru::app {

using script::scriptContext;

namespace {

// The open host's own addition to each frame's end.
void (*hostFrameEnded)() = nullptr;

// At each frame's end: what the script printed is written out, so that it
// can be followed as the game runs (a pipe or a file holds it back
// otherwise), and Promise jobs make progress, so async code works in a game loop.
void endFrame() {
  std::cout.flush();
  scriptContext->runPendingJobs();
  if (hostFrameEnded) hostFrameEnded();
}

// A stopped script that does not end (it is deep in work the engine cannot
// interrupt): the process ends at once, with what was printed written out.
void endStoppedProgram() {
  writeOutPrintedText();
  _exit(0);
}

}  // namespace

ScriptHost::ScriptHost(const HostOptions& options) {
  // Before SDL starts, so that it leaves these handlers in place.
  engine::watchQuitSignals({script::requestScriptStop, endStoppedProgram});
  scriptContext = script::createScriptContext({options.reporter, options.memoryBudget});
  if (!scriptContext) {
    std::cout << "Could not create JavaScript context." << std::endl;
    return;
  }
  for (const script::ScriptFunction& function : scriptInterface) {
    if (!scriptContext->defineFunction(function)) {
      // The script runs without it, as if it had deleted it.
      std::cerr << "oru: could not define the script function " << function.name << "."
                << std::endl;
    }
  }
  // Closing the window stops the script where it called flip; the host is
  // torn down once the engine has left the script.
  hostFrameEnded = options.frameEnded;
  engine::setFrameHooks({endFrame, script::requestScriptStop});
  isOpen = true;
}

ScriptHost::~ScriptHost() {
  engine::setFrameHooks({nullptr, nullptr});
  hostFrameEnded = nullptr;
  script::destroyScriptContext(scriptContext);
  scriptContext = nullptr;
}

bool ScriptHost::runStartupScript(const std::string& script) { return runScript(script); }

int programStatus(bool scriptSucceeded) {
  engine::noteProgramEnding();
  std::cout.flush();
  // The clip being recorded is written out, also before a stopping signal ends the process.
  engine::finishCapture();
  if (int signal = engine::stoppingSignal()) engine::endBySignal(signal);
  return scriptSucceeded || script::scriptStopRequested() ? 0 : 1;
}

}  // namespace oru::app
