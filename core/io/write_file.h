#pragma once

// Every file the program and its tools write goes through here: the reader's
// temporary pages and listing, and the writers of the collection's files. A
// write counts as done only when every byte went out and the close succeeded,
// so a full disk shows as a failure rather than as a file cut short. A link
// planted where the file should be is refused instead of followed.

#include <filesystem>
#include <string>
#include <string_view>

namespace quillwen::io {

enum class FileAccess {
  kOwnerOnly,  // mode 0600: pages the reader writes for itself
  kShared,     // mode 0666 less the umask: data files that others read too
};

// A file written from its start, in order. Appends are buffered; a failure
// sticks, so a writer may append everything and ask once, at Close().
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();  // closes without telling; call Close() to know
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Closes whatever was open, then creates or truncates `file`. False when it
  // cannot be created, also when a symbolic link stands in its place.
  bool Create(const std::filesystem::path& file, FileAccess access);

  // False once anything since Create could not be written.
  bool Append(std::string_view bytes);

  // Writes out what is buffered and closes the file. True only when the file
  // was created and every byte since reached it.
  bool Close();

  bool IsOpen() const { return fd_ >= 0; }

  // Why the first failure since Create happened, as the system words it ("No
  // space left on device"); empty while nothing failed.
  const std::string& Problem() const { return problem_; }

 private:
  bool Flush();
  void Fail(int error);

  int fd_ = -1;
  bool failed_ = false;
  std::string problem_;
  std::string buffer_;
};

// Creates or truncates `file` and writes `bytes` to it. False when the file
// cannot be created or written completely, with *problem, when given, saying why.
bool WriteWholeFile(const std::filesystem::path& file, std::string_view bytes,
                    FileAccess access = FileAccess::kOwnerOnly, std::string* problem = nullptr);

}  // namespace quillwen::io
