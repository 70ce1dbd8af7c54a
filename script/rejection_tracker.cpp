#include "script/rejection_tracker.h"

#include <jsapi.h>

#include "script/error_report.h"
#include "script/out_of_memory_site.h"

namespace oru::script {

RejectionTracker::RejectionTracker(JSContext* context, OutOfMemorySite& outOfMemorySite)
    : context(context), outOfMemorySite(outOfMemorySite), unhandled(context) {
  JS::SetPromiseRejectionTrackerCallback(context, track, this);
}

RejectionTracker::~RejectionTracker() {
  JS::SetPromiseRejectionTrackerCallback(context, nullptr, nullptr);
}

void RejectionTracker::track(JSContext*, bool, JS::HandleObject promise,
                             JS::PromiseRejectionHandlingState state, void* tracker) {
  RejectionTracker& self = *static_cast<RejectionTracker*>(tracker);
  JS::PersistentRootedObjectVector& list = self.unhandled;
  if (state == JS::PromiseRejectionHandlingState::Unhandled) {
    if (!list.append(promise)) {
      JS_ClearPendingException(self.context);
      return;
    }
    // The job that failed has just ended: if it ran out of memory, the
    // place last noted in it is where.
    self.sites.push_back(self.outOfMemorySite.place());
    return;
  }
  for (size_t i = 0; i < list.length(); ++i) {
    if (list[i] == promise) {
      self.forget(i);
      return;
    }
  }
}

void RejectionTracker::forget(size_t index) {
  unhandled.erase(unhandled.begin() + index);
  sites.erase(sites.begin() + index);
}

void RejectionTracker::reportUnhandled(ScriptErrorReporter reporter) {
  // A rejection for want of memory carries no place of its own; one in the
  // jobs that have just run is reported where its job was when it was rejected.
  bool ranOut = outOfMemorySite.takeRanOut();
  if (unhandled.empty()) return;
  // Reporting runs script code (a toString) that may run jobs and report
  // again, or reject more promises: the listed ones are taken off the list
  // first, so each is reported once and new ones wait for the next round.
  JS::RootedObjectVector taken(context);
  if (!taken.reserve(unhandled.length())) {
    JS_ClearPendingException(context);
    return;
  }
  for (JSObject* promise : unhandled) taken.infallibleAppend(promise);
  std::vector<ScriptLocation> takenSites;
  takenSites.swap(sites);
  unhandled.clear();
  for (size_t i = 0; i < taken.length(); ++i) {
    JS::RootedObject promise(context, taken[i]);
    // A handler added while earlier ones were reported handles it after all.
    if (JS::GetPromiseIsHandled(promise)) continue;
    JS::RootedValue reason(context, JS::GetPromiseResult(promise));
    JS::RootedObject site(context, JS::GetPromiseResolutionSite(promise));
    reportException(context, reporter, JS::ExceptionStack(context, reason, site), "(in promise) ",
                    ranOut ? &takenSites[i] : nullptr);
  }
}

}  // namespace oru::script
