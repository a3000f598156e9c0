#include "core/encoding/codeconverter.h"

#include <gtest/gtest.h>

#include <array>

namespace quillwen {
namespace {

struct Utf8Case {
  const char* label;
  std::u16string source;
  Lenient lenient;
  ConversionResult result;
  std::string bytes;
};

class Utf16ToUtf8AppendTest : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf16ToUtf8AppendTest, ConvertsAndReports) {
  const Utf8Case& c = GetParam();
  std::string target;
  EXPECT_EQ(Utf16ToUtf8Append(c.source, target, c.lenient), c.result);
  EXPECT_EQ(target, c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf16ToUtf8AppendTest,
    ::testing::Values(
        Utf8Case{"ascii", u"abc", kLenient, kConversionOk, "abc"},
        Utf8Case{"empty", u"", kStrict, kConversionOk, ""},
        Utf8Case{"two_bytes", u"\u00e9\u07ff", kStrict, kConversionOk, "\xc3\xa9\xdf\xbf"},
        Utf8Case{"ideographic_space", u"\u3000", kStrict, kConversionOk, "\xe3\x80\x80"},
        Utf8Case{"surrogate_pair", u"\U00020000", kStrict, kConversionOk, "\xf0\xa0\x80\x80"},
        Utf8Case{"lone_low_lenient", std::u16string(1, char16_t{0xDC00}), kLenient, kConversionOk,
                 "\xed\xb0\x80"},
        Utf8Case{"lone_low_strict", u"a" + std::u16string(1, char16_t{0xDC00}) + u"b", kStrict,
                 kSourceIllegal, "a"},
        Utf8Case{"high_then_ordinary_lenient", std::u16string{char16_t{0xD800}, u'x'}, kLenient,
                 kConversionOk, "\xed\xa0\x80x"},
        Utf8Case{"high_then_ordinary_strict", std::u16string{char16_t{0xD800}, u'x'}, kStrict,
                 kSourceIllegal, ""},
        Utf8Case{"trailing_high", u"\u6f22" + std::u16string(1, char16_t{0xD840}), kLenient,
                 kSourceExhausted, "\xe6\xbc\xa2"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(Utf16ToUtf8Append, KeepsWhatTheTargetHeld) {
  std::string target;
  Utf16ToUtf8Append(u"\u6f22", target, kLenient);
  Utf16ToUtf8Append(u"\u5b57", target, kLenient);
  EXPECT_EQ(target, "\xe6\xbc\xa2\xe5\xad\x97");
}

TEST(Utf16ToUtf32, StopsWhenTheTargetIsFull) {
  const std::u16string source = u"ab";
  const char16_t* in = source.data();
  std::array<char32_t, 1> target{};
  char32_t* out = target.data();
  EXPECT_EQ(Utf16ToUtf32(&in, source.data() + 2, &out, target.data() + 1, kLenient),
            kTargetExhausted);
  EXPECT_EQ(in, source.data() + 1);
  EXPECT_EQ(out, target.data() + 1);
  EXPECT_EQ(target[0], U'a');
}

TEST(Utf16ToUtf32, ReadsASurrogatePairAsOneCodePoint) {
  const std::u16string source = u"\U0002A6DF\u3000";
  const char16_t* in = source.data();
  std::array<char32_t, 4> target{};
  char32_t* out = target.data();
  EXPECT_EQ(Utf16ToUtf32(&in, source.data() + source.size(), &out, target.data() + 4, kLenient),
            kConversionOk);
  EXPECT_EQ(out - target.data(), 2);
  EXPECT_EQ(target[0], U'\U0002A6DF');
  EXPECT_EQ(target[1], U'\u3000');
}

TEST(Utf16ToUtf32, LeavesTheCursorOnAnIllFormedOrUnfinishedUnit) {
  const std::u16string source{u'a', char16_t{0xDC01}, char16_t{0xD801}};
  std::array<char32_t, 4> target{};

  const char16_t* in = source.data();
  char32_t* out = target.data();
  EXPECT_EQ(Utf16ToUtf32(&in, source.data() + 3, &out, target.data() + 4, kStrict), kSourceIllegal);
  EXPECT_EQ(in, source.data() + 1);

  in = source.data();
  out = target.data();
  EXPECT_EQ(Utf16ToUtf32(&in, source.data() + 3, &out, target.data() + 4, kLenient),
            kSourceExhausted);
  EXPECT_EQ(in, source.data() + 2);
  EXPECT_EQ(target[1], char32_t{0xDC01});
}

}  // namespace
}  // namespace quillwen

namespace quillwen {
namespace {

TEST(Utf8ToUtf16, DecodesAndReplacesIllFormedBytes) {
  struct Case {
    std::string bytes;
    std::u16string text;
  };
  const Case cases[] = {
      {"abc", u"abc"},
      {"\xe6\xbc\xa2\xe5\xad\x97", u"漢字"},
      {"\xf0\xa0\x80\x80", u"\U00020000"},
      {"\xc3\xa9", u"\u00e9"},
      {"\xff", u"\uFFFD"},
      {"\xe6\xbc", u"\uFFFD\uFFFD"},            // cut short at the end
      {"\xc0\xaf", u"\uFFFD\uFFFD"},            // overlong
      {"\xed\xa0\x80", u"\uFFFD\uFFFD\uFFFD"},  // a surrogate
      {"\xe6x\xa2", u"\uFFFDx\uFFFD"},
  };
  for (const Case& c : cases) EXPECT_EQ(Utf8ToUtf16(c.bytes), c.text) << c.bytes;
  // Round trip through the other direction.
  EXPECT_EQ(ToUtf8(Utf8ToUtf16("論語\xe3\x80\x80學而")), "論語\xe3\x80\x80學而");
}

}  // namespace
}  // namespace quillwen
