#pragma once

#include <cstddef>
#include <string>

namespace oru::script {

// The system's strings are byte strings: one byte per character, the low 8
// bits of its UTF-16 code unit. These are the pure halves of that rule.

// The low 8 bits of each UTF-16 unit, cut at the first zero byte.
std::string lowBytes(const char16_t* units, size_t count);
// Decodes UTF-8 text (as the engine writes its messages) into low-8-bit bytes.
std::string utf8ToBytes(const std::string& utf8);

}  // namespace oru::script
