#pragma once

// Writes a pair index (layout in core/search/pair_index_format.h) from the places
// of each page of an index set, in one pass: the builder hands it the characters
// it positions, and an existing collection's own lists can be walked for them
// (core/writer/pair_index_from_lists.h).
//
// Which pairs earn a list: the candidates, the commonest identifiers, are
// covered as far as the file's budget allows (by default the size of the index
// set it serves), and every pair of two covered identifiers that occurs gets
// one, however short. A phrase with a rare character is already fast through
// that character's list; a phrase of common characters is where intersecting
// their lists costs most, and where the pair's list, short or long, saves most.
//
// Occurrences are held as (pair, page, position) until the memory given is
// used up, then sorted by pair, encoded and spilled to a run on disk; Write
// chooses the covered identifiers from the exact size of every candidate pair's
// list and merges the runs into the file. Memory stays near the buffer and a
// count of 8 bytes for each pair of two candidates, whatever the collection's
// size.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "core/search/pair_index.h"

namespace quillwen {

class CIndex;

inline constexpr uint32_t kNoIdentifier = UINT32_MAX;

// One position of a page that holds an identifier: the character's own and
// its variant group's, kNoIdentifier for one it has not.
struct PairPlace {
  uint32_t position = 0;
  uint32_t character = kNoIdentifier;
  uint32_t group = kNoIdentifier;
};

struct PairIndexOptions {
  // The most bytes the file may take; 0 for the size of the served index set's
  // two files.
  uint64_t maxBytes = 0;
  // The most identifiers considered for covering, commonest first; at most
  // 4096. The counts take 8 bytes for each pair of two of them.
  uint32_t maxCandidates = 2048;
  // Where runs are spilled: runFolder/(runName + ".pairs" + n).
  std::filesystem::path runFolder{};
  std::string runName = "Index";
  // Occurrences held in memory before they are spilled.
  uint64_t memory = uint64_t{24} << 20;
};

struct PairIndexSummary {
  uint32_t covered = 0;  // identifiers
  uint32_t pairs = 0;    // lists
  uint64_t bytes = 0;    // of the file
  bool groupPairs = false;
};

class PairIndexWriter {
 public:
  // `candidates`: identifiers, commonest first (the first maxCandidates are
  // kept). `groupPairs`: whether pairs of variant groups are made too.
  PairIndexWriter(std::span<const uint32_t> candidates, bool groupPairs, PairIndexOptions options);
  ~PairIndexWriter();
  PairIndexWriter(const PairIndexWriter&) = delete;
  PairIndexWriter& operator=(const PairIndexWriter&) = delete;

  // The places of page `page`, positions ascending; pages come ascending. False
  // with Error() when a spill fails or a pair's list outgrows the format.
  bool AddPage(uint32_t page, std::span<const PairPlace> places);

  // The memory the occurrences held take.
  uint64_t BufferedBytes() const { return records_.size() * sizeof(Record); }
  // Starts writing the occurrences held to a run, beside the caller; false
  // when the run before could not be written.
  bool SpillRun();

  // Writes `file` for the index set `served` describes, within `maxBytes`
  // (0: the options', or failing those the served set's own size), and removes
  // the runs.
  bool Write(const std::filesystem::path& file, const ServedIndex& served, uint64_t maxBytes,
             PairIndexSummary* summary);

  const std::string& Error() const { return error_; }

 private:
  struct Record {
    uint32_t key;  // first rank x candidates + second rank
    uint32_t page;
    uint32_t position;
  };

  bool Fail(std::string message);
  bool WaitForSpill();
  // Sorts `records` by key, writes them as a run and empties them.
  bool WriteRun(std::vector<Record>& records);
  uint32_t RankOf(uint32_t id) const {
    return id < rankOf_.size() && rankOf_[id] != kNoRank ? rankOf_[id] : kNoIdentifier;
  }
  void Emit(uint32_t first, uint32_t second, uint32_t position, uint32_t page);
  bool MergeSmallRuns();
  // Goes through the pieces of `runs` key by key: wanted(key, length of all its
  // pieces) says whether they are copied, and out(reader) copies the piece a
  // reader stands at.
  template <typename Out, typename Wanted>
  bool MergeRuns(std::span<const std::filesystem::path> runs, Out&& out, Wanted&& wanted);
  std::filesystem::path NextRunPath();
  void RemoveRuns();

  static constexpr uint16_t kNoRank = 0xFFFF;

  PairIndexOptions options_;
  std::vector<uint32_t> idOfRank_;
  std::vector<uint16_t> rankOf_;  // by identifier
  uint32_t stride_ = 0;           // candidates
  bool groupPairs_ = false;
  std::string error_;
  std::vector<Record> records_;
  // What the spiller works on, alone, until WaitForSpill: these, and the
  // counts and runs below.
  std::vector<Record> spilling_;
  std::thread spiller_;
  bool spillWritten_ = true;
  std::vector<Record> spare_;
  std::vector<size_t> digitStarts_;
  std::vector<unsigned char> pieceBytes_;
  // By key: the bytes of its list so far, and the page of its last entry plus
  // one (0 before its first).
  std::vector<uint32_t> listBytes_;
  std::vector<uint32_t> pageAfter_;
  std::vector<std::filesystem::path> bigRuns_;    // each merged from many small ones
  std::vector<std::filesystem::path> smallRuns_;  // each one spill
  size_t runFilesMade_ = 0;
};

// The served index set's description for a pair index: what PairIndex::Open
// checks the file against.
ServedIndex ServedIndexOf(const CIndex& index);

}  // namespace quillwen
