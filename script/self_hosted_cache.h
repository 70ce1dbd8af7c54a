#pragma once

#include <js/Initialization.h>

namespace oru::script {

// The engine's self-hosted code (the parts of the standard library written in
// JavaScript), compiled and encoded when oru is built, so that start-up
// decodes it instead of compiling it: about 9 ms less per start.

// The encoded self-hosted code for JS::InitSelfHostedCode, or an empty span
// when the build made none or the engine library has no build ID. A cache
// from another build of the library is refused by the engine, which then
// compiles the code as usual.
JS::SelfHostedCache selfHostedCache();

}  // namespace oru::script
