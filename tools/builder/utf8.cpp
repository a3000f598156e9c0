#include "tools/builder/utf8.h"

#include <cstdio>

#include "core/encoding/codeconverter.h"

namespace quillwen::build {

std::string EncodeUtf8(std::u32string_view text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (char32_t cp : text) AppendUtf8(out, cp);
  return out;
}

std::u16string EncodeUtf16(std::u32string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char32_t cp : text) AppendUtf16(out, cp);
  return out;
}

std::string CodePointLabel(char32_t codePoint) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(codePoint));
  return buffer;
}

}  // namespace quillwen::build
