#include "script/script_runtime.h"

#include <js/Initialization.h>

namespace oru::script {

ScriptRuntime scriptRuntime;

ScriptRuntime::~ScriptRuntime() { destroyRuntime(); }

ScriptRuntime* ScriptRuntime::acquireRuntime() {
  // The engine is never running here while no reference is held: the last
  // release shut it down.
  if (++references == 1) started = JS_Init();
  if (!started) {
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
  if (!started) return;
  started = false;
  JS_ShutDown();
}

}  // namespace oru::script
