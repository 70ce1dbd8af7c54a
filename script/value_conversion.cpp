#include "script/value_conversion.h"

#include <cmath>
#include <cstring>

#include <js/Conversions.h>
#include <js/Exception.h>
#include <js/String.h>
#include <jsapi.h>

#include "script/script_stop.h"

namespace oru::script {

namespace {

// Clears a conversion's exception so the call goes on, except the engine's
// out-of-memory failure, which must end the script that caused it. The
// engine's own state tells which it is: a script may throw the same text.
void clearUnlessOutOfMemory(JSContext* context) {
  if (!JS_IsThrowingOutOfMemory(context)) JS_ClearPendingException(context);
}

// Whether the conversion must not run: an earlier one ran out of memory, or
// the script has been stopped (no more script code, such as a valueOf, runs).
bool skipConversion(JSContext* context) {
  return JS_IsExceptionPending(context) || scriptStopRequested();
}

}  // namespace

std::string toByteString(JSContext* context, JS::HandleValue value) {
  if (skipConversion(context)) return std::string();
  JS::RootedString string(context, JS::ToString(context, value));
  if (!string) {
    clearUnlessOutOfMemory(context);
    return std::string();
  }
  // The bytes are written straight into the result, one per character (its
  // low 8 bits), with no wider copy on the way: a long string needs its
  // length in memory once more, not three times.
  std::string bytes(JS_GetStringLength(string), '\0');
  if (!JS_EncodeStringToBuffer(context, string, bytes.data(), bytes.size())) {
    clearUnlessOutOfMemory(context);
    return std::string();
  }
  bytes.resize(std::strlen(bytes.c_str()));
  return bytes;
}

float toFloat(JSContext* context, JS::HandleValue value) {
  double number = 0;
  if (skipConversion(context)) return 0.0f;
  if (!JS::ToNumber(context, value, &number)) {
    clearUnlessOutOfMemory(context);
    return 0.0f;
  }
  return static_cast<float>(number);
}

int32_t toInt32(JSContext* context, JS::HandleValue value) {
  double number = 0;
  int32_t result = 0;
  if (skipConversion(context)) return 0;
  if (!JS::ToNumber(context, value, &number)) {
    clearUnlessOutOfMemory(context);
    return 0;
  }
  return roundToInt32(number, result) ? result : 0;
}

bool toBoolean(JS::HandleValue value) { return JS::ToBoolean(value); }

bool roundToInt32(double number, int32_t& result) {
  if (std::isnan(number)) return false;
  double rounded = std::floor(number);
  // number - rounded is exact, so a half rounds upward without double rounding.
  if (number - rounded >= 0.5) rounded += 1;
  if (rounded < -2147483648.0 || rounded > 2147483647.0) return false;
  result = static_cast<int32_t>(rounded);
  return true;
}

}  // namespace oru::script
