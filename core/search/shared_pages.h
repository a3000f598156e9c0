#pragma once

// The pages every list of an "and" of terms has, from the lists' page maps
// alone: no term can match a page one of its lists lacks, so only these need
// be matched, term by term. Where the terms are phrases read as pairs, which
// share few pages, they are a small part of even the rarest term's pages.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/search/term_matcher.h"

namespace quillwen {

// The pages, ascending, that every list of every plan has; nothing when some
// list has no page map (the maps are made only for lists long enough to pay),
// or when `tables` has no directories.
std::optional<std::vector<uint32_t>> PagesEveryListHas(std::span<const TermPlan* const> plans,
                                                       const IndexTables& tables);

}  // namespace quillwen
