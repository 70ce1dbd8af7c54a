#pragma once

#include <vector>

#include <js/GCVector.h>
#include <js/Promise.h>
#include <js/RootingAPI.h>
#include <js/TypeDecls.h>

#include "script/script_error.h"

namespace oru::script {

class OutOfMemorySite;

// The promises of one engine context that were rejected with no handler.
// The engine tells of each rejection, and of a handler added later, as it
// happens; a promise still unhandled when the queued jobs have run is
// reported once, with "(in promise) " before its message. A promise rejected
// because its job ran out of memory is reported where that job ran out,
// noted as it was rejected.
class RejectionTracker {
 public:
  // Starts tracking the rejections of context, whose out-of-memory failures
  // are noted in outOfMemorySite.
  RejectionTracker(JSContext* context, OutOfMemorySite& outOfMemorySite);
  // Stops tracking; destroy it before the engine context.
  ~RejectionTracker();
  RejectionTracker(const RejectionTracker&) = delete;
  RejectionTracker& operator=(const RejectionTracker&) = delete;

  // Reports every promise still unhandled through reporter and forgets it.
  void reportUnhandled(ScriptErrorReporter reporter);

 private:
  // The engine's callback for a promise rejected with no handler, or handled after all.
  static void track(JSContext*, bool, JS::HandleObject promise,
                    JS::PromiseRejectionHandlingState state, void* tracker);

  // Forgets the listed promise at index.
  void forget(size_t index);

  JSContext* context;
  OutOfMemorySite& outOfMemorySite;
  JS::PersistentRootedObjectVector unhandled;
  // For each listed promise, the place last noted when it was rejected.
  std::vector<ScriptLocation> sites;
};

}  // namespace oru::script
