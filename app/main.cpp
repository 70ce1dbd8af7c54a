// The process entry: runs the startup script inside the one script context.
#include <SDL.h>

#include <iostream>

#include "script_context.h"
#include "script_interface.h"
#include "script_loader.h"

int main(int argc, char* argv[]) {
  const char* startupScript = argc > 1 ? argv[1] : "main.js";

  scriptContext = createScriptContext();
  if (!scriptContext) {
    std::cout << "Could not create JavaScript context." << std::endl;
    return 1;
  }
  scriptContext->setErrorReporter(reportScriptError);
  for (const ScriptFunction& function : scriptInterface) scriptContext->defineFunction(function);

  bool ok = runScript(startupScript);
  destroyScriptContext(scriptContext);
  return ok ? 0 : 1;
}
