#include "core/search/shared_pages.h"

#include <algorithm>
#include <bit>
#include <memory>

#include "core/search/directory_cache.h"

namespace quillwen {

std::optional<std::vector<uint32_t>> PagesEveryListHas(std::span<const TermPlan* const> plans,
                                                       const IndexTables& tables) {
  if (tables.directories == nullptr) return std::nullopt;
  // Held while their words are read: a cache may let a directory go meanwhile.
  std::vector<std::shared_ptr<const BlockDirectory>> directories;
  for (const TermPlan* plan : plans) {
    for (const TermLookup& lookup : plan->lookups) {
      std::shared_ptr<const BlockDirectory> directory = LookupDirectory(lookup, tables);
      if (!directory->pageMap) return std::nullopt;
      directories.push_back(std::move(directory));
    }
  }
  if (directories.empty()) return std::nullopt;
  size_t words = SIZE_MAX;
  for (const auto& directory : directories)
    words = std::min(words, directory->pageMap->Words().size());
  std::vector<uint32_t> pages;
  for (size_t word = 0; word < words; ++word) {
    uint64_t shared = ~uint64_t{0};
    for (const auto& directory : directories) {
      shared &= directory->pageMap->Words()[word];
      if (shared == 0) break;
    }
    for (; shared != 0; shared &= shared - 1)
      pages.push_back(static_cast<uint32_t>(word * 64 + std::countr_zero(shared)));
  }
  return pages;
}

}  // namespace quillwen
