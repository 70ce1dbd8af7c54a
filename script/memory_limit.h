#pragma once

#include <cstddef>
#include <cstdint>

#include <js/GCAPI.h>
#include <js/HeapAPI.h>
#include <js/TypeDecls.h>

namespace oru::script {

class OutOfMemorySite;

// The private writable memory the process has mapped (its data: heap,
// anonymous mappings, thread stacks), in bytes; 0 when it cannot be read.
size_t dataBytes();

// How much memory the scripts of one engine context may use, and what
// happens when they reach it.
//
// Nothing caps the process itself: the graphics driver, SDL, X11, the C++
// runtime and the engine's own collections always get what they ask for.
// The scripts are bounded twice. The engine's collected heap has its limit,
// past which the engine fails the allocation as "out of memory" where it is
// made. Everything else a script can hold (array elements, buffer contents,
// string characters, compiled code) counts against the budget, which is
// checked at safe points: at the first interrupt check after each collection
// (the engine collects as such memory grows) the process's data is measured.
// If it is over, even once garbage is collected, the heap's limit comes down
// to what the heap holds, so the script's next object that needs new room
// in the heap fails where it is made: an ordinary "out of memory" error that
// the script can catch. The script then has room to handle it (an eighth
// more heap, and an eighth of the budget beyond what it held, at most twice
// the budget) until it is back within. The engine's own size limits
// (strings, array buffers) bound what one allocation between two checks can
// take. A script that keeps the heap nearly full fails the same way, before
// the engine spends seconds collecting for every object.
//
// The limit moves through the states of State, all in advance(): a
// collection's end makes a check due; the check at the next safe point
// either finds the script within or arms a failure; the failure, armed or
// the engine's own, is collected for at the next safe point; and what the
// script still lets go of is collected once it ends.
class MemoryLimit {
 public:
  // The limit of the engine's collected heap, for the engine context. The
  // engine counts its heap very differently from older generations: a 1 MiB
  // limit already fails a script that keeps about 1,000 small objects alive,
  // so the engine's own default applies.
  static constexpr uint32_t heapBytes = JS::DefaultHeapMaxBytes;

  // Bounds what the process may hold because of its scripts to budget bytes
  // more than it holds now (0 leaves it unbounded); notes each out-of-memory
  // failure in site.
  MemoryLimit(OutOfMemorySite& site, size_t budget);
  // Stops watching; destroy it before the engine context.
  ~MemoryLimit();
  MemoryLimit(const MemoryLimit&) = delete;
  MemoryLimit& operator=(const MemoryLimit&) = delete;

  // Watches context: its out-of-memory failures and its collections.
  void watch(JSContext* context);
  // At the engine's interrupt check, a safe point: acts on what is due.
  void checkAtInterrupt();
  // Once a script has ended: collects what a failure left behind.
  void scriptEnded();
  // Once an out-of-memory failure has been reported: collects what the
  // failed script left, so that later scripts find the memory.
  void failureReported();

 private:
  // Where the limit stands between two safe points.
  enum class State {
    // Nothing is due: within the heap's limit and the budget when last checked.
    Within,
    // A collection has ended: the heap and the budget are checked at the next safe point.
    CheckDue,
    // The script's next object that needs new room in the heap fails.
    Armed,
    // An allocation has failed: what it left is collected at the next safe point.
    RanOut,
    // Collected after a failure: collected again once the script ends, as
    // a script that caught the failure may still let go of memory.
    Recovering,
    // A collection has ended while recovering: checked at the next safe point.
    RecoveringCheckDue,
  };
  // What moves the limit from one state to the next.
  enum class Event { CollectionEnded, OutOfMemory, SafePoint, ScriptEnded, FailureReported };
  // What a check at a safe point finds.
  enum class Verdict { Within, HeapFull, OverBudget };

  // The one place where the state changes: acts on event, moves to the next state.
  void advance(Event event);
  // The engine's callback as an allocation fails, before the failure unwinds the script.
  static void outOfMemory(JSContext* cx, void* limit);
  // The engine's callback as each collection starts and ends.
  static void collection(JSContext* cx, JSGCStatus status, JS::GCReason, void* limit);
  // Counts collections in a row that leave the heap nearly full.
  void countFullCollection();
  // Checks the heap and the budget, at a safe point.
  Verdict check();
  // Whether the process holds more than the budget allows now.
  bool overBudget();
  // Whether it still does once the engine has had a while to hand back what
  // its last collection freed.
  bool overBudgetOnceHandedBack();
  // Gives a script that caught its failure room to handle it.
  void widenAllowance();
  // Makes the script's next object that needs new room in the heap fail.
  void armFailure();
  // Collects the engine's garbage and hands the freed memory back to the system.
  void collect();

  OutOfMemorySite& site;
  JSContext* context = nullptr;
  State state = State::Within;
  size_t budget = 0;
  // The budget, or a little more while a script handles its failure.
  size_t allowance = 0;
  size_t baseline = 0;
  // How much the process had grown by at the last measure.
  size_t grown = 0;
  // Collections in a row that left the heap nearly full, up to the number that fails the script.
  int fullCollections = 0;
};

}  // namespace oru::script
