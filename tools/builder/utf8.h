#pragma once

// Strict UTF-8 for source files and names (a source with a broken byte is
// refused, never guessed at), and the encodings the data files need.

#include <cstddef>
#include <string>
#include <string_view>

#include "core/encoding/utf8.h"

namespace quillwen::build {

using quillwen::AppendUtf8;
using quillwen::DecodeUtf8;

std::string EncodeUtf8(std::u32string_view text);
std::u16string EncodeUtf16(std::u32string_view text);

// "U+4E00" style, for messages and the variant table's reader.
std::string CodePointLabel(char32_t codePoint);

}  // namespace quillwen::build
