#pragma once

// Why a file of the collection cannot be used, as the code that found out knows
// it: the file, and what is wrong with it. The user sees it beside the message
// it caused (a message box's details, a line on standard error), so that
// "データを開けませんでした。" says which file to look at.

#include <filesystem>
#include <string>

namespace quillwen {

struct DataFault {
  std::filesystem::path file;
  std::string problem;  // "missing", "empty", "name size 0 lies outside 1 to 260", ...

  bool operator==(const DataFault&) const = default;

  // "<file>: <problem>".
  std::string Text() const { return file.string() + ": " + problem; }
};

}  // namespace quillwen
