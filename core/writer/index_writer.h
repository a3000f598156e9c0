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

#include "core/io/write_file.h"

namespace quillwen {

struct IndexWriterOptions {
  // Lay the blocks out in a shuffled order (seeded; 0 keeps them in list order),
  // so that a reader must follow NextBlock rather than read on.
  // A shuffled layout gathers every spilled run back into memory: it serves
  // test fixtures, not collections too large for memory.
  uint32_t shuffleSeed = 0;
  // Where SpillRun writes its runs: runFolder/(runName + ".run" + n). The
  // caller keeps the folder while the writer lives; the writer deletes its runs
  // when Write is done and when it is destroyed.
  std::filesystem::path runFolder{};
  std::string runName = "postings";
  // When a spill would leave more runs than this, the runs are first merged
  // into one, so that open files and read buffers stay few however small the
  // caller's budget.
  size_t maxRuns = 64;
};

class IndexWriter {
 public:
  explicit IndexWriter(IndexWriterOptions options = {});
  ~IndexWriter();
  IndexWriter(const IndexWriter&) = delete;
  IndexWriter& operator=(const IndexWriter&) = delete;

  // Appends the occurrences of identifier `id` (below 100000, character or
  // variant group) on `page`. Pages of one identifier come in strictly ascending
  // order, positions strictly ascending and not empty. False, with Error()
  // naming the limit, on a broken order, an identifier out of range, a page or
  // position delta above 4,194,303 or more than 65,535 position bytes.
  bool AddPage(uint32_t id, uint32_t page, std::span<const uint32_t> positions);

  // The memory the lists' bytes take (their capacity) since the last spill.
  uint64_t BufferedBytes() const { return bufferedBytes_; }

  // Writes the bytes held in memory to a new run and frees them. False, with
  // Error() naming the file, when there is no run folder or the run cannot be
  // written; the bytes then stay in memory and the writer stays usable.
  bool SpillRun();
  // Runs spilled so far, and runs on disk now (fewer once runs were merged).
  size_t RunsSpilled() const { return runsSpilled_; }
  size_t RunCount() const { return runs_.size(); }

  // Writes folder/(baseName + "-idx.h") and folder/(baseName + "-idx.m"), then
  // deletes the runs.
  bool Write(const std::filesystem::path& folder, std::string_view baseName);

  const std::string& Error() const { return error_; }

 private:
  struct List {
    std::string bytes;          // the encoded page entries since the last spill
    uint64_t spilledBytes = 0;  // the bytes before them, in the runs
    uint32_t lastPage = 0;
    bool hasPages = false;

    uint64_t Size() const { return spilledBytes + bytes.size(); }
  };

  bool Fail(std::string message);
  bool WriteFiles(const std::filesystem::path& folder, std::string_view baseName);
  bool GatherRuns();
  bool MergeRuns();
  std::filesystem::path NextRunPath();
  // Copies the spilled stretch of every list, in list order, to `out`: as the
  // pieces of one run, or followed by the bytes in memory and the padding of
  // the list's last block, as the postings file.
  enum class Copy { kAsRun, kAsPostings };
  bool CopyRuns(io::OutputFile& out, const std::filesystem::path& path, Copy copy);
  void RemoveRuns();

  IndexWriterOptions options_;
  std::string error_;
  std::vector<List> lists_;  // indexed by identifier
  uint64_t bufferedBytes_ = 0;
  std::vector<uint32_t> buffered_;           // identifiers with bytes in memory, unordered
  std::vector<std::filesystem::path> runs_;  // in the order written
  size_t runsSpilled_ = 0;
  size_t runFilesMade_ = 0;
};

// Appends the VarNum encoding of `value` (at most 4,194,303).
void AppendVarNum(std::string& out, uint32_t value);

}  // namespace quillwen
