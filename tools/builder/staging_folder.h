#pragma once

// A build writes into a fresh folder beside its target and moves the finished
// files into the target only when everything succeeded, so a failed or
// interrupted build leaves an existing collection as it was. The staging
// folder is removed with whatever it still holds when the object goes.

#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace quillwen::build {

class StagingFolder {
 public:
  StagingFolder() = default;
  ~StagingFolder();
  StagingFolder(const StagingFolder&) = delete;
  StagingFolder& operator=(const StagingFolder&) = delete;

  // Creates "<parent of target>/.<target name>.building-<host>-<pid>-XXXXXX"; the
  // parent must exist. Being beside the target keeps the final moves on one file
  // system. The staging folders of this target that killed builds left behind are
  // removed first (RemoveStaleStagingFolders).
  bool Create(const std::filesystem::path& target, std::string* error);

  const std::filesystem::path& Path() const { return path_; }

  // Moves the named files into the target, replacing files of the same names;
  // other files of the target stay. Refuses when a named file is missing from
  // the staging folder; when a move fails, the files already replaced are put
  // back. A missing target becomes the staging folder itself, in one rename,
  // with the mode a new folder gets rather than the staging folder's 0700.
  bool MoveInto(std::span<const std::string> fileNames, std::string* error);

 private:
  std::filesystem::path target_;
  std::filesystem::path path_;
};

// Removes the staging folders of `target` (an absolute path) that builds on this
// host left when they were killed: those named by Create's pattern with this
// host's name, folders (not links) of this user, whose process has ended. Nothing
// else is touched: a name of another pattern or host, or a process that lives or
// cannot be asked, keeps its folder. Returns the folders removed.
std::vector<std::filesystem::path> RemoveStaleStagingFolders(const std::filesystem::path& target);

}  // namespace quillwen::build
