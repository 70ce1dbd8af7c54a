#include "script/script_context.h"

#include <sys/resource.h>

#include <algorithm>
#include <new>

#include <js/CompilationAndEvaluation.h>
#include <js/ErrorReport.h>
#include <js/Exception.h>
#include <js/Initialization.h>
#include <js/Realm.h>
#include <js/SourceText.h>
#include <js/Warnings.h>
#include <jsapi.h>
#include <jsfriendapi.h>

#include "script/engine_generation.h"
#include "script/error_report.h"
#include "script/memory_limit.h"
#include "script/rejection_tracker.h"
#include "script/script_function.h"
#include "script/script_runtime.h"
#include "script/script_stop.h"
#include "script/self_hosted_cache.h"

namespace oru::script {

ScriptContext* scriptContext = nullptr;

namespace {

// Native stack the engine may use before it reports "too much recursion":
// half of the main thread's stack limit, at most 4 MiB. Natives that re-enter
// the engine (runScript) use the same stack, so the margin must be generous.
size_t nativeStackQuota() {
  constexpr size_t maxQuota = 4u << 20;
  rlimit limit{};
  if (getrlimit(RLIMIT_STACK, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return maxQuota;
  return std::min<size_t>(limit.rlim_cur / 2, maxQuota);
}

const JSClassOps* globalClassOps = &JS::DefaultGlobalClassOps;
const JSClass globalClass = {"global", JSCLASS_GLOBAL_FLAGS, globalClassOps, nullptr, nullptr,
                             nullptr};

// The ScriptContext that owns the engine context, if any; the engine allows one per thread.
ScriptContext* liveContext = nullptr;

}  // namespace

// Runs Promise jobs in the global's realm and reports a job that fails.
class ScriptContext::JobEnvironment final : public js::ScriptEnvironmentPreparer {
 public:
  explicit JobEnvironment(ScriptContext& owner) : owner(owner) {}
  // The engine calls this to report an exception a job left; the job has ended.
  void invoke(JS::HandleObject global, Closure& closure) override {
    if (scriptStopRequested()) return;
    JSAutoRealm inGlobal(owner.context, global);
    if (!closure(owner.context)) owner.reportPendingException("(in promise) ");
  }

 private:
  ScriptContext& owner;
};

ScriptContext::ScriptContext(const ContextOptions& options)
    : reporter(options.reporter), memoryBudget(options.memoryBudget) {}

ScriptContext::~ScriptContext() {
  if (context) {
    setStoppableContext(nullptr);
    rejections.reset();
    memory.reset();
    global.reset();
    JS_DestroyContext(context);
    context = nullptr;
  }
  if (runtime) runtime->releaseRuntime();
  runtime = nullptr;
  memory.reset();
  if (liveContext == this) liveContext = nullptr;
}

bool ScriptContext::initialise() {
  liveContext = this;
  runtime = scriptRuntime.acquireRuntime();
  if (!runtime) return false;
  memory = std::make_unique<MemoryLimit>(outOfMemorySite, memoryBudget);
  context = JS_NewContext(MemoryLimit::heapBytes);
  if (!context) return false;
  JS_SetContextPrivate(context, this);
  // Promise jobs crash the engine unless a job queue is installed.
  if (!js::UseInternalJobQueues(context)) return false;
  if (!JS::InitSelfHostedCode(context, selfHostedCache())) return false;
  JS_SetNativeStackQuota(context, nativeStackQuota());
  // One array buffer is held to a size the memory limit's checks can follow.
  limitArrayBufferSize();
  jobEnvironment = std::make_unique<JobEnvironment>(*this);
  js::SetScriptEnvironmentPreparer(context, jobEnvironment.get());
  rejections = std::make_unique<RejectionTracker>(context, outOfMemorySite);
  memory->watch(context);
  if (!JS_AddInterruptCallback(context, checkInterrupt)) return false;
  JS::SetWarningReporter(context, reportWarning);
  setStoppableContext(context);

  JS::RealmOptions options;
  JSObject* object =
      JS_NewGlobalObject(context, &globalClass, nullptr, JS::FireOnNewGlobalHook, options);
  if (!object) return false;
  global = std::make_unique<JS::PersistentRooted<JSObject*>>(context, object);
  JSAutoRealm inGlobal(context, object);
  return JS::InitRealmStandardClasses(context);
}

bool ScriptContext::evaluate(const char* text, uint32_t length, const char* fileName,
                             unsigned firstLine) {
  if (scriptStopRequested()) return false;
  // Script files are bytes: each byte becomes the character with the same code.
  std::unique_ptr<char16_t[]> chars(new (std::nothrow) char16_t[length ? length : 1]);
  if (!chars) {
    if (reporter) reporter({"out of memory", fileName, firstLine, {}});
    return false;
  }
  std::transform(text, text + length, chars.get(),
                 [](char byte) { return char16_t(static_cast<unsigned char>(byte)); });

  bool ok = false;
  // Running out of memory while compiling happens before any script line runs.
  outOfMemorySite.note(fileName, firstLine);
  ++evaluationDepth;
  {
    JSAutoRealm inGlobal(context, *global);
    JS::CompileOptions options(context);
    options.setFileAndLine(fileName, firstLine).setNoScriptRval(true);
    JS::SourceText<char16_t> source;
    if (source.init(context, chars.get(), length, JS::SourceOwnership::Borrowed)) {
      JS::RootedValue result(context);
      ok = JS::Evaluate(context, options, source, &result);
    }
    if (!ok) reportPendingException();
  }
  memory->scriptEnded();
  // Back in the script that ran this one, if any: its place is noted again,
  // read from the stack (a safe point) rather than copied, as memory may be short.
  outOfMemorySite.noteScriptPlace(context);
  --evaluationDepth;
  // Jobs run once the outermost script has finished, as in any JavaScript host.
  if (evaluationDepth == 0 && !scriptStopRequested()) runPendingJobs();
  return ok;
}

void ScriptContext::reportPendingException(const char* prefix) {
  if (!JS_IsExceptionPending(context)) return;
  // The engine's own state tells its failure to find memory from a script
  // that throws the same text. A failed job's exception is thrown again by
  // the engine's job queue, which loses that state: there the out-of-memory
  // callback tells.
  const bool ranOut = outOfMemorySite.takeRanOut();
  const bool outOfMemory = JS_IsThrowingOutOfMemory(context) || ranOut;
  JS::ExceptionStack exception(context);
  if (!JS::StealPendingExceptionStack(context, &exception)) {
    JS_ClearPendingException(context);
    return;
  }
  reportException(context, reporter, exception, prefix,
                  outOfMemory ? &outOfMemorySite.place() : nullptr);
  // Collect at once after an out-of-memory failure, so that later scripts
  // find the memory the failed one left behind.
  if (outOfMemory) memory->failureReported();
}

void ScriptContext::runPendingJobs() {
  if (scriptStopRequested()) return;
  JSAutoRealm inGlobal(context, *global);
  js::RunJobs(context);
  rejections->reportUnhandled(reporter);
}

JSObject* ScriptContext::globalObject() const { return *global; }

bool ScriptContext::defineFunction(const ScriptFunction& function) {
  JSAutoRealm inGlobal(context, *global);
  JS::RootedObject object(context, *global);
  if (JS_DefineFunction(context, object, function.name, function.adapter, function.arity, 0)) {
    return true;
  }
  JS_ClearPendingException(context);
  return false;
}

void ScriptContext::reportWarning(JSContext* cx, JSErrorReport* report) {
  auto* owner = static_cast<ScriptContext*>(JS_GetContextPrivate(cx));
  if (!owner || !owner->reporter || !report) return;
  // The engine warns that a stopped script was "terminated by timeout"; a
  // script stopped by a quit is no error.
  if (scriptStopRequested()) return;
  // Warnings are printed through the same reporter as errors.
  owner->reporter({report->message() ? report->message().c_str() : "",
                   reportFileName(*report),
                   report->lineno,
                   {}});
}

bool ScriptContext::checkInterrupt(JSContext* cx) {
  if (scriptStopRequested()) return endStoppedScript(cx);
  auto* owner = static_cast<ScriptContext*>(JS_GetContextPrivate(cx));
  if (!owner) return true;
  // A safe point: where the script is now is where it runs out of memory, if it does.
  owner->outOfMemorySite.noteScriptPlace(cx);
  owner->memory->checkAtInterrupt();
  return true;
}

void reportNativeOutOfMemory(JSContext* context) {
  auto* owner = static_cast<ScriptContext*>(JS_GetContextPrivate(context));
  JS_ClearPendingException(context);
  // Inside a native the stack is safe to read: the failure is the caller's line.
  if (owner) owner->outOfMemorySite.noteScriptPlace(context);
  JS_ReportOutOfMemory(context);
}

ScriptContext* createScriptContext(const ContextOptions& options) {
  if (liveContext) return nullptr;
  ScriptContext* created = new (std::nothrow) ScriptContext(options);
  if (!created) return nullptr;
  if (!created->initialise()) {
    delete created;
    return nullptr;
  }
  return created;
}

void destroyScriptContext(ScriptContext* context) { delete context; }

}  // namespace oru::script
