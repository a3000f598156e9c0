#include "core/store/collection_manifest.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>

#include "core/io/read_only_file.h"
#include "core/search/index_format.h"
#include "core/search/pair_index_format.h"
#include "core/search/variant_table_format.h"
#include "core/store/catalogue_format.h"
#include "core/store/volume_store_format.h"

namespace quillwen {
namespace {

std::string Hex(uint64_t value, int digits) {
  std::string text(static_cast<size_t>(digits), '0');
  for (int i = digits - 1; i >= 0 && value != 0; --i, value >>= 4)
    text[static_cast<size_t>(i)] = "0123456789abcdef"[value & 0xF];
  return text;
}

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  size_t at = 0;
  while (at < line.size()) {
    const size_t end = std::min(line.find(' ', at), line.size());
    if (end > at) words.push_back(line.substr(at, end - at));
    at = end + 1;
  }
  return words;
}

template <typename Number>
bool ParseWhole(std::string_view text, Number& value, int base = 10) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return error == std::errc{} && end == text.data() + text.size();
}

// A reasonable bound: a manifest lists ten files.
constexpr uint64_t kLargestManifest = 64 * 1024;

}  // namespace

std::vector<std::string> CollectionDataFileNames() {
  const std::string base = kCollectionBaseName;
  std::vector<std::string> names = {kCatalogueFileName, base + kPageTableSuffix,
                                    base + kContentSuffix};
  for (const char* set : {"", "_content", "_desc"}) {
    names.push_back(base + set + kIndexHeaderSuffix);
    names.push_back(base + set + kIndexPostingsSuffix);
    names.push_back(base + set + kPairIndexSuffix);
  }
  names.push_back(kVariantTableFileName);
  return names;
}

uint64_t Fnv1a64(std::string_view bytes, uint64_t hash) {
  for (const char byte : bytes) {
    hash ^= static_cast<unsigned char>(byte);
    hash *= 0x100000001B3ull;
  }
  return hash;
}

std::optional<ManifestFile> DescribeDataFile(const std::filesystem::path& folder,
                                             const std::string& name, DataFault* fault) {
  io::ReadOnlyFile file;
  const auto fail = [&]() -> std::optional<ManifestFile> {
    if (fault != nullptr) *fault = file.LastFault();
    return std::nullopt;
  };
  if (!file.Open(folder / name)) return fail();
  const std::optional<uint64_t> size = file.Size();
  if (!size) return fail();
  ManifestFile described{name, *size, *size <= kWholeChecksumLimit, kFnv1aStart};
  const uint64_t hashed = described.whole ? *size : std::min(*size, kHeadChecksumBytes);
  std::vector<char> buffer(static_cast<size_t>(std::min<uint64_t>(hashed, 1 << 20)));
  for (uint64_t at = 0; at < hashed;) {
    const size_t chunk = static_cast<size_t>(std::min<uint64_t>(buffer.size(), hashed - at));
    if (!file.ReadExactly(at, std::span<char>(buffer.data(), chunk))) return fail();
    described.hash = Fnv1a64(std::string_view(buffer.data(), chunk), described.hash);
    at += chunk;
  }
  return described;
}

std::string FormatManifest(const Manifest& manifest) {
  std::string text = std::string(kManifestFirstLine) + "\n";
  text += "builder " + manifest.builder + "\n";
  text += "build " + manifest.build + "\n";
  for (const ManifestFile& file : manifest.files) {
    text += "file " + file.name + " " + std::to_string(file.size) +
            (file.whole ? " whole " : " head ") + Hex(file.hash, 16) + "\n";
  }
  return text;
}

std::optional<Manifest> ParseManifest(std::string_view text, std::string* problem) {
  const auto fail = [&](std::string what) -> std::optional<Manifest> {
    if (problem != nullptr) *problem = std::move(what);
    return std::nullopt;
  };
  Manifest manifest;
  size_t lineNumber = 0;
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = text.find('\n', at);
    if (end == std::string_view::npos) return fail("the last line has no line break");
    const std::string_view line = text.substr(at, end - at);
    at = end + 1;
    ++lineNumber;
    const std::string where = "line " + std::to_string(lineNumber);
    if (lineNumber == 1) {
      if (line != kManifestFirstLine)
        return fail("it does not begin with \"" + std::string(kManifestFirstLine) + "\"");
      continue;
    }
    const std::vector<std::string_view> words = Words(line);
    if (words.empty()) continue;
    if (words[0] == "builder" && words.size() == 2) {
      manifest.builder = words[1];
    } else if (words[0] == "build" && words.size() == 2) {
      manifest.build = words[1];
    } else if (words[0] == "file") {
      ManifestFile file;
      if (words.size() != 5 || (words[3] != "whole" && words[3] != "head") ||
          !ParseWhole(words[2], file.size) || words[4].size() != 16 ||
          !ParseWhole(words[4], file.hash, 16)) {
        return fail(where + " is not \"file NAME SIZE whole|head HASH\"");
      }
      file.name = words[1];
      file.whole = words[3] == "whole";
      manifest.files.push_back(std::move(file));
    }
  }
  if (lineNumber == 0) return fail("empty");
  if (manifest.build.empty()) return fail("it names no build");
  return manifest;
}

ManifestCheck CheckCollectionAgainstManifest(const std::filesystem::path& folder) {
  ManifestCheck check;
  const std::filesystem::path path = folder / kManifestFileName;
  std::error_code error;
  if (!std::filesystem::exists(std::filesystem::symlink_status(path, error))) return check;
  check.present = true;
  std::string text;
  DataFault fault;
  if (!io::ReadWholeFile(path, text, &fault)) {
    check.unreadable = fault;
    return check;
  }
  if (text.size() > kLargestManifest) {
    check.unreadable = DataFault{path, std::to_string(text.size()) + " bytes, too long"};
    return check;
  }
  std::string problem;
  const std::optional<Manifest> manifest = ParseManifest(text, &problem);
  if (!manifest) {
    check.unreadable = DataFault{path, problem};
    return check;
  }
  check.build = manifest->build;
  for (const ManifestFile& listed : manifest->files) {
    // A name that leaves the folder is no name of a data file.
    if (listed.name.find('/') != std::string::npos || listed.name == "." || listed.name == "..") {
      check.foreign.push_back(listed.name);
      continue;
    }
    DataFault unread;
    const std::optional<ManifestFile> found = DescribeDataFile(folder, listed.name, &unread);
    if (!found) {
      check.unreadableFiles.push_back(unread);
    } else if (*found != listed) {
      check.foreign.push_back(listed.name);
    }
  }
  return check;
}

std::string ManifestBuildId(const std::filesystem::path& folder) {
  std::string text;
  if (!io::ReadWholeFile(folder / kManifestFileName, text) || text.size() > kLargestManifest)
    return {};
  const std::optional<Manifest> manifest = ParseManifest(text, nullptr);
  return manifest ? manifest->build : std::string();
}

}  // namespace quillwen
