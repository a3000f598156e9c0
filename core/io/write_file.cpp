#include "core/io/write_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace quillwen::io {
namespace {

// Small appends (a page table entry, a listing line) gather up to this much
// before they cost a system call; larger ones go straight through.
constexpr size_t kBufferSize = 64 * 1024;

// 0 when every byte went out, else the errno of the failure.
int WriteAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += static_cast<size_t>(n);
  }
  return 0;
}

}  // namespace

OutputFile::~OutputFile() { Close(); }

void OutputFile::Fail(int error) {
  if (!failed_) {
    // O_NOFOLLOW's refusal reads "Too many levels of symbolic links" otherwise.
    problem_ = error == ELOOP ? "a symbolic link stands in its place"
                              : std::generic_category().message(error);
  }
  failed_ = true;
}

bool OutputFile::Create(const std::filesystem::path& file, FileAccess access) {
  Close();
  failed_ = false;
  problem_.clear();
  buffer_.clear();
  const mode_t mode = access == FileAccess::kOwnerOnly ? 0600 : 0666;
  do {
    fd_ = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, mode);
  } while (fd_ < 0 && errno == EINTR);
  if (fd_ < 0) Fail(errno);
  return fd_ >= 0;
}

bool OutputFile::Flush() {
  if (!buffer_.empty() && !failed_) {
    if (const int error = WriteAll(fd_, buffer_); error != 0) Fail(error);
  }
  buffer_.clear();
  return !failed_;
}

bool OutputFile::Append(std::string_view bytes) {
  if (fd_ < 0 && !failed_) Fail(EBADF);
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
  if (const int error = WriteAll(fd_, bytes); error != 0) Fail(error);
  return !failed_;
}

bool OutputFile::Close() {
  if (fd_ < 0) return false;
  const bool written = Flush();
  // Some file systems report a failed write only here.
  const bool closed = ::close(fd_) == 0;
  if (!closed) Fail(errno);
  fd_ = -1;
  buffer_.clear();
  return written && closed;
}

bool WriteWholeFile(const std::filesystem::path& file, std::string_view bytes, FileAccess access,
                    std::string* problem) {
  OutputFile out;
  const bool written = out.Create(file, access) && out.Append(bytes) && out.Close();
  if (!written && problem != nullptr) *problem = out.Problem();
  return written;
}

}  // namespace quillwen::io
