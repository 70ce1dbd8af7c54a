#pragma once

#include <js/TypeDecls.h>

#include "script/script_error.h"

namespace oru::script {

// Where the engine's out-of-memory failures are reported, and whether one has
// happened since it was last reported.
//
// The engine records no place for such a failure (it has no room for a
// stack), and its stack cannot be read as it runs out: it can run out while
// one of its frames is half made, and walking the stack then crashes. So the
// running script's place is noted at safe points (each interrupt check, each
// script's start and end, each native that fails) and a failure is reported
// at the place last noted.
class OutOfMemorySite {
 public:
  // Reserves room for the file name up front, as memory may be short when it is noted.
  OutOfMemorySite();

  // Notes file and line as the script's place: the place a script starts from.
  void note(const char* file, unsigned line);
  // Notes where the running script on context is (nothing when no script
  // runs); only where the stack is safe to read, such as an interrupt check.
  void noteScriptPlace(JSContext* context);
  // The place last noted: where a failure is reported.
  const ScriptLocation& place() const { return location; }

  // Notes that the engine has run out of memory.
  void noteRanOut() { ranOut = true; }
  // Whether the engine has run out of memory since the last call; clears it.
  bool takeRanOut();

 private:
  ScriptLocation location;
  bool ranOut = false;
};

}  // namespace oru::script
