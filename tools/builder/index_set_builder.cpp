#include "tools/builder/index_set_builder.h"

#include <algorithm>

#include "core/search/character_id.h"
#include "core/store/volume_store_format.h"
#include "tools/builder/build_limits.h"
#include "tools/builder/utf8.h"

namespace quillwen::build {
namespace {

// For messages: the character or group behind an identifier of this page.
std::string IdentifierLabel(uint32_t id, std::span<const PositionedCharacter> characters,
                            const VariantTableBuilder& variants) {
  if (id >= VariantIdBase) {
    const auto& group = variants.Groups()[id - VariantIdBase];
    return "variant group " + std::to_string(id - VariantIdBase) + " (" +
           EncodeUtf8(std::u32string(group.begin(), group.end())) + ")";
  }
  for (const PositionedCharacter& c : characters) {
    if (CharacterId(c.codePoint) == static_cast<int32_t>(id)) {
      return "character " + CodePointLabel(c.codePoint) + " " +
             EncodeUtf8(std::u32string(1, c.codePoint));
    }
  }
  return "identifier " + std::to_string(id);
}

}  // namespace

const char* IndexSetLabel(IndexScope scope) {
  switch (scope) {
    case ScopeFullText:
      return "the full text";
    case ScopeMainText:
      return "the main text";
    case ScopeAnnotations:
      return "the annotations";
  }
  return "an index set";
}

void CollectPostings(std::span<const PositionedCharacter> characters,
                     const VariantTableBuilder& variants,
                     std::vector<std::pair<uint32_t, uint32_t>>* postings) {
  postings->clear();
  for (const PositionedCharacter& c : characters) {
    const int32_t id = CharacterId(c.codePoint);
    if (id >= 0) postings->emplace_back(static_cast<uint32_t>(id), c.position);
    const int32_t group = variants.GroupOf(c.codePoint);
    if (group >= 0)
      postings->emplace_back(VariantIdBase + static_cast<uint32_t>(group), c.position);
  }
  std::sort(postings->begin(), postings->end());
}

namespace {

std::string IndexSetBaseName(IndexScope scope) {
  return std::string(kCollectionBaseName) + IndexSetSuffix(scope);
}

}  // namespace

IndexSetBuilder::IndexSetBuilder(IndexScope scope, const VariantTableBuilder& variants,
                                 const std::filesystem::path& runFolder)
    : scope_(scope),
      variants_(variants),
      writer_({.runFolder = runFolder, .runName = IndexSetBaseName(scope)}) {}

bool IndexSetBuilder::SpillRun(std::string* error) {
  if (writer_.SpillRun()) return true;
  *error = std::string(IndexSetLabel(scope_)) + " index set: " + writer_.Error();
  return false;
}

bool IndexSetBuilder::AddPage(uint32_t entryIndex, std::span<const PositionedCharacter> characters,
                              std::string* error) {
  CollectPostings(characters, variants_, &postings_);
  if (postings_.empty()) return true;
  if (!CheckEntryIndex(entryIndex, error)) return false;
  size_t start = 0;
  while (start < postings_.size()) {
    const uint32_t id = postings_[start].first;
    positions_.clear();
    size_t end = start;
    for (; end < postings_.size() && postings_[end].first == id; ++end) {
      positions_.push_back(postings_[end].second);
    }
    std::string limit;
    if (!CheckPositionList(positions_, &limit)) {
      *error = std::string(IndexSetLabel(scope_)) + ", " +
               IdentifierLabel(id, characters, variants_) + ": " + limit;
      return false;
    }
    if (!writer_.AddPage(id, entryIndex, positions_)) {
      *error = std::string(IndexSetLabel(scope_)) + ": " + writer_.Error();
      return false;
    }
    postingCount_ += positions_.size();
    start = end;
  }
  return true;
}

bool IndexSetBuilder::Write(const std::filesystem::path& folder, std::string* error) {
  if (!writer_.Write(folder, IndexSetBaseName(scope_))) {
    *error = std::string(IndexSetLabel(scope_)) + " index set: " + writer_.Error();
    return false;
  }
  return true;
}

}  // namespace quillwen::build
