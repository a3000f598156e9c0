#include "tools/build/staging_folder.h"

#include <stdlib.h>

#include <system_error>

namespace quillwen::build {
namespace fs = std::filesystem;

StagingFolder::~StagingFolder() {
  if (path_.empty()) return;
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

bool StagingFolder::Create(const fs::path& target, std::string* error) {
  std::error_code ec;
  fs::path absolute = fs::absolute(target, ec).lexically_normal();
  if (!absolute.has_filename()) absolute = absolute.parent_path();
  const fs::path parent = absolute.parent_path();
  if (ec || absolute.filename().empty() || !fs::is_directory(parent, ec)) {
    *error = target.string() + ": the folder it lies in does not exist";
    return false;
  }
  if (fs::exists(absolute, ec) && !fs::is_directory(absolute, ec)) {
    *error = target.string() + ": exists and is not a folder";
    return false;
  }
  std::string pattern = (parent / ("." + absolute.filename().string() + ".building-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    *error = parent.string() + ": cannot create a staging folder there";
    return false;
  }
  target_ = absolute;
  path_ = pattern;
  return true;
}

bool StagingFolder::MoveInto(std::span<const std::string> fileNames, std::string* error) {
  std::error_code ec;
  if (!fs::exists(target_, ec)) {
    fs::rename(path_, target_, ec);
    if (ec) {
      *error = target_.string() + ": cannot move the collection into place (" + ec.message() + ")";
      return false;
    }
    path_.clear();
    return true;
  }
  for (const std::string& name : fileNames) {
    fs::rename(path_ / name, target_ / name, ec);
    if (ec) {
      *error = (target_ / name).string() + ": cannot be replaced (" + ec.message() + ")";
      return false;
    }
  }
  return true;
}

}  // namespace quillwen::build
