#pragma once

// VarNum: the big-endian variable-length numbers of the postings file.
//   0xxxxxxx                     1 byte   0 to 127
//   10xxxxxx xxxxxxxx            2 bytes  0 to 16383
//   11xxxxxx xxxxxxxx xxxxxxxx   3 bytes  0 to 4194303
// Writers use the shortest form; readers accept any.

#include <cstdint>
#include <string>

#include "core/search/index_format.h"

namespace quillwen {

// The number of bytes of the VarNum whose first byte is `first`.
inline constexpr uint32_t VarNumLength(uint8_t first) {
  return first < 0x80 ? 1 : first < 0xC0 ? 2 : 3;
}

// Decodes a VarNum that lies whole at `bytes` (VarNumLength(bytes[0]) bytes).
inline uint32_t DecodeVarNum(const unsigned char* bytes) {
  const uint32_t first = bytes[0];
  if (first < 0x80) return first;
  if (first < 0xC0) return ((first & 0x3F) << 8) | bytes[1];
  return ((first & 0x3F) << 16) | (uint32_t{bytes[1]} << 8) | bytes[2];
}

// The number of bytes the shortest VarNum of `value` (at most kMaxVarNum) takes.
inline constexpr uint32_t EncodedVarNumLength(uint32_t value) {
  return value < 0x80 ? 1 : value < 0x4000 ? 2 : 3;
}

// Appends the shortest VarNum of `value`, which must be at most kMaxVarNum.
inline void AppendVarNumBytes(std::string& out, uint32_t value) {
  if (value < 0x80) {
    out.push_back(static_cast<char>(value));
  } else if (value < 0x4000) {
    out.push_back(static_cast<char>(0x80 | (value >> 8)));
    out.push_back(static_cast<char>(value & 0xFF));
  } else {
    out.push_back(static_cast<char>(0xC0 | (value >> 16)));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
    out.push_back(static_cast<char>(value & 0xFF));
  }
}

}  // namespace quillwen
