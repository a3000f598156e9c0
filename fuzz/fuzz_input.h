#pragma once

// The framing every harness reads its input in, and the seed maker writes: a
// field is a 4-byte little-endian length and that many bytes; numbers are 4
// bytes. Input that runs out gives empty fields and zeros, so every byte string
// is some input.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillwen::fuzz {

class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}

  uint32_t Number() {
    uint32_t value = 0;
    for (int i = 0; i < 4 && !rest_.empty(); ++i) {
      value |= uint32_t{static_cast<unsigned char>(rest_.front())} << (8 * i);
      rest_.remove_prefix(1);
    }
    return value;
  }

  std::string_view Field() {
    const size_t length = std::min<size_t>(Number(), rest_.size());
    const std::string_view field = rest_.substr(0, length);
    rest_.remove_prefix(length);
    return field;
  }

  std::string_view Rest() const { return rest_; }

 private:
  std::string_view rest_;
};

inline void AppendNumber(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
}

inline void AppendField(std::string& out, std::string_view field) {
  AppendNumber(out, static_cast<uint32_t>(field.size()));
  out.append(field);
}

}  // namespace quillwen::fuzz
