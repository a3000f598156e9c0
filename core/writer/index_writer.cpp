#include "core/writer/index_writer.h"

#include <algorithm>
#include <numeric>
#include <random>

#include "core/common/little_endian.h"
#include "core/io/write_file.h"
#include "core/search/index_format.h"
#include "core/search/varnum.h"
#include "core/writer/posting_run.h"

namespace quillwen {
namespace {

std::string Where(uint32_t id, uint32_t page) {
  return "identifier " + std::to_string(id) + ", page " + std::to_string(page);
}

// "<file>: the posting run cannot be written (No space left on device)".
std::string RunCannotBeWritten(const std::filesystem::path& file, const std::string& problem) {
  return file.string() + ": the posting run cannot be written (" + problem + ")";
}

}  // namespace

void AppendVarNum(std::string& out, uint32_t value) { AppendVarNumBytes(out, value); }

IndexWriter::IndexWriter(IndexWriterOptions options)
    : options_(std::move(options)), lists_(kIdentifierCount) {}

IndexWriter::~IndexWriter() { RemoveRuns(); }

bool IndexWriter::Fail(std::string message) {
  error_ = std::move(message);
  return false;
}

bool IndexWriter::AddPage(uint32_t id, uint32_t page, std::span<const uint32_t> positions) {
  if (id >= kIdentifierCount) {
    return Fail("identifier " + std::to_string(id) + " is not below " +
                std::to_string(kIdentifierCount));
  }
  if (positions.empty())
    return Fail(Where(id, page) + ": a page entry needs at least one position");
  List& list = lists_[id];
  uint32_t pageDelta = page;
  if (list.hasPages) {
    if (page <= list.lastPage) {
      return Fail(Where(id, page) + ": pages must ascend, but page " +
                  std::to_string(list.lastPage) + " came before");
    }
    pageDelta = page - list.lastPage;
  }
  if (pageDelta > kMaxVarNum) {
    return Fail(Where(id, page) + ": the page delta " + std::to_string(pageDelta) +
                " exceeds the largest VarNum, 4194303");
  }
  uint64_t positionBytes = 0;
  for (size_t i = 0; i < positions.size(); ++i) {
    if (i > 0 && positions[i] <= positions[i - 1]) {
      return Fail(Where(id, page) + ": positions must ascend strictly, but " +
                  std::to_string(positions[i]) + " follows " + std::to_string(positions[i - 1]));
    }
    const uint32_t delta = positions[i] - (i > 0 ? positions[i - 1] : 0);
    if (delta > kMaxVarNum) {
      return Fail(Where(id, page) + ": the position delta " + std::to_string(delta) +
                  " exceeds the largest VarNum, 4194303");
    }
    positionBytes += EncodedVarNumLength(delta);
  }
  if (positionBytes > kMaxPositionBytes) {
    return Fail(Where(id, page) + ": its " + std::to_string(positions.size()) + " positions take " +
                std::to_string(positionBytes) + " bytes; a page entry holds at most 65535");
  }
  const size_t capacityBefore = list.bytes.capacity();
  if (list.bytes.empty()) buffered_.push_back(id);
  AppendVarNumBytes(list.bytes, pageDelta);
  AppendLE16(list.bytes, static_cast<uint16_t>(positionBytes));
  for (size_t i = 0; i < positions.size(); ++i) {
    AppendVarNumBytes(list.bytes, positions[i] - (i > 0 ? positions[i - 1] : 0));
  }
  bufferedBytes_ += list.bytes.capacity() - capacityBefore;
  list.lastPage = page;
  list.hasPages = true;
  return true;
}

bool IndexWriter::SpillRun() {
  if (options_.runFolder.empty()) return Fail("no folder was given to spill posting runs to");
  if (buffered_.empty()) return true;
  if (runs_.size() + 1 > std::max<size_t>(options_.maxRuns, 2) && !MergeRuns()) return false;
  const std::filesystem::path file = NextRunPath();
  io::OutputFile run;
  const bool created = run.Create(file, io::FileAccess::kOwnerOnly);
  bool written = created;
  std::sort(buffered_.begin(), buffered_.end());
  std::string header;
  for (size_t i = 0; i < buffered_.size() && written; ++i) {
    const uint32_t id = buffered_[i];
    const std::string& bytes = lists_[id].bytes;
    header.clear();
    AppendPostingRunPieceHeader(header, id, bytes.size());
    written = run.Append(header) && run.Append(bytes);
  }
  written = run.Close() && written;
  if (!written) {
    const std::string problem = run.Problem();
    std::error_code ignored;
    if (created) std::filesystem::remove(file, ignored);
    return Fail(RunCannotBeWritten(file, problem));
  }
  runs_.push_back(file);
  ++runsSpilled_;
  for (const uint32_t id : buffered_) {
    List& list = lists_[id];
    list.spilledBytes += list.bytes.size();
    std::string().swap(list.bytes);  // clear() would keep the capacity
  }
  buffered_.clear();
  bufferedBytes_ = 0;
  return true;
}

std::filesystem::path IndexWriter::NextRunPath() {
  return options_.runFolder / (options_.runName + ".run" + std::to_string(++runFilesMade_));
}

bool IndexWriter::MergeRuns() {
  const std::filesystem::path file = NextRunPath();
  io::OutputFile merged;
  const bool created = merged.Create(file, io::FileAccess::kOwnerOnly);
  const bool copied = created && CopyRuns(merged, file, Copy::kAsRun);
  if (!merged.Close() || !copied) {
    const std::string problem = merged.Problem();
    std::error_code ignored;
    if (created) std::filesystem::remove(file, ignored);
    return copied ? Fail(RunCannotBeWritten(file, problem)) : false;
  }
  RemoveRuns();
  runs_.push_back(file);
  return true;
}

void IndexWriter::RemoveRuns() {
  std::error_code ignored;
  for (const std::filesystem::path& run : runs_) std::filesystem::remove(run, ignored);
  runs_.clear();
}

// Puts every run's pieces back in front of the bytes still in memory.
bool IndexWriter::GatherRuns() {
  std::vector<std::string> gathered(kIdentifierCount);
  for (const std::filesystem::path& path : runs_) {
    PostingRunReader reader;
    reader.Open(path);
    while (!reader.AtEnd()) reader.AppendPieceTo(gathered[reader.Identifier()]);
    if (!reader.Error().empty()) return Fail(reader.Error());
  }
  for (uint32_t id = 0; id < kIdentifierCount; ++id) {
    List& list = lists_[id];
    if (gathered[id].size() != list.spilledBytes) {
      return Fail("the posting runs hold " + std::to_string(gathered[id].size()) +
                  " bytes of identifier " + std::to_string(id) + ", but " +
                  std::to_string(list.spilledBytes) + " were spilled");
    }
    gathered[id] += list.bytes;
    list.bytes.swap(gathered[id]);
    list.spilledBytes = 0;
  }
  buffered_.clear();
  bufferedBytes_ = 0;
  for (uint32_t id = 0; id < kIdentifierCount; ++id) {
    if (lists_[id].bytes.empty()) continue;
    buffered_.push_back(id);
    bufferedBytes_ += lists_[id].bytes.capacity();
  }
  RemoveRuns();
  return true;
}

// Streams each list from the runs, in the order they were spilled: only a read
// buffer per run is held, whatever the size of the lists.
bool IndexWriter::CopyRuns(io::OutputFile& out, const std::filesystem::path& path, Copy copy) {
  std::vector<PostingRunReader> readers(runs_.size());
  for (size_t r = 0; r < runs_.size(); ++r) {
    if (!readers[r].Open(runs_[r])) return Fail(readers[r].Error());
  }
  const std::string padding(kBlockSize, '\0');
  std::string header;
  for (uint32_t id = 0; id < kIdentifierCount; ++id) {
    const List& list = lists_[id];
    if (copy == Copy::kAsRun) {
      if (list.spilledBytes == 0) continue;
      header.clear();
      AppendPostingRunPieceHeader(header, id, list.spilledBytes);
      out.Append(header);
    } else if (list.Size() == 0) {
      continue;
    }
    uint64_t fromRuns = 0;
    for (PostingRunReader& reader : readers) {
      if (reader.AtEnd() || reader.Identifier() != id) continue;
      fromRuns += reader.Length();
      if (!reader.CopyPieceTo(out)) {
        return Fail(reader.Error().empty()
                        ? path.string() + ": cannot be written (" + out.Problem() + ")"
                        : reader.Error());
      }
    }
    if (fromRuns != list.spilledBytes) {
      return Fail("the posting runs hold " + std::to_string(fromRuns) + " bytes of identifier " +
                  std::to_string(id) + ", but " + std::to_string(list.spilledBytes) +
                  " were spilled");
    }
    if (copy == Copy::kAsPostings) {
      out.Append(list.bytes);
      const size_t tail = static_cast<size_t>(list.Size() % kBlockSize);
      if (tail != 0) out.Append(std::string_view(padding).substr(0, kBlockSize - tail));
    }
  }
  for (size_t r = 0; r < runs_.size(); ++r) {
    if (!readers[r].AtEnd()) {
      return Fail(runs_[r].string() + ": holds a piece of identifier " +
                  std::to_string(readers[r].Identifier()) + " that was never spilled");
    }
  }
  return true;
}

bool IndexWriter::Write(const std::filesystem::path& folder, std::string_view baseName) {
  const bool written = WriteFiles(folder, baseName);
  RemoveRuns();
  return written;
}

bool IndexWriter::WriteFiles(const std::filesystem::path& folder, std::string_view baseName) {
  if (options_.shuffleSeed != 0 && !GatherRuns()) return false;
  // The blocks of every list, in list order.
  struct BlockSource {
    uint32_t id;
    uint32_t chunk;
  };
  std::vector<BlockSource> listOrder;
  for (uint32_t id = 0; id < kIdentifierCount; ++id) {
    const uint64_t chunks = (lists_[id].Size() + kBlockSize - 1) / kBlockSize;
    if (listOrder.size() + chunks >= kNoBlock) {
      return Fail("the postings need more than 4294967294 blocks");
    }
    for (uint32_t chunk = 0; chunk < chunks; ++chunk) listOrder.push_back({id, chunk});
  }
  // blockOf[j]: the file block that holds the j-th block in list order.
  std::vector<uint32_t> blockOf(listOrder.size());
  std::iota(blockOf.begin(), blockOf.end(), 0u);
  if (options_.shuffleSeed != 0) {
    std::mt19937 random(options_.shuffleSeed);
    std::shuffle(blockOf.begin(), blockOf.end(), random);
  }

  std::vector<uint32_t> firstBlock(kIdentifierCount, kNoBlock);
  std::vector<uint32_t> nextBlock(listOrder.size(), kNoBlock);
  std::vector<uint32_t> sourceOf(listOrder.size());  // file block -> j
  for (size_t j = 0; j < listOrder.size(); ++j) {
    sourceOf[blockOf[j]] = static_cast<uint32_t>(j);
    if (listOrder[j].chunk == 0) firstBlock[listOrder[j].id] = blockOf[j];
    if (j + 1 < listOrder.size() && listOrder[j + 1].id == listOrder[j].id) {
      nextBlock[blockOf[j]] = blockOf[j + 1];
    }
  }

  std::string header;
  header.reserve(kNextBlockOffset + 4 * nextBlock.size());
  for (const uint32_t block : firstBlock) AppendLE32(header, block);
  header.append(kReserved16Bytes + kReserved32Bytes, '\0');
  for (const List& list : lists_) AppendLE32(header, list.hasPages ? list.lastPage : 0);
  for (const uint32_t block : nextBlock) AppendLE32(header, block);

  const std::string base(baseName);
  const std::filesystem::path headerPath = folder / (base + kIndexHeaderSuffix);
  const std::filesystem::path postingsPath = folder / (base + kIndexPostingsSuffix);
  std::string problem;
  if (!io::WriteWholeFile(headerPath, header, io::FileAccess::kShared, &problem)) {
    return Fail(headerPath.string() + ": cannot be written (" + problem + ")");
  }

  io::OutputFile postings;
  if (postings.Create(postingsPath, io::FileAccess::kShared) && options_.shuffleSeed == 0) {
    if (!CopyRuns(postings, postingsPath, Copy::kAsPostings)) return false;
  } else if (postings.IsOpen()) {
    std::string block;
    for (const uint32_t j : sourceOf) {
      const BlockSource& source = listOrder[j];
      const std::string& bytes = lists_[source.id].bytes;
      const size_t start = size_t{source.chunk} * kBlockSize;
      block.assign(bytes, start, std::min(kBlockSize, bytes.size() - start));
      block.resize(kBlockSize, '\0');
      if (!postings.Append(block)) break;
    }
  }
  if (!postings.Close()) {
    return Fail(postingsPath.string() + ": cannot be written (" + postings.Problem() + ")");
  }
  return true;
}

}  // namespace quillwen
