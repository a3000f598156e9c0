#pragma once

#include <cstdint>

namespace quillwen {

// The index's identifier of a code point, or -1 for a character the index does
// not know. Identifiers are below VariantIdBase; the ranges:
//   U+3400..U+9FFF    -> cp - 0x3400     (0..27647)
//   U+F900..U+FAFF    -> cp - 0x8C00     (27904..28415)
//   U+20000..U+2A6DF  -> cp - 0x18100    (32512..75231)
//   U+2F800..U+2FA1F  -> cp - 0x1D220    (75232..75775)
//   U+3042..U+30F6    -> cp + 0xF7BE     (75776..75956)
//   U+E000..U+FFFF    -> cp + 0x48B5     (75957..84148)
inline constexpr int32_t CharacterId(char32_t cp) {
  if (cp >= 0x3400 && cp <= 0x9FFF) return static_cast<int32_t>(cp - 0x3400);
  if (cp >= 0xF900 && cp <= 0xFAFF) return static_cast<int32_t>(cp - 0x8C00);
  if (cp >= 0x20000 && cp <= 0x2A6DF) return static_cast<int32_t>(cp - 0x18100);
  if (cp >= 0x2F800 && cp <= 0x2FA1F) return static_cast<int32_t>(cp - 0x1D220);
  if (cp >= 0x3042 && cp <= 0x30F6) return static_cast<int32_t>(cp + 0xF7BE);
  if (cp >= 0xE000 && cp <= 0xFFFF) return static_cast<int32_t>(cp + 0x48B5);
  return -1;
}

}  // namespace quillwen
