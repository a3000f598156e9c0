#include "core/writer/manifest_writer.h"

#include <random>

#include "core/io/write_file.h"

namespace quillwen {

std::string NewBuildId() {
  std::random_device random;
  std::string id;
  for (int i = 0; i < 32; ++i) id.push_back("0123456789abcdef"[random() & 0xF]);
  return id;
}

bool WriteCollectionManifest(const std::filesystem::path& folder, const std::string& builder,
                             const std::string& build, std::string* error) {
  Manifest manifest{builder, build, {}};
  for (const std::string& name : CollectionDataFileNames()) {
    std::error_code missing;
    if (!std::filesystem::exists(folder / name, missing)) continue;
    DataFault fault;
    std::optional<ManifestFile> file = DescribeDataFile(folder, name, &fault);
    if (!file) {
      *error = fault.Text();
      return false;
    }
    manifest.files.push_back(std::move(*file));
  }
  const std::filesystem::path path = folder / kManifestFileName;
  if (!io::WriteWholeFile(path, FormatManifest(manifest), io::FileAccess::kShared)) {
    *error = path.string() + ": cannot be written";
    return false;
  }
  return true;
}

}  // namespace quillwen
