#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include <js/TypeDecls.h>

#include "script/out_of_memory_site.h"
#include "script/script_error.h"

class JSErrorReport;

namespace oru::script {

class MemoryLimit;
class RejectionTracker;
class ScriptRuntime;
struct ScriptFunction;

// What a script context is made with.
struct ContextOptions {
  // Prints uncaught errors and warnings.
  ScriptErrorReporter reporter = reportScriptError;
  // How much more memory the process may hold because of its scripts than it
  // held when the context was made, in bytes; 0 leaves it unbounded.
  size_t memoryBudget = 0;
};

// The one JavaScript context in which every script runs: the engine context
// and its global object with the standard classes and the script interface.
// Each call that runs script code enters the global's realm for its own
// length. Its memory limit (memory_limit.h), the place its out-of-memory
// failures are reported at (out_of_memory_site.h) and its tracking of rejected
// promises (rejection_tracker.h) are parts of it.
//
// The engine allows one context per thread, so while a ScriptContext lives,
// createScriptContext refuses to make another and returns null without
// calling the engine. Destroy it only when no script is running on it (the
// engine forbids destroying a context under a running script; the quit path
// stops the script first, see script_stop.h): destruction destroys the
// engine context and drops the runtime reference, which shuts the engine
// down unless another holder keeps it (script_runtime.h).
class ScriptContext {
 public:
  ~ScriptContext();

  // Compiles and runs length bytes of text (one character per byte) as fileName from firstLine.
  bool evaluate(const char* text, uint32_t length, const char* fileName, unsigned firstLine);
  // The engine context.
  JSContext* engineContext() const { return context; }
  // The global object, on which every script runs.
  JSObject* globalObject() const;
  // Defines one script-callable function on the global object; false when the engine refuses.
  bool defineFunction(const ScriptFunction& function);
  // Runs the Promise jobs that are waiting, then reports promises rejected with no handler.
  void runPendingJobs();

 private:
  friend ScriptContext* createScriptContext(const ContextOptions& options);
  class JobEnvironment;

  explicit ScriptContext(const ContextOptions& options);
  bool initialise();
  // Hands the pending exception, if any, to the error reporter, its message
  // after prefix, and clears it.
  void reportPendingException(const char* prefix = "");
  // The engine's warning reporter: forwards warnings to the error reporter.
  static void reportWarning(JSContext* cx, JSErrorReport* report);
  // The engine's interrupt callback: ends a stopped script, and checks the memory limit.
  static bool checkInterrupt(JSContext* cx);
  friend void reportNativeOutOfMemory(JSContext* context);

  JSContext* context = nullptr;
  std::unique_ptr<JS::PersistentRooted<JSObject*>> global;
  ScriptRuntime* runtime = nullptr;
  // Outlives the memory limit and the rejection tracker, which note in it and read it.
  OutOfMemorySite outOfMemorySite;
  std::unique_ptr<MemoryLimit> memory;
  std::unique_ptr<RejectionTracker> rejections;
  std::unique_ptr<JobEnvironment> jobEnvironment;
  ScriptErrorReporter reporter;
  size_t memoryBudget;
  int evaluationDepth = 0;
};

// The context the program's scripts run in, for code that is not handed one
// (the script loader, the frame hooks): set while the program's script host
// is open (app/script_host.h), null otherwise.
extern ScriptContext* scriptContext;

// Fails the native running now on context as out of memory, at the line of
// the script that called it; the error is pending when it returns.
void reportNativeOutOfMemory(JSContext* context);

// Makes a fully initialised ScriptContext, or null (also while another one lives).
ScriptContext* createScriptContext(const ContextOptions& options = {});
// Deletes the given context; does nothing for null.
void destroyScriptContext(ScriptContext* context);

}  // namespace oru::script
