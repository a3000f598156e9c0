#pragma once

// Little-endian integers in byte buffers, as the data files store them.
// Callers check bounds before loading; these helpers only assemble bytes.

#include <cstdint>
#include <string>

namespace quillwen {

inline uint16_t LoadLE16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t LoadLE32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

inline uint64_t LoadLE64(const unsigned char* p) {
  return static_cast<uint64_t>(LoadLE32(p)) | (static_cast<uint64_t>(LoadLE32(p + 4)) << 32);
}

inline uint16_t LoadLE16(const char* p) {
  return LoadLE16(reinterpret_cast<const unsigned char*>(p));
}
inline uint32_t LoadLE32(const char* p) {
  return LoadLE32(reinterpret_cast<const unsigned char*>(p));
}

inline void AppendLE16(std::string& out, uint16_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>(value >> 8));
}

inline void AppendLE32(std::string& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

inline void AppendLE64(std::string& out, uint64_t value) {
  for (int shift = 0; shift < 64; shift += 8)
    out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

}  // namespace quillwen
