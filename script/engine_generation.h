#pragma once

// The calls that differ between the SpiderMonkey generations oru builds
// against: 102 (Debian 12), 128 (Debian 13) and 140 (Debian testing).
// Everything else in the script host is written once against the interface
// they share.

#include <js-config.h>
#include <js/ArrayBuffer.h>
#include <js/ErrorReport.h>
#include <jsapi.h>

#if MOZJS_MAJOR_VERSION != 102 && MOZJS_MAJOR_VERSION != 128 && MOZJS_MAJOR_VERSION != 140
#error "oru builds against SpiderMonkey 102, 128 or 140"
#endif

namespace oru::script {

// The file name of an error report, or null when it has none.
inline const char* reportFileName(const JSErrorReport& report) {
#if MOZJS_MAJOR_VERSION >= 128
  return report.filename.c_str();
#else
  return report.filename;
#endif
}

// Keeps one array buffer below 2 GiB where the engine lets the embedding
// choose (102); later generations keep their own, larger limit.
inline void limitArrayBufferSize() {
#if MOZJS_MAJOR_VERSION < 128
  JS::SetLargeArrayBuffersEnabled(false);
#endif
}

// The file and line of the innermost running script, if any; false (maybe
// with an exception pending) when no script is running.
inline bool describeScriptedCaller(JSContext* cx, JS::AutoFilename* file, uint32_t* line) {
#if MOZJS_MAJOR_VERSION >= 140
  return JS::DescribeScriptedCaller(file, cx, line);
#else
  return JS::DescribeScriptedCaller(cx, file, line);
#endif
}

}  // namespace oru::script
