#pragma once

// The program's file layer: files are only ever read. Positioned reads (no shared
// file position), sizes taken afresh on every call, and a plain error text when
// something fails. POSIX underneath; a Windows build puts its own implementation
// behind the same interface.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "core/common/data_fault.h"

namespace quillwen::io {

class ReadOnlyFile {
 public:
  ReadOnlyFile() = default;
  ~ReadOnlyFile();
  ReadOnlyFile(ReadOnlyFile&& other) noexcept;
  ReadOnlyFile& operator=(ReadOnlyFile&& other) noexcept;
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  // Closes whatever was open, then opens `path` for reading. Only a regular file
  // (or a link to one) opens: a named pipe, a device or a folder is refused
  // without blocking, since reading one could wait for ever or never end.
  bool Open(const std::filesystem::path& path);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

  // The file's current length; nullopt when it cannot be told.
  std::optional<uint64_t> Size() const;

  // Reads exactly buffer.size() bytes at `offset`; false on a short read or error.
  bool ReadExactly(uint64_t offset, std::span<char> buffer) const;

  // Reads up to buffer.size() bytes at `offset`; the count read, 0 at the end of
  // the file, or -1 on error.
  int64_t ReadSome(uint64_t offset, std::span<char> buffer) const;

  // What went wrong last, for messages and tests: "<path>: <problem>".
  const std::string& LastError() const { return lastError_; }
  // The same as the file and its problem ("missing", "not a regular file", ...).
  DataFault LastFault() const { return {path_, lastProblem_}; }

  // The file descriptor, for the mapping layer.
  int Descriptor() const { return fd_; }

 private:
  void Fail(std::string problem) const;

  int fd_ = -1;
  std::filesystem::path path_;
  mutable std::string lastProblem_;
  mutable std::string lastError_;
};

// Reads a whole file into `out`. False (and `out` empty) when it cannot be read,
// with `fault`, when given, saying why.
bool ReadWholeFile(const std::filesystem::path& path, std::string& out, DataFault* fault = nullptr);

}  // namespace quillwen::io
