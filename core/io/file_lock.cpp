#include "core/io/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

namespace quillwen::io {
namespace {

// flock, again when a signal cut the wait short.
int Flock(int fd, int operation) {
  int result;
  do {
    result = ::flock(fd, operation);
  } while (result != 0 && errno == EINTR);
  return result;
}

}  // namespace

FileLock::~FileLock() { Release(); }

FileLock::FileLock(FileLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), busy_(other.busy_), error_(std::move(other.error_)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  if (this != &other) {
    Release();
    fd_ = std::exchange(other.fd_, -1);
    busy_ = other.busy_;
    error_ = std::move(other.error_);
  }
  return *this;
}

void FileLock::Release() {
  if (fd_ >= 0) ::close(fd_);  // closing the last descriptor drops the lock
  fd_ = -1;
}

FileLock FileLock::Shared(const std::filesystem::path& path) {
  FileLock lock;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return lock;
  // A file system without flock (some network mounts) cannot lock: read on.
  if (Flock(fd, LOCK_SH) != 0) {
    ::close(fd);
    return lock;
  }
  lock.fd_ = fd;
  return lock;
}

FileLock FileLock::Exclusive(const std::filesystem::path& path, bool wait) {
  FileLock lock;
  std::error_code ec;
  const bool folder = std::filesystem::is_directory(path, ec);
  for (;;) {
    const int fd = folder ? ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                          : ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) {
      lock.error_ = path.string() + ": cannot be " + (folder ? "opened" : "created") + " (" +
                    std::strerror(errno) + ")";
      return lock;
    }
    if (Flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB)) != 0) {
      const int error = errno;
      ::close(fd);
      lock.busy_ = error == EWOULDBLOCK;
      lock.error_ = path.string() + ": " +
                    (lock.busy_ ? std::string("held by another process")
                                : "cannot be locked (" + std::string(std::strerror(error)) + ")");
      return lock;
    }
    // A lock file its holder removed meanwhile is no lock: take the new one.
    struct stat held {};
    struct stat named {};
    if (!folder && (::fstat(fd, &held) != 0 || ::stat(path.c_str(), &named) != 0 ||
                    held.st_ino != named.st_ino || held.st_dev != named.st_dev)) {
      ::close(fd);
      continue;
    }
    lock.fd_ = fd;
    return lock;
  }
}

void FileLock::ReleaseAndRemove(const std::filesystem::path& file) {
  if (fd_ < 0) return;
  ::unlink(file.c_str());
  Release();
}

}  // namespace quillwen::io
