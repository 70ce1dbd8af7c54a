#include "script/text_encoding.h"

namespace oru::script {

std::string lowBytes(const char16_t* units, size_t count) {
  std::string bytes;
  bytes.reserve(count);
  for (size_t i = 0; i < count && (units[i] & 0xFF) != 0; ++i) {
    bytes.push_back(static_cast<char>(units[i] & 0xFF));
  }
  return bytes;
}

std::string utf8ToBytes(const std::string& utf8) {
  std::string bytes;
  bytes.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    unsigned char lead = static_cast<unsigned char>(utf8[i]);
    size_t extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (lead >= 0x80 && lead < 0xC0) extra = 0;  // a stray continuation byte stands for itself
    char32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
    size_t end = i + 1;
    for (; end < utf8.size() && end <= i + extra; ++end) {
      unsigned char next = static_cast<unsigned char>(utf8[end]);
      if ((next & 0xC0) != 0x80) break;
      code = (code << 6) | (next & 0x3F);
    }
    i = end;
    if (code > 0xFFFF) {
      // Outside the basic plane a character is two UTF-16 units: a surrogate pair.
      code -= 0x10000;
      bytes.push_back(static_cast<char>((0xD800 + (code >> 10)) & 0xFF));
      bytes.push_back(static_cast<char>((0xDC00 + (code & 0x3FF)) & 0xFF));
    } else {
      bytes.push_back(static_cast<char>(code & 0xFF));
    }
  }
  return bytes;
}

}  // namespace oru::script
