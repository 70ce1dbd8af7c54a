#pragma once

#include <string>

#include <js/Exception.h>
#include <js/TypeDecls.h>

namespace oru::script {

// Prints one error or warning: its message and where it happened (fileName
// may be null); installed with ScriptContext::setErrorReporter.
using ScriptErrorReporter = void (*)(const char* message, const char* fileName, unsigned line);

// A place in a script file.
struct ScriptLocation {
  std::string file;  // empty when unknown
  unsigned line = 0;
};

// Prints a report in two lines: "Error on line N of FILE:" and a tab with the message.
void reportScriptError(const char* message, const char* fileName, unsigned line);

// Hands one exception to reporter (if any), its message after prefix, and
// leaves no exception pending. outOfMemorySite is given when the exception
// is the engine's out-of-memory failure: it carries no place of its own, so
// it is reported there.
void reportException(JSContext* cx, ScriptErrorReporter reporter,
                     const JS::ExceptionStack& exception, const char* prefix,
                     const ScriptLocation* outOfMemorySite);

}  // namespace oru::script
