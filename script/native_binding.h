#pragma once

#include <cstdint>
#include <new>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include <js/CallArgs.h>
#include <jsapi.h>

#include "script/script_context.h"
#include "script/script_function.h"
#include "script/script_stop.h"
#include "script/value_conversion.h"

namespace oru::script {

// The type a script sees for a native parameter or result type: "string",
// "number", "boolean", or "null" for a native without a result.
template <typename T>
constexpr const char* scriptTypeName() {
  if constexpr (std::is_void_v<T>) {
    return "null";
  } else if constexpr (std::is_same_v<T, bool>) {
    return "boolean";
  } else if constexpr (std::is_arithmetic_v<T>) {
    return "number";
  } else {
    static_assert(std::is_same_v<T, std::string>, "natives take strings, numbers and booleans");
    return "string";
  }
}

// Converts one script argument to a native parameter type.
template <typename T>
T fromScript(JSContext* context, JS::HandleValue value);

template <>
inline std::string fromScript<std::string>(JSContext* context, JS::HandleValue value) {
  return toByteString(context, value);
}
// A number, by far the commonest argument, converts here without a call: it
// runs no script code and cannot fail, so it needs none of the checks.
template <>
inline float fromScript<float>(JSContext* context, JS::HandleValue value) {
  if (value.isNumber()) return static_cast<float>(value.toNumber());
  return toFloat(context, value);
}
template <>
inline int32_t fromScript<int32_t>(JSContext* context, JS::HandleValue value) {
  if (value.isInt32()) return value.toInt32();
  return toInt32(context, value);
}
template <>
inline bool fromScript<bool>(JSContext*, JS::HandleValue value) {
  return toBoolean(value);
}

// Stores a native result as a script value: booleans as booleans, numbers
// as single-precision values widened back (natives return float, so a native
// that computes more precisely narrows its result in its own signature).
inline void toScript(JS::MutableHandleValue result, bool value) { result.setBoolean(value); }
inline void toScript(JS::MutableHandleValue result, float value) {
  result.setNumber(static_cast<double>(value));
}

// The engine callback for one native. Each native gets its own instance, so
// each script function dispatches to exactly its own native. The adapter
// converts the arguments in order (missing ones as undefined, extra ones
// ignored), calls the native, stores its result (null when it has none) and
// reports success to the engine. When a conversion ran out of memory, the
// native is not called and the failure goes on to the script; so does a
// native (or a conversion) that cannot get the memory it needs. Once the
// script has been stopped, it reports failure with no exception, which ends
// the script uncatchably.
template <auto Native, typename Signature = decltype(Native)>
struct NativeAdapter;

template <auto Native, typename Result, typename... Params>
struct NativeAdapter<Native, Result (*)(Params...)> {
  static constexpr unsigned arity = sizeof...(Params);
  // The parameters' script types, then a null that keeps the array from being empty.
  static constexpr const char* parameterTypes[] = {scriptTypeName<std::decay_t<Params>>()...,
                                                   nullptr};
  static constexpr const char* resultType = scriptTypeName<Result>();

  // The engine's native-function entry point.
  static bool call(JSContext* context, unsigned argc, JS::Value* vp) {
    JS::CallArgs args = JS::CallArgsFromVp(argc, vp);
    bool ok = false;
    try {
      ok = callNative(context, args, std::index_sequence_for<Params...>{});
    } catch (const std::bad_alloc&) {
      reportNativeOutOfMemory(context);
    }
    if (scriptStopRequested()) return endStoppedScript(context);
    return ok;
  }

 private:
  template <size_t... Index>
  static bool callNative(JSContext* context, const JS::CallArgs& args,
                         std::index_sequence<Index...>) {
    // Braced initialisation converts the arguments strictly left to right.
    std::tuple<std::decay_t<Params>...> converted{
        fromScript<std::decay_t<Params>>(context, args.get(Index))...};
    if (JS_IsExceptionPending(context)) return false;
    if constexpr (std::is_void_v<Result>) {
      std::apply(Native, std::move(converted));
      args.rval().setNull();
    } else {
      toScript(args.rval(), std::apply(Native, std::move(converted)));
    }
    return true;
  }
};

// The script function `name` served by Native, with the arity of its signature.
template <auto Native>
constexpr ScriptFunction scriptFunction(const char* name) {
  using Adapter = NativeAdapter<Native>;
  return ScriptFunction{name, &Adapter::call, Adapter::arity, Adapter::parameterTypes,
                        Adapter::resultType};
}

}  // namespace oru::script
