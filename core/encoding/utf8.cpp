#include "core/encoding/utf8.h"

namespace quillwen {

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

Utf8Char DecodeUtf8At(std::string_view bytes, size_t offset) {
  Utf8Char c;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const unsigned char lead = p[offset];
  if (lead < 0x80) return {lead, 1, true};
  size_t length = 0;
  char32_t cp = 0;
  char32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, cp = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, cp = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, cp = lead & 0x07, minimum = 0x10000;
  } else {
    return c;
  }
  if (length > bytes.size() - offset) return c;
  for (size_t k = 1; k < length; ++k) {
    if ((p[offset + k] & 0xC0) != 0x80) return c;
    cp = (cp << 6) | (p[offset + k] & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return c;
  return {cp, length, true};
}

bool DecodeUtf8(std::string_view bytes, std::u32string& out, size_t* errorOffset) {
  out.clear();
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    const Utf8Char c = DecodeUtf8At(bytes, i);
    if (!c.valid) {
      *errorOffset = i;
      return false;
    }
    out.push_back(c.codePoint);
    i += c.length;
  }
  return true;
}

}  // namespace quillwen
