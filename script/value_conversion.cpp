#include "script/value_conversion.h"

#include <cmath>

#include <js/Conversions.h>
#include <js/String.h>
#include <jsapi.h>

#include "script/text_encoding.h"

namespace oru::script {

namespace {

// Clears a conversion's exception so the call goes on, except the engine's
// out-of-memory failure, which must end the script that caused it.
void clearUnlessOutOfMemory(JSContext* context) {
  JS::RootedValue thrown(context);
  if (JS_GetPendingException(context, &thrown) && thrown.isString()) {
    JS::RootedString text(context, thrown.toString());
    bool outOfMemory = false;
    if (!JS_StringEqualsLiteral(context, text, "out of memory", &outOfMemory) || outOfMemory) {
      return;
    }
  }
  JS_ClearPendingException(context);
}

}  // namespace

std::string toByteString(JSContext* context, JS::HandleValue value) {
  if (JS_IsExceptionPending(context)) return std::string();
  JS::RootedString string(context, JS::ToString(context, value));
  if (!string) {
    clearUnlessOutOfMemory(context);
    return std::string();
  }
  size_t length = JS_GetStringLength(string);
  std::u16string units(length, u'\0');
  if (!JS_CopyStringChars(context, mozilla::Range<char16_t>(units.data(), length), string)) {
    clearUnlessOutOfMemory(context);
    return std::string();
  }
  return lowBytes(units.data(), length);
}

float toFloat(JSContext* context, JS::HandleValue value) {
  double number = 0;
  if (JS_IsExceptionPending(context)) return 0.0f;
  if (!JS::ToNumber(context, value, &number)) {
    clearUnlessOutOfMemory(context);
    return 0.0f;
  }
  return static_cast<float>(number);
}

int32_t toInt32(JSContext* context, JS::HandleValue value) {
  double number = 0;
  int32_t result = 0;
  if (JS_IsExceptionPending(context)) return 0;
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
