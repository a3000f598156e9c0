#pragma once

// The comparison's tables on stdout: each query's best time for ours and for
// every peer that answered it, and per class the geometric means of ours over
// each peer and over the fastest peer that found the same pages.

#include <vector>

#include "bench/compare/query_case.h"

namespace quillwen::bench {

void PrintReport(const std::vector<QueryCase>& queries, int repetitions);

}  // namespace quillwen::bench
