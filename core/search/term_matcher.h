#pragma once

// Matching one normalised term against the posting lists of an open index: the
// term's pages in ascending order, each with the number of places on it.
//
// Each looked-up character of the term has a cursor on its posting list (or its
// variant group's). A cursor's aligned position A = position + P - q - 1 (q its
// query position, P the term's count of query positions) is the same for every
// character of one occurrence of a segment. A place is an occurrence of the first
// segment that has characters, from which every later segment with characters can
// be reached: each begins after the end of the one before, with at most 300
// characters between them beyond the wildcard positions between them.
//
// A page can hold a place only when every looked-up character's list has it, so
// the lists are intersected first, rarest first: the rarest list proposes a page,
// the others skip to it (PostingCursor::SkipTo, through their block directories)
// and any that has no entry there proposes its next page instead. When every
// list has a page map, the pages they all share come from the maps' bits, 64
// pages a word, and the cursors go to those only, unless the residues of the
// positions there, which the maps keep, show that no place can be on the page.
// Positions are read only on pages every list has, in term order, as before.

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "core/search/pair_index.h"
#include "core/search/posting_cursor.h"

namespace quillwen {

class DirectoryCache;
class VariantTable;

// What a lookup reads: the list of its identifier in the index set, or a pair
// index's list of two identifiers standing next to each other, which is where
// the first of them has a position followed by the second (UsePairLists).
enum class LookupKind : uint8_t {
  kIdentifier,
  kPair,
  // A pair the pair index covers but holds no list for: it occurs nowhere.
  kAbsentPair,
};

struct TermLookup {
  uint32_t id = 0;             // identifier (character or variant group); a pair's first
  uint32_t queryPosition = 0;  // q: of the pair's first character
  uint32_t segment = 0;        // segments are numbered from 0 and closed by "*"
  LookupKind kind = LookupKind::kIdentifier;
  uint32_t secondId = 0;  // a pair's second identifier
  PairList pairList{};    // a pair's list (kPair)
};

struct TermPlan {
  std::vector<TermLookup> lookups;  // the looked-up characters, in term order
  uint32_t queryPositions = 0;      // P
};

// The plan of a normalised term: characters without identifier are dropped, "?"
// and "？" take a query position each, every other character is looked up, under
// its variant group's identifier when `variants` is given and has one for it.
TermPlan PlanTerm(std::u16string_view normalisedTerm, const VariantTable* variants);

// The tables of an open index, 100000 entries each, and its postings.
struct IndexTables {
  const uint32_t* firstBlock = nullptr;
  const uint32_t* lastPage = nullptr;
  PostingSource postings;
  // The lists' block directories, which also tell their sizes. Without them the
  // lists are intersected in term order and skipped header by header.
  const DirectoryCache* directories = nullptr;
  // The pair index of the set, which the lookups of kind kPair read.
  const PairIndex* pairs = nullptr;
};

struct TermMatch {
  // False when the term has no cursors: it has no looked-up character, or one of
  // them has no posting list.
  bool hasCursors = false;
  std::vector<uint32_t> pages;        // T, ascending
  std::vector<uint32_t> placeCounts;  // C, parallel to pages
  uint64_t postingBytes = 0;          // bytes of the lists the cursors walked through
  bool damagedList = false;           // a list failed a check; matching ended there
  // A pair index's list failed a check: the match may lack pages, and the term
  // is to be matched again without the pair index.
  bool damagedPairList = false;
};

// `recycled`, a match no longer wanted, lends the new one its memory.
TermMatch MatchTerm(const TermPlan& plan, const IndexTables& tables, TermMatch recycled = {});

// MatchTerm restricted to `candidates` (ascending): the term's pages among them.
// The pages outside the candidates are not looked at. What an "and" of terms
// needs once an earlier term has named the only pages that can remain.
TermMatch MatchTermOn(const TermPlan& plan, const IndexTables& tables,
                      std::span<const uint32_t> candidates);

// Whether every lookup of the plan has a list: a term with a character the index
// set has no list for, or a pair that occurs nowhere, matches no page.
bool AllListsThere(const TermPlan& plan, const IndexTables& tables);

// The directory of the list a lookup reads (REQUIRES: the lookup has a list, and
// `tables` has directories).
std::shared_ptr<const BlockDirectory> LookupDirectory(const TermLookup& lookup,
                                                      const IndexTables& tables);

// The most pages the term can match: the page count of its rarest list, 0 when a
// list is missing or the term has nothing to look up, UINT32_MAX when `tables`
// has no directories to tell.
uint32_t TermPageBound(const TermPlan& plan, const IndexTables& tables);

}  // namespace quillwen
