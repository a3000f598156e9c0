#pragma once

// The queries of the comparison, class by class: some chosen from the
// collection's character and n-gram frequencies, so that every collection gets
// common and rare ones, and some that readers of classical poetry type.

#include <string>
#include <vector>

#include "bench/compare/query_case.h"

namespace quillwen::bench {

// `pages` are the positioned texts of every page. Queries come grouped by
// class, in the order the report shows them.
std::vector<QueryCase> ChooseQueries(const std::vector<std::u32string>& pages);

}  // namespace quillwen::bench
