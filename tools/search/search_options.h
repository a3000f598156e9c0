#pragma once

// The command line of quillwen-search, and the options a --batch line may carry.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/panel_model/left_form_model.h"

namespace quillwen::tools {

enum class ToolMode { kSearch, kBatch, kRender, kShow, kTree, kHelp };
// --sort: reading, page and places order page rows, reading, left, hit and right
// hit rows.
enum class SortChoice { kReading, kPage, kPlaces, kLeft, kHit, kRight };

struct SearchOptions {
  ToolMode mode = ToolMode::kSearch;
  std::filesystem::path dataFolder;  // empty: LocateCollection looks for one
  SearchMethod method = SearchMethod::kAnd;
  SearchTarget target = SearchTarget::kFullText;
  bool variants = true;              // the check box starts ticked
  std::optional<std::string> range;  // "all", a record number or a path such as 経部\論語
  int64_t listPage = 1;
  bool json = false;
  bool csv = false;
  bool hits = false;  // one row per hit instead of per page
  SortChoice sort = SortChoice::kReading;
  size_t contextChars = kDefaultContextChars;
  std::vector<std::string> words;  // keywords; or ENTRY KEYWORDS; or RECORD [PAGE]
};

// Parses `args` (without the program name) on top of what `options` holds, so a
// batch line starts from the command line's settings. False with `error` set on
// a usage error. Options that only the command line takes (--data, --json, the
// modes) are refused on a batch line.
bool ParseSearchOptions(std::span<const std::string> args, bool batchLine, SearchOptions& options,
                        std::string& error);

// The list's pages are counted in 32 bits, as the reader's paging row counts them.
inline constexpr int64_t kMaxListPage = INT32_MAX;

// `text` as a decimal number from `least` to `most`: all of it, no sign but "-",
// no blanks. False, `value` unchanged, for anything else, a number out of that
// range included.
bool ParseNumber(const std::string& text, int64_t least, int64_t most, int64_t& value);

// Splits a batch line into words at ASCII blanks.
std::vector<std::string> SplitBatchLine(const std::string& line);

extern const char kSearchToolHelp[];

}  // namespace quillwen::tools
