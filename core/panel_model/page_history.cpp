#include "core/panel_model/page_history.h"

#include <utility>

namespace quillwen {

bool PageVisit::SamePage(const PageVisit& other) const {
  if (kind != other.kind) return false;
  if (kind == Kind::kStoredPage) return record == other.record && page == other.page;
  return entry == other.entry && keywords == other.keywords && scope == other.scope &&
         variants == other.variants;
}

void PageHistory::Visit(const PageVisit& visit) {
  const bool left = std::exchange(left_, false);
  if (!left && !visits_.empty() && visits_[current_].SamePage(visit)) {
    visits_[current_] = visit;
    return;
  }
  if (!visits_.empty()) visits_.resize(current_ + 1);
  visits_.push_back(visit);
  if (visits_.size() > kCapacity) visits_.erase(visits_.begin());
  current_ = visits_.size() - 1;
}

void PageHistory::SetCurrentHit(int32_t hit) {
  if (!visits_.empty()) visits_[current_].hit = hit;
}

void PageHistory::Leave() { left_ = !visits_.empty(); }

std::optional<PageVisit> PageHistory::Back() {
  if (!CanGoBack()) return std::nullopt;
  if (!std::exchange(left_, false)) --current_;
  return visits_[current_];
}

std::optional<PageVisit> PageHistory::Forward() {
  if (!CanGoForward()) return std::nullopt;
  left_ = false;
  return visits_[++current_];
}

}  // namespace quillwen
