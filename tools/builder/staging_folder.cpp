#include "tools/builder/staging_folder.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <system_error>
#include <utility>
#include <vector>

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
  std::string name = ".";
  name += absolute.filename().string();
  name += ".building-XXXXXX";
  std::string pattern = (parent / name).string();
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
  for (const std::string& name : fileNames) {
    if (!fs::is_regular_file(path_ / name, ec)) {
      *error = (path_ / name).string() + ": missing from the finished build";
      return false;
    }
  }
  if (!fs::exists(target_, ec)) {
    // mkdtemp made the folder the user's alone. As the collection's folder it
    // takes the mode any new folder takes, as the files in it do, so that the
    // users a shared collection was built for can open it.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::chmod(path_.c_str(), 0777 & ~mask) != 0) {
      *error = path_.string() + ": cannot be opened to other users";
      return false;
    }
    fs::rename(path_, target_, ec);
    if (ec) {
      *error = target_.string() + ": cannot move the collection into place (" + ec.message() + ")";
      return false;
    }
    path_.clear();
    return true;
  }
  // Each file replaced keeps its predecessor in the staging folder until all
  // are in place, so a failed move can put the previous collection back.
  const fs::path previous = path_ / ".previous";
  fs::create_directory(previous, ec);
  std::vector<std::pair<std::string, bool>> moved;  // name, had a predecessor
  for (const std::string& name : fileNames) {
    const bool existed = fs::exists(target_ / name, ec);
    if (existed) fs::rename(target_ / name, previous / name, ec);
    if (!ec) fs::rename(path_ / name, target_ / name, ec);
    if (ec) {
      *error = (target_ / name).string() + ": cannot be replaced (" + ec.message() + ")";
      std::error_code ignored;
      if (existed && !fs::exists(target_ / name, ignored))
        fs::rename(previous / name, target_ / name, ignored);
      for (auto it = moved.rbegin(); it != moved.rend(); ++it) {
        if (it->second) {
          fs::rename(previous / it->first, target_ / it->first, ignored);
        } else {
          fs::remove(target_ / it->first, ignored);
        }
      }
      return false;
    }
    moved.emplace_back(name, existed);
  }
  return true;
}

}  // namespace quillwen::build
