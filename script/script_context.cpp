#include "script_context.h"

#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <iostream>
#include <new>
#include <string>

#include <js/CompilationAndEvaluation.h>
#include <js/ErrorReport.h>
#include <js/Exception.h>
#include <js/GCAPI.h>
#include <js/GCVector.h>
#include <js/Initialization.h>
#include <js/Promise.h>
#include <js/Realm.h>
#include <js/SourceText.h>
#include <js/Stack.h>
#include <js/Warnings.h>
#include <jsapi.h>
#include <jsfriendapi.h>

#include "engine_generation.h"
#include "memory_watch.h"
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

// Native stack the engine may use before it reports "too much recursion":
// half of the main thread's stack limit, at most 4 MiB. Natives that re-enter
// the engine (runScript) use the same stack, so the margin must be generous.
size_t nativeStackQuota() {
  constexpr size_t maxQuota = 4u << 20;
  rlimit limit{};
  if (getrlimit(RLIMIT_STACK, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return maxQuota;
  return std::min<size_t>(limit.rlim_cur / 2, maxQuota);
}

// The process's resident memory above which scripts are stopped with an
// out-of-memory error: the collected heap is bounded by heapLimitBytes, but
// array elements and array buffer contents are allocated outside it.
constexpr size_t memoryLimitBytes = size_t{1} << 30;

const JSClassOps* globalClassOps = &JS::DefaultGlobalClassOps;
const JSClass globalClass = {"global", JSCLASS_GLOBAL_FLAGS, globalClassOps, nullptr, nullptr,
                             nullptr};

// The ScriptContext that owns the engine context, if any; the engine allows one per thread.
ScriptContext* liveContext = nullptr;

// Forwards engine warnings to the context's error reporter.
void reportWarning(JSContext* cx, JSErrorReport* report) {
  auto* owner = static_cast<ScriptContext*>(JS_GetContextPrivate(cx));
  if (!owner || !owner->errorReporter() || !report) return;
  // The engine warns that a stopped script was "terminated by timeout": for
  // a script stopped for memory the out-of-memory report that follows says
  // why, and a script stopped by a quit is no error.
  if (owner->stoppedForMemoryUse() || scriptStopRequested()) return;
  // Warnings are printed through the same reporter as errors.
  owner->errorReporter()(report->message() ? report->message().c_str() : "",
                         reportFileName(*report), report->lineno);
}

// Hands one exception to the reporter, its message after prefix; true when it
// was the engine's out-of-memory failure.
bool reportException(JSContext* cx, ScriptErrorReporter reporter,
                     const JS::ExceptionStack& exception, const char* prefix) {
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
    reporter(message.c_str(), report ? reportFileName(*report) : nullptr,
             report ? report->lineno : 0);
  }
  // Building the report can itself fail (or throw from a toString); never leave it pending.
  JS_ClearPendingException(cx);
  return outOfMemory;
}

// The engine's interrupt callback: false stops the running script.
bool checkMemory(JSContext* cx) {
  if (scriptStopRequested()) return false;
  auto* owner = static_cast<ScriptContext*>(JS_GetContextPrivate(cx));
  return !owner || owner->checkMemory();
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
  memoryWatch.reset();
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
  if (liveContext == this) liveContext = nullptr;
}

bool ScriptContext::initialise() {
  liveContext = this;
  runtime = scriptRuntime.acquireRuntime();
  if (!runtime) return false;
  context = JS_NewContext(heapLimitBytes);
  if (!context) return false;
  JS_SetContextPrivate(context, this);
  // Promise jobs crash the engine unless a job queue is installed.
  if (!js::UseInternalJobQueues(context)) return false;
  if (!JS::InitSelfHostedCode(context, selfHostedCache())) return false;
  JS_SetNativeStackQuota(context, nativeStackQuota());
  // After an out-of-memory failure the engine refuses every allocation until
  // a collection runs; let its last-ditch collection run whenever needed.
  JS_SetGCParameter(context, JSGC_MIN_LAST_DITCH_GC_PERIOD, 0);
  jobEnvironment = std::make_unique<JobEnvironment>(*this);
  js::SetScriptEnvironmentPreparer(context, jobEnvironment.get());
  unhandledRejections = std::make_unique<JS::PersistentRootedObjectVector>(context);
  JS::SetPromiseRejectionTrackerCallback(context, ::trackRejection, this);
  if (!JS_AddInterruptCallback(context, ::checkMemory)) return false;
  setStoppableContext(context);
  memoryWatch = std::make_unique<MemoryWatch>(context, memoryLimitBytes);

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
  --evaluationDepth;
  // Jobs run once the outermost script has finished, as in any JavaScript host.
  if (evaluationDepth == 0 && !scriptStopRequested()) runPendingJobs();
  return ok;
}

bool ScriptContext::checkMemory() {
  if (!memoryWatch || !memoryWatch->overLimit()) return true;
  // Garbage may be what is over the limit: release it first.
  releaseGarbage();
  if (!memoryWatch->overLimit()) return true;
  JS::AutoFilename file;
  unsigned line = 0;
  if (!JS::DescribeScriptedCaller(context, &file, &line)) JS_ClearPendingException(context);
  stopFile = file.get() ? file.get() : "";
  stopLine = line;
  stoppedForMemory = true;
  // Ends the script without an exception, so no try block can hold on to it.
  return false;
}

void ScriptContext::reportMemoryStop() {
  stoppedForMemory = false;
  if (reporter) {
    reporter("uncaught exception: out of memory", stopFile.empty() ? nullptr : stopFile.c_str(),
             stopLine);
  }
  // What the stopped script held is garbage now.
  releaseGarbage();
}

void ScriptContext::releaseGarbage() {
  JS_GC(context);
  // Freed memory stays in the process until it is handed back.
  malloc_trim(0);
}

void ScriptContext::reportPendingException() {
  if (stoppedForMemory) {
    reportMemoryStop();
    return;
  }
  if (!JS_IsExceptionPending(context)) return;
  JS::ExceptionStack exception(context);
  if (!JS::StealPendingExceptionStack(context, &exception)) {
    JS_ClearPendingException(context);
    return;
  }
  // Collect at once after an out-of-memory failure, so that later scripts
  // find the memory the failed one left behind.
  if (reportException(context, reporter, exception, "")) releaseGarbage();
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
  // Reporting can run script code (a toString) that rejects more promises:
  // those wait for the next round.
  size_t count = list.length();
  for (size_t i = 0; i < count; ++i) {
    JS::RootedObject promise(context, list[i]);
    JS::RootedValue reason(context, JS::GetPromiseResult(promise));
    JS::RootedObject site(context, JS::GetPromiseResolutionSite(promise));
    reportException(context, reporter, JS::ExceptionStack(context, reason, site), "(in promise) ");
  }
  list.erase(list.begin(), list.begin() + count);
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
