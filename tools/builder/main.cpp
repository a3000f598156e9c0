// quillwen-build: turns a source tree of texts into a data folder the reader
// opens. Usage in README.md and `quillwen-build --help`.

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/search/index_format.h"
#include "tools/builder/collection_builder.h"
#include "tools/builder/pair_indexes.h"
#include "tools/builder/progress.h"

namespace {

namespace fs = std::filesystem;
using quillwen::build::BuildOptions;
using quillwen::build::BuildSummary;

constexpr char kUsage[] =
    "Usage: quillwen-build [options] SOURCE TARGET\n"
    "       quillwen-build [--quiet] --add-pair-index FOLDER\n"
    "\n"
    "Builds the data folder TARGET (catalogue, volume store, index sets, variant\n"
    "table) from the source tree SOURCE/category/book/volume.txt. TARGET's other\n"
    "files stay; the collection's files are replaced only when the build succeeds.\n"
    "The reader and quillwen-search find a collection built into\n"
    "~/.local/share/quillwen without being told where it is.\n"
    "\n"
    "--add-pair-index adds the pair indexes, which make phrase searches faster, to\n"
    "the collection in FOLDER (one made elsewhere or by an older builder), from its\n"
    "index sets alone; its other files stay as they are.\n"
    "\n"
    "Options:\n"
    "  --unihan FILE        Unihan_Variants.txt: traditional, simplified and Z variants\n"
    "  --semantic-variants  relate kSemanticVariant too (merges distinct words; off)\n"
    "  --opencc FILE        an OpenCC character table in text form (from<TAB>to ...)\n"
    "  --page-chars N       positioned characters per page (default 240)\n"
    "  --posting-memory MB  postings held in memory before they are spilled to disk\n"
    "                       in TARGET's staging folder (default 64)\n"
    "  --quiet              no progress display\n"
    "  --help               this text\n";

bool ParseCount(std::string_view text, size_t* value) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, *value);
  return ec == std::errc() && ptr == end && *value > 0;
}

void PrintPairIndexes(const std::array<quillwen::PairIndexSummary, 3>& summaries) {
  const char* sets[] = {"full text", "annotations", "main text"};
  for (int scope = 0; scope < 3; ++scope) {
    const quillwen::PairIndexSummary& s = summaries[scope];
    std::printf("  pair index of the %s: %u characters covered, %u pairs, %llu bytes%s\n",
                sets[scope], s.covered, s.pairs, static_cast<unsigned long long>(s.bytes),
                s.groupPairs ? ", variant groups too" : "");
  }
}

void PrintSummary(const fs::path& target, const BuildSummary& s) {
  std::printf("Built %s\n", target.string().c_str());
  std::printf("  %zu categories, %zu books, %zu volumes: %zu catalogue records\n", s.categories,
              s.books, s.volumes, s.records);
  std::printf("  %zu pages from %llu source bytes\n", s.pages,
              static_cast<unsigned long long>(s.sourceBytes));
  std::printf("  %zu variant groups (largest %zu members)\n", s.variantGroups,
              s.largestVariantGroup);
  std::printf("  postings spilled to %zu runs\n", s.postingRuns);
  PrintPairIndexes(s.pairIndexes);
  std::printf("  positions: full text %llu, main text %llu, annotations %llu\n",
              static_cast<unsigned long long>(s.positions[quillwen::ScopeFullText]),
              static_cast<unsigned long long>(s.positions[quillwen::ScopeMainText]),
              static_cast<unsigned long long>(s.positions[quillwen::ScopeAnnotations]));
  for (const std::string& name : quillwen::build::CollectionFileNames()) {
    std::error_code ec;
    const auto size = fs::file_size(target / name, ec);
    std::printf("  %-24s %12llu bytes\n", name.c_str(),
                static_cast<unsigned long long>(ec ? 0 : size));
  }
}

int AddPairIndexes(const fs::path& folder, bool quiet) {
  std::unique_ptr<quillwen::build::TerminalProgress> terminal;
  quillwen::build::SilentProgress silent;
  quillwen::build::Progress* progress = &silent;
  if (!quiet && quillwen::build::TerminalProgress::IsTerminal(stdout)) {
    terminal = std::make_unique<quillwen::build::TerminalProgress>(stdout);
    progress = terminal.get();
  }
  std::array<quillwen::PairIndexSummary, 3> summaries{};
  std::string error;
  const bool added = quillwen::build::AddPairIndexes(folder, *progress, &summaries, &error);
  terminal.reset();
  if (!added) {
    std::fprintf(stderr, "quillwen-build: %s\nNothing was changed in %s.\n", error.c_str(),
                 folder.string().c_str());
    return 1;
  }
  std::printf("Added pair indexes to %s\n", folder.string().c_str());
  PrintPairIndexes(summaries);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  BuildOptions options;
  bool quiet = false;
  std::optional<fs::path> addPairIndexTo;
  std::vector<std::string_view> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (arg == "--unihan" && hasValue) {
      options.unihanVariantFiles.emplace_back(argv[++i]);
    } else if (arg == "--opencc" && hasValue) {
      options.openCcFiles.emplace_back(argv[++i]);
    } else if (arg == "--semantic-variants") {
      options.semanticVariants = true;
    } else if (arg == "--page-chars" && hasValue) {
      if (!ParseCount(argv[++i], &options.charactersPerPage)) {
        std::fprintf(stderr, "quillwen-build: --page-chars needs a positive number\n");
        return 2;
      }
    } else if (arg == "--posting-memory" && hasValue) {
      size_t megabytes = 0;
      if (!ParseCount(argv[++i], &megabytes) || megabytes > (size_t{1} << 30)) {
        std::fprintf(stderr, "quillwen-build: --posting-memory needs a positive number of MB\n");
        return 2;
      }
      options.postingMemory = uint64_t{megabytes} << 20;
    } else if (arg == "--add-pair-index" && hasValue) {
      addPairIndexTo = argv[++i];
    } else if (arg == "--quiet") {
      quiet = true;
    } else if (arg.starts_with("--")) {
      std::fprintf(stderr, "quillwen-build: unknown option or missing value: %s\n%s", argv[i],
                   kUsage);
      return 2;
    } else {
      positional.push_back(arg);
    }
  }
  if (addPairIndexTo) {
    if (!positional.empty()) {
      std::fputs(kUsage, stderr);
      return 2;
    }
    return AddPairIndexes(*addPairIndexTo, quiet);
  }
  if (positional.size() != 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  options.source = positional[0];
  options.target = positional[1];

  std::unique_ptr<quillwen::build::TerminalProgress> progress;
  if (!quiet && quillwen::build::TerminalProgress::IsTerminal(stdout)) {
    progress = std::make_unique<quillwen::build::TerminalProgress>(stdout);
    options.progress = progress.get();
  }
  BuildSummary summary;
  std::string error;
  const bool built = quillwen::build::BuildCollection(options, &summary, &error);
  progress.reset();
  if (!built) {
    std::fprintf(stderr, "quillwen-build: %s\nNothing was changed in %s.\n", error.c_str(),
                 options.target.string().c_str());
    return 1;
  }
  PrintSummary(options.target, summary);
  return 0;
}
