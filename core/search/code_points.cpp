#include "core/search/code_points.h"

#include "core/encoding/codeconverter.h"

namespace quillwen {

std::u32string ToCodePoints(std::u16string_view text) {
  std::u32string codePoints(text.size(), U'\0');
  const char16_t* source = text.data();
  const char16_t* const sourceEnd = source + text.size();
  char32_t* target = codePoints.data();
  // Lenient conversion stops only at a trailing high surrogate, which stays a
  // character here, as an unpaired surrogate anywhere else would.
  if (Utf16ToUtf32(&source, sourceEnd, &target, target + codePoints.size(), kLenient) ==
      kSourceExhausted) {
    *target++ = *source;
  }
  codePoints.resize(static_cast<size_t>(target - codePoints.data()));
  return codePoints;
}

void AppendUtf16(std::u16string& out, char32_t codePoint) {
  if (codePoint < 0x10000) {
    out.push_back(static_cast<char16_t>(codePoint));
  } else {
    codePoint -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
  }
}

}  // namespace quillwen
