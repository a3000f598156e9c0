#pragma once

// Conversions from the UTF-16 wide strings of queries and names to the UTF-8
// bytes of stored pages and to the code points the index is keyed by.

#include <cstdint>
#include <string>
#include <string_view>

namespace quillwen {

enum ConversionResult : uint8_t {
  kConversionOk = 0,     // the whole source was converted
  kSourceExhausted = 1,  // a high surrogate is the last unit; it is not consumed
  kTargetExhausted = 2,  // the unit that did not fit is not consumed
  kSourceIllegal = 3,    // strict mode only: an unpaired surrogate, not consumed
};

// Strict stops at an unpaired surrogate; lenient converts it as a code point of
// its own value. Every caller in the program is lenient.
enum Lenient : uint8_t { kStrict = 0, kLenient = 1 };

// Appends the UTF-8 form of `source` to `target`, keeping what `target` held.
// Returns kConversionOk, kSourceExhausted or kSourceIllegal.
ConversionResult Utf16ToUtf8Append(std::u16string_view source, std::string& target,
                                   Lenient lenient);

// Converts from *sourceCursor up to sourceEnd into *targetCursor up to targetEnd,
// advancing both cursors past what was converted.
ConversionResult Utf16ToUtf32(const char16_t** sourceCursor, const char16_t* sourceEnd,
                              char32_t** targetCursor, char32_t* targetEnd, Lenient lenient);

// Convenience for callers that want the whole text: a lenient conversion into a
// fresh string (a trailing high surrogate is dropped).
std::string ToUtf8(std::u16string_view source);

// Appends `codePoint` in UTF-16: one unit up to U+FFFF (lone surrogates too), a
// pair above. REQUIRES: codePoint <= U+10FFFF.
void AppendUtf16(std::u16string& out, char32_t codePoint);

// UTF-8 text from outside the program (command lines, files) as a wide string.
// Ill-formed bytes become U+FFFD; nothing is read past the end.
std::u16string Utf8ToUtf16(std::string_view source);

}  // namespace quillwen
