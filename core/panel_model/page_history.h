#pragma once

// The pages the page view has shown, for going back and forward between them
// as a browser does. A page is named by what shows it again, not by its file:
// the page files are rewritten and reused, so their names say nothing once the
// next page is shown.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/store/page_renderer.h"

namespace quillwen {

struct PageVisit {
  enum class Kind { kStoredPage, kResultPage };
  Kind kind = Kind::kStoredPage;
  // A stored page: the volume record and its page as the slider counts it.
  int32_t record = 0;
  int32_t page = 0;
  // A result page: the index page, the hit shown and the marks it was shown with.
  int32_t entry = 0;
  int32_t hit = 0;
  std::u16string keywords;
  HitScope scope = HitScopeFullText;
  bool variants = true;

  // The same page; the hit shown on it does not count.
  bool SamePage(const PageVisit& other) const;
};

class PageHistory {
 public:
  // Older visits are forgotten past this many.
  static constexpr size_t kCapacity = 500;

  // A page was shown: it becomes the current visit and the visits forward of
  // the old current one are dropped, as in a browser. Showing the current page
  // again only updates it.
  void Visit(const PageVisit& visit);
  // The current visit moved to another hit of its page.
  void SetCurrentHit(int32_t hit);
  // The page view no longer shows the current visit (a new search emptied it):
  // going back shows it again.
  void Leave();

  bool CanGoBack() const { return current_ > 0 || (left_ && !visits_.empty()); }
  bool CanGoForward() const { return current_ + 1 < visits_.size(); }
  // Moves one visit back or forward and returns it; nothing at either end.
  std::optional<PageVisit> Back();
  std::optional<PageVisit> Forward();

  size_t Size() const { return visits_.size(); }

 private:
  std::vector<PageVisit> visits_;
  size_t current_ = 0;  // valid while visits_ is not empty
  bool left_ = false;
};

}  // namespace quillwen
