#pragma once

#include <js/Exception.h>
#include <js/TypeDecls.h>

#include "script/script_error.h"

namespace oru::script {

// Hands one exception to reporter (if any), its message after prefix, and
// leaves no exception pending. outOfMemorySite is given when the exception
// is the engine's out-of-memory failure: it carries no place of its own, so
// it is reported there.
void reportException(JSContext* cx, ScriptErrorReporter reporter,
                     const JS::ExceptionStack& exception, const char* prefix,
                     const ScriptLocation* outOfMemorySite);

}  // namespace oru::script
