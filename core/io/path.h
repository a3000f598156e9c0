#pragma once

#include <filesystem>

namespace quillwen::io {

// The folder of the running executable: the default data folder.
std::filesystem::path ExecutableFolder();

}  // namespace quillwen::io
