#pragma once

#include <array>

#include "native_binding.h"

// The number of functions in the script interface.
constexpr size_t scriptFunctionCount = 21;

// The functions every script can call, in the order they are defined on the global object.
extern const std::array<ScriptFunction, scriptFunctionCount> scriptInterface;
