#pragma once

#include <string>
#include <vector>

namespace oru::script {

// Errors and warnings of scripts as the host reports them, and the
// program's own two-line form of a report.

// A place in a script file.
struct ScriptLocation {
  std::string file;  // empty when unknown
  unsigned line = 0;
};

// One call on the way to an error: where it was made, and in which function.
struct CallSite {
  std::string file;
  unsigned line = 0;
  std::string function;  // empty for a script's top level
};

// One error or warning, as a reporter receives it.
struct ScriptError {
  const char* message;   // the engine's message, as UTF-8
  const char* fileName;  // the script's name as it was run, or null when unknown
  unsigned line;
  // The calls that led to it, innermost first; empty when the engine kept
  // none (a syntax error, a warning).
  std::vector<CallSite> callPath;
};

// Prints one error or warning; installed with the script context's options.
using ScriptErrorReporter = void (*)(const ScriptError& error);

// Prints a report in two lines on standard output, "Error on line N of
// FILE:" and a tab with the message, and under them, on standard error, the
// call path when it says more than the first line.
void reportScriptError(const ScriptError& error);

// The call path of an error as lines of text ("    at FILE:LINE, in NAME"),
// none when it holds only the place the report already names.
std::vector<std::string> callPathLines(const ScriptError& error);

}  // namespace oru::script
