#include "core/io/private_temp_folder.h"

#include <stdlib.h>

#include <string>
#include <system_error>

namespace quillwen::io {

PrivateTempFolder::PrivateTempFolder(const std::filesystem::path& parent) {
  std::error_code error;
  const std::filesystem::path base =
      parent.empty() ? std::filesystem::temp_directory_path(error) : parent;
  if (error) return;
  std::string pattern = (base / "quillwen-XXXXXX").string();
  if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;  // mkdtemp makes it 0700
}

PrivateTempFolder::~PrivateTempFolder() {
  if (path_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace quillwen::io
