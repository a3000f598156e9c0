#include "tools/builder/variant_table_builder.h"

#include <algorithm>
#include <map>
#include <string_view>

#include "core/io/read_only_file.h"
#include "tools/builder/utf8.h"

namespace quillwen::build {
namespace {

constexpr char32_t kMaxCodePoint = 0x10FFFF;

// Reads "U+XXXX" (4 to 6 hex digits) at the start of `text`.
bool ParseCodePointLabel(std::string_view text, char32_t* out) {
  if (text.size() < 6 || text[0] != 'U' || text[1] != '+') return false;
  char32_t value = 0;
  size_t digits = 0;
  for (size_t i = 2; i < text.size() && digits < 7; ++i, ++digits) {
    const char c = text[i];
    int nibble = -1;
    if (c >= '0' && c <= '9') nibble = c - '0';
    if (c >= 'A' && c <= 'F') nibble = c - 'A' + 10;
    if (c >= 'a' && c <= 'f') nibble = c - 'a' + 10;
    if (nibble < 0) break;
    value = value * 16 + static_cast<char32_t>(nibble);
  }
  if (digits < 4 || digits > 6 || value > kMaxCodePoint) return false;
  *out = value;
  return true;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (true) {
    const size_t end = text.find(separator, start);
    parts.push_back(
        text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

template <typename LineHandler>
bool ForEachLine(const std::filesystem::path& file, std::string* error, LineHandler handle) {
  std::string bytes;
  DataFault fault;
  if (!io::ReadWholeFile(file, bytes, &fault)) {
    *error = file.string() + ": cannot be read (" + fault.problem + ")";
    return false;
  }
  size_t lineNumber = 0;
  for (std::string_view line : Split(bytes, '\n')) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::string problem;
    if (!handle(line, &problem)) {
      *error = file.string() + ":" + std::to_string(lineNumber) + ": " + problem;
      return false;
    }
  }
  return true;
}

}  // namespace

char32_t VariantTableBuilder::Root(char32_t c) {
  parent_.try_emplace(c, c);
  char32_t root = c;
  while (parent_[root] != root) root = parent_[root];
  while (parent_[c] != root) {  // path compression
    const char32_t next = parent_[c];
    parent_[c] = root;
    c = next;
  }
  return root;
}

void VariantTableBuilder::Relate(char32_t a, char32_t b) {
  const char32_t ra = Root(a);
  const char32_t rb = Root(b);
  if (ra != rb) parent_[std::max(ra, rb)] = std::min(ra, rb);
}

bool VariantTableBuilder::ReadUnihanVariants(const std::filesystem::path& file,
                                             bool withSemanticVariants, std::string* error) {
  return ForEachLine(file, error, [&](std::string_view line, std::string* problem) {
    if (line.empty() || line[0] == '#') return true;
    const std::vector<std::string_view> fields = Split(line, '\t');
    char32_t from = 0;
    if (fields.size() != 3 || !ParseCodePointLabel(fields[0], &from)) {
      *problem = "expected \"U+XXXX<TAB>field<TAB>values\"";
      return false;
    }
    const std::string_view field = fields[1];
    const bool wanted = field == "kTraditionalVariant" || field == "kSimplifiedVariant" ||
                        field == "kZVariant" ||
                        (withSemanticVariants && field == "kSemanticVariant");
    if (!wanted) return true;
    for (std::string_view value : Split(fields[2], ' ')) {
      if (value.empty()) continue;
      char32_t to = 0;
      if (!ParseCodePointLabel(value, &to)) {
        std::string message(value);
        message += " is not a code point";
        *problem = std::move(message);
        return false;
      }
      if (to != from) Relate(from, to);
    }
    return true;
  });
}

bool VariantTableBuilder::ReadOpenCcCharacters(const std::filesystem::path& file,
                                               std::string* error) {
  return ForEachLine(file, error, [&](std::string_view line, std::string* problem) {
    if (line.empty()) return true;
    const std::vector<std::string_view> fields = Split(line, '\t');
    std::u32string from;
    size_t badOffset = 0;
    if (fields.size() != 2 || !DecodeUtf8(fields[0], from, &badOffset)) {
      *problem = "expected UTF-8 \"from<TAB>to [to ...]\"";
      return false;
    }
    if (from.size() != 1) return true;  // a phrase
    for (std::string_view value : Split(fields[1], ' ')) {
      std::u32string to;
      if (!DecodeUtf8(value, to, &badOffset)) {
        *problem = "the text is not UTF-8";
        return false;
      }
      if (to.size() == 1 && to[0] != from[0]) Relate(from[0], to[0]);
    }
    return true;
  });
}

void VariantTableBuilder::Finish() {
  std::map<char32_t, std::vector<char32_t>> byRoot;
  std::vector<char32_t> members;
  members.reserve(parent_.size());
  for (const auto& entry : parent_) members.push_back(entry.first);
  std::sort(members.begin(), members.end());
  for (char32_t c : members) byRoot[Root(c)].push_back(c);
  // Roots are the smallest member (Relate keeps the smaller root), so the map's
  // order is the order of the groups' smallest members.
  groups_.clear();
  groupOf_.assign(kMaxCodePoint + 1, -1);
  for (auto& [root, group] : byRoot) {
    if (group.size() < 2) continue;
    for (char32_t c : group) groupOf_[c] = static_cast<int32_t>(groups_.size());
    groups_.push_back(std::move(group));
  }
}

}  // namespace quillwen::build
