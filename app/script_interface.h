#pragma once

#include <array>
#include <cstddef>

#include "script/native_binding.h"

namespace oru::app {

// The number of functions in the script interface; the table itself is
// counted and checked against it.
constexpr size_t scriptFunctionCount = 21;

// The functions every script can call, in the order they are defined on the global object.
extern const std::array<script::ScriptFunction, scriptFunctionCount> scriptInterface;

}  // namespace oru::app
