#pragma once

#include <filesystem>

namespace quillwen::io {

// The folder of the running executable: the default data folder.
std::filesystem::path ExecutableFolder();

// Where an installed program's shared files (the help page) lie, found from
// the program's folder: <prefix>/share/quillwen for <prefix>/bin.
std::filesystem::path InstalledShareFolder(const std::filesystem::path& programFolder);

}  // namespace quillwen::io
