#include "core/writer/pair_index_writer.h"

#include <algorithm>
#include <array>
#include <numeric>

#include "core/common/little_endian.h"
#include "core/io/write_file.h"
#include "core/search/index.h"
#include "core/search/varnum.h"
#include "core/writer/posting_run.h"

namespace quillwen {
namespace {

// Keys, first rank x candidates + second rank, stay below 2^24.
constexpr uint32_t kMaxCandidates = 4096;
constexpr uint32_t kKeyBits = 24;
constexpr uint32_t kDigitBits = 12;
// Spilled runs are merged this many at a time into one, so that the final
// merge reads few files whatever the collection's size.
constexpr size_t kSmallRunsPerMerge = 48;

uint64_t RoundUpToBlock(uint64_t bytes) {
  return (bytes + kBlockSize - 1) / kBlockSize * kBlockSize;
}

// Stores the shortest VarNum of `value` (at most kMaxVarNum) at `out`; returns
// the byte after it.
unsigned char* StoreVarNum(unsigned char* out, uint32_t value) {
  if (value < 0x80) {
    *out = static_cast<unsigned char>(value);
    return out + 1;
  }
  if (value < 0x4000) {
    out[0] = static_cast<unsigned char>(0x80 | (value >> 8));
    out[1] = static_cast<unsigned char>(value & 0xFF);
    return out + 2;
  }
  out[0] = static_cast<unsigned char>(0xC0 | (value >> 16));
  out[1] = static_cast<unsigned char>((value >> 8) & 0xFF);
  out[2] = static_cast<unsigned char>(value & 0xFF);
  return out + 3;
}

std::string CannotWrite(const std::filesystem::path& file, const std::string& problem) {
  return file.string() + ": cannot be written (" + problem + ")";
}

}  // namespace

ServedIndex ServedIndexOf(const CIndex& index) {
  return {index.Postings().size(), PairIndexDigest(index.FirstBlock(), index.LastPage()),
          VariantGroupsDigest(index.Variants())};
}

PairIndexWriter::PairIndexWriter(std::span<const uint32_t> candidates, bool groupPairs,
                                 PairIndexOptions options)
    : options_(std::move(options)), rankOf_(kIdentifierCount, kNoRank), groupPairs_(groupPairs) {
  const uint32_t wanted = std::min(options_.maxCandidates, kMaxCandidates);
  for (const uint32_t id : candidates) {
    if (idOfRank_.size() == wanted) break;
    if (id >= kIdentifierCount || rankOf_[id] != kNoRank) continue;
    rankOf_[id] = static_cast<uint16_t>(idOfRank_.size());
    idOfRank_.push_back(id);
  }
  stride_ = static_cast<uint32_t>(idOfRank_.size());
  listBytes_.assign(size_t{stride_} * stride_, 0);
  pageAfter_.assign(size_t{stride_} * stride_, 0);
}

PairIndexWriter::~PairIndexWriter() {
  WaitForSpill();
  RemoveRuns();
}

bool PairIndexWriter::Fail(std::string message) {
  error_ = std::move(message);
  return false;
}

void PairIndexWriter::Emit(uint32_t first, uint32_t second, uint32_t position, uint32_t page) {
  const uint32_t firstRank = RankOf(first);
  const uint32_t secondRank = RankOf(second);
  if (firstRank == kNoIdentifier || secondRank == kNoIdentifier) return;
  records_.push_back({firstRank * stride_ + secondRank, page, position});
}

bool PairIndexWriter::AddPage(uint32_t page, std::span<const PairPlace> places) {
  for (size_t j = 0; j + 1 < places.size(); ++j) {
    const PairPlace& a = places[j];
    const PairPlace& b = places[j + 1];
    if (b.position != a.position + 1) continue;
    if (a.character != kNoIdentifier && b.character != kNoIdentifier)
      Emit(a.character, b.character, a.position, page);
    if (!groupPairs_) continue;
    // What a search that counts variants as the same looks up: the group of a
    // character that has one, the character itself otherwise.
    const uint32_t first = a.group != kNoIdentifier ? a.group : a.character;
    const uint32_t second = b.group != kNoIdentifier ? b.group : b.character;
    if (first == kNoIdentifier || second == kNoIdentifier) continue;
    if (first == a.character && second == b.character) continue;  // the exact pair
    Emit(first, second, a.position, page);
  }
  if (BufferedBytes() >= options_.memory) return SpillRun();
  return true;
}

std::filesystem::path PairIndexWriter::NextRunPath() {
  return options_.runFolder / (options_.runName + ".pairs" + std::to_string(++runFilesMade_));
}

void PairIndexWriter::RemoveRuns() {
  std::error_code ignored;
  for (const auto& run : bigRuns_) std::filesystem::remove(run, ignored);
  for (const auto& run : smallRuns_) std::filesystem::remove(run, ignored);
  bigRuns_.clear();
  smallRuns_.clear();
}

bool PairIndexWriter::SpillRun() {
  if (!WaitForSpill()) return false;
  if (records_.empty()) return true;
  if (options_.runFolder.empty()) return Fail("no folder was given to spill pair runs to");
  // The records are sorted, encoded and written while the caller goes on
  // gathering the next ones: on a machine of two processors, at little cost
  // to the build's time.
  spilling_.swap(records_);
  records_.clear();
  spillWritten_ = true;
  spiller_ = std::thread([this] { spillWritten_ = WriteRun(spilling_); });
  return true;
}

bool PairIndexWriter::WaitForSpill() {
  if (spiller_.joinable()) spiller_.join();
  return spillWritten_;
}

bool PairIndexWriter::WriteRun(std::vector<Record>& records) {
  if (smallRuns_.size() == kSmallRunsPerMerge && !MergeSmallRuns()) return false;
  // By key, 12 bits at a time; the order of one key's occurrences, pages and
  // positions ascending, is kept.
  spare_.resize(records.size());
  for (uint32_t shift = 0; shift < kKeyBits; shift += kDigitBits) {
    std::vector<size_t>& starts = digitStarts_;
    starts.assign((size_t{1} << kDigitBits) + 1, 0);
    const uint32_t mask = (1u << kDigitBits) - 1;
    for (const Record& record : records) ++starts[((record.key >> shift) & mask) + 1];
    std::partial_sum(starts.begin(), starts.end(), starts.begin());
    for (const Record& record : records) spare_[starts[(record.key >> shift) & mask]++] = record;
    records.swap(spare_);
  }
  const std::filesystem::path file = NextRunPath();
  io::OutputFile run;
  if (!run.Create(file, io::FileAccess::kOwnerOnly)) return Fail(CannotWrite(file, run.Problem()));
  smallRuns_.push_back(file);
  // A piece is at most its header and, per record, a page entry's header and
  // a position.
  std::vector<unsigned char>& piece = pieceBytes_;
  size_t start = 0;
  while (start < records.size()) {
    const uint32_t key = records[start].key;
    size_t end = start;
    while (end < records.size() && records[end].key == key) ++end;
    piece.resize(kPostingRunPieceHeaderSize + (end - start) * 9);
    unsigned char* out = piece.data() + kPostingRunPieceHeaderSize;
    uint32_t pageAfter = pageAfter_[key];
    for (size_t i = start; i < end;) {
      const uint32_t page = records[i].page;
      const uint32_t pageDelta = pageAfter == 0 ? page : page - (pageAfter - 1);
      if (pageDelta > kMaxVarNum) {
        return Fail("page " + std::to_string(page) + ": a page delta of " +
                    std::to_string(pageDelta) + " exceeds the largest VarNum, 4194303");
      }
      out = StoreVarNum(out, pageDelta);
      unsigned char* count = out;
      out += 2;
      uint32_t before = 0;
      for (; i < end && records[i].page == page; ++i) {
        out = StoreVarNum(out, records[i].position - before);
        before = records[i].position;
      }
      const size_t positionBytes = static_cast<size_t>(out - count - 2);
      if (positionBytes > kMaxPositionBytes) {
        return Fail("page " + std::to_string(page) + ": a pair's positions take " +
                    std::to_string(positionBytes) + " bytes; a page entry holds at most 65535");
      }
      count[0] = static_cast<unsigned char>(positionBytes & 0xFF);
      count[1] = static_cast<unsigned char>(positionBytes >> 8);
      pageAfter = page + 1;
    }
    pageAfter_[key] = pageAfter;
    const size_t length = static_cast<size_t>(out - piece.data()) - kPostingRunPieceHeaderSize;
    if (listBytes_[key] > UINT32_MAX - length) return Fail("a pair's list would pass 4 GB");
    listBytes_[key] += static_cast<uint32_t>(length);
    std::string header;
    AppendPostingRunPieceHeader(header, key, length);
    std::copy(header.begin(), header.end(), piece.begin());
    run.Append(std::string_view(reinterpret_cast<const char*>(piece.data()),
                                kPostingRunPieceHeaderSize + length));
    start = end;
  }
  records.clear();
  if (!run.Close()) return Fail(CannotWrite(file, run.Problem()));
  return true;
}

template <typename Out, typename Wanted>
bool PairIndexWriter::MergeRuns(std::span<const std::filesystem::path> runs, Out&& out,
                                Wanted&& wanted) {
  std::vector<PostingRunReader> readers(runs.size());
  for (size_t r = 0; r < runs.size(); ++r) {
    if (!readers[r].Open(runs[r], stride_ * stride_)) return Fail(readers[r].Error());
  }
  for (;;) {
    uint32_t key = UINT32_MAX;
    for (const PostingRunReader& reader : readers) {
      if (!reader.AtEnd()) key = std::min(key, reader.Identifier());
    }
    if (key == UINT32_MAX) break;
    uint64_t length = 0;
    for (const PostingRunReader& reader : readers) {
      if (!reader.AtEnd() && reader.Identifier() == key) length += reader.Length();
    }
    const bool copied = wanted(key, length);
    for (PostingRunReader& reader : readers) {
      if (reader.AtEnd() || reader.Identifier() != key) continue;
      const bool moved = copied ? out(reader) : reader.SkipPiece();
      if (!moved) return Fail(reader.Error().empty() ? error_ : reader.Error());
    }
  }
  for (const PostingRunReader& reader : readers) {
    if (!reader.Error().empty()) return Fail(reader.Error());
  }
  return true;
}

bool PairIndexWriter::MergeSmallRuns() {
  const std::filesystem::path file = NextRunPath();
  io::OutputFile merged;
  if (!merged.Create(file, io::FileAccess::kOwnerOnly))
    return Fail(CannotWrite(file, merged.Problem()));
  bigRuns_.push_back(file);
  // One piece per key: the pieces of all small runs, in their order, under one
  // header.
  std::string header;
  const bool copied = MergeRuns(
      smallRuns_, [&](PostingRunReader& reader) { return reader.CopyPieceTo(merged); },
      [&](uint32_t key, uint64_t length) {
        header.clear();
        AppendPostingRunPieceHeader(header, key, length);
        return merged.Append(header);
      });
  if (!merged.Close() || !copied) {
    return copied ? Fail(CannotWrite(file, merged.Problem())) : false;
  }
  std::error_code ignored;
  for (const auto& run : smallRuns_) std::filesystem::remove(run, ignored);
  smallRuns_.clear();
  return true;
}

bool PairIndexWriter::Write(const std::filesystem::path& file, const ServedIndex& served,
                            uint64_t maxBytes, PairIndexSummary* summary) {
  if (!SpillRun() || !WaitForSpill()) return false;
  std::vector<Record>().swap(records_);
  std::vector<Record>().swap(spilling_);
  std::vector<Record>().swap(spare_);
  const uint64_t budget = maxBytes != 0 ? maxBytes : options_.maxBytes;

  // The commonest identifiers the budget allows: a pair's bytes count once both
  // of its identifiers are covered, by the rank of the rarer.
  std::vector<uint64_t> bytesAt(stride_, 0);
  std::vector<uint64_t> pairsAt(stride_, 0);
  for (uint32_t key = 0; key < listBytes_.size(); ++key) {
    if (listBytes_[key] == 0) continue;
    const uint32_t rarer = std::max(key / stride_, key % stride_);
    bytesAt[rarer] += listBytes_[key];
    ++pairsAt[rarer];
  }
  uint32_t covered = 0;
  uint64_t areaBytes = 0;
  uint64_t pairCount = 0;
  while (covered < stride_) {
    const uint64_t bytes = areaBytes + bytesAt[covered];
    const uint64_t pairs = pairCount + pairsAt[covered];
    const uint64_t total = RoundUpToBlock(kPairIndexTableOffset + pairs * kPairEntrySize) + bytes;
    if ((budget != 0 && total > budget) || pairs >= kNoBlock) break;
    areaBytes = bytes;
    pairCount = pairs;
    ++covered;
  }
  const auto isCovered = [&](uint32_t key) {
    return listBytes_[key] != 0 && key / stride_ < covered && key % stride_ < covered;
  };

  // The lists lie in key order; the table is in identifier order.
  std::vector<uint32_t> keys;
  keys.reserve(static_cast<size_t>(pairCount));
  for (uint32_t key = 0; key < listBytes_.size(); ++key) {
    if (isCovered(key)) keys.push_back(key);
  }
  std::vector<uint64_t> startOf(keys.size());
  uint64_t at = 0;
  for (size_t d = 0; d < keys.size(); ++d) {
    startOf[d] = at;
    at += listBytes_[keys[d]];
  }
  // (first identifier, second identifier) as one number, and the list's place.
  std::vector<std::pair<uint64_t, uint32_t>> tableOrder(keys.size());
  for (size_t d = 0; d < keys.size(); ++d) {
    tableOrder[d] = {uint64_t{idOfRank_[keys[d] / stride_]} << 32 | idOfRank_[keys[d] % stride_],
                     static_cast<uint32_t>(d)};
  }
  std::sort(tableOrder.begin(), tableOrder.end());

  std::string head(kPairIndexMagic, 8);
  AppendLE32(head, kPairIndexVersion);
  AppendLE32(head, groupPairs_ ? kPairIndexHasGroupPairs : 0);
  AppendLE64(head, served.postingsSize);
  AppendLE64(head, served.digest);
  AppendLE64(head, groupPairs_ ? served.variantsDigest : 0);
  AppendLE32(head, static_cast<uint32_t>(keys.size()));
  AppendLE32(head, static_cast<uint32_t>((areaBytes + kBlockSize - 1) / kBlockSize));
  const uint64_t areaOffset = RoundUpToBlock(kPairIndexTableOffset + keys.size() * kPairEntrySize);
  AppendLE64(head, areaOffset);
  AppendLE64(head, 0);
  std::string coveredBits(kPairIndexCoveredBytes, '\0');
  for (uint32_t rank = 0; rank < covered; ++rank)
    coveredBits[idOfRank_[rank] / 8] |= static_cast<char>(1 << (idOfRank_[rank] % 8));
  head += coveredBits;
  for (const auto& [ids, d] : tableOrder) {
    const uint32_t key = keys[d];
    AppendLE32(head, idOfRank_[key / stride_]);
    AppendLE32(head, idOfRank_[key % stride_]);
    AppendLE32(head, static_cast<uint32_t>(startOf[d] / kBlockSize));
    AppendLE32(head, static_cast<uint32_t>(startOf[d] % kBlockSize));
    AppendLE32(head, pageAfter_[key] - 1);
  }
  head.resize(static_cast<size_t>(areaOffset), '\0');

  io::OutputFile out;
  const auto fail = [&](const std::string& message) {
    out.Close();
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
    RemoveRuns();
    return Fail(message);
  };
  if (!out.Create(file, io::FileAccess::kShared)) return fail(CannotWrite(file, out.Problem()));
  out.Append(head);
  std::vector<std::filesystem::path> runs = bigRuns_;
  runs.insert(runs.end(), smallRuns_.begin(), smallRuns_.end());
  uint64_t written = 0;
  size_t next = 0;  // the next list in key order
  bool counted = true;
  const bool merged = MergeRuns(
      runs,
      [&](PostingRunReader& reader) {
        written += reader.Length();
        return reader.CopyPieceTo(out);
      },
      [&](uint32_t key, uint64_t) {
        if (!isCovered(key)) return false;
        // Every list must come out exactly as long as counted, where the table
        // says it begins.
        if (next >= keys.size() || keys[next] != key || written != startOf[next]) {
          counted = false;
          return false;
        }
        ++next;
        return true;
      });
  if (!merged) return fail(error_);
  if (!counted || next != keys.size() || written != areaBytes)
    return fail(file.string() + ": the pair runs do not hold what was counted");
  if (!out.Close()) return fail(CannotWrite(file, out.Problem()));
  RemoveRuns();
  if (summary != nullptr) {
    *summary = {covered, static_cast<uint32_t>(keys.size()), areaOffset + areaBytes, groupPairs_};
  }
  return true;
}

}  // namespace quillwen
