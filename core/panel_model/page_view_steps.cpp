#include "core/panel_model/page_view_steps.h"

#include <algorithm>
#include <charconv>

#include "core/panel_model/decimal_text.h"

namespace quillwen {

int StepTextSize(int size, int steps) {
  for (; steps > 0; --steps) {
    const auto larger = std::upper_bound(kTextSizes.begin(), kTextSizes.end(), size);
    size = larger == kTextSizes.end() ? kTextSizes.back() : *larger;
  }
  for (; steps < 0; ++steps) {
    const auto notSmaller = std::lower_bound(kTextSizes.begin(), kTextSizes.end(), size);
    size = notSmaller == kTextSizes.begin() ? kTextSizes.front() : *(notSmaller - 1);
  }
  return size;
}

int TextSizeFromSetting(std::u16string_view text) {
  std::string digits;
  for (const char16_t c : text) {
    if (c < u'0' || c > u'9' || digits.size() > 3) return kStandardTextSize;
    digits.push_back(static_cast<char>(c));
  }
  int size = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), size);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
    return kStandardTextSize;
  if (size < kTextSizes.front() || size > kTextSizes.back()) return kStandardTextSize;
  return size;
}

std::u16string TextSizeSetting(int size) { return DecimalText(size); }

void FindSteps::Reset(int count) {
  count_ = std::max(count, 0);
  current_ = -1;
}

int FindSteps::Next() {
  if (count_ == 0) return -1;
  current_ = current_ + 1 >= count_ ? 0 : current_ + 1;
  return current_;
}

int FindSteps::Previous() {
  if (count_ == 0) return -1;
  current_ = current_ <= 0 ? count_ - 1 : current_ - 1;
  return current_;
}

std::u16string FindSteps::Label() const {
  if (count_ == 0) return kFindNothingFoundText;
  return DecimalText(current_ + 1) + u" / " + DecimalText(count_);
}

}  // namespace quillwen
