#pragma once

// Just enough JSON for the search tool's answers: objects, arrays, strings and
// numbers, written in one pass without a document tree.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace quillwen::tools {

class JsonWriter {
 public:
  JsonWriter& BeginObject() { return Open('{'); }
  JsonWriter& EndObject() { return Close('}'); }
  JsonWriter& BeginArray() { return Open('['); }
  JsonWriter& EndArray() { return Close(']'); }
  JsonWriter& Key(std::string_view key);
  // Each byte that does not belong to a well-formed UTF-8 character (a command
  // line may carry any bytes) is written as U+FFFD, escaped: the output stays
  // valid JSON.
  JsonWriter& String(std::string_view utf8);
  JsonWriter& Number(int64_t value);
  JsonWriter& Number(double value);

  const std::string& Text() const { return text_; }
  // The text written since the last call, handed out so that a long document
  // can be streamed; the writer carries on where it stands.
  std::string TakeText() { return std::exchange(text_, std::string()); }

 private:
  JsonWriter& Open(char bracket);
  JsonWriter& Close(char bracket);
  void Separate();

  std::string text_;
  bool needComma_ = false;
};

}  // namespace quillwen::tools
