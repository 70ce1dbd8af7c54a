#include "script/out_of_memory_site.h"

#include <algorithm>
#include <cstring>

#include <js/Stack.h>
#include <jsapi.h>

#include "script/engine_generation.h"

namespace oru::script {

namespace {

// Room for the file name, reserved up front.
constexpr size_t nameCapacity = 4096;

}  // namespace

OutOfMemorySite::OutOfMemorySite() { location.file.reserve(nameCapacity); }

void OutOfMemorySite::note(const char* file, unsigned line) {
  // Memory may be short: the name is copied into room reserved up front.
  size_t length = std::min(std::strlen(file), location.file.capacity());
  location.file.assign(file, length);
  location.line = line;
}

void OutOfMemorySite::noteScriptPlace(JSContext* context) {
  JS::AutoFilename file;
  uint32_t line = 0;
  if (!describeScriptedCaller(context, &file, &line)) {
    JS_ClearPendingException(context);
    return;
  }
  if (file.get() && *file.get()) note(file.get(), line);
}

bool OutOfMemorySite::takeRanOut() {
  bool was = ranOut;
  ranOut = false;
  return was;
}

}  // namespace oru::script
