#pragma once

#include <js/TypeDecls.h>

namespace oru::script {

// One script-callable function: its script name, the engine callback that
// serves it (native_binding.h makes one for any native) and its arity.
struct ScriptFunction {
  const char* name;
  JSNative adapter;
  unsigned arity;
};

}  // namespace oru::script
