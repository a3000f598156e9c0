#include "core/store/page_number.h"

#include <climits>
#include <cstdint>

#include "core/store/volume_store_format.h"

namespace quillwen {
namespace {

bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int ParseDecimalLikeAtoi(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsCSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<int64_t>(INT_MAX) + 1) break;  // saturated below
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace

std::optional<int> PageNumberFromEntryName(std::string_view name) {
  const size_t backslash = name.find('\\');
  if (backslash == std::string_view::npos) return std::nullopt;
  const size_t stop = name.find('.', backslash + 1);
  if (stop == std::string_view::npos) return std::nullopt;
  std::string_view digits = name.substr(backslash + 1, stop - backslash - 1);
  if (digits.size() > kMaxPageNumberText) digits = digits.substr(0, kMaxPageNumberText);
  return ParseDecimalLikeAtoi(digits);
}

}  // namespace quillwen
