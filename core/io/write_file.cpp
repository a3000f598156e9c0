#include "core/io/write_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace quillwen::io {
namespace {

// Small appends (a page table entry, a listing line) gather up to this much
// before they cost a system call; larger ones go straight through.
constexpr size_t kBufferSize = 64 * 1024;

bool WriteAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

OutputFile::~OutputFile() { Close(); }

bool OutputFile::Create(const std::filesystem::path& file, FileAccess access) {
  Close();
  failed_ = false;
  buffer_.clear();
  const mode_t mode = access == FileAccess::kOwnerOnly ? 0600 : 0666;
  do {
    fd_ = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, mode);
  } while (fd_ < 0 && errno == EINTR);
  return fd_ >= 0;
}

bool OutputFile::Flush() {
  if (!buffer_.empty() && !WriteAll(fd_, buffer_)) failed_ = true;
  buffer_.clear();
  return !failed_;
}

bool OutputFile::Append(std::string_view bytes) {
  if (fd_ < 0) failed_ = true;
  if (failed_) return false;
  if (buffer_.size() + bytes.size() <= kBufferSize) {
    if (buffer_.capacity() < kBufferSize) buffer_.reserve(kBufferSize);
    buffer_.append(bytes);
    return true;
  }
  if (!Flush()) return false;
  if (bytes.size() < kBufferSize) {
    buffer_.append(bytes);
    return true;
  }
  if (!WriteAll(fd_, bytes)) failed_ = true;
  return !failed_;
}

bool OutputFile::Close() {
  if (fd_ < 0) return false;
  const bool written = Flush();
  // Some file systems report a failed write only here.
  const bool closed = ::close(fd_) == 0;
  fd_ = -1;
  buffer_.clear();
  return written && closed;
}

bool WriteWholeFile(const std::filesystem::path& file, std::string_view bytes, FileAccess access) {
  OutputFile out;
  if (!out.Create(file, access)) return false;
  out.Append(bytes);
  return out.Close();
}

}  // namespace quillwen::io
