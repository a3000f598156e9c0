#pragma once

// A posting run: the encoded list bytes an IndexWriter held in memory when it
// spilled them, so that a build's memory stays bounded whatever the size of the
// collection. Runs are private to one build and deleted once the index set is
// written; nothing else reads them.
//
// A run is a sequence of pieces, identifiers strictly ascending:
//   identifier  u32 little-endian, below 100000 (a pair key, for a pair index)
//   length      u64 little-endian, at least 1
//   bytes       `length` bytes: the next stretch of the identifier's list
// The file ends right after a piece.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/io/read_only_file.h"
#include "core/io/write_file.h"
#include "core/search/index_format.h"

namespace quillwen {

inline constexpr size_t kPostingRunPieceHeaderSize = 12;

// Appends one piece's header to `out`.
void AppendPostingRunPieceHeader(std::string& out, uint32_t id, uint64_t length);

// Reads a run piece by piece through a fixed buffer, however long its pieces.
// A run that is cut short, or whose identifiers do not ascend, ends the reading
// with Error() saying so.
class PostingRunReader {
 public:
  // Opens `file` and reads the first piece's header. Identifiers are below
  // `identifierLimit`: an index set's, or the keys of a pair index's runs.
  bool Open(const std::filesystem::path& file, uint32_t identifierLimit = kIdentifierCount);

  // True after the last piece, and after an error.
  bool AtEnd() const { return atEnd_; }
  // The piece at hand; valid while !AtEnd().
  uint32_t Identifier() const { return id_; }
  uint64_t Length() const { return length_; }

  // Appends the piece's bytes to `out` and moves on to the next piece. False
  // when the run is bad (Error() says why) or `out` refused the bytes.
  bool CopyPieceTo(io::OutputFile& out);
  bool AppendPieceTo(std::string& out);
  // Moves on to the next piece without handing the bytes on.
  bool SkipPiece();

  // Empty while nothing went wrong.
  const std::string& Error() const { return error_; }

 private:
  template <typename Sink>
  bool ReadPiece(Sink&& sink);
  bool ReadHeader();
  // Makes at least min(n, what is left of the file) bytes available; false on a read error.
  bool Fill(size_t n);
  bool Fail(const std::string& what);

  io::ReadOnlyFile file_;
  std::filesystem::path path_;
  std::vector<char> buffer_;
  size_t begin_ = 0;  // the unread bytes are buffer_[begin_, end_)
  size_t end_ = 0;
  uint64_t fileOffset_ = 0;  // of buffer_[end_]
  bool atEnd_ = true;
  bool started_ = false;  // a piece has been read
  uint32_t id_ = 0;
  uint32_t identifierLimit_ = kIdentifierCount;
  uint64_t length_ = 0;
  std::string error_;
};

}  // namespace quillwen
