#pragma once

#include <cstddef>
#include <string>

#include "app/memory_policy.h"
#include "script/script_error.h"

namespace oru::app {

// What a script host is made with.
struct HostOptions {
  // Prints uncaught errors and warnings.
  script::ScriptErrorReporter reporter = script::reportScriptError;
  // How much more memory the scripts may make the process hold, in bytes (0:
  // unbounded); the program's own budget unless set.
  size_t memoryBudget = scriptMemoryBudget();
  // More work at the end of each frame, after the host's own (may be null).
  void (*frameEnded)() = nullptr;
};

// The script host as the program runs scripts: the one script context with
// its error reporter and memory budget, the whole script interface, the
// frame hooks and the quit signals. One lives at a time; it is the
// `scriptContext` the script loader runs scripts in while it lives.
class ScriptHost {
 public:
  // Opens the host; a host that could not make its context says so on
  // standard output ("Could not create JavaScript context.") and is not opened.
  explicit ScriptHost(const HostOptions& options);
  // Closes the host: the frame hooks go, and the context is destroyed.
  ~ScriptHost();
  ScriptHost(const ScriptHost&) = delete;
  ScriptHost& operator=(const ScriptHost&) = delete;

  // Whether the host has its context.
  bool opened() const { return isOpen; }
  // Runs the startup script; false when it failed (a stopped script fails too).
  bool runStartupScript(const std::string& script);

 private:
  bool isOpen = false;
};

// The program's exit status once the host is closed: 0 when the startup
// script succeeded or was stopped by a quit, 1 otherwise. When a second quit
// signal stopped the script, it ends the process killed by that signal
// instead, its output flushed.
int programStatus(bool scriptSucceeded);

}  // namespace oru::app
