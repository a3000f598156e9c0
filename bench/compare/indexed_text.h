#pragma once

// The text a collection's full-text index holds for each page, read back from
// the volume store with the reader's own page parser: what another search
// engine must be given to answer the same questions.
//
// A page's text is its blocks (the runs of a paragraph or heading, an
// annotation being a run of its own) in order; white space takes no place.
// Within a block the characters take consecutive positions; the index leaves
// kUnusedPositionsBetweenBlocks unused positions between two blocks, so that no
// term, "?" and "*" included, matches across a border. The positioned text
// marks each border with one kBlockBorder, which stands for those positions.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quillwen::bench {

inline constexpr char32_t kBlockBorder = U'\u0001';

// The characters the comparison's queries are made of, as a reader's are: the
// ideographs the index has identifiers for (CharacterId). Punctuation and kana
// are indexed too, but no query class is about them; a later extension's
// ideograph has no identifier, so a term would leave it out.
inline bool IsIdeograph(char32_t c) {
  return (c >= 0x3400 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0x20000 && c <= 0x2A6DF) || (c >= 0x2F800 && c <= 0x2FA1F);
}

// The positioned text of a stored page: the cell its page number's parity
// names, taken apart into blocks.
std::u32string PositionedTextOfPage(std::string_view storedPage, int pageNumber);

// Every page of the volume store in `folder`, in page-table order. Empty (with
// `error` set) when the store cannot be read.
std::vector<std::u32string> ReadPositionedTexts(const std::filesystem::path& folder,
                                                std::string& error);

// The blocks of a positioned text, in order, none empty. The views point into
// `positioned`.
std::vector<std::u32string_view> BlocksOf(const std::u32string& positioned);

// The positioned text as UTF-8 with each border written as a line feed, which
// no query term holds.
std::string BlocksAsUtf8(const std::u32string& positioned);

}  // namespace quillwen::bench
