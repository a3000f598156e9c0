#include "core/encoding/codeconverter.h"

#include "core/encoding/utf8.h"

namespace quillwen {
namespace {

constexpr bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Reads one code point at `cursor`. On success sets `codePoint` and `units` (1 or 2)
// and returns kConversionOk; otherwise returns why nothing could be read.
ConversionResult DecodeOne(const char16_t* cursor, const char16_t* end, Lenient lenient,
                           char32_t& codePoint, int& units) {
  const char16_t unit = *cursor;
  units = 1;
  codePoint = unit;
  if (IsHighSurrogate(unit)) {
    if (cursor + 1 == end) return kSourceExhausted;
    const char16_t next = cursor[1];
    if (IsLowSurrogate(next)) {
      codePoint = (static_cast<char32_t>(unit - 0xD800) << 10) + (next - 0xDC00) + 0x10000;
      units = 2;
    } else if (lenient == kStrict) {
      return kSourceIllegal;
    }
  } else if (IsLowSurrogate(unit) && lenient == kStrict) {
    return kSourceIllegal;
  }
  return kConversionOk;
}

}  // namespace

ConversionResult Utf16ToUtf8Append(std::u16string_view source, std::string& target,
                                   Lenient lenient) {
  target.reserve(target.size() + 4 * source.size());
  const char16_t* cursor = source.data();
  const char16_t* const end = cursor + source.size();
  while (cursor != end) {
    char32_t codePoint;
    int units;
    const ConversionResult result = DecodeOne(cursor, end, lenient, codePoint, units);
    if (result != kConversionOk) return result;
    AppendUtf8(target, codePoint);
    cursor += units;
  }
  return kConversionOk;
}

ConversionResult Utf16ToUtf32(const char16_t** sourceCursor, const char16_t* sourceEnd,
                              char32_t** targetCursor, char32_t* targetEnd, Lenient lenient) {
  const char16_t* cursor = *sourceCursor;
  char32_t* out = *targetCursor;
  ConversionResult result = kConversionOk;
  while (cursor != sourceEnd) {
    char32_t codePoint;
    int units;
    result = DecodeOne(cursor, sourceEnd, lenient, codePoint, units);
    if (result != kConversionOk) break;
    if (out == targetEnd) {
      result = kTargetExhausted;
      break;
    }
    *out++ = codePoint;
    cursor += units;
  }
  *sourceCursor = cursor;
  *targetCursor = out;
  return result;
}

std::string ToUtf8(std::u16string_view source) {
  std::string bytes;
  Utf16ToUtf8Append(source, bytes, kLenient);
  return bytes;
}

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp >= 0x10000) {
    out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(cp));
  }
}

std::u16string Utf8ToUtf16(std::string_view source) {
  std::u16string out;
  out.reserve(source.size());
  for (size_t i = 0; i < source.size();) {
    const Utf8Char c = DecodeUtf8At(source, i);
    i += c.length;
    AppendUtf16(out, c.valid ? c.codePoint : U'\uFFFD');
  }
  return out;
}

}  // namespace quillwen
