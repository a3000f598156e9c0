#pragma once

// Strict UTF-8 for source files and names (a source with a broken byte is
// refused, never guessed at), and the encodings the data files need.

#include <cstddef>
#include <string>
#include <string_view>

namespace quillwen::build {

// Decodes `bytes` into code points. On a malformed, overlong or surrogate
// sequence returns false with *errorOffset at its first byte.
bool DecodeUtf8(std::string_view bytes, std::u32string& out, size_t* errorOffset);

void AppendUtf8(std::string& out, char32_t codePoint);
std::string EncodeUtf8(std::u32string_view text);
std::u16string EncodeUtf16(std::u32string_view text);

// "U+4E00" style, for messages and the variant table's reader.
std::string CodePointLabel(char32_t codePoint);

}  // namespace quillwen::build
