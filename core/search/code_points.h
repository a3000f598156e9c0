#pragma once

// Walking the characters of a UTF-16 query: a surrogate pair is one character, an
// unpaired surrogate (a trailing high one included) a character of its own value.

#include <string>
#include <string_view>

#include "core/encoding/codeconverter.h"  // AppendUtf16

namespace quillwen {

std::u32string ToCodePoints(std::u16string_view text);

}  // namespace quillwen
