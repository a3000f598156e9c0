#pragma once

// Writes one index set (B + "-idx.h" and B + "-idx.m", layout in
// core/search/index_format.h) from the occurrences of each identifier, page by
// page. Lists are encoded as they arrive, so memory stays near the size of the
// postings file.
//
// Each list is cut into 4096-byte blocks as one byte stream, so page entries,
// VarNums and position counts cross block boundaries wherever they fall; the last
// block of a list is padded with zeros. Blocks are numbered in list order
// (identifiers ascending) or, with a shuffle seed, in a shuffled order, and chained
// through NextBlock; the NextBlock entry of a list's last block is 0xFFFFFFFF.
// Identifiers without pages get FirstBlock 0xFFFFFFFF and LastPage 0; Reserved16
// and Reserved32 are zeros.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillwen {

struct IndexWriterOptions {
  // Lay the blocks out in a shuffled order (seeded; 0 keeps them in list order),
  // so that a reader must follow NextBlock rather than read on.
  uint32_t shuffleSeed = 0;
};

class IndexWriter {
 public:
  explicit IndexWriter(IndexWriterOptions options = {});

  // Appends the occurrences of identifier `id` (below 100000, character or
  // variant group) on `page`. Pages of one identifier come in strictly ascending
  // order, positions strictly ascending and not empty. False, with Error()
  // naming the limit, on a broken order, an identifier out of range, a page or
  // position delta above 4,194,303 or more than 65,535 position bytes.
  bool AddPage(uint32_t id, uint32_t page, std::span<const uint32_t> positions);

  // Writes folder/(baseName + "-idx.h") and folder/(baseName + "-idx.m").
  bool Write(const std::filesystem::path& folder, std::string_view baseName);

  const std::string& Error() const { return error_; }

 private:
  struct List {
    std::string bytes;  // the encoded page entries
    uint32_t lastPage = 0;
    bool hasPages = false;
  };

  bool Fail(std::string message);

  IndexWriterOptions options_;
  std::string error_;
  std::vector<List> lists_;  // indexed by identifier
};

// Appends the VarNum encoding of `value` (at most 4,194,303).
void AppendVarNum(std::string& out, uint32_t value);

}  // namespace quillwen
