#pragma once

// Walking the characters of a UTF-16 query: a surrogate pair is one character, an
// unpaired surrogate (a trailing high one included) a character of its own value.

#include <string>
#include <string_view>

namespace quillwen {

std::u32string ToCodePoints(std::u16string_view text);

// Appends `codePoint` in UTF-16: one unit up to U+FFFF (lone surrogates too), a
// pair above. REQUIRES: codePoint <= U+10FFFF.
void AppendUtf16(std::u16string& out, char32_t codePoint);

}  // namespace quillwen
