#include "core/io/mapped_output_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace quillwen::io {

MappedOutputFile::~MappedOutputFile() { Close(); }

bool MappedOutputFile::Fail(const std::string& what, int error) {
  if (!failed_) {
    problem_ = error == ELOOP ? "a symbolic link stands in its place"
                              : what + std::generic_category().message(error);
  }
  failed_ = true;
  return false;
}

bool MappedOutputFile::Create(const std::filesystem::path& file, uint64_t size, FileAccess access) {
  Close();
  failed_ = false;
  problem_.clear();
  if (size > SIZE_MAX || size > static_cast<uint64_t>(INT64_MAX)) return Fail("", EFBIG);
  const mode_t mode = access == FileAccess::kOwnerOnly ? 0600 : 0666;
  do {
    fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, mode);
  } while (fd_ < 0 && errno == EINTR);
  if (fd_ < 0) return Fail("", errno);
  size_ = size;
  if (size > 0) {
    // posix_fallocate reports its error rather than setting errno.
    if (const int error = ::posix_fallocate(fd_, 0, static_cast<off_t>(size)); error != 0) {
      Fail("", error);
      Close();
      return false;
    }
  }
  if (!Map()) {
    Close();
    return false;
  }
  return true;
}

bool MappedOutputFile::Map() {
  if (size_ == 0) return true;
  void* address = ::mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
  if (address == MAP_FAILED) return Fail("cannot map: ", errno);
  data_ = static_cast<unsigned char*>(address);
  return true;
}

bool MappedOutputFile::Release() {
  if (data_ == nullptr) return !failed_;
  // Unmapping a shared mapping hands its written pages to the file cache, which
  // writes them out in its own time.
  ::munmap(data_, size_);
  data_ = nullptr;
  return Map();
}

bool MappedOutputFile::Close() {
  if (fd_ < 0) return false;
  // As with write(2), the bytes are the file's once in the file cache.
  if (data_ != nullptr) ::munmap(data_, size_);
  data_ = nullptr;
  if (::close(fd_) != 0 && errno != EINTR) Fail("", errno);
  fd_ = -1;
  return !failed_;
}

}  // namespace quillwen::io
