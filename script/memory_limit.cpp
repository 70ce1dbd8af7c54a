#include "script/memory_limit.h"

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include <js/MemoryCallbacks.h>
#include <jsapi.h>

#include "script/out_of_memory_site.h"

namespace oru::script {

namespace {

// Collections in a row that leave the heap within 1/16 of its limit before
// the running script fails with "out of memory".
constexpr int fullCollectionsBeforeFailure = 4;

// How far the heap may pass its limit while a script handles its failure.
constexpr uint32_t heapRoomAfterFailure = MemoryLimit::heapBytes / 8;

// How long, at most, a check over the budget waits for the engine's helper
// thread to hand back what a collection freed: 20 times 10 ms.
constexpr int releaseWaits = 20;
constexpr useconds_t releaseWaitMicroseconds = 10000;

size_t nextBudget = 0;

}  // namespace

void setScriptMemoryBudget(size_t bytes) { nextBudget = bytes; }

size_t dataBytes() {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (!status) return 0;
  char line[256];
  unsigned long kilobytes = 0;
  bool found = false;
  while (!found && std::fgets(line, sizeof line, status)) {
    found = std::sscanf(line, "VmData: %lu kB", &kilobytes) == 1;
  }
  std::fclose(status);
  return found ? static_cast<size_t>(kilobytes) * 1024 : 0;
}

MemoryLimit::MemoryLimit(OutOfMemorySite& site)
    : site(site), budget(nextBudget), allowance(nextBudget), baseline(dataBytes()) {}

MemoryLimit::~MemoryLimit() {
  if (!context) return;
  JS_SetGCCallback(context, nullptr, nullptr);
  JS::SetOutOfMemoryCallback(context, nullptr, nullptr);
}

void MemoryLimit::watch(JSContext* cx) {
  context = cx;
  // The engine's last-ditch collection (a full one, before it fails an
  // allocation) at most once a minute, its own default: run at every failing
  // allocation, a heap kept full spent seconds in them. After a failure the
  // host collects by itself (releaseGarbage), so later scripts find the memory.
  JS_SetGCParameter(context, JSGC_MIN_LAST_DITCH_GC_PERIOD, 60);
  JS::SetOutOfMemoryCallback(context, outOfMemory, this);
  JS_SetGCCallback(context, collection, this);
}

void MemoryLimit::outOfMemory(JSContext* cx, void* limit) {
  MemoryLimit& self = *static_cast<MemoryLimit*>(limit);
  // The stack is never read here (see OutOfMemorySite): the place reported
  // is the one noted at the last safe point.
  self.site.noteRanOut();
  if (self.failureArmed) {
    self.failureArmed = false;
    self.allowance = std::min(std::max(self.budget, self.grown) + self.budget / 8, 2 * self.budget);
  }
  // The script that catches the failure needs some memory to handle it (its
  // catch block, its message) before it lets go of what it holds: an eighth
  // more heap until the heap is well within its limit again, and (above) an
  // eighth of the budget beyond what it held, at most twice the budget,
  // until it is back within the budget.
  JS_SetGCParameter(cx, JSGC_MAX_BYTES, heapBytes + heapRoomAfterFailure);
  // Collecting is not allowed here; it runs at the script's next interrupt
  // check, or when the script ends.
  self.collectAfterFailure = true;
  self.collectWhenScriptEnds = true;
  JS_RequestInterruptCallback(cx);
}

void MemoryLimit::collection(JSContext*, JSGCStatus status, JS::GCReason, void* limit) {
  if (status == JSGC_END) static_cast<MemoryLimit*>(limit)->collectionEnded();
}

void MemoryLimit::collectionEnded() {
  // The script's memory is measured at the next interrupt check, a safe
  // point: a script that allocates without end makes the engine collect
  // again and again, so it meets a check soon after each. The host's own
  // collections are part of such a check.
  if (!collecting) budgetCheckDue = budget != 0;
  JS_RequestInterruptCallback(context);
  // A script that keeps the heap nearly full makes each allocation collect
  // the whole heap for a few bytes; long before the engine's own failure
  // (seconds of collections later) that is a heap out of memory.
  if (JS_GetGCParameter(context, JSGC_BYTES) < heapBytes - heapBytes / 16) {
    fullCollections = 0;
    return;
  }
  if (++fullCollections < fullCollectionsBeforeFailure) return;
  fullCollections = 0;
  heapFull = true;
}

bool MemoryLimit::overBudget() {
  size_t held = dataBytes();
  grown = held > baseline ? held - baseline : 0;
  if (grown <= budget) allowance = budget;
  return budget != 0 && grown > allowance;
}

void MemoryLimit::checkAtInterrupt() {
  // What a failed script let go of is garbage now; a script that caught the
  // failure and goes on needs that memory back.
  if (collectAfterFailure) {
    releaseGarbage();
    // The script may still let go of memory after it caught the failure.
    collectWhenScriptEnds = true;
    // What that collection freed is still being handed back on the engine's
    // helper thread: the budget is judged again after the next collection.
    budgetCheckDue = false;
    return;
  }
  // Once the next allocation is to fail, nothing changes until it has.
  if (failureArmed) return;
  if (heapFull) {
    heapFull = false;
    failNextAllocation();
    return;
  }
  if (!budgetCheckDue) return;
  budgetCheckDue = false;
  if (!overBudget()) return;
  // What the last collection freed may not have been handed back yet.
  malloc_trim(0);
  if (!overBudget()) return;
  failNextAllocation();
  // The collection that prepares the failure also frees what was garbage:
  // if that was what was over, there is nothing to fail. The engine frees
  // the memory of what it collected on a helper thread, so that is given a
  // moment to finish before the failure stands.
  for (int wait = 0; wait < releaseWaits && overBudget(); ++wait) {
    usleep(releaseWaitMicroseconds);
    malloc_trim(0);
  }
  if (!overBudget()) releaseGarbage();
}

void MemoryLimit::failNextAllocation() {
  // Failing here, at the interrupt, would end the script uncatchably; the
  // engine's own failure of an allocation is an ordinary error. It comes at
  // the script's next object that needs new room in the heap: a shrinking
  // collection packs the heap's objects together first, so the free cells
  // that could still be handed out without new room are few.
  failureArmed = true;
  collecting = true;
  JS::PrepareForFullGC(context);
  JS::NonIncrementalGC(context, JS::GCOptions::Shrink, JS::GCReason::API);
  collecting = false;
  malloc_trim(0);
  JS_SetGCParameter(context, JSGC_MAX_BYTES, JS_GetGCParameter(context, JSGC_BYTES));
  collectWhenScriptEnds = true;
}

void MemoryLimit::scriptEnded() {
  // Memory a failed script held, or let go of after it caught the failure.
  if (collectWhenScriptEnds) releaseGarbage();
}

void MemoryLimit::releaseGarbage() {
  collectAfterFailure = false;
  collectWhenScriptEnds = false;
  failureArmed = false;
  collecting = true;
  JS_GC(context);
  collecting = false;
  bool heapWithinLimit = JS_GetGCParameter(context, JSGC_BYTES) < heapBytes - heapRoomAfterFailure;
  JS_SetGCParameter(context, JSGC_MAX_BYTES,
                    heapWithinLimit ? heapBytes : heapBytes + heapRoomAfterFailure);
  // Freed memory stays in the process until it is handed back.
  malloc_trim(0);
}

}  // namespace oru::script
