#pragma once

// The folder tree of a source collection: root/category/book/volume.txt. Names
// are shown without a leading number and space ("01 詩經" shows as 詩經) and
// sort in natural order, digit runs by their value, so the numbers set the
// reading order.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quillwen::build {

struct SourceVolume {
  std::u32string name;
  std::filesystem::path file;
};

struct SourceBook {
  std::u32string name;
  std::filesystem::path folder;
  std::vector<SourceVolume> volumes;
};

struct SourceCategory {
  std::u32string name;
  std::filesystem::path folder;
  std::vector<SourceBook> books;
};

struct SourceTree {
  std::vector<SourceCategory> categories;

  // One catalogue record per category, book and volume.
  size_t RecordCount() const;
  size_t VolumeCount() const;
};

inline constexpr char kVolumeExtension[] = ".txt";

// Reads the tree under `root`. Hidden entries (a leading '.') and files other
// than volume files are passed over. False with *error naming the path for: a
// missing root, a name that is not UTF-8, holds a control character (a line
// break, a tab, any C0 or C1 control) or is too long for the catalogue, a
// volume file outside a book folder, a volume file that is not a regular file
// (a named pipe, a device), a folder inside a book, and a category or book with
// nothing in it.
bool ScanSourceTree(const std::filesystem::path& root, SourceTree* tree, std::string* error);

// Negative, zero or positive as `a` sorts before, with or after `b`.
int CompareNatural(std::string_view a, std::string_view b);

// The shown name of a folder or file name: without the ".txt" of a volume file
// and without a leading run of ASCII digits followed by spaces, unless nothing
// would be left.
std::u32string DisplayName(std::u32string_view fileName, bool isVolumeFile);

}  // namespace quillwen::build
