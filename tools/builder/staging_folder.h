#pragma once

// A build writes into a fresh folder beside its target and moves the finished
// files into the target only when everything succeeded, so a failed or
// interrupted build leaves an existing collection as it was. The staging
// folder is removed with whatever it still holds when the object goes.

#include <filesystem>
#include <span>
#include <string>

namespace quillwen::build {

class StagingFolder {
 public:
  StagingFolder() = default;
  ~StagingFolder();
  StagingFolder(const StagingFolder&) = delete;
  StagingFolder& operator=(const StagingFolder&) = delete;

  // Creates "<parent of target>/.<target name>.building-XXXXXX"; the parent must
  // exist. Being beside the target keeps the final moves on one file system.
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

}  // namespace quillwen::build
