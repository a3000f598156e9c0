#include "tools/builder/staging_folder.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <system_error>
#include <utility>
#include <vector>

namespace quillwen::build {
namespace fs = std::filesystem;
namespace {

// The characters mkdtemp puts in place of XXXXXX.
constexpr size_t kUniqueChars = 6;

std::string HostName() {
  std::array<char, 256> name{};
  if (::gethostname(name.data(), name.size() - 1) != 0) return "host";
  std::string host(name.data());
  // The name is part of a file name: no separator may come from it.
  for (char& c : host) {
    if (c == '/' || c == '\0') c = '_';
  }
  return host.empty() ? "host" : host;
}

// ".<target name>.building-<host>-": what every staging folder of `target` made
// on this host begins with.
std::string StagingPrefix(const fs::path& target) {
  // Appended piece by piece: gcc 12 at -O3 warns falsely (-Wrestrict) about
  // "." + std::string&&.
  std::string prefix = ".";
  prefix += target.filename().string();
  prefix += ".building-";
  prefix += HostName();
  prefix += '-';
  return prefix;
}

// The process id in "<pid>-XXXXXX", the rest of a staging folder's name; 0 when
// the rest is not of that form.
pid_t ProcessOfStagingName(std::string_view rest) {
  const size_t dash = rest.find('-');
  if (dash == std::string_view::npos || dash == 0 || rest.size() - dash - 1 != kUniqueChars)
    return 0;
  for (const char c : rest.substr(dash + 1)) {
    const bool alphanumeric =
        (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!alphanumeric) return 0;
  }
  pid_t pid = 0;
  const auto [end, error] = std::from_chars(rest.data(), rest.data() + dash, pid);
  if (error != std::errc() || end != rest.data() + dash || pid <= 0) return 0;
  return pid;
}

// The text of errno, for messages.
std::string SystemReason() { return std::generic_category().message(errno); }

bool ProcessHasEnded(pid_t pid) { return ::kill(pid, 0) != 0 && errno == ESRCH; }

}  // namespace

std::vector<fs::path> RemoveStaleStagingFolders(const fs::path& target) {
  const std::string prefix = StagingPrefix(target);
  std::vector<fs::path> stale;
  std::error_code ec;
  for (fs::directory_iterator it(target.parent_path(), ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!name.starts_with(prefix)) continue;
    const pid_t pid = ProcessOfStagingName(std::string_view(name).substr(prefix.size()));
    if (pid == 0) continue;
    struct stat info;
    if (::lstat(it->path().c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::getuid())
      continue;
    if (ProcessHasEnded(pid)) stale.push_back(it->path());
  }
  std::vector<fs::path> removed;
  for (const fs::path& folder : stale) {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    if (!fs::exists(fs::symlink_status(folder, ignored))) removed.push_back(folder);
  }
  return removed;
}

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
  // A build that was killed could not remove its folder; the next one does.
  RemoveStaleStagingFolders(absolute);
  const std::string name =
      StagingPrefix(absolute) + std::to_string(::getpid()) + "-" + std::string(kUniqueChars, 'X');
  std::string pattern = (parent / name).string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    *error = parent.string() + ": cannot create a staging folder there (" + SystemReason() + ")";
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
      *error = path_.string() + ": cannot be opened to other users (" + SystemReason() + ")";
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
  // are in place, so a failed move can put the previous collection back. The
  // predecessor is linked there, and the new file renamed over it, so that the
  // name never goes missing; where the file system has no links it is moved
  // away first (readers of ours wait on the collection lock meanwhile).
  const fs::path previous = path_ / ".previous";
  fs::create_directory(previous, ec);
  std::vector<std::pair<std::string, bool>> moved;  // name, had a predecessor
  for (const std::string& name : fileNames) {
    const bool existed = fs::exists(target_ / name, ec);
    if (existed) {
      fs::create_hard_link(target_ / name, previous / name, ec);
      if (ec) fs::rename(target_ / name, previous / name, ec);
    }
    if (!ec) fs::rename(path_ / name, target_ / name, ec);
    if (ec) {
      *error = (target_ / name).string() + ": cannot be replaced (" + ec.message() + ")";
      std::error_code ignored;
      if (existed && !fs::equivalent(target_ / name, previous / name, ignored))
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
