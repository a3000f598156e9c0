#include "core/io/read_only_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace quillwen::io {
namespace {

std::string Describe(const char* what, int error) {
  if (error == ENOENT) return "missing";
  return std::string(what) + ": " + std::strerror(error);
}

}  // namespace

ReadOnlyFile::~ReadOnlyFile() { Close(); }

void ReadOnlyFile::Fail(std::string problem) const {
  lastProblem_ = std::move(problem);
  lastError_ = path_.string() + ": " + lastProblem_;
}

ReadOnlyFile::ReadOnlyFile(ReadOnlyFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

ReadOnlyFile& ReadOnlyFile::operator=(ReadOnlyFile&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
  }
  return *this;
}

bool ReadOnlyFile::Open(const std::filesystem::path& path) {
  Close();
  path_ = path;
  int fd;
  // Without O_NONBLOCK, opening a named pipe waits for a writer that may never come.
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    // ENAMETOOLONG lands here too: a path the platform cannot take is refused like a missing file.
    Fail(Describe("cannot open", errno));
    return false;
  }
  struct stat info;
  if (::fstat(fd, &info) != 0) {
    Fail(Describe("not a readable file", errno));
    ::close(fd);
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    Fail(S_ISDIR(info.st_mode)    ? "a folder, not a file"
         : S_ISFIFO(info.st_mode) ? "a named pipe, not a regular file"
                                  : "not a regular file");
    ::close(fd);
    return false;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  fd_ = fd;
  return true;
}

void ReadOnlyFile::Close() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

std::optional<uint64_t> ReadOnlyFile::Size() const {
  if (fd_ < 0) return std::nullopt;
  struct stat info;
  if (::fstat(fd_, &info) != 0) {
    Fail(Describe("cannot tell its size", errno));
    return std::nullopt;
  }
  return static_cast<uint64_t>(info.st_size);
}

int64_t ReadOnlyFile::ReadSome(uint64_t offset, std::span<char> buffer) const {
  if (fd_ < 0) return -1;
  size_t done = 0;
  while (done < buffer.size()) {
    const ssize_t n =
        ::pread(fd_, buffer.data() + done, buffer.size() - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(Describe("read failed", errno));
      return -1;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(done);
}

bool ReadOnlyFile::ReadExactly(uint64_t offset, std::span<char> buffer) const {
  const int64_t n = ReadSome(offset, buffer);
  if (n < 0) return false;
  if (static_cast<uint64_t>(n) != buffer.size()) {
    Fail("file ends before the bytes it should hold");
    return false;
  }
  return true;
}

bool ReadWholeFile(const std::filesystem::path& path, std::string& out, DataFault* fault) {
  out.clear();
  ReadOnlyFile file;
  const auto fail = [&] {
    out.clear();
    if (fault != nullptr) *fault = file.LastFault();
    return false;
  };
  if (!file.Open(path)) return fail();
  const std::optional<uint64_t> size = file.Size();
  if (!size) return fail();
  out.resize(*size);
  const int64_t n = file.ReadSome(0, out);
  if (n < 0) return fail();
  out.resize(static_cast<size_t>(n));
  return true;
}

}  // namespace quillwen::io
