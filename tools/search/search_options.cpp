#include "tools/search/search_options.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <utility>

#include "core/encoding/utf8.h"

namespace quillwen::tools {
namespace {

bool ParseTarget(const std::string& text, SearchTarget& target) {
  if (text == "full")
    target = SearchTarget::kFullText;
  else if (text == "main")
    target = SearchTarget::kMainText;
  else if (text == "annotations")
    target = SearchTarget::kAnnotations;
  else
    return false;
  return true;
}

}  // namespace

bool ParseNumber(const std::string& text, int64_t least, int64_t most, int64_t& value) {
  int64_t number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size() || number < least || number > most)
    return false;
  value = number;
  return true;
}

const char kSearchToolHelp[] =
    "Usage: quillwen-search [OPTIONS] KEYWORDS...\n"
    "  or:   quillwen-search [OPTIONS] --batch < searches.txt\n"
    "  or:   quillwen-search [OPTIONS] --render ENTRY KEYWORDS...\n"
    "  or:   quillwen-search [--data DIR] --show RECORD [PAGE]\n"
    "  or:   quillwen-search [--data DIR] --tree\n"
    "\n"
    "Searches a Quillwen collection as the reader's search tab does and prints the\n"
    "summary line and the rows of one list page (category, book, volume, page within\n"
    "the volume, places), tab-separated.\n"
    "\n"
    "Options:\n"
    "  --data DIR           the collection's folder (default: see Collection below)\n"
    "  --and, --or          how the keywords combine (default: --and)\n"
    "  --target T           full, main or annotations (default: full)\n"
    "  --no-variants        count variant characters as different (default: as the same)\n"
    "  --range R            all, a record number or a contents path such as\n"
    "                       経部\\論語 (default: all, the whole collection)\n"
    "  --list-page N        which page of 100 rows to print (default: 1)\n"
    "  --sort S             the rows' order: reading (the collection's order), page\n"
    "                       (page within the volume) or places (most first); with\n"
    "                       --hits also left, hit or right (by that context)\n"
    "  --hits               one row per hit: entry, category, book, volume, page, the\n"
    "                       text before the hit, the hit, the text after it\n"
    "  --context N          characters of text on each side of a hit (default: 12)\n"
    "  --json               print the whole result as JSON\n"
    "  --csv                print the whole result as CSV, as the reader saves it\n"
    "  --batch              read one search per line from standard input (keywords,\n"
    "                       optionally preceded by --and/--or, --target, --no-variants,\n"
    "                       --variants, --range) and answer each with one line of JSON\n"
    "  --render ENTRY       write the result page of page entry ENTRY (0-based) with\n"
    "                       every hit marked and anchored to standard output\n"
    "  --show RECORD [PAGE] write a stored page of a volume (default: its first page)\n"
    "  --tree               print the contents tree with record numbers\n"
    "  --help               show this text\n"
    "\n"
    "Collection:\n"
    "  Without --data the first of these folders that holds mvr.dir: this program's\n"
    "  folder, $QUILLWEN_DATA, $XDG_DATA_HOME/quillwen (default ~/.local/share/quillwen),\n"
    "  each of $XDG_DATA_DIRS (default /usr/local/share:/usr/share) with /quillwen.\n"
    "  quillwen-build SOURCE ~/.local/share/quillwen builds one there.\n"
    "\n"
    "Exit status: 0 when the command ran (also with no rows), 1 when a message was\n"
    "shown (on standard error), 2 on a usage error.\n";

bool ParseSearchOptions(std::span<const std::string> args, bool batchLine, SearchOptions& options,
                        std::string& error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) {
        error = arg + " needs a value";
        return false;
      }
      out = args[++i];
      return true;
    };
    auto commandLineOnly = [&] {
      if (batchLine) error = arg + " is not taken on a batch line";
      return !batchLine;
    };
    std::string text;
    if (arg == "--") {
      options.words.insert(options.words.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                           args.end());
      break;
    } else if (arg == "--and") {
      options.method = SearchMethod::kAnd;
    } else if (arg == "--or") {
      options.method = SearchMethod::kOr;
    } else if (arg == "--variants") {
      options.variants = true;
    } else if (arg == "--no-variants") {
      options.variants = false;
    } else if (arg == "--target") {
      if (!value(text)) return false;
      if (!ParseTarget(text, options.target)) {
        error = "--target takes full, main or annotations, not " + text;
        return false;
      }
    } else if (arg == "--range") {
      if (!value(text)) return false;
      options.range = text;
    } else if (arg == "--sort") {
      if (!value(text)) return false;
      static const std::pair<const char*, SortChoice> kSorts[] = {
          {"reading", SortChoice::kReading}, {"page", SortChoice::kPage},
          {"places", SortChoice::kPlaces},   {"left", SortChoice::kLeft},
          {"hit", SortChoice::kHit},         {"right", SortChoice::kRight}};
      const auto* found = std::find_if(std::begin(kSorts), std::end(kSorts),
                                       [&](const auto& sort) { return text == sort.first; });
      if (found == std::end(kSorts)) {
        error = "--sort takes reading, page, places, left, hit or right, not " + text;
        return false;
      }
      options.sort = found->second;
    } else if (arg == "--context") {
      if (!value(text)) return false;
      int64_t chars = 0;
      if (!ParseNumber(text, 0, 1000, chars)) {
        error = "--context takes a number from 0 to 1000, not " + text;
        return false;
      }
      options.contextChars = static_cast<size_t>(chars);
    } else if (arg == "--list-page") {
      if (!value(text)) return false;
      if (!ParseNumber(text, 1, kMaxListPage, options.listPage)) {
        error = "--list-page takes a number from 1 to " + std::to_string(kMaxListPage) + ", not " +
                text;
        return false;
      }
    } else if (arg == "--data" || arg == "--json" || arg == "--csv" || arg == "--hits" ||
               arg == "--batch" || arg == "--render" || arg == "--show" || arg == "--tree" ||
               arg == "--help") {
      if (!commandLineOnly()) return false;
      if (arg == "--data") {
        if (!value(text)) return false;
        options.dataFolder = text;
      } else if (arg == "--json") {
        options.json = true;
      } else if (arg == "--csv") {
        options.csv = true;
      } else if (arg == "--hits") {
        options.hits = true;
      } else {
        options.mode = arg == "--batch"    ? ToolMode::kBatch
                       : arg == "--render" ? ToolMode::kRender
                       : arg == "--show"   ? ToolMode::kShow
                       : arg == "--tree"   ? ToolMode::kTree
                                           : ToolMode::kHelp;
      }
    } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
      error = "unknown option " + arg;
      return false;
    } else {
      options.words.push_back(arg);
    }
  }
  // A keyword that is not text would be searched as replacement characters and
  // find nothing without a word.
  for (size_t k = 0; k < options.words.size(); ++k) {
    std::u32string decoded;
    size_t at = 0;
    if (!DecodeUtf8(options.words[k], decoded, &at)) {
      error = "keyword " + std::to_string(k + 1) + " is not UTF-8 text (byte " +
              std::to_string(at + 1) + ")";
      return false;
    }
  }
  return true;
}

std::vector<std::string> SplitBatchLine(const std::string& line) {
  std::vector<std::string> words;
  size_t start = 0;
  for (size_t i = 0; i <= line.size(); ++i) {
    if (i == line.size() || line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
      if (i > start) words.push_back(line.substr(start, i - start));
      start = i + 1;
    }
  }
  return words;
}

}  // namespace quillwen::tools
