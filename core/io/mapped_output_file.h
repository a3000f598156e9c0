#pragma once

// A file written in place rather than in order: its size is fixed and its disk
// space reserved when it is created, then its bytes are filled in wherever they
// belong through a mapping. For a writer whose pieces arrive in another order
// than the file's, which would otherwise need runs on disk and a merge.
//
// The space is reserved up front, so a full disk shows as a failure of Create
// rather than as a fault while the mapping is written. The mapping is let go
// of and made again from time to time (Release), so that the pages written stay
// in the file cache, not in the writer's resident memory.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "core/io/write_file.h"

namespace quillwen::io {

class MappedOutputFile {
 public:
  MappedOutputFile() = default;
  ~MappedOutputFile();  // closes without telling; call Close() to know
  MappedOutputFile(const MappedOutputFile&) = delete;
  MappedOutputFile& operator=(const MappedOutputFile&) = delete;

  // Creates or truncates `file` (a symbolic link in its place is refused),
  // reserves `size` bytes of zeros for it and maps them. False, with Problem(),
  // when any of that fails; nothing is left open then.
  bool Create(const std::filesystem::path& file, uint64_t size, FileAccess access);

  // The file's bytes; valid until the next Release or Close.
  unsigned char* Data() { return data_; }
  uint64_t Size() const { return size_; }

  // Lets the written pages leave resident memory; Data() may change.
  bool Release();

  // Unmaps and closes the file. True only when it was created and every step
  // since succeeded.
  bool Close();
  bool IsOpen() const { return fd_ >= 0; }
  const std::string& Problem() const { return problem_; }

 private:
  bool Map();
  bool Fail(const std::string& what, int error);

  int fd_ = -1;
  unsigned char* data_ = nullptr;
  uint64_t size_ = 0;
  bool failed_ = false;
  std::string problem_;
};

}  // namespace quillwen::io
