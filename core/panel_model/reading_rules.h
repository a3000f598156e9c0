#pragma once

// When the reading commands are available and where they lead, as plain
// functions of the panel's reading state. "first" is the current volume's
// curFileName and "count" its docNo; record 0 reads as all zeros.

#include <cstdint>
#include <string>

#include "core/panel_model/contents_catalogue.h"

namespace quillwen {

struct ReadingState {
  const ContentsCatalogue* catalogue = nullptr;
  int32_t curNode = 0;   // m_nCurNode
  int32_t curPage = 0;   // m_nCurPage
  int32_t hitCount = 0;  // m_nHitCount
  int32_t curHit = 0;    // m_nCurHit
  // Whether the result list has a row before / after the row whose result page
  // the hit commands step through: they go on to its page past the page's hits.
  bool resultRowBefore = false;
  bool resultRowAfter = false;
};

// Previous page: m_nCurPage - first >= 1.
bool CanGoToPreviousPage(const ReadingState& state);
// Next page: a volume is shown and m_nCurPage - first + 1 < count, unsigned.
bool CanGoToNextPage(const ReadingState& state);
// The first volume record after / before the current one; 0 when there is none
// or no volume is shown.
int NextVolumeRecord(const ReadingState& state);
int PreviousVolumeRecord(const ReadingState& state);
bool CanGoToNextVolume(const ReadingState& state);
bool CanGoToPreviousVolume(const ReadingState& state);
// A hit before / after the current one on the result page, or a result row
// before / after the page's own.
bool CanGoToPreviousHit(const ReadingState& state);
bool CanGoToNextHit(const ReadingState& state);

// "#0003" for hit 3.
std::string HitFragment(int32_t hit);

// The page label: "%d/%d" with m_nCurPage and the volume's last page, both as
// the slider counts them, so that the reader sees how long the volume is.
std::u16string PageLabelText(int32_t curPage, int32_t lastPage);

// The slider of the current volume: its pages first .. first + count - 1.
struct SliderRange {
  int32_t minimum = 0;
  int32_t maximum = 0;
};
SliderRange VolumeSliderRange(const CatalogueRecord& volume);

inline constexpr char16_t kLastVolumeMessage[] = u"もう最後の巻まで至りました。";
inline constexpr char16_t kFirstVolumeMessage[] = u"これ以上戻れません。もう巻一に至っています。";

}  // namespace quillwen
