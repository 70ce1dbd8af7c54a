#pragma once

#include <sys/resource.h>

#include <cstddef>
#include <cstdint>

#include <js/GCAPI.h>
#include <js/HeapAPI.h>
#include <js/TypeDecls.h>

#include "script/error_report.h"

namespace oru::script {

// The private writable memory the process has mapped (its data: heap,
// anonymous mappings, thread stacks), in bytes; 0 when it cannot be read.
size_t dataBytes();

// Caps how much private writable memory the process may map beyond what it
// holds when the cap is made, and restores the earlier limit when destroyed.
//
// The cap is the system's data limit (RLIMIT_DATA), so an allocation that
// would pass it fails at once, whatever its size: the engine then reports
// an ordinary "out of memory" error where the script asked for it. Address
// space that is only reserved, never made writable (the engine's code
// reservation, sanitizer shadow that is not yet touched), does not count.
//
// The engine cannot survive every failure: a collection that cannot make a
// page of compiled code writable, for one, ends the process. While it
// collects, the cap is widened by a reserve.
class DataLimit {
 public:
  DataLimit(size_t growthBytes, size_t reserveBytes);
  ~DataLimit();
  // Widens the cap by the reserve (true) or narrows it back (false).
  void openReserve(bool open);
  DataLimit(const DataLimit&) = delete;
  DataLimit& operator=(const DataLimit&) = delete;

 private:
  rlimit previous{};
  rlimit capped{};
  size_t reserve = 0;
  bool applied = false;
};

// How much memory the scripts of one engine context may use, and what
// happens when they reach it: the engine's collected heap has its limit, the
// rest of the process its data limit. Past either, the script's allocation
// fails as "out of memory" where it is made, and the garbage it leaves is
// collected so that later scripts find the memory again. The failure's error
// carries no place, so the script's place is noted at safe points (each
// interrupt check, one of which follows every collection, and each script's
// start) and reported with it. A script that keeps the heap nearly full
// fails the same way.
class MemoryLimit {
 public:
  // The limit of the engine's collected heap, for the engine context. The
  // engine counts its heap very differently from older generations: a 1 MiB
  // limit already fails a script that keeps about 1,000 small objects alive,
  // so the engine's own default applies.
  static constexpr uint32_t heapBytes = JS::DefaultHeapMaxBytes;

  // Caps the process's data from what it holds now; make it before the engine context.
  MemoryLimit();
  MemoryLimit(const MemoryLimit&) = delete;
  MemoryLimit& operator=(const MemoryLimit&) = delete;

  // Watches context: its out-of-memory failures and its collections.
  void watch(JSContext* context);
  // Notes a script place as where memory runs out if it does: the place a
  // script starts from.
  void noteSite(const char* file, unsigned line);
  // Notes where the running script is (nothing when no script runs); only at
  // a point where the stack is safe to read, such as once a nested script is done.
  void noteScriptSite();
  // Where the engine last ran out of memory.
  const ScriptLocation& outOfMemorySite() const { return site; }
  // At the engine's interrupt check, a safe point: notes where the script
  // is, collects after a failure; a heap that stays full makes the next
  // allocation fail.
  void checkAtInterrupt();
  // Once a script has ended: collects what a failure left behind.
  void scriptEnded();
  // Collects the engine's garbage and hands the freed memory back to the system.
  void releaseGarbage();

 private:
  // The engine's callback as an allocation fails, before the failure unwinds the script.
  static void outOfMemory(JSContext* cx, void* limit);
  // The engine's callback as each collection starts and ends.
  static void collection(JSContext* cx, JSGCStatus status, JS::GCReason, void* limit);
  void collectionEnded();

  DataLimit dataLimit;
  JSContext* context = nullptr;
  ScriptLocation site;
  int fullCollections = 0;
  bool heapFull = false;
  bool collectAfterFailure = false;
  bool collectWhenScriptEnds = false;
  bool heapLimitLowered = false;
};

}  // namespace oru::script
