#pragma once

// A folder of the program's own inside the user's temporary folder, readable by
// the user alone (mode 0700) and removed with everything in it when the object
// goes. Fixed file names are safe inside it: nobody else can plant a link there,
// and two running readers each have their own.

#include <filesystem>

#include "core/io/write_file.h"  // the pages written into the folder

namespace quillwen::io {

class PrivateTempFolder {
 public:
  // Creates the folder under `parent`, or under the platform's temporary folder
  // when `parent` is empty. Check Valid() afterwards.
  explicit PrivateTempFolder(const std::filesystem::path& parent = {});
  ~PrivateTempFolder();
  PrivateTempFolder(const PrivateTempFolder&) = delete;
  PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;

  bool Valid() const { return !path_.empty(); }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace quillwen::io
