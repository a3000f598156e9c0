#include "core/io/mapped_file.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/io/read_only_file.h"

namespace quillwen::io {

MappedFile::~MappedFile() { Unmap(); }

bool MappedFile::Map(const std::filesystem::path& path) {
  Unmap();
  ReadOnlyFile file;
  if (!file.Open(path)) {
    lastFault_ = file.LastFault();
    return false;
  }
  const std::optional<uint64_t> size = file.Size();
  if (!size) {
    lastFault_ = file.LastFault();
    return false;
  }
  if (*size > SIZE_MAX) {
    lastFault_ = {path, "too large to map"};
    return false;
  }
  if (*size > 0) {
    void* address = ::mmap(nullptr, *size, PROT_READ, MAP_PRIVATE, file.Descriptor(), 0);
    if (address == MAP_FAILED) {
      lastFault_ = {path, std::string("cannot map: ") + std::strerror(errno)};
      return false;
    }
    data_ = static_cast<unsigned char*>(address);
  }
  size_ = static_cast<size_t>(*size);
  mapped_ = true;
  return true;  // the mapping outlives the descriptor
}

void MappedFile::ReleaseResidentPages(size_t offset, size_t length) const {
  if (data_ == nullptr || offset >= size_) return;
  const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  const size_t begin = offset / page * page;
  const size_t end = std::min(size_, offset + std::min(length, size_ - offset));
  // The mapping is private and never written, so nothing is lost.
  if (end > begin) ::madvise(data_ + begin, end - begin, MADV_DONTNEED);
}

void MappedFile::Unmap() {
  if (data_ != nullptr) ::munmap(data_, size_);
  data_ = nullptr;
  size_ = 0;
  mapped_ = false;
}

}  // namespace quillwen::io
