#include "core/panel_model/resume_point.h"

#include <algorithm>
#include <charconv>

#include "core/panel_model/reading_rules.h"

namespace quillwen {

std::string ResumeNumberText(int32_t number) { return std::to_string(number); }

std::optional<int32_t> ParseResumeNumber(std::string_view text) {
  if (text.empty()) return std::nullopt;
  int32_t number = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, number);
  // "12abc", " 12" and numbers past 32 bits are someone else's text, not ours.
  if (error != std::errc() || stop != end) return std::nullopt;
  return number;
}

std::optional<ResumePoint> FindResumePoint(const ContentsCatalogue& catalogue,
                                           std::string_view savedRecord, std::string_view savedPage,
                                           const PageIsStored& pageIsStored) {
  const std::optional<int32_t> record = ParseResumeNumber(savedRecord);
  if (!record || *record < 1 || *record >= catalogue.m_nNodeCount) return std::nullopt;
  // The same test the tree selection makes before it shows a volume's page.
  if (!catalogue.TreeChildren(*record).empty() || catalogue.NodeOf(*record) == nullptr)
    return std::nullopt;

  const SliderRange pages = VolumeSliderRange(catalogue.Record(*record));
  ResumePoint point{*record, pages.minimum};
  if (const std::optional<int32_t> page = ParseResumeNumber(savedPage))
    point.page = std::clamp(*page, pages.minimum, pages.maximum);
  if (point.page != pages.minimum && pageIsStored && !pageIsStored(point.record, point.page))
    point.page = pages.minimum;
  return point;
}

}  // namespace quillwen
