#include "core/io/path.h"

#include <system_error>

namespace quillwen::io {

std::filesystem::path ExecutableFolder() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::filesystem::current_path(error);
  return self.parent_path();
}

std::filesystem::path InstalledShareFolder(const std::filesystem::path& programFolder) {
  return (programFolder / QUILLWEN_SHARE_FROM_BIN).lexically_normal();
}

}  // namespace quillwen::io
