#include "script/memory_limit.h"

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <js/MemoryCallbacks.h>
#include <js/Stack.h>
#include <jsapi.h>

#include "script/engine_generation.h"

namespace oru::script {

namespace {

// How much private writable memory the process may take beyond what it held
// when the script host started. The engine bounds its collected heap itself
// (MemoryLimit::heapBytes), but array elements, array buffer contents, string
// characters and the compiler's work lie outside it, and the engine keeps no
// public count of them; the system's data limit covers them all, so any
// allocation that would pass it fails at once as "out of memory". 2 GiB
// leaves room beside a script's data for the graphics driver, which strokes
// reach in bounded amounts (a frame of 600,000 lines peaks near 200 MB in
// all), and keeps one script far from all of a machine's memory.
constexpr size_t dataGrowthLimitBytes = size_t{2} << 30;

// Room beyond that cap that the engine may take while it collects garbage:
// some of its clean-up cannot fail (making compiled code writable to discard it).
constexpr size_t collectionReserveBytes = size_t{64} << 20;

// Collections in a row that leave the heap within 1/16 of its limit before
// the running script fails with "out of memory".
constexpr int fullCollectionsBeforeFailure = 4;

// Room for the failure site's file name, reserved up front: memory is short when it is noted.
constexpr size_t siteNameCapacity = 4096;

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

DataLimit::DataLimit(size_t growthBytes, size_t reserveBytes) : reserve(reserveBytes) {
  size_t held = dataBytes();
  if (held == 0 || getrlimit(RLIMIT_DATA, &previous) != 0) return;
  capped = previous;
  rlim_t wanted = static_cast<rlim_t>(held) + growthBytes;
  // Never raise a limit the process was started with.
  if (capped.rlim_cur != RLIM_INFINITY && capped.rlim_cur <= wanted) return;
  if (capped.rlim_max != RLIM_INFINITY && capped.rlim_max < wanted + reserve) return;
  capped.rlim_cur = wanted;
  applied = setrlimit(RLIMIT_DATA, &capped) == 0;
}

void DataLimit::openReserve(bool open) {
  if (!applied) return;
  rlimit widened = capped;
  if (open) widened.rlim_cur += reserve;
  setrlimit(RLIMIT_DATA, &widened);
}

DataLimit::~DataLimit() {
  if (applied) setrlimit(RLIMIT_DATA, &previous);
}

MemoryLimit::MemoryLimit() : dataLimit(dataGrowthLimitBytes, collectionReserveBytes) {}

void MemoryLimit::watch(JSContext* cx) {
  context = cx;
  // The engine's last-ditch collection (a full one, before it fails an
  // allocation) at most once a minute, its own default: run at every failing
  // allocation, a heap kept full spent seconds in them. After a failure the
  // host collects by itself (releaseGarbage), so later scripts find the memory.
  JS_SetGCParameter(context, JSGC_MIN_LAST_DITCH_GC_PERIOD, 60);
  site.file.reserve(siteNameCapacity);
  JS::SetOutOfMemoryCallback(context, outOfMemory, this);
  JS_SetGCCallback(context, collection, this);
}

void MemoryLimit::outOfMemory(JSContext* cx, void* limit) {
  MemoryLimit& self = *static_cast<MemoryLimit*>(limit);
  // Collecting is not allowed here; it runs at the script's next interrupt
  // check, or when the script ends.
  self.collectAfterFailure = true;
  self.collectWhenScriptEnds = true;
  JS_RequestInterruptCallback(cx);
  // The stack is not looked at here: the engine can run out of memory while
  // one of its interpreter's frames is half made, and walking the stack then
  // crashes. The place reported is the one last noted at a safe point.
}

void MemoryLimit::noteScriptSite() {
  JS::AutoFilename file;
  uint32_t line = 0;
  if (!describeScriptedCaller(context, &file, &line)) {
    JS_ClearPendingException(context);
    return;
  }
  if (file.get() && *file.get()) noteSite(file.get(), line);
}

void MemoryLimit::collection(JSContext*, JSGCStatus status, JS::GCReason, void* limit) {
  MemoryLimit& self = *static_cast<MemoryLimit*>(limit);
  // Each collection gets the reserve, and afterwards the heap is checked.
  if (status == JSGC_BEGIN) self.dataLimit.openReserve(true);
  if (status == JSGC_END) self.collectionEnded();
}

void MemoryLimit::collectionEnded() {
  dataLimit.openReserve(false);
  // A script that allocates without end collects often: each collection has
  // the place it reached noted at the next interrupt check, which also acts
  // on a heap found full below.
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

void MemoryLimit::checkAtInterrupt() {
  // A safe point: where the script is now is where it runs out of memory, if it does.
  noteScriptSite();
  // What a failed script let go of is garbage now; a script that caught the
  // failure and goes on needs that memory back.
  if (collectAfterFailure) {
    releaseGarbage();
    // The script may still let go of memory after it caught the failure.
    collectWhenScriptEnds = true;
  }
  if (heapFull) {
    heapFull = false;
    // The heap's limit comes down to what it holds, so the script's next
    // allocation fails as "out of memory" where it is made; the limit goes
    // back up once that failure has let its garbage be collected.
    JS_SetGCParameter(context, JSGC_MAX_BYTES, JS_GetGCParameter(context, JSGC_BYTES));
    heapLimitLowered = true;
  }
}

void MemoryLimit::scriptEnded() {
  // Memory a failed script held, or let go of after it caught the failure.
  if (collectWhenScriptEnds) releaseGarbage();
}

void MemoryLimit::noteSite(const char* file, unsigned line) {
  // Memory may be short: the name is copied into room reserved up front.
  size_t length = std::min(std::strlen(file), site.file.capacity());
  site.file.assign(file, length);
  site.line = line;
}

void MemoryLimit::releaseGarbage() {
  collectAfterFailure = false;
  collectWhenScriptEnds = false;
  if (heapLimitLowered) JS_SetGCParameter(context, JSGC_MAX_BYTES, heapBytes);
  heapLimitLowered = false;
  JS_GC(context);
  // Freed memory stays in the process until it is handed back.
  malloc_trim(0);
}

}  // namespace oru::script
