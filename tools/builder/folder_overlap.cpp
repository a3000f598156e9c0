#include "tools/builder/folder_overlap.h"

#include <algorithm>
#include <system_error>

namespace quillwen::build {
namespace fs = std::filesystem;
namespace {

// The path with every link resolved; a part that does not exist yet (a new data
// folder) is taken as written. Empty when it cannot be told.
fs::path ResolvedPath(const fs::path& path) {
  std::error_code ec;
  fs::path resolved = fs::weakly_canonical(fs::absolute(path, ec), ec);
  if (ec) return {};
  resolved = resolved.lexically_normal();
  if (!resolved.has_filename() && resolved.has_parent_path() && resolved != resolved.root_path())
    resolved = resolved.parent_path();
  return resolved;
}

// Whether `inner` is `outer` or lies inside it, component by component, so that
// /a/src2 is not taken to lie in /a/src.
bool IsWithin(const fs::path& inner, const fs::path& outer) {
  const auto [outerEnd, innerAt] =
      std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end());
  return outerEnd == outer.end();
}

}  // namespace

bool CheckFoldersApart(const fs::path& source, const fs::path& target, std::string* error) {
  std::error_code ec;
  if (!fs::is_directory(source, ec)) return true;
  const fs::path from = ResolvedPath(source);
  const fs::path to = ResolvedPath(target);
  if (from.empty() || to.empty()) return true;
  if (from == to) {
    *error = target.string() + ": the data folder is the source folder (" + from.string() +
             "); build into a folder outside the source";
    return false;
  }
  if (IsWithin(to, from)) {
    *error = target.string() + ": the data folder lies inside the source folder " +
             source.string() +
             ", where its files would be read as source; build into a folder outside the source";
    return false;
  }
  if (IsWithin(from, to)) {
    *error = source.string() + ": the source folder lies inside the data folder " +
             target.string() + "; keep the source outside the data folder";
    return false;
  }
  return true;
}

bool CheckTreeApartFromTarget(const SourceTree& tree, const fs::path& target, std::string* error) {
  const fs::path to = ResolvedPath(target);
  if (to.empty()) return true;
  const auto apart = [&](const fs::path& entry) {
    if (!IsWithin(ResolvedPath(entry), to)) return true;
    *error = entry.string() + ": leads into the data folder " + target.string() +
             ", whose files would be read as source";
    return false;
  };
  for (const SourceCategory& category : tree.categories) {
    if (!apart(category.folder)) return false;
    for (const SourceBook& book : category.books) {
      if (!apart(book.folder)) return false;
      for (const SourceVolume& volume : book.volumes) {
        if (!apart(volume.file)) return false;
      }
    }
  }
  return true;
}

}  // namespace quillwen::build
