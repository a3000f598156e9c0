#include "core/search/variants.h"

#include <algorithm>

#include "core/io/read_only_file.h"
#include "core/search/code_points.h"
#include "core/search/index_format.h"
#include "core/store/page_renderer.h"

namespace quillwen {
namespace {

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A field's value, or nothing when it lies beyond U+10FFFF.
std::optional<char32_t> ParseField(std::string_view field) {
  size_t at = 0;
  while (at < field.size() && IsSpace(field[at])) ++at;
  if (field.size() - at >= 3 && field[at] == '0' &&
      (field[at + 1] == 'x' || field[at + 1] == 'X') && HexDigit(field[at + 2]) >= 0) {
    at += 2;
  }
  uint64_t value = 0;
  for (; at < field.size() && HexDigit(field[at]) >= 0; ++at) {
    value = value * 16 + static_cast<uint64_t>(HexDigit(field[at]));
    if (value > kMaxVariantMember) return std::nullopt;
  }
  return static_cast<char32_t>(value);
}

std::vector<char32_t> ParseLine(std::string_view line) {
  std::vector<char32_t> members;
  size_t start = 0;
  while (start <= line.size()) {
    size_t comma = line.find(',', start);
    if (comma == std::string_view::npos) comma = line.size();
    const std::string_view field = line.substr(start, comma - start);
    if (!field.empty()) {
      if (const std::optional<char32_t> value = ParseField(field)) members.push_back(*value);
    }
    start = comma + 1;
  }
  return members;
}

}  // namespace

void VariantTable::Clear() {
  groups_.clear();
  firstGroup_.clear();
}

bool VariantTable::LoadVariants(const std::filesystem::path& folder, DataFault* fault) {
  Clear();
  std::string text;
  const std::filesystem::path file = folder / kVariantTableFileName;
  if (!io::ReadWholeFile(file, text, fault)) return false;
  Parse(text);
  if (groups_.empty() && fault != nullptr) *fault = {file, "holds no variant group"};
  return true;
}

void VariantTable::Parse(std::string_view text) {
  Clear();
  size_t start = 0;
  while (start < text.size() && groups_.size() < kMaxVariantGroups) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty()) groups_.push_back(ParseLine(line));
    start = end + 1;
  }
  for (uint32_t group = 0; group < groups_.size(); ++group) {
    for (const char32_t member : groups_[group])
      firstGroup_.emplace(member, group);  // keeps the first
  }
}

std::optional<uint32_t> VariantTable::FindVariantGroup(char32_t codePoint) const {
  const auto found = firstGroup_.find(codePoint);
  if (found == firstGroup_.end()) return std::nullopt;
  return VariantIdBase + found->second;
}

std::vector<std::u32string_view> VariantTable::AlternativesOf(
    const std::u32string& characters) const {
  std::vector<std::u32string_view> alternatives;
  alternatives.reserve(characters.size());
  for (size_t i = 0; i < characters.size(); ++i) {
    const auto found = firstGroup_.find(characters[i]);
    if (found != firstGroup_.end()) {
      const std::vector<char32_t>& group = groups_[found->second];
      alternatives.emplace_back(group.data(), group.size());
    } else {
      alternatives.emplace_back(&characters[i], 1);
    }
  }
  return alternatives;
}

void VariantTable::ForEachSpelling(std::span<const std::u32string_view> alternatives, size_t limit,
                                   const std::function<void(std::u16string_view)>& take) {
  // An odometer over the alternatives, the last character turning fastest.
  std::vector<size_t> choice(alternatives.size(), 0);
  std::u16string spelling;
  for (size_t made = 0; made < limit; ++made) {
    spelling.clear();
    for (size_t i = 0; i < alternatives.size(); ++i)
      AppendUtf16(spelling, alternatives[i][choice[i]]);
    take(spelling);
    size_t i = alternatives.size();
    while (i > 0) {
      --i;
      if (++choice[i] < alternatives[i].size()) break;
      choice[i] = 0;
      if (i == 0) return;
    }
    if (alternatives.empty()) return;
  }
}

std::vector<std::u16string> VariantTable::ExpandVariants(std::u16string_view keyword) const {
  std::vector<std::u16string> spellings;
  if (keyword.empty()) return spellings;
  const std::u32string characters = ToCodePoints(keyword);
  ForEachSpelling(AlternativesOf(characters), kMaxSpellings,
                  [&](std::u16string_view spelling) { spellings.emplace_back(spelling); });
  return spellings;
}

void VariantTable::ForEachTermSpelling(std::u16string_view keyword,
                                       const std::function<void(std::u16string_view)>& take) const {
  struct Term {
    std::u32string characters;
    std::vector<std::u32string_view> alternatives;
    size_t spellings = 1;  // how many of its spellings the keyword's bound lets in
  };
  const std::vector<std::u16string_view> texts = SplitQueryTerms(keyword);
  // Alternatives may point into the term's own characters: no term moves after.
  std::vector<Term> terms(texts.size());
  for (size_t i = 0; i < texts.size(); ++i) {
    terms[i].characters = ToCodePoints(texts[i]);
    terms[i].alternatives = AlternativesOf(terms[i].characters);
  }
  // The keyword's spellings vary its last term fastest: spelling c of term i
  // (the others in their first) is the keyword's spelling number c times the
  // product of the later terms' spelling counts, and only the first
  // kMaxSpellings of those exist.
  size_t later = 1;  // the later terms' spelling count, saturated at kMaxSpellings
  for (size_t i = terms.size(); i > 0; --i) {
    Term& term = terms[i - 1];
    size_t own = 1;  // saturated likewise
    for (const std::u32string_view choices : term.alternatives)
      own = std::min(own * choices.size(), kMaxSpellings);
    term.spellings = std::min(own, (kMaxSpellings + later - 1) / later);
    later = std::min(later * own, kMaxSpellings);
  }
  for (const Term& term : terms) ForEachSpelling(term.alternatives, 1, take);
  for (size_t i = terms.size(); i > 0; --i) {
    const Term& term = terms[i - 1];
    if (term.spellings < 2) continue;
    bool first = true;
    ForEachSpelling(term.alternatives, term.spellings, [&](std::u16string_view spelling) {
      if (!first) take(spelling);
      first = false;
    });
  }
}

std::u16string VariantTable::JoinedSpellings(std::u16string_view keyword) const {
  const std::vector<std::u16string> spellings = ExpandVariants(keyword);
  std::u16string joined;
  for (size_t i = 0; i < spellings.size(); ++i) {
    if (i > 0) joined.push_back(u' ');
    joined += spellings[i];
  }
  return joined;
}

}  // namespace quillwen
