#include "tools/builder/pair_candidates.h"

#include <algorithm>

#include "core/io/read_only_file.h"
#include "core/search/character_id.h"
#include "core/search/index_format.h"

namespace quillwen::build {
namespace {

constexpr size_t kReadBytes = 1 << 20;

// Counts the code points of UTF-8 `bytes` that have identifiers. A sequence
// cut at the end of `bytes` is left in `carry` for the next read; broken bytes
// count as nothing here (the layout of the pages refuses them).
void CountCharacters(std::string_view bytes, std::string& carry, std::vector<uint64_t>& counts) {
  std::string joined;
  if (!carry.empty()) {
    joined = carry + std::string(bytes);
    bytes = joined;
    carry.clear();
  }
  size_t at = 0;
  while (at < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    const size_t length = lead < 0x80    ? 1
                          : lead >= 0xF0 ? 4
                          : lead >= 0xE0 ? 3
                          : lead >= 0xC0 ? 2
                                         : 1;
    if (at + length > bytes.size()) {
      carry.assign(bytes.substr(at));
      return;
    }
    if (length >= 3) {
      char32_t c = lead & (length == 3 ? 0x0F : 0x07);
      for (size_t i = 1; i < length; ++i)
        c = (c << 6) | (static_cast<unsigned char>(bytes[at + i]) & 0x3F);
      if (const int32_t id = CharacterId(c); id >= 0) ++counts[static_cast<uint32_t>(id)];
    }
    at += length;
  }
}

}  // namespace

bool CommonestInSources(const SourceTree& tree, const VariantTableBuilder& variants, uint32_t count,
                        std::vector<uint32_t>* candidates, std::string* error) {
  std::vector<uint64_t> counts(kIdentifierCount, 0);
  std::vector<char> buffer(kReadBytes);
  for (const SourceCategory& category : tree.categories) {
    for (const SourceBook& book : category.books) {
      for (const SourceVolume& volume : book.volumes) {
        io::ReadOnlyFile file;
        if (!file.Open(volume.file)) {
          *error = file.LastFault().Text();
          return false;
        }
        std::string carry;
        uint64_t offset = 0;
        for (;;) {
          const int64_t got = file.ReadSome(offset, buffer);
          if (got < 0) {
            *error = file.LastFault().Text();
            return false;
          }
          if (got == 0) break;
          CountCharacters(std::string_view(buffer.data(), static_cast<size_t>(got)), carry, counts);
          offset += static_cast<uint64_t>(got);
        }
      }
    }
  }
  // A group counts the occurrences of every member: its list holds them all.
  for (size_t group = 0; group < variants.Groups().size(); ++group) {
    uint64_t total = 0;
    for (const char32_t member : variants.Groups()[group]) {
      if (const int32_t id = CharacterId(member); id >= 0)
        total += counts[static_cast<uint32_t>(id)];
    }
    if (VariantIdBase + group < kIdentifierCount) counts[VariantIdBase + group] = total;
  }
  std::vector<uint32_t> ids;
  for (uint32_t id = 0; id < kIdentifierCount; ++id) {
    if (counts[id] > 0) ids.push_back(id);
  }
  std::sort(ids.begin(), ids.end(), [&](uint32_t x, uint32_t y) {
    return counts[x] != counts[y] ? counts[x] > counts[y] : x < y;
  });
  if (ids.size() > count) ids.resize(count);
  *candidates = std::move(ids);
  return true;
}

}  // namespace quillwen::build
