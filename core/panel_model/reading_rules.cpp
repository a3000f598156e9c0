#include "core/panel_model/reading_rules.h"

#include <algorithm>
#include <cstdio>

#include "core/panel_model/decimal_text.h"

namespace quillwen {
namespace {

const CatalogueRecord& Current(const ReadingState& state) {
  return state.catalogue->Record(state.curNode);
}

}  // namespace

bool CanGoToPreviousPage(const ReadingState& state) {
  return int64_t{state.curPage} - Current(state).curFileName >= 1;
}

bool CanGoToNextPage(const ReadingState& state) {
  if (state.curNode == 0) return false;
  const CatalogueRecord& volume = Current(state);
  // In 64 bits: a damaged docNo below 1 has no next page rather than all of them.
  const int64_t offset = int64_t{state.curPage} - volume.curFileName + 1;
  return offset >= 0 && offset < volume.docNo;
}

int NextVolumeRecord(const ReadingState& state) {
  if (state.curNode == 0) return 0;
  for (int record = state.curNode + 1; record < state.catalogue->m_nNodeCount; ++record) {
    if (state.catalogue->Record(record).level == 3) return record;
  }
  return 0;
}

int PreviousVolumeRecord(const ReadingState& state) {
  if (state.curNode == 0) return 0;
  for (int record = state.curNode - 1; record >= 1; --record) {
    if (state.catalogue->Record(record).level == 3) return record;
  }
  return 0;
}

bool CanGoToNextVolume(const ReadingState& state) { return NextVolumeRecord(state) != 0; }
bool CanGoToPreviousVolume(const ReadingState& state) { return PreviousVolumeRecord(state) != 0; }
bool CanGoToPreviousHit(const ReadingState& state) {
  return int64_t{state.curHit} - 1 >= 0 || state.resultRowBefore;
}
bool CanGoToNextHit(const ReadingState& state) {
  return int64_t{state.curHit} + 1 < state.hitCount || state.resultRowAfter;
}

std::string HitFragment(int32_t hit) {
  char fragment[24];
  std::snprintf(fragment, sizeof fragment, "#%04d", hit);
  return fragment;
}

std::u16string PageLabelText(int32_t curPage, int32_t lastPage) {
  return DecimalText(curPage) + u"/" + DecimalText(lastPage);
}

SliderRange VolumeSliderRange(const CatalogueRecord& volume) {
  const int64_t last = int64_t{volume.curFileName} + volume.docNo - 1;
  return {volume.curFileName, static_cast<int32_t>(std::max<int64_t>(
                                  volume.curFileName, std::min<int64_t>(last, INT32_MAX)))};
}

}  // namespace quillwen
