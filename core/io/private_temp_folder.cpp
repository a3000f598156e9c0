#include "core/io/private_temp_folder.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>

namespace quillwen::io {

PrivateTempFolder::PrivateTempFolder(const std::filesystem::path& parent) {
  std::error_code error;
  const std::filesystem::path base = parent.empty() ? std::filesystem::temp_directory_path(error) : parent;
  if (error) return;
  std::string pattern = (base / "quillwen-XXXXXX").string();
  if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;  // mkdtemp makes it 0700
}

PrivateTempFolder::~PrivateTempFolder() {
  if (path_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

bool WriteWholeFile(const std::filesystem::path& file, std::string_view bytes) {
  int fd;
  do {
    fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return false;
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return ::close(fd) == 0;
}

}  // namespace quillwen::io
