#include "script/error_report.h"

#include <js/ErrorReport.h>
#include <js/SavedFrameAPI.h>
#include <js/String.h>
#include <jsapi.h>

#include "script/engine_generation.h"
#include "script/text_encoding.h"

namespace oru::script {

namespace {

// The most calls a report lists: a runaway recursion would otherwise print
// thousands of identical lines.
constexpr size_t maxCallSites = 32;

// A string from the engine's saved stack as bytes, as script names are.
std::string savedFrameText(JSContext* cx, JS::HandleString text) {
  if (!text) return std::string();
  JS::UniqueChars utf8 = JS_EncodeStringToUTF8(cx, text);
  if (!utf8) {
    JS_ClearPendingException(cx);
    return std::string();
  }
  return utf8ToBytes(utf8.get());
}

// The calls recorded in the stack the engine saved with an exception,
// innermost first; self-hosted frames (the engine's own library code) are left out.
std::vector<CallSite> callPathOf(JSContext* cx, JSObject* stack) {
  std::vector<CallSite> path;
  constexpr auto selfHosted = JS::SavedFrameSelfHosted::Exclude;
  JS::RootedObject frame(cx, stack);
  while (frame && path.size() < maxCallSites) {
    JS::RootedString source(cx), name(cx);
    uint32_t line = 0;
    if (JS::GetSavedFrameSource(cx, nullptr, frame, &source, selfHosted) !=
            JS::SavedFrameResult::Ok ||
        JS::GetSavedFrameLine(cx, nullptr, frame, &line, selfHosted) != JS::SavedFrameResult::Ok) {
      break;
    }
    JS::GetSavedFrameFunctionDisplayName(cx, nullptr, frame, &name, selfHosted);
    path.push_back({savedFrameText(cx, source), line, savedFrameText(cx, name)});
    JS::RootedObject parent(cx);
    if (JS::GetSavedFrameParent(cx, nullptr, frame, &parent, selfHosted) !=
        JS::SavedFrameResult::Ok) {
      break;
    }
    frame = parent;
  }
  JS_ClearPendingException(cx);
  return path;
}

// The stack of the calls that led to an exception: an error object's own,
// saved where it was made, or else the one saved where it was thrown.
JSObject* thrownStack(JSContext* cx, const JS::ExceptionStack& exception) {
  if (exception.exception().isObject()) {
    JS::RootedObject object(cx, &exception.exception().toObject());
    if (JSObject* stack = JS::ExceptionStackOrNull(object)) return stack;
  }
  return exception.stack();
}

}  // namespace

void reportException(JSContext* cx, ScriptErrorReporter reporter,
                     const JS::ExceptionStack& exception, const char* prefix,
                     const ScriptLocation* outOfMemorySite) {
  JS::ErrorReportBuilder builder(cx);
  bool described = builder.init(cx, exception, JS::ErrorReportBuilder::WithSideEffects);
  if (reporter) {
    std::string message = prefix;
    message += described && builder.toStringResult()
                   ? builder.toStringResult().c_str()
                   : "uncaught exception (it could not be described)";
    const JSErrorReport* report = builder.report();
    ScriptError error{message.c_str(),
                      report ? reportFileName(*report) : nullptr,
                      report ? report->lineno : 0,
                      {}};
    // The engine records no stack for running out of memory (it has no room
    // for one), so the report would name whatever script is running now.
    // The site was noted when it happened.
    if (outOfMemorySite && !exception.stack() && !outOfMemorySite->file.empty()) {
      error.fileName = outOfMemorySite->file.c_str();
      error.line = outOfMemorySite->line;
    } else {
      error.callPath = callPathOf(cx, thrownStack(cx, exception));
    }
    reporter(error);
  }
  // Building the report can itself fail (or throw from a toString); never leave it pending.
  JS_ClearPendingException(cx);
}

}  // namespace oru::script
