#pragma once

#include <array>

#include "native_binding.h"

// The functions every script can call, in the order they are defined on the global object.
extern const std::array<ScriptFunction, 2> scriptInterface;
