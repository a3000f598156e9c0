#include "core/search/character_id.h"

#include <gtest/gtest.h>

namespace quillwen {
namespace {

// U+F900..U+FAFF also lies inside U+E000..U+FFFF; the earlier range wins, so the
// code points around it belong to the later one.
TEST(CharacterIdTest, MapsEachRangeAndNothingElse) {
  // clang-format off
  const struct {
    char32_t codePoint;
    int32_t id;
  } cases[] = {
      {0x3400, 0},      {0x9FFF, 27647},  {0xF900, 27904},  {0xFAFF, 28415},  {0x20000, 32512},
      {0x2A6DF, 75231}, {0x2F800, 75232}, {0x2FA1F, 75775}, {0x3042, 75776},  {0x30F6, 75956},
      {0xE000, 75957},  {0xFF1F, 83924},  {0xFFFF, 84148},  {0x4E00, 6656},   {0x3041, -1},
      {0x3000, -1},     {0x0041, -1},     {0x10000, -1},    {0x33FF, -1},     {0xA000, -1},
      {0xF8FF, 82356},  {0xFB00, 82869},     {0x2A6E0, -1},    {0x2F7FF, -1},    {0x2FA20, -1},
      {0x30F7, -1},     {0xDFFF, -1},     {0x10FFFF, -1},   {0x3F, -1},       {0x2A, -1},
  };
  // clang-format on
  for (const auto& c : cases) {
    EXPECT_EQ(CharacterId(c.codePoint), c.id)
        << std::hex << "U+" << static_cast<uint32_t>(c.codePoint);
  }
}

}  // namespace
}  // namespace quillwen
