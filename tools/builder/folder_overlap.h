#pragma once

// The source tree and the data folder must not hold one another. A data folder
// inside the source would be read as source on the next build (an old
// collection's yitizi.txt becomes a volume) and gets its staging folder there
// too; a source inside the data folder, or the two being one folder, mixes the
// collection's files with the texts they are made from. Paths are compared
// after links are resolved, so no spelling of a path gets round the check.

#include <filesystem>
#include <string>

#include "tools/builder/source_tree.h"

namespace quillwen::build {

// False with *error naming the folders when `source` and `target` are the same
// folder or one lies inside the other. A source that does not exist passes: the
// scan of the tree reports it.
bool CheckFoldersApart(const std::filesystem::path& source, const std::filesystem::path& target,
                       std::string* error);

// False with *error naming the entry when a category or book folder or a volume
// file of `tree` is, through a link, the data folder or lies inside it.
bool CheckTreeApartFromTarget(const SourceTree& tree, const std::filesystem::path& target,
                              std::string* error);

}  // namespace quillwen::build
