#include "core/encoding/codeconverter.h"

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

void AppendUtf8(std::string& target, char32_t cp) {
  if (cp < 0x80) {
    target.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    target.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    target.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    target.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    target.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    target.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    target.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    target.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    target.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    target.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
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

std::u16string Utf8ToUtf16(std::string_view source) {
  std::u16string out;
  out.reserve(source.size());
  size_t i = 0;
  while (i < source.size()) {
    const unsigned char lead = static_cast<unsigned char>(source[i]);
    int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    char32_t cp = length == 1 ? lead : length == 2 ? (lead & 0x1F) : length == 3 ? (lead & 0x0F) : (lead & 0x07);
    bool valid = length != 0 && i + length <= source.size();
    for (int k = 1; valid && k < length; ++k) {
      const unsigned char next = static_cast<unsigned char>(source[i + k]);
      valid = (next & 0xC0) == 0x80;
      cp = (cp << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values beyond U+10FFFF are ill-formed too.
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (valid && (cp < kSmallest[length] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)) valid = false;
    if (!valid) {
      out.push_back(u'\uFFFD');
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += static_cast<size_t>(length);
  }
  return out;
}

}  // namespace quillwen
