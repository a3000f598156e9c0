// A collection manifest of arbitrary bytes through its reader; whatever it
// reads must be written back and read again as the same manifest.

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/store/collection_manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string problem;
  const std::optional<quillwen::Manifest> manifest = quillwen::ParseManifest(text, &problem);
  if (!manifest) return 0;
  const std::optional<quillwen::Manifest> again =
      quillwen::ParseManifest(quillwen::FormatManifest(*manifest), nullptr);
  if (!again || *again != *manifest) abort();
  return 0;
}
