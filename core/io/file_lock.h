#pragma once

// Advisory locks (flock) on a file or a folder, for processes of ours that
// share a folder: readers of a collection and the builder that replaces it.
// Held until the object goes; the lock goes with the process too, so a crash
// leaves none held.

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

  // Waits for a shared hold of `path`, a file or a folder, opened for reading
  // only. One that cannot be opened holds nothing: there is no writer of ours
  // to wait for.
  static FileLock Shared(const std::filesystem::path& path);

  // An exclusive hold of `path`: a folder, or a file made when missing. With
  // `wait`, blocks until held; without, fails at once when another process
  // holds it. A failed lock is not Held() and says why in Error().
  static FileLock Exclusive(const std::filesystem::path& path, bool wait);

  bool Held() const { return fd_ >= 0; }
  // Why Exclusive failed; "held by another process" when it was busy.
  const std::string& Error() const { return error_; }
  bool Busy() const { return busy_; }

  void Release();
  // Removes the lock file, then releases it. A process that opened the file
  // before it went finds, once it holds it, that the name leads elsewhere, and
  // tries again (Exclusive does), so two never hold one name at once.
  void ReleaseAndRemove(const std::filesystem::path& file);

 private:
  int fd_ = -1;
  bool busy_ = false;
  std::string error_;
};

}  // namespace quillwen::io
