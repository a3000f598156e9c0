#pragma once

// A source tree in a temporary folder and a build of it, read back through the
// program's own readers.

#include <filesystem>
#include <string>
#include <string_view>

#include "tests/support/temp_dir.h"
#include "tools/builder/collection_builder.h"

namespace quillwen::build::testing {

class CollectionFixture {
 public:
  CollectionFixture() {
    options_.source = dir_ / "source";
    options_.target = dir_ / "data";
    std::filesystem::create_directories(options_.source);
  }

  // Writes SOURCE/relative (for example "01 經/01 論語/01 學而.txt").
  void WriteSource(const std::string& relative, std::string_view text) {
    const std::filesystem::path file = options_.source / relative;
    std::filesystem::create_directories(file.parent_path());
    quillwen::testing::WriteFileBytes(file, text);
  }

  // Writes a file of Unihan variant lines and has the build read it.
  void UseUnihanVariants(std::string_view lines) {
    quillwen::testing::WriteFileBytes(dir_ / "Unihan_Variants.txt", lines);
    options_.unihanVariantFiles = {dir_ / "Unihan_Variants.txt"};
  }

  bool Build() {
    error_.clear();
    return BuildCollection(options_, &summary_, &error_);
  }

  const std::filesystem::path& Data() const { return options_.target; }
  const std::string& Error() const { return error_; }
  const BuildSummary& Summary() const { return summary_; }
  BuildOptions& Options() { return options_; }
  const quillwen::testing::TempDir& Dir() const { return dir_; }

 private:
  quillwen::testing::TempDir dir_;
  BuildOptions options_;
  BuildSummary summary_;
  std::string error_;
};

}  // namespace quillwen::build::testing
