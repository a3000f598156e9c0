// A stored page and a term of arbitrary bytes through the page parser and the
// hit marker, in every target and both cells.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/store/page_parser.h"
#include "core/store/page_renderer.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quillwen::fuzz::FuzzInput input(data, size);
  const uint32_t options = input.Number();
  const std::string term(input.Field());
  const std::string page(input.Rest());
  (void)quillwen::ParsePage(page);
  (void)quillwen::LooksLikeStoredPage(page);
  int anchors = 0;
  (void)quillwen::RenderCell(page, term, static_cast<int>(options & 1),
                             static_cast<quillwen::HitScope>(options / 2 % 3), anchors);
  return 0;
}
