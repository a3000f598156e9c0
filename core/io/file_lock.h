#pragma once

// Advisory locks on a file (flock), for processes of ours that share a folder:
// readers of a collection and the builder that replaces it. Held until the
// object goes; the lock goes with the process too, so a crash leaves none.

#include <filesystem>
#include <string>

namespace quillwen::io {

class FileLock {
 public:
  FileLock() = default;
  ~FileLock();
  FileLock(FileLock&& other) noexcept;
  FileLock& operator=(FileLock&& other) noexcept;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Waits for a shared hold of `file`. A file that does not exist (a folder
  // made by another tool, or one the user cannot write) holds nothing: there
  // is no writer of ours to wait for.
  static FileLock Shared(const std::filesystem::path& file);

  // An exclusive hold of `file`, creating it when missing. With `wait`, blocks
  // until held; without, fails at once when another process holds it. A failed
  // lock is not Held() and says why in Error().
  static FileLock Exclusive(const std::filesystem::path& file, bool wait);

  bool Held() const { return fd_ >= 0; }
  // Why Exclusive failed; "held by another process" when it was busy.
  const std::string& Error() const { return error_; }
  bool Busy() const { return busy_; }

  void Release();

 private:
  int fd_ = -1;
  bool busy_ = false;
  std::string error_;
};

}  // namespace quillwen::io
