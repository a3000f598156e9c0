#pragma once

// Owner of a read-only mapping of a whole file. Readers take views of its bytes
// and must not keep them past Unmap or destruction.

#include <filesystem>
#include <string>
#include <string_view>

#include "core/common/data_fault.h"

namespace quillwen::io {

class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // Unmaps whatever was mapped, then maps `path` read-only. An empty file maps
  // to an empty view.
  bool Map(const std::filesystem::path& path);
  void Unmap();
  bool IsMapped() const { return mapped_; }

  // Tells the system that the pages of bytes [offset, offset + length), widened
  // to whole pages, are not needed soon: they leave the process's resident
  // memory (they stay in the file cache, and are read again when touched). For
  // a reader that walks through a file far larger than the memory it may hold.
  void ReleaseResidentPages(size_t offset, size_t length) const;

  const unsigned char* Data() const { return data_; }
  size_t Size() const { return size_; }

  std::string LastError() const { return lastFault_.Text(); }
  const DataFault& LastFault() const { return lastFault_; }

 private:
  unsigned char* data_ = nullptr;
  size_t size_ = 0;
  bool mapped_ = false;
  DataFault lastFault_;
};

}  // namespace quillwen::io
