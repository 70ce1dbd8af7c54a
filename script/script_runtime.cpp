#include "script_runtime.h"

#include <js/Initialization.h>

ScriptRuntime scriptRuntime;

ScriptRuntime::~ScriptRuntime() { destroyRuntime(); }

ScriptRuntime* ScriptRuntime::acquireRuntime() {
  ++references;
  if (references == 1) {
    destroyRuntime();
    engineStarted = JS_Init();
  }
  if (!engineStarted) {
    releaseRuntime();
    return nullptr;
  }
  return this;
}

void ScriptRuntime::releaseRuntime() {
  if (references == 0) return;
  --references;
  if (references == 0) destroyRuntime();
}

void ScriptRuntime::destroyRuntime() {
  if (!engineStarted) return;
  engineStarted = false;
  JS_ShutDown();
}
