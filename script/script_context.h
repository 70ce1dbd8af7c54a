#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <js/TypeDecls.h>

class DataLimit;
class ScriptRuntime;
struct ScriptFunction;

// Prints one error or warning: its message and where it happened (fileName
// may be null); installed with setErrorReporter.
using ScriptErrorReporter = void (*)(const char* message, const char* fileName, unsigned line);

// A place in a script file.
struct ScriptLocation {
  std::string file;  // empty when unknown
  unsigned line = 0;
};

// The one JavaScript context in which every script runs: the engine context,
// its global object with the standard classes and the script interface, and
// the realm of that global, which stays entered for the context's lifetime.
//
// The engine allows one context per thread, so while a ScriptContext lives,
// createScriptContext refuses to make another and returns null without
// calling the engine. Destroy it only when no script is running on it (the
// engine forbids destroying a context under a running script; the quit path
// stops the script first, see script_stop.h): destruction leaves the realm,
// destroys the engine context and drops the runtime reference, which shuts
// the engine down.
class ScriptContext {
 public:
  virtual ~ScriptContext();

  // Compiles and runs length bytes of text (one character per byte) as fileName from firstLine.
  bool evaluate(const char* text, uint32_t length, const char* fileName, unsigned firstLine);
  // The engine context.
  JSContext* engineContext() const { return context; }
  // Defines one script-callable function on the global object.
  bool defineFunction(const ScriptFunction& function);
  // Installs the reporter that prints uncaught errors and warnings.
  void setErrorReporter(ScriptErrorReporter reporter);
  // The installed reporter, or null.
  ScriptErrorReporter errorReporter() const { return reporter; }
  // Runs the Promise jobs that are waiting, then reports promises rejected with no handler.
  void runPendingJobs();
  // Notes a promise rejected with no handler, or forgets it once it has one.
  void trackRejection(JS::HandleObject promise, bool handled);
  // Hands the pending exception, if any, to the error reporter and clears it.
  void reportPendingException();
  // Called when the engine runs out of memory: collects at the next interrupt check.
  void noteOutOfMemorySite(JSContext* cx);
  // Called as each collection starts: widens the memory cap by its reserve.
  void collectionStarted();
  // Called after each collection: narrows the cap again and watches for a heap that stays full.
  void collectionEnded(JSContext* cx);
  // The interrupt check: collects after a failure; a heap that stays full fails the next
  // allocation.
  bool checkMemory(JSContext* cx);

 private:
  friend ScriptContext* createScriptContext();
  class JobEnvironment;

  ScriptContext() = default;
  bool initialise();
  void reportUnhandledRejections();
  // Notes where the running script is, at a point where the stack is safe to read.
  void noteScriptSite(JSContext* cx);
  void noteSite(const char* file, unsigned line);
  // Collects the engine's garbage and hands the freed memory back to the system.
  void releaseGarbage();

  JSContext* context = nullptr;
  std::unique_ptr<JS::PersistentRooted<JSObject*>> global;
  ScriptRuntime* runtime = nullptr;
  JS::Realm* previousRealm = nullptr;
  bool realmEntered = false;
  std::unique_ptr<JobEnvironment> jobEnvironment;
  std::unique_ptr<JS::PersistentRootedVector<JSObject*>> unhandledRejections;
  ScriptErrorReporter reporter = nullptr;
  int evaluationDepth = 0;
  std::unique_ptr<DataLimit> dataLimit;
  // Where the engine last ran out of memory; its out-of-memory error carries no place.
  ScriptLocation outOfMemorySite;
  int fullCollections = 0;
  bool heapFull = false;
  bool collectAfterFailure = false;
  bool collectWhenScriptEnds = false;
  bool heapLimitLowered = false;
};

// The script host, set by main; how code that is not handed a context reaches it.
extern ScriptContext* scriptContext;

// Makes a fully initialised ScriptContext, or null (also while another one lives).
ScriptContext* createScriptContext();
// Deletes the given context; does nothing for null.
void destroyScriptContext(ScriptContext* context);
// Prints a report in two lines: "Error on line N of FILE:" and a tab with the message.
void reportScriptError(const char* message, const char* fileName, unsigned line);
