// A postings file, its NextBlock table and up to three lists' first blocks and
// last pages, all of arbitrary bytes: every cursor walk, skip and survey, and a
// term matched over them as phrase, with '?' and with '*'.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/search/directory_cache.h"
#include "core/search/index_format.h"
#include "core/search/posting_cursor.h"
#include "core/search/term_matcher.h"
#include "fuzz/fuzz_input.h"

namespace {

using namespace quillwen;

// Every walk a query makes of one list, compared where two must agree.
void WalkList(const PostingSource& source, uint32_t firstBlock, uint32_t lastPage) {
  for (const PageMaps pageMaps : {PageMaps::kNone, PageMaps::kForEveryList}) {
    const BlockDirectory directory = PostingCursor::Survey(source, firstBlock, lastPage, pageMaps);
    PostingCursor walk;
    PostingCursor skip;
    if (!walk.Start(source, firstBlock, lastPage) ||
        !skip.Start(source, firstBlock, lastPage, &directory))
      continue;
    uint32_t pages = 1;
    while (!walk.AtLastPage() && pages < 100000) {
      if (walk.PositionBytesLeft() > 0 && pages % 2 == 0) {
        if (!walk.NextPosition()) break;
      } else if (pages % 3 == 0 && walk.CountPositions() < 0) {
        break;
      }
      if (!walk.NextPage()) break;
      ++pages;
      // A skip through the directory lands where the walk stands.
      if (pages % 5 == 0) {
        if (!skip.SkipTo(walk.Page())) __builtin_trap();
        if (skip.Page() != walk.Page()) __builtin_trap();
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput input(data, size);
  const uint32_t options = input.Number();
  const std::string_view table = input.Field();
  std::vector<uint32_t> nextBlock(table.size() / 4);
  for (size_t i = 0; i < nextBlock.size(); ++i) {
    fuzz::FuzzInput entry(reinterpret_cast<const uint8_t*>(table.data()) + 4 * i, 4);
    nextBlock[i] = entry.Number();
  }
  static std::vector<uint32_t> firstBlock(kIdentifierCount, kNoBlock);
  static std::vector<uint32_t> lastPage(kIdentifierCount, 0);
  const uint32_t lists = 1 + options % 3;
  for (uint32_t id = 0; id < lists; ++id) {
    firstBlock[id] = input.Number();
    lastPage[id] = input.Number();
  }
  const std::string_view postings = input.Rest();
  const PostingSource source{
      reinterpret_cast<const unsigned char*>(postings.data()), postings.size(), nextBlock.data(),
      static_cast<uint32_t>(nextBlock.size()), BlockCountOf(postings.size())};
  for (uint32_t id = 0; id < lists; ++id) WalkList(source, firstBlock[id], lastPage[id]);

  // The lists as the characters of one term: contiguous, with a '?' before the
  // last, or with a '*' before it.
  TermPlan plan;
  const uint32_t shape = options / 3 % 3;
  for (uint32_t id = 0; id < lists; ++id) {
    const bool last = id + 1 == lists && id > 0;
    if (last && shape == 1) ++plan.queryPositions;
    plan.lookups.push_back({id, plan.queryPositions, last && shape == 2 ? 1u : 0u});
    ++plan.queryPositions;
  }
  const DirectoryCache directories;
  IndexTables tables{firstBlock.data(), lastPage.data(), source, &directories};
  const TermMatch match = MatchTerm(plan, tables);
  if (!std::is_sorted(match.pages.begin(), match.pages.end())) __builtin_trap();
  tables.directories = nullptr;
  const TermMatch plain = MatchTerm(plan, tables);
  // With or without directories the intact pages and their places agree; damage
  // may end one sooner.
  if (!match.damagedList && !plain.damagedList &&
      (match.pages != plain.pages || match.placeCounts != plain.placeCounts))
    __builtin_trap();
  for (uint32_t id = 0; id < lists; ++id) firstBlock[id] = kNoBlock;
  return 0;
}
