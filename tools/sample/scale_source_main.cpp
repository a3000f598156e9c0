// quillwen-scale-source: makes a source tree several times the size of another,
// for measuring the builder on a larger collection.

#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "tools/sample/scaled_source.h"

namespace {

constexpr char kUsage[] =
    "usage: quillwen-scale-source [options] SOURCE TARGET\n"
    "\n"
    "Writes the source tree TARGET (which must not exist) from copies of the source\n"
    "tree SOURCE. Each copy after the first permutes the Han characters within\n"
    "bands of about equal frequency; consecutive volumes of a book are joined so\n"
    "that the catalogue stays within its 9999 records.\n"
    "\n"
    "options:\n"
    "  --copies N   copies of the source (default 13)\n"
    "  --join N     volumes joined into one file (default: the fewest that fit)\n"
    "  --band N     characters in a frequency band (default 64)\n"
    "  --help       this text\n";

bool ParseNumber(std::string_view text, uint32_t* value) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, *value);
  return ec == std::errc() && ptr == end && *value > 0;
}

}  // namespace

int main(int argc, char** argv) {
  quillwen::sample::ScaleOptions options;
  std::vector<std::string_view> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool hasValue = i + 1 < argc;
    uint32_t number = 0;
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if ((arg == "--copies" || arg == "--join" || arg == "--band") && hasValue) {
      if (!ParseNumber(argv[++i], &number)) {
        std::fprintf(stderr, "quillwen-scale-source: %s needs a positive number\n", argv[i - 1]);
        return 2;
      }
      if (arg == "--copies") {
        options.copies = number;
      } else if (arg == "--join") {
        options.join = number;
      } else {
        options.bandSize = number;
      }
    } else if (arg.starts_with("--")) {
      std::fprintf(stderr, "quillwen-scale-source: unknown option or missing value: %s\n%s",
                   argv[i], kUsage);
      return 2;
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  options.source = positional[0];
  options.target = positional[1];
  quillwen::sample::ScaleSummary summary;
  std::string error;
  if (!quillwen::sample::MakeScaledSource(options, &summary, &error)) {
    std::fprintf(stderr, "quillwen-scale-source: %s\n", error.c_str());
    return 1;
  }
  std::printf(
      "Wrote %s: %u copies, %u volumes a file, %zu volume files, %zu catalogue records, "
      "%llu bytes\n",
      options.target.string().c_str(), options.copies, summary.join, summary.volumeFiles,
      summary.records, static_cast<unsigned long long>(summary.bytes));
  return 0;
}
