#pragma once

// Reading a term's adjacent characters as pairs: where a pair index has the list
// of two characters that stand next to each other in the term, that one list
// replaces theirs. It holds exactly the positions where both stand so, so the
// term's places are the same, read from a list no longer than the shorter of the
// two and usually far shorter: the pages of 明月 rather than every page of 明 and
// of 月.

#include "core/search/pair_index.h"
#include "core/search/term_matcher.h"

namespace quillwen {

// Rewrites `plan`'s lookups: in each run of characters at consecutive query
// positions of one segment, the first and second, third and fourth, ... become
// one lookup of their pair where `pairs` tells that pair (both identifiers
// covered, and for a variant group's identifier, group pairs made with the
// variant table in use); a run of odd length ends with the pair of its last two,
// overlapping the one before. A pair the file covers but has no list for
// becomes a lookup that occurs nowhere. Lookups the file cannot tell stay.
void UsePairLists(TermPlan& plan, const PairIndex& pairs);

}  // namespace quillwen
