#pragma once

#include <js/GCVector.h>
#include <js/Promise.h>
#include <js/RootingAPI.h>
#include <js/TypeDecls.h>

#include "script/error_report.h"

namespace oru::script {

// The promises of one engine context that were rejected with no handler.
// The engine tells of each rejection, and of a handler added later, as it
// happens; a promise still unhandled when the queued jobs have run is
// reported once, with "(in promise) " before its message.
class RejectionTracker {
 public:
  // Starts tracking the rejections of context.
  explicit RejectionTracker(JSContext* context);
  // Stops tracking; destroy it before the engine context.
  ~RejectionTracker();
  RejectionTracker(const RejectionTracker&) = delete;
  RejectionTracker& operator=(const RejectionTracker&) = delete;

  // Reports every promise still unhandled through reporter and forgets it.
  void reportUnhandled(ScriptErrorReporter reporter, const ScriptLocation& outOfMemorySite);

 private:
  // The engine's callback for a promise rejected with no handler, or handled after all.
  static void track(JSContext*, bool, JS::HandleObject promise,
                    JS::PromiseRejectionHandlingState state, void* tracker);

  JSContext* context;
  JS::PersistentRootedObjectVector unhandled;
};

}  // namespace oru::script
