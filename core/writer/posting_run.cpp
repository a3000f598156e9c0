#include "core/writer/posting_run.h"

#include <algorithm>
#include <cstring>

#include "core/common/little_endian.h"
#include "core/search/index_format.h"

namespace quillwen {
namespace {

// Large enough that copying a run costs few system calls, small enough that the
// dozens of runs open at once stay a small part of the build's memory.
constexpr size_t kReadBufferSize = 256 << 10;

}  // namespace

void AppendPostingRunPieceHeader(std::string& out, uint32_t id, uint64_t length) {
  AppendLE32(out, id);
  AppendLE32(out, static_cast<uint32_t>(length));
  AppendLE32(out, static_cast<uint32_t>(length >> 32));
}

bool PostingRunReader::Fail(const std::string& what) {
  error_ = path_.string() + ": " + what;
  atEnd_ = true;
  return false;
}

bool PostingRunReader::Open(const std::filesystem::path& file, uint32_t identifierLimit) {
  path_ = file;
  identifierLimit_ = identifierLimit;
  error_.clear();
  buffer_.resize(kReadBufferSize);
  begin_ = end_ = 0;
  fileOffset_ = 0;
  id_ = 0;
  length_ = 0;
  started_ = false;
  atEnd_ = false;
  if (!file_.Open(file)) return Fail("the posting run cannot be opened");
  return ReadHeader();
}

bool PostingRunReader::Fill(size_t n) {
  if (end_ - begin_ >= n) return true;
  std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
  end_ -= begin_;
  begin_ = 0;
  while (end_ < n) {
    const int64_t got =
        file_.ReadSome(fileOffset_, std::span<char>(buffer_.data() + end_, buffer_.size() - end_));
    if (got < 0) return Fail("the posting run cannot be read (" + file_.LastError() + ")");
    if (got == 0) break;
    end_ += static_cast<size_t>(got);
    fileOffset_ += static_cast<uint64_t>(got);
  }
  return true;
}

bool PostingRunReader::ReadHeader() {
  const uint32_t previous = id_;
  if (!Fill(kPostingRunPieceHeaderSize)) return false;
  const size_t available = end_ - begin_;
  if (available == 0) {
    atEnd_ = true;
    return true;
  }
  if (available < kPostingRunPieceHeaderSize) return Fail("the posting run is cut short");
  const char* p = buffer_.data() + begin_;
  id_ = LoadLE32(p);
  length_ = LoadLE32(p + 4) | (uint64_t{LoadLE32(p + 8)} << 32);
  begin_ += kPostingRunPieceHeaderSize;
  const bool ascending = !started_ || id_ > previous;
  started_ = true;
  if (id_ >= identifierLimit_ || !ascending || length_ == 0) {
    return Fail("the posting run is damaged (piece of identifier " + std::to_string(id_) + ", " +
                std::to_string(length_) + " bytes)");
  }
  return true;
}

template <typename Sink>
bool PostingRunReader::ReadPiece(Sink&& sink) {
  if (atEnd_) return Fail("there is no piece to read");
  uint64_t left = length_;
  while (left > 0) {
    if (begin_ == end_ && !Fill(1)) return false;
    if (begin_ == end_) return Fail("the posting run is cut short");
    const size_t n = static_cast<size_t>(std::min<uint64_t>(left, end_ - begin_));
    if (!sink(std::string_view(buffer_.data() + begin_, n))) return false;
    begin_ += n;
    left -= n;
  }
  return ReadHeader();
}

bool PostingRunReader::CopyPieceTo(io::OutputFile& out) {
  return ReadPiece([&](std::string_view bytes) { return out.Append(bytes); });
}

bool PostingRunReader::SkipPiece() {
  return ReadPiece([](std::string_view) { return true; });
}

bool PostingRunReader::AppendPieceTo(std::string& out) {
  return ReadPiece([&](std::string_view bytes) {
    out.append(bytes);
    return true;
  });
}

}  // namespace quillwen
