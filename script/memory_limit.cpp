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

}  // namespace

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

MemoryLimit::MemoryLimit(OutOfMemorySite& site, size_t budget)
    : site(site), budget(budget), allowance(budget), baseline(dataBytes()) {}

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
  // host collects by itself (collect), so later scripts find the memory.
  JS_SetGCParameter(context, JSGC_MIN_LAST_DITCH_GC_PERIOD, 60);
  JS::SetOutOfMemoryCallback(context, outOfMemory, this);
  JS_SetGCCallback(context, collection, this);
}

void MemoryLimit::checkAtInterrupt() { advance(Event::SafePoint); }

void MemoryLimit::scriptEnded() { advance(Event::ScriptEnded); }

void MemoryLimit::failureReported() { advance(Event::FailureReported); }

void MemoryLimit::advance(Event event) {
  // The host's own collections (armFailure, collect) end in the collection
  // callback too: the state they lead to is set once they have returned.
  const bool checkDue = state == State::CheckDue || state == State::RecoveringCheckDue;
  switch (event) {
    case Event::CollectionEnded:
      if (state == State::Within) {
        // Within -> CheckDue: the script's memory is measured at the next safe point.
        state = State::CheckDue;
      } else if (state == State::Recovering) {
        // Recovering -> RecoveringCheckDue: the same, while the script recovers.
        state = State::RecoveringCheckDue;
      }
      // Otherwise a check is already due, or a failure armed or to collect for: no change.
      return;

    case Event::OutOfMemory:
      // The script that catches the failure needs memory to handle it: an
      // eighth more heap until the heap is well within its limit again (see
      // collect), and, when the failure was armed, some more of the budget.
      if (state == State::Armed) widenAllowance();
      JS_SetGCParameter(context, JSGC_MAX_BYTES, heapBytes + heapRoomAfterFailure);
      JS_RequestInterruptCallback(context);
      // Any -> RanOut: collecting is not allowed here; it waits for the next safe point.
      state = State::RanOut;
      return;

    case Event::SafePoint:
      if (state == State::RanOut) {
        collect();
        // RanOut -> Recovering: collected after the failure; the budget is judged after the next
        // collection, as what this one freed is still being handed back on a helper thread.
        state = State::Recovering;
        return;
      }
      if (!checkDue) return;
      switch (check()) {
        case Verdict::Within:
          // CheckDue -> Within, RecoveringCheckDue -> Recovering: nothing to fail.
          state = state == State::CheckDue ? State::Within : State::Recovering;
          return;
        case Verdict::HeapFull:
          armFailure();
          // CheckDue or RecoveringCheckDue -> Armed: the heap is kept nearly full.
          state = State::Armed;
          return;
        case Verdict::OverBudget:
          armFailure();
          // CheckDue or RecoveringCheckDue -> Armed: over the budget once garbage is collected.
          state = State::Armed;
          if (overBudgetOnceHandedBack()) return;
          collect();
          // Armed -> Within: the collection that armed the failure freed what was over.
          state = State::Within;
          return;
      }
      return;

    case Event::ScriptEnded:
      if (state == State::Within || state == State::CheckDue) return;
      collect();
      // Armed, RanOut, Recovering -> Within; RecoveringCheckDue -> CheckDue: what
      // the script held past a failure, or let go of after it, is collected.
      state = checkDue ? State::CheckDue : State::Within;
      return;

    case Event::FailureReported:
      collect();
      // Any -> Within, or CheckDue if a check was due: what the failed script held is collected.
      state = checkDue ? State::CheckDue : State::Within;
      return;
  }
}

void MemoryLimit::outOfMemory(JSContext*, void* limit) {
  MemoryLimit& self = *static_cast<MemoryLimit*>(limit);
  // The stack is never read here (see OutOfMemorySite): the place reported
  // is the one noted at the last safe point.
  self.site.noteRanOut();
  self.advance(Event::OutOfMemory);
}

void MemoryLimit::collection(JSContext*, JSGCStatus status, JS::GCReason, void* limit) {
  if (status != JSGC_END) return;
  MemoryLimit& self = *static_cast<MemoryLimit*>(limit);
  // The script's memory is measured at the next interrupt check, a safe
  // point: a script that allocates without end makes the engine collect
  // again and again, so it meets a check soon after each.
  JS_RequestInterruptCallback(self.context);
  self.countFullCollection();
  self.advance(Event::CollectionEnded);
}

void MemoryLimit::countFullCollection() {
  // A script that keeps the heap nearly full makes each allocation collect
  // the whole heap for a few bytes; long before the engine's own failure
  // (seconds of collections later) that is a heap out of memory.
  if (JS_GetGCParameter(context, JSGC_BYTES) < heapBytes - heapBytes / 16) {
    fullCollections = 0;
  } else if (fullCollections < fullCollectionsBeforeFailure) {
    ++fullCollections;
  }
}

MemoryLimit::Verdict MemoryLimit::check() {
  if (fullCollections == fullCollectionsBeforeFailure) {
    fullCollections = 0;
    return Verdict::HeapFull;
  }
  if (budget == 0 || !overBudget()) return Verdict::Within;
  // What the last collection freed may not have been handed back yet.
  malloc_trim(0);
  return overBudget() ? Verdict::OverBudget : Verdict::Within;
}

bool MemoryLimit::overBudget() {
  size_t held = dataBytes();
  grown = held > baseline ? held - baseline : 0;
  if (grown <= budget) allowance = budget;
  return budget != 0 && grown > allowance;
}

bool MemoryLimit::overBudgetOnceHandedBack() {
  // The collection that armed the failure also freed what was garbage: if
  // that was what was over, there is nothing to fail. Some of what the
  // engine frees goes back on a helper thread, after the collection returns.
  // No engine call or callback tells when its helper thread is done: the wait is bounded.
  for (int wait = 0; wait < releaseWaits && overBudget(); ++wait) {
    usleep(releaseWaitMicroseconds);
    malloc_trim(0);
  }
  return overBudget();
}

void MemoryLimit::widenAllowance() {
  // An eighth of the budget beyond what the script held, at most twice the
  // budget, until it is back within the budget.
  allowance = std::min(std::max(budget, grown) + budget / 8, 2 * budget);
}

void MemoryLimit::armFailure() {
  // Failing here, at the interrupt, would end the script uncatchably; the
  // engine's own failure of an allocation is an ordinary error. It comes at
  // the script's next object that needs new room in the heap: a shrinking
  // collection packs the heap's objects together first, so the free cells
  // that could still be handed out without new room are few.
  JS::PrepareForFullGC(context);
  JS::NonIncrementalGC(context, JS::GCOptions::Shrink, JS::GCReason::API);
  malloc_trim(0);
  JS_SetGCParameter(context, JSGC_MAX_BYTES, JS_GetGCParameter(context, JSGC_BYTES));
}

void MemoryLimit::collect() {
  JS_GC(context);
  bool heapWithinLimit = JS_GetGCParameter(context, JSGC_BYTES) < heapBytes - heapRoomAfterFailure;
  JS_SetGCParameter(context, JSGC_MAX_BYTES,
                    heapWithinLimit ? heapBytes : heapBytes + heapRoomAfterFailure);
  // Freed memory stays in the process until it is handed back.
  malloc_trim(0);
}

}  // namespace oru::script
