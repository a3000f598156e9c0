#pragma once

// The page view's reading aids without widgets: the text size steps the zoom
// commands walk, and the stepping through the matches of a find in the page
// shown, with the "n / N" its bar shows.

#include <array>
#include <string>
#include <string_view>

namespace quillwen {

// Point sizes of the page text. The standard size is the one the page view
// has always shown its pages in.
inline constexpr int kStandardTextSize = 13;
inline constexpr std::array<int, 16> kTextSizes = {8,  9,  10, 11, 12, 13, 14, 16,
                                                   18, 20, 22, 24, 28, 32, 36, 40};

// The next size up (`steps` > 0) or down (< 0) from `size`, stopping at the
// smallest and largest sizes; a size between two steps moves to the nearer
// step in that direction. Zero steps keep the size.
int StepTextSize(int size, int steps);

// A remembered text size as written in the settings store: the standard size
// when the text is empty, not a number, or outside the sizes offered.
int TextSizeFromSetting(std::u16string_view text);
std::u16string TextSizeSetting(int size);

inline constexpr char16_t kFindNothingFoundText[] = u"見つかりません";

// Which of a page's find matches is current. After Reset none is; the first
// step forward goes to the first match, the first step back to the last, and
// both directions wrap around at the ends.
class FindSteps {
 public:
  void Reset(int count);
  int Count() const { return count_; }
  // 0-based; -1 when no match is current.
  int Current() const { return current_; }
  // The match that is current after the step; -1 when there are none.
  int Next();
  int Previous();
  // "3 / 12" (1-based); "0 / 12" before the first step; kFindNothingFoundText
  // when there is no match.
  std::u16string Label() const;

 private:
  int count_ = 0;
  int current_ = -1;
};

}  // namespace quillwen
