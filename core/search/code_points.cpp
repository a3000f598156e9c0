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

}  // namespace quillwen
