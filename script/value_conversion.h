#pragma once

#include <cstdint>
#include <string>

#include <js/TypeDecls.h>

namespace oru::script {

// Conversions of script values to the natives' types. None of them fails:
// a value that cannot be converted (or whose conversion throws) gives the
// fallback, and the exception is cleared so the call can go on. The one
// exception kept is the engine's "out of memory", which stays pending (and
// later conversions give their fallbacks at once) so that it ends the script.
// Once the script has been stopped, no conversion runs script code: each
// gives its fallback at once.

// The value as a byte string (low 8 bits of each character, cut at the first zero); "" on failure.
std::string toByteString(JSContext* context, JS::HandleValue value);
// The value as a number, narrowed to single precision; 0 on failure.
float toFloat(JSContext* context, JS::HandleValue value);
// The value as a number rounded to the nearest integer, halves upward; 0 when that fails.
int32_t toInt32(JSContext* context, JS::HandleValue value);
// The script language's truth test.
bool toBoolean(JS::HandleValue value);

// Rounds to the nearest integer, halves upward; false for NaN or outside the signed 32-bit range.
bool roundToInt32(double number, int32_t& result);

}  // namespace oru::script
