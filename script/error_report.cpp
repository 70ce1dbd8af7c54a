#include "script/error_report.h"

#include <iostream>

#include <js/ErrorReport.h>
#include <jsapi.h>

#include "script/engine_generation.h"
#include "script/text_encoding.h"

namespace oru::script {

void reportScriptError(const char* message, const char* fileName, unsigned line) {
  std::cout << "Error on line " << line << " of " << (fileName ? fileName : "(no file)") << ":"
            << std::endl;
  std::cout << "\t" << utf8ToBytes(message ? message : "") << std::endl;
}

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
    const char* file = report ? reportFileName(*report) : nullptr;
    unsigned line = report ? report->lineno : 0;
    // The engine records no stack for running out of memory (it has no room
    // for one), so the report would name whatever script is running now.
    // The site was noted when it happened.
    if (outOfMemorySite && !exception.stack() && !outOfMemorySite->file.empty()) {
      file = outOfMemorySite->file.c_str();
      line = outOfMemorySite->line;
    }
    reporter(message.c_str(), file, line);
  }
  // Building the report can itself fail (or throw from a toString); never leave it pending.
  JS_ClearPendingException(cx);
}

}  // namespace oru::script
