#include "script/script_stop.h"

#include <atomic>
#include <thread>

#include <js/Interrupt.h>
#include <jsapi.h>
#include <jsfriendapi.h>

namespace oru::script {

namespace {

// Lock-free atomics only: requestScriptStop runs in signal handlers.
std::atomic<bool> stopRequested{false};
std::atomic<JSContext*> stoppable{nullptr};
// How many requests are using `stoppable` right now.
std::atomic<int> requestsInFlight{0};
static_assert(std::atomic<JSContext*>::is_always_lock_free &&
              std::atomic<int>::is_always_lock_free);

}  // namespace

void requestScriptStop() {
  stopRequested = true;
  ++requestsInFlight;
  // This form of the request takes no lock, so it may interrupt the engine anywhere.
  if (JSContext* context = stoppable.load()) JS_RequestInterruptCallbackCanWait(context);
  --requestsInFlight;
}

bool scriptStopRequested() { return stopRequested.load(std::memory_order_relaxed); }

void withdrawScriptStop() { stopRequested = false; }

bool endStoppedScript(JSContext* context) {
  JS_ClearPendingException(context);
  js::StopDrainingJobQueue(context);
  // The request is used up by the check that sees it; made again, it keeps
  // stopping whatever script code the engine would still run on the way out.
  JS_RequestInterruptCallback(context);
  return false;
}

void setStoppableContext(JSContext* context) {
  stoppable = context;
  while (requestsInFlight.load() != 0) std::this_thread::yield();
}

}  // namespace oru::script
