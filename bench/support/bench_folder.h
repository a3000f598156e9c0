#pragma once

// The folder a benchmark writes its files into: the user's alone, under the
// temporary folder, and removed with everything in it when the object goes
// (at exit for one held by a static). A benchmark cannot run without it, so
// failing to make one ends the program with a message.

#include <filesystem>
#include <string_view>

#include "core/io/private_temp_folder.h"

namespace quillwen::bench {

class BenchFolder {
 public:
  BenchFolder();

  const std::filesystem::path& Path() const { return folder_.Path(); }
  std::filesystem::path operator/(std::string_view name) const { return folder_.Path() / name; }

 private:
  io::PrivateTempFolder folder_;
};

}  // namespace quillwen::bench
