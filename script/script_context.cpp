#include "script_context.h"

#include <sys/resource.h>

#include <algorithm>
#include <iostream>
#include <new>
#include <string>

#include <js/CompilationAndEvaluation.h>
#include <js/ErrorReport.h>
#include <js/Exception.h>
#include <js/GCAPI.h>
#include <js/Initialization.h>
#include <js/Realm.h>
#include <js/SourceText.h>
#include <js/Stack.h>
#include <js/Warnings.h>
#include <js/friend/ErrorMessages.h>
#include <jsapi.h>
#include <jsfriendapi.h>

#include "native_binding.h"
#include "script_runtime.h"
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

const JSClassOps* globalClassOps = &JS::DefaultGlobalClassOps;
const JSClass globalClass = {"global", JSCLASS_GLOBAL_FLAGS, globalClassOps, nullptr, nullptr,
                             nullptr};

// The ScriptContext that owns the engine context, if any; the engine allows one per thread.
ScriptContext* liveContext = nullptr;

// Forwards engine warnings to the context's error reporter.
void reportWarning(JSContext* cx, JSErrorReport* report) {
  auto* owner = static_cast<ScriptContext*>(JS_GetContextPrivate(cx));
  if (!owner || !owner->errorReporter() || !report) return;
  // Warnings are printed through the same reporter as errors.
  owner->errorReporter()(cx, report->message() ? report->message().c_str() : "", report);
}

}  // namespace

// Runs Promise jobs in the global's realm and reports a job that fails.
class ScriptContext::JobEnvironment : public js::ScriptEnvironmentPreparer {
 public:
  explicit JobEnvironment(ScriptContext& owner) : owner(owner) {}
  void invoke(JS::HandleObject, Closure& closure) override {
    if (!closure(owner.context)) owner.reportPendingException();
  }

 private:
  ScriptContext& owner;
};

ScriptContext::~ScriptContext() {
  if (context) {
    if (realmEntered) JS::LeaveRealm(context, previousRealm);
    realmEntered = false;
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
  if (!JS::InitSelfHostedCode(context)) return false;
  JS_SetNativeStackQuota(context, nativeStackQuota());
  // After an out-of-memory failure the engine refuses every allocation until
  // a collection runs; let its last-ditch collection run whenever needed.
  JS_SetGCParameter(context, JSGC_MIN_LAST_DITCH_GC_PERIOD, 0);
  jobEnvironment = std::make_unique<JobEnvironment>(*this);
  js::SetScriptEnvironmentPreparer(context, jobEnvironment.get());

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
  if (evaluationDepth == 0) runPendingJobs();
  return ok;
}

void ScriptContext::reportPendingException() {
  if (!JS_IsExceptionPending(context)) return;
  JS::ExceptionStack exception(context);
  if (!JS::StealPendingExceptionStack(context, &exception)) {
    JS_ClearPendingException(context);
    return;
  }
  bool outOfMemory = false;
  {
    JS::ErrorReportBuilder builder(context);
    if (builder.init(context, exception, JS::ErrorReportBuilder::WithSideEffects)) {
      const char* message = builder.toStringResult() ? builder.toStringResult().c_str() : "";
      outOfMemory = builder.report()->errorNumber == JSMSG_OUT_OF_MEMORY ||
                    std::string(message).find("out of memory") != std::string::npos;
      if (reporter) reporter(context, message, builder.report());
    }
    // Building the report can itself fail (or throw from a toString); never leave it pending.
    JS_ClearPendingException(context);
  }
  // The engine keeps failing after an out-of-memory error until a collection runs.
  if (outOfMemory) JS_GC(context);
}

void ScriptContext::runPendingJobs() { js::RunJobs(context); }

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

void reportScriptError(JSContext*, const char* message, const JSErrorReport* report) {
  const char* fileName = report && report->filename ? report->filename : "(no file)";
  unsigned line = report ? report->lineno : 0;
  std::cout << "Error on line " << line << " of " << fileName << ":" << std::endl;
  std::cout << "\t" << utf8ToBytes(message ? message : "") << std::endl;
}
