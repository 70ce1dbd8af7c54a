#pragma once

#include <js/TypeDecls.h>

namespace oru::script {

// One script-callable function: its script name, the engine callback that
// serves it (native_binding.h makes one for any native) and its arity (the
// number of parameters of its native), with the types a script sees: one
// per parameter, and the result's.
struct ScriptFunction {
  const char* name;
  JSNative adapter;
  unsigned arity;
  const char* const* parameterTypes = nullptr;
  const char* resultType = nullptr;
};

}  // namespace oru::script
