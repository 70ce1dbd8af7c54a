#include "script_context.h"

#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstring>
#include <iostream>
#include <new>
#include <string>

#include <js/CompilationAndEvaluation.h>
#include <js/ErrorReport.h>
#include <js/Exception.h>
#include <js/GCAPI.h>
#include <js/GCVector.h>
#include <js/Initialization.h>
#include <js/MemoryCallbacks.h>
#include <js/Promise.h>
#include <js/Realm.h>
#include <js/SourceText.h>
#include <js/Stack.h>
#include <js/Warnings.h>
#include <jsapi.h>
#include <jsfriendapi.h>

#include "engine_generation.h"
#include "memory_limit.h"
#include "native_binding.h"
#include "script_runtime.h"
#include "script_stop.h"
#include "self_hosted_cache.h"
#include "text_encoding.h"

ScriptContext* scriptContext = nullptr;

namespace {

// The GC heap limit. The engine counts its heap very differently from older
// generations: a 1 MiB limit already fails a script that keeps about 1,000
// small objects alive, so the engine's own default applies.
constexpr uint32_t heapLimitBytes = JS::DefaultHeapMaxBytes;

// Collections in a row that leave the heap within 1/16 of its limit before
// the running script fails with "out of memory".
constexpr int fullCollectionsBeforeFailure = 4;

// Native stack the engine may use before it reports "too much recursion":
// half of the main thread's stack limit, at most 4 MiB. Natives that re-enter
// the engine (runScript) use the same stack, so the margin must be generous.
size_t nativeStackQuota() {
  constexpr size_t maxQuota = 4u << 20;
  rlimit limit{};
  if (getrlimit(RLIMIT_STACK, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return maxQuota;
  return std::min<size_t>(limit.rlim_cur / 2, maxQuota);
}

// How much private writable memory the process may take beyond what it held
// when the script host started. The engine bounds its collected heap itself
// (heapLimitBytes), but array elements, array buffer contents, string
// characters and the compiler's work lie outside it, and the engine keeps no
// public count of them; the system's data limit covers them all, so any
// allocation that would pass it fails at once as "out of memory". 2 GiB
// leaves room beside a script's data for the graphics driver, which queues
// about 1.3 KB per stroke until the frame is shown (about 0.8 GB for a frame
// of 600,000 lines), and keeps one script far from all of a machine's memory.
constexpr size_t dataGrowthLimitBytes = size_t{2} << 30;

// Room beyond that cap that the engine may take while it collects garbage:
// some of its clean-up cannot fail (making compiled code writable to discard it).
constexpr size_t collectionReserveBytes = size_t{64} << 20;

const JSClassOps* globalClassOps = &JS::DefaultGlobalClassOps;
const JSClass globalClass = {"global", JSCLASS_GLOBAL_FLAGS, globalClassOps, nullptr, nullptr,
                             nullptr};

// The ScriptContext that owns the engine context, if any; the engine allows one per thread.
ScriptContext* liveContext = nullptr;

// Forwards engine warnings to the context's error reporter.
void reportWarning(JSContext* cx, JSErrorReport* report) {
  auto* owner = static_cast<ScriptContext*>(JS_GetContextPrivate(cx));
  if (!owner || !owner->errorReporter() || !report) return;
  // The engine warns that a stopped script was "terminated by timeout"; a
  // script stopped by a quit is no error.
  if (scriptStopRequested()) return;
  // Warnings are printed through the same reporter as errors.
  owner->errorReporter()(report->message() ? report->message().c_str() : "",
                         reportFileName(*report), report->lineno);
}

// Hands one exception to the reporter, its message after prefix; true when it
// was the engine's out-of-memory failure.
bool reportException(JSContext* cx, ScriptErrorReporter reporter,
                     const JS::ExceptionStack& exception, const char* prefix,
                     const ScriptLocation& outOfMemorySite) {
  // The engine throws the bare string "out of memory" when its heap is full.
  bool outOfMemory = false;
  if (exception.exception().isString()) {
    JS::RootedString thrown(cx, exception.exception().toString());
    if (!JS_StringEqualsLiteral(cx, thrown, "out of memory", &outOfMemory)) outOfMemory = true;
  }
  JS::ErrorReportBuilder builder(cx);
  bool described = builder.init(cx, exception, JS::ErrorReportBuilder::WithSideEffects);
  if (reporter) {
    std::string message = prefix;
    message += described && builder.toStringResult()
                   ? builder.toStringResult().c_str()
                   : "uncaught exception (it could not be described)";
    const JSErrorReport* report = builder.report();
    const char* file = report ? reportFileName(*report) : nullptr;
    unsigned line = report ? report->lineno : 0;
    // The engine records no stack for running out of memory (it has no room
    // for one), so the report would name whatever script is running now.
    // The site was noted when it happened.
    if (outOfMemory && !exception.stack() && !outOfMemorySite.file.empty()) {
      file = outOfMemorySite.file.c_str();
      line = outOfMemorySite.line;
    }
    reporter(message.c_str(), file, line);
  }
  // Building the report can itself fail (or throw from a toString); never leave it pending.
  JS_ClearPendingException(cx);
  return outOfMemory;
}

// Notes where the engine ran out of memory, before the failure unwinds the script.
void noteOutOfMemory(JSContext* cx, void* owner) {
  static_cast<ScriptContext*>(owner)->noteOutOfMemorySite(cx);
}

// Gives each collection the memory reserve, and afterwards checks whether the heap is still full.
void watchCollection(JSContext* cx, JSGCStatus status, JS::GCReason, void* owner) {
  if (status == JSGC_BEGIN) static_cast<ScriptContext*>(owner)->collectionStarted();
  if (status == JSGC_END) static_cast<ScriptContext*>(owner)->collectionEnded(cx);
}

// The engine's interrupt callback: collects garbage after an out-of-memory
// failure, and makes the running script fail with "out of memory" once its heap is full.
bool checkMemory(JSContext* cx) {
  if (scriptStopRequested()) return false;
  auto* owner = static_cast<ScriptContext*>(JS_GetContextPrivate(cx));
  return !owner || owner->checkMemory(cx);
}

// Records promises rejected with no handler, and forgets them when one is added.
void trackRejection(JSContext*, bool, JS::HandleObject promise,
                    JS::PromiseRejectionHandlingState state, void* owner) {
  static_cast<ScriptContext*>(owner)->trackRejection(
      promise, state == JS::PromiseRejectionHandlingState::Handled);
}

}  // namespace

// Runs Promise jobs in the global's realm and reports a job that fails.
class ScriptContext::JobEnvironment final : public js::ScriptEnvironmentPreparer {
 public:
  explicit JobEnvironment(ScriptContext& owner) : owner(owner) {}
  void invoke(JS::HandleObject, Closure& closure) override {
    // Jobs still queued when the script is stopped never run.
    if (scriptStopRequested()) return;
    if (!closure(owner.context)) owner.reportPendingException();
  }

 private:
  ScriptContext& owner;
};

ScriptContext::~ScriptContext() {
  if (context) {
    setStoppableContext(nullptr);
    if (realmEntered) JS::LeaveRealm(context, previousRealm);
    realmEntered = false;
    unhandledRejections.reset();
    global.reset();
    JS_DestroyContext(context);
    context = nullptr;
  }
  if (runtime) runtime->releaseRuntime();
  runtime = nullptr;
  dataLimit.reset();
  if (liveContext == this) liveContext = nullptr;
}

bool ScriptContext::initialise() {
  liveContext = this;
  runtime = scriptRuntime.acquireRuntime();
  if (!runtime) return false;
  dataLimit = std::make_unique<DataLimit>(dataGrowthLimitBytes, collectionReserveBytes);
  context = JS_NewContext(heapLimitBytes);
  if (!context) return false;
  JS_SetContextPrivate(context, this);
  // Promise jobs crash the engine unless a job queue is installed.
  if (!js::UseInternalJobQueues(context)) return false;
  if (!JS::InitSelfHostedCode(context, selfHostedCache())) return false;
  JS_SetNativeStackQuota(context, nativeStackQuota());
  // The engine's last-ditch collection (a full one, before it fails an
  // allocation) at most once a minute, its own default: run at every failing
  // allocation, a heap kept full spent seconds in them. After a failure the
  // host collects by itself (releaseGarbage), so later scripts find the memory.
  JS_SetGCParameter(context, JSGC_MIN_LAST_DITCH_GC_PERIOD, 60);
  jobEnvironment = std::make_unique<JobEnvironment>(*this);
  js::SetScriptEnvironmentPreparer(context, jobEnvironment.get());
  unhandledRejections = std::make_unique<JS::PersistentRootedObjectVector>(context);
  JS::SetPromiseRejectionTrackerCallback(context, ::trackRejection, this);
  outOfMemorySite.file.reserve(4096);
  JS::SetOutOfMemoryCallback(context, noteOutOfMemory, this);
  JS_SetGCCallback(context, ::watchCollection, this);
  if (!JS_AddInterruptCallback(context, ::checkMemory)) return false;
  setStoppableContext(context);

  JS::RealmOptions options;
  JSObject* object =
      JS_NewGlobalObject(context, &globalClass, nullptr, JS::FireOnNewGlobalHook, options);
  if (!object) return false;
  global = std::make_unique<JS::PersistentRooted<JSObject*>>(context, object);
  previousRealm = JS::EnterRealm(context, object);
  realmEntered = true;
  return JS::InitRealmStandardClasses(context);
}

bool ScriptContext::evaluate(const char* text, uint32_t length, const char* fileName,
                             unsigned firstLine) {
  if (scriptStopRequested()) return false;
  // Script files are bytes: each byte becomes the character with the same code.
  std::unique_ptr<char16_t[]> chars(new (std::nothrow) char16_t[length ? length : 1]);
  if (!chars) {
    std::cout << "Error on line " << firstLine << " of " << fileName << ":" << std::endl;
    std::cout << "\tout of memory" << std::endl;
    return false;
  }
  std::transform(text, text + length, chars.get(),
                 [](char byte) { return char16_t(static_cast<unsigned char>(byte)); });

  bool ok = false;
  // Running out of memory while compiling happens before any script line
  // runs; the caller's place is noted again once this script is done.
  ScriptLocation callerSite = outOfMemorySite;
  noteSite(fileName, firstLine);
  ++evaluationDepth;
  {
    JS::CompileOptions options(context);
    options.setFileAndLine(fileName, firstLine).setNoScriptRval(true);
    JS::SourceText<char16_t> source;
    if (source.init(context, chars.get(), length, JS::SourceOwnership::Borrowed)) {
      JS::RootedValue result(context);
      ok = JS::Evaluate(context, options, source, &result);
    }
    if (!ok) reportPendingException();
  }
  // Memory a failed script held, or let go of after it caught the failure.
  if (collectWhenScriptEnds) releaseGarbage();
  noteSite(callerSite.file.c_str(), callerSite.line);
  --evaluationDepth;
  // Jobs run once the outermost script has finished, as in any JavaScript host.
  if (evaluationDepth == 0 && !scriptStopRequested()) runPendingJobs();
  return ok;
}

void ScriptContext::collectionStarted() { dataLimit->openReserve(true); }

void ScriptContext::collectionEnded(JSContext* cx) {
  dataLimit->openReserve(false);
  // A script that allocates without end collects often: each collection has
  // the place it reached noted at the next interrupt check.
  JS_RequestInterruptCallback(cx);
  // A script that keeps the heap nearly full makes each allocation collect
  // the whole heap for a few bytes; long before the engine's own failure
  // (seconds of collections later) that is a heap out of memory.
  if (JS_GetGCParameter(cx, JSGC_BYTES) < heapLimitBytes - heapLimitBytes / 16) {
    fullCollections = 0;
    return;
  }
  if (++fullCollections < fullCollectionsBeforeFailure) return;
  fullCollections = 0;
  heapFull = true;
  JS_RequestInterruptCallback(cx);
}

bool ScriptContext::checkMemory(JSContext* cx) {
  // A safe point: where the script is now is where it runs out of memory, if it does.
  noteScriptSite(cx);
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
    JS_SetGCParameter(cx, JSGC_MAX_BYTES, JS_GetGCParameter(cx, JSGC_BYTES));
    heapLimitLowered = true;
  }
  return true;
}

void ScriptContext::noteOutOfMemorySite(JSContext* cx) {
  // Collecting is not allowed here; it runs at the script's next interrupt
  // check, or when the script ends.
  collectAfterFailure = true;
  collectWhenScriptEnds = true;
  JS_RequestInterruptCallback(cx);
  // The stack is not looked at here: the engine can run out of memory while
  // one of its interpreter's frames is half made, and walking the stack then
  // crashes. The place reported is the one last noted at a safe point.
}

void ScriptContext::noteScriptSite(JSContext* cx) {
  JS::AutoFilename file;
  unsigned line = 0;
  if (!JS::DescribeScriptedCaller(cx, &file, &line)) {
    JS_ClearPendingException(cx);
    return;
  }
  if (file.get() && *file.get()) noteSite(file.get(), line);
}

void ScriptContext::noteSite(const char* file, unsigned line) {
  // Memory may be short: the name is copied into room reserved up front.
  size_t length = std::min(std::strlen(file), outOfMemorySite.file.capacity());
  outOfMemorySite.file.assign(file, length);
  outOfMemorySite.line = line;
}

void ScriptContext::releaseGarbage() {
  collectAfterFailure = false;
  collectWhenScriptEnds = false;
  if (heapLimitLowered) JS_SetGCParameter(context, JSGC_MAX_BYTES, heapLimitBytes);
  heapLimitLowered = false;
  JS_GC(context);
  // Freed memory stays in the process until it is handed back.
  malloc_trim(0);
}

void ScriptContext::reportPendingException() {
  if (!JS_IsExceptionPending(context)) return;
  JS::ExceptionStack exception(context);
  if (!JS::StealPendingExceptionStack(context, &exception)) {
    JS_ClearPendingException(context);
    return;
  }
  // Collect at once after an out-of-memory failure, so that later scripts
  // find the memory the failed one left behind.
  if (reportException(context, reporter, exception, "", outOfMemorySite)) releaseGarbage();
}

void ScriptContext::runPendingJobs() {
  if (scriptStopRequested()) return;
  js::RunJobs(context);
  reportUnhandledRejections();
}

void ScriptContext::trackRejection(JS::HandleObject promise, bool handled) {
  JS::PersistentRootedObjectVector& list = *unhandledRejections;
  if (!handled) {
    if (!list.append(promise)) JS_ClearPendingException(context);
    return;
  }
  for (size_t i = 0; i < list.length(); ++i) {
    if (list[i] == promise) {
      list.erase(list.begin() + i);
      return;
    }
  }
}

void ScriptContext::reportUnhandledRejections() {
  JS::PersistentRootedObjectVector& list = *unhandledRejections;
  if (list.empty()) return;
  // Reporting runs script code (a toString) that may run jobs and report
  // again, or reject more promises: the listed ones are taken off the list
  // first, so each is reported once and new ones wait for the next round.
  JS::RootedObjectVector taken(context);
  if (!taken.reserve(list.length())) {
    JS_ClearPendingException(context);
    return;
  }
  for (JSObject* promise : list) taken.infallibleAppend(promise);
  list.clear();
  for (size_t i = 0; i < taken.length(); ++i) {
    JS::RootedObject promise(context, taken[i]);
    // A handler added while earlier ones were reported handles it after all.
    if (JS::GetPromiseIsHandled(promise)) continue;
    JS::RootedValue reason(context, JS::GetPromiseResult(promise));
    JS::RootedObject site(context, JS::GetPromiseResolutionSite(promise));
    reportException(context, reporter, JS::ExceptionStack(context, reason, site), "(in promise) ",
                    outOfMemorySite);
  }
}

bool ScriptContext::defineFunction(const ScriptFunction& function) {
  JS::RootedObject object(context, *global);
  return JS_DefineFunction(context, object, function.name, function.adapter, function.arity, 0) !=
         nullptr;
}

void ScriptContext::setErrorReporter(ScriptErrorReporter reporter) {
  this->reporter = reporter;
  JS::SetWarningReporter(context, reporter ? reportWarning : nullptr);
}

ScriptContext* createScriptContext() {
  if (liveContext) return nullptr;
  ScriptContext* created = new (std::nothrow) ScriptContext();
  if (!created) return nullptr;
  if (!created->initialise()) {
    delete created;
    return nullptr;
  }
  return created;
}

void destroyScriptContext(ScriptContext* context) { delete context; }

void reportScriptError(const char* message, const char* fileName, unsigned line) {
  std::cout << "Error on line " << line << " of " << (fileName ? fileName : "(no file)") << ":"
            << std::endl;
  std::cout << "\t" << utf8ToBytes(message ? message : "") << std::endl;
}
