#pragma once

// UTF-8 at the level of code points: the one encoder and decoder that the code
// converter, the collection builder and the tools share.

#include <cstddef>
#include <string>
#include <string_view>

namespace quillwen {

// Appends the UTF-8 bytes of `codePoint` (1 to 4; lone surrogates take 3).
void AppendUtf8(std::string& out, char32_t codePoint);

// One character read at `offset` of `bytes`: its code point and byte length, or
// valid = false (length 1) for a malformed, cut-off, overlong or surrogate
// sequence or a value beyond U+10FFFF. Never reads past the end.
struct Utf8Char {
  char32_t codePoint = 0;
  size_t length = 1;
  bool valid = false;
};
Utf8Char DecodeUtf8At(std::string_view bytes, size_t offset);

// Decodes all of `bytes` strictly. On the first ill-formed sequence returns false
// with *errorOffset at its first byte.
bool DecodeUtf8(std::string_view bytes, std::u32string& out, size_t* errorOffset);

}  // namespace quillwen
