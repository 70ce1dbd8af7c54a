#pragma once

namespace oru::script {

// Identifies the loaded engine library to the engine itself: its encoded
// scripts (such as the self-hosted code cache) carry this ID, and the engine
// refuses to decode any that carry another.

// Installs the engine library's GNU build ID as the engine's build ID, once;
// false when the library has none, in which case nothing encoded may be used.
bool useEngineBuildId();

}  // namespace oru::script
