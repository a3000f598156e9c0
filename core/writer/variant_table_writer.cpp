#include "core/writer/variant_table_writer.h"

#include <cstdio>

#include "core/io/write_file.h"

namespace quillwen {

std::string EncodeVariantTable(std::span<const std::vector<char32_t>> groups) {
  std::string text;
  char field[16];
  for (const std::vector<char32_t>& group : groups) {
    // A bare line end would be skipped, and every later group would move up.
    if (group.empty()) text += ',';
    for (size_t i = 0; i < group.size(); ++i) {
      std::snprintf(field, sizeof field, i == 0 ? "%X" : ",%X", static_cast<unsigned>(group[i]));
      text += field;
    }
    text += '\n';
  }
  return text;
}

bool WriteVariantTable(const std::filesystem::path& file,
                       std::span<const std::vector<char32_t>> groups, std::string* error) {
  if (groups.size() > kMaxVariantGroups) {
    *error = "the variant table holds " + std::to_string(groups.size()) + " groups; at most " +
             std::to_string(kMaxVariantGroups) + " fit";
    return false;
  }
  for (size_t n = 0; n < groups.size(); ++n) {
    for (const char32_t member : groups[n]) {
      if (member > kMaxVariantMember) {
        char label[16];
        std::snprintf(label, sizeof label, "U+%X", static_cast<unsigned>(member));
        *error = "variant group " + std::to_string(n) + ": " + label + " lies beyond U+10FFFF";
        return false;
      }
    }
  }
  std::string problem;
  if (!io::WriteWholeFile(file, EncodeVariantTable(groups), io::FileAccess::kShared, &problem)) {
    *error = file.string() + ": cannot be written (" + problem + ")";
    return false;
  }
  return true;
}

}  // namespace quillwen
