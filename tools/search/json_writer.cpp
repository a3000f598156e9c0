#include "tools/search/json_writer.h"

#include <cstdio>

#include "core/encoding/utf8.h"

namespace quillwen::tools {

void JsonWriter::Separate() {
  if (needComma_) text_.push_back(',');
  needComma_ = false;
}

JsonWriter& JsonWriter::Open(char bracket) {
  Separate();
  text_.push_back(bracket);
  return *this;
}

JsonWriter& JsonWriter::Close(char bracket) {
  text_.push_back(bracket);
  needComma_ = true;
  return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key) {
  String(key);
  text_.push_back(':');
  needComma_ = false;
  return *this;
}

JsonWriter& JsonWriter::String(std::string_view utf8) {
  Separate();
  text_.push_back('"');
  for (size_t at = 0; at < utf8.size();) {
    const char c = utf8[at];
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte >= 0x80) {
      const Utf8Char character = DecodeUtf8At(utf8, at);
      if (character.valid)
        text_.append(utf8.substr(at, character.length));
      else
        text_ += "\\ufffd";
      at += character.length;
      continue;
    }
    if (c == '"' || c == '\\') {
      text_.push_back('\\');
      text_.push_back(c);
    } else if (byte < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", byte);
      text_ += escape;
    } else {
      text_.push_back(c);
    }
    ++at;
  }
  text_.push_back('"');
  needComma_ = true;
  return *this;
}

JsonWriter& JsonWriter::Number(int64_t value) {
  Separate();
  text_ += std::to_string(value);
  needComma_ = true;
  return *this;
}

JsonWriter& JsonWriter::Number(double value) {
  Separate();
  char number[32];
  std::snprintf(number, sizeof number, "%.6g", value);
  text_ += number;
  needComma_ = true;
  return *this;
}

}  // namespace quillwen::tools
