#pragma once

#include <cstdint>

namespace oru::script {

// The process-wide JavaScript engine, shared by reference count.
//
// The engine is started once per process (JS_Init) and shut down once
// (JS_ShutDown); its runtime and context are one object, held by
// ScriptContext. This class holds the process-wide part: the first
// reference starts the engine, dropping the last one shuts it down. The one
// instance, `scriptRuntime`, is a static object whose destructor shuts the
// engine down at process exit if a reference is still held, because the
// engine library crashes in its own exit-time destructors when it was
// started and never shut down.
class ScriptRuntime {
 public:
  ~ScriptRuntime();

  // Takes one reference, starting the engine on the first; null (holding no reference) on failure.
  ScriptRuntime* acquireRuntime();
  // Drops one reference; the last one shuts the engine down.
  void releaseRuntime();
  // True while the engine is started.
  bool engineStarted() const { return started; }
  // The number of references currently held.
  int32_t referenceCount() const { return references; }

 private:
  // Shuts the engine down if it is running.
  void destroyRuntime();

  int32_t references = 0;
  bool started = false;
};

// The one ScriptRuntime of the process.
extern ScriptRuntime scriptRuntime;

// Keeps the engine started for as long as it lives, so that script contexts
// made one after another (each of watch mode's runs) share one start: the
// engine can be started only once per process.
class EngineHold {
 public:
  EngineHold() : held(scriptRuntime.acquireRuntime()) {}
  ~EngineHold() {
    if (held) held->releaseRuntime();
  }
  EngineHold(const EngineHold&) = delete;
  EngineHold& operator=(const EngineHold&) = delete;

 private:
  ScriptRuntime* held;
};

}  // namespace oru::script
