#pragma once

// Feeds one index set page by page: every positioned character that has an
// identifier gets a posting under it, and every member of a variant group one
// under the group's identifier too, so the group's list holds the occurrences
// of all its members.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/search/index_format.h"
#include "core/writer/index_writer.h"
#include "tools/builder/page_positions.h"
#include "tools/builder/variant_table_builder.h"

namespace quillwen::build {

// The (identifier, position) pairs of one page, sorted by identifier, then
// position.
void CollectPostings(std::span<const PositionedCharacter> characters,
                     const VariantTableBuilder& variants,
                     std::vector<std::pair<uint32_t, uint32_t>>* postings);

class IndexSetBuilder {
 public:
  // Runs spilled by SpillRun go to `runFolder`, which must outlive the builder.
  IndexSetBuilder(IndexScope scope, const VariantTableBuilder& variants,
                  const std::filesystem::path& runFolder = {});

  // Pages come in ascending entry index order. False with *error naming the
  // limit when a list would not fit the format.
  bool AddPage(uint32_t entryIndex, std::span<const PositionedCharacter> characters,
               std::string* error);

  // The memory the encoded postings since the last spill take.
  uint64_t BufferedBytes() const { return writer_.BufferedBytes(); }
  // Moves the postings held in memory to a run on disk.
  bool SpillRun(std::string* error);
  size_t RunsSpilled() const { return writer_.RunsSpilled(); }

  // Writes folder/Index[suffix]-idx.h and -idx.m.
  bool Write(const std::filesystem::path& folder, std::string* error);

  IndexScope Scope() const { return scope_; }
  uint64_t PostingCount() const { return postingCount_; }

 private:
  IndexScope scope_;
  const VariantTableBuilder& variants_;
  IndexWriter writer_;
  std::vector<std::pair<uint32_t, uint32_t>> postings_;
  std::vector<uint32_t> positions_;
  uint64_t postingCount_ = 0;
};

// "the full text", "the main text", "the annotations": for messages.
const char* IndexSetLabel(IndexScope scope);

}  // namespace quillwen::build
